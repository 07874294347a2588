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
  if (!scale.ownSigmas) {
    capped.sigma = hundredthOf(capped.value);
  }
  return capped;
}

}  // namespace

OutputScale outputScale(const ReflectionTable& table) {
  OutputScale scale;
  scale.ownSigmas = flavourOf(table).writesOwnSigmas;
  for (int i = 0; i < table.rows; ++i) {
    if (isKept(table.status[i]) && table.amplitude[i] > scale.largestAmplitude) {
      scale.largestAmplitude = table.amplitude[i];
    }
  }
  // The largest intensity comes from the capped amplitudes, as written.
  for (int i = 0; i < table.rows; ++i) {
    if (isKept(table.status[i])) {
      const float intensity = squareOf(cappedAmplitude(table.amplitude[i], table.sigma[i], scale).value);
      if (intensity > scale.largestIntensity) {
        scale.largestIntensity = intensity;
      }
    }
  }
  return scale;
}

WrittenValues writtenValues(float amplitude, float sigma, const OutputScale& scale) {
  const Pair capped = cappedAmplitude(amplitude, sigma, scale);
  const Pair square{squareOf(capped.value), scale.ownSigmas ? squareOf(capped.sigma) : capped.sigma};
  // When every intensity is zero there is nothing to scale.
  const bool rescale = scale.largestIntensity != 0.0F;
  Pair scaled = square;
  if (rescale) {
    scaled.value = rescaledIntensity(square.value, scale.largestIntensity);
  }
  WrittenValues written{capped.value, capped.sigma, scaled.value, scaled.sigma, 0, 0};
  if (!scale.ownSigmas) {
    written.intensitySigma = hundredthOf(scaled.value);
    written.wideIntensity = written.intensity;
    written.wideSigma = written.intensitySigma;
    return written;
  }
  if (rescale) {
    written.intensitySigma = rescaledIntensity(square.sigma, scale.largestIntensity);
    // The wide file carries the unscaled squares, recovered from the
    // single-precision values of the intensity file.
    written.wideIntensity = unscaledIntensity(written.intensity, scale.largestIntensity);
    written.wideSigma = unscaledIntensity(written.intensitySigma, scale.largestIntensity);
  } else {
    written.wideIntensity = written.intensity;
    written.wideSigma = written.intensitySigma;
  }
  return written;
}

bool intensitiesAreFinite(const WrittenValues& values) {
  return std::isfinite(values.intensity) && std::isfinite(values.intensitySigma) &&
         std::isfinite(values.wideIntensity) && std::isfinite(values.wideSigma);
}

}  // namespace kestran
