#pragma once
// Pipeline events nobody listens to, for the tests, the benchmarks and the
// fuzz targets.

#include <string_view>

#include "processing/pipeline.hpp"

namespace kestran {

// Events nobody listens to, with a DELTA given in advance.
class QuietEvents : public RunEvents {
 public:
  explicit QuietEvents(float widthFactor = 0) : widthFactor_(widthFactor) {}
  void rowsCut(int /*capacity*/) override {}
  void noReflectionRead(const NoReflection& /*where*/) override {}
  void rowsWithoutRealAngle(std::string_view /*file*/, int /*count*/) override {}
  void warning(std::string_view /*file*/, long /*lineNumber*/, std::string_view /*what*/) override {}
  void orderingStarts(int /*rows*/) override {}
  float widthFactorNeeded() override { return widthFactor_; }

 private:
  float widthFactor_;
};

}  // namespace kestran
