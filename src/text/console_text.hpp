#pragma once
// Pieces of the console lines that several stages write.

#include <ostream>
#include <string>
#include <string_view>

namespace kestran {

// `before`, the count right-justified in five columns (asterisks when it does
// not fit), `after`, and a line end.
void writeCountLine(std::ostream& console, std::string_view before, int count, std::string_view after = {});

// "1 reflection has" or "N reflections have", for the warning lines.
std::string reflectionsHave(int count);

}  // namespace kestran
