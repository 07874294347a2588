#pragma once
// One message builder: cat("--shells must be from 1 to ", most, ", not '", text, "'")
// strings its parts together, texts as they are and whole numbers in decimal;
// listed(...) makes the lists within messages.

#include <concepts>
#include <string>
#include <string_view>
#include <vector>

namespace kestran {

namespace detail {
inline void appendPart(std::string& text, std::string_view part) { text += part; }
inline void appendPart(std::string& text, char part) { text += part; }
template <std::integral Number>
requires(!std::same_as<Number, char> && !std::same_as<Number, bool>) void appendPart(std::string& text, Number part) {
  text += std::to_string(part);
}
}  // namespace detail

template <typename... Parts>
std::string cat(const Parts&... parts) {
  std::string text;
  (detail::appendPart(text, parts), ...);
  return text;
}

// The words as a message lists them: "a, b and c", or with `lastJoin` " or ",
// "a, b or c".
inline std::string listed(const std::vector<std::string>& words, std::string_view lastJoin = " and ") {
  std::string list;
  for (std::size_t i = 0; i < words.size(); ++i) {
    list += cat(i == 0 ? "" : i + 1 == words.size() ? lastJoin : ", ", words[i]);
  }
  return list;
}

}  // namespace kestran
