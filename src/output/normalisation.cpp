#include "output/normalisation.hpp"

#include <cmath>

#include "output/scaling.hpp"
#include "reflections/record_layouts.hpp"
#include "text/block_writer.hpp"
#include "text/console_text.hpp"

namespace kestran {

namespace {

// FULLPROF JFOU=4 data carry their own standard deviations through; every
// other flavour gets one hundredth of the value instead.
bool keepsOwnSigmas(const ReflectionTable& table) { return table.inputCode == code::fullprofJfou4; }

// One record into the output's buffer.
template <typename Layout, typename Values>
void writeRecord(BlockWriter& out, const Layout& layout, const Values& values) {
  out.commit(formatRecord(out.room(maxRecordLength), layout, values));
}

bool isWritten(const ReflectionTable& table, int i) { return isKept(table.STATUS[i]); }

// One written row's amplitude and standard deviation, then its intensity and
// the intensity's standard deviation, as the stages of the output turn them.
struct RowValues {
  float value = 0;
  float sigma = 0;
};

// Amplitudes above 5000 are scaled down so that the largest is 5000; they
// are never scaled up. Returns the largest kept amplitude (0 when none is positive).
float largestAmplitude(const ReflectionTable& table) {
  float largest = 0.0F;
  for (int i = 0; i < table.n; ++i) {
    if (isWritten(table, i) && table.FOBS[i] > largest) {
      largest = table.FOBS[i];
    }
  }
  return largest;
}

// The capped amplitude of row i and its standard deviation: SIGF as read
// (capped) for JFOU=4, one hundredth of the amplitude for every other code.
RowValues amplitudeOf(const ReflectionTable& table, int i, float largest) {
  RowValues amplitude{table.FOBS[i], table.SIGF[i]};
  if (exceedsAmplitudeCap(largest)) {
    amplitude = {cappedValue(amplitude.value, largest), cappedValue(amplitude.sigma, largest)};
  }
  if (!keepsOwnSigmas(table)) {
    amplitude.sigma = hundredthOf(amplitude.value);
  }
  return amplitude;
}

// The square of the amplitude; for JFOU=4 the square of its sigma as well.
RowValues intensityOf(const ReflectionTable& table, const RowValues& amplitude) {
  const float value = squareOf(amplitude.value);
  return {value, keepsOwnSigmas(table) ? squareOf(amplitude.sigma) : amplitude.sigma};
}

ShelxValues shelxValues(const ReflectionTable& table, int i, const RowValues& values) {
  return {table.H[i], table.K[i], table.L[i], values.value, values.sigma, table.FLAG[i]};
}

Jfou4Values jfou4Values(const ReflectionTable& table, int i, const RowValues& values) {
  return {table.H[i], table.K[i], table.L[i], values.value, values.sigma, table.EXTRA[i]};
}

struct AmplitudeResult {
  float largestIntensity = 0.0F;
  int written = 0;
};

// Writes the amplitude file and finds the largest intensity.
AmplitudeResult writeAmplitudes(const ReflectionTable& table, float largest, BlockWriter& famp) {
  AmplitudeResult result;
  for (int i = 0; i < table.n; ++i) {
    if (!isWritten(table, i)) {
      continue;
    }
    const RowValues amplitude = amplitudeOf(table, i, largest);
    if (keepsOwnSigmas(table)) {
      writeRecord(famp, jfou4Record, jfou4Values(table, i, amplitude));
    } else {
      writeRecord(famp, shelxRecord, shelxValues(table, i, amplitude));
    }
    const float intensity = intensityOf(table, amplitude).value;
    if (intensity > result.largestIntensity) {
      result.largestIntensity = intensity;
    }
    ++result.written;
  }
  return result;
}

void writeSummary(std::ostream& console, bool ownSigmas, int written, bool widen) {
  console << '\n';
  if (!ownSigmas) {
    console << "  ESD are now FOBS/100.... !!\n\n";
  }
  writeCountLine(console, "  Final hkl number = ", written, {}, widen);
}

void writeEndRecord(BlockWriter& out) { writeRecord(out, shelxRecord, ShelxValues{}); }

// Every value read is finite, so a value written is not only when a square
// or a scaled value exceeds single precision (an amplitude beyond about
// 1.8e19, a JFOU=4 standard deviation far above the amplitudes). It is
// written as it comes out and the row counted, for the console to say so.
bool isFinite(const RowValues& values) { return std::isfinite(values.value) && std::isfinite(values.sigma); }

// Scales each intensity so that the strongest is 5000 and writes both
// intensity files. When every intensity is zero there is nothing to scale
// and the values are written as they are. Returns the number of rows that
// got a value beyond single precision.
int writeIntensities(const ReflectionTable& table, float largest, float largestIntensity, BlockWriter& fint,
                     BlockWriter& intensityFile) {
  const bool ownSigmas = keepsOwnSigmas(table);
  const bool rescale = largestIntensity != 0.0F;
  int beyondRange = 0;
  for (int i = 0; i < table.n; ++i) {
    if (!isWritten(table, i)) {
      continue;
    }
    // The same arithmetic as for the amplitude file gives the same bits, so
    // the intensity is computed again rather than kept in the table.
    const RowValues intensity = intensityOf(table, amplitudeOf(table, i, largest));
    RowValues scaled = intensity;
    if (rescale) {
      scaled.value = rescaledIntensity(intensity.value, largestIntensity);
    }
    if (!ownSigmas) {
      scaled.sigma = hundredthOf(scaled.value);
      beyondRange += isFinite(scaled) ? 0 : 1;
      writeRecord(fint, shelxRecord, shelxValues(table, i, scaled));
      writeRecord(intensityFile, wideShelxRecord, shelxValues(table, i, scaled));
      continue;
    }
    if (rescale) {
      scaled.sigma = rescaledIntensity(intensity.sigma, largestIntensity);
    }
    writeRecord(fint, jfou4Record, jfou4Values(table, i, scaled));
    // The wide file carries the unscaled squares, recovered from the
    // single-precision values just written.
    RowValues unscaled = scaled;
    if (rescale) {
      unscaled = {unscaledIntensity(scaled.value, largestIntensity), unscaledIntensity(scaled.sigma, largestIntensity)};
    }
    beyondRange += isFinite(scaled) && isFinite(unscaled) ? 0 : 1;
    writeRecord(intensityFile, wideJfou4Record, jfou4Values(table, i, unscaled));
  }
  return beyondRange;
}

void writeRangeWarning(std::ostream& console, int rows) {
  if (rows > 0) {
    console << "  Warning: " << reflectionsHave(rows)
            << " an intensity beyond single precision, written as NaN or Infinity\n";
  }
}

}  // namespace

void writeOutputFiles(const ReflectionTable& table, std::ostream& console, std::ostream& famp, std::ostream& fint,
                      std::ostream& intensity) {
  const bool ownSigmas = keepsOwnSigmas(table);
  writeCountLine(console, "  Number of HKL = ", table.n, {}, widensCounts(table));
  const float largest = largestAmplitude(table);
  BlockWriter fampText(famp);
  const AmplitudeResult amplitudes = writeAmplitudes(table, largest, fampText);
  writeSummary(console, ownSigmas, amplitudes.written, widensCounts(table));
  if (!ownSigmas) {
    writeEndRecord(fampText);
  }
  fampText.flush();
  BlockWriter fintText(fint);
  BlockWriter intensityText(intensity);
  const int beyondRange = writeIntensities(table, largest, amplitudes.largestIntensity, fintText, intensityText);
  if (!ownSigmas) {
    writeEndRecord(fintText);
  }
  fintText.flush();
  intensityText.flush();
  writeRangeWarning(console, beyondRange);
}

}  // namespace kestran
