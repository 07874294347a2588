#include "text/fixed_fields.hpp"

#include <algorithm>

#include "text/number_text.hpp"

namespace kestran {

namespace {

// Widest field of any layout; a field is copied here without its blanks.
constexpr int maxFieldWidth = 16;

// The field's characters with blanks removed; a line that ends before the
// field's last column counts as padded with blanks.
std::string_view fieldWithoutBlanks(std::string_view line, int column, int width, char* buffer) {
  const std::size_t start = static_cast<std::size_t>(column - 1);
  int length = 0;
  if (start < line.size()) {
    const std::string_view field = line.substr(start, static_cast<std::size_t>(std::min(width, maxFieldWidth)));
    for (const char c : field) {
      if (c != ' ') {
        buffer[length++] = c;
      }
    }
  }
  return {buffer, static_cast<std::size_t>(length)};
}

}  // namespace

bool readIntegerField(std::string_view line, int column, int width, std::int32_t& value) {
  char buffer[maxFieldWidth];
  const std::string_view text = fieldWithoutBlanks(line, column, width, buffer);
  if (text.empty()) {
    value = 0;
    return true;
  }
  return parseInteger(text, value);
}

bool readFixedPointField(std::string_view line, int column, int width, int decimals, float& value) {
  char buffer[maxFieldWidth];
  const std::string_view text = fieldWithoutBlanks(line, column, width, buffer);
  return parseFixedPoint(text, decimals, value);
}

std::string_view fieldText(std::string_view line, ColumnRange columns) {
  const auto start = static_cast<std::size_t>(columns.first - 1);
  if (start >= line.size()) {
    return {};
  }
  return line.substr(start, static_cast<std::size_t>(columns.last - columns.first + 1));
}

}  // namespace kestran
