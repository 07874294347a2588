#pragma once
// A small EXPO run shared by the report's and the plot's tests.

#include <memory>

#include "processing/elimination.hpp"
#include "reflections/reflection_table.hpp"

namespace kestran::testing {

// Four EXPO rows in 2theta order, DELTA from the command line: the first two
// closer than DELTA x width, the third alone, the fourth marked removed in
// the input itself.
struct SmallRun {
  std::unique_ptr<ReflectionTable> table = std::make_unique<ReflectionTable>();
  SmallRun() {
    ReflectionTable& t = *table;
    t.inputCode = 3;
    t.widthFactor = 2.0F;
    t.windowSource = WindowSource::CommandLine;
    t.resizeRows(4);
    const float pos[] = {10.0F, 10.1F, 20.0F, 30.0F};
    const float width[] = {0.1F, 0.1F, 0.2F, 0.3F};
    const float fobs[] = {100.0F, 50.0F, 80.0F, -1.0F};
    for (int i = 0; i < t.rows; ++i) {
      t.h[i] = i + 1;
      t.twoTheta[i] = pos[i];
      t.peakWidth[i] = width[i];
      t.amplitude[i] = fobs[i];
    }
    t.status[3] = RowStatus::RemovedInInput;
    eliminateNeighbours(t);
  }
};

}  // namespace kestran::testing
