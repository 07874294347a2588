// Entry files that once broke the whole run after the dialogue (found by the
// fuzz targets under fuzz/). Each is read, ordered where its flavour is,
// thinned and written to memory, and the run must hold what it promises: a
// report of a reader's kind or, otherwise, every row not removed written
// once to each file at the layout's exact width.

#include "processing/pipeline.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "../support/quiet_events.hpp"
#include "output/reflection_files.hpp"
#include "processing/elimination.hpp"
#include "text/line_reader.hpp"
#include "text/run_error.hpp"

namespace kestran {
namespace {

struct Regression {
  const char* name;
  int inputCode;
  float delta;  // codes 2 and 3
  std::string entry;
  int rowsWritten;
};

const Regression regressions[] = {
    // The cap turned the amplitude -2.20 into exactly -1.0 next to the
    // largest 11000, and the row vanished as if removed. (The wavelength,
    // once 1, is one at which the rows of this flat cell have real angles.)
    {"capped_amplitude_becomes_the_marker", 1, 0.0F,
     "2\n6\n1\n60 1\n60 0.001\n6\n4\n\n   202   202-220\n\n   20  20020110d4\n\n\n", 2},
    {"capped_amplitude_becomes_the_marker_jfou4", 4, 0.0F,
     "10 10 10 90 90 90 1.5406\n2 0.0\n   1   0   0 10000.0000    1.0000    0.1000\n"
     "   2   0   0   -2.0000    1.0000    0.1000\n",
     2},
};

// Every line `width` characters; returns how many there are.
int linesOfWidth(const std::string& text, std::size_t width) {
  int lines = 0;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line); ++lines) {
    EXPECT_EQ(line.size(), width) << line;
  }
  return lines;
}

TEST(PipelineRegressions, EveryRowNotRemovedIsWrittenOnce) {
  for (const Regression& r : regressions) {
    SCOPED_TRACE(r.name);
    std::istringstream in(r.entry);
    LineReader entry(in, unit::entry, "regression.dat");
    auto table = std::make_unique<ReflectionTable>();
    table->inputCode = r.inputCode;
    QuietEvents events(r.delta);
    std::ostringstream famp, fint, intensity;
    int kept = 0;
    runPipeline(*table, entry, events, [&](const ReflectionTable& rows) {
      kept = countKept(rows.status);
      EXPECT_EQ(writeReflectionFiles(rows, {famp, fint, intensity}).written, kept);
    });
    EXPECT_EQ(kept, r.rowsWritten);
    const bool ownSigmas = r.inputCode == 4;
    const int endRecords = ownSigmas ? 0 : 1;
    EXPECT_EQ(linesOfWidth(famp.str(), ownSigmas ? 42 : 32), kept + endRecords);
    EXPECT_EQ(linesOfWidth(fint.str(), ownSigmas ? 42 : 32), kept + endRecords);
    EXPECT_EQ(linesOfWidth(intensity.str(), ownSigmas ? 54 : 40), kept);
  }
}

}  // namespace
}  // namespace kestran
