#include "processing/pipeline.hpp"

#include <string>

#include "processing/duplicates.hpp"
#include "processing/elimination.hpp"
#include "processing/ordering.hpp"
#include "processing/overlaps.hpp"

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
