#pragma once
// The program's numbers written as decimal text in fields of fixed width, as
// the output files and the console lay them out. Nothing here depends on the
// locale or allocates.

#include <cstddef>
#include <cstdint>
#include <string>

namespace kestran {

// The value right-justified in exactly `width` characters at `out`, or
// `width` asterisks when it does not fit.
void formatInteger(char* out, int width, std::int32_t value);

// The value with `decimals` decimals, rounded from its exact binary value
// with ties to even, right-justified in `width` characters at `out`; the 0
// before the point is dropped when that makes it fit, and NaN and the
// infinities are written as words. Asterisks when nothing fits.
void formatFixedPoint(char* out, int width, int decimals, float value);

// Text of its own length, for tables whose columns are separated rather
// than fixed: each writes at `out`, which has room for the longest text of
// its kind, and returns the end of what it wrote.

// What printf writes for "%.<decimals>f" (decimals 0 to 9): rounded from the
// exact binary value with ties to even, "nan" and "inf" with their signs.
inline constexpr std::size_t maxDecimalTextLength = 330;
char* writeDecimal(char* out, double value, int decimals);

// The shortest text that reads back as the same single value (as
// std::to_chars writes it: "5000", "0.0125", "1e-05", "1.2345679e+08").
inline constexpr std::size_t maxShortestTextLength = 24;
char* writeShortest(char* out, float value);

// The same two as strings, for text written once rather than per row.
std::string decimalText(double value, int decimals);
std::string shortestText(float value);

// The integer in as many characters as it needs.
inline constexpr std::size_t maxIntegerTextLength = 11;
char* writeInteger(char* out, std::int32_t value);

}  // namespace kestran
