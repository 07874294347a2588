#!/usr/bin/python3
"""Writes the bundled entry files, one per flavour, from a published structure.

The structure is alpha-quartz, SiO2, at room conditions as refined by
Levien, Prewitt and Weidner (1980), American Mineralogist 65, 920-930:
space group P 32 2 1, a = 4.9160, c = 5.4054 angstrom, Si at (0.4697, 0, 0),
O at (0.4135, 0.2669, 0.1191), with the 2-fold axis along a at z = 0 (the
atoms are moved by z + 1/6 into the origin of the International Tables,
which changes no amplitude). The displacement parameters B(Si) = 0.6 and
B(O) = 1.0 A^2 are typical values, not the paper's.

See README.md next to it. cctbx (under /usr/bin/python3) lists every reflection up to 2theta = 100
degrees at Cu K-alpha1, one per set of symmetry equivalents, and computes
its amplitude |F| from the atoms. h k l and k h l are not equivalent in
this Laue class but lie at the same angle, as in any Le Bail list. The
sigmas (2 % of F + 0.3) and the peak widths (Caglioti U = 0.012, V = 0,
W = 0.0025 deg^2, widening with angle) are made up, as an extraction
program would give them.

Run it from anywhere; it writes next to itself: quartzite.dat (FULLPROF
JFOU=2), quartzite4.dat (FULLPROF JFOU=4), quartzite.hkl (EXPO) and
sirpow/quartzite.hkl (SIRPOW).
"""
import math
import os

from cctbx import crystal, miller, xray
from cctbx.array_family import flex

A, C = 4.9160, 5.4054
SPACE_GROUP = "P 32 2 1"
ATOMS = [("Si1", (0.4697, 0.0, 0.0), 0.6), ("O1", (0.4135, 0.2669, 0.1191), 1.0)]
WAVELENGTH = 1.5406
MAX_TWO_THETA = 100.0
FIXED_WINDOW = 0.02  # degrees 2theta, the FULLPROF elimination window
U, V, W = 0.012, 0.0, 0.0025  # Caglioti terms, degrees^2


def reflections():
    """(2theta, h, k, l, |F|, multiplicity) of each set of equivalents, by angle."""
    symmetry = crystal.symmetry(unit_cell=(A, A, C, 90, 90, 120), space_group_symbol=SPACE_GROUP)
    scatterers = flex.xray_scatterer(
        [xray.scatterer(label, (x, y, z + 1.0 / 6.0), b=b) for label, (x, y, z), b in ATOMS])
    structure = xray.structure(crystal_symmetry=symmetry, scatterers=scatterers)
    d_min = WAVELENGTH / (2 * math.sin(math.radians(MAX_TWO_THETA / 2)))
    unique = miller.build_set(symmetry, anomalous_flag=False, d_min=d_min)
    amplitudes = structure.structure_factors(d_min=d_min).f_calc().amplitudes().common_set(unique)
    rows = []
    for (h, k, l), f, m, d in zip(amplitudes.indices(), amplitudes.data(), amplitudes.multiplicities().data(),
                                  amplitudes.d_spacings().data()):
        two_theta = 2 * math.degrees(math.asin(WAVELENGTH / (2 * d)))
        rows.append((two_theta, h, k, l, f, m))
    rows.sort()
    return rows


def fwhm(two_theta):
    t = math.tan(math.radians(two_theta / 2))
    return math.sqrt(U * t * t + V * t + W)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    rows = reflections()
    cell = f"{A:.4f} {A:.4f} {C:.4f} 90.00 90.00 120.00 {WAVELENGTH:.5f}\n"
    # File order is not angle order in a Le Bail listing: by index.
    by_index = sorted(rows, key=lambda row: (row[1], row[2], row[3]))

    with open(os.path.join(here, "quartzite.dat"), "w") as out:
        out.write(cell)
        out.write(f"{len(by_index)} {FIXED_WINDOW}\n")
        for two_theta, h, k, l, f, _ in by_index:
            sigma = 0.02 * f + 0.3
            out.write(f"{h:4d}{k:4d}{l:4d}{f:8.2f}{sigma:8.3f}{1:4d}"
                      f"{two_theta:9.4f}{fwhm(two_theta):9.4f}{2:4d}{'':10}{f * f / 100:8.3f}\n")
    with open(os.path.join(here, "quartzite4.dat"), "w") as out:
        out.write(cell)
        out.write(f"{len(by_index)} {FIXED_WINDOW}\n")
        for two_theta, h, k, l, f, _ in by_index:
            out.write(f"{h:4d}{k:4d}{l:4d}{f:10.4f}{0.02 * f + 0.3:10.4f}{fwhm(two_theta):10.4f}\n")
    with open(os.path.join(here, "quartzite.hkl"), "w") as out:
        out.write("EXPO extraction, alpha-quartz (quartzite), P 32 2 1\n")
        out.write(cell)
        for two_theta, h, k, l, f, _ in by_index:
            out.write(f"{h:4d}{k:4d}{l:4d} {fwhm(two_theta):8.4f} {f:10.3f}\n")
    os.makedirs(os.path.join(here, "sirpow"), exist_ok=True)
    with open(os.path.join(here, "sirpow", "quartzite.hkl"), "w") as out:
        out.write("SIRPOW pattern decomposition, alpha-quartz (quartzite)\n")
        out.write("   h   k   l mult    d-spacing   2theta     fwhm       intensity     sigma\n")
        for two_theta, h, k, l, f, m in rows:
            d = WAVELENGTH / (2 * math.sin(math.radians(two_theta / 2)))
            sigma = 2 * f * (0.02 * f + 0.3)
            out.write(f"{h:4d}{k:4d}{l:4d}{m:5d} {d:11.5f} {two_theta:9.4f} {fwhm(two_theta):8.4f}"
                      f" {f * f:14.3f} {sigma:10.3f}\n")


if __name__ == "__main__":
    main()
