#pragma once
// The arithmetic of the output stage, one function per stored value. Each is
// evaluated in double precision from single-precision operands and rounded
// to single precision once, where the result is stored.

#include <cmath>

#include "reflections/single_precision.hpp"

namespace kestran {

// The largest amplitude allowed as it stands, and the strongest intensity
// after rescaling.
inline constexpr double amplitudeCap = 5000.0;
inline constexpr double intensityScale = 5000.0;

// Amplitudes are capped only when the largest one lies strictly above 5000.
inline bool exceedsAmplitudeCap(float largestAmplitude) { return largestAmplitude > amplitudeCap; }

// An amplitude or its SIGF under the cap: divided by the largest first,
// then multiplied by 5000.
inline float cappedValue(float value, float largestAmplitude) {
  return roundToSingle(value / double{largestAmplitude} * amplitudeCap);
}

// The standard deviation that replaces the one read: one hundredth of the value.
inline float hundredthOf(float value) { return roundToSingle(value / 100.0); }

inline float squareOf(float value) { return roundToSingle(double{value} * value); }

// sigma(I) = 2 |F| sigma(F), from an amplitude and its sigma: a negative
// amplitude, written with its sign, still gives a positive intensity.
inline float propagatedSigma(float amplitude, float sigma) {
  return roundToSingle(2.0 * std::fabs(double{amplitude}) * sigma);
}

// An intensity (or JFOU=4 squared SIGF) on the scale where the strongest is 5000.
inline float rescaledIntensity(float value, float largestIntensity) {
  return roundToSingle(value / double{largestIntensity} * intensityScale);
}

// JFOU=4: back from the 5000 scale, from the single value that was written.
inline float unscaledIntensity(float scaled, float largestIntensity) {
  return roundToSingle(double{largestIntensity} * scaled / intensityScale);
}

}  // namespace kestran
