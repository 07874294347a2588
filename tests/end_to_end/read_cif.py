#!/usr/bin/python3
"""Reads a reflection CIF of kestran with two real readers, cctbx (iotbx.cif,
to miller arrays) and gemmi (its CIF parser), and checks them against the
run's other files.

Usage: read_cif.py CIF INTENSITY_FILE --sigma RULE [--cell ENTRY_FILE LINE]
                   [--shelx AMPLITUDE_FILE] [--space-group SYMBOL]

  RULE   what the intensity file's second column holds: 'propagated'
         (sigma(I) = 2 F sigma(F), as the CIF), 'hundredth' (I/100, half the
         CIF's 2 F (F/100)) or 'squared' (SIGF^2, not compared)
  --cell the cell and wavelength the CIF must give, from line LINE of the
         entry file; without it the CIF must give none
  --shelx the amplitude and intensity files are SHELX records: cctbx's HKLF
         3 and 4 readers must read them as amplitudes and intensities with
         their sigmas, the same as the CIF's kept rows
  --space-group the group the CIF must name (both readers), with each row's
         multiplicity as cctbx computes it in that group (Friedel mates
         merged); without it the CIF must name none

Exits with 2 when cctbx or gemmi cannot be imported, 1 when a check fails.
"""
import argparse
import sys

try:
    import gemmi
    import iotbx.cif
    from cctbx import crystal, miller, sgtbx
    from iotbx.reflection_file_reader import any_reflection_file
    import numpy
    from cctbx.array_family import flex
except ImportError as error:
    print("read_cif.py: %s" % error)
    sys.exit(2)

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def single(value):
    """The single-precision value a CIF number stands for."""
    return float(numpy.float32(float(value)))


def with_decimals(value, decimals):
    return "%.*f" % (decimals, single(value))


def read_gemmi(path):
    block = gemmi.cif.read_file(path).sole_block()
    table = block.find("_refln_", ["index_h", "index_k", "index_l", "F_squared_meas", "F_squared_sigma",
                                   "include_status"])
    rows = [(int(r[0]), int(r[1]), int(r[2]), r[3], r[4], r[5]) for r in table]
    items = {name: block.find_value(name) for name in
             ["_cell_length_a", "_cell_length_b", "_cell_length_c", "_cell_angle_alpha", "_cell_angle_beta",
              "_cell_angle_gamma", "_diffrn_radiation_wavelength"]}
    return block.name, rows, items


def read_cctbx(path):
    reader = iotbx.cif.reader(file_path=path)
    block = list(reader.model().values())[0]
    arrays = {}
    for array in reader.as_miller_arrays():
        arrays[array.info().labels[-1]] = array
    return block, arrays


def read_records(path):
    """h, k, l and the two numbers of each record, without the 0 0 0 end:
    3I4,F8.2,F8.3,I4 or HKLF 4's 3I4,2F8.2,I4 (32 columns) or code 4's
    3I4,3F10.4 (42 columns)."""
    rows = []
    for line in open(path):
        h, k, l = (int(line[i:i + 4]) for i in (0, 4, 8))
        if (h, k, l) == (0, 0, 0):
            break
        width = 10 if len(line.rstrip("\n")) == 42 else 8
        rows.append((h, k, l, line[12:12 + width].strip(), line[12 + width:12 + 2 * width].strip()))
    return rows


def check_cell(items, cctbx_block, arrays, cell):
    names = ["_cell_length_a", "_cell_length_b", "_cell_length_c", "_cell_angle_alpha", "_cell_angle_beta",
             "_cell_angle_gamma", "_diffrn_radiation_wavelength"]
    if cell is None:
        check(all(items[n] is None for n in names), "gemmi: cell or wavelength given where the file has none")
        check(all(n not in cctbx_block for n in names), "cctbx: cell or wavelength given where the file has none")
        return
    expected = [single(v) for v in cell]
    check([single(items[n]) for n in names] == expected, "gemmi: cell and wavelength %s" % items)
    check([single(cctbx_block[n]) for n in names] == expected, "cctbx: cell and wavelength")
    for label, array in arrays.items():
        symmetry = array.crystal_symmetry()
        check(symmetry is not None and symmetry.unit_cell() is not None
              and [single(v) for v in symmetry.unit_cell().parameters()] == expected[:6],
              "cctbx: the cell of %s" % label)


def check_rows(rows, arrays):
    intensities = arrays.get("_refln_F_squared_sigma")
    statuses = arrays.get("_refln_include_status")
    check(intensities is not None and intensities.is_xray_intensity_array() and intensities.sigmas() is not None,
          "cctbx: no intensity array with sigmas: %s" % list(arrays))
    check(statuses is not None, "cctbx: no include_status array")
    if failures:
        return
    check(len(rows) == intensities.size() == statuses.size(), "cctbx and gemmi: different numbers of rows")
    for row, index, value, sigma, status in zip(rows, intensities.indices(), intensities.data(),
                                                intensities.sigmas(), statuses.data()):
        check(tuple(row[:3]) == tuple(index) and row[5] == status, "cctbx and gemmi: row %s" % (row,))
        if row[3] != "?":
            check(single(row[3]) == single(value) and single(row[4]) == single(sigma),
                  "cctbx and gemmi: values of %s" % (row,))
    check(set(r[5] for r in rows) <= {"o", "x", "h"}, "include status outside o, x, h")


def check_kept_rows(rows, intensity_file, sigma_rule):
    kept = [r for r in rows if r[5] == "o"]
    written = read_records(intensity_file)
    check(len(kept) == len(written), "%d kept rows, %d in %s" % (len(kept), len(written), intensity_file))
    for row, record in zip(kept, written):
        check(row[:3] == record[:3], "indices %s and %s" % (row[:3], record[:3]))
        decimals = len(record[3].split(".")[1])
        check(with_decimals(row[3], decimals) == record[3], "F^2 of %s: %s in %s" % (row, record[3], intensity_file))
        if sigma_rule == "propagated":
            sigma_decimals = len(record[4].split(".")[1])
            check(with_decimals(row[4], sigma_decimals) == record[4], "sigma of %s: %s" % (row, record[4]))
        elif sigma_rule == "hundredth":
            check(abs(single(row[4]) / 2 - float(record[4])) <= 0.0005 + 1e-6 * single(row[4]),
                  "sigma of %s: %s" % (row, record[4]))


def check_space_group(path, cctbx_block, arrays, symbol):
    block = gemmi.cif.read_file(path).sole_block()
    names = ["_symmetry_space_group_name_H-M", "_space_group_name_H-M_alt"]
    if symbol is None:
        check(all(block.find_value(n) is None for n in names), "gemmi: a space group where none was given")
        check(len(block.find("_refln_", ["symmetry_multiplicity"])) == 0, "gemmi: multiplicities without a space group")
        return
    expected = sgtbx.space_group_info(symbol).group()
    for name in names:
        value = gemmi.cif.as_string(block.find_value(name) or "?")
        check(gemmi.find_spacegroup_by_name(value) == gemmi.find_spacegroup_by_name(symbol),
              "gemmi: %s %s is not %s" % (name, value, symbol))
        check(sgtbx.space_group_info(str(cctbx_block[name])).group() == expected,
              "cctbx: %s %s is not %s" % (name, cctbx_block[name], symbol))
    intensities = arrays["_refln_F_squared_sigma"]
    check(intensities.space_group() == expected, "cctbx: the arrays' space group is not %s" % symbol)
    table = block.find("_refln_", ["index_h", "index_k", "index_l", "symmetry_multiplicity"])
    indices = flex.miller_index([(int(r[0]), int(r[1]), int(r[2])) for r in table])
    computed = miller.set(crystal.symmetry(space_group=expected), indices, anomalous_flag=False).multiplicities()
    written = [int(r[3]) for r in table]
    check(len(written) > 0 and written == list(computed.data()),
          "gemmi's multiplicities %s, cctbx computes %s" % (written[:12], list(computed.data())[:12]))
    column = cctbx_block["_refln_symmetry_multiplicity"]
    check([int(v) for v in column] == written, "cctbx and gemmi: multiplicities")


def check_shelx_readers(rows, amplitude_file, intensity_file, cell):
    symmetry = crystal.symmetry(unit_cell=cell[:6], space_group_symbol="P1")
    kept = [r for r in rows if r[5] == "o"]
    for path, kind in ((intensity_file, "hklf4"), (amplitude_file, "hklf3")):
        arrays = any_reflection_file("%s=%s" % (path, kind)).as_miller_arrays(crystal_symmetry=symmetry)
        data = [a for a in arrays if a.sigmas() is not None]
        check(len(data) == 1, "%s as %s: no array with sigmas" % (path, kind))
        if not data:
            continue
        array = data[0]
        check(array.is_xray_intensity_array() if kind == "hklf4" else array.is_xray_amplitude_array(),
              "%s as %s: wrong kind of array" % (path, kind))
        check(list(array.indices()) == [r[:3] for r in kept], "%s as %s: indices" % (path, kind))
        if kind == "hklf4":
            for row, value, sigma in zip(kept, array.data(), array.sigmas()):
                # HKLF 4: 3I4,2F8.2,I4
                check(with_decimals(row[3], 2) == "%.2f" % value and with_decimals(row[4], 2) == "%.2f" % sigma,
                      "%s as hklf4: values of %s" % (path, row))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("cif")
    parser.add_argument("intensity_file")
    parser.add_argument("--sigma", choices=["propagated", "hundredth", "squared"], required=True)
    parser.add_argument("--cell", nargs=2, metavar=("ENTRY_FILE", "LINE"))
    parser.add_argument("--shelx", metavar="AMPLITUDE_FILE")
    parser.add_argument("--space-group", metavar="SYMBOL")
    args = parser.parse_args()

    cell = None
    if args.cell:
        cell = [float(v) for v in open(args.cell[0]).read().splitlines()[int(args.cell[1]) - 1].split()[:7]]
    name, rows, items = read_gemmi(args.cif)
    cctbx_block, arrays = read_cctbx(args.cif)
    check(len(rows) > 0, "gemmi: no rows")
    check_cell(items, cctbx_block, arrays, cell)
    check_rows(rows, arrays)
    check_kept_rows(rows, args.intensity_file, args.sigma)
    check_space_group(args.cif, cctbx_block, arrays, args.space_group)
    if args.shelx:
        check_shelx_readers(rows, args.shelx, args.intensity_file, cell)
    for failure in failures[:20]:
        print("read_cif.py: %s: %s" % (args.cif, failure))
    if failures:
        sys.exit(1)
    print("read_cif.py: %s: block %s, %d rows, %d kept: cctbx and gemmi agree with %s" %
          (args.cif, name, len(rows), sum(r[5] == "o" for r in rows), args.intensity_file))


if __name__ == "__main__":
    main()
