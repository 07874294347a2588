#include "reflections/entry_readers.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
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

void writeTruncationLine(std::ostream& console, const ReflectionTable& table) {
  writeCountLine(console, "  Your data will be truncated at ", table.capacity, " hkl", widensCounts(table));
}

// Rows to make room for when `wanted` are asked for: no more than the bytes
// left in the entry file when it tells (each row takes a line, and a line at
// least one byte), so that memory follows the file, not the count it claims.
int rowsToHold(int wanted, const LineReader& entry) {
  return static_cast<int>(std::min(static_cast<std::size_t>(wanted), entry.bytesLeftHint()));
}

// An end of the entry file before what the flavour needs: the report names
// the last line there is and says what was still expected.
[[noreturn]] void failAtEnd(const LineReader& entry, std::string_view expected, long found) {
  if (entry.lineNumber() == 0) {
    entry.failAt(report::endOfFile, 1, ": " + std::string(expected) + ", the file is empty");
  }
  entry.failOnLine(report::endOfFile, ": " + std::string(expected) + ", the file ends after " + std::to_string(found));
}

void skipHeaderLines(LineReader& entry, int count) {
  for (int skipped = 0; skipped < count; ++skipped) {
    std::string_view ignored;
    if (!entry.next(ignored)) {
      const std::string expected = count == 1 ? "the file needs a header line before the cell line"
                                              : "the file needs " + std::to_string(count) + " header lines";
      failAtEnd(entry, expected, skipped);
    }
  }
}

void readCellLine(CellParameters& cell, LineReader& entry) {
  ListRead read(entry);
  long found = 0;
  for (float* value : {&cell.a, &cell.b, &cell.c, &cell.alpha, &cell.beta, &cell.gamma, &cell.wavelength}) {
    if (!read.real(*value)) {
      failAtEnd(entry, "the cell line needs 7 values (a b c alpha beta gamma wavelength)", found);
    }
    ++found;
  }
  read.finish();
}

// Where the count of a FULLPROF file was taken from, for the warning when it
// announces no reflection.
struct CountSource {
  long lineNumber = 0;
  std::string text;
};

CountSource readCountLine(ReflectionTable& table, LineReader& entry) {
  constexpr std::string_view expected = "the count line needs 2 values (count and window)";
  ListRead read(entry);
  if (!read.integer(table.N)) {
    failAtEnd(entry, expected, 0);
  }
  CountSource source{entry.lineNumber(), std::string(entry.lastLine())};
  if (!read.real(table.D)) {
    failAtEnd(entry, expected, 1);
  }
  read.finish();
  return source;
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

void storeLastValue(ReflectionTable& table, int index, const ShelxValues& values) { table.FLAG[index] = values.flag; }
void storeLastValue(ReflectionTable& table, int index, const Jfou4Values& values) { table.EXTRA[index] = values.extra; }

// One FULLPROF line into row `index`: the indices, amplitude and standard
// deviation, then the JFOU=2 flag or the JFOU=4 third value.
template <typename Values>
bool readFixedColumnRow(ReflectionTable& table, int index, std::string_view line, const RecordLayout<Values>& layout,
                        ColumnRange* badField) {
  Values values;
  if (!readRecord(line, layout, values, badField)) {
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

bool readJfou2Row(ReflectionTable& table, int index, std::string_view line, ColumnRange* badField) {
  return readFixedColumnRow(table, index, line, shelxRecord, badField);
}

bool readJfou4Row(ReflectionTable& table, int index, std::string_view line, ColumnRange* badField) {
  return readFixedColumnRow(table, index, line, jfou4Record, badField);
}

// A FULLPROF line whose field is not a number: the report gives its columns
// and its characters.
[[noreturn]] void failOnField(const LineReader& entry, std::string_view line, ColumnRange columns) {
  entry.failOnLine(report::conversionError, ", columns " + std::to_string(columns.first) + "-" +
                                                std::to_string(columns.last) + ": " + quoted(fieldText(line, columns)));
}

// A count of zero or below reads nothing: the console says so and which line
// gave the count, since a cell line without its wavelength takes the count
// line's first value and leaves the count to the line after it.
void warnOfNoCount(const ReflectionTable& table, const CountSource& count, std::ostream& console) {
  if (table.n == 0) {
    console << "  Warning: no reflection read: the count " << table.N << " was taken from line " << count.lineNumber
            << ": " << quoted(count.text) << '\n';
  }
}

// Cell line, count line, then exactly N fixed-column lines (none for N <= 0).
void readFullprof(ReflectionTable& table, LineReader& entry, std::ostream& console) {
  readCellLine(table.cell, entry);
  const CountSource count = readCountLine(table, entry);
  if (table.N > table.capacity) {
    writeTruncationLine(console, table);
    table.N = table.capacity;
  }
  const ReciprocalCell reciprocal = checkedReciprocalCell(table.cell, entry);
  const auto readRow = table.inputCode == code::fullprofJfou4 ? readJfou4Row : readJfou2Row;
  const int rows = std::max(table.N, 0);
  // A file with fewer lines than N ends in an end-of-file report at the
  // first missing line, before the rows run out.
  table.resizeRows(rowsToHold(rows, entry));
  for (int index = 0; index < rows; ++index) {
    std::string_view line;
    if (!entry.next(line)) {
      failAtEnd(entry, "the count line announces " + countOf(rows, "reflection"), index);
    }
    ColumnRange badField{};
    if (!readRow(table, index, line, &badField)) {
      failOnField(entry, line, badField);
    }
    finishRow(table, index, reciprocal);
  }
  warnOfNoCount(table, count, console);
}

// The reflection lists of EXPO and SIRPOW run to the end of the file. Once
// the rows are full, whatever is not blank on the following lines is lost,
// and the console says so. The rest of the last line read is not looked at:
// every free-form read drops the rest of its line, so it is never data.
void reportUnreadRest(const ReflectionTable& table, LineReader& entry, std::ostream& console) {
  std::string_view line;
  while (entry.next(line)) {
    if (!isBlankLine(line)) {
      writeTruncationLine(console, table);
      return;
    }
  }
}

// Reads free-form reflections into new rows until the file ends or the table
// is full; a reflection cut by the end of the file is dropped. The columns
// grow in doubling steps of zeroed rows and are cut to the rows read.
template <typename ReadReflection, typename FinishRow>
void readToEnd(ReflectionTable& table, LineReader& entry, std::ostream& console, ReadReflection readReflection,
               FinishRow finish) {
  constexpr int firstRows = 1024;
  int filled = 0;
  while (filled < table.capacity) {
    if (filled == table.n) {
      table.resizeRows(std::min(table.capacity, std::max(firstRows, 2 * filled)));
    }
    if (!readReflection(table, filled, entry)) {
      break;
    }
    finish(table, filled);
    ++filled;
  }
  table.resizeRows(filled);
  if (filled == table.capacity) {
    reportUnreadRest(table, entry, console);
  }
}

// One free-form read of h, k, l, peak width, amplitude; false when the file
// ends before all five are found. Null values leave the row's zeros.
bool readExpoReflection(ReflectionTable& table, int index, LineReader& entry) {
  ListRead read(entry);
  const bool complete = read.integer(table.H[index]) && read.integer(table.K[index]) && read.integer(table.L[index]) &&
                        read.real(table.EXTRA[index]) && read.real(table.FOBS[index]);
  read.finish();
  return complete;
}

// An EXPO or SIRPOW file that holds no complete reflection.
void warnOfNoReflection(const ReflectionTable& table, long lastHeaderLine, std::ostream& console) {
  if (table.n == 0) {
    console << "  Warning: no reflection read: no complete reflection after line " << lastHeaderLine << '\n';
  }
}

void readExpo(ReflectionTable& table, LineReader& entry, std::ostream& console) {
  skipHeaderLines(entry, 1);
  readCellLine(table.cell, entry);
  table.N = table.capacity;
  const ReciprocalCell reciprocal = checkedReciprocalCell(table.cell, entry);
  const long cellLine = entry.lineNumber();
  readToEnd(table, entry, console, readExpoReflection,
            [&](ReflectionTable& rows, int index) { finishRow(rows, index, reciprocal); });
  warnOfNoReflection(table, cellLine, console);
}

// One free-form read of h, k, l, an integer and a real that are not kept,
// 2theta, peak width, intensity and the value whose half is SIGF.
bool readSirpowReflection(ReflectionTable& table, int index, LineReader& entry) {
  std::int32_t unusedInteger = 0;
  float unusedReal = 0;
  ListRead read(entry);
  const bool complete = read.integer(table.H[index]) && read.integer(table.K[index]) && read.integer(table.L[index]) &&
                        read.integer(unusedInteger) && read.real(unusedReal) && read.real(table.TWOTHETA[index]) &&
                        read.real(table.EXTRA[index]) && read.real(table.FOBS[index]) && read.real(table.SIGF[index]);
  read.finish();
  if (complete) {
    table.FOBS[index] = sirpowAmplitude(table.FOBS[index]);
    table.SIGF[index] = sirpowSigma(table.SIGF[index]);
  }
  return complete;
}

void readSirpow(ReflectionTable& table, LineReader& entry, std::ostream& console) {
  skipHeaderLines(entry, 2);
  readToEnd(table, entry, console, readSirpowReflection, markRemovedInInput);
  warnOfNoReflection(table, 2, console);
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
