#!/usr/bin/env python3
"""Writes one small, realistic entry file per flavour for a monoclinic cell.

The reflections of the cell are enumerated up to 2theta = 50 degrees (Cu
K-alpha1), with amplitudes from a fixed pseudo-random sequence, so that the
files are the same on every run. Run it from anywhere; it writes next to
itself: quartzite.dat (FULLPROF JFOU=2), quartzite4.dat (FULLPROF JFOU=4),
quartzite.hkl (EXPO) and sirpow/quartzite.hkl (SIRPOW).
"""
import math
import os

A, B, C, ALPHA, BETA, GAMMA = 8.1234, 5.4321, 9.8765, 90.0, 104.52, 90.0
WAVELENGTH = 1.5406
MAX_TWO_THETA = 50.0
FIXED_WINDOW = 0.02  # degrees 2theta, the FULLPROF elimination window


def reflections():
    beta = math.radians(BETA)
    sb = math.sin(beta)
    found = []
    for h in range(-8, 9):
        for k in range(0, 6):
            for l in range(0, 10):
                if (h, k, l) == (0, 0, 0) or (h < 0 and k == 0 and l == 0):
                    continue
                if (h + k) % 2:  # C-centred cell
                    continue
                q = (h * h / (A * A) + k * k * sb * sb / (B * B) + l * l / (C * C)
                     - 2 * h * l * math.cos(beta) / (A * C)) / (sb * sb)
                s = WAVELENGTH * WAVELENGTH * q / 4
                if s >= 1:
                    continue
                two_theta = 2 * math.degrees(math.asin(math.sqrt(s)))
                if two_theta <= MAX_TWO_THETA:
                    found.append((two_theta, h, k, l))
    found.sort()
    return found


def amplitudes(count):
    state = 20261208
    for _ in range(count):
        state = (state * 1103515245 + 12345) % 2**31
        yield 20.0 + 680.0 * (state / 2**31) ** 2


def fwhm(two_theta):
    theta = math.radians(two_theta / 2)
    u, v, w = 0.004, -0.002, 0.003  # Caglioti terms, degrees^2
    return math.sqrt(u * math.tan(theta) ** 2 + v * math.tan(theta) + w)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    rows = list(zip(reflections(), amplitudes(10**6)))
    cell = f"{A:.4f} {B:.4f} {C:.4f} {ALPHA:.2f} {BETA:.2f} {GAMMA:.2f} {WAVELENGTH:.5f}\n"
    # File order is not angle order in a Le Bail listing: group by k.
    by_index = sorted(rows, key=lambda row: (row[0][2], row[0][1], row[0][3]))

    with open(os.path.join(here, "quartzite.dat"), "w") as out:
        out.write(cell)
        out.write(f"{len(by_index)} {FIXED_WINDOW}\n")
        for (two_theta, h, k, l), f in by_index:
            sigma = 0.02 * f + 0.5
            out.write(f"{h:4d}{k:4d}{l:4d}{f:8.2f}{sigma:8.3f}{1:4d}"
                      f"{two_theta:9.4f}{fwhm(two_theta):9.4f}{2:4d}{'':10}{f * f / 100:8.3f}\n")
    with open(os.path.join(here, "quartzite4.dat"), "w") as out:
        out.write(cell)
        out.write(f"{len(by_index)} {FIXED_WINDOW}\n")
        for (two_theta, h, k, l), f in by_index:
            out.write(f"{h:4d}{k:4d}{l:4d}{f:10.4f}{0.02 * f + 0.5:10.4f}{fwhm(two_theta):10.4f}\n")
    with open(os.path.join(here, "quartzite.hkl"), "w") as out:
        out.write("EXPO extraction, quartzite, C 2/m\n")
        out.write(cell)
        for (two_theta, h, k, l), f in by_index:
            out.write(f"{h:4d}{k:4d}{l:4d} {fwhm(two_theta):8.4f} {f:10.3f}\n")
    os.makedirs(os.path.join(here, "sirpow"), exist_ok=True)
    with open(os.path.join(here, "sirpow", "quartzite.hkl"), "w") as out:
        out.write("SIRPOW pattern decomposition, quartzite\n")
        out.write("   h   k   l mult    d-spacing   2theta     fwhm       intensity     sigma\n")
        for (two_theta, h, k, l), f in rows:
            d = WAVELENGTH / (2 * math.sin(math.radians(two_theta / 2)))
            mult = 2 if k == 0 else 4
            out.write(f"{h:4d}{k:4d}{l:4d}{mult:5d} {d:11.5f} {two_theta:9.4f} {fwhm(two_theta):8.4f}"
                      f" {f * f:14.3f} {0.04 * f * f + 1:10.3f}\n")


if __name__ == "__main__":
    main()
