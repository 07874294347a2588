#pragma once
// Pieces of the console lines that several stages write.

#include <ostream>
#include <string>
#include <string_view>

namespace kestran {

// `before`, the count right-justified in five columns, `after`, and a line
// end. A count that does not fit five columns is written as asterisks, or,
// when `widen` is set, in as many columns as it needs.
void writeCountLine(std::ostream& console, std::string_view before, int count, std::string_view after = {},
                    bool widen = false);

// "1 reflection has" or "N reflections have", for the warning lines.
std::string reflectionsHave(int count);

}  // namespace kestran
