#pragma once
// The values each output file holds for one row, apart from their writing:
// the amplitude capped at 5000, its sigma, the intensity on the scale where
// the strongest is 5000 and its sigma, and the values of the wide file. They
// come from the row's amplitude and sigma as stored and a few run-wide facts
// alone, so that every writer (the files, and any later one that takes
// every row read) gets the same bits.

#include "reflections/reflection_table.hpp"

namespace kestran {

// The run-wide facts the written values depend on.
struct OutputScale {
  float largestAmplitude = 0;  // of the rows written, 0 when none is positive
  float largestIntensity = 0;  // the largest square of a capped amplitude
  bool ownSigmas = false;      // the row's sigma is written (JFOU=4), not one hundredth of the value
};

struct WrittenValues {
  float amplitude = 0, amplitudeSigma = 0;  // the amplitude file
  float intensity = 0, intensitySigma = 0;  // the intensity file, on the 5000 scale
  float wideIntensity = 0, wideSigma = 0;   // the wide intensity file
};

// Finds the largest amplitude and intensity of the rows that are written
// (isKept: kept, or shared in an overlap group).
OutputScale outputScale(const ReflectionTable& table);

// The written values of a row of this amplitude and sigma. Without own
// sigmas each sigma is one hundredth of its value; with them the intensity
// files carry the square of the amplitude's sigma (SIGF^2), scaled with the
// intensities in the intensity file and unscaled, as the intensities are,
// in the wide file.
WrittenValues writtenValues(float amplitude, float sigma, const OutputScale& scale);

// False when a written intensity or its sigma lies beyond single precision.
bool intensitiesAreFinite(const WrittenValues& values);

}  // namespace kestran
