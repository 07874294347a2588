#!/usr/bin/env python3
"""The window page in a real browser (headless Chromium through WebDriver).

For each flavour: kestran writes the page of an entry file made here; the
page is loaded from disk; at 20 windows (0, the smallest windows that cut a
pair and the float just below each, the run's own window, slider steps) and
with both rules the page's counts and the status of every row of the file
are compared with real runs of kestran at those windows (their report's
status column), and its shells with --stats. The page must make no network
request. A screenshot of each page is kept in the build directory. Then a
page of 40000 rows must stay under 4 MB and redraw under 100 ms.

Usage: window_page_browser.py KESTRAN BUILD_DIR
Exit status 77 (skipped) without Chromium, chromedriver or selenium, unless
CI=true.
"""
import fractions
import json
import math
import os
import random
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time

CHROMIUM, CHROMEDRIVER = "/usr/bin/chromium", "/usr/bin/chromedriver"
WINDOWS_PER_FLAVOUR = 20
SKIP = 77


def start_browser():
    try:
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
    except ImportError as error:
        return None, f"selenium missing: {error}"
    if not (os.path.exists(CHROMIUM) and os.path.exists(CHROMEDRIVER)):
        return None, "chromium or chromedriver missing"
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    profile = tempfile.mkdtemp(prefix="kestran-chromium-")
    for argument in ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                     "--disable-background-networking", "--disable-component-update", "--disable-sync",
                     "--disable-dev-shm-usage", "--window-size=1280,1100", f"--user-data-dir={profile}"]:
        options.add_argument(argument)
    options.set_capability("goog:loggingPrefs", {"performance": "ALL", "browser": "ALL"})
    driver = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
    driver.profile_dir = profile
    return driver, ""


# ---- floats as kestran reads them --------------------------------------

def float_bits(value):
    return struct.unpack("<I", struct.pack("<f", value))[0]


def bits_float(bits):
    return struct.unpack("<f", struct.pack("<I", bits))[0]


def reads_as(text, bits):
    """True when the decimal text rounds (to nearest, ties to even) to the float of bits."""
    exact = fractions.Fraction(text)
    here = fractions.Fraction(bits_float(bits))
    above = (here + fractions.Fraction(bits_float(bits + 1))) / 2
    below = (here + fractions.Fraction(bits_float(bits - 1))) / 2 if bits > 0 else here
    even = bits % 2 == 0
    return (below < exact < above) or (exact in (below, above) and even) or exact == here


def shortest_text(bits):
    for digits in range(1, 10):
        text = repr(float(f"{bits_float(bits):.{digits}g}"))
        if reads_as(text, bits):
            return text
    raise AssertionError(f"no text for {bits:#x}")


# ---- entry files ------------------------------------------------------

CELL = (7.1234, 7.1234, 7.1301, 90.0, 90.0, 90.0, 1.5406)  # a = b: pairs at one angle, c close to them


def cell_reflections(rng, limit_two_theta=62.0):
    a, _, c, *_ = CELL
    found = []
    for h in range(0, 9):
        for k in range(0, 9):
            for l in range(0, 9):
                s = (CELL[6] ** 2 / 4) * ((h * h + k * k) / a ** 2 + l * l / c ** 2)
                if (h, k, l) != (0, 0, 0) and s < 1 and 2 * math.degrees(math.asin(math.sqrt(s))) < limit_two_theta:
                    found.append((h, k, l))
    rng.shuffle(found)
    return found


def write_flavour(directory, code, window, rng):
    """Writes abc.dat or abc.hkl; returns the rows' (h, k, l) in file order."""
    cell = " ".join(str(value) for value in CELL)
    if code == 2:
        rows, lines, position = [], ["SIRPOW test", "   h   k   l mult d 2theta fwhm intensity sigma"], 5.0
        for index in range(240):
            position += rng.choice([0.0, 0.01, 0.02, 0.03, 0.05, 0.1, 0.2, 0.5])
            h, k, l = index // 100 + 1, index // 10 % 10, index % 10
            shown = position + (0.3 if index % 37 == 5 else 0.0)  # a few lines out of angle order
            lines.append(f"{h} {k} {l} 2 1.0 {shown:.4f} {rng.uniform(0.02, 0.12):.4f} "
                         f"{rng.uniform(10, 5000):.1f} {rng.uniform(1, 20):.1f}")
            rows.append((h, k, l))
        name, text = "abc.hkl", "\n".join(lines) + "\n"
    else:
        rows = cell_reflections(rng)
        rows.insert(7, (0, 0, 0))  # no reflection: never written
        amplitudes = [-1.0 if index == 11 else rng.uniform(5, 900) for index in range(len(rows))]
        if code == 3:
            body = [f"{h} {k} {l} {rng.uniform(0.03, 0.1):.4f} {f:.3f}" for (h, k, l), f in zip(rows, amplitudes)]
            name, text = "abc.hkl", "EXPO test\n" + cell + "\n" + "\n".join(body) + "\n"
        else:
            record = "{:4d}{:4d}{:4d}{:8.2f}{:8.3f}{:4d}" if code == 1 else "{:4d}{:4d}{:4d}{:10.4f}{:10.4f}{:10.4f}"
            body = [record.format(h, k, l, f, f / 50, 1) if code == 1 else record.format(h, k, l, f, f / 50, 0.05)
                    for (h, k, l), f in zip(rows, amplitudes)]
            name, text = "abc.dat", f"{cell}\n{len(rows)} {window}\n" + "\n".join(body) + "\n"
    with open(os.path.join(directory, name), "w") as entry:
        entry.write(text)
    return rows


# ---- real runs -----------------------------------------------------------

STATUS_OF_REPORT = {"kept": "kept", "shared in group": "shared"}


def real_run(kestran, directory, flavour, window, rule, has_window_option):
    arguments = [kestran, "--code", str(flavour["code"]), "--no-pause", "--report", "r.tsv", "--stats",
                 "--overlaps=" + rule] + flavour["options"]
    if flavour["code"] in (2, 3):
        arguments += ["--delta", window]
    elif has_window_option:
        arguments += ["--window", window]
    else:  # D on the count line of the entry file
        with open(os.path.join(directory, "abc.dat")) as entry:
            lines = entry.read().split("\n")
        lines[1] = lines[1].split()[0] + " " + window
        with open(os.path.join(directory, "abc.dat"), "w") as entry:
            entry.write("\n".join(lines))
    run = subprocess.run(arguments + ["abc"], cwd=directory, capture_output=True, text=True, check=False)
    assert run.returncode == 0, run.stderr
    statuses = {}
    with open(os.path.join(directory, "r.tsv")) as report:
        for line in report.read().splitlines()[1:]:
            cells = line.split("\t")
            statuses[tuple(int(value) for value in cells[:3])] = STATUS_OF_REPORT.get(cells[9], "removed")
    shells = [{"range": m.group(2), "rows": int(m.group(3)), "kept": int(m.group(4)),
               "shared": int(m.group(5) or 0)}
              for m in re.finditer(r"^ +(\d+)  (\S+ - \S+) +(\d+) +(\d+) +\S+(?: +(\d+) +\S+)?$", run.stdout, re.M)]
    for shell in shells:
        shell["shared"] = shell["shared"] if rule == "share" else 0
    return statuses, shells


# ---- the page ----------------------------------------------------------

def network_requests(driver, page_url):
    """Every request the page made for anything but itself (the browser's own pages aside)."""
    requests = []
    for entry in driver.get_log("performance"):
        message = json.loads(entry["message"])["message"]
        params = message.get("params", {})
        if message.get("method") == "Network.requestWillBeSent" and params.get("documentURL") == page_url:
            if params["request"]["url"] != page_url:
                requests.append(params["request"]["url"])
    resources = driver.execute_script("return performance.getEntriesByType('resource').map(e => e.name)")
    return requests + resources


def windows_to_test(page):
    thresholds = page("thresholds()")
    texts = ["0", page("window()")]
    for text in thresholds[:6]:  # the shortest windows that cut, and the float below each
        bits = float_bits(float(text))
        assert reads_as(text, bits), text
        texts += [text, shortest_text(bits - 1)]
    for text in thresholds[6::max(1, len(thresholds) // 6)]:
        texts.append(text)
    unique = []
    for text in texts:
        if text not in unique:
            unique.append(text)
    return unique[:WINDOWS_PER_FLAVOUR]


def check_flavour(driver, kestran, work, build, flavour, has_window_option, failures):
    directory = os.path.join(work, flavour["label"])
    os.mkdir(directory)
    rng = random.Random(flavour["code"] * 31)
    rows = write_flavour(directory, flavour["code"], flavour["own"], rng)
    row_of = {hkl: index + 1 for index, hkl in enumerate(rows)}
    delta = ["--delta", flavour["own"]] if flavour["code"] in (2, 3) else []
    made = subprocess.run([kestran, "--code", str(flavour["code"]), "--no-pause", "--page", "page.html"] + delta +
                          flavour["options"] + ["abc"], cwd=directory, capture_output=True, text=True, check=False)
    assert made.returncode == 0, made.stderr
    url = "file://" + os.path.join(directory, "page.html")
    driver.get_log("performance")
    driver.get(url)
    errors = [entry for entry in driver.get_log("browser") if entry["level"] == "SEVERE"]
    if errors:
        failures.append(f"{flavour['label']}: errors in the page: {errors}")
        return
    page = lambda expression: driver.execute_script("return window.kestranPage." + expression)  # noqa: E731
    windows = windows_to_test(page)
    # Slider steps fill the 20: what the slider sets, as a user moves it.
    slider_max = int(driver.execute_script("return document.getElementById('slider').max"))
    position = 1
    while len(windows) < WINDOWS_PER_FLAVOUR:
        driver.execute_script("const s = document.getElementById('slider'); s.value = arguments[0];"
                              "s.dispatchEvent(new Event('input'));", str(position * slider_max // 7))
        text = page("window()")
        if text not in windows:
            windows.append(text)
        position += 1
    compared = 0
    for window in windows:
        for rule in ("drop", "share"):
            shown, page_statuses, counts, page_shells = driver.execute_script(
                "const p = window.kestranPage; p.setRule(arguments[0]); const shown = p.setWindow(arguments[1]);"
                "return [shown, Array.from({length: arguments[2]}, (_, i) => p.statusOf(i + 1)), p.counts(),"
                " p.shells()]", rule, window, len(rows))
            if float_bits(float(shown)) != float_bits(float(window)):
                failures.append(f"{flavour['label']}: window {window} shown as {shown}")
            statuses, shells = real_run(kestran, directory, flavour, window, rule, has_window_option)
            expected = {"read": len(rows), "kept": 0, "removed": 0, "shared": 0}
            for status in statuses.values():
                expected[status] += 1
            if counts != expected:
                failures.append(f"{flavour['label']} {rule} {window}: counts {counts}, a run gives {expected}")
            for hkl, status in statuses.items():
                if page_statuses[row_of[hkl] - 1] != status:
                    failures.append(f"{flavour['label']} {rule} {window}: row {row_of[hkl]} {hkl} is "
                                    f"{page_statuses[row_of[hkl] - 1]} on the page, {status} in a run")
            if page_shells != shells:
                failures.append(f"{flavour['label']} {rule} {window}: shells {page_shells}, --stats {shells}")
            compared += 1
    requests = network_requests(driver, url)
    if requests:
        failures.append(f"{flavour['label']}: network requests {requests}")
    page("setRule('share')")
    page(f"setWindow('{flavour['own']}')")
    driver.save_screenshot(os.path.join(build, f"window_page_{flavour['label']}.png"))
    print(f"{flavour['label']}: {len(windows)} windows x 2 rules, {compared} runs compared, {len(rows)} rows")


def guide_screenshot(driver, kestran, work, build):
    """The guide's picture: the bundled FULLPROF example, its own D, overlap groups shared."""
    directory = os.path.join(work, "guide")
    os.mkdir(directory)
    examples = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "examples")
    shutil.copy(os.path.join(examples, "quartzite.dat"), directory)
    made = subprocess.run([kestran, "--code", "1", "--no-pause", "--overlaps=share", "--page", "quartzite.html",
                           "quartzite"], cwd=directory, capture_output=True, text=True, check=False)
    assert made.returncode == 0, made.stderr
    driver.get("file://" + os.path.join(directory, "quartzite.html"))
    driver.save_screenshot(os.path.join(build, "window_page_guide.png"))


def check_large_page(driver, kestran, work, failures):
    directory = os.path.join(work, "large")
    os.mkdir(directory)
    rows = [(h, k, l) for h in range(0, 40) for k in range(0, 40) for l in range(0, 40)][1:40001]
    rng = random.Random(7)
    body = "\n".join(f"{h:4d}{k:4d}{l:4d}{rng.uniform(5, 900):8.2f}{1.0:8.3f}{1:4d}" for h, k, l in rows)
    with open(os.path.join(directory, "big.dat"), "w") as entry:
        entry.write(f"41.1 43.7 47.9 90 90 90 1.5406\n{len(rows)} 0.01\n{body}\n")
    made = subprocess.run([kestran, "--code", "1", "--no-pause", "--page", "big.html", "big"], cwd=directory,
                          capture_output=True, text=True, check=False)
    assert made.returncode == 0, made.stderr
    size = os.path.getsize(os.path.join(directory, "big.html"))
    driver.get("file://" + os.path.join(directory, "big.html"))
    took = []
    for position in (30, 60, 100, 250, 400, 550, 700, 850, 1000, 50):
        # From the slider's input event to the next frame; the first two
        # moves warm the script up.
        took.append(driver.execute_async_script(
            "const done = arguments[1]; const s = document.getElementById('slider');"
            "const start = performance.now(); s.value = arguments[0]; s.dispatchEvent(new Event('input'));"
            "requestAnimationFrame(() => done(performance.now() - start));", str(position)))
    slowest = max(took[2:])
    print(f"40000 rows: page {size} bytes, slider to next frame {sorted(took[2:])[4]:.1f} ms (median), "
          f"{slowest:.1f} ms (slowest), {took[0]:.1f} ms (first move)")
    if size >= 4_000_000:
        failures.append(f"the 40000-row page has {size} bytes")
    if slowest >= 100:
        failures.append(f"a redraw of the 40000-row page took {slowest:.1f} ms")


def main():
    kestran, build = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    driver, why = start_browser()
    if driver is None:
        print(why)
        return 1 if os.environ.get("CI") == "true" else SKIP
    help_text = subprocess.run([kestran, "--help"], capture_output=True, text=True, check=False).stdout
    has_window_option = "--window" in help_text
    flavours = [
        {"label": "fullprof2", "code": 1, "own": "0.02", "options": []},
        {"label": "fullprof4", "code": 4, "own": "0.015", "options": ["--d-min", "1.6"]},
        {"label": "sirpow", "code": 2, "own": "0.5", "options": []},
        {"label": "expo", "code": 3, "own": "1", "options": ["--two-theta-max", "50"]},
    ]
    failures = []
    work = tempfile.mkdtemp(prefix="kestran-page-")
    start = time.monotonic()
    try:
        for flavour in flavours:
            check_flavour(driver, kestran, work, build, flavour, has_window_option, failures)
        guide_screenshot(driver, kestran, work, build)
        check_large_page(driver, kestran, work, failures)
    finally:
        driver.quit()
        shutil.rmtree(work, ignore_errors=True)
        shutil.rmtree(driver.profile_dir, ignore_errors=True)
    print(f"{time.monotonic() - start:.1f} s")
    for failure in failures[:40]:
        print("FAILED:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
