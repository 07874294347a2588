#!/usr/bin/env python3
"""Prints the benchmark table of bench/run and times whole kestran runs.

Usage: report.py BENCH_JSON KESTRAN INPUT_DIR [RUNS [FLOOR]]

With FLOOR (the kestran_floor program) each standard case also runs side by
side with the floor program, which reads the same entry file and writes
three files of the sizes kestran wrote, alternating the two; and when
valgrind is there, the instructions of one run of each case are counted.

BENCH_JSON is the --benchmark_out file of kestran_bench. Benchmark times are
CPU time per iteration (the machine may be shared; wall time is in the JSON).
Each whole run pipes the answers into KESTRAN in a scratch copy of INPUT_DIR
and is timed from process start to exit (so are scans of ten windows, set
against the plain run of the same file); its peak resident memory is measured
by GNU time (/usr/bin/time) on three further runs.
"""
import json
import math
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

UNIT = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}

# (label, entry file, answers piped in)
PROCESS_CASES = [
    ("FULLPROF JFOU=2 (1)", "fullprof2.dat", "1\nfullprof2\n0\n"),
    ("FULLPROF JFOU=4 (4)", "fullprof4.dat", "4\nfullprof4\n0\n"),
    ("SIRPOW (2), DELTA 1", "sirpow.hkl", "2\nsirpow\n1.0\n0\n"),
    ("EXPO (3), DELTA 1", "expo.hkl", "3\nexpo\n1.0\n0\n"),
    ("FULLPROF JFOU=2, window 0", "fullprof2-window0.dat", "1\nfullprof2-window0\n0\n"),
    ("FULLPROF JFOU=4, window 0", "fullprof4-window0.dat", "4\nfullprof4-window0\n0\n"),
    ("SIRPOW, DELTA 0", "sirpow.hkl", "2\nsirpow\n0\n0\n"),
    ("EXPO, DELTA 0", "expo.hkl", "3\nexpo\n0\n0\n"),
]

# (label, arguments, label of the plain run of the same file): a scan of ten
# windows reads and orders once, then makes ten O(n) passes.
SCAN_CASES = [
    ("scan JFOU=2, 10 windows", ["--scan=0,0.001,0.002,0.005,0.01,0.02,0.03,0.05,0.1,0.2",
                                          "--code", "1", "--no-pause", "fullprof2"], "FULLPROF JFOU=2 (1)"),
    ("scan JFOU=4, 10 windows", ["--scan=0,0.001,0.002,0.005,0.01,0.02,0.03,0.05,0.1,0.2",
                                          "--code", "4", "--no-pause", "fullprof4"], "FULLPROF JFOU=4 (4)"),
    ("scan SIRPOW, 10 windows", ["--scan=0,0.1,0.25,0.5,0.75,1,1.5,2,3,4", "--code", "2", "--no-pause", "sirpow"],
     "SIRPOW (2), DELTA 1"),
    ("scan EXPO, 10 windows", ["--scan=0,0.1,0.25,0.5,0.75,1,1.5,2,3,4", "--code", "3", "--no-pause", "expo"],
     "EXPO (3), DELTA 1"),
]


def seconds(bench):
    return bench["cpu_time"] * UNIT[bench["time_unit"]]


def load(path):
    with open(path) as f:
        runs = json.load(f)["benchmarks"]
    failed = [b["name"] for b in runs if b.get("error_occurred")]
    if failed:
        sys.exit("benchmarks failed: " + ", ".join(failed))
    return {b["run_name"]: b for b in runs if b.get("run_type", "iteration") == "iteration"}


def fmt_time(s):
    if s >= 1:
        return f"{s:8.3f} s "
    if s >= 1e-3:
        return f"{s * 1e3:8.3f} ms"
    return f"{s * 1e6:8.1f} us"


def nlogn(n):
    return n * math.log2(n)


def growth_row(times):
    """Growth of the time from 1000 to 10000 to 40000 rows against n log n."""
    t1, t10, t40 = times
    row("  growth 1000 -> 40000", f"{t40 / t1:9.1f}x",
        f"{t10 / t1:.1f}x, {t40 / t10:.1f}x; n log n {nlogn(10000) / nlogn(1000):.1f}x, "
        f"{nlogn(40000) / nlogn(10000):.1f}x")


def row(case, time_text, note=""):
    print(f"| {case:<34} | {time_text:>12} | {note:<44} |")


def rule():
    print(f"|{'-' * 36}|{'-' * 14}|{'-' * 46}|")


def benchmark_rows(results):
    shapes = ["random", "ascending", "descending", "tied50", "staircase"]
    sizes = [1000, 10000, 40000]
    for shape in shapes:
        for n in sizes:
            fast = seconds(results[f"ordering/fast/{shape}/{n}"])
            literal_name = next(k for k in results if k.startswith(f"ordering/literal/{shape}/{n}"))
            literal = seconds(results[literal_name])
            row(f"ordering fast {shape} {n}", fmt_time(fast),
                f"literal {fmt_time(literal).strip()}, literal/fast {literal / fast:.0f}x")
        growth_row([seconds(results[f"ordering/fast/{shape}/{n}"]) for n in sizes])
    for n in [1000000, 10000000]:
        random = seconds(results[f"ordering/fast/random/{n}"])
        for shape in shapes:
            name = f"ordering/fast/{shape}/{n}"
            if name in results:
                row(f"ordering fast {shape} {n}", fmt_time(seconds(results[name])),
                    f"{seconds(results[name]) / random:.2f}x random")
    rule()
    for name, b in results.items():
        if name.startswith("records/"):
            row(name.removeprefix("records/") + " (40000)", fmt_time(seconds(b)),
                f"{b['items_per_second'] / 1e6:6.2f} M reflections/s")
    rule()
    for flavour in ["fullprof2", "fullprof4", "sirpow", "expo"]:
        for n in [1000, 10000, 40000]:
            b = results[f"pipeline/{flavour}/{n}"]
            row(f"pipeline {flavour} {n}", fmt_time(seconds(b)),
                f"{b['items_per_second'] / 1e6:5.2f} M refl/s, kept {int(b['kept'])}")
        growth_row([seconds(results[f"pipeline/{flavour}/{n}"]) for n in [1000, 10000, 40000]])
        b = results[f"pipeline/{flavour}-window0/40000"]
        row(f"pipeline {flavour} 40000 window 0", fmt_time(seconds(b)),
            f"{b['items_per_second'] / 1e6:5.2f} M refl/s, kept {int(b['kept'])}")


def time_run(kestran, work, answers, arguments=()):
    """Wall and CPU seconds of one run, timed from just before the process
    starts until the kernel reports it finished."""
    start = time.perf_counter()
    child = subprocess.Popen([kestran, *arguments], cwd=work, stdin=subprocess.PIPE, stdout=subprocess.DEVNULL)
    child.stdin.write(answers.encode())
    child.stdin.close()
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.perf_counter() - start
    child.returncode = os.waitstatus_to_exitcode(status)
    if child.returncode != 0:
        sys.exit(f"kestran exited with {child.returncode}")
    return wall, usage.ru_utime + usage.ru_stime


def peak_rss_mib(kestran, work, answers):
    """Peak resident memory of one run as GNU time reports it. (The rusage of
    a child forked from this Python process would count the fork's memory.)"""
    report = os.path.join(work, "time.txt")
    subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report, kestran], cwd=work, input=answers.encode(),
                   stdout=subprocess.DEVNULL, check=True)
    with open(report) as f:
        return int(f.read().split()[-1]) / 1024  # KiB


def median_times(kestran, work, answers, runs, arguments=()):
    time_run(kestran, work, answers, arguments)  # warm the page cache
    samples = [time_run(kestran, work, answers, arguments) for _ in range(runs)]
    return statistics.median(s[0] for s in samples), statistics.median(s[1] for s in samples)


def output_sizes(work, entry):
    stem = entry.rsplit(".", 1)[0]
    return [(os.path.join(work, stem + suffix), os.path.getsize(os.path.join(work, stem + suffix)))
            for suffix in ("F.hkl", "I.hkl", ".int")]


def time_floor(floor, work, entry, sizes):
    arguments = [floor, os.path.join(work, entry)]
    for path, size in sizes:
        arguments += [path + ".floor", str(size)]
    start = time.perf_counter()
    child = subprocess.Popen(arguments, stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit("the floor program failed")
    return wall, usage.ru_utime + usage.ru_stime


def instructions(kestran, work, answers):
    """Instructions of one whole run counted by callgrind, or None without valgrind."""
    if shutil.which("valgrind") is None:
        return None
    out = os.path.join(work, "callgrind.out")
    result = subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=" + out, kestran], cwd=work,
                            input=answers.encode(), stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, check=True)
    for line in result.stderr.decode().splitlines():
        if "Collected :" in line:
            return int(line.split()[-1])
    return None


def floor_rows(kestran, floor, inputs, runs):
    """Kestran against the floor program, alternating runs, and the instruction counts."""
    work = tempfile.mkdtemp(prefix="kestran-floor-")
    try:
        for name in os.listdir(inputs):
            shutil.copy(os.path.join(inputs, name), work)
        for label, entry, answers in PROCESS_CASES:
            time_run(kestran, work, answers)
            sizes = output_sizes(work, entry)
            time_floor(floor, work, entry, sizes)
            ours, base = [], []
            for _ in range(max(runs, 10)):
                ours.append(time_run(kestran, work, answers))
                base.append(time_floor(floor, work, entry, sizes))
            ours_median, base_median = (statistics.median(s[0] for s in ours),
                                        statistics.median(s[0] for s in base))
            ours_cpu, base_cpu = statistics.median(s[1] for s in ours), statistics.median(s[1] for s in base)
            counted = instructions(kestran, work, answers)
            note = (f"floor {base_median * 1e3:5.2f} ms, ratio {ours_median / base_median:4.2f}x; "
                    f"cpu {ours_cpu * 1e3:4.1f}/{base_cpu * 1e3:4.1f} ms")
            if counted is not None:
                note += f"; {counted / 1e6:5.1f} M instr"
            row(f"vs floor {label}", fmt_time(ours_median), note)
    finally:
        shutil.rmtree(work)


def process_rows(kestran, inputs, runs):
    work = tempfile.mkdtemp(prefix="kestran-bench-")
    plain = {}
    try:
        for name in os.listdir(inputs):
            shutil.copy(os.path.join(inputs, name), work)
        for label, entry, answers in PROCESS_CASES:
            wall, cpu = plain[label] = median_times(kestran, work, answers, runs)
            rss = max(peak_rss_mib(kestran, work, answers) for _ in range(3))
            kept = sum(1 for _ in open(os.path.join(work, entry.rsplit(".", 1)[0] + ".int")))
            row(f"process {label}", fmt_time(wall),
                f"cpu {cpu * 1e3:5.1f} ms, max RSS {rss:4.1f} MiB, kept {kept}")
        rule()
        for label, arguments, plain_label in SCAN_CASES:
            wall, cpu = median_times(kestran, work, "", runs, arguments)
            plain_wall, plain_cpu = plain[plain_label]
            row(f"process {label}", fmt_time(wall),
                f"cpu {cpu * 1e3:5.1f} ms; / plain run: wall {wall / plain_wall:.2f}x, cpu {cpu / plain_cpu:.2f}x")
    finally:
        shutil.rmtree(work)


def main():
    if len(sys.argv) not in (4, 5, 6):
        sys.exit(__doc__)
    bench_json, kestran, inputs = sys.argv[1:4]
    runs = int(sys.argv[4]) if len(sys.argv) >= 5 else 10
    floor = sys.argv[5] if len(sys.argv) == 6 else None
    results = load(bench_json)
    print(f"{os.cpu_count()} cores, load average {os.getloadavg()[0]:.2f} at the end of the benchmarks; "
          f"benchmark times are CPU time per call; process times are the median wall time of {runs} runs "
          f"(cpu: median user + system time)")
    rule()
    row("case", "time", "ratio, rate or memory")
    rule()
    benchmark_rows(results)
    rule()
    process_rows(os.path.abspath(kestran), inputs, runs)
    rule()
    if floor is not None:
        floor_rows(os.path.abspath(kestran), os.path.abspath(floor), inputs, runs)
        rule()


if __name__ == "__main__":
    main()
