#pragma once
// Blanks as the readers see them: in free-form text a tab separates values
// like a blank does.

#include <string_view>

namespace kestran {

constexpr bool isBlank(char c) { return c == ' ' || c == '\t'; }

inline bool isBlankLine(std::string_view line) {
  for (const char c : line) {
    if (!isBlank(c)) {
      return false;
    }
  }
  return true;
}

}  // namespace kestran
