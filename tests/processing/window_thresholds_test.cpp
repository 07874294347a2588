#include "processing/window_thresholds.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "processing/elimination.hpp"

namespace kestran {
namespace {

struct PairCase {
  const char* name;
  int inputCode;
  float lower, upper;   // positions
  float width;          // of the lower row
  WindowBits expected;  // worked out by hand from the strict test; 0 when only the defining property is checked
};

ReflectionTable pairTable(const PairCase& c) {
  ReflectionTable table;
  table.inputCode = c.inputCode;
  table.resizeRows(2);
  table.twoTheta = {c.lower, c.upper};
  table.peakWidth = {c.width, c.width};
  return table;
}

// The threshold is the first window that cuts: the one below it does not.
TEST(CuttingWindow, IsTheFirstWindowThatCutsThePair) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::nanf("");
  const PairCase cases[] = {
      // 0.5 is a float: a window equal to the distance does not cut, the next float up does.
      {"fixed, distance a float", 1, 1.0F, 1.5F, 0, bitsOf(std::nextafter(0.5F, 1.0F))},
      {"fixed, JFOU=4", 4, 1.5F, 1.0F, 0, bitsOf(std::nextafter(0.5F, 1.0F))},
      // w x 2 > 0.5 from 0.25 on, strictly.
      {"width, distance a float", 2, 1.0F, 1.5F, 2.0F, bitsOf(std::nextafter(0.25F, 1.0F))},
      {"width, EXPO", 3, 1.0F, 1.5F, 2.0F, bitsOf(std::nextafter(0.25F, 1.0F))},
      {"same position: any window above 0", 1, 7.0F, 7.0F, 0, 1},
      {"same position, width", 3, 7.0F, 7.0F, 0.1F, 1},
      {"same position, infinite width", 2, 7.0F, 7.0F, inf, 1},
      {"distance between two floats", 1, 20.0F, 20.05F, 0, 0},
      {"distance of doubles, not floats", 1, 0.1F, 123.456F, 0, 0},
      {"the product in double", 2, 10.0F, 12.7F, 3.0F, 0},
      {"tiny width", 3, 1.0F, 1.0001F, 1e-38F, 0},
      {"width 0", 2, 1.0F, 1.0F, 0.0F, neverCut},
      {"negative width", 3, 1.0F, 1.1F, -1.0F, neverCut},
      {"width not a number", 3, 1.0F, 1.1F, nan, neverCut},
      {"position not a number", 1, nan, 1.1F, 0, neverCut},
      {"infinite distance", 1, inf, 1.1F, 0, neverCut},
  };
  for (const PairCase& c : cases) {
    const ReflectionTable table = pairTable(c);
    const WindowBits threshold = cuttingWindow(table, 0, 1);
    if (c.expected != 0) {
      EXPECT_EQ(threshold, c.expected) << c.name;
    }
    if (threshold == neverCut) {
      EXPECT_FALSE(PairTest(table, inf).close(0, 1)) << c.name;
      continue;
    }
    EXPECT_TRUE(PairTest(table, windowOf(threshold)).close(0, 1)) << c.name;
    EXPECT_FALSE(PairTest(table, windowOf(threshold - 1)).close(0, 1)) << c.name;
  }
}

// Every row's status at any window follows from its threshold alone: at
// each threshold of the table and the float below it, eliminationWith
// removes exactly the rows whose threshold the window reaches.
TEST(RowThresholds, GiveTheEliminationAtEveryWindow) {
  std::mt19937 random(31);
  for (const int code : {1, 4, 2, 3}) {
    ReflectionTable table;
    table.inputCode = code;
    table.resizeRows(60);
    std::uniform_real_distribution<float> step(0.0F, 0.2F);
    std::uniform_real_distribution<float> width(0.01F, 0.3F);
    float position = 5.0F;
    for (int i = 0; i < table.rows; ++i) {
      position += i % 7 == 3 ? 0.0F : step(random);
      table.twoTheta[i] = position;
      table.peakWidth[i] = width(random);
      table.h[i] = i + 1;
    }
    table.status[10] = RowStatus::ZeroIndices;
    table.status[20] = RowStatus::RemovedInInput;
    std::vector<bool> shown(static_cast<std::size_t>(table.rows), true);
    shown[10] = false;
    const RowThresholds thresholds = rowThresholds(table, shown);
    EXPECT_EQ(thresholds.cut[10], neverCut);
    for (const WindowBits threshold : thresholds.cut) {
      if (threshold == neverCut) continue;
      for (const WindowBits window : {threshold - 1, threshold}) {
        const std::vector<RowStatus> status = eliminationWith(table, windowOf(window));
        for (int i = 0; i < table.rows; ++i) {
          if (i == 10 || i == 20) continue;
          EXPECT_EQ(status[i] != RowStatus::Kept, window >= thresholds.cut[i]) << "code " << code << ", row " << i;
        }
      }
    }
  }
}

// A link passes over the rows not shown, and joins two rows only when every
// pair between them is cut.
TEST(RowThresholds, LinksPassOverRowsNotShown) {
  ReflectionTable table;
  table.inputCode = 1;
  table.resizeRows(5);
  table.twoTheta = {1.0F, 1.5F, 1.75F, 9.0F, 9.0F};
  table.status[3] = RowStatus::ZeroIndices;
  const std::vector<bool> shown = {true, false, true, false, true};
  const RowThresholds thresholds = rowThresholds(table, shown);
  EXPECT_EQ(thresholds.link[0], std::max(cuttingWindow(table, 0, 1), cuttingWindow(table, 1, 2)));
  EXPECT_EQ(thresholds.link[2], cuttingWindow(table, 2, 4));
  EXPECT_EQ(thresholds.link[4], neverCut);
  EXPECT_EQ(thresholds.cut[1], cuttingWindow(table, 1, 2));
  EXPECT_EQ(thresholds.cut[4], cuttingWindow(table, 2, 4));
}

}  // namespace
}  // namespace kestran
