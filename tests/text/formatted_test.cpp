#include "text/formatted.hpp"

#include <gtest/gtest.h>

#include <string>

namespace kestran {
namespace {

TEST(Formatted, WritesWhatPrintfWritesWhateverItsLength) {
  const std::string longWord(300, 'x');
  const struct {
    std::string text;
    std::string expected;
  } cases[] = {
      {formatted("%s", ""), ""},
      {formatted("%5d|%-4s|%.3f", 42, "ab", 1.5), "   42|ab  |1.500"},
      {formatted("%*s", 7, "-"), "      -"},
      {formatted("%.*f", 2, -0.125), "-0.12"},
      {formatted("%127d", 1), std::string(126, ' ') + "1"},  // fills the first buffer but for its end
      {formatted("%128d", 1), std::string(127, ' ') + "1"},  // one more: written again at its length
      {formatted("<%s>", longWord.c_str()), "<" + longWord + ">"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.text, c.expected);
  }
}

}  // namespace
}  // namespace kestran
