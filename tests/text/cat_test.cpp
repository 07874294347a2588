#include "text/cat.hpp"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kestran {
namespace {

TEST(Cat, JoinsTextsCharactersAndWholeNumbers) {
  const std::string name = "r.tsv";
  EXPECT_EQ(cat("--", std::string_view("report"), ' ', name), "--report r.tsv");
  EXPECT_EQ(cat("unit ", 24, ", ", std::size_t{10'000'000}, ", ", std::int64_t{-7}, ", ", -0),
            "unit 24, 10000000, -7, 0");
  EXPECT_EQ(cat(), "");
}

TEST(Cat, ListsWordsAsAMessageDoes) {
  const std::pair<std::vector<std::string>, const char*> lists[] = {
      {{}, ""}, {{"1"}, "1"}, {{"1", "4"}, "1 and 4"}, {{"--report", "--plot", "--cif"}, "--report, --plot and --cif"}};
  for (const auto& [words, list] : lists) {
    EXPECT_EQ(listed(words), list);
  }
  EXPECT_EQ(listed({"1", "2", "3", "4"}, " or "), "1, 2, 3 or 4");
}

}  // namespace
}  // namespace kestran
