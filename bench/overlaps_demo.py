#!/usr/bin/python3
"""Does keeping overlapped reflections help structure solution?

Builds random structures with cctbx (14 atoms in the asymmetric unit, cell
volume about 1000 A^3, 1.0 A resolution, Cu K-alpha 1.5406 A), writes their
amplitudes as a FULLPROF JFOU=2 entry file, runs kestran on it with
--overlaps=drop, --overlaps=share (each group's plain mean of F^2) and
--overlaps=share --space-group (the mean weighted by the multiplicities),
reads NAMEI.hkl back as SHELX HKLF 4 intensities and solves each by charge
flipping (smtbx). A try counts as
solved when at least 90 % of the atoms lie within 0.5 A of a peak of the
map, after cctbx's Euclidean model matching has taken the allowed origin
shifts and the enantiomorph into account. Prints the table of
docs/overlaps.md.

The entry file plays the part of a Le Bail extraction: reflections closer
than the window D (the file's own D) are unresolved in the pattern, so the
extraction only knows the sum of their intensities (weighted by the
multiplicities) and splits it among them at random; every other reflection
gets its exact amplitude. At D = 0 both rules give the same, complete data.

Usage (minutes; not part of the test suite):
    bench/overlaps_demo.py [--kestran build/release/kestran] [--tries 3]
                           [--splits 1] [--windows 0.03,0.04,0.05]
                           [--groups P21/c,Pbca,P212121]
Needs Debian's python3-cctbx (with smtbx); run it with /usr/bin/python3.
"""

import argparse
import math
import os
import random
import re
import subprocess
import sys
import tempfile
import time

try:
    from cctbx import euclidean_model_matching as emma
    from cctbx import maptbx, miller, sgtbx
    from cctbx.array_family import flex
    from cctbx.development import random_structure
    from iotbx import reflection_file_reader
    from smtbx.ab_initio import charge_flipping
except ImportError as missing:
    sys.exit(
        "overlaps_demo: cctbx is missing (%s): install Debian's python3-cctbx and run this script "
        "with /usr/bin/python3" % missing
    )

WAVELENGTH = 1.5406
D_MIN = 1.0
ATOMS = ["O"] * 4 + ["N"] * 2 + ["C"] * 8
CELL_VOLUME = 1000.0
MATCH_DISTANCE = 0.5
SOLVED_FRACTION = 0.9
GROUPS = {"P21/c": "P 1 21/c 1", "Pbca": "P b c a", "P212121": "P 21 21 21"}


def random_cell(info, rng):
    """Edges in ratios up to about 1:1.8, beta from 95 to 115 degrees for a
    monoclinic group, scaled to the cell volume."""
    edges = [rng.uniform(0.75, 1.33) for _ in range(3)]
    beta = rng.uniform(95.0, 115.0) if info.group().crystal_system() == "Monoclinic" else 90.0
    scale = (CELL_VOLUME / (edges[0] * edges[1] * edges[2] * math.sin(math.radians(beta)))) ** (1.0 / 3.0)
    return (scale * edges[0], scale * edges[1], scale * edges[2], 90.0, beta, 90.0)


def random_target(symbol, seed):
    random.seed(seed)
    flex.set_random_seed(seed)
    info = sgtbx.space_group_info(symbol)
    return random_structure.xray_structure(
        space_group_info=info,
        unit_cell=random_cell(info, random.Random(seed)),
        elements=ATOMS,
        min_distance=1.2,
        use_u_iso=True,
        random_u_iso=True,
        random_u_iso_scale=0.04,
    )


def two_theta(unit_cell, hkl):
    sin_theta = WAVELENGTH / (2.0 * unit_cell.d(hkl))
    return 2.0 * math.degrees(math.asin(sin_theta))


def extracted_amplitudes(target, window, rng):
    """The amplitudes a Le Bail fit would give: exact for resolved
    reflections, a random split of the group's intensity for reflections
    closer than `window` (a chain of neighbours, as kestran groups them)."""
    f_calc = (
        miller.build_set(crystal_symmetry=target, anomalous_flag=False, d_min=D_MIN)
        .structure_factors_from_scatterers(xray_structure=target, algorithm="direct")
        .f_calc()
    )
    amplitudes = f_calc.amplitudes()
    multiplicities = amplitudes.multiplicities().data()
    cell = target.unit_cell()
    rows = sorted(
        (two_theta(cell, hkl), hkl, f, m)
        for hkl, f, m in zip(amplitudes.indices(), amplitudes.data(), multiplicities)
    )
    extracted = []
    start = 0
    for end in range(1, len(rows) + 1):
        if end < len(rows) and rows[end][0] - rows[end - 1][0] < window:
            continue
        group = rows[start:end]
        if len(group) == 1:
            extracted.append((group[0][1], group[0][2]))
        else:
            total = sum(m * f * f for _, _, f, m in group)
            shares = [-math.log(1.0 - rng.random()) for _ in group]
            for (_, hkl, _, m), share in zip(group, shares):
                extracted.append((hkl, math.sqrt(share / sum(shares) * total / m)))
        start = end
    return extracted


def write_entry_file(path, target, window, extracted):
    largest = max(f for _, f in extracted)
    scale = 1000.0 / largest
    a, b, c, alpha, beta, gamma = target.unit_cell().parameters()
    with open(path, "w") as out:
        out.write("%.5f %.5f %.5f %.3f %.3f %.3f %.5f\n" % (a, b, c, alpha, beta, gamma, WAVELENGTH))
        out.write("%d %g\n" % (len(extracted), window))
        for (h, k, l), f in extracted:
            out.write("%4d%4d%4d%8.2f%8.3f%4d\n" % (h, k, l, f * scale, f * scale / 100.0, 1))


# The runs compared: kestran's options for each.
RULES = {
    "drop": ["--overlaps=drop"],
    "share": ["--overlaps=share"],
    "share by multiplicity": ["--overlaps=share", "--space-group"],
}


def run_kestran(kestran, directory, base, rule, symbol):
    options = RULES[rule] + ([symbol] if RULES[rule][-1] == "--space-group" else [])
    result = subprocess.run(
        [kestran, "--code", "1", "--no-pause"] + options + [base],
        cwd=directory,
        stdin=subprocess.DEVNULL,
        capture_output=True,
        text=True,
    )
    if result.returncode != 0:
        sys.exit("overlaps_demo: kestran failed:\n" + result.stdout + result.stderr)
    final = int(re.search(r"Final hkl number =\s*(\d+)", result.stdout).group(1))
    shared = re.search(r"Shared in groups =\s*(\d+) in\s*(\d+) groups", result.stdout)
    return final, (int(shared.group(1)) if shared else 0)


def read_intensities(path, target):
    arrays = reflection_file_reader.any_reflection_file(path + "=hklf4").as_miller_arrays(
        crystal_symmetry=target.crystal_symmetry()
    )
    intensities = arrays[0].merge_equivalents().array()
    return intensities.f_sq_as_f()


def solved(target, f_obs, seed):
    """Charge flipping on quasi-normalised amplitudes; the first solution's
    map peaks matched against the target."""
    random.seed(seed)
    flex.set_random_seed(seed)
    flipping = charge_flipping.weak_reflection_improved_iterator(delta=None)
    solving = charge_flipping.solving_iterator(
        flipping,
        f_obs,
        normalisations_for=charge_flipping.amplitude_quasi_normalisations,
        yield_during_delta_guessing=True,
        yield_solving_interval=1,
        max_solving_iterations=Iterations(500),
    )
    try:
        charge_flipping.loop(solving, verbose=False, out=open(os.devnull, "w"))
    except AssertionError:
        # The normalisation fails when a resolution shell keeps too few
        # reflections (a mean of F^2 of 0 or less after interpolation): the
        # data cannot be solved.
        return False
    if not solving.f_calc_solutions:
        return False
    f_calc = solving.f_calc_solutions[0][0]
    peaks = (
        f_calc.fft_map(symmetry_flags=maptbx.use_space_group_symmetry)
        .peak_search(
            maptbx.peak_search_parameters(
                interpolate=True, min_distance_sym_equiv=1.0, max_clusters=int(1.5 * len(ATOMS))
            ),
            verify_symmetry=False,
        )
        .all()
        .sites()
    )
    peak_model = emma.model(
        target.crystal_symmetry().special_position_settings(),
        positions=[emma.position("Q%d" % i, site) for i, site in enumerate(peaks)],
    )
    matches = emma.model_matches(
        target.as_emma_model(), peak_model, tolerance=MATCH_DISTANCE, break_if_match_with_no_singles=False
    ).refined_matches
    return bool(matches) and len(matches[0].pairs) >= SOLVED_FRACTION * len(ATOMS)


class Iterations(int):
    """smtbx multiplies its iteration limit by 1.5 after two attempts, which
    Python 3's islice refuses as a float: keep it a whole number."""

    def __mul__(self, factor):
        return Iterations(int(int(self) * factor))

    __rmul__ = __mul__


class Tally:
    def __init__(self):
        self.tries = self.rows = self.in_groups = self.kept = 0
        self.solved = {rule: 0 for rule in RULES}

    def add(self, outcome):
        self.tries += 1
        self.rows += outcome["share"][0]
        self.in_groups += outcome["share"][1]
        self.kept += outcome["drop"][0]
        for rule in RULES:
            self.solved[rule] += outcome[rule][2]

    def line(self, label, window):
        return "| %s | %g | %.1f %% | %.1f %% | %s |" % (
            label,
            window,
            100.0 * self.in_groups / self.rows,
            100.0 * self.kept / self.rows,
            " | ".join("%d of %d" % (self.solved[rule], self.tries) for rule in RULES),
        )


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--kestran", default=os.path.join(os.path.dirname(__file__), "..", "build", "release", "kestran"))
    parser.add_argument("--tries", type=int, default=3, help="structures per space group")
    parser.add_argument("--splits", type=int, default=1, help="random extractions of each structure")
    parser.add_argument("--first-try", type=int, default=0, help="the number of the first structure of each space group")
    parser.add_argument("--windows", default="0.03,0.04,0.05")
    parser.add_argument("--groups", default="P21/c,Pbca,P212121")
    options = parser.parse_args()
    kestran = os.path.abspath(options.kestran)
    if not os.access(kestran, os.X_OK):
        sys.exit("overlaps_demo: no kestran at %s: build it first (cmake --build --preset release)" % kestran)
    windows = [float(w) for w in options.windows.split(",")]
    groups = options.groups.split(",")
    start = time.time()
    tallies = {}
    with tempfile.TemporaryDirectory(prefix="kestran-overlaps-") as directory:
        for group in groups:
            for attempt in range(options.first_try, options.first_try + options.tries):
                seed = 1000 * (list(GROUPS).index(group) + 1) + attempt
                target = random_target(GROUPS[group], seed)
                for window, split in [(w, s) for w in windows for s in range(options.splits)]:
                    write_entry_file(
                        os.path.join(directory, "demo.dat"),
                        target,
                        window,
                        extracted_amplitudes(target, window, random.Random(seed + 100 * split)),
                    )
                    outcome = {}
                    for rule in RULES:
                        if rule != "drop" and window == 0:
                            outcome[rule] = outcome["drop"]  # nothing to share: the same files
                            continue
                        final, shared = run_kestran(kestran, directory, "demo", rule, GROUPS[group])
                        f_obs = read_intensities(os.path.join(directory, "demoI.hkl"), target)
                        outcome[rule] = (final, shared, solved(target, f_obs, seed))
                    for key in ((group, window), ("all", window)):
                        tallies.setdefault(key, Tally()).add(outcome)
                    print(
                        "# %s seed %d D=%g: %d rows, %d in groups, %s (%.0f s)"
                        % (
                            group,
                            seed,
                            window,
                            outcome["share"][0],
                            outcome["share"][1],
                            ", ".join(
                                "%s %s" % (rule, "solved" if outcome[rule][2] else "not solved") for rule in RULES
                            ),
                            time.time() - start,
                        ),
                        file=sys.stderr,
                        flush=True,
                    )
    print(
        "| space group | window D (deg) | rows in groups | kept by drop | solved with drop "
        "| solved with share (plain mean) | solved with share and --space-group |"
    )
    print("|---|---|---|---|---|---|---|")
    for group in groups + ["all"]:
        for window in windows:
            print(tallies[(group, window)].line(group, window))
    print(
        "\n%d structures per space group, %d extraction(s) of each per window; %.0f s"
        % (options.tries, options.splits, time.time() - start)
    )


if __name__ == "__main__":
    main()
