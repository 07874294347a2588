#pragma once
// Free-form reads with no end exit, for the tests and the fuzz targets: the
// end of the input stops the run with an end-of-file report on the line last
// read (line 1 when there was none).

#include <algorithm>
#include <cstdint>

#include "text/free_form.hpp"
#include "text/line_reader.hpp"
#include "text/run_error.hpp"

namespace kestran {

[[noreturn]] inline void failAtEndOfInput(const LineReader& source) {
  source.failAt(report::endOfFile, std::max(source.lineNumber(), 1L), ": the input ends before the value");
}

// The next value of the statement `read` over `source`. A value that is not
// a number already stops the run inside ListRead, so false means the end.
inline void requireInteger(ListRead& read, const LineReader& source, std::int32_t& variable) {
  if (!read.integer(variable)) {
    failAtEndOfInput(source);
  }
}

inline void requireReal(ListRead& read, const LineReader& source, float& variable) {
  if (!read.real(variable)) {
    failAtEndOfInput(source);
  }
}

// A whole read statement of one value, as at the console prompts.
inline std::int32_t readOneInteger(LineReader& source) {
  std::int32_t value = 0;
  ListRead read(source);
  requireInteger(read, source, value);
  read.finish();
  return value;
}

inline float readOneReal(LineReader& source) {
  float value = 0;
  ListRead read(source);
  requireReal(read, source, value);
  read.finish();
  return value;
}

}  // namespace kestran
