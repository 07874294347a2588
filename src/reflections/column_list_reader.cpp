// The reader of a reflection list described by its columns (--columns):
// after the header lines, one reflection per line, its values free form in
// the order the description names them; blank lines and comment lines
// (# or ! first) are passed over. A line with fewer values than the
// description names stops the run; values after them are dropped, with a
// warning, as in the other free-form lists.

#include <string>
#include <string_view>

#include "reflections/cell_geometry.hpp"
#include "reflections/entry_readers.hpp"
#include "reflections/free_form_lists.hpp"
#include "reflections/reading_checks.hpp"
#include "text/blanks.hpp"
#include "text/console_text.hpp"
#include "text/run_error.hpp"

namespace kestran {

namespace {

bool isCommentLine(std::string_view line) {
  const std::size_t first = line.find_first_not_of(" \t");
  return first != std::string_view::npos && (line[first] == '#' || line[first] == '!');
}

// The values of one row that are not stored as they are read.
struct RowValues {
  float dSpacing = 0;
  float intensity = 0;
  float intensitySigma = 0;
};

// What a value of each column is, as a report says it expected, in the
// order of the columns.
constexpr std::string_view expectedValues[] = {"h, a whole number",
                                               "k, a whole number",
                                               "l, a whole number",
                                               "tt (2theta), a number",
                                               "d, a number",
                                               "fwhm, a number",
                                               "mult, a whole number",
                                               "F, a number",
                                               "the intensity, a number",
                                               "the intensity, a number",
                                               "sigF, a number",
                                               "the intensity's sigma, a number",
                                               "the intensity's sigma, a number",
                                               "a value of any kind"};
static_assert(std::size(expectedValues) == static_cast<std::size_t>(Column::Skip) + 1);

std::string_view expectedOf(Column column) { return expectedValues[static_cast<std::size_t>(column)]; }

// Reads the next value of the row into its place; false when the line ends first.
bool readColumn(ListRead& read, Column column, ReflectionTable& table, int index, RowValues& values) {
  const std::string_view expected = expectedOf(column);
  switch (column) {
    case Column::H:
      return read.integer(table.h[index], expected);
    case Column::K:
      return read.integer(table.k[index], expected);
    case Column::L:
      return read.integer(table.l[index], expected);
    case Column::Multiplicity:
      return read.integer(table.multiplicity[index], expected);
    case Column::TwoTheta:
      return read.real(table.twoTheta[index], expected);
    case Column::DSpacing:
      return read.real(values.dSpacing, expected);
    case Column::Fwhm:
      return read.real(table.peakWidth[index], expected);
    case Column::F:
      return read.real(table.amplitude[index], expected);
    case Column::FSquared:
    case Column::Intensity:
      return read.real(values.intensity, expected);
    case Column::SigmaF:
      return read.real(table.sigma[index], expected);
    case Column::SigmaFSquared:
    case Column::SigmaI:
      return read.real(values.intensitySigma, expected);
    case Column::Skip:
      return read.anyValue();
  }
  return false;
}

// An intensity gives the amplitude as a SIRPOW intensity does (its square
// root, 0 below 0), and the sigma of an intensity gives sigma(F) by
// propagation, sigma(I) / (2F).
void convertValues(const ColumnList& list, ReflectionTable& table, int index, const RowValues& values) {
  if (list.givesIntensity()) {
    table.amplitude[index] = sirpowAmplitude(values.intensity);
  }
  if (list.sigmaOfIntensity()) {
    table.sigma[index] = sirpowAmplitudeSigma(values.intensitySigma, table.amplitude[index]);
  }
}

// The row ends before the description does: the report says which values
// the line holds and which the description names.
[[noreturn]] void failOnShortRow(const LineReader& entry, const ColumnList& list, std::size_t found) {
  entry.failOnLine(report::listSyntaxError,
                   ": " + quoted(entry.lastLine()) + ": the row ends after " + std::to_string(found) + " of the " +
                       std::to_string(list.columns.size()) + " values of --columns " + list.description +
                       "; expected one reflection per line with every value");
}

// The next line that holds a row; false at the end of the file.
bool nextRowLine(LineReader& entry, std::string_view& line) {
  do {
    if (!entry.next(line)) {
      return false;
    }
  } while (isBlankLine(line) || isCommentLine(line));
  return true;
}

// One row of the list into row `index`, with the d-spacing read (0 without
// one); `what` names the row in a warning.
bool readListRow(ReflectionTable& table, int index, LineReader& entry, RecordChecks& records, std::string_view what,
                 float& dSpacing) {
  std::string_view line;
  if (!nextRowLine(entry, line)) {
    return false;
  }
  const ColumnList& list = table.columns;
  ListRead read(entry, line);
  RowValues values;
  for (std::size_t taken = 0; taken < list.columns.size(); ++taken) {
    if (!readColumn(read, list.columns[taken], table, index, values)) {
      failOnShortRow(entry, list, taken);
    }
  }
  table.line[index] = static_cast<std::int32_t>(entry.lineNumber());
  records.finish(read, what, static_cast<int>(list.columns.size()), false);
  convertValues(list, table, index, values);
  dSpacing = values.dSpacing;
  return true;
}

// The row's sin^2(theta) from the cell or the d read, or, for a list that
// gives its angles, from that angle where a wavelength gives d-spacings;
// rows kept in file order get their 2theta now, the others once ordered.
void placeRow(ReflectionTable& table, int index, const ReciprocalCell& reciprocal, float dSpacing, bool ordered) {
  switch (table.columns.positions) {
    case PositionSource::Cell:
      table.sinSquaredTheta[index] = sinSquaredTheta(reciprocal, table.h[index], table.k[index], table.l[index]);
      break;
    case PositionSource::DSpacing:
      table.sinSquaredTheta[index] = sinSquaredThetaOfD(reciprocal.wavelengthFactor, dSpacing);
      break;
    case PositionSource::ListAngle:
      if (table.cell.wavelength != 0) {
        table.sinSquaredTheta[index] = sinSquaredThetaOfAngle(table.twoTheta[index]);
      }
      return;
  }
  if (!ordered) {
    table.twoTheta[index] = twoThetaDegrees(table.sinSquaredTheta[index]);
  }
}

}  // namespace

void readColumnList(ReflectionTable& table, LineReader& entry, ReadEvents& events) {
  const int headerLines = table.columns.skipLines;
  for (int skipped = 0; skipped < headerLines; ++skipped) {
    std::string_view ignored;
    if (!entry.next(ignored)) {
      failAtEnd(entry, "--skip-lines passes over " + countOf(headerLines, "header line"), skipped);
    }
  }
  const long headerEnd = entry.lineNumber();
  table.announcedCount = table.capacity;
  ReciprocalCell reciprocal;
  if (table.columns.positions == PositionSource::Cell) {
    reciprocal = prepareReciprocalCell(table.cell);
  }
  reciprocal.wavelengthFactor = wavelengthFactorOf(table.cell.wavelength);
  RowChecks checks;
  const bool ordered = flavourOf(table).ordered;
  float dSpacing = 0;
  const std::string what = "the row (" + table.columns.description + ")";
  readToEnd(
      table, entry, events, what,
      [&dSpacing, &what](ReflectionTable& rows, int index, LineReader& lines, RecordChecks& records) {
        return readListRow(rows, index, lines, records, what, dSpacing);
      },
      [&](ReflectionTable& rows, int index) {
        placeRow(rows, index, reciprocal, dSpacing, ordered);
        markRow(rows, index, entry, events, checks);
        if (!ordered) {
          warnOfDecreasingAngle(rows, index, entry, events, checks,
                                "with --order file the rows are compared with their neighbours in file order");
        }
      });
  finishList(table, headerEnd, entry, events, checks);
}

}  // namespace kestran
