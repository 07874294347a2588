#!/usr/bin/python3
"""Usage: distinct_reflections.py SPACE_GROUP FILE...

Exits with 1, naming them, when two reflection rows of any FILE are
symmetry equivalents (Friedel mates included) in SPACE_GROUP. A row is a
line whose first three words are whole numbers; headings are skipped.
"""
import sys

from cctbx import miller, sgtbx
from cctbx.array_family import flex


def indices_of(path):
    rows = []
    for line in open(path):
        words = line.split()
        try:
            rows.append(tuple(int(w) for w in words[:3]))
        except ValueError:
            continue
    return [row for row in rows if len(row) == 3]


def main():
    group = sgtbx.space_group_info(sys.argv[1]).group()
    failed = False
    for path in sys.argv[2:]:
        rows = indices_of(path)
        unique = flex.miller_index(rows)
        miller.map_to_asu(group.type(), False, unique)
        seen = {}
        for row, asu in zip(rows, unique):
            if asu in seen:
                print("%s: %s and %s are symmetry equivalents" % (path, seen[asu], row))
                failed = True
            seen[asu] = row
        if len(rows) < 10:
            print("%s: only %d reflections read" % (path, len(rows)))
            failed = True
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
