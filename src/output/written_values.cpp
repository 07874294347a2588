#include "output/written_values.hpp"

#include <cmath>

#include "output/scaling.hpp"

namespace kestran {

namespace {

struct Pair {
  float value = 0;
  float sigma = 0;
};

// Amplitudes above 5000 are scaled down, sigma with them, so that the
// largest is 5000; they are never scaled up. The sigma written is that one
// (own sigmas) or one hundredth of the amplitude.
Pair cappedAmplitude(float amplitude, float sigma, const OutputScale& scale) {
  Pair capped{amplitude, sigma};
  if (exceedsAmplitudeCap(scale.largestAmplitude)) {
    capped = {cappedValue(amplitude, scale.largestAmplitude), cappedValue(sigma, scale.largestAmplitude)};
  }
  if (scale.sigmas == SigmaRule::Hundredth) {
    capped.sigma = hundredthOf(capped.value);
  }
  return capped;
}

}  // namespace

SigmaRule sigmaRuleOf(const ReflectionTable& table, bool shelxRecords) {
  const Flavour& flavour = flavourOf(table);
  if (flavour.layouts == OutputLayouts::Jfou4 && !shelxRecords) {
    return SigmaRule::SquaredOwn;
  }
  return flavour.writesOwnSigmas || table.sigmasFromFile ? SigmaRule::Propagated : SigmaRule::Hundredth;
}

OutputScale outputScale(const ReflectionTable& table, bool shelxRecords) {
  OutputScale scale;
  scale.sigmas = sigmaRuleOf(table, shelxRecords);
  scale.wideSquares = flavourOf(table).layouts == OutputLayouts::Jfou4;
  for (int i = 0; i < table.rows; ++i) {
    if (isKept(table.status[i]) && writtenAmplitude(table, i) > scale.largestAmplitude) {
      scale.largestAmplitude = writtenAmplitude(table, i);
    }
  }
  // The largest intensity comes from the capped amplitudes, as written.
  for (int i = 0; i < table.rows; ++i) {
    if (isKept(table.status[i])) {
      const float intensity =
          squareOf(cappedAmplitude(writtenAmplitude(table, i), writtenSigma(table, i), scale).value);
      if (intensity > scale.largestIntensity) {
        scale.largestIntensity = intensity;
      }
    }
  }
  return scale;
}

WrittenValues writtenValues(float amplitude, float sigma, const OutputScale& scale) {
  const Pair capped = cappedAmplitude(amplitude, sigma, scale);
  // When every intensity is zero there is nothing to scale.
  const bool rescale = scale.largestIntensity != 0.0F;
  const auto onScale = [&](float value) { return rescale ? rescaledIntensity(value, scale.largestIntensity) : value; };
  WrittenValues written;
  written.amplitude = capped.value;
  written.amplitudeSigma = capped.sigma;
  written.intensity = onScale(squareOf(capped.value));
  written.propagatedSigma = onScale(propagatedSigma(capped.value, capped.sigma));
  switch (scale.sigmas) {
    case SigmaRule::Hundredth:
      written.intensitySigma = hundredthOf(written.intensity);
      break;
    case SigmaRule::SquaredOwn:
      written.intensitySigma = onScale(squareOf(capped.sigma));
      break;
    case SigmaRule::Propagated:
      written.intensitySigma = written.propagatedSigma;
      break;
  }
  if (!scale.wideSquares) {
    written.wideIntensity = written.intensity;
    written.wideSigma = written.intensitySigma;
    return written;
  }
  // The wide file carries the unscaled squares, recovered from the
  // single-precision values on the intensity file's scale.
  const float squaredSigma =
      scale.sigmas == SigmaRule::SquaredOwn ? written.intensitySigma : onScale(squareOf(capped.sigma));
  written.wideIntensity = rescale ? unscaledIntensity(written.intensity, scale.largestIntensity) : written.intensity;
  written.wideSigma = rescale ? unscaledIntensity(squaredSigma, scale.largestIntensity) : squaredSigma;
  return written;
}

bool intensitiesAreFinite(const WrittenValues& values) {
  return std::isfinite(values.intensity) && std::isfinite(values.intensitySigma) &&
         std::isfinite(values.wideIntensity) && std::isfinite(values.wideSigma);
}

}  // namespace kestran
