// The fixed-column readers: FULLPROF files, whose cell and count lines are
// free-form and whose reflections are records of one layout.

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "reflections/entry_checks.hpp"
#include "reflections/entry_lines.hpp"
#include "reflections/entry_readers.hpp"
#include "reflections/flavours.hpp"
#include "reflections/reading_checks.hpp"
#include "reflections/record_layouts.hpp"
#include "text/console_text.hpp"
#include "text/run_error.hpp"

namespace kestran {

namespace {

// Rows to make room for when `wanted` are asked for: no more than the bytes
// left in the entry file when it tells (each row takes a line, and a line at
// least one byte), so that memory follows the file, not the count it claims.
int rowsToHold(int wanted, const LineReader& entry) {
  return static_cast<int>(std::min(static_cast<std::size_t>(wanted), entry.bytesLeftHint()));
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

// A FULLPROF layout, the names of its value, sigma and last fields as a
// report says what it expected there, and the flavour whose lines it reads.
template <typename Values>
struct FullprofLines {
  const RecordLayout<Values>& layout;
  std::string_view names[3];
  const Flavour& flavour;
};

// What the field that begins at `firstColumn` holds: its name, and a whole
// number or a number with the layout's decimals.
class FieldMeaning {
 public:
  FieldMeaning(int firstColumn, const std::string_view (&valueNames)[3])
      : firstColumn_(firstColumn), valueNames_(valueNames) {}

  FieldMeaning& field(FieldFormat format, const std::int32_t& /*value*/) { return found(format, "a whole number"); }
  FieldMeaning& field(FieldFormat format, const float& /*value*/) {
    return found(format, "a number with " + std::to_string(format.decimals) + " decimals");
  }
  const std::string& expected() const { return expected_; }

 private:
  FieldMeaning& found(FieldFormat format, const std::string& kind) {
    constexpr std::string_view indexNames[] = {"h", "k", "l"};
    if (column_ == firstColumn_) {
      expected_ = std::string(ordinal_ < 3 ? indexNames[ordinal_] : valueNames_[ordinal_ - 3]) + ", " + kind;
    }
    column_ += format.width;
    ++ordinal_;
    return *this;
  }

  int firstColumn_;
  const std::string_view (&valueNames_)[3];
  int column_ = 1;
  int ordinal_ = 0;
  std::string expected_ = "a number";
};

// A FULLPROF line whose field is not a number: the report gives its columns,
// its characters and what the field holds.
template <typename Values>
[[noreturn]] void failOnField(const LineReader& entry, std::string_view line, ColumnRange columns,
                              const FullprofLines<Values>& lines) {
  const Values unread{};
  const std::string expected = eachField(FieldMeaning(columns.first, lines.names), lines.layout, unread).expected();
  entry.failOnLine(report::conversionError, ", columns " + std::to_string(columns.first) + "-" +
                                                std::to_string(columns.last) + ": " + quoted(fieldText(line, columns)) +
                                                ": expected " + expected);
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

// Lines that fit the other layout are read from the wrong columns: when
// they are more than half of the lines read the code is wrong beyond doubt
// and the run stops; fewer stay a warning (an odd line among good ones).
template <typename Own, typename Other>
void tellLineChecks(const LineChecks& checks, int rows, const LineReader& entry, ReadEvents& events,
                    const FullprofLines<Own>& own, const FullprofLines<Other>& other) {
  if (checks.otherLayout > 0) {
    const Flavour& read = own.flavour;
    const Flavour& fits = other.flavour;
    const std::string what = countOf(checks.otherLayout, "line") + " read as code " + std::to_string(read.code) + " (" +
                             std::string(read.name) + ") fit code " + std::to_string(fits.code) + " (" +
                             std::string(fits.name) + "): their decimal points stand where its lines put them";
    if (2 * checks.otherLayout > rows) {
      throw inputError(entry.fileName(), checks.firstOtherLayout,
                       what + ", so their numbers would be read from the wrong columns; expected lines of code " +
                           std::to_string(read.code) + ": run with code " + std::to_string(fits.code));
    }
    events.warning(entry.fileName(), checks.firstOtherLayout, what + "; is the code right?");
  }
  if (checks.blanksInside > 1) {
    events.warning(entry.fileName(), 0, countOf(checks.blanksInside, "line") + " in all hold blanks inside a number");
  }
}

// Cell line, count line, then exactly N fixed-column lines (none for N <= 0).
// A count of zero or below reads nothing: the caller is told which line gave
// the count, since a cell line without its wavelength takes the count line's
// first value and leaves the count to the line after it.
template <typename Own, typename Other>
void readFullprof(ReflectionTable& table, LineReader& entry, ReadEvents& events, const FullprofLines<Own>& own,
                  const FullprofLines<Other>& other) {
  skipHeaderLines(entry, own.flavour.headerLines);
  readCellLine(table.cell, entry, events);
  const long cellLine = entry.lineNumber();
  const NoReflection count = readCountLine(table, entry, events);
  if (table.announcedCount > table.capacity) {
    events.rowsCut(table.capacity);
    warnOfCut(entry, count.lineNumber, events, table.capacity, table.announcedCount,
              "the count line announces " + countOf(table.announcedCount, "reflection") + " and the table takes " +
                  std::to_string(table.capacity));
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
  checkSomeRealAngle(table, entry, cellLine);
  tellLineChecks(lineChecks, table.rows, entry, events, own, other);
  tellRowChecks(checks, entry, events);
}

// The flavour each FULLPROF reader serves, as the table of flavours has it.
const Flavour& flavourReadBy(EntryReader reader) {
  for (const Flavour& flavour : flavoursInMenuOrder()) {
    if (flavour.read == reader) {
      return flavour;
    }
  }
  throw std::logic_error("a FULLPROF reader without its flavour");
}

FullprofLines<ShelxValues> jfou2Lines() {
  return {shelxRecord, {"F", "sigma(F)", "the JFOU=2 code"}, flavourReadBy(readFullprofJfou2)};
}

FullprofLines<Jfou4Values> jfou4Lines() {
  return {jfou4Record, {"F", "sigma(F)", "the third value"}, flavourReadBy(readFullprofJfou4)};
}

}  // namespace

void readFullprofJfou2(ReflectionTable& table, LineReader& entry, ReadEvents& events) {
  readFullprof(table, entry, events, jfou2Lines(), jfou4Lines());
}

void readFullprofJfou4(ReflectionTable& table, LineReader& entry, ReadEvents& events) {
  readFullprof(table, entry, events, jfou4Lines(), jfou2Lines());
}

}  // namespace kestran
