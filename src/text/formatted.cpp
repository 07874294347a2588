#include "text/formatted.hpp"

#include <cstdarg>
#include <cstdio>

namespace kestran {

std::string formatted(const char* format, ...) {
  // Most texts fit a small buffer: one pass. A longer one is written again
  // into a string of its exact length.
  char small[128];
  std::va_list values;
  va_start(values, format);
  std::va_list again;
  va_copy(again, values);
  const int length = std::vsnprintf(small, sizeof small, format, values);
  va_end(values);
  std::string text;
  if (length >= 0 && static_cast<std::size_t>(length) < sizeof small) {
    text.assign(small, static_cast<std::size_t>(length));
  } else if (length >= 0) {
    text.resize(static_cast<std::size_t>(length));
    std::vsnprintf(text.data(), text.size() + 1, format, again);
  }
  va_end(again);
  return text;
}

}  // namespace kestran
