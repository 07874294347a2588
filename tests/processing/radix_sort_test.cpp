#include "processing/radix_sort.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace kestran {
namespace {

// The radix sort agrees with a stable comparison sort on the bits from
// lowBit up, for keys with many ties there (few distinct high parts) and
// for keys with none, for passes that end inside and exactly at bit 64.
TEST(RadixSort, MatchesStableSortOnTheBitsFromLowBitUp) {
  std::mt19937_64 random(7);
  for (const int lowBit : {0, 20, 25, 32, 53, 60}) {
    for (const std::uint64_t distinctHighParts : {std::uint64_t{5}, std::uint64_t{0}}) {
      std::vector<std::uint64_t> keys(3000);
      for (auto& key : keys) {
        key = random();
        if (distinctHighParts != 0 && lowBit > 0) {
          key = (random() % distinctHighParts) << lowBit | (key & ((std::uint64_t{1} << lowBit) - 1));
        }
      }
      std::vector<std::uint64_t> expected = keys;
      std::stable_sort(expected.begin(), expected.end(),
                       [lowBit](std::uint64_t a, std::uint64_t b) { return a >> lowBit < b >> lowBit; });
      std::vector<std::uint64_t> spare(keys.size());
      const auto sorted = sortByBitsFrom(keys, spare, lowBit);
      EXPECT_TRUE(std::equal(sorted.begin(), sorted.end(), expected.begin(), expected.end()))
          << "lowBit " << lowBit << ", distinct high parts " << distinctHighParts;
    }
  }
}

}  // namespace
}  // namespace kestran
