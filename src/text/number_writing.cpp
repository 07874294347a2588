#include "text/number_writing.hpp"

#include <charconv>
#include <cmath>
#include <cstring>
#include <iterator>

namespace kestran {

namespace {

void rightJustify(char* out, int width, const char* text, int length) {
  if (length > width) {
    std::memset(out, '*', static_cast<std::size_t>(width));
    return;
  }
  std::memset(out, ' ', static_cast<std::size_t>(width - length));
  std::memcpy(out + (width - length), text, static_cast<std::size_t>(length));
}

void formatNonFinite(char* out, int width, float value) {
  if (std::isnan(value)) {
    rightJustify(out, width, "NaN", 3);
    return;
  }
  const bool negative = value < 0;
  const char* longText = negative ? "-Infinity" : "Infinity";
  const char* shortText = negative ? "-Inf" : "Inf";
  const int longLength = static_cast<int>(std::strlen(longText));
  if (longLength <= width) {
    rightJustify(out, width, longText, longLength);
  } else {
    rightJustify(out, width, shortText, static_cast<int>(std::strlen(shortText)));
  }
}

}  // namespace

void formatInteger(char* out, int width, std::int32_t value) {
  // Digits from the right end of the field leftwards, then the sign, then blanks.
  std::uint32_t magnitude = value < 0 ? 0U - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
  int free = width;
  do {
    if (free == 0) {
      std::memset(out, '*', static_cast<std::size_t>(width));
      return;
    }
    out[--free] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) {
    if (free == 0) {
      std::memset(out, '*', static_cast<std::size_t>(width));
      return;
    }
    out[--free] = '-';
  }
  while (free > 0) {
    out[--free] = ' ';
  }
}

namespace {

constexpr std::uint64_t wideExactPowersOfTen[] = {1,      10,      100,      1000,      10000,
                                                  100000, 1000000, 10000000, 100000000, 1000000000};

// The fixed-point text of value with `decimals` decimals, rounded from its
// exact binary value with ties to even, as to_chars writes it. A single
// times 10^decimals (up to 10^9) is exact in double, and rounding that to an
// integer in the default mode is the exact rounding with ties to even, so
// the text is built from integers; values too large for that, and more
// decimals, take to_chars. Returns the length.
int fixedPointText(char* text, std::size_t size, int decimals, float value) {
  const bool small = decimals >= 0 && decimals < static_cast<int>(std::size(wideExactPowersOfTen));
  const double scaled = small ? std::fabs(double{value}) * static_cast<double>(wideExactPowersOfTen[decimals]) : 0;
  if (!small || !(scaled < 0x1p53)) {
    const auto result = std::to_chars(text, text + size, value, std::chars_format::fixed, decimals);
    return static_cast<int>(result.ptr - text);
  }
  const auto units = static_cast<std::uint64_t>(std::nearbyint(scaled));
  const std::uint64_t unit = wideExactPowersOfTen[decimals];
  char* end = text;
  if (std::signbit(value)) {
    *end++ = '-';
  }
  end = std::to_chars(end, text + size, units / unit).ptr;
  if (decimals > 0) {
    *end++ = '.';
    std::uint64_t fraction = units % unit;
    for (int i = decimals; i > 0; --i) {
      end[i - 1] = static_cast<char>('0' + fraction % 10);
      fraction /= 10;
    }
    end += decimals;
  }
  return static_cast<int>(end - text);
}

}  // namespace

void formatFixedPoint(char* out, int width, int decimals, float value) {
  if (!std::isfinite(value)) {
    formatNonFinite(out, width, value);
    return;
  }
  // The largest float has 39 integer digits; decimals stay small.
  char text[96];
  int length = fixedPointText(text, sizeof text, decimals, value);
  char* start = text;
  if (length > width) {
    // Drop the optional 0 before the point when that makes it fit.
    const bool negative = text[0] == '-';
    const int zeroAt = negative ? 1 : 0;
    if (text[zeroAt] == '0' && text[zeroAt + 1] == '.') {
      if (negative) {
        text[1] = '-';
      }
      ++start;
      --length;
    }
  }
  rightJustify(out, width, start, length);
}

namespace {

constexpr double exactPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};

// "00" to "99", for two digits at a time.
constexpr char digitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The last `count` digits of `value`, leading zeros included, ending at
// `end`; `value` keeps the digits before them.
void digitsBefore(char* end, std::uint64_t& value, int count) {
  for (; count >= 2; count -= 2) {
    const auto pair = static_cast<std::size_t>(value % 100) * 2;
    value /= 100;
    *--end = digitPairs[pair + 1];
    *--end = digitPairs[pair];
  }
  if (count == 1) {
    *--end = static_cast<char>('0' + value % 10);
    value /= 10;
  }
}

// The digits of `units` / 10^decimals with its point, after an optional
// sign, at least one digit before the point: filled from the right.
char* writeUnits(char* out, bool negative, std::uint64_t units, int decimals) {
  int digits = 1;
  while (digits < static_cast<int>(std::size(wideExactPowersOfTen)) && units >= wideExactPowersOfTen[digits]) {
    ++digits;
  }
  for (std::uint64_t rest = units / wideExactPowersOfTen[std::size(wideExactPowersOfTen) - 1]; rest >= 10; rest /= 10) {
    ++digits;
  }
  const int whole = digits > decimals ? digits - decimals : 1;
  if (negative) {
    *out++ = '-';
  }
  char* const point = out + whole;
  char* const end = decimals > 0 ? point + 1 + decimals : point;
  digitsBefore(end, units, decimals);
  if (decimals > 0) {
    *point = '.';
  }
  digitsBefore(point, units, whole);
  return end;
}

// Below 2^52 adding and taking away 2^52 rounds to an integer in the
// current rounding mode, as nearbyint does, without a call.
double roundedToInteger(double value) {
  constexpr double shift = 0x1p52;
  const double shifted = value + shift;
  return shifted - shift;
}

}  // namespace

char* writeDecimal(char* out, double value, int decimals) {
  // The product of the magnitude and 10^decimals lies within half a unit in
  // its last place of the exact product; away from a tie by more than that,
  // rounding the product to an integer rounds the exact value the same way.
  // Near a tie, and for values beyond 2^52 units, to_chars decides.
  if (std::isfinite(value) && decimals >= 0 && decimals < static_cast<int>(std::size(exactPowersOfTen))) {
    const double scaled = std::fabs(value) * exactPowersOfTen[decimals];
    if (scaled < 0x1p52) {
      const double rounded = roundedToInteger(scaled);
      if (std::fabs(std::fabs(scaled - rounded) - 0.5) > scaled * 0x1p-52) {
        return writeUnits(out, std::signbit(value), static_cast<std::uint64_t>(rounded), decimals);
      }
    }
  }
  return std::to_chars(out, out + maxDecimalTextLength, value, std::chars_format::fixed, decimals).ptr;
}

char* writeShortest(char* out, float value) { return std::to_chars(out, out + maxShortestTextLength, value).ptr; }

char* writeInteger(char* out, std::int32_t value) { return std::to_chars(out, out + maxIntegerTextLength, value).ptr; }

std::string decimalText(double value, int decimals) {
  char text[maxDecimalTextLength];
  return {text, writeDecimal(text, value, decimals)};
}

std::string shortestText(float value) {
  char text[maxShortestTextLength];
  return {text, writeShortest(text, value)};
}

}  // namespace kestran
