#include "output/elimination_report.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "small_run.hpp"

namespace kestran {
namespace {

using testing::SmallRun;

TEST(EliminationReport, RowsCheckedByHand) {
  SmallRun run;
  const std::vector<ReportRow> rows = describeElimination(*run.table);
  ASSERT_EQ(rows.size(), 4U);
  EXPECT_EQ(rows[0].status, RowStatus::RemovedByNext);
  EXPECT_EQ(rows[1].status, RowStatus::RemovedByPrevious);
  EXPECT_EQ(rows[2].status, RowStatus::Kept);
  EXPECT_EQ(rows[3].status, RowStatus::RemovedInInput);
  EXPECT_EQ(rows[0].amplitude, 100.0F);
  EXPECT_NEAR(rows[0].window, 0.2, 1e-6);
  EXPECT_NEAR(rows[1].distancePrevious, 0.1, 1e-5);
  EXPECT_FALSE(rows[0].hasPrevious);
  EXPECT_FALSE(rows[3].hasNext);

  std::ostringstream out;
  writeEliminationReport(out, *run.table);
  EXPECT_EQ(out.str(),
            "h\tk\tl\ttwo_theta\tamplitude\twidth\twindow\tdistance_previous\tdistance_next\tstatus\td_spacing\t"
            "window_source\n"
            "1\t0\t0\t10.0000\t100.0000\t0.1000\t0.2000\t\t0.1000\tremoved by next\t\tcommand_line\n"
            "2\t0\t0\t10.1000\t50.0000\t0.1000\t0.2000\t0.1000\t9.9000\tremoved by previous\t\tcommand_line\n"
            "3\t0\t0\t20.0000\t80.0000\t0.2000\t0.4000\t9.9000\t10.0000\tkept\t\tcommand_line\n"
            "4\t0\t0\t30.0000\t-1.0000\t0.3000\t\t10.0000\t\tremoved in input\t\tcommand_line\n");
}

TEST(EliminationReport, FixedWindowRowsHaveNoWidth) {
  auto table = std::make_unique<ReflectionTable>();
  table->inputCode = 1;
  table->fixedWindow = 0.5F;
  table->resizeRows(3);
  const float pos[] = {5.0F, 5.2F, 5.4F};
  for (int i = 0; i < 3; ++i) {
    table->twoTheta[i] = pos[i];
    table->amplitude[i] = 10.0F;
  }
  eliminateNeighbours(*table);
  const std::vector<ReportRow> rows = describeElimination(*table);
  EXPECT_EQ(rows[1].status, RowStatus::RemovedByBoth);
  EXPECT_FALSE(rows[0].hasWidth);
  EXPECT_EQ(rows[2].window, 0.0);
}

TEST(EliminationReport, DSpacingColumnFromTheWavelength) {
  auto table = std::make_unique<ReflectionTable>();
  table->inputCode = 4;
  table->cell.wavelength = 1.5406F;
  table->resizeRows(1);
  table->sinSquaredTheta[0] = 0.01F;  // sin(theta) = 0.1: d = 1.5406 / 0.2 = 7.703
  table->twoTheta[0] = 11.478F;
  eliminateNeighbours(*table);
  std::ostringstream out;
  writeEliminationReport(out, *table);
  EXPECT_NE(out.str().find("\tkept\t7.7030\tentry_file\n"), std::string::npos) << out.str();
}

// Every line, the heading's too, ends with where the window came from, after
// the columns of a space group and of shared overlaps.
TEST(EliminationReport, EveryLineEndsWithTheWindowsSource) {
  const std::pair<WindowSource, std::string> sources[] = {
      {WindowSource::EntryFile, "entry_file"},
      {WindowSource::CommandLine, "command_line"},
      {WindowSource::Console, "console"},
  };
  for (const auto& [source, word] : sources) {
    SmallRun run;
    run.table->windowSource = source;
    run.table->overlaps = OverlapRule::Share;
    std::ostringstream out;
    writeEliminationReport(out, *run.table);
    std::istringstream lines(out.str());
    std::string line;
    std::getline(lines, line);
    EXPECT_TRUE(line.ends_with("\tgroup\tgroup_size\twindow_source")) << line;
    int rows = 0;
    for (; std::getline(lines, line); ++rows) {
      EXPECT_TRUE(line.ends_with('\t' + word)) << line;
    }
    EXPECT_EQ(rows, run.table->rows) << word;
  }
}

}  // namespace
}  // namespace kestran
