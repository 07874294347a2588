#pragma once
// The program's numbers written as decimal text in fields of fixed width, as
// the output files and the console lay them out. Nothing here depends on the
// locale or allocates.

#include <cstdint>

namespace kestran {

// The value right-justified in exactly `width` characters at `out`, or
// `width` asterisks when it does not fit.
void formatInteger(char* out, int width, std::int32_t value);

// The value with `decimals` decimals, rounded from its exact binary value
// with ties to even, right-justified in `width` characters at `out`; the 0
// before the point is dropped when that makes it fit, and NaN and the
// infinities are written as words. Asterisks when nothing fits.
void formatFixedPoint(char* out, int width, int decimals, float value);

}  // namespace kestran
