#pragma once
// Fixed-column fields of one line of text. A field is read from exactly its
// columns with every blank ignored, so a line that ends before the field's
// last column reads as if padded with blanks; an all-blank field is zero.

#include <cstdint>
#include <string_view>

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

// The field's characters as they stand in the line (blanks included, cut
// where the line ends): the text an error report quotes.
std::string_view fieldText(std::string_view line, ColumnRange columns);

}  // namespace kestran
