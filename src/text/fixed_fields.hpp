#pragma once
// Fixed-column fields of one line of text. A field is read from exactly its
// columns with every blank ignored, so a line that ends before the field's
// last column reads as if padded with blanks; an all-blank field is zero.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

#include "text/number_reading.hpp"

namespace kestran {

// Iw (decimals 0) or Fw.d: the width in characters and the decimals.
struct FieldFormat {
  int width;
  int decimals;
  friend constexpr bool operator==(const FieldFormat&, const FieldFormat&) = default;
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

// The quick paths of the two readers, the short-decimal scanner on the
// field's `length` (at most maxFieldWidth) characters at `field`: false when
// the field is left to the general reader.
static_assert(static_cast<std::size_t>(maxFieldWidth) <= shortDecimalLimit);

inline bool quickIntegerField(const char* field, std::size_t length, std::int32_t& value) {
  ShortDecimal scan;
  return scanShortDecimal(field, length, false, Blanks::Leading, scan) && shortDecimalInteger(scan, value);
}

inline bool quickFixedPointField(const char* field, std::size_t length, int decimals, float& value) {
  ShortDecimal scan;
  return scanShortDecimal(field, length, true, Blanks::Leading, scan) && shortDecimalReal(scan, decimals, value);
}

// A blank between two characters of the field's number: `2  441.5` is read
// as 2441.5, as the field rules say, but is more likely a shifted line.
bool hasBlanksInside(std::string_view field);

// The field's characters as they stand in the line (blanks included, cut
// where the line ends): the text an error report quotes.
std::string_view fieldText(std::string_view line, ColumnRange columns);

}  // namespace kestran
