#pragma once
// Rounding to single precision where a formula stores its result. The
// arithmetic inside one formula runs in double precision; every value that is
// stored (a table column, a reciprocal-cell term, an intermediate the formula
// keeps) is rounded to single precision at exactly that point.

namespace kestran {

// The rounded value, made opaque to the optimiser: without the barrier an
// optimiser may carry the unrounded double into the next product (g++ 12's
// basic-block vectoriser does so at -O2 and -O3), and the last bit of a
// position changes with the build.
inline float roundToSingle(double value) {
  float stored = static_cast<float>(value);
#if defined(__GNUC__) && defined(__x86_64__)
  __asm__("" : "+x"(stored));
#else
  volatile float barrier = stored;
  stored = barrier;
#endif
  return stored;
}

}  // namespace kestran
