#include "output/normalisation.hpp"

#include <bitset>
#include <cmath>

#include "reflections/number_text.hpp"
#include "output/scaling.hpp"
#include "reflections/record_layouts.hpp"

namespace kestran {

namespace {

// FULLPROF JFOU=4 data carry their own standard deviations through; every
// other flavour gets one hundredth of the value instead.
bool keepsOwnSigmas(const ReflectionTable& table) { return table.inputCode == code::fullprofJfou4; }

void writeCountLine(std::ostream& console, const char* text, int count) {
  char field[5];
  formatInteger(field, 5, count);
  console << text;
  console.write(field, 5);
  console << '\n';
}

CodedRecord codedRecord(const ReflectionTable& table, int i) {
  return {table.H[i], table.K[i], table.L[i], table.FOBS[i], table.SIGF[i], table.FLAG[i]};
}

TripleRecord tripleRecord(const ReflectionTable& table, int i) {
  return {table.H[i], table.K[i], table.L[i], table.FOBS[i], table.SIGF[i], table.EXTRA[i]};
}

// The rows this stage writes: those that carry no removed marker when it
// starts. They are fixed before the cap, because the cap can turn a negative
// amplitude into exactly -1.0 (-2 when the largest is 10000), and such a row
// must not vanish as if removed.
using RowSet = std::bitset<MAXREF>;

RowSet rowsToWrite(const ReflectionTable& table) {
  RowSet rows;
  for (int i = 0; i < table.n; ++i) {
    rows[static_cast<std::size_t>(i)] = !isRemoved(table, i);
  }
  return rows;
}

bool isWritten(const RowSet& rows, int i) { return rows[static_cast<std::size_t>(i)]; }

// Scales every amplitude and its SIGF down so that the largest is 5000, when
// the largest exceeds 5000; amplitudes are never scaled up.
void capAmplitudes(ReflectionTable& table, const RowSet& rows) {
  float largest = 0.0F;
  for (int i = 0; i < table.n; ++i) {
    if (isWritten(rows, i) && table.FOBS[i] > largest) {
      largest = table.FOBS[i];
    }
  }
  if (table.n < 1 || !exceedsAmplitudeCap(largest)) {
    return;
  }
  for (int i = 0; i < table.n; ++i) {
    if (isWritten(rows, i)) {
      table.FOBS[i] = cappedValue(table.FOBS[i], largest);
      table.SIGF[i] = cappedValue(table.SIGF[i], largest);
    }
  }
}

struct AmplitudeResult {
  float largestIntensity = 0.0F;
  int written = 0;
};

// Writes the amplitude file and turns each amplitude into an intensity.
AmplitudeResult writeAmplitudes(ReflectionTable& table, const RowSet& rows, std::ostream& famp) {
  const bool ownSigmas = keepsOwnSigmas(table);
  AmplitudeResult result;
  for (int i = 0; i < table.n; ++i) {
    if (!isWritten(rows, i)) {
      continue;
    }
    if (ownSigmas) {
      writeLayoutB(famp, tripleRecord(table, i));
      table.SIGF[i] = squareOf(table.SIGF[i]);
    } else {
      table.SIGF[i] = hundredthOf(table.FOBS[i]);
      writeLayoutA(famp, codedRecord(table, i));
    }
    table.FOBS[i] = squareOf(table.FOBS[i]);
    if (table.FOBS[i] > result.largestIntensity) {
      result.largestIntensity = table.FOBS[i];
    }
    ++result.written;
  }
  return result;
}

void writeSummary(std::ostream& console, bool ownSigmas, int written) {
  console << '\n';
  if (!ownSigmas) {
    console << "  ESD are now FOBS/100.... !!\n\n";
  }
  writeCountLine(console, "  Final hkl number = ", written);
}

void writeEndRecord(std::ostream& out) { writeLayoutA(out, CodedRecord{}); }

// Every value read is finite, so a value written is not only when a square
// or a scaled value exceeds single precision (an amplitude beyond about
// 1.8e19, a JFOU=4 standard deviation far above the amplitudes). It is
// written as it comes out and the row counted, for the console to say so.
bool isFiniteRow(const ReflectionTable& table, int i) {
  return std::isfinite(table.FOBS[i]) && std::isfinite(table.SIGF[i]);
}

// Scales each intensity so that the strongest is 5000 and writes both
// intensity files. When every intensity is zero there is nothing to scale
// and the values are written as they are. Returns the number of rows that
// got a value beyond single precision.
int writeIntensities(ReflectionTable& table, const RowSet& rows, float largestIntensity, std::ostream& fint,
                     std::ostream& intensity) {
  const bool ownSigmas = keepsOwnSigmas(table);
  const bool rescale = largestIntensity != 0.0F;
  int beyondRange = 0;
  for (int i = 0; i < table.n; ++i) {
    if (!isWritten(rows, i)) {
      continue;
    }
    if (rescale) {
      table.FOBS[i] = rescaledIntensity(table.FOBS[i], largestIntensity);
    }
    if (!ownSigmas) {
      table.SIGF[i] = hundredthOf(table.FOBS[i]);
      beyondRange += isFiniteRow(table, i) ? 0 : 1;
      writeLayoutA(fint, codedRecord(table, i));
      writeLayoutC(intensity, codedRecord(table, i));
      continue;
    }
    if (rescale) {
      table.SIGF[i] = rescaledIntensity(table.SIGF[i], largestIntensity);
    }
    bool finite = isFiniteRow(table, i);
    writeLayoutB(fint, tripleRecord(table, i));
    if (rescale) {
      // The wide file carries the unscaled squares, recovered from the
      // single-precision values just written.
      table.FOBS[i] = unscaledIntensity(table.FOBS[i], largestIntensity);
      table.SIGF[i] = unscaledIntensity(table.SIGF[i], largestIntensity);
    }
    finite = finite && isFiniteRow(table, i);
    beyondRange += finite ? 0 : 1;
    writeLayoutD(intensity, tripleRecord(table, i));
  }
  return beyondRange;
}

void writeRangeWarning(std::ostream& console, int rows) {
  if (rows > 0) {
    console << "  Warning: " << rows << (rows == 1 ? " reflection has" : " reflections have")
            << " an intensity beyond single precision, written as NaN or Infinity\n";
  }
}

}  // namespace

void writeOutputFiles(ReflectionTable& table, std::ostream& console, std::ostream& famp, std::ostream& fint,
                      std::ostream& intensity) {
  const bool ownSigmas = keepsOwnSigmas(table);
  writeCountLine(console, "  Number of HKL = ", table.n);
  const RowSet rows = rowsToWrite(table);
  capAmplitudes(table, rows);
  const AmplitudeResult amplitudes = writeAmplitudes(table, rows, famp);
  writeSummary(console, ownSigmas, amplitudes.written);
  if (!ownSigmas) {
    writeEndRecord(famp);
  }
  const int beyondRange = writeIntensities(table, rows, amplitudes.largestIntensity, fint, intensity);
  if (!ownSigmas) {
    writeEndRecord(fint);
  }
  writeRangeWarning(console, beyondRange);
}

}  // namespace kestran
