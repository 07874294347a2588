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

// The count field of writeCountLine alone.
std::string countField(int count, bool widen);

// "1 reflection" or "N reflections": the count and the noun, plural when
// the count is not 1.
std::string countOf(int count, std::string_view noun);

// "1 reflection has" or "N reflections have", for the warning lines.
std::string reflectionsHave(int count);

}  // namespace kestran
