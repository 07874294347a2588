#include "output/normalisation.hpp"

#include "reflections/number_text.hpp"
#include "reflections/record_layouts.hpp"

namespace kestran {

namespace {

constexpr int codeFullprof4 = 4;  // carries its own standard deviations through
constexpr double amplitudeCap = 5000.0;
constexpr double intensityScale = 5000.0;

float single(double value) { return static_cast<float>(value); }

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

// Scales every amplitude and its SIGF down so that the largest is 5000, when
// the largest exceeds 5000; amplitudes are never scaled up.
void capAmplitudes(ReflectionTable& table) {
  float largest = 0.0F;
  for (int i = 0; i < table.n; ++i) {
    if (!isRemoved(table, i) && table.FOBS[i] > largest) {
      largest = table.FOBS[i];
    }
  }
  if (table.n < 1 || !(largest > amplitudeCap)) {
    return;
  }
  for (int i = 0; i < table.n; ++i) {
    if (!isRemoved(table, i)) {
      table.FOBS[i] = single(table.FOBS[i] / double{largest} * amplitudeCap);
      table.SIGF[i] = single(table.SIGF[i] / double{largest} * amplitudeCap);
    }
  }
}

struct AmplitudeResult {
  float largestIntensity = 0.0F;
  int written = 0;
};

// Writes the amplitude file and turns each amplitude into an intensity.
AmplitudeResult writeAmplitudes(ReflectionTable& table, std::ostream& famp) {
  const bool ownSigmas = table.inputCode == codeFullprof4;
  AmplitudeResult result;
  for (int i = 0; i < table.n; ++i) {
    if (isRemoved(table, i)) {
      continue;
    }
    if (ownSigmas) {
      writeLayoutB(famp, tripleRecord(table, i));
      table.SIGF[i] = single(double{table.SIGF[i]} * table.SIGF[i]);
    } else {
      table.SIGF[i] = single(table.FOBS[i] / 100.0);
      writeLayoutA(famp, codedRecord(table, i));
    }
    table.FOBS[i] = single(double{table.FOBS[i]} * table.FOBS[i]);
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

// Scales each intensity so that the strongest is 5000 and writes both
// intensity files. When every intensity is zero there is nothing to scale
// and the values are written as they are.
void writeIntensities(ReflectionTable& table, float largestIntensity, std::ostream& fint, std::ostream& intensity) {
  const bool ownSigmas = table.inputCode == codeFullprof4;
  const bool rescale = largestIntensity != 0.0F;
  for (int i = 0; i < table.n; ++i) {
    if (isRemoved(table, i)) {
      continue;
    }
    if (rescale) {
      table.FOBS[i] = single(table.FOBS[i] / double{largestIntensity} * intensityScale);
    }
    if (!ownSigmas) {
      table.SIGF[i] = single(table.FOBS[i] / 100.0);
      writeLayoutA(fint, codedRecord(table, i));
      writeLayoutC(intensity, codedRecord(table, i));
      continue;
    }
    if (rescale) {
      table.SIGF[i] = single(table.SIGF[i] / double{largestIntensity} * intensityScale);
    }
    writeLayoutB(fint, tripleRecord(table, i));
    if (rescale) {
      // The wide file carries the unscaled squares, recovered from the
      // single-precision values just written.
      table.FOBS[i] = single(double{largestIntensity} * table.FOBS[i] / intensityScale);
      table.SIGF[i] = single(double{largestIntensity} * table.SIGF[i] / intensityScale);
    }
    writeLayoutD(intensity, tripleRecord(table, i));
  }
}

}  // namespace

void writeOutputFiles(ReflectionTable& table, std::ostream& console, std::ostream& famp, std::ostream& fint,
                      std::ostream& intensity) {
  const bool ownSigmas = table.inputCode == codeFullprof4;
  writeCountLine(console, "  Number of HKL = ", table.n);
  capAmplitudes(table);
  const AmplitudeResult amplitudes = writeAmplitudes(table, famp);
  writeSummary(console, ownSigmas, amplitudes.written);
  if (!ownSigmas) {
    writeEndRecord(famp);
  }
  writeIntensities(table, amplitudes.largestIntensity, fint, intensity);
  if (!ownSigmas) {
    writeEndRecord(fint);
  }
}

}  // namespace kestran
