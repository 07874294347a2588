// The fixed-column field readers: blanks, implied decimals and exponents,
// and numbers too large for their type in a field. The integer fields of the
// reflection layouts are four columns wide and cannot hold a number beyond
// 32 bits, so the readers are also tried on wide fields: such a number is
// refused (the reader reports a conversion error), never wrapped or clamped.

#include "text/fixed_fields.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace kestran {
namespace {

TEST(IntegerField, BlanksSignsAndRange) {
  struct Case {
    const char* text;
    bool ok;
    std::int32_t expected;
  } const cases[] = {
      {"  12", true, 12}, {"12  ", true, 12}, {"    ", true, 0},  {" - 3", true, -3}, {"+  7", true, 7},
      {"  1a", false, 0}, {" 1.0", false, 0}, {"   -", false, 0}, {"1-2 ", false, 0}, {"\t  1", false, 0},
  };
  for (const auto& c : cases) {
    std::int32_t value = -99;
    EXPECT_EQ(readIntegerField(c.text, 1, 4, value), c.ok) << '"' << c.text << '"';
    if (c.ok) {
      EXPECT_EQ(value, c.expected) << '"' << c.text << '"';
    }
  }
}

TEST(IntegerField, IntegersBeyond32BitsAreRefused) {
  const struct {
    const char* line;
    bool readable;
    std::int32_t value;
  } cases[] = {
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

TEST(FixedPointField, BlanksImpliedDecimalsAndExponents) {
  const struct {
    const char* text;
    int width;
    int decimals;
    bool ok;
    float expected;
  } cases[] = {
      {"  123.45", 8, 2, true, 123.45F},
      {"   12345", 8, 2, true, 123.45F},  // no point: the last two digits are decimals
      {"12345   ", 8, 2, true, 123.45F},  // trailing blanks are ignored, not zeros
      {"  1 2 3 ", 8, 2, true, 1.23F},
      {"        ", 8, 2, true, 0.0F},
      {"       5", 8, 2, true, 0.05F},
      {"    12e2", 8, 2, true, 12.0F},  // implied point before the exponent
      {"     4+1", 8, 2, true, 0.4F},
      {"  1.5D+2", 8, 2, true, 150.0F},
      {"  -1.5e1", 8, 2, true, -15.0F},
      {"       -", 8, 2, true, 0.0F},
      {"   1.234", 8, 3, true, 1.234F},
      {"  1.2.3 ", 8, 2, false, 0},
      {"   12a45", 8, 2, false, 0},
      {"  1-2   ", 8, 2, true, 0.0001F},  // 1 with exponent -2, implied decimals
      {"  1+-2  ", 8, 2, false, 0},
      {"    1.5e", 8, 2, false, 0},
      {"\t  1.00 ", 8, 2, false, 0},  // a tab is not a blank in a fixed field
      {"  1.0e39", 8, 2, false, 0},   // too large for single precision
      {"  1e-50.", 8, 2, false, 0},
  };
  for (const auto& c : cases) {
    float value = -99.0F;
    EXPECT_EQ(readFixedPointField(c.text, 1, c.width, c.decimals, value), c.ok) << '"' << c.text << '"';
    if (c.ok) {
      EXPECT_EQ(value, c.expected) << '"' << c.text << '"';
    }
  }
}

TEST(FixedPointField, RealsBeyondSinglePrecisionAreRefused) {
  const struct {
    const char* line;
    int decimals;
    bool readable;
    float value;
  } cases[] = {
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
