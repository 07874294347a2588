#pragma once
// The one sequence of a run: read the entry file, order the rows by angle
// where the flavour orders them, eliminate close neighbours (or share their
// groups' intensities), and hand the rows to whoever writes them. The run,
// the window scan, the statistics, the tests, the benchmarks and the fuzz
// targets all go through it.
//
// No stage writes to the console: the pipeline tells what happens as it
// happens, and the caller turns that into console lines, or ignores it.

#include <functional>

#include "reflections/entry_readers.hpp"
#include "reflections/reflection_table.hpp"
#include "text/line_reader.hpp"

namespace kestran {

class RunEvents : public ReadEvents {
 public:
  // The ordering of `rows` rows begins.
  virtual void orderingStarts(int rows) = 0;
  // The flavour needs DELTA now: before reading (SIRPOW), or once the rows
  // are ordered (EXPO). Returns it.
  virtual float widthFactorNeeded() = 0;
};

// Reads the entry file into the table (whose inputCode and capacity are
// set), orders the rows where the flavour asks for it, and takes DELTA at
// the flavour's point. Returns the rows read.
int readAndOrder(ReflectionTable& table, LineReader& entry, RunEvents& events);

// readAndOrder, then the elimination with the run's window (and the sharing
// of overlap groups when the table's rule is Share), then the rows to
// `writeRows`.
void runPipeline(ReflectionTable& table, LineReader& entry, RunEvents& events,
                 const std::function<void(const ReflectionTable&)>& writeRows);

}  // namespace kestran
