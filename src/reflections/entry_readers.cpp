#include "reflections/entry_readers.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "reflections/cell_geometry.hpp"
#include "reflections/record_layouts.hpp"
#include "reflections/single_precision.hpp"
#include "text/blanks.hpp"
#include "text/console_text.hpp"
#include "text/free_form.hpp"
#include "text/run_error.hpp"

namespace kestran {

namespace {

void writeTruncationLine(std::ostream& console, int capacity) {
  writeCountLine(console, "  Your data will be truncated at ", capacity, " hkl");
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

void markRemovedInInput(ReflectionTable& table, int index) {
  table.STATUS[index] = table.FOBS[index] == removedInInputMarker ? RowStatus::RemovedInInput : RowStatus::Kept;
}

// Each row gets its sin^2(theta) as soon as it is read, and a row whose
// amplitude is the marker of the entry file counts as removed from the start.
void finishRow(ReflectionTable& table, int index, const ReciprocalCell& reciprocal) {
  table.SIN2THETA[index] = sinSquaredTheta(reciprocal, table.H[index], table.K[index], table.L[index]);
  markRemovedInInput(table, index);
}

// Exactly the positions for which twoThetaDegrees gives no number.
bool hasRealAngle(float sinSquared) { return sinSquared >= 0 && sinSquared <= 1; }

void reportUnrealAngles(const ReflectionTable& table, std::ostream& console) {
  int unreal = 0;
  for (int index = 0; index < table.n; ++index) {
    if (!hasRealAngle(table.SIN2THETA[index])) {
      ++unreal;
    }
  }
  if (unreal > 0) {
    console << "  Warning: " << reflectionsHave(unreal)
            << " no real angle (sin^2(theta) above 1): check the wavelength\n";
  }
}

void storeLastValue(ReflectionTable& table, int index, const ShelxValues& values) {
  table.FLAG[index] = values.flag;
}
void storeLastValue(ReflectionTable& table, int index, const Jfou4Values& values) {
  table.EXTRA[index] = values.extra;
}

// One FULLPROF line into row `index`: the indices, amplitude and standard
// deviation, then the JFOU=2 flag or the JFOU=4 third value.
template <typename Values>
bool readFixedColumnRow(ReflectionTable& table, int index, std::string_view line,
                        const RecordLayout<Values>& layout) {
  Values values;
  if (!readRecord(line, layout, values)) {
    return false;
  }
  table.H[index] = values.h;
  table.K[index] = values.k;
  table.L[index] = values.l;
  table.FOBS[index] = values.value;
  table.SIGF[index] = values.sigma;
  storeLastValue(table, index, values);
  return true;
}

bool readJfou2Row(ReflectionTable& table, int index, std::string_view line) {
  return readFixedColumnRow(table, index, line, shelxRecord);
}

bool readJfou4Row(ReflectionTable& table, int index, std::string_view line) {
  return readFixedColumnRow(table, index, line, jfou4Record);
}

// Cell line, count line, then exactly N fixed-column lines (none for N <= 0).
void readFullprof(ReflectionTable& table, LineReader& entry, std::ostream& console) {
  readCellLine(table.cell, entry);
  readCountLine(table, entry);
  if (table.N > table.capacity) {
    writeTruncationLine(console, table.capacity);
    table.N = table.capacity;
  }
  const ReciprocalCell reciprocal = checkedReciprocalCell(table.cell, entry);
  const auto readRow = table.inputCode == code::fullprofJfou4 ? readJfou4Row : readJfou2Row;
  table.resizeRows(std::max(table.N, 0));
  for (int index = 0; index < table.n; ++index) {
    std::string_view line;
    if (!entry.next(line)) {
      entry.fail(report::endOfFile);
    }
    if (!readRow(table, index, line)) {
      entry.fail(report::conversionError);
    }
    finishRow(table, index, reciprocal);
  }
}

// The reflection lists of EXPO and SIRPOW run to the end of the file. Once
// the rows are full, whatever is not blank on the following lines is lost,
// and the console says so. The rest of the last line read is not looked at:
// every free-form read drops the rest of its line, so it is never data.
void reportUnreadRest(const ReflectionTable& table, LineReader& entry, std::ostream& console) {
  std::string_view line;
  while (entry.next(line)) {
    if (!isBlankLine(line)) {
      writeTruncationLine(console, table.capacity);
      return;
    }
  }
}

// Reads free-form reflections into new rows until the file ends or the table
// is full; a reflection cut by the end of the file is dropped.
template <typename ReadReflection, typename FinishRow>
void readToEnd(ReflectionTable& table, LineReader& entry, std::ostream& console, ReadReflection readReflection,
               FinishRow finish) {
  while (table.n < table.capacity) {
    const int index = table.addRow();
    if (!readReflection(table, index, entry)) {
      table.resizeRows(index);
      return;
    }
    finish(table, index);
  }
  reportUnreadRest(table, entry, console);
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

void readExpo(ReflectionTable& table, LineReader& entry, std::ostream& console) {
  skipLine(entry);
  readCellLine(table.cell, entry);
  table.N = table.capacity;
  const ReciprocalCell reciprocal = checkedReciprocalCell(table.cell, entry);
  readToEnd(table, entry, console, readExpoReflection,
            [&](ReflectionTable& rows, int index) { finishRow(rows, index, reciprocal); });
}

// One free-form read of h, k, l, an integer and a real that are not kept,
// 2theta, peak width, intensity and the value whose half is SIGF.
bool readSirpowReflection(ReflectionTable& table, int index, LineReader& entry) {
  std::int32_t unusedInteger = 0;
  float unusedReal = 0;
  ListRead read(entry);
  const bool complete = read.integer(table.H[index]) && read.integer(table.K[index]) &&
                        read.integer(table.L[index]) && read.integer(unusedInteger) && read.real(unusedReal) &&
                        read.real(table.TWOTHETA[index]) && read.real(table.EXTRA[index]) &&
                        read.real(table.FOBS[index]) && read.real(table.SIGF[index]);
  read.finish();
  if (complete) {
    table.FOBS[index] = sirpowAmplitude(table.FOBS[index]);
    table.SIGF[index] = sirpowSigma(table.SIGF[index]);
  }
  return complete;
}

void readSirpow(ReflectionTable& table, LineReader& entry, std::ostream& console) {
  skipLine(entry);
  skipLine(entry);
  readToEnd(table, entry, console, readSirpowReflection, markRemovedInInput);
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
  table.resizeRows(0);
  switch (table.inputCode) {
    case code::sirpow:
      readSirpow(table, entry, console);
      break;
    case code::expo:
      readExpo(table, entry, console);
      reportUnrealAngles(table, console);
      break;
    default:  // 1 and 4; any other code takes the branch of code 1
      readFullprof(table, entry, console);
      reportUnrealAngles(table, console);
      break;
  }
  return table.n;
}

}  // namespace kestran
