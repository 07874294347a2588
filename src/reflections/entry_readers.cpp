#include "reflections/entry_readers.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <limits>
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

// What the free-form records of an entry file show beyond their values: a
// record that goes on to a later line (allowed, but also what a line missing
// a value looks like), and values left on its last line, which are dropped
// (often a decimal comma: 0,05 reads as two values). The cell and count
// lines are told each; of the reflections the first of each kind, then how
// many there were.
class RecordChecks {
 public:
  RecordChecks(const LineReader& entry, ReadEvents& events) : entry_(entry), events_(events) {}

  // Ends the record `what` (as "the reflection (h k l FWHM F)").
  void finish(ListRead& read, std::string_view what, bool tellEach) {
    if (read.firstLine() != 0 && read.firstLine() != entry_.lineNumber() && (tellEach || spilled_++ == 0)) {
      events_.warning(entry_.fileName(), read.firstLine(),
                      std::string(what) + " goes on to line " + std::to_string(entry_.lineNumber()) +
                          "; is a value missing from this line?");
    }
    if (read.valuesLeft() && (tellEach || valuesLeft_++ == 0)) {
      std::string message = "values after " + std::string(what) + " are dropped: " + quoted(read.rest());
      if (hasDecimalComma(entry_.lastLine())) {
        message += "; a decimal comma (0,05) reads as two values";
      }
      events_.warning(entry_.fileName(), entry_.lineNumber(), message);
    }
    read.finish();
  }

  void tellCounts() const {
    if (spilled_ > 1) {
      events_.warning(entry_.fileName(), 0, countOf(spilled_, "reflection") + " in all go on to a later line");
    }
    if (valuesLeft_ > 1) {
      events_.warning(entry_.fileName(), 0, countOf(valuesLeft_, "line") + " in all have values after the reflection");
    }
  }

 private:
  static bool hasDecimalComma(std::string_view line) {
    for (std::size_t i = 1; i + 1 < line.size(); ++i) {
      if (line[i] == ',' && std::isdigit(static_cast<unsigned char>(line[i - 1])) != 0 &&
          std::isdigit(static_cast<unsigned char>(line[i + 1])) != 0) {
        return true;
      }
    }
    return false;
  }

  const LineReader& entry_;
  ReadEvents& events_;
  int spilled_ = 0;
  int valuesLeft_ = 0;
};

void readCellLine(CellParameters& cell, LineReader& entry, ReadEvents& events) {
  constexpr const char* names[] = {"a", "b", "c", "alpha", "beta", "gamma", "lambda"};
  ListRead read(entry);
  long found = 0;
  for (float* value : {&cell.a, &cell.b, &cell.c, &cell.alpha, &cell.beta, &cell.gamma, &cell.wavelength}) {
    const std::string expected = std::string(names[found]) + ", a number";
    if (!read.real(*value, expected)) {
      failAtEnd(entry, "the cell line needs 7 values (a b c alpha beta gamma wavelength)", found);
    }
    ++found;
  }
  RecordChecks(entry, events).finish(read, "the cell line (a b c alpha beta gamma lambda)", true);
}

NoReflection readCountLine(ReflectionTable& table, LineReader& entry, ReadEvents& events) {
  constexpr std::string_view expected = "the count line needs 2 values (count and window)";
  ListRead read(entry);
  if (!read.integer(table.announcedCount, "the count, a whole number")) {
    failAtEnd(entry, expected, 0);
  }
  NoReflection source{true, table.announcedCount, entry.lineNumber(), std::string(entry.lastLine())};
  float window = 0;
  if (!read.real(window, "the window D, a number")) {
    failAtEnd(entry, expected, 1);
  }
  RecordChecks(entry, events).finish(read, "the count line (count and window D)", true);
  // A window given on the command line stands instead of the file's.
  if (table.windowSource == WindowSource::CommandLine) {
    return source;
  }
  table.fixedWindow = window;
  if (window < 0) {
    events.warning(entry.fileName(), entry.lineNumber(),
                   "the window D " + shortNumber(window) +
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

// A row whose h, k and l are all 0 is no reflection: told at its line, the
// first time.
void markZeroIndices(ReflectionTable& table, int index, const LineReader& entry, ReadEvents& events,
                     RowChecks& checks) {
  table.status[index] = RowStatus::ZeroIndices;
  if (checks.zeroIndexRows++ == 0) {
    events.warning(entry.fileName(), table.line[index],
                   "reflection 0 0 0 " + quoted(entry.lastLine()) +
                       " is not written: h, k and l are all 0; check that the line is not shifted and holds every "
                       "value");
  }
}

// The row's status from the start: removed when its amplitude is the entry
// file's marker, no reflection when h = k = l = 0 (told at its line).
void markRow(ReflectionTable& table, int index, const LineReader& entry, ReadEvents& events, RowChecks& checks) {
  table.status[index] = table.amplitude[index] == removedInInputMarker ? RowStatus::RemovedInInput : RowStatus::Kept;
  if ((table.h[index] | table.k[index] | table.l[index]) == 0) {
    markZeroIndices(table, index, entry, events, checks);
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
                        RecordFaults& faults) {
  Values values;
  if (!readRecord(line, layout, values, &faults)) {
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

// A FULLPROF layout, what its fields hold, and the flavour whose lines it reads.
template <typename Values>
struct FullprofLines {
  const RecordLayout<Values>& layout;
  const FieldMeaning* valueFields;
  int code;
};

constexpr int jfou2Code = 1;
constexpr int jfou4Code = 4;

// A FULLPROF line whose field is not a number: the report gives its columns,
// its characters and what the field holds.
template <typename Values>
[[noreturn]] void failOnField(const LineReader& entry, std::string_view line, ColumnRange columns,
                              const FullprofLines<Values>& lines) {
  entry.failOnLine(report::conversionError, ", columns " + std::to_string(columns.first) + "-" +
                                                std::to_string(columns.last) + ": " + quoted(fieldText(line, columns)) +
                                                ": expected " + expectedField(columns.first, lines.valueFields));
}

// What the lines of a FULLPROF file show beyond their values: lines whose
// decimal points stand where the other FULLPROF layout puts them (the wrong
// code), and numbers with blanks inside them (a shifted line).
struct LineChecks {
  int otherLayout = 0;
  long firstOtherLayout = 0;
  int blanksInside = 0;
};

template <typename Own, typename Other>
void checkLine(std::string_view line, const RecordFaults& faults, const LineReader& entry, ReadEvents& events,
               const FullprofLines<Own>& own, const FullprofLines<Other>& other, LineChecks& checks) {
  if (!sigmaPointInPlace(line, own.layout) && !pointsFit(line, own.layout) && pointsFit(line, other.layout)) {
    if (checks.otherLayout++ == 0) {
      checks.firstOtherLayout = entry.lineNumber();
    }
    return;  // its fields are cut in the wrong places: nothing more to say of them
  }
  if (faults.blanksInside.first != 0 && checks.blanksInside++ == 0) {
    const ColumnRange columns = faults.blanksInside;
    events.warning(entry.fileName(), entry.lineNumber(),
                   "columns " + std::to_string(columns.first) + "-" + std::to_string(columns.last) + " " +
                       quoted(fieldText(line, columns)) +
                       " hold blanks inside a number, read as if they were not there; is the line shifted?");
  }
}

template <typename Own, typename Other>
void tellLineChecks(const LineChecks& checks, const LineReader& entry, ReadEvents& events,
                    const FullprofLines<Own>& own, const FullprofLines<Other>& other) {
  if (checks.otherLayout > 0) {
    const Flavour& read = flavourOf(own.code);
    const Flavour& fits = flavourOf(other.code);
    events.warning(entry.fileName(), checks.firstOtherLayout,
                   countOf(checks.otherLayout, "line") + " read as code " + std::to_string(read.code) + " (" +
                       std::string(read.name) + ") fit code " + std::to_string(fits.code) + " (" +
                       std::string(fits.name) +
                       "): their decimal points stand where its lines put them; is the "
                       "code right?");
  }
  if (checks.blanksInside > 1) {
    events.warning(entry.fileName(), 0, countOf(checks.blanksInside, "line") + " in all hold blanks inside a number");
  }
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
template <typename Own, typename Other>
void readFullprof(ReflectionTable& table, LineReader& entry, ReadEvents& events, const FullprofLines<Own>& own,
                  const FullprofLines<Other>& other) {
  skipHeaderLines(entry, flavourOf(table).headerLines);
  readCellLine(table.cell, entry, events);
  const long cellLine = entry.lineNumber();
  const NoReflection count = readCountLine(table, entry, events);
  if (table.announcedCount > table.capacity) {
    events.rowsCut(table.capacity);
    table.announcedCount = table.capacity;
  }
  const ReciprocalCell reciprocal = checkedReciprocalCell(table.cell, entry, cellLine);
  const int rows = std::max(table.announcedCount, 0);
  RowChecks checks;
  LineChecks lineChecks;
  // A file with fewer lines than N ends in an end-of-file report at the
  // first missing line, before the rows run out.
  table.resizeRows(rowsToHold(rows, entry));
  for (int index = 0; index < rows; ++index) {
    std::string_view line;
    if (!entry.next(line)) {
      failAtEnd(entry, "the count line announces " + countOf(rows, "reflection"), index);
    }
    table.line[index] = static_cast<std::int32_t>(entry.lineNumber());
    RecordFaults faults;
    if (!readFixedColumnRow(table, index, line, own.layout, faults)) {
      failOnField(entry, line, faults.notANumber, own);
    }
    checkLine(line, faults, entry, events, own, other, lineChecks);
    finishRow(table, index, reciprocal, entry, events, checks);
  }
  if (table.rows == 0) {
    failOnNoReflection(entry, events, count);
  }
  tellLineChecks(lineChecks, entry, events, own, other);
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
  RecordChecks records(entry, events);
  // Room reserved, not touched, for the rows the file can hold at the
  // shortest usual line: the columns then grow in place, without a copy.
  constexpr std::size_t shortestLine = 16;
  const std::size_t bytesLeft = entry.bytesLeftHint();
  table.reserveRows(bytesLeft == std::numeric_limits<std::size_t>::max()
                        ? 0
                        : static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(table.capacity),
                                                                 bytesLeft / shortestLine + 1)));
  constexpr int firstRows = 1024;
  int filled = 0;
  while (filled < table.capacity) {
    if (filled == table.rows) {
      table.resizeRows(std::min(table.capacity, std::max(firstRows, 2 * filled)));
    }
    if (!readReflection(table, filled, entry, records)) {
      break;
    }
    finish(table, filled);
    ++filled;
  }
  table.resizeRows(filled);
  records.tellCounts();
  if (filled == table.capacity) {
    reportUnreadRest(table, entry, events);
  }
}

// One free-form read of h, k, l, peak width, amplitude; false when the file
// ends before all five are found. Null values leave the row's zeros.
bool readExpoReflection(ReflectionTable& table, int index, LineReader& entry, RecordChecks& records) {
  ListRead read(entry);
  const bool complete =
      read.integer(table.h[index], "h, a whole number") && read.integer(table.k[index], "k, a whole number") &&
      read.integer(table.l[index], "l, a whole number") && read.real(table.peakWidth[index], "FWHM, a number") &&
      read.real(table.amplitude[index], "F, a number");
  if (!complete) {
    return false;
  }
  table.line[index] = static_cast<std::int32_t>(read.firstLine());
  records.finish(read, "the reflection (h k l FWHM F)", false);
  return true;
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
  readCellLine(table.cell, entry, events);
  table.announcedCount = table.capacity;
  const long cellLine = entry.lineNumber();
  const ReciprocalCell reciprocal = checkedReciprocalCell(table.cell, entry, cellLine);
  RowChecks checks;
  readToEnd(table, entry, events, readExpoReflection,
            [&](ReflectionTable& rows, int index) { finishRow(rows, index, reciprocal, entry, events, checks); });
  finishList(table, cellLine, entry, events, checks);
}

namespace {

// One free-form read of h, k, l, the multiplicity, a real that is not kept,
// 2theta, peak width, intensity and the 9th value, which gives SIGF.
bool readSirpowReflection(ReflectionTable& table, int index, LineReader& entry, RecordChecks& records) {
  float unusedReal = 0;
  ListRead read(entry);
  const bool complete =
      read.integer(table.h[index], "h, a whole number") && read.integer(table.k[index], "k, a whole number") &&
      read.integer(table.l[index], "l, a whole number") &&
      read.integer(table.multiplicity[index], "the 4th value, a whole number") &&
      read.real(unusedReal, "the 5th value, a number") && read.real(table.twoTheta[index], "2theta, a number") &&
      read.real(table.peakWidth[index], "FWHM, a number") &&
      read.real(table.amplitude[index], "the intensity, a number") &&
      read.real(table.sigma[index], table.sigmasFromFile
                                        ? std::string_view("the 9th value (sigma(I)), a number")
                                        : std::string_view("the 9th value (twice sigma(F)), a number"));
  if (!complete) {
    return false;
  }
  table.line[index] = static_cast<std::int32_t>(read.firstLine());
  records.finish(read, "the reflection (h k l m x 2theta FWHM I sigma)", false);
  table.amplitude[index] = sirpowAmplitude(table.amplitude[index]);
  table.sigma[index] = table.sigmasFromFile ? sirpowAmplitudeSigma(table.sigma[index], table.amplitude[index])
                                            : sirpowSigma(table.sigma[index]);
  return true;
}

// SIRPOW rows keep the file's order and each is compared with its
// neighbours in that order, so a 2theta below the one before is told once.
void warnOfDecreasingAngle(const ReflectionTable& table, int index, const LineReader& entry, ReadEvents& events,
                           RowChecks& checks) {
  if (checks.decreasingTold || index == 0 || !(table.twoTheta[index] < table.twoTheta[index - 1])) {
    return;
  }
  checks.decreasingTold = true;
  events.warning(entry.fileName(), table.line[index],
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
  readFullprof(table, entry, events, FullprofLines<ShelxValues>{shelxRecord, shelxFields, jfou2Code},
               FullprofLines<Jfou4Values>{jfou4Record, jfou4Fields, jfou4Code});
}

void readFullprofJfou4(ReflectionTable& table, LineReader& entry, ReadEvents& events) {
  readFullprof(table, entry, events, FullprofLines<Jfou4Values>{jfou4Record, jfou4Fields, jfou4Code},
               FullprofLines<ShelxValues>{shelxRecord, shelxFields, jfou2Code});
}

float sirpowAmplitude(float intensity) {
  if (intensity < 0) {
    return 0.0F;
  }
  return roundToSingle(std::sqrt(double{intensity}));
}

float sirpowSigma(float lastValue) { return roundToSingle(double{lastValue} * 0.5); }

float sirpowAmplitudeSigma(float intensitySigma, float amplitude) {
  const double sigma = intensitySigma;
  if (amplitude == 0) {
    return roundToSingle(std::copysign(std::sqrt(std::fabs(sigma)), sigma));
  }
  return roundToSingle(sigma / (2.0 * double{amplitude}));
}

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
