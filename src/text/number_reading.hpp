#pragma once
// Decimal text read as the program's numbers: the rules shared by the
// fixed-column fields and the free-form values. Reals go from their decimal
// text straight to single precision, correctly rounded; nothing here depends
// on the locale or allocates.

#include <cstdint>
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
float quickDecimalValue(std::int64_t mantissa, int scale, bool negative);

}  // namespace kestran
