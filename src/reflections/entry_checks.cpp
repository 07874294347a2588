#include "reflections/entry_checks.hpp"

#include <cctype>
#include <cmath>
#include <limits>
#include <string>

#include "reflections/cell_geometry.hpp"
#include "text/blanks.hpp"
#include "text/cat.hpp"
#include "text/formatted.hpp"
#include "text/number_reading.hpp"
#include "text/run_error.hpp"

namespace kestran {

namespace {

bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

bool separates(char c) { return isBlank(c) || c == ','; }

std::string shortNumber(double value) { return formatted("%g", value); }

}  // namespace

bool isDecimalCommaLine(std::string_view line, int recordValues) {
  std::string text(line);
  bool commaBetweenDigits = false;
  for (std::size_t i = 1; i + 1 < text.size(); ++i) {
    if (text[i] == ',' && isDigit(text[i - 1]) && isDigit(text[i + 1])) {
      text[i] = '.';
      commaBetweenDigits = true;
    }
  }
  if (!commaBetweenDigits) {
    return false;
  }
  int values = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    while (start < text.size() && separates(text[start])) {
      ++start;
    }
    std::size_t end = start;
    while (end < text.size() && !separates(text[end])) {
      ++end;
    }
    float value = 0;
    if (end > start && !parseReal(std::string_view(text).substr(start, end - start), value)) {
      return false;  // a slash, a repeat or a word: not a line of numbers with decimal commas
    }
    values += end > start ? 1 : 0;
    start = end;
  }
  return values == recordValues;
}

bool startsWithWholeNumber(std::string_view line) {
  std::size_t i = 0;
  while (i < line.size() && separates(line[i])) {
    ++i;
  }
  const std::size_t start = i;
  if (i < line.size() && (line[i] == '+' || line[i] == '-')) {
    ++i;
  }
  const std::size_t digits = i;
  while (i < line.size() && isDigit(line[i])) {
    ++i;
  }
  return i > digits && (i == line.size() || separates(line[i])) && i > start;
}

void checkWavelength(float wavelength, const LineReader& entry, long wavelengthLine) {
  if (wavelength > 0) {
    return;
  }
  throw inputError(entry.fileName(), wavelengthLine,
                   cat("the wavelength ", shortNumber(wavelength),
                       " (the 7th value of the cell line) is not above 0: no angle computed from it would be right; "
                       "expected the wavelength in angstrom (1.5406 for Cu K-alpha1): correct the cell line"));
}

void failOnMissingWavelength(const LineReader& entry, long cellLine, long wavelengthLine, std::string_view lineText) {
  throw inputError(
      entry.fileName(), cellLine,
      cat("the cell line holds 6 values and takes its wavelength from line ", wavelengthLine, " ", quoted(lineText),
          ", whose other values are then dropped: the wavelength is missing; expected a b c alpha beta "
          "gamma wavelength: add the wavelength to line ",
          cellLine));
}

void checkSomeRealAngle(const ReflectionTable& table, const LineReader& entry, long cellLine) {
  float smallest = std::numeric_limits<float>::infinity();
  for (int row = 0; row < table.rows; ++row) {
    if (table.status[row] == RowStatus::ZeroIndices) {
      continue;
    }
    if (hasRealAngle(table.sinSquaredTheta[row])) {
      return;
    }
    smallest = std::min(smallest, table.sinSquaredTheta[row]);
  }
  if (std::isinf(smallest)) {
    return;  // no reflection but rows 0 0 0
  }
  const double wavelength = table.cell.wavelength;
  const double largestD = wavelength / (2.0 * std::sqrt(double{smallest}));
  throw RunError(report::noRealAngle, unit::entry, entry.fileName(),
                 cat(atLine(cellLine), ": the wavelength ", shortNumber(wavelength), " reaches no d below ",
                     shortNumber(wavelength / 2), " (at 2theta 180), and the largest d of the cell's reflections is ",
                     shortNumber(largestD),
                     "; expected the wavelength in angstrom, in the unit of the cell edges (1.5406, not 154.06 pm)"));
}

void warnOfCut(const LineReader& entry, long lineNumber, ReadEvents& events, int capacity, long total,
               std::string_view found) {
  const std::string remedy = total <= maxCapacity ? cat("give --max-reflections ", total, " to read them all")
                                                  : cat("--max-reflections takes up to ", maxCapacity);
  events.warning(entry.fileName(), lineNumber, cat(found, ": only the first ", capacity, " are read; ", remedy));
}

}  // namespace kestran
