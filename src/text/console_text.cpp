#include "text/console_text.hpp"

#include <algorithm>

#include "text/number_writing.hpp"

namespace kestran {

namespace {

int digitsOf(int count) {
  int width = count < 0 ? 2 : 1;
  for (long long rest = count < 0 ? -static_cast<long long>(count) : count; rest >= 10; rest /= 10) {
    ++width;
  }
  return width;
}

}  // namespace

std::string countField(int count, bool widen) {
  constexpr int classicWidth = 5;
  const int width = widen ? std::max(classicWidth, digitsOf(count)) : classicWidth;
  char field[16];
  formatInteger(field, width, count);
  return {field, static_cast<std::size_t>(width)};
}

void writeCountLine(std::ostream& console, std::string_view before, int count, std::string_view after, bool widen) {
  console << before << countField(count, widen) << after << '\n';
}

std::string countOf(int count, std::string_view noun) {
  return std::to_string(count) + " " + std::string(noun) + (count == 1 ? "" : "s");
}

std::string reflectionsHave(int count) { return countOf(count, "reflection") + (count == 1 ? " has" : " have"); }

}  // namespace kestran
