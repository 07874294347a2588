#!/usr/bin/env python3
"""Whole-run time and peak memory of kestran against the number of rows.

Usage: scaling.py KESTRAN MAKE_INPUTS WORK_DIR OUT_PREFIX COUNT...

For each COUNT, MAKE_INPUTS (kestran_make_inputs) writes the four flavours'
entry files of COUNT reflections and the staircase file (JFOU=2, the
ordering's costliest ties) into WORK_DIR; each is run with
--max-reflections max(COUNT, 40000) and the standard answers (window 0.02,
DELTA 1), three times (one for counts of a million or more): the median wall
time and the largest peak resident memory (GNU time). Writes OUT_PREFIX.tsv
and OUT_PREFIX.svg (log-log: time and memory against rows) and prints the
table.
"""
import math
import os
import statistics
import subprocess
import sys
import time

# The four flavours, and "staircase": a JFOU=2 file whose positions are the
# ordering's costliest ties.
FLAVOURS = [("fullprof2", 1, ".dat", []), ("fullprof4", 4, ".dat", []),
            ("sirpow", 2, ".hkl", ["--delta", "1.0"]), ("expo", 3, ".hkl", ["--delta", "1.0"]),
            ("staircase", 1, ".dat", [])]
COLOURS = {"fullprof2": "#1f77b4", "fullprof4": "#2ca02c", "sirpow": "#d62728", "expo": "#9467bd",
           "staircase": "#ff7f0e"}


def run_once(kestran, work, code, extra, stem, capacity):
    report = os.path.join(work, "time.txt")
    command = ["/usr/bin/time", "-f", "%M", "-o", report, kestran, "--code", str(code), "--no-pause",
               "--max-reflections", str(capacity)] + extra + [stem]
    start = time.perf_counter()
    result = subprocess.run(command, cwd=work, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE)
    wall = time.perf_counter() - start
    if result.returncode != 0:
        return None, None, result.stderr.decode().strip().splitlines()[-1]
    with open(report) as f:
        return wall, int(f.read().split()[-1]) / 1024, None


def measure(kestran, make_inputs, work, counts):
    rows = []
    for count in counts:
        subprocess.run([make_inputs, work, str(count)], check=True)
        for name, code, suffix, extra in FLAVOURS:
            stem = f"{name}-{count}"
            capacity = max(count, 40000)
            runs = 1 if count >= 1_000_000 else 3
            samples = [run_once(kestran, work, code, extra, stem, capacity) for _ in range(runs)]
            failed = [s[2] for s in samples if s[2] is not None]
            if failed:
                rows.append((name, count, None, None, failed[0]))
            else:
                rows.append((name, count, statistics.median(s[0] for s in samples), max(s[1] for s in samples), ""))
        for name, _, suffix, _ in FLAVOURS:
            stem = f"{name}-{count}"
            for leftover in (stem + suffix, stem + "F.hkl", stem + "I.hkl", stem + ".int"):
                path = os.path.join(work, leftover)
                if os.path.exists(path):
                    os.remove(path)
    return rows


def nlogn(n):
    return n * math.log2(n)


def print_table(rows, tsv):
    print(f"| {'flavour':<10} | {'rows':>9} | {'time':>10} | {'peak RSS':>9} | {'per row':>8} | "
          f"{'growth':>7} | {'n log n':>7} | note")
    with open(tsv, "w") as out:
        out.write("flavour\trows\tseconds\tpeak_mib\tnote\n")
        previous = {}
        for name, count, seconds, mib, note in rows:
            out.write(f"{name}\t{count}\t{'' if seconds is None else f'{seconds:.6f}'}\t"
                      f"{'' if mib is None else f'{mib:.1f}'}\t{note}\n")
            if seconds is None:
                print(f"| {name:<10} | {count:>9} | {'-':>10} | {'-':>9} | {'-':>8} | {'-':>7} | {'-':>7} | {note}")
                continue
            growth = theory = ""
            if name in previous:
                last_count, last_seconds = previous[name]
                growth = f"{seconds / last_seconds:6.1f}x"
                theory = f"{nlogn(count) / nlogn(last_count):6.1f}x"
            previous[name] = (count, seconds)
            print(f"| {name:<10} | {count:>9} | {seconds * 1e3:8.1f}ms | {mib:7.1f}MB | "
                  f"{seconds / count * 1e9:6.0f}ns | {growth:>7} | {theory:>7} | {note}")


def svg_plot(rows, path):
    """Two log-log panels: whole-run time and peak memory against rows."""
    width, height, margin = 900, 420, 70
    panel = (width - 3 * margin) / 2
    done = [r for r in rows if r[2] is not None]
    counts = [r[1] for r in done]
    lo_n, hi_n = math.log10(min(counts)), math.log10(max(counts))
    parts = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
             f'font-family="sans-serif" font-size="12">', '<rect width="100%" height="100%" fill="white"/>']

    def panel_svg(left, values, title, unit):
        lo_v = math.floor(math.log10(min(values)))
        hi_v = math.ceil(math.log10(max(values)))
        top, bottom = margin, height - margin
        x = lambda n: left + (math.log10(n) - lo_n) / max(hi_n - lo_n, 1e-9) * panel
        y = lambda v: bottom - (math.log10(v) - lo_v) / max(hi_v - lo_v, 1e-9) * (bottom - top)
        parts.append(f'<text x="{left + panel / 2}" y="{top - 30}" text-anchor="middle" font-size="14">{title}</text>')
        parts.append(f'<rect x="{left}" y="{top}" width="{panel}" height="{bottom - top}" fill="none" stroke="#444"/>')
        for e in range(int(math.floor(lo_n)), int(math.ceil(hi_n)) + 1):
            if lo_n - 1e-9 <= e <= hi_n + 1e-9:
                parts.append(f'<line x1="{x(10 ** e)}" y1="{bottom}" x2="{x(10 ** e)}" y2="{top}" stroke="#ddd"/>')
                parts.append(f'<text x="{x(10 ** e)}" y="{bottom + 16}" text-anchor="middle">1e{e}</text>')
        for e in range(lo_v, hi_v + 1):
            parts.append(f'<line x1="{left}" y1="{y(10 ** e)}" x2="{left + panel}" y2="{y(10 ** e)}" stroke="#ddd"/>')
            parts.append(f'<text x="{left - 6}" y="{y(10 ** e) + 4}" text-anchor="end">1e{e}</text>')
        parts.append(f'<text x="{left + panel / 2}" y="{bottom + 36}" text-anchor="middle">reflections n</text>')
        parts.append(f'<text x="{left - 50}" y="{(top + bottom) / 2}" text-anchor="middle" '
                     f'transform="rotate(-90 {left - 50} {(top + bottom) / 2})">{unit}</text>')
        return x, y

    for index, (key, title, unit, scale) in enumerate([(2, "whole run, wall time", "seconds", 1.0),
                                                       (3, "peak resident memory", "MiB", 1.0)]):
        left = margin + index * (panel + margin)
        x, y = panel_svg(left, [r[key] * scale for r in done], title, unit)
        for name, _, _, _ in FLAVOURS:
            points = [(r[1], r[key] * scale) for r in done if r[0] == name]
            if not points:
                continue
            path_text = " ".join(f"{x(n):.1f},{y(v):.1f}" for n, v in points)
            parts.append(f'<polyline points="{path_text}" fill="none" stroke="{COLOURS[name]}" stroke-width="2"/>')
            for n, v in points:
                parts.append(f'<circle cx="{x(n):.1f}" cy="{y(v):.1f}" r="3" fill="{COLOURS[name]}"/>')
    for index, (name, _, _, _) in enumerate(FLAVOURS):
        parts.append(f'<rect x="{margin + index * 110}" y="{height - 22}" width="12" height="12" '
                     f'fill="{COLOURS[name]}"/><text x="{margin + index * 110 + 16}" y="{height - 12}">{name}</text>')
    parts.append("</svg>")
    with open(path, "w") as out:
        out.write("\n".join(parts) + "\n")


def main():
    if len(sys.argv) < 6:
        sys.exit(__doc__)
    kestran, make_inputs, work, prefix = (os.path.abspath(a) for a in sys.argv[1:5])
    counts = [int(c) for c in sys.argv[5:]]
    os.makedirs(work, exist_ok=True)
    rows = measure(kestran, make_inputs, work, counts)
    print_table(rows, prefix + ".tsv")
    svg_plot(rows, prefix + ".svg")


if __name__ == "__main__":
    main()
