// Numbers too large for their type in a fixed-column field. The integer
// fields of the reflection layouts are four columns wide and cannot hold a
// number beyond 32 bits, so the field readers are tried on wide fields: such
// a number is refused (the reader reports a conversion error), never wrapped
// or clamped.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "reflections/record_layouts.hpp"

namespace kestran {
namespace {

struct IntegerFieldCase {
  const char* line;
  bool readable;
  std::int32_t value;
};

TEST(WideFields, IntegersBeyond32BitsAreRefused) {
  const IntegerFieldCase cases[] = {
      {"      2147483647", true, 2147483647}, {"     -2147483648", true, -2147483647 - 1},
      {"      2147483648", false, 0},         {"     -2147483649", false, 0},
      {"9999999999999999", false, 0},         {" 4 2 9 4 9 6 7 2", true, 42949672},
      {"4 294 967 296   ", false, 0},  // 4294967296 once the blanks go
  };
  for (const auto& c : cases) {
    std::int32_t value = -7;
    const std::string line = c.line;
    EXPECT_EQ(readIntegerField(line, 1, static_cast<int>(line.size()), value), c.readable) << c.line;
    EXPECT_EQ(value, c.readable ? c.value : -7) << c.line;  // a refused field leaves the variable alone
  }
}

struct RealFieldCase {
  const char* line;
  int decimals;
  bool readable;
  float value;
};

TEST(WideFields, RealsBeyondSinglePrecisionAreRefused) {
  const RealFieldCase cases[] = {
      {"    3.4028234e38", 4, true, 3.4028234e38F},
      {"     -3.40282e38", 4, true, -3.40282e38F},
      {"    3.4028236e38", 4, false, 0},  // rounds above the largest single
      {"          1.0e39", 4, false, 0},
      {"        -1.0d+40", 2, false, 0},
      {"     34028236e32", 1, false, 0},  // the implied point: 3402823.6e32
      {"     34028234e32", 1, true, 3.4028234e38F},
  };
  for (const auto& c : cases) {
    float value = -7.0F;
    const std::string line = c.line;
    EXPECT_EQ(readFixedPointField(line, 1, 16, c.decimals, value), c.readable) << c.line;
    if (c.readable) {
      EXPECT_EQ(value, c.value) << c.line;
    }
  }
}

}  // namespace
}  // namespace kestran
