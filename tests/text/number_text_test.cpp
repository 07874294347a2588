// The quick paths of the number conversions against the general ones: fixed
// fields written from integers against to_chars, short decimals read by one
// single-precision division against from_chars.

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>

#include "text/number_reading.hpp"
#include "text/number_writing.hpp"

namespace kestran {
namespace {

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
      std::string field(static_cast<std::size_t>(width), '?');
      formatFixedPoint(field.data(), width, decimals, value);
      ASSERT_EQ(field, referenceField(width, decimals, value))
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

TEST(IntegerWrite, MatchesToCharsAtEveryWidth) {
  std::mt19937 generator(7);
  for (int i = 0; i < 20000; ++i) {
    const auto value = static_cast<std::int32_t>(generator() >> (generator() % 32));
    const std::int32_t signedValue = i % 2 == 0 ? value : -value;
    char text[16];
    const std::string digits(text, std::to_chars(text, text + sizeof text, signedValue).ptr);
    for (int width = 1; width <= 12; ++width) {
      std::string field(static_cast<std::size_t>(width), '?');
      formatInteger(field.data(), width, signedValue);
      const std::string expected = static_cast<int>(digits.size()) > width
                                       ? std::string(static_cast<std::size_t>(width), '*')
                                       : std::string(static_cast<std::size_t>(width) - digits.size(), ' ') + digits;
      ASSERT_EQ(field, expected) << signedValue;
    }
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

}  // namespace
}  // namespace kestran
