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
#include "text/formatted.hpp"
#include "text/free_form.hpp"
#include "text/run_error.hpp"

namespace kestran {

namespace {

// Rows to make room for when `wanted` are asked for: no more than the bytes
// left in the entry file when it tells (each row takes a line, and a line at
// least one byte), so that memory follows the file, not the count it claims.
int rowsToHold(int wanted, const LineReader& entry) {
  return static_cast<int>(std::min(static_cast<std::size_t>(wanted), entry.bytesLeftHint()));
}

// A value read, as a message shows it.
std::string shortNumber(float value) { return formatted("%g", double{value}); }

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

NoReflection readCountLine(ReflectionTable& table, LineReader& entry, ReadEvents& events) {
  constexpr std::string_view expected = "the count line needs 2 values (count and window)";
  ListRead read(entry);
  if (!read.integer(table.announcedCount)) {
    failAtEnd(entry, expected, 0);
  }
  NoReflection source{true, table.announcedCount, entry.lineNumber(), std::string(entry.lastLine())};
  if (!read.real(table.fixedWindow)) {
    failAtEnd(entry, expected, 1);
  }
  read.finish();
  if (table.fixedWindow < 0) {
    events.warning(entry.fileName(), entry.lineNumber(),
                   "the window D " + shortNumber(table.fixedWindow) +
                       " is below 0: no reflection is removed; expected a window in degrees 2theta, 0 or more");
  }
  return source;
}

// The cell line's edges and angles, as a report quotes them.
std::string cellText(const CellParameters& cell) {
  std::string text;
  for (const float value : {cell.a, cell.b, cell.c, cell.alpha, cell.beta, cell.gamma}) {
    if (!text.empty()) {
      text += ' ';
    }
    text += shortNumber(value);
  }
  return text;
}

ReciprocalCell checkedReciprocalCell(const CellParameters& cell, LineReader& entry, long cellLine) {
  const double volume = cellVolume(cell);
  if (!(std::isfinite(volume) && volume > 0)) {
    entry.failAt(report::impossibleCell, cellLine,
                 ": a b c alpha beta gamma = " + cellText(cell) +
                     ": expected edges above 0 and angles that close a cell (each below the sum of the other two, "
                     "all three below 360 degrees)");
  }
  return prepareReciprocalCell(cell);
}

// What the reading notices row by row: the first of each kind is told at
// its line, the rest counted for one line at the end.
struct RowChecks {
  int zeroIndexRows = 0;
  bool decreasingTold = false;
};

// The row's line, and its status from the start: removed when its
// amplitude is the entry file's marker, no reflection when h = k = l = 0.
void markRow(ReflectionTable& table, int index, const LineReader& entry, ReadEvents& events, RowChecks& checks) {
  table.line[index] = static_cast<std::int32_t>(entry.lineNumber());
  table.status[index] = table.amplitude[index] == removedInInputMarker ? RowStatus::RemovedInInput : RowStatus::Kept;
  if ((table.h[index] | table.k[index] | table.l[index]) != 0) {
    return;
  }
  table.status[index] = RowStatus::ZeroIndices;
  if (checks.zeroIndexRows++ == 0) {
    events.warning(entry.fileName(), entry.lineNumber(),
                   "reflection 0 0 0 " + quoted(entry.lastLine()) +
                       " is not written: h, k and l are all 0; check that the line is not shifted and holds every "
                       "value");
  }
}

void tellRowChecks(const RowChecks& checks, const LineReader& entry, ReadEvents& events) {
  if (checks.zeroIndexRows > 1) {
    events.warning(entry.fileName(), 0, countOf(checks.zeroIndexRows, "reflection") + " 0 0 0 in all, none written");
  }
}

// Each row gets its sin^2(theta) as soon as it is read.
void finishRow(ReflectionTable& table, int index, const ReciprocalCell& reciprocal, const LineReader& entry,
               ReadEvents& events, RowChecks& checks) {
  table.sinSquaredTheta[index] = sinSquaredTheta(reciprocal, table.h[index], table.k[index], table.l[index]);
  markRow(table, index, entry, events, checks);
}

// The JFOU=2 code is read, so that a field that is not a number stops the
// run, but not kept: every written record carries 1, as the classic files do.
void storeLastValue(ReflectionTable& /*table*/, int /*index*/, const ShelxValues& /*values*/) {}
void storeLastValue(ReflectionTable& table, int index, const Jfou4Values& values) {
  table.thirdValue[index] = values.extra;
}

// One FULLPROF line into row `index`: the indices, amplitude and standard
// deviation, then the JFOU=2 flag or the JFOU=4 third value.
template <typename Values>
bool readFixedColumnRow(ReflectionTable& table, int index, std::string_view line, const RecordLayout<Values>& layout,
                        ColumnRange* badField) {
  Values values;
  if (!readRecord(line, layout, values, badField)) {
    return false;
  }
  table.h[index] = values.h;
  table.k[index] = values.k;
  table.l[index] = values.l;
  table.amplitude[index] = values.value;
  table.sigma[index] = values.sigma;
  storeLastValue(table, index, values);
  return true;
}

bool readJfou2Row(ReflectionTable& table, int index, std::string_view line, ColumnRange* badField) {
  return readFixedColumnRow(table, index, line, shelxRecord, badField);
}

bool readJfou4Row(ReflectionTable& table, int index, std::string_view line, ColumnRange* badField) {
  return readFixedColumnRow(table, index, line, jfou4Record, badField);
}

// What each field of a FULLPROF line holds, by its first column, as a
// report says what it expected there.
struct FieldMeaning {
  int firstColumn;
  const char* expected;
};

constexpr FieldMeaning indexFields[] = {{1, "h, a whole number"}, {5, "k, a whole number"}, {9, "l, a whole number"}};
constexpr FieldMeaning shelxFields[] = {{13, "F, a number with 2 decimals"},
                                        {21, "sigma(F), a number with 3 decimals"},
                                        {29, "the JFOU=2 code, a whole number"}};
constexpr FieldMeaning jfou4Fields[] = {{13, "F, a number with 4 decimals"},
                                        {23, "sigma(F), a number with 4 decimals"},
                                        {33, "the third value, a number with 4 decimals"}};

// The three index fields, then the three value fields of the layout.
std::string expectedField(int firstColumn, const FieldMeaning* valueFields) {
  for (const FieldMeaning* fields : {indexFields, valueFields}) {
    for (int i = 0; i < 3; ++i) {
      if (fields[i].firstColumn == firstColumn) {
        return fields[i].expected;
      }
    }
  }
  return "a number";
}

std::string expectedShelxField(int firstColumn) { return expectedField(firstColumn, shelxFields); }
std::string expectedJfou4Field(int firstColumn) { return expectedField(firstColumn, jfou4Fields); }

// The reader of one fixed-column line and what its fields hold.
struct FixedColumnLines {
  bool (*read)(ReflectionTable&, int, std::string_view, ColumnRange*);
  std::string (*expected)(int firstColumn);
};

// A FULLPROF line whose field is not a number: the report gives its columns,
// its characters and what the field holds.
[[noreturn]] void failOnField(const LineReader& entry, std::string_view line, ColumnRange columns,
                              const FixedColumnLines& lines) {
  entry.failOnLine(report::conversionError, ", columns " + std::to_string(columns.first) + "-" +
                                                std::to_string(columns.last) + ": " + quoted(fieldText(line, columns)) +
                                                ": expected " + lines.expected(columns.first));
}

int wordCount(std::string_view text) {
  int words = 0;
  bool inWord = false;
  for (const char c : text) {
    const bool blank = c == ' ' || c == '\t' || c == ',';
    words += !blank && !inWord ? 1 : 0;
    inWord = !blank;
  }
  return words;
}

// No reflection read stops the run: the new files would replace good ones
// with empty ones. The console line says so first, as it always has.
[[noreturn]] void failOnNoReflection(const LineReader& entry, ReadEvents& events, const NoReflection& where) {
  events.noReflectionRead(where);
  if (where.fromCount) {
    // A count line of more than two values is likely a reflection line: the
    // cell line before it lacked a value.
    const bool moreThanTwo = wordCount(where.lineText) > 2;
    entry.failAt(report::noReflection, where.lineNumber,
                 ": " + quoted(where.lineText) + ": the count " + std::to_string(where.count) +
                     " announces no reflection; expected a count of 1 or more" +
                     (moreThanTwo ? " (is a value, the wavelength say, missing from the cell line?)" : ""));
  }
  entry.failAt(report::noReflection, entry.lineNumber(),
               ": no complete reflection after line " + std::to_string(where.lineNumber) +
                   "; expected the reflections to the end of the file");
}

// Cell line, count line, then exactly N fixed-column lines (none for N <= 0).
// A count of zero or below reads nothing: the caller is told which line gave
// the count, since a cell line without its wavelength takes the count line's
// first value and leaves the count to the line after it.
void readFullprof(ReflectionTable& table, LineReader& entry, ReadEvents& events, const FixedColumnLines& lines) {
  skipHeaderLines(entry, flavourOf(table).headerLines);
  readCellLine(table.cell, entry);
  const long cellLine = entry.lineNumber();
  const NoReflection count = readCountLine(table, entry, events);
  if (table.announcedCount > table.capacity) {
    events.rowsCut(table.capacity);
    table.announcedCount = table.capacity;
  }
  const ReciprocalCell reciprocal = checkedReciprocalCell(table.cell, entry, cellLine);
  const int rows = std::max(table.announcedCount, 0);
  RowChecks checks;
  // A file with fewer lines than N ends in an end-of-file report at the
  // first missing line, before the rows run out.
  table.resizeRows(rowsToHold(rows, entry));
  for (int index = 0; index < rows; ++index) {
    std::string_view line;
    if (!entry.next(line)) {
      failAtEnd(entry, "the count line announces " + countOf(rows, "reflection"), index);
    }
    ColumnRange badField{};
    if (!lines.read(table, index, line, &badField)) {
      failOnField(entry, line, badField, lines);
    }
    finishRow(table, index, reciprocal, entry, events, checks);
  }
  if (table.rows == 0) {
    failOnNoReflection(entry, events, count);
  }
  tellRowChecks(checks, entry, events);
}

// The reflection lists of EXPO and SIRPOW run to the end of the file. Once
// the rows are full, whatever is not blank on the following lines is lost,
// and the caller is told so. The rest of the last line read is not looked at:
// every free-form read drops the rest of its line, so it is never data.
void reportUnreadRest(const ReflectionTable& table, LineReader& entry, ReadEvents& events) {
  std::string_view line;
  while (entry.next(line)) {
    if (!isBlankLine(line)) {
      events.rowsCut(table.capacity);
      return;
    }
  }
}

// Reads free-form reflections into new rows until the file ends or the table
// is full; a reflection cut by the end of the file is dropped. The columns
// grow in doubling steps of zeroed rows and are cut to the rows read.
template <typename ReadReflection, typename FinishRow>
void readToEnd(ReflectionTable& table, LineReader& entry, ReadEvents& events, ReadReflection readReflection,
               FinishRow finish) {
  constexpr int firstRows = 1024;
  int filled = 0;
  while (filled < table.capacity) {
    if (filled == table.rows) {
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
    reportUnreadRest(table, entry, events);
  }
}

// One free-form read of h, k, l, peak width, amplitude; false when the file
// ends before all five are found. Null values leave the row's zeros.
bool readExpoReflection(ReflectionTable& table, int index, LineReader& entry) {
  ListRead read(entry);
  const bool complete = read.integer(table.h[index]) && read.integer(table.k[index]) && read.integer(table.l[index]) &&
                        read.real(table.peakWidth[index]) && read.real(table.amplitude[index]);
  read.finish();
  return complete;
}

// An EXPO or SIRPOW file that holds no complete reflection after its header
// (and cell) lines stops the run; otherwise what the rows showed is told.
void finishList(const ReflectionTable& table, long lastLineBefore, const LineReader& entry, ReadEvents& events,
                const RowChecks& checks) {
  if (table.rows == 0) {
    failOnNoReflection(entry, events, NoReflection{false, 0, lastLineBefore, {}});
  }
  tellRowChecks(checks, entry, events);
}

}  // namespace

void readExpo(ReflectionTable& table, LineReader& entry, ReadEvents& events) {
  skipHeaderLines(entry, flavourOf(table).headerLines);
  readCellLine(table.cell, entry);
  table.announcedCount = table.capacity;
  const long cellLine = entry.lineNumber();
  const ReciprocalCell reciprocal = checkedReciprocalCell(table.cell, entry, cellLine);
  RowChecks checks;
  readToEnd(table, entry, events, readExpoReflection,
            [&](ReflectionTable& rows, int index) { finishRow(rows, index, reciprocal, entry, events, checks); });
  finishList(table, cellLine, entry, events, checks);
}

namespace {

// One free-form read of h, k, l, an integer and a real that are not kept,
// 2theta, peak width, intensity and the value whose half is SIGF.
bool readSirpowReflection(ReflectionTable& table, int index, LineReader& entry) {
  std::int32_t unusedInteger = 0;
  float unusedReal = 0;
  ListRead read(entry);
  const bool complete = read.integer(table.h[index]) && read.integer(table.k[index]) && read.integer(table.l[index]) &&
                        read.integer(unusedInteger) && read.real(unusedReal) && read.real(table.twoTheta[index]) &&
                        read.real(table.peakWidth[index]) && read.real(table.amplitude[index]) &&
                        read.real(table.sigma[index]);
  read.finish();
  if (complete) {
    table.amplitude[index] = sirpowAmplitude(table.amplitude[index]);
    table.sigma[index] = sirpowSigma(table.sigma[index]);
  }
  return complete;
}

// SIRPOW rows keep the file's order and each is compared with its
// neighbours in that order, so a 2theta below the one before is told once.
void warnOfDecreasingAngle(const ReflectionTable& table, int index, const LineReader& entry, ReadEvents& events,
                           RowChecks& checks) {
  if (checks.decreasingTold || index == 0 || !(table.twoTheta[index] < table.twoTheta[index - 1])) {
    return;
  }
  checks.decreasingTold = true;
  events.warning(entry.fileName(), entry.lineNumber(),
                 "2theta " + shortNumber(table.twoTheta[index]) + " is below the " +
                     shortNumber(table.twoTheta[index - 1]) + " of line " + std::to_string(table.line[index - 1]) +
                     ": SIRPOW rows are compared with their neighbours in file order; expected ascending 2theta");
}

}  // namespace

void readSirpow(ReflectionTable& table, LineReader& entry, ReadEvents& events) {
  const int headerLines = flavourOf(table).headerLines;
  skipHeaderLines(entry, headerLines);
  RowChecks checks;
  readToEnd(table, entry, events, readSirpowReflection, [&](ReflectionTable& rows, int index) {
    markRow(rows, index, entry, events, checks);
    warnOfDecreasingAngle(rows, index, entry, events, checks);
  });
  finishList(table, headerLines, entry, events, checks);
}

void readFullprofJfou2(ReflectionTable& table, LineReader& entry, ReadEvents& events) {
  readFullprof(table, entry, events, {readJfou2Row, expectedShelxField});
}

void readFullprofJfou4(ReflectionTable& table, LineReader& entry, ReadEvents& events) {
  readFullprof(table, entry, events, {readJfou4Row, expectedJfou4Field});
}

float sirpowAmplitude(float intensity) {
  if (intensity < 0) {
    return 0.0F;
  }
  return roundToSingle(std::sqrt(double{intensity}));
}

float sirpowSigma(float lastValue) { return roundToSingle(double{lastValue} * 0.5); }

int readEntryFile(ReflectionTable& table, LineReader& entry, ReadEvents& events) {
  table.resizeRows(0);
  flavourOf(table).read(table, entry, events);
  int unreal = 0;
  for (int index = 0; index < table.rows; ++index) {
    unreal += hasRealAngle(table.sinSquaredTheta[index]) ? 0 : 1;
  }
  if (unreal > 0) {
    events.rowsWithoutRealAngle(entry.fileName(), unreal);
  }
  return table.rows;
}

}  // namespace kestran
