#pragma once
// Readers of the four entry-file flavours. Each fills rows 1..n of the table
// with the columns of its flavour (the others keep their zero), and for
// codes 1, 3 and 4 each row's sin^2(theta) in POS as soon as it is read.

#include <ostream>
#include <string_view>

#include "reflections/line_reader.hpp"
#include "reflections/reflection_table.hpp"

namespace kestran {

namespace report {
// The cell of the entry file has no real volume (impossible angles, an edge
// of zero or below): stops the run before any reflection is read.
inline constexpr std::string_view impossibleCell = "impossible unit cell";
}  // namespace report

// Reads the entry file of table.inputCode; sets N, D, the cell and n as the
// flavour gives them and returns n. The truncation line, and for codes 1, 3
// and 4 a warning when some reflections have no real angle, go to the console.
int readEntryFile(ReflectionTable& table, LineReader& entry, std::ostream& console);

// SIRPOW rows: FOBS is the square root of the intensity read (a negative
// intensity has no real amplitude and counts as zero), SIGF half the last
// value of the record.
float sirpowAmplitude(float intensity);
float sirpowSigma(float lastValue);

}  // namespace kestran
