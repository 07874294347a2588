// The field writers: Fortran's rules for a field that is too narrow, and the
// digits of every value against to_chars, which rounds from the exact binary
// value with ties to even.

#include "text/number_writing.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

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

// The field as to_chars rounds the value, right-justified; the 0 before the
// point dropped when that makes it fit, else asterisks.
std::string referenceField(int width, int decimals, float value) {
  char text[96];
  std::string digits(text, std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals).ptr);
  const std::size_t zeroAt = digits[0] == '-' ? 1 : 0;
  if (static_cast<int>(digits.size()) > width && digits.compare(zeroAt, 2, "0.") == 0) digits.erase(zeroAt, 1);
  if (static_cast<int>(digits.size()) > width) return std::string(static_cast<std::size_t>(width), '*');
  return std::string(static_cast<std::size_t>(width) - digits.size(), ' ') + digits;
}

void expectSameField(float value) {
  for (int decimals = 0; decimals <= 11; ++decimals) {
    for (const int width : {8, 10, 14, 48}) {
      ASSERT_EQ(fixedText(width, decimals, value), referenceField(width, decimals, value))
          << std::hexfloat << value << " F" << width << "." << decimals;
    }
  }
}

TEST(FixedPointWrite, RoundsLikeToCharsEverywhere) {
  // Exact ties at every scale, both signs.
  for (int exponent = 1; exponent <= 12; ++exponent) {
    for (int k = -3000; k <= 3000; ++k) expectSameField(std::ldexp(static_cast<float>(k), -exponent));
  }
  // Arbitrary finite values of every magnitude, including those too large
  // for the integer path.
  std::mt19937 generator(2024);
  for (int i = 0; i < 20000; ++i) {
    const float value = std::bit_cast<float>(static_cast<std::uint32_t>(generator()));
    if (std::isfinite(value)) expectSameField(value);
  }
  for (const float value : {-0.0F, 0.0F, 5000.0F, 106.25F, 1.0625F, 9.0e15F, -9.1e15F}) expectSameField(value);
}

TEST(IntegerWrite, RightJustifiedOrAsterisks) {
  EXPECT_EQ(integerText(4, 1), "   1");
  EXPECT_EQ(integerText(4, -123), "-123");
  EXPECT_EQ(integerText(4, -1234), "****");
  EXPECT_EQ(integerText(5, 40000), "40000");
  EXPECT_EQ(integerText(4, 0), "   0");
}

TEST(IntegerWrite, MatchesToCharsAtEveryWidth) {
  std::mt19937 generator(7);
  for (int i = 0; i < 20000; ++i) {
    const auto value = static_cast<std::int32_t>(generator() >> (generator() % 32));
    const std::int32_t signedValue = i % 2 == 0 ? value : -value;
    char text[16];
    const std::string digits(text, std::to_chars(text, text + sizeof text, signedValue).ptr);
    for (int width = 1; width <= 12; ++width) {
      const std::string expected = static_cast<int>(digits.size()) > width
                                       ? std::string(static_cast<std::size_t>(width), '*')
                                       : std::string(static_cast<std::size_t>(width) - digits.size(), ' ') + digits;
      ASSERT_EQ(integerText(width, signedValue), expected) << signedValue;
    }
  }
}

}  // namespace
}  // namespace kestran
