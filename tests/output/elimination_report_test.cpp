#include "output/elimination_report.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <sstream>
#include <string>
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
            "h\tk\tl\ttwo_theta\tamplitude\twidth\twindow\tdistance_previous\tdistance_next\tstatus\td_spacing\n"
            "1\t0\t0\t10.0000\t100.0000\t0.1000\t0.2000\t\t0.1000\tremoved by next\t\n"
            "2\t0\t0\t10.1000\t50.0000\t0.1000\t0.2000\t0.1000\t9.9000\tremoved by previous\t\n"
            "3\t0\t0\t20.0000\t80.0000\t0.2000\t0.4000\t9.9000\t10.0000\tkept\t\n"
            "4\t0\t0\t30.0000\t-1.0000\t0.3000\t\t10.0000\t\tremoved in input\t\n");
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
  EXPECT_NE(out.str().find("\tkept\t7.7030\n"), std::string::npos) << out.str();
}

}  // namespace
}  // namespace kestran
