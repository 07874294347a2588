#include "processing/pipeline.hpp"

#include <string>

#include "processing/duplicates.hpp"
#include "processing/elimination.hpp"
#include "processing/ordering.hpp"
#include "processing/overlaps.hpp"
#include "reflections/space_group.hpp"
#include "text/cat.hpp"

namespace kestran {

namespace {

// One warning for the whole file: the first repeat and how many there are.
void tellDuplicates(const ReflectionTable& table, const LineReader& entry, RunEvents& events) {
  const Duplicates found = findDuplicates(table);
  if (found.rows == 0) {
    return;
  }
  std::string what = "reflection " + std::to_string(found.h) + " " + std::to_string(found.k) + " " +
                     std::to_string(found.l) + " repeats the one of line " + std::to_string(found.earlierLine);
  if (found.rows > 1) {
    what += "; " + std::to_string(found.rows) + " rows repeat an earlier one in all";
  }
  what += ": both are written; check that the list is not pasted twice or two data sets run together";
  events.warning(entry.fileName(), found.line, what);
}

std::string indicesOf(const ReflectionTable& table, int row) {
  return cat(table.h[row], ' ', table.k[row], ' ', table.l[row]);
}

// The space group named for the run, found with the cell's angles; each
// row's multiplicity from it, and one warning each for the rows it forbids
// and for the rows whose multiplicity in the file is not its own.
void applySpaceGroup(ReflectionTable& table, const LineReader& entry, RunEvents& events) {
  if (table.spaceGroupSymbol.empty()) {
    return;
  }
  const CellParameters& cell = table.cell;
  table.spaceGroup = findSpaceGroup(table.spaceGroupSymbol, cell.alpha, cell.gamma);
  if (table.spaceGroup == nullptr) {
    table.spaceGroup = findSpaceGroup(table.spaceGroupSymbol);
  }
  const std::string group = spaceGroupName(*table.spaceGroup);
  const SymmetryFindings found = applySpaceGroup(table, *table.spaceGroup);
  if (found.differingRows > 0) {
    const int row = found.firstDiffering;
    const std::string count = found.differingRows > 1 ? cat("; ", found.differingRows, " rows differ in all") : "";
    events.warning(entry.fileName(), table.line[row],
                   cat("multiplicity ", found.fileMultiplicity, " of reflection ", indicesOf(table, row),
                       " is not the ", table.multiplicity[row], " of the space group ", group, count,
                       ": the space group's multiplicities are used"));
  }
  if (found.absentRows > 0) {
    const int row = found.firstAbsent;
    const std::string count = found.absentRows > 1 ? cat("; ", found.absentRows, " rows are absent in all") : "";
    events.warning(entry.fileName(), table.line[row],
                   cat("reflection ", indicesOf(table, row), " is systematically absent in the space group ", group,
                       count, found.absentRows > 1 ? ": they are written" : ": it is written",
                       "; check the space group, the cell and the indexing"));
  }
}

}  // namespace

int readAndOrder(ReflectionTable& table, LineReader& entry, RunEvents& events) {
  const Flavour& flavour = flavourOf(table);
  if (flavour.windowAsked == WindowAsked::BeforeReading) {
    table.widthFactor = events.widthFactorNeeded();
  }
  readEntryFile(table, entry, events);
  if (flavour.ordered) {
    events.orderingStarts(table.rows);
    orderReflections(table);
  }
  tellDuplicates(table, entry, events);
  applySpaceGroup(table, entry, events);
  if (flavour.windowAsked == WindowAsked::AfterOrdering) {
    table.widthFactor = events.widthFactorNeeded();
  }
  return table.rows;
}

void runPipeline(ReflectionTable& table, LineReader& entry, RunEvents& events,
                 const std::function<void(const ReflectionTable&)>& writeRows) {
  readAndOrder(table, entry, events);
  eliminateNeighbours(table);
  if (sharesOverlaps(table)) {
    shareOverlaps(table);
  }
  writeRows(table);
}

}  // namespace kestran
