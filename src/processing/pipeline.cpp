#include "processing/pipeline.hpp"

#include "processing/elimination.hpp"
#include "processing/ordering.hpp"

namespace kestran {

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
  if (flavour.windowAsked == WindowAsked::AfterOrdering) {
    table.widthFactor = events.widthFactorNeeded();
  }
  return table.rows;
}

void runPipeline(ReflectionTable& table, LineReader& entry, RunEvents& events,
                 const std::function<void(const ReflectionTable&)>& writeRows) {
  readAndOrder(table, entry, events);
  eliminateNeighbours(table);
  writeRows(table);
}

}  // namespace kestran
