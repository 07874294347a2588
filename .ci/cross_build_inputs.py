#!/usr/bin/env python3
"""Writes the entry files that .ci/cross_build runs through every build.

Usage: cross_build_inputs.py DIR

All four flavours, cells of every crystal family with all reflections in a
box of indices (so that symmetry-equivalent reflections share one angle and
their order hangs on the last bit of each position), small files around the
rhombohedral cell 7.11 7.11 7.11 55.3 55.3 55.3, and one file of 40000
reflections. DIR/runs.txt lists one run per line: code, base name, DELTA
(0 where none is asked). The files are the same on every run.
"""
import math
import os
import sys

WAVELENGTHS = [0.70932, 1.0, 1.5406, 1.54056, 2.2897]
WINDOWS = [0.0, 0.005, 0.02, 0.05]
DELTA = 1.5


class Sequence:
    """A fixed 64-bit linear congruential sequence."""

    def __init__(self, seed):
        self.state = seed

    def uniform(self):
        self.state = (self.state * 6364136223846793005 + 1442695040888963407) % 2**64
        return (self.state >> 11) / 2**53

    def between(self, low, high):
        return low + (high - low) * self.uniform()

    def pick(self, items):
        return items[int(self.uniform() * len(items))]


def random_cell(seq, family):
    edge = lambda: round(seq.between(3.0, 14.0), 4)
    a = edge()
    if family == "cubic":
        return a, a, a, 90, 90, 90
    if family == "tetragonal":
        return a, a, edge(), 90, 90, 90
    if family == "orthorhombic":
        return a, edge(), edge(), 90, 90, 90
    if family == "hexagonal":
        return a, a, edge(), 90, 90, 120
    if family == "rhombohedral":
        angle = round(seq.between(40, 110), seq.pick([0, 1, 2]))
        return a, a, a, angle, angle, angle
    if family == "monoclinic":
        return a, edge(), edge(), 90, round(seq.between(90.5, 125), 2), 90
    if family == "near 90":
        angle = seq.pick([89.99, 90.01, 89.999, 90.001])
        return a, a, a, angle, angle, angle
    while True:  # triclinic, or near 120
        if family == "near 120":
            angles = (90, 90, seq.pick([119.99, 120.01, 119.999, 120.001]))
            return a, a, edge(), *angles
        angles = tuple(round(seq.between(60, 120), 2) for _ in range(3))
        if _closes(*angles):
            return a, edge(), edge(), *angles


def _closes(alpha, beta, gamma):
    ca, cb, cg = (math.cos(math.radians(x)) for x in (alpha, beta, gamma))
    return 1 - ca * ca - cb * cb - cg * cg + 2 * ca * cb * cg > 0.05


FAMILIES = ["cubic", "tetragonal", "orthorhombic", "hexagonal", "rhombohedral", "monoclinic", "triclinic",
            "near 90", "near 120"]


def inverse_d_squared(cell, h, k, l):
    a, b, c, alpha, beta, gamma = cell
    ca, cb, cg = (math.cos(math.radians(x)) for x in (alpha, beta, gamma))
    g = [[a * a, a * b * cg, a * c * cb], [a * b * cg, b * b, b * c * ca], [a * c * cb, b * c * ca, c * c]]
    det = (g[0][0] * (g[1][1] * g[2][2] - g[1][2] * g[2][1]) - g[0][1] * (g[1][0] * g[2][2] - g[1][2] * g[2][0])
           + g[0][2] * (g[1][0] * g[2][1] - g[1][1] * g[2][0]))
    v = (h, k, l)
    q = 0.0
    for i in range(3):
        for j in range(3):
            i1, i2, j1, j2 = (j + 1) % 3, (j + 2) % 3, (i + 1) % 3, (i + 2) % 3
            q += v[i] * v[j] * (g[i1][j1] * g[i2][j2] - g[i1][j2] * g[i2][j1]) / det
    return q


def two_theta(cell, wavelength, h, k, l):
    s = wavelength * wavelength * inverse_d_squared(cell, h, k, l) / 4
    return 2 * math.degrees(math.asin(math.sqrt(s))) if 0 <= s <= 1 else 179.0


def fwhm(angle):
    t = math.tan(math.radians(angle / 2))
    return math.sqrt(max(0.004 * t * t - 0.002 * t + 0.003, 1e-6))


def box(reach):
    return [(h, k, l) for h in range(-reach, reach + 1) for k in range(-reach, reach + 1)
            for l in range(-reach, reach + 1) if (h, k, l) != (0, 0, 0)]


def amplitude(seq, strong):
    value = 20 + (strong - 20) * seq.uniform() ** 2
    return -value / 50 if seq.uniform() < 0.03 else value


def cell_line(cell, wavelength):
    a, b, c, alpha, beta, gamma = cell
    return f"{a:.4f} {b:.4f} {c:.4f} {alpha:g} {beta:g} {gamma:g} {wavelength:g}\n"


def write(directory, name, text):
    with open(os.path.join(directory, name), "w") as out:
        out.write(text)


def entry_file(code, cell, wavelength, rows, seq, window):
    """The text of one entry file of the given flavour."""
    strong = seq.pick([800.0, 4999.0, 5000.0, 12000.0])
    lines = []
    if code in (1, 4):
        lines += [cell_line(cell, wavelength), f"{len(rows)} {window}\n"]
        for h, k, l in rows:
            f = amplitude(seq, strong)
            if code == 1:
                lines.append(f"{h:4d}{k:4d}{l:4d}{f:8.2f}{abs(f) * 0.02 + 0.5:8.3f}{1:4d}\n")
            else:
                angle = two_theta(cell, wavelength, h, k, l)
                lines.append(f"{h:4d}{k:4d}{l:4d}{f:10.4f}{abs(f) * 0.02 + 0.5:10.4f}{fwhm(angle):10.4f}\n")
    elif code == 3:
        lines += ["EXPO extraction, cross-build check\n", cell_line(cell, wavelength)]
        for h, k, l in rows:
            angle = two_theta(cell, wavelength, h, k, l)
            lines.append(f"{h:4d}{k:4d}{l:4d} {fwhm(angle):8.4f} {amplitude(seq, strong):10.3f}\n")
    else:  # SIRPOW carries its own angles, in angle order, and intensities
        lines += ["SIRPOW pattern decomposition, cross-build check\n",
                  "   h   k   l mult    d-spacing   2theta     fwhm       intensity     sigma\n"]
        ordered = sorted(rows, key=lambda hkl: two_theta(cell, wavelength, *hkl))
        for h, k, l in ordered:
            angle = two_theta(cell, wavelength, h, k, l)
            f = amplitude(seq, strong)
            intensity = math.copysign(f * f, f)
            if seq.uniform() < 0.02:
                intensity = -0.0
            d = wavelength / (2 * math.sin(math.radians(angle / 2)))
            lines.append(f"{h:4d}{k:4d}{l:4d}{2:5d} {d:11.5f} {angle:9.4f} {fwhm(angle):8.4f}"
                         f" {intensity:14.3f} {0.04 * abs(intensity) + 1:10.3f}\n")
    return "".join(lines)


def main():
    directory = sys.argv[1]
    os.makedirs(directory, exist_ok=True)
    seq = Sequence(55300711)
    runs = []

    def add(code, name, text):
        extension = ".dat" if code in (1, 4) else ".hkl"
        write(directory, name + extension, text)
        runs.append(f"{code} {name} {DELTA if code in (2, 3) else 0}")

    rhombohedral = (7.11, 7.11, 7.11, 55.3, 55.3, 55.3)
    seven = [(1, 1, 2), (2, 1, 1), (1, 2, 1), (1, 1, 0), (0, 1, 1), (1, 0, 1), (1, 1, 1)]
    for code in (1, 4, 3, 2):
        add(code, f"r7_{code}", entry_file(code, rhombohedral, 1.0, seven, seq, 0.0))
        add(code, f"r7box_{code}", entry_file(code, rhombohedral, 1.0, box(3), seq, 0.01))
        for n, family in enumerate(FAMILIES * 3):
            cell = random_cell(seq, family)
            rows = box(seq.pick([2, 3, 3, 4]))
            order = [(seq.uniform(), hkl) for hkl in rows]
            rows = [hkl for _, hkl in sorted(order)] if seq.uniform() < 0.5 else rows
            add(code, f"c{code}_{n:03d}", entry_file(code, cell, seq.pick(WAVELENGTHS), rows, seq,
                                                      seq.pick(WINDOWS)))
    large = (11.234, 11.234, 11.234, 71.3, 71.3, 71.3)
    add(1, "large_1", entry_file(1, large, 0.70932, box(17)[:40000], seq, 0.0))
    write(directory, "runs.txt", "\n".join(runs) + "\n")


if __name__ == "__main__":
    main()
