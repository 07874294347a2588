#include "text/fixed_fields.hpp"

#include <algorithm>

#include "text/number_reading.hpp"

namespace kestran {

namespace {

// The field's characters as they stand: the line ends before the field's
// last column count as blanks, so they are simply not there.
std::string_view fieldColumns(std::string_view line, int column, int width) {
  const auto start = static_cast<std::size_t>(column - 1);
  if (start >= line.size()) {
    return {};
  }
  return line.substr(start, static_cast<std::size_t>(std::min(width, maxFieldWidth)));
}

// The field's characters with blanks removed.
std::string_view withoutBlanks(std::string_view field, char* buffer) {
  int length = 0;
  for (const char c : field) {
    if (c != ' ') {
      buffer[length++] = c;
    }
  }
  return {buffer, static_cast<std::size_t>(length)};
}

// The general readers: every rule of number_reading on the field's text.
bool parseIntegerField(std::string_view field, std::int32_t& value) {
  char buffer[maxFieldWidth];
  const std::string_view text = withoutBlanks(field, buffer);
  if (text.empty()) {
    value = 0;
    return true;
  }
  return parseInteger(text, value);
}

bool parseFixedPointField(std::string_view field, int decimals, float& value) {
  char buffer[maxFieldWidth];
  return parseFixedPoint(withoutBlanks(field, buffer), decimals, value);
}

}  // namespace

bool readIntegerField(std::string_view line, int column, int width, std::int32_t& value) {
  const std::string_view field = fieldColumns(line, column, width);
  return quickIntegerField(field.data(), field.size(), value) || parseIntegerField(field, value);
}

bool readFixedPointField(std::string_view line, int column, int width, int decimals, float& value) {
  const std::string_view field = fieldColumns(line, column, width);
  return quickFixedPointField(field.data(), field.size(), decimals, value) ||
         parseFixedPointField(field, decimals, value);
}

bool hasBlanksInside(std::string_view field) {
  const std::size_t first = field.find_first_not_of(' ');
  if (first == std::string_view::npos) {
    return false;
  }
  const std::size_t last = field.find_last_not_of(' ');
  return field.substr(first, last - first).find(' ') != std::string_view::npos;
}

std::string_view fieldText(std::string_view line, ColumnRange columns) {
  const auto start = static_cast<std::size_t>(columns.first - 1);
  if (start >= line.size()) {
    return {};
  }
  return line.substr(start, static_cast<std::size_t>(columns.last - columns.first + 1));
}

}  // namespace kestran
