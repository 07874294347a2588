// The number readers: the integer range, and reals against the correctly
// rounded readings of the C library (from_chars, strtof), for short decimals
// (read by one single-precision division) and for texts of any length.

#include "text/number_reading.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

namespace kestran {
namespace {

TEST(IntegerRead, SignedDigitsWithin32Bits) {
  const struct {
    const char* text;
    bool ok;
    std::int32_t expected;
  } cases[] = {
      {"-2147483648", true, -2147483647 - 1},
      {"2147483647", true, 2147483647},
      {"2147483648", false, 0},
      {"99999999999999999999", false, 0},
  };
  for (const auto& c : cases) {
    std::int32_t value = -7;
    EXPECT_EQ(parseInteger(c.text, value), c.ok) << c.text;
    EXPECT_EQ(value, c.ok ? c.expected : -7) << c.text;
  }
}

TEST(RealRead, ShortDecimalsMatchFromChars) {
  std::mt19937 generator(11);
  for (int i = 0; i < 100000; ++i) {
    std::string text = i % 3 == 0 ? "-" : "";
    for (int digits = static_cast<int>(generator() % 9); digits > 0; --digits)
      text += static_cast<char>('0' + generator() % 10);
    text += '.';
    for (int digits = static_cast<int>(generator() % 9); digits > 0; --digits)
      text += static_cast<char>('0' + generator() % 10);
    if (text == "." || text == "-.") continue;
    float expected = 0;
    std::from_chars(text.data(), text.data() + text.size(), expected);
    float value = 1;
    ASSERT_TRUE(parseReal(text, value)) << text;
    ASSERT_EQ(std::bit_cast<std::uint32_t>(value), std::bit_cast<std::uint32_t>(expected)) << text;
    // The same digits in a fixed field without the point: the implied
    // decimals place it again.
    std::string withoutPoint = text;
    const std::size_t point = withoutPoint.find('.');
    const int decimals = static_cast<int>(withoutPoint.size() - point - 1);
    withoutPoint.erase(point, 1);
    if (withoutPoint.empty() || withoutPoint == "-" || decimals == 0) continue;
    ASSERT_TRUE(parseFixedPoint(withoutPoint, decimals, value)) << withoutPoint;
    ASSERT_EQ(std::bit_cast<std::uint32_t>(value), std::bit_cast<std::uint32_t>(expected)) << withoutPoint;
  }
}

TEST(RealRead, ConvertsStraightToSinglePrecision) {
  // 1.00000005960464477539062500001 lies just above the midpoint between 1
  // and the next float; rounding through double would give 1.
  float value = 0;
  ASSERT_TRUE(parseReal("1.00000005960464477539062500001", value));
  EXPECT_EQ(value, std::nextafter(1.0F, 2.0F));
  ASSERT_TRUE(parseReal("1e-50", value));
  EXPECT_EQ(value, 0.0F);
}

TEST(RealRead, OnlyTheNumberItselfWithoutBlanks) {
  const struct {
    const char* text;
    bool ok;
    float expected;
  } cases[] = {
      {"-.5", true, -0.5F},
      {"4+1", true, 40.0F},
      {"0000000000000001.5", true, 1.5F},  // longer than the quick path takes
      {" 1.5", false, 0},                  // blanks are no part of a free-form value
      {"1.5 ", false, 0},
      {"1 5", false, 0},
      {"\t1", false, 0},
      {"", false, 0},
      {"-", false, 0},
      {".", false, 0},
      {"1.5.", false, 0},
      {"1e", false, 0},
  };
  for (const auto& c : cases) {
    float value = -7.0F;
    EXPECT_EQ(parseReal(c.text, value), c.ok) << '"' << c.text << '"';
    EXPECT_EQ(value, c.ok ? c.expected : -7.0F) << '"' << c.text << '"';
  }
}

// Free-form reals of any length: zeros at either end of the digits, a
// mantissa of hundreds of digits, exponents of many digits. Each must read
// as the C library's correctly rounded strtof reads it (a number too large
// for single precision is refused; one too small reads as zero), however
// long its text.

std::string repeated(char c, std::size_t count) { return std::string(count, c); }

// 1 + 2^-24, exactly: halfway between 1 and the next single.
const std::string halfwayAboveOne = "1.000000059604644775390625";

struct LongNumber {
  std::string name;
  std::string text;
};

const LongNumber longNumbers[] = {
    {"trailing_zeros", "1." + repeated('0', 200)},
    {"leading_zeros", repeated('0', 200) + "1.5"},
    {"leading_fraction_zeros_and_exponent", "0." + repeated('0', 200) + "25e203"},
    {"below_single_precision", "0." + repeated('0', 200) + "1"},
    {"many_significant_digits", "3." + repeated('3', 300)},
    {"many_significant_digits_negative", "-0.7" + repeated('9', 250) + "e-3"},
    {"exact_halfway_rounds_to_even", halfwayAboveOne + repeated('0', 200)},
    {"just_above_halfway_far_out", halfwayAboveOne + repeated('0', 200) + "1"},
    {"just_below_halfway_far_out", "1.000000059604644775390624" + repeated('9', 200)},
    {"long_exponent", "1e" + repeated('0', 40) + "5"},
    {"exponent_far_too_large", "1e" + repeated('9', 30)},
    {"exponent_far_too_small", "1e-" + repeated('9', 30)},
    {"megabyte_of_digits", repeated('7', 1 << 20)},
    {"megabyte_of_digits_scaled_back", repeated('7', 1 << 20) + "e-1048570"},
    {"zeros_only", repeated('0', 300) + "." + repeated('0', 300) + "e99"},
};

TEST(RealRead, LongNumbersReadAsTheCorrectlyRoundedValue) {
  for (const LongNumber& number : longNumbers) {
    std::string reference = number.text;
    errno = 0;
    const float expected = std::strtof(reference.c_str(), nullptr);
    const bool tooLarge = std::isinf(expected);
    float value = -7.0F;
    const bool read = parseReal(number.text, value);
    EXPECT_EQ(read, !tooLarge) << number.name;
    if (read && !tooLarge) {
      EXPECT_EQ(std::memcmp(&value, &expected, sizeof value), 0)
          << number.name << ": " << value << " against " << expected;
    }
  }
}

}  // namespace
}  // namespace kestran
