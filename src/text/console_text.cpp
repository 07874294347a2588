#include "text/console_text.hpp"

#include "text/number_text.hpp"

namespace kestran {

void writeCountLine(std::ostream& console, std::string_view before, int count, std::string_view after) {
  constexpr int width = 5;
  char field[width];
  formatInteger(field, width, count);
  console << before;
  console.write(field, width);
  console << after << '\n';
}

std::string reflectionsHave(int count) {
  return std::to_string(count) + (count == 1 ? " reflection has" : " reflections have");
}

}  // namespace kestran
