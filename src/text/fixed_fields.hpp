#pragma once
// Fixed-column fields of one line of text. A field is read from exactly its
// columns with every blank ignored, so a line that ends before the field's
// last column reads as if padded with blanks; an all-blank field is zero.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>

#include "text/number_reading.hpp"

namespace kestran {

// Iw (decimals 0) or Fw.d: the width in characters and the decimals.
struct FieldFormat {
  int width;
  int decimals;
};

// The columns a field takes in its line, counted from 1.
struct ColumnRange {
  int first;
  int last;
};

// False when the field's characters cannot form its number. `column` counts from 1.
bool readIntegerField(std::string_view line, int column, int width, std::int32_t& value);
bool readFixedPointField(std::string_view line, int column, int width, int decimals, float& value);

// Widest field read: the columns after it are not part of the field.
inline constexpr int maxFieldWidth = 16;

// Quick paths of the two readers, inline so that a record reader pays no
// call per field. They take the field's `length` (at most maxFieldWidth)
// characters at `field` in
// one pass when they hold the usual text: blanks anywhere, an optional sign
// before every digit, at least one digit and, for a real, at most one point.
// Anything else (an exponent, a sign after a digit, a lone sign or point, a
// character that is no part of a number, a real that is not short) returns
// false and is left to the general reader, which gives the same value
// wherever both apply.
// A field's digits fit 64 bits.
static_assert(maxFieldWidth <= 18);

struct QuickField {
  std::uint64_t mantissa = 0;
  int fractionDigits = 0;
  bool negative = false;
  bool point = false;
};

// The first character at or after p that is not a blank, or end; four
// characters are looked at in one step (fields are right-justified, so most
// begin with blanks).
inline const char* skipLeadingBlanks(const char* p, const char* end) {
  if constexpr (std::endian::native == std::endian::little) {
    while (end - p >= 4) {
      std::uint32_t four = 0;
      std::memcpy(&four, p, 4);
      four ^= 0x20202020U;  // a blank becomes a zero byte
      if (four != 0) {
        return p + (std::countr_zero(four) >> 3);  // the first byte in memory is the lowest
      }
      p += 4;
    }
  }
  while (p != end && *p == ' ') {
    ++p;
  }
  return p;
}

inline bool scanQuickField(const char* p, std::size_t length, bool allowPoint, QuickField& scan) {
  const char* const end = p + length;
  p = skipLeadingBlanks(p, end);
  bool negative = false;
  if (p != end && (*p == '-' || *p == '+')) {
    negative = *p == '-';
    ++p;
  }
  // Locals, not the struct's members: a char read may alias them.
  std::uint64_t mantissa = 0;
  const char* digitsFrom = p;
  const char* pointAt = nullptr;
  long skipped = 0;  // blanks after the sign
  long skippedBeforePoint = 0;
  for (; p != end; ++p) {
    const auto digit = static_cast<unsigned>(*p - '0');
    if (digit < 10) {
      mantissa = mantissa * 10 + digit;
    } else if (*p == ' ') {
      ++skipped;
    } else if (*p == '.' && allowPoint && pointAt == nullptr) {
      pointAt = p;
      skippedBeforePoint = skipped;
    } else {
      return false;
    }
  }
  const long characters = static_cast<long>(end - digitsFrom) - skipped - (pointAt != nullptr ? 1 : 0);
  if (characters <= 0) {
    return false;
  }
  scan.mantissa = mantissa;
  scan.negative = negative;
  scan.point = pointAt != nullptr;
  if (scan.point) {
    scan.fractionDigits = static_cast<int>((end - pointAt - 1) - (skipped - skippedBeforePoint));
  }
  return true;
}

inline bool quickIntegerField(const char* field, std::size_t length, std::int32_t& value) {
  QuickField scan;
  if (!scanQuickField(field, length, false, scan) ||
      scan.mantissa > std::uint64_t{std::numeric_limits<std::int32_t>::max()} + (scan.negative ? 1 : 0)) {
    return false;
  }
  value = static_cast<std::int32_t>(scan.negative ? -static_cast<std::int64_t>(scan.mantissa)
                                                  : static_cast<std::int64_t>(scan.mantissa));
  return true;
}

inline bool quickFixedPointField(const char* field, std::size_t length, int decimals, float& value) {
  QuickField scan;
  if (!scanQuickField(field, length, true, scan) || scan.mantissa > std::uint64_t{quickMantissaLimit}) {
    return false;
  }
  const int scale = scan.point ? scan.fractionDigits : decimals;
  if (scale < 0 || scale > quickScaleLimit) {
    return false;
  }
  value = quickDecimalValue(static_cast<std::int64_t>(scan.mantissa), scale, scan.negative);
  return true;
}

// The field's characters as they stand in the line (blanks included, cut
// where the line ends): the text an error report quotes.
std::string_view fieldText(std::string_view line, ColumnRange columns);

}  // namespace kestran
