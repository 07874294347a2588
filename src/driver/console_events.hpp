#pragma once
// What the pipeline tells, as the program shows it: the classic console
// lines (the truncation line, the warnings of the reading, the ordering
// line, the output stage's counts) on the console, and the warnings about
// the input on the diagnostics stream in the form compilers use,
// "kestran: FILE:LINE: warning: WHAT". With --strict a warning about the
// input, on either stream, stops the run instead. DELTA, when the flavour
// needs it, comes from the function given (the prompt, in a run).

#include <functional>
#include <ostream>
#include <string_view>

#include "output/reflection_files.hpp"
#include "processing/pipeline.hpp"

namespace kestran {

struct EventSettings {
  bool widen = false;   // counts above five digits take the columns they need
  bool strict = false;  // a warning about the input stops the run
  // A batch run: no classic lines; those that warn go to the diagnostics
  // instead, naming this entry file.
  std::string_view batchEntry;
};

class ConsoleEvents : public RunEvents {
 public:
  // `console` null: the classic lines are not part of this run's output (the
  // window scan); the diagnostics still are.
  ConsoleEvents(std::ostream* console, std::ostream& diagnostics, std::function<float()> askWidthFactor,
                EventSettings settings)
      : console_(console), diagnostics_(diagnostics), askWidthFactor_(std::move(askWidthFactor)), settings_(settings) {}

  void rowsCut(int capacity) override;
  void noReflectionRead(const NoReflection& where) override;
  void rowsWithoutRealAngle(std::string_view file, int count) override;
  void warning(std::string_view file, long lineNumber, std::string_view what) override;
  void orderingStarts(int rows) override;
  float widthFactorNeeded() override { return askWidthFactor_(); }

 private:
  // In a batch run, a classic warning line as a warning on the diagnostics.
  void batchWarning(long lineNumber, std::string_view what);

  std::ostream* console_;
  std::ostream& diagnostics_;
  std::function<float()> askWidthFactor_;
  EventSettings settings_;
};

// "kestran: FILE:LINE: warning: WHAT" (no LINE when 0) on `diagnostics`;
// with `strict` the same as an error about the entry file that stops the
// run.
void warnAboutInput(std::ostream& diagnostics, bool strict, std::string_view file, long lineNumber,
                    std::string_view what);

// "d < 1.5 A", "2theta > 60", or both joined by "or".
std::string limitText(const ResolutionLimit& limit);

// The output stage's warning for values beyond single precision: on the
// console in the dialogue, on the diagnostics in a batch run.
std::string beyondRangeWarning(int rows);

// The counts of the output stage: rows read, then, after the note on the
// sigmas, rows written (and, when the run shares overlap groups, the rows
// shared and their groups), with a resolution limit the rows beyond it, and
// a warning for values beyond single precision.
void writeOutputSummary(std::ostream& console, const ReflectionTable& table, const WrittenSummary& summary);

}  // namespace kestran
