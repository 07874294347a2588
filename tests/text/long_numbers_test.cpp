// Free-form reals of any length: zeros at either end of the digits, a
// mantissa of hundreds of digits, exponents of many digits. Each must read
// as the C library's correctly rounded strtof reads it (a number too large
// for single precision is refused; one too small reads as zero), however
// long its text.

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "text/number_reading.hpp"

namespace kestran {
namespace {

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

TEST(LongNumbers, ReadAsTheCorrectlyRoundedValue) {
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
