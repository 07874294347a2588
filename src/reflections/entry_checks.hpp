#pragma once
// The slips in an entry file that would make written numbers wrong beyond
// doubt, found while the readers read: each stops the run, told as
// compilers tell an error ("FILE:LINE: error: ..."), before any file is
// replaced. What may be intended stays a warning of the readers.

#include <string_view>

#include "reflections/entry_readers.hpp"
#include "reflections/reflection_table.hpp"
#include "text/line_reader.hpp"

namespace kestran {

// True when `line` holds a comma between two digits and, read with each
// such comma as a decimal point, holds exactly `recordValues` numbers: a
// line written with decimal commas, which reads as more values than its
// record takes. Commas that separate values (1,0,0) do not count.
bool isDecimalCommaLine(std::string_view line, int recordValues);

// The first value of `line` is a whole number (digits, a sign at most) and
// more values follow it: a count line or a reflection line, not a
// wavelength.
bool startsWithWholeNumber(std::string_view line);

// The cell line's wavelength: stops the run when it is 0 or below.
// `wavelengthLine` is the line it was read from.
void checkWavelength(float wavelength, const LineReader& entry, long wavelengthLine);

// A cell line of six values whose wavelength was taken from the start of
// line `wavelengthLine`, a count or reflection line: stops the run.
[[noreturn]] void failOnMissingWavelength(const LineReader& entry, long cellLine, long wavelengthLine,
                                          std::string_view lineText);

// Stops the run when rows were read and none of them (rows 0 0 0 aside)
// has a real angle: the wavelength is then in the wrong unit or wrong.
void checkSomeRealAngle(const ReflectionTable& table, const LineReader& entry, long cellLine);

// The table is full and the file holds more, `total` in all as `found`
// says: a warning naming the option that reads them all.
void warnOfCut(const LineReader& entry, long lineNumber, ReadEvents& events, int capacity, long total,
               std::string_view found);

}  // namespace kestran
