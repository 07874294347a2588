// Fuzzes the free-form reader. The first byte chooses, bit by bit, whether
// each value is read as an integer or a real; the second how many values one
// read statement takes and whether the end of the input is an error. The
// rest is the text, read statement after statement until it ends or a
// report stops the run.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "../tests/support/free_form_reads.hpp"
#include "../tests/support/run_reports.hpp"
#include "fuzz_check.hpp"
#include "text/free_form.hpp"
#include "text/run_error.hpp"

namespace {

using namespace kestran;

constexpr int fuzzUnit = 21;
const char* const fuzzFile = "fuzz.hkl";

// One statement; false when the input has ended.
bool readStatement(LineReader& source, unsigned kinds, int count, bool endIsError) {
  ListRead read(source);
  for (int i = 0; i < count; ++i) {
    const bool asInteger = ((kinds >> (i % 8)) & 1U) != 0;
    if (asInteger) {
      std::int32_t value = 0;
      if (endIsError) {
        requireInteger(read, source, value);
      } else if (!read.integer(value)) {
        return false;
      }
    } else {
      float value = 0;
      if (endIsError) {
        requireReal(read, source, value);
      } else if (!read.real(value)) {
        return false;
      }
      FUZZ_CHECK(std::isfinite(value));
    }
  }
  read.finish();
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) {
    return 0;
  }
  const unsigned kinds = data[0];
  const int count = 1 + data[1] % 9;
  const bool endIsError = (data[1] & 0x80U) != 0;
  std::istringstream in(std::string(reinterpret_cast<const char*>(data + 2), size - 2));
  LineReader source(in, fuzzUnit, fuzzFile);
  try {
    // Every statement starts on a fresh line, so this ends with the input.
    while (readStatement(source, kinds, count, endIsError)) {
    }
  } catch (const RunError& error) {
    FUZZ_CHECK(kindOf(error) == report::listSyntaxError || kindOf(error) == report::endOfFile);
    FUZZ_CHECK(concerns(error, fuzzUnit, fuzzFile));
  }
  return 0;
}
