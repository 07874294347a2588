#include "processing/resolution_limit.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "processing/shells.hpp"

namespace kestran {
namespace {

constexpr float infinity = std::numeric_limits<float>::infinity();

// One FULLPROF row at d = 2 exactly (wavelength 1, sin^2(theta) = 1/16) and
// 2theta 30: a limit equal to the row's value keeps it; a limit moved past
// the row by the next single does not, one moved away from it by one does.
TEST(ResolutionLimit, RowOnTheLimitKeptAndOneStepBeyondNot) {
  struct Case {
    const char* what;
    ResolutionLimit limit;
    bool beyond;
  };
  const Case cases[] = {
      {"d equal to d-min", {2.0F, 0}, false},
      {"d one step below d-min", {std::nextafter(2.0F, infinity), 0}, true},
      {"d one step above d-min", {std::nextafter(2.0F, 0.0F), 0}, false},
      {"2theta equal to the max", {0, 30.0F}, false},
      {"2theta one step above the max", {0, std::nextafter(30.0F, 0.0F)}, true},
      {"2theta one step below the max", {0, std::nextafter(30.0F, infinity)}, false},
      {"no limit", {0, 0}, false},
  };
  for (const Case& c : cases) {
    ReflectionTable table;
    table.inputCode = 1;
    table.cell.wavelength = 1.0F;
    table.resizeRows(1);
    table.sinSquaredTheta[0] = 1.0F / 16;
    table.twoTheta[0] = 30.0F;
    table.status[0] = RowStatus::Kept;
    table.limit = c.limit;
    ASSERT_EQ(dSpacing(table, 0), 2.0) << c.what;
    EXPECT_EQ(isBeyondLimit(table, 0), c.beyond) << c.what;
  }
}

}  // namespace
}  // namespace kestran
