#include "processing/shells.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "processing/window_scan.hpp"

namespace kestran {
namespace {

const float nan = std::nanf("");

// Rows at the given d-spacings with a wavelength of 1, so that
// sin^2(theta) = 1 / (4 d^2); a d of 0 stands for a row with no real angle.
std::unique_ptr<ReflectionTable> rowsAtSpacings(const std::vector<double>& spacings) {
  auto table = std::make_unique<ReflectionTable>();
  table->inputCode = 1;  // FULLPROF JFOU=2
  table->cell.wavelength = 1.0F;
  table->resizeRows(static_cast<int>(spacings.size()));
  for (int i = 0; i < table->rows; ++i) {
    const double d = spacings[i];
    table->sinSquaredTheta[i] = d > 0 ? static_cast<float>(1 / (4 * d * d)) : 1.5F;
    table->twoTheta[i] = d > 0 ? static_cast<float>(2 * std::asin(1 / (2 * d)) * 180 / std::numbers::pi) : nan;
  }
  return table;
}

std::unique_ptr<ReflectionTable> sirpowRowsAt(const std::vector<float>& positions) {
  auto table = std::make_unique<ReflectionTable>();
  table->inputCode = 2;           // SIRPOW
  table->cell.wavelength = 1.5F;  // a SIRPOW file has none; whatever stands here is not used
  table->resizeRows(static_cast<int>(positions.size()));
  for (int i = 0; i < table->rows; ++i) table->twoTheta[i] = positions[i];
  return table;
}

// Worked by hand: d = 10, 5, 2.5 and 2 give 1/d^3 = 0.001, 0.008, 0.064 and
// 0.125. Three equal steps from 0.001 to 0.125 are 0.124 / 3 = 0.0413333
// wide, so the inner edges lie at 1/d^3 = 0.0423333 and 0.0836667, that is
// d = 0.0423333^(-1/3) = 2.86928 and 0.0836667^(-1/3) = 2.28638. The shells
// hold d 10 and 5, then 2.5, then 2; the row with no angle lies in none.
// The last edge, d = 2 at a wavelength of 1, is 2theta = 2 asin(1/4) = 28.9550.
TEST(Shells, EdgesInDSpacingWorkedByHand) {
  const auto table = rowsAtSpacings({10, 5, 2.5, 0, 2});
  const ShellLayout layout = layShells(*table, 3);
  ASSERT_EQ(layout.axis, ShellAxis::DSpacing);
  ASSERT_EQ(layout.shellCount(), 3);
  const double expectedEdges[] = {10.0, 2.86928, 2.28638, 2.0};
  for (int edge = 0; edge <= 3; ++edge) {
    EXPECT_NEAR(edgeValue(layout, edge), expectedEdges[edge], 1e-4) << "edge " << edge;
  }
  EXPECT_NEAR(edgeTwoTheta(layout, 3), 28.9550, 1e-3);
  EXPECT_EQ(layout.shellOfRow, (std::vector<int>{0, 0, 1, noShell, 2}));
  EXPECT_NEAR(dSpacing(*table, 2), 2.5, 1e-5);
  EXPECT_TRUE(std::isnan(dSpacing(*table, 3)));
}

// SIRPOW: 2theta 10 to 40 in three bands of 10 degrees; a row on an inner
// edge (20) belongs to the band above it, the highest row to the last band.
TEST(Shells, TwoThetaBandsForSirpowAndCountsOfKeptRows) {
  const auto table = sirpowRowsAt({10.0F, 20.0F, 25.0F, nan, 40.0F, 12.0F});
  const ShellLayout layout = layShells(*table, 3);
  ASSERT_EQ(layout.axis, ShellAxis::TwoTheta);
  EXPECT_EQ(layout.edges, (std::vector<double>{10, 20, 30, 40}));
  EXPECT_EQ(layout.shellOfRow, (std::vector<int>{0, 1, 1, noShell, 2, 0}));
  EXPECT_TRUE(std::isnan(dSpacing(*table, 0)));
  const std::vector<RowStatus> status = {RowStatus::Kept, RowStatus::RemovedByNext,  RowStatus::Kept,
                                         RowStatus::Kept, RowStatus::RemovedInInput, RowStatus::Kept};
  const ShellCounts counts = countByShell(layout, status);
  EXPECT_EQ(counts.rows, (std::vector<int>{2, 2, 1}));
  EXPECT_EQ(counts.kept, (std::vector<int>{2, 1, 0}));
  EXPECT_EQ(counts.rowsWithoutAngle, 1);
  EXPECT_EQ(counts.keptWithoutAngle, 1);
  EXPECT_DOUBLE_EQ(percentKept(1, 2), 50.0);
  EXPECT_TRUE(std::isnan(percentKept(0, 0)));
}

TEST(Shells, NoShellWithoutAnglesAndOneWhenEveryRowIsAtOnePlace) {
  EXPECT_EQ(layShells(*sirpowRowsAt({nan, nan})).shellCount(), 0);
  EXPECT_EQ(layShells(*sirpowRowsAt({})).shellCount(), 0);
  const ShellLayout one = layShells(*sirpowRowsAt({7.0F, 7.0F}), 6);
  EXPECT_EQ(one.shellCount(), 1);
  EXPECT_EQ(one.shellOfRow, (std::vector<int>{0, 0}));
  // A wavelength of 0 gives no d: the shells fall back to 2theta.
  auto noWavelength = rowsAtSpacings({3, 2});
  noWavelength->cell.wavelength = 0;
  EXPECT_EQ(layShells(*noWavelength).axis, ShellAxis::TwoTheta);
}

TEST(WindowScan, DefaultSeriesHoldsZeroAndTheOwnWindowOnceInOrder) {
  const std::vector<float> fixed = defaultScanWindows(flavourOf(4), 0.04F);
  EXPECT_EQ(fixed.front(), 0.0F);
  EXPECT_TRUE(std::is_sorted(fixed.begin(), fixed.end()));
  EXPECT_EQ(std::count(fixed.begin(), fixed.end(), 0.04F), 1);
  const std::vector<float> width = defaultScanWindows(flavourOf(3), 1.0F);
  EXPECT_EQ(std::count(width.begin(), width.end(), 1.0F), 1);
  EXPECT_EQ(width, defaultScanWindows(flavourOf(2), std::nullopt));
  EXPECT_GT(width.back(), 1.0F);
}

}  // namespace
}  // namespace kestran
