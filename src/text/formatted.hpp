#pragma once
// printf-style text for the reports and plots, where a number's layout is
// easiest said with a printf format.

#include <string>

namespace kestran {

// What printf would write for `format` and the values that follow, whatever
// its length.
std::string formatted(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace kestran
