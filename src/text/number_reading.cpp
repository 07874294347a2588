#include "text/number_reading.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>

namespace kestran {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isSign(char c) { return c == '+' || c == '-'; }
bool isExponentLetter(char c) { return c == 'e' || c == 'E' || c == 'd' || c == 'D' || c == 'q' || c == 'Q'; }

// The pieces of a real number's text, each a view into the original.
struct RealParts {
  bool negative = false;
  std::string_view integerDigits;
  std::string_view fractionDigits;
  bool hasPoint = false;
  bool exponentNegative = false;
  std::string_view exponentDigits;
};

std::string_view takeDigits(std::string_view text, std::size_t& pos) {
  const std::size_t start = pos;
  while (pos < text.size() && isDigit(text[pos])) {
    ++pos;
  }
  return text.substr(start, pos - start);
}

// Splits text into its parts; false when the grammar does not hold. Mantissa
// digits may be missing (the callers decide whether that is allowed).
bool splitReal(std::string_view text, RealParts& parts) {
  std::size_t pos = 0;
  if (pos < text.size() && isSign(text[pos])) {
    parts.negative = text[pos] == '-';
    ++pos;
  }
  parts.integerDigits = takeDigits(text, pos);
  if (pos < text.size() && text[pos] == '.') {
    parts.hasPoint = true;
    ++pos;
    parts.fractionDigits = takeDigits(text, pos);
  }
  if (pos == text.size()) {
    return true;
  }
  if (isExponentLetter(text[pos])) {
    ++pos;
  } else if (!isSign(text[pos])) {
    return false;
  }
  if (pos < text.size() && isSign(text[pos])) {
    parts.exponentNegative = text[pos] == '-';
    ++pos;
  }
  parts.exponentDigits = takeDigits(text, pos);
  return pos == text.size() && !parts.exponentDigits.empty();
}

// Room for the longest canonical text: a sign, the kept digits and one
// more, and the exponent.
constexpr std::size_t maxNumberText = 160;

// For canonical text out of single precision's range: true when it is so
// because it is too large, false when it is too small.
bool isTooLarge(const char* buffer, std::size_t length) {
  double wide = 0;
  const auto [end, error] = std::from_chars(buffer, buffer + length, wide);
  if (error == std::errc()) {
    return std::fabs(wide) >= 1.0;
  }
  // Out of double's range as well: the sign of the exponent tells which way.
  const char* exponent = static_cast<const char*>(std::memchr(buffer, 'e', length));
  return end != buffer + length || exponent == nullptr || exponent[1] != '-';
}

// Converts canonical text "[-]DIGITSe[-]N" to single precision.
bool convertCanonical(const char* buffer, std::size_t length, float& value) {
  float result = 0;
  const auto [end, error] = std::from_chars(buffer, buffer + length, result);
  if (end != buffer + length) {
    return false;
  }
  if (error == std::errc::result_out_of_range) {
    if (isTooLarge(buffer, length)) {
      return false;
    }
    value = buffer[0] == '-' ? -0.0F : 0.0F;  // below single precision's range
    return true;
  }
  if (error != std::errc()) {
    return false;
  }
  value = result;
  return true;
}

// Most significant digits a canonical text keeps. A value halfway between
// two neighbouring singles has at most 113 significant digits, so the digits
// after the first 120 can only tell whether the number lies above such a
// point, which one non-zero digit in their place tells as well.
constexpr std::size_t keptDigits = 120;
// An exponent this large is out of range whatever the mantissa holds.
constexpr std::int64_t exponentLimit = 1'000'000'000;

// Builds the canonical text "[-]DIGITSe[-]N" of the parts, with the decimal
// point placed `impliedDecimals` digits from the end of the mantissa when
// the text has no point of its own. Zeros at either end of the mantissa are
// left out and a long mantissa is cut as told above, so that a number of any
// length fits the buffer.
bool buildCanonical(const RealParts& parts, int impliedDecimals, char* buffer, std::size_t& length) {
  const bool implied = !parts.hasPoint && impliedDecimals > 0;
  const std::string_view whole = parts.integerDigits;
  const std::string_view fraction = implied ? std::string_view{} : parts.fractionDigits;
  std::int64_t exponent = implied ? -impliedDecimals : -static_cast<std::int64_t>(fraction.size());
  const std::size_t count = whole.size() + fraction.size();
  const auto digitAt = [&](std::size_t i) { return i < whole.size() ? whole[i] : fraction[i - whole.size()]; };
  std::size_t first = 0;
  while (first < count && digitAt(first) == '0') {
    ++first;
  }
  std::size_t end = count;
  while (end > first && digitAt(end - 1) == '0') {
    --end;
    ++exponent;
  }
  length = 0;
  if (parts.negative) {
    buffer[length++] = '-';
  }
  if (first == end) {
    buffer[length++] = '0';
    return true;
  }
  const std::size_t kept = std::min(end - first, keptDigits);
  for (std::size_t i = first; i < first + kept; ++i) {
    buffer[length++] = digitAt(i);
  }
  if (first + kept < end) {
    // The digits left out end in a non-zero one.
    buffer[length++] = '1';
    exponent += static_cast<std::int64_t>(end - first - kept) - 1;
  }
  std::int64_t written = 0;
  for (const char c : parts.exponentDigits) {
    written = std::min(written * 10 + (c - '0'), exponentLimit);
  }
  exponent += parts.exponentNegative ? -written : written;
  buffer[length++] = 'e';
  length = static_cast<std::size_t>(std::to_chars(buffer + length, buffer + maxNumberText, exponent).ptr - buffer);
  return true;
}

}  // namespace

bool parseInteger(std::string_view text, std::int32_t& value) {
  std::size_t pos = 0;
  bool negative = false;
  if (pos < text.size() && isSign(text[pos])) {
    negative = text[pos] == '-';
    ++pos;
  }
  if (pos == text.size()) {
    return false;
  }
  std::int64_t magnitude = 0;
  for (; pos < text.size(); ++pos) {
    if (!isDigit(text[pos])) {
      return false;
    }
    magnitude = magnitude * 10 + (text[pos] - '0');
    if (magnitude > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) {
      return false;
    }
  }
  const std::int64_t signedValue = negative ? -magnitude : magnitude;
  if (signedValue > std::numeric_limits<std::int32_t>::max()) {
    return false;
  }
  value = static_cast<std::int32_t>(signedValue);
  return true;
}

bool parseReal(std::string_view text, float& value) {
  // The usual short value in one pass; the general path gives it the same value.
  ShortDecimal scan;
  if (text.size() <= shortDecimalLimit && scanShortDecimal(text.data(), text.size(), true, Blanks::Refused, scan) &&
      shortDecimalReal(scan, 0, value)) {
    return true;
  }
  RealParts parts;
  if (!splitReal(text, parts) || (parts.integerDigits.empty() && parts.fractionDigits.empty())) {
    return false;
  }
  char buffer[maxNumberText];
  std::size_t length = 0;
  return buildCanonical(parts, 0, buffer, length) && convertCanonical(buffer, length, value);
}

bool parseFixedPoint(std::string_view text, int decimals, float& value) {
  RealParts parts;
  if (!splitReal(text, parts)) {
    return false;
  }
  if (parts.integerDigits.empty() && parts.fractionDigits.empty()) {
    // Nothing but a sign or a point (or nothing at all) reads as zero, as
    // Fortran's formatted input does; an exponent without digits does not.
    if (!parts.exponentDigits.empty()) {
      return false;
    }
    value = parts.negative ? -0.0F : 0.0F;
    return true;
  }
  char buffer[maxNumberText];
  std::size_t length = 0;
  return buildCanonical(parts, decimals, buffer, length) && convertCanonical(buffer, length, value);
}

}  // namespace kestran
