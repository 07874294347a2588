#pragma once
// What the entry-file readers notice beyond the values they read, and how
// they stop: the first of each kind of doubt is told at its line, the rest
// counted for one line at the end; an end of file before what the flavour
// needs, or a file that gives no reflection, stops the run.

#include <string>
#include <string_view>

#include "reflections/cell_geometry.hpp"
#include "reflections/entry_readers.hpp"
#include "reflections/reflection_table.hpp"
#include "text/free_form.hpp"
#include "text/line_reader.hpp"

namespace kestran {

// A value read, as a message shows it.
std::string shortNumber(float value);

// An end of the entry file before what the flavour needs: the report names
// the last line there is and says what was still expected (`found` of it
// were there).
[[noreturn]] void failAtEnd(const LineReader& entry, std::string_view expected, long found);

// No reflection read stops the run: the new files would replace good ones
// with empty ones. The console line says so first, as it always has.
[[noreturn]] void failOnNoReflection(const LineReader& entry, ReadEvents& events, const NoReflection& where);

// What the free-form records of an entry file show beyond their values: a
// record that goes on to a later line (allowed, but also what a line missing
// a value looks like), and values left on its last line, which are dropped
// (often a decimal comma: 0,05 reads as two values). The cell and count
// lines are told each; of the reflections the first of each kind, then how
// many there were. A line written with decimal commas stops the run: the
// cell and count lines at once, the reflections once the file is read, at
// the first such line with their count.
class RecordChecks {
 public:
  RecordChecks(const LineReader& entry, ReadEvents& events) : entry_(entry), events_(events) {}

  // Ends the record `what` (as "the reflection (h k l FWHM F)") of
  // `recordValues` values.
  void finish(ListRead& read, std::string_view what, int recordValues, bool tellEach);
  // The counts at the end of the list of records `what`.
  void tellCounts(std::string_view what) const;

 private:
  [[noreturn]] void failOnDecimalCommas(std::string_view what) const;

  const LineReader& entry_;
  ReadEvents& events_;
  int spilled_ = 0;
  int valuesLeft_ = 0;
  int decimalCommas_ = 0;
  long firstDecimalComma_ = 0;
  std::string firstDecimalCommaText_;
};

// What the reading notices row by row: the first of each kind is told at
// its line, the rest counted for one line at the end.
struct RowChecks {
  int zeroIndexRows = 0;
  bool decreasingTold = false;
};

// A row whose h, k and l are all 0 is no reflection: told at its line, the
// first time.
void markZeroIndices(ReflectionTable& table, int index, const LineReader& entry, ReadEvents& events, RowChecks& checks);

// The row's status from the start: removed when its amplitude is the entry
// file's marker, no reflection when h = k = l = 0 (told at its line).
// Inline, as the next: the readers' loops pay them per row.
inline void markRow(ReflectionTable& table, int index, const LineReader& entry, ReadEvents& events, RowChecks& checks) {
  table.status[index] = table.amplitude[index] == removedInInputMarker ? RowStatus::RemovedInInput : RowStatus::Kept;
  if ((table.h[index] | table.k[index] | table.l[index]) == 0) {
    markZeroIndices(table, index, entry, events, checks);
  }
}

// Each row of a flavour with a cell gets its sin^2(theta) as soon as it is read.
inline void finishRow(ReflectionTable& table, int index, const ReciprocalCell& reciprocal, const LineReader& entry,
                      ReadEvents& events, RowChecks& checks) {
  table.sinSquaredTheta[index] = sinSquaredTheta(reciprocal, table.h[index], table.k[index], table.l[index]);
  markRow(table, index, entry, events, checks);
}

// Rows compared with their neighbours in file order: a 2theta below the one
// before is told, once, saying why order matters (`inFileOrder`, as "SIRPOW
// rows are compared with their neighbours in file order").
void warnOfDecreasingAngle(const ReflectionTable& table, int index, const LineReader& entry, ReadEvents& events,
                           RowChecks& checks, std::string_view inFileOrder);

void tellRowChecks(const RowChecks& checks, const LineReader& entry, ReadEvents& events);

}  // namespace kestran
