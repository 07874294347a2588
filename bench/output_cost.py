#!/usr/bin/env python3
"""What the optional output files cost: CPU time of whole runs with --report
and with --cif against the plain run, at 10^6 reflections (JFOU=2,
--max-reflections 1000000, window 0.02).

Usage: output_cost.py KESTRAN MAKE_INPUTS WORK_DIR [RUNS]

MAKE_INPUTS (kestran_make_inputs) writes the entry files of 10^6
reflections into WORK_DIR; each kind of run is repeated RUNS times (default
7) in turn, and the least CPU time (user + system, from wait4) of each is
kept, the figure least disturbed by other work on the machine. Prints one
table with each run's time and its ratio to the plain run, and exits with 1
when --report costs 2 times the plain run or more, or --cif 3 times or more.
"""
import os
import subprocess
import sys

COUNT = 1000000
RUNS = [("plain", [], None), ("--report", ["--report", "out.tsv"], 2.0), ("--cif", ["--cif", "out.cif"], 3.0)]


def cpu_seconds(kestran, work, extra):
    command = [kestran, "--code", "1", "--no-pause", "--max-reflections", str(COUNT)] + extra + [
        "fullprof2-%d" % COUNT]
    with open(os.devnull, "wb") as null:
        child = subprocess.Popen(command, cwd=work, stdin=subprocess.DEVNULL, stdout=null, stderr=subprocess.PIPE)
        _, status, usage = os.wait4(child.pid, 0)
        errors = child.stderr.read().decode()
        child.stderr.close()
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit("kestran failed: %s" % errors.strip())
    return usage.ru_utime + usage.ru_stime


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    kestran, make_inputs, work = (os.path.abspath(a) for a in sys.argv[1:4])
    repeats = int(sys.argv[4]) if len(sys.argv) > 4 else 7
    os.makedirs(work, exist_ok=True)
    if not os.path.exists(os.path.join(work, "fullprof2-%d.dat" % COUNT)):
        subprocess.run([make_inputs, work, str(COUNT)], check=True)
    best = {name: float("inf") for name, _, _ in RUNS}
    for _ in range(repeats):
        for name, extra, _ in RUNS:
            best[name] = min(best[name], cpu_seconds(kestran, work, extra))
    plain = best["plain"]
    print("%-10s %10s %8s %8s" % ("run", "CPU (s)", "ratio", "limit"))
    failed = False
    for name, _, limit in RUNS:
        ratio = best[name] / plain
        print("%-10s %10.3f %8.2f %8s" % (name, best[name], ratio, "" if limit is None else "< %g" % limit))
        failed = failed or (limit is not None and ratio >= limit)
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
