#include "reflections/entry_readers.hpp"

#include <cmath>
#include <cstdint>
#include <string_view>

#include "reflections/cell_geometry.hpp"
#include "reflections/free_form.hpp"
#include "reflections/number_text.hpp"
#include "reflections/record_layouts.hpp"
#include "reflections/run_error.hpp"
#include "reflections/single_precision.hpp"

namespace kestran {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool isBlankLine(std::string_view line) {
  for (const char c : line) {
    if (!isBlank(c)) {
      return false;
    }
  }
  return true;
}

void writeTruncationLine(std::ostream& console) {
  constexpr int width = 5;
  char capacity[width];
  formatInteger(capacity, width, MAXREF);
  console << "  Your data will be truncated at ";
  console.write(capacity, width);
  console << " hkl\n";
}

void skipLine(LineReader& entry) {
  std::string_view ignored;
  if (!entry.next(ignored)) {
    entry.fail(report::endOfFile);
  }
}

void readCellLine(CellParameters& cell, LineReader& entry) {
  ListRead read(entry);
  for (float* value : {&cell.a, &cell.b, &cell.c, &cell.alpha, &cell.beta, &cell.gamma, &cell.wavelength}) {
    read.requireReal(*value);
  }
  read.finish();
}

void readCountLine(ReflectionTable& table, LineReader& entry) {
  ListRead read(entry);
  read.requireInteger(table.N);
  read.requireReal(table.D);
  read.finish();
}

ReciprocalCell checkedReciprocalCell(const CellParameters& cell, LineReader& entry) {
  const double volume = cellVolume(cell);
  if (!(std::isfinite(volume) && volume > 0)) {
    entry.fail(report::impossibleCell);
  }
  return prepareReciprocalCell(cell);
}

void setPosition(ReflectionTable& table, int index, const ReciprocalCell& reciprocal) {
  table.POS[index] = sinSquaredTheta(reciprocal, table.H[index], table.K[index], table.L[index]);
}

// Exactly the positions for which twoThetaDegrees gives no number.
bool hasRealAngle(float sinSquared) { return sinSquared >= 0 && sinSquared <= 1; }

void reportUnrealAngles(const ReflectionTable& table, int count, std::ostream& console) {
  int unreal = 0;
  for (int index = 0; index < count; ++index) {
    if (!hasRealAngle(table.POS[index])) {
      ++unreal;
    }
  }
  if (unreal > 0) {
    console << "  Warning: " << unreal << (unreal == 1 ? " reflection has" : " reflections have")
            << " no real angle (sin^2(theta) above 1): check the wavelength\n";
  }
}

// The indices, amplitude and standard deviation that both layouts carry.
template <typename Record>
void storeIndicesAndAmplitude(ReflectionTable& table, int index, const Record& record) {
  table.H[index] = record.h;
  table.K[index] = record.k;
  table.L[index] = record.l;
  table.FOBS[index] = record.value;
  table.SIGF[index] = record.sigma;
}

bool readLayoutARow(ReflectionTable& table, int index, std::string_view line) {
  CodedRecord record;
  if (!readLayoutA(line, record)) {
    return false;
  }
  storeIndicesAndAmplitude(table, index, record);
  table.FLAG[index] = record.code;
  return true;
}

bool readLayoutBRow(ReflectionTable& table, int index, std::string_view line) {
  TripleRecord record;
  if (!readLayoutB(line, record)) {
    return false;
  }
  storeIndicesAndAmplitude(table, index, record);
  table.EXTRA[index] = record.extra;
  return true;
}

// Cell line, count line, then exactly N fixed-column lines (none for N <= 0).
int readFullprof(ReflectionTable& table, LineReader& entry, std::ostream& console) {
  readCellLine(table.cell, entry);
  readCountLine(table, entry);
  if (table.N > MAXREF) {
    writeTruncationLine(console);
    table.N = MAXREF;
  }
  const ReciprocalCell reciprocal = checkedReciprocalCell(table.cell, entry);
  const auto readRow = table.inputCode == code::fullprofJfou4 ? readLayoutBRow : readLayoutARow;
  int count = 0;
  for (; count < table.N; ++count) {
    std::string_view line;
    if (!entry.next(line)) {
      entry.fail(report::endOfFile);
    }
    if (!readRow(table, count, line)) {
      entry.fail(report::conversionError);
    }
    setPosition(table, count, reciprocal);
  }
  return count;
}

// The reflection lists of EXPO and SIRPOW run to the end of the file. Once
// the rows are full, whatever is not blank on the following lines is lost,
// and the console says so. The rest of the last line read is not looked at:
// every free-form read drops the rest of its line, so it is never data.
void reportUnreadRest(LineReader& entry, std::ostream& console) {
  std::string_view line;
  while (entry.next(line)) {
    if (!isBlankLine(line)) {
      writeTruncationLine(console);
      return;
    }
  }
}

// One free-form read of h, k, l, peak width, amplitude; false when the file
// ends before all five are found. Null values leave the row's zeros.
bool readExpoReflection(ReflectionTable& table, int index, LineReader& entry) {
  ListRead read(entry);
  const bool complete = read.integer(table.H[index]) && read.integer(table.K[index]) &&
                        read.integer(table.L[index]) && read.real(table.EXTRA[index]) &&
                        read.real(table.FOBS[index]);
  read.finish();
  return complete;
}

int readExpo(ReflectionTable& table, LineReader& entry, std::ostream& console) {
  skipLine(entry);
  readCellLine(table.cell, entry);
  table.N = MAXREF;
  const ReciprocalCell reciprocal = checkedReciprocalCell(table.cell, entry);
  int count = 0;
  while (count < MAXREF && readExpoReflection(table, count, entry)) {
    setPosition(table, count, reciprocal);
    ++count;
  }
  if (count == MAXREF) {
    reportUnreadRest(entry, console);
  }
  return count;
}

// One free-form read of h, k, l, an integer and a real that are not kept,
// 2theta, peak width, intensity and the value whose half is SIGF.
bool readSirpowReflection(ReflectionTable& table, int index, LineReader& entry) {
  std::int32_t unusedInteger = 0;
  float unusedReal = 0;
  ListRead read(entry);
  const bool complete = read.integer(table.H[index]) && read.integer(table.K[index]) &&
                        read.integer(table.L[index]) && read.integer(unusedInteger) && read.real(unusedReal) &&
                        read.real(table.POS[index]) && read.real(table.EXTRA[index]) &&
                        read.real(table.FOBS[index]) && read.real(table.SIGF[index]);
  read.finish();
  if (complete) {
    table.FOBS[index] = sirpowAmplitude(table.FOBS[index]);
    table.SIGF[index] = sirpowSigma(table.SIGF[index]);
  }
  return complete;
}

int readSirpow(ReflectionTable& table, LineReader& entry, std::ostream& console) {
  skipLine(entry);
  skipLine(entry);
  int count = 0;
  while (count < MAXREF && readSirpowReflection(table, count, entry)) {
    ++count;
  }
  if (count == MAXREF) {
    reportUnreadRest(entry, console);
  }
  return count;
}

}  // namespace

float sirpowAmplitude(float intensity) {
  if (intensity < 0) {
    return 0.0F;
  }
  return roundToSingle(std::sqrt(double{intensity}));
}

float sirpowSigma(float lastValue) { return roundToSingle(double{lastValue} * 0.5); }

int readEntryFile(ReflectionTable& table, LineReader& entry, std::ostream& console) {
  int count = 0;
  switch (table.inputCode) {
    case code::sirpow:
      count = readSirpow(table, entry, console);
      break;
    case code::expo:
      count = readExpo(table, entry, console);
      reportUnrealAngles(table, count, console);
      break;
    default:  // 1 and 4; any other code takes the branch of code 1
      count = readFullprof(table, entry, console);
      reportUnrealAngles(table, count, console);
      break;
  }
  table.n = count;
  return count;
}

}  // namespace kestran
