#pragma once
// The lines of an entry file before its reflections: header lines skipped,
// the cell line, and FULLPROF's count line. An end of file before any of
// them stops the run and says what was expected.

#include "reflections/cell_geometry.hpp"
#include "reflections/entry_readers.hpp"
#include "reflections/reflection_table.hpp"
#include "text/line_reader.hpp"

namespace kestran {

void skipHeaderLines(LineReader& entry, int count);

// a b c alpha beta gamma wavelength, free-form.
void readCellLine(CellParameters& cell, LineReader& entry, ReadEvents& events);

// The count N and the window D, free-form, into the table; returns where a
// count that announces no reflection stood.
NoReflection readCountLine(ReflectionTable& table, LineReader& entry, ReadEvents& events);

// The cell's reciprocal, or a stop at `cellLine` when the cell read has no
// volume.
ReciprocalCell checkedReciprocalCell(const CellParameters& cell, LineReader& entry, long cellLine);

}  // namespace kestran
