#include "driver/column_options.hpp"

#include <cmath>
#include <iterator>

#include "reflections/cell_geometry.hpp"
#include "text/cat.hpp"
#include "text/number_reading.hpp"

namespace kestran {

// The column list of --columns, keeping the header lines already given.
void setColumns(ColumnList& list, std::string_view text) {
  const int skipLines = list.skipLines;
  const std::string problem = parseColumnList(text, list);
  if (!problem.empty()) {
    throw UsageError(cat("--columns ", text, ": ", problem));
  }
  list.skipLines = skipLines;
}

// --cell a,b,c,alpha,beta,gamma: six numbers that close a cell.
CellParameters parseCell(std::string_view text) {
  CellParameters cell;
  float* const values[] = {&cell.a, &cell.b, &cell.c, &cell.alpha, &cell.beta, &cell.gamma};
  std::string_view rest = text;
  std::size_t found = 0;
  for (; found < std::size(values) && !rest.empty(); ++found) {
    const std::size_t comma = rest.find(',');
    if (!parseReal(rest.substr(0, comma), *values[found])) {
      break;
    }
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
  }
  if (found != std::size(values) || !rest.empty()) {
    throw UsageError(
        cat("--cell takes six numbers a,b,c,alpha,beta,gamma (edges in the unit of the wavelength, "
            "angles in degrees), not '",
            text, "'"));
  }
  CellParameters withWavelength = cell;
  withWavelength.wavelength = 1;
  const double volume = cellVolume(withWavelength);
  if (!(std::isfinite(volume) && volume > 0)) {
    throw UsageError(cat("--cell ", text,
                         " is no cell: expected edges above 0 and angles that close a cell (each below the sum of the "
                         "other two, all three below 360 degrees)"));
  }
  return cell;
}

// A whole number of 0 or more.
int parseLineCount(std::string_view text) {
  std::int32_t count = 0;
  if (!parseInteger(text, count) || count < 0) {
    throw UsageError(cat("--skip-lines must be a whole number of 0 or more, not '", text, "'"));
  }
  return count;
}

// The options of a column list go with --columns, and a list needs a
// position for its rows: its tt, the cell, or its d with the wavelength.
void checkColumnOptions(RunOptions& run) {
  ColumnList& list = run.columnList;
  if (list.empty()) {
    if (run.cell || run.wavelength || run.fileOrder || list.skipLines != 0) {
      throw UsageError("--cell, --wavelength, --skip-lines and --order describe a column list: give --columns too");
    }
    return;
  }
  if (run.answers.inputCode) {
    throw UsageError("--columns describes the list: --code cannot go with it");
  }
  std::string missing;
  if (!positionSourceOf(list, run.cell.has_value(), run.wavelength.has_value(), list.positions, missing)) {
    throw UsageError(cat("--columns ", list.description, ": ", missing));
  }
}

}  // namespace kestran
