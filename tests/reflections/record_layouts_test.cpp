#include "reflections/record_layouts.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>

#include "text/block_writer.hpp"
#include "text/number_reading.hpp"
#include "text/number_writing.hpp"

namespace kestran {
namespace {

std::string fixedText(int width, int decimals, float value) {
  std::string text(static_cast<std::size_t>(width), '?');
  formatFixedPoint(text.data(), width, decimals, value);
  return text;
}

std::string integerText(int width, std::int32_t value) {
  std::string text(static_cast<std::size_t>(width), '?');
  formatInteger(text.data(), width, value);
  return text;
}

struct FixedWriteCase {
  int width;
  int decimals;
  float value;
  const char* expected;
};

TEST(FixedPointWrite, FollowsFortranFieldRules) {
  const float inf = std::numeric_limits<float>::infinity();
  const FixedWriteCase cases[] = {
      {8, 2, 0.0F, "    0.00"},
      {8, 3, 0.0F, "   0.000"},
      {8, 2, 123.45F, "  123.45"},
      {8, 2, 123456.0F, "********"},
      {8, 2, 99999.99F, "99999.99"},
      {8, 2, -9999.99F, "-9999.99"},
      {8, 2, -99999.99F, "********"},
      {8, 2, 0.125F, "    0.12"},  // exact tie goes to the even digit
      {8, 2, 0.375F, "    0.38"},
      {8, 3, 1.0625F, "   1.062"},
      {8, 2, -0.001F, "   -0.00"},  // a negative value keeps its sign
      {5, 3, -0.5F, "-.500"},       // no room for the leading 0
      {4, 3, -0.5F, "****"},
      {4, 3, 0.5F, ".500"},
      {12, 2, 5000.0F, "     5000.00"},
      {14, 3, 25000000.0F, "  25000000.000"},
      {10, 4, 1.0F, "    1.0000"},
      {8, 2, std::nanf(""), "     NaN"},
      {10, 4, -inf, " -Infinity"},
      {8, 2, inf, "Infinity"},
      {5, 2, -inf, " -Inf"},
      {2, 2, inf, "**"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(fixedText(c.width, c.decimals, c.value), c.expected)
        << "F" << c.width << "." << c.decimals << " of " << c.value;
  }
}

TEST(IntegerWrite, RightJustifiedOrAsterisks) {
  EXPECT_EQ(integerText(4, 1), "   1");
  EXPECT_EQ(integerText(4, -123), "-123");
  EXPECT_EQ(integerText(4, -1234), "****");
  EXPECT_EQ(integerText(5, 40000), "40000");
  EXPECT_EQ(integerText(4, 0), "   0");
}

struct FieldReadCase {
  const char* text;
  int width;
  int decimals;
  bool ok;
  float expected;
};

TEST(FixedPointRead, BlanksImpliedDecimalsAndExponents) {
  const FieldReadCase cases[] = {
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

TEST(FixedPointRead, ConvertsStraightToSinglePrecision) {
  // 1.00000005960464477539062500001 lies just above the midpoint between 1
  // and the next float; rounding through double would give 1.
  float value = 0;
  ASSERT_TRUE(parseReal("1.00000005960464477539062500001", value));
  EXPECT_EQ(value, std::nextafter(1.0F, 2.0F));
  ASSERT_TRUE(parseReal("1e-50", value));
  EXPECT_EQ(value, 0.0F);
}

TEST(IntegerRead, BlanksSignsAndRange) {
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
  std::int32_t value = 0;
  EXPECT_TRUE(parseInteger("-2147483648", value));
  EXPECT_EQ(value, -2147483647 - 1);
  EXPECT_TRUE(parseInteger("2147483647", value));
  EXPECT_FALSE(parseInteger("2147483648", value));
  EXPECT_FALSE(parseInteger("99999999999999999999", value));
}

TEST(LayoutA, ReadsTheFirstSixFields) {
  ShelxValues record;
  ASSERT_TRUE(
      readRecord("   1   0   0  123.45   1.234   1   12.3456   0.0000   3          99.999", shelxRecord, record));
  EXPECT_EQ(record.h, 1);
  EXPECT_EQ(record.k, 0);
  EXPECT_EQ(record.l, 0);
  EXPECT_EQ(record.value, 123.45F);
  EXPECT_EQ(record.sigma, 1.234F);
  EXPECT_EQ(record.flag, 1);
}

TEST(LayoutA, ShortLineReadsMissingFieldsAsZero) {
  ShelxValues record{9, 9, 9, 9, 9, 9};
  ASSERT_TRUE(readRecord("   2  -1   3  123.45", shelxRecord, record));
  EXPECT_EQ(record.l, 3);
  EXPECT_EQ(record.value, 123.45F);
  EXPECT_EQ(record.sigma, 0.0F);
  EXPECT_EQ(record.flag, 0);
}

TEST(LayoutA, RejectsLettersInAnyReadField) {
  ShelxValues record;
  EXPECT_FALSE(readRecord("   x   0   0  123.45   1.234   1", shelxRecord, record));
  EXPECT_FALSE(readRecord("   1   0   0  12a.45   1.234   1", shelxRecord, record));
  EXPECT_FALSE(readRecord("   1   0   0  123.45   1.234   Q", shelxRecord, record));
  // Fields the program does not read may hold anything.
  EXPECT_TRUE(readRecord("   1   0   0  123.45   1.234   1 garbage", shelxRecord, record));
}

TEST(LayoutB, ReadsThreeReals) {
  Jfou4Values record;
  ASSERT_TRUE(readRecord("  -3   2   1  250.5000    2.0000    0.1234", jfou4Record, record));
  EXPECT_EQ(record.h, -3);
  EXPECT_EQ(record.value, 250.5F);
  EXPECT_EQ(record.sigma, 2.0F);
  EXPECT_EQ(record.extra, 0.1234F);
}

TEST(LayoutWrite, RecordsEndAfterTheirLastField) {
  std::ostringstream out;
  BlockWriter block(out);
  writeRecord(block, shelxRecord, {1, 0, 0, 5000.0F, 50.0F, 1});
  writeRecord(block, shelxRecord, {});
  writeRecord(block, wideShelxRecord, {1, 0, 0, 5000.0F, 50.0F, 1});
  writeRecord(block, jfou4Record, {-1, 2, -3, 12.5F, 123456.0F, 0.5F});
  writeRecord(block, wideJfou4Record, {1, 1, 1, 25000000.0F, 4.0F, 0.25F});
  block.flush();
  EXPECT_EQ(out.str(),
            "   1   0   0 5000.00  50.000   1\n"
            "   0   0   0    0.00   0.000   0\n"
            "   1   0   0     5000.00       50.00   1\n"
            "  -1   2  -3   12.5000**********    0.5000\n"
            "   1   1   1  25000000.000         4.000         0.250\n");
}

TEST(LayoutRoundTrip, WrittenRecordsReadBackUnchanged) {
  std::ostringstream out;
  const ShelxValues written{12, -7, 3, 1234.56F, 12.346F, 1};
  BlockWriter block(out);
  writeRecord(block, shelxRecord, written);
  block.flush();
  std::string line = out.str();
  line.pop_back();
  ShelxValues read;
  ASSERT_TRUE(readRecord(line, shelxRecord, read));
  EXPECT_EQ(read.h, written.h);
  EXPECT_EQ(read.k, written.k);
  EXPECT_EQ(read.value, written.value);
  EXPECT_EQ(read.sigma, written.sigma);
  EXPECT_EQ(read.flag, written.flag);
}

}  // namespace
}  // namespace kestran
