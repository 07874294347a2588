#include "reflections/entry_lines.hpp"

#include <cmath>
#include <string>
#include <string_view>

#include "reflections/entry_checks.hpp"
#include "reflections/reading_checks.hpp"
#include "text/free_form.hpp"
#include "text/run_error.hpp"

namespace kestran {

namespace {

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

}  // namespace

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

// The seven values of the cell line. A wavelength taken from the start of a
// later line that holds more values (the count line, the first reflection)
// is missing from the cell line; one of 0 or below is no wavelength.
void readCellLine(CellParameters& cell, LineReader& entry, ReadEvents& events) {
  constexpr const char* names[] = {"a", "b", "c", "alpha", "beta", "gamma", "lambda"};
  constexpr int cellValues = 7;
  ListRead read(entry);
  long found = 0;
  long sixthLine = 0;
  for (float* value : {&cell.a, &cell.b, &cell.c, &cell.alpha, &cell.beta, &cell.gamma, &cell.wavelength}) {
    const std::string expected = std::string(names[found]) + ", a number";
    sixthLine = entry.lineNumber();
    if (!read.real(*value, expected)) {
      failAtEnd(entry, "the cell line needs 7 values (a b c alpha beta gamma wavelength)", found);
    }
    ++found;
  }
  const long wavelengthLine = entry.lineNumber();
  if (wavelengthLine > sixthLine && read.valuesLeft() && startsWithWholeNumber(entry.lastLine())) {
    failOnMissingWavelength(entry, read.firstLine(), wavelengthLine, entry.lastLine());
  }
  checkWavelength(cell.wavelength, entry, wavelengthLine);
  RecordChecks(entry, events).finish(read, "the cell line (a b c alpha beta gamma lambda)", cellValues, true);
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
  RecordChecks(entry, events).finish(read, "the count line (count and window D)", 2, true);
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

}  // namespace kestran
