#include "output/shell_table.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace kestran {
namespace {

TEST(ShellTable, WindowAndRangeTexts) {
  EXPECT_EQ(windowText(flavourOf(1), 0.02F), "D = 0.02 degrees 2theta");
  EXPECT_EQ(windowText(flavourOf(4), 0.0F), "D = 0 degrees 2theta");
  EXPECT_EQ(windowText(flavourOf(2), 1.5F), "DELTA = 1.5");
  EXPECT_EQ(windowText(flavourOf(3), 0.25F), "DELTA = 0.25");

  ShellLayout bands;
  bands.edges = {10.0, 20.0, 30.5};
  EXPECT_EQ(shellRange(bands, 1), "20.000 - 30.500");
  ShellLayout spacings;
  spacings.axis = ShellAxis::DSpacing;
  spacings.edges = {0.0, 0.008, 0.125};  // 1/d^3 of d = infinity, 5 and 2
  EXPECT_EQ(shellRange(spacings, 0), "inf - 5.0000");
  EXPECT_EQ(shellRange(spacings, 1), "5.0000 - 2.0000");
}

// Two shells, one row without an angle: each shell's rows, kept and
// percentage, an empty shell's percentage as a dash, then the total.
TEST(ShellTable, StatsOfARun) {
  ShellLayout layout;
  layout.edges = {10.0, 20.0, 30.0};
  ShellCounts counts;
  counts.rows = {3, 0};
  counts.kept = {1, 0};
  counts.rowsWithoutAngle = 1;
  counts.keptWithoutAngle = 1;
  std::ostringstream out;
  writeShellStats(out, layout, counts, flavourOf(2), 1.0F, WindowSource::Console);
  EXPECT_EQ(out.str(),
            "\n  Resolution shells, DELTA = 1 typed at the console\n"
            "  shell  2theta range (deg)     hkl   kept  % kept\n"
            "      1  10.000 - 20.000          3      1    33.3\n"
            "      2  20.000 - 30.000          0      0       -\n"
            "         no real angle            1      1\n"
            "  all                             4      2    50.0\n");
}

}  // namespace
}  // namespace kestran
