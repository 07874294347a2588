#pragma once
// Readers of the four entry-file flavours. Each fills the rows of the table
// with the columns of its flavour (the others keep their zero), and for
// codes 1, 3 and 4 each row's SIN2THETA as soon as it is read.

#include <ostream>

#include "reflections/reflection_table.hpp"
#include "text/line_reader.hpp"

namespace kestran {

// Reads the entry file of table.inputCode into rows 0..n-1; sets N, D, the
// cell and n as the flavour gives them and returns n. A row whose amplitude
// is the entry file's removed marker gets the status RemovedInInput, every
// other row Kept. The truncation line, and for codes 1, 3 and 4 a warning
// when some reflections have no real angle, go to the console.
int readEntryFile(ReflectionTable& table, LineReader& entry, std::ostream& console);

// SIRPOW rows: FOBS is the square root of the intensity read (a negative
// intensity has no real amplitude and counts as zero), SIGF half the last
// value of the record.
float sirpowAmplitude(float intensity);
float sirpowSigma(float lastValue);

}  // namespace kestran
