#pragma once
// The values each output file holds for one row, apart from their writing:
// the amplitude capped at 5000, its sigma, the intensity on the scale where
// the strongest is 5000 and its sigma, and the values of the wide file. They
// come from the row's amplitude and sigma as stored and a few run-wide facts
// alone, so that every writer (the files, and the CIF, which takes every row
// read) gets the same bits.

#include <cstdint>

#include "reflections/reflection_table.hpp"

namespace kestran {

// The sigmas the files hold.
enum class SigmaRule : std::uint8_t {
  // One hundredth of the value in every file: the SHELX layouts by default.
  Hundredth,
  // The row's sigma(F) in the amplitude file, its square SIGF^2 in the
  // intensity files: the JFOU=4 layouts.
  SquaredOwn,
  // The row's sigma(F) in the amplitude file, sigma(I) = 2 F sigma(F) in
  // the intensity file: the SHELX layouts with the sigmas of the file.
  Propagated,
};

// The run-wide facts the written values depend on.
struct OutputScale {
  float largestAmplitude = 0;  // of the rows written, 0 when none is positive
  float largestIntensity = 0;  // the largest square of a capped amplitude
  SigmaRule sigmas = SigmaRule::Hundredth;
  // The wide file holds the unscaled squares and SIGF^2 (the JFOU=4 wide
  // layout, whatever the other two files hold), not the intensity file's values.
  bool wideSquares = false;
};

struct WrittenValues {
  float amplitude = 0, amplitudeSigma = 0;  // the amplitude file
  float intensity = 0, intensitySigma = 0;  // the intensity file, on the 5000 scale
  float wideIntensity = 0, wideSigma = 0;   // the wide intensity file
  float propagatedSigma = 0;                // 2 F sigma(F) on the intensity file's scale, for every rule
};

// The sigma rule of a run: the flavour's own, the sigmas of the entry file
// (table.sigmasFromFile), and whether the amplitude and intensity files are
// written in the SHELX records whatever the flavour's own layouts.
SigmaRule sigmaRuleOf(const ReflectionTable& table, bool shelxRecords);

// Finds the largest amplitude and intensity of the rows that are written
// (isKept: kept, or shared in an overlap group).
OutputScale outputScale(const ReflectionTable& table, bool shelxRecords = false);

// The written values of a row of this amplitude and sigma. With the rule
// Hundredth each sigma is one hundredth of its value; with SquaredOwn the
// intensity files carry the square of the amplitude's sigma (SIGF^2), scaled
// with the intensities in the intensity file; with Propagated the intensity
// file carries 2 F sigma(F), scaled likewise. The wide file carries the
// intensity file's values, or with wideSquares the unscaled squares.
WrittenValues writtenValues(float amplitude, float sigma, const OutputScale& scale);

// False when a written intensity or its sigma lies beyond single precision.
bool intensitiesAreFinite(const WrittenValues& values);

}  // namespace kestran
