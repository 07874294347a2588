#!/usr/bin/env python3
"""Kestran side by side with the shared floor program on 40000-row files.

Usage: floor_ratio.py KESTRAN INPUTS [FLOOR_SOURCE]

For each flavour's file in INPUTS (kestran_make_inputs writes them), the
floor program (FLOOR_SOURCE, by default ../shared/bench/floor.c beside the
project, built with `cc -O2`) reads the same entry file and writes three
files of the sizes kestran writes. Both run under `perf stat -r 25 -e
task-clock,page-faults`, kestran and floor alternately, in two rounds; the
table gives the best round of each, their ratio, kestran's instructions
(callgrind, when valgrind is there) and page faults. Also the start-up
alone (`kestran --version`).
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

FLAVOURS = [  # label, code, entry file, DELTA
    ("JFOU=2", 1, "fullprof2.dat", None),
    ("JFOU=4", 4, "fullprof4.dat", None),
    ("EXPO", 3, "expo.hkl", "1"),
    ("SIRPOW", 2, "sirpow.hkl", "1"),
]
RUNS = 25


def perf_stat(command, cwd):
    """(milliseconds of CPU, page faults), the means of RUNS runs."""
    result = subprocess.run(["perf", "stat", "-r", str(RUNS), "-x", ",", "-e", "task-clock,page-faults"] + command,
                            cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True, check=True)
    values = {}
    for line in result.stderr.splitlines():
        fields = line.split(",")
        if len(fields) > 2 and fields[2] in ("task-clock", "page-faults"):
            values[fields[2]] = float(fields[0])
    return values["task-clock"], values["page-faults"]


def instructions(command, cwd):
    if shutil.which("valgrind") is None:
        return None
    out = os.path.join(cwd, "callgrind.out")
    result = subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=" + out] + command, cwd=cwd,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    found = re.search(r"Collected : (\d+)", result.stderr)
    return int(found.group(1)) if found else None


def main():
    kestran, inputs = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    here = os.path.dirname(os.path.abspath(__file__))
    source = sys.argv[3] if len(sys.argv) > 3 else os.path.join(here, "..", "..", "shared", "bench", "floor.c")
    work = tempfile.mkdtemp(prefix="kestran-floor-")
    floor = os.path.join(work, "floor")
    subprocess.run(["cc", "-O2", "-o", floor, source], check=True)
    print(f"{'flavour':8} {'kestran ms':>10} {'floor ms':>9} {'ratio':>6} {'instructions':>13} {'faults':>7}")
    for label, code, entry, delta in FLAVOURS:
        shutil.copy(os.path.join(inputs, entry), work)
        base = os.path.splitext(entry)[0]
        command = [kestran, "--code", str(code), "--no-pause"] + (["--delta", delta] if delta else []) + [base]
        subprocess.run(command, cwd=work, stdout=subprocess.DEVNULL, check=True)
        sizes = [str(os.path.getsize(os.path.join(work, base + s))) for s in ("F.hkl", "I.hkl", ".int")]
        floor_command = [floor, entry, os.path.join(work, "floor-out")] + sizes
        ours, theirs, faults = [], [], 0
        for _ in range(2):
            cpu, faults = perf_stat(command, work)
            ours.append(cpu)
            theirs.append(perf_stat(floor_command, work)[0])
        count = instructions(command, work)
        print(f"{label:8} {min(ours):10.2f} {min(theirs):9.2f} {min(ours) / min(theirs):6.2f} "
              f"{count if count is not None else '-':>13} {faults:7.0f}")
    start = instructions([kestran, "--version"], work)
    print(f"start-up (--version): {start if start is not None else '-'} instructions")
    shutil.rmtree(work)


if __name__ == "__main__":
    main()
