#pragma once
// Decimal text read as the program's numbers: the rules shared by the
// fixed-column fields and the free-form values. Reals go from their decimal
// text straight to single precision, correctly rounded; nothing here depends
// on the locale or allocates.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace kestran {

// A signed decimal integer: optional sign, then digits only. False when the
// text is not such an integer or does not fit 32 bits.
bool parseInteger(std::string_view text, std::int32_t& value);

// A real as written in free-form input: optional sign, digits with or without
// a decimal point, optional exponent (E, D or Q in either case, or a bare
// signed exponent as in 4+1). False when the text is not such a number or is
// too large for single precision; a value too small for it becomes zero.
bool parseReal(std::string_view text, float& value);

// The text of a fixed-point field of `decimals` decimals with its blanks
// already removed. Without a decimal point the last `decimals` digits before
// any exponent are the fraction. An empty text, or one holding only a sign or
// a point, reads as 0.0.
bool parseFixedPoint(std::string_view text, int decimals, float& value);

// The quick exact path of both real readers: a decimal integer `mantissa` of
// at most 2^24 scaled by 10^-scale, scale at most quickScaleLimit. Both are
// exact in single precision, so their one quotient is the correctly rounded
// value of the decimal text.
inline constexpr std::int64_t quickMantissaLimit = std::int64_t{1} << 24;
inline constexpr int quickScaleLimit = 10;
// Powers of ten that single precision holds exactly, with 10^i at index i.
inline constexpr float exactPowersOfTen[] = {1e0F, 1e1F, 1e2F, 1e3F, 1e4F, 1e5F, 1e6F, 1e7F, 1e8F, 1e9F, 1e10F};
static_assert(sizeof exactPowersOfTen / sizeof exactPowersOfTen[0] == quickScaleLimit + 1);
// Inline: it is the last step of every field a record reader takes.
inline float quickDecimalValue(std::int64_t mantissa, int scale, bool negative) {
  const float magnitude = static_cast<float>(mantissa) / exactPowersOfTen[scale];
  return negative ? -magnitude : magnitude;
}

// The short-decimal scanner: the quick path of the fixed fields and of the
// free-form reals, inline so that a record reader pays no call per field. It
// reads in one pass the usual text of a number: an optional sign before
// every digit, at least one digit and, where a point is allowed, at most one
// point; in a fixed field blanks may stand before it. Anything else (a blank
// after the number has begun, an exponent, a sign after a digit, a lone sign
// or point, a character that is no part of a number) returns false and is
// left to the general readers above, which give the same value wherever both
// apply: a field with blanks inside or after its number is rare, and one with
// blanks inside is told about.

// Longest text scanned: its digits then fit 64 bits.
inline constexpr std::size_t shortDecimalLimit = 16;
static_assert(shortDecimalLimit <= 18);

struct ShortDecimal {
  std::uint64_t mantissa = 0;  // every digit, the point left out
  int fractionDigits = 0;      // digits after the point, when there is one
  bool negative = false;
  bool point = false;
};

// A fixed field may begin with blanks; a free-form value holds none.
enum class Blanks { Leading, Refused };

// Moves p over whole words of `Word` blanks; true when it stopped at the
// first character that is not a blank, false when fewer than a word is left.
template <typename Word>
bool skipBlankWords(const char*& p, const char* end) {
  constexpr auto blanks = static_cast<Word>(0x2020202020202020U);
  while (end - p >= static_cast<long>(sizeof(Word))) {
    Word word = 0;
    std::memcpy(&word, p, sizeof(Word));
    word ^= blanks;  // a blank becomes a zero byte
    if (word != 0) {
      p += std::countr_zero(word) >> 3;  // the first byte in memory is the lowest
      return true;
    }
    p += sizeof(Word);
  }
  return false;
}

// The first character at or after p that is not a blank, or end; eight or
// four characters are looked at in one step (fields are right-justified, so
// most begin with blanks, and free-form values stand in columns).
inline const char* skipLeadingBlanks(const char* p, const char* end) {
  if constexpr (std::endian::native == std::endian::little) {
    if (skipBlankWords<std::uint64_t>(p, end) || skipBlankWords<std::uint32_t>(p, end)) {
      return p;
    }
  }
  while (p != end && *p == ' ') {
    ++p;
  }
  return p;
}

// Scans the number that begins at `p`, stopping at the first character
// that is no part of it or at `end` (at most shortDecimalLimit characters
// on): where it stopped, or null when no digit came first.
inline const char* scanShortDecimalFrom(const char* p, const char* end, bool allowPoint, ShortDecimal& scan) {
  bool negative = false;
  if (p != end && (*p == '-' || *p == '+')) {
    negative = *p == '-';
    ++p;
  }
  // Locals, not the struct's members: a char read may alias them. The
  // digits before the point and those after it are taken by two loops, so
  // that a digit costs one test.
  std::uint64_t mantissa = 0;
  const char* const digitsFrom = p;
  const auto takeDigits = [&mantissa, end](const char* q) {
    for (; q != end; ++q) {
      const auto digit = static_cast<unsigned>(*q - '0');
      if (digit >= 10) {
        break;
      }
      mantissa = mantissa * 10 + digit;
    }
    return q;
  };
  p = takeDigits(p);
  const long digits = p - digitsFrom;
  const bool point = allowPoint && p != end && *p == '.';
  long fractionDigits = 0;
  if (point) {
    const char* const fractionFrom = p + 1;
    p = takeDigits(fractionFrom);
    fractionDigits = p - fractionFrom;
  }
  if (digits + fractionDigits == 0) {
    return nullptr;
  }
  scan.mantissa = mantissa;
  scan.negative = negative;
  scan.point = point;
  if (point) {
    scan.fractionDigits = static_cast<int>(fractionDigits);
  }
  return p;
}

// Scans the `length` (at most shortDecimalLimit) characters at `text`, which
// must hold the number and nothing else.
inline bool scanShortDecimal(const char* text, std::size_t length, bool allowPoint, Blanks blanks, ShortDecimal& scan) {
  const char* const end = text + length;
  const char* const start = blanks == Blanks::Leading ? skipLeadingBlanks(text, end) : text;
  return scanShortDecimalFrom(start, end, allowPoint, scan) == end;
}

// The scanned number as an integer: false when it holds a point or does not
// fit 32 bits.
inline bool shortDecimalInteger(const ShortDecimal& scan, std::int32_t& value) {
  if (scan.point || scan.mantissa > std::uint64_t{INT32_MAX} + (scan.negative ? 1 : 0)) {
    return false;
  }
  const auto magnitude = static_cast<std::int64_t>(scan.mantissa);
  value = static_cast<std::int32_t>(scan.negative ? -magnitude : magnitude);
  return true;
}

// The same for a mantissa of up to 2^53 and up to 22 decimals: both are exact
// in double precision, so the quotient is the correctly rounded double of
// the decimal text, and rounding that to single gives the correctly rounded
// single unless the double lies exactly halfway between two singles (then
// the text may lie on either side of that point): false there, and the
// general reader decides.
inline constexpr std::uint64_t doubleMantissaLimit = std::uint64_t{1} << 53;
inline constexpr double exactDoublePowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                    1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                    1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
inline bool doubleDecimalValue(std::uint64_t mantissa, int scale, bool negative, float& value) {
  const double quotient = static_cast<double>(mantissa) / exactDoublePowersOfTen[scale];
  // The 29 bits of a double's mantissa below a single's: 1 then zeros is a
  // halfway point (the quotient is a normal single's size here).
  constexpr std::uint64_t belowSingle = (std::uint64_t{1} << 29) - 1;
  if ((std::bit_cast<std::uint64_t>(quotient) & belowSingle) == std::uint64_t{1} << 28) {
    return false;
  }
  const auto magnitude = static_cast<float>(quotient);
  value = negative ? -magnitude : magnitude;
  return true;
}

// The scanned number as a real, its last `decimals` digits the fraction when
// it has no point: false when it is not short enough for the quick exact
// paths.
inline bool shortDecimalReal(const ShortDecimal& scan, int decimals, float& value) {
  const int scale = scan.point ? scan.fractionDigits : decimals;
  if (scale < 0) {
    return false;
  }
  if (scan.mantissa <= std::uint64_t{quickMantissaLimit} && scale <= quickScaleLimit) {
    value = quickDecimalValue(static_cast<std::int64_t>(scan.mantissa), scale, scan.negative);
    return true;
  }
  return scan.mantissa <= doubleMantissaLimit && scale <= 22 && scan.mantissa != 0 &&
         doubleDecimalValue(scan.mantissa, scale, scan.negative, value);
}

}  // namespace kestran
