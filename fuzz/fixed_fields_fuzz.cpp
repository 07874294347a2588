// Fuzzes the fixed-column field readers and the record layouts. The first
// three bytes choose a field (column, width, decimals); the rest is the line.
// Whatever a field gives must survive being written into the same field and
// read back, and every record read must be written at its exact length. A
// short line is also read as one number and compared, bit for bit, with the
// C library's correctly rounded strtof; and the line's first four bytes,
// taken as a single-precision value, are written into the field and
// compared with the C library's printf.

#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <sstream>
#include <string>
#include <string_view>

#include "fuzz_check.hpp"
#include "reflections/record_layouts.hpp"
#include "text/block_writer.hpp"
#include "text/number_reading.hpp"
#include "text/number_writing.hpp"

namespace {

using namespace kestran;

void checkIntegerField(std::string_view line, int column, int width) {
  std::int32_t value = 0;
  if (!readIntegerField(line, column, width, value)) {
    return;
  }
  std::string written(static_cast<std::size_t>(width), ' ');
  formatInteger(written.data(), width, value);
  std::int32_t back = 0;
  if (written.find('*') != std::string::npos) {
    FUZZ_CHECK(!readIntegerField(written, 1, width, back));
    return;
  }
  FUZZ_CHECK(readIntegerField(written, 1, width, back));
  FUZZ_CHECK(back == value);
}

void checkFixedPointField(std::string_view line, int column, int width, int decimals) {
  float value = 0;
  if (!readFixedPointField(line, column, width, decimals, value)) {
    return;
  }
  FUZZ_CHECK(std::isfinite(value));
  std::string written(static_cast<std::size_t>(width), ' ');
  formatFixedPoint(written.data(), width, decimals, value);
  if (written.find('*') != std::string::npos) {
    return;
  }
  float back = 0;
  FUZZ_CHECK(readFixedPointField(written, 1, width, decimals, back));
  // Written with `decimals` decimals, then rounded to single precision again.
  const double tolerance = 0.5 * std::pow(10.0, -decimals) + 2 * std::fabs(double{value}) * 0x1p-24;
  FUZZ_CHECK(std::fabs(double{back} - double{value}) <= tolerance);
}

// The C library's reading of a number, with D exponents as E.
float referenceReal(std::string text, bool& tooLarge, bool& belowRange) {
  for (char& c : text) {
    if (c == 'd' || c == 'D') {
      c = 'e';
    }
  }
  errno = 0;
  const float value = std::strtof(text.c_str(), nullptr);
  tooLarge = std::isinf(value);
  belowRange = errno == ERANGE && !tooLarge;
  return value;
}

void compareWithReference(bool parsed, float value, const std::string& reference) {
  bool tooLarge = false;
  bool belowRange = false;
  const float expected = referenceReal(reference, tooLarge, belowRange);
  if (tooLarge) {
    FUZZ_CHECK(!parsed);
    return;
  }
  FUZZ_CHECK(parsed);
  if (belowRange && expected == 0.0F) {
    FUZZ_CHECK(value == 0.0F);  // too small for single precision: zero
    return;
  }
  FUZZ_CHECK(std::memcmp(&value, &expected, sizeof value) == 0);
}

// Numbers as both readers write them: a sign, digits with or without a
// point, an exponent with a letter.
void checkAgainstReference(const std::string& text, int decimals) {
  static const std::regex withPointOrExponent(R"([+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eEdD][+-]?[0-9]+)?)");
  static const std::regex withoutPoint(R"(([+-]?)([0-9]+)([eEdD][+-]?[0-9]+)?)");
  if (text.size() > 500 || !std::regex_match(text, withPointOrExponent)) {
    return;
  }
  float value = 0;
  compareWithReference(parseReal(text, value), value, text);
  std::smatch parts;
  if (std::regex_match(text, parts, withoutPoint)) {
    // A fixed-point field without a point: the last digits before any
    // exponent are the fraction.
    std::string digits = parts[2].str();
    const auto fraction = static_cast<std::size_t>(decimals);
    if (digits.size() < fraction) {
      digits.insert(0, fraction - digits.size(), '0');
    }
    const std::string pointed = parts[1].str() + digits.substr(0, digits.size() - fraction) + "." +
                                digits.substr(digits.size() - fraction) + parts[3].str();
    compareWithReference(parseFixedPoint(text, decimals, value), value, pointed);
  } else {
    compareWithReference(parseFixedPoint(text, decimals, value), value, text);
  }
}

// A fixed-point field as printf writes the value (rounded from its exact
// binary value, ties to even), with the 0 before the point dropped when that
// makes it fit, and asterisks when nothing does.
std::string referenceField(int width, int decimals, float value) {
  char text[128];
  const int length = std::snprintf(text, sizeof text, "%.*f", decimals, double{value});
  std::string written(text, static_cast<std::size_t>(length));
  const std::size_t zeroAt = written[0] == '-' ? 1 : 0;
  if (static_cast<int>(written.size()) > width && written.compare(zeroAt, 2, "0.") == 0) {
    written.erase(zeroAt, 1);
  }
  if (static_cast<int>(written.size()) > width) {
    return std::string(static_cast<std::size_t>(width), '*');
  }
  return std::string(static_cast<std::size_t>(width) - written.size(), ' ') + written;
}

void checkWriterAgainstReference(std::string_view line, int width, int decimals) {
  if (line.size() < sizeof(float) || decimals == 0) {
    return;
  }
  float value = 0;
  std::memcpy(&value, line.data(), sizeof value);
  if (!std::isfinite(value)) {
    return;
  }
  std::string written(static_cast<std::size_t>(width), ' ');
  formatFixedPoint(written.data(), width, decimals, value);
  FUZZ_CHECK(written == referenceField(width, decimals, value));
}

// The length of the record written through a block writer, as the output
// files get it, which must be one line.
template <typename Values>
std::size_t writtenLength(const RecordLayout<Values>& layout, const Values& values) {
  std::ostringstream out;
  BlockWriter block(out);
  writeRecord(block, layout, values);
  block.flush();
  const std::string text = out.str();
  FUZZ_CHECK(!text.empty() && text.back() == '\n');
  FUZZ_CHECK(text.find('\n') == text.size() - 1);
  return text.size() - 1;
}

void checkLayouts(std::string_view line) {
  ShelxValues coded;
  if (readRecord(line, shelxRecord, coded)) {
    FUZZ_CHECK(writtenLength(shelxRecord, coded) == 32);
    FUZZ_CHECK(writtenLength(wideShelxRecord, coded) == 40);
  }
  Jfou4Values triple;
  if (readRecord(line, jfou4Record, triple)) {
    FUZZ_CHECK(writtenLength(jfou4Record, triple) == 42);
    FUZZ_CHECK(writtenLength(wideJfou4Record, triple) == 54);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) {
    return 0;
  }
  const int column = 1 + data[0] % 80;
  const int width = 1 + data[1] % 16;
  const int decimals = data[2] % 8;
  const std::string_view line(reinterpret_cast<const char*>(data + 3), size - 3);
  checkIntegerField(line, column, width);
  checkFixedPointField(line, column, width, decimals);
  checkLayouts(line);
  checkAgainstReference(std::string(line), decimals);
  checkWriterAgainstReference(line, width, decimals);
  return 0;
}
