#pragma once
// The console lines of what the pipeline tells: the truncation line, the
// warnings of the reading, the ordering line, the output stage's counts. DELTA, when the flavour needs
// it, comes from the function given (the prompt, in a run).

#include <functional>
#include <ostream>

#include "output/reflection_files.hpp"
#include "processing/pipeline.hpp"

namespace kestran {

class ConsoleEvents : public RunEvents {
 public:
  // `widen`: counts above five digits take the columns they need.
  ConsoleEvents(std::ostream& console, std::function<float()> askWidthFactor, bool widen)
      : console_(console), askWidthFactor_(std::move(askWidthFactor)), widen_(widen) {}

  void rowsCut(int capacity) override;
  void noReflectionRead(const NoReflection& where) override;
  void rowsWithoutRealAngle(int count) override;
  void orderingStarts(int rows) override;
  float widthFactorNeeded() override { return askWidthFactor_(); }

 private:
  std::ostream& console_;
  std::function<float()> askWidthFactor_;
  bool widen_;
};

// The counts of the output stage: rows read, then, after the note on the
// sigmas, rows written, and a warning for values beyond single precision.
void writeOutputSummary(std::ostream& console, const ReflectionTable& table, const WrittenSummary& summary);

}  // namespace kestran
