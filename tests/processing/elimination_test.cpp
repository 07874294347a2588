#include "processing/elimination.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace kestran {
namespace {

constexpr float amplitude = 25.0F;

struct EliminationCase {
  const char* name;
  int inputCode;
  float window;  // D: the fixed window, or DELTA
  std::vector<float> positions;
  std::vector<float> widths;  // peak widths; empty means all zero
  std::vector<bool> marked;
};

std::unique_ptr<ReflectionTable> makeTable(const EliminationCase& c) {
  auto table = std::make_unique<ReflectionTable>();
  table->inputCode = c.inputCode;
  (usesWidthWindow(flavourOf(c.inputCode)) ? table->widthFactor : table->fixedWindow) = c.window;
  table->resizeRows(static_cast<int>(c.positions.size()));
  for (std::size_t i = 0; i < c.positions.size(); ++i) {
    table->amplitude[i] = amplitude;
    table->twoTheta[i] = c.positions[i];
    if (!c.widths.empty()) table->peakWidth[i] = c.widths[i];
  }
  return table;
}

TEST(EliminateNeighbours, MarksExactlyTheClosePairs) {
  const float nan = std::nanf("");
  const float inf = std::numeric_limits<float>::infinity();
  const EliminationCase cases[] = {
      {"no rows", 1, 1.0F, {}, {}, {}},
      {"one row", 1, 1.0F, {5.0F}, {}, {false}},
      {"close pair then a far row", 1, 0.1F, {20.00F, 20.05F, 30.00F}, {}, {true, true, false}},
      {"a run of close rows is marked whole", 1, 0.06F, {20.00F, 20.05F, 20.10F}, {}, {true, true, true}},
      {"JFOU=4 uses the fixed window", 4, 0.06F, {20.00F, 20.05F, 21.0F}, {}, {true, true, false}},
      {"distance equal to the window", 1, 0.5F, {1.0F, 1.5F}, {}, {false, false}},
      {"identical positions, tiny window", 1, 1e-30F, {3.0F, 3.0F}, {}, {true, true}},
      {"fixed window 0", 1, 0.0F, {3.0F, 3.0F}, {}, {false, false}},
      {"fixed window below 0", 4, -1.0F, {3.0F, 3.0F}, {}, {false, false}},
      {"fixed rule ignores widths", 1, 0.01F, {3.0F, 3.5F}, {9.0F, 9.0F}, {false, false}},
      {"only the lower row's width", 2, 1.0F, {10.0F, 10.3F}, {0.2F, 1.0F}, {false, false}},
      {"only the lower row's width, EXPO", 3, 1.0F, {10.0F, 10.3F}, {0.2F, 1.0F}, {false, false}},
      {"broad lower row", 3, 1.0F, {10.0F, 10.3F}, {1.0F, 0.2F}, {true, true}},
      {"width window equal to the distance", 2, 0.25F, {1.0F, 1.5F}, {2.0F, 2.0F}, {false, false}},
      {"DELTA 0", 2, 0.0F, {4.0F, 4.0F}, {1.0F, 1.0F}, {false, false}},
      {"width 0", 3, 2.0F, {4.0F, 4.0F}, {0.0F, 1.0F}, {false, false}},
      {"DELTA and width of opposite signs", 2, 1.0F, {4.0F, 4.1F}, {-1.0F, -1.0F}, {false, false}},
      {"DELTA and width both negative", 2, -1.0F, {4.0F, 4.1F}, {-1.0F, 0.0F}, {true, true}},
      // 0.9 x 3.0 in double lies above the distance 2.6999998; rounded to
      // single it would equal the distance and not mark.
      {"window product kept in double", 2, 0.9F, {10.0F, 12.7F}, {3.0F, 3.0F}, {true, true}},
      {"SIRPOW rows compared in file order",
       2,
       1.0F,
       {10.0F, 20.0F, 10.01F},
       {0.5F, 0.5F, 0.5F},
       {false, false, false}},
      {"not-a-number position", 1, 100.0F, {1.0F, nan, 1.0F}, {}, {false, false, false}},
      {"not-a-number width", 3, 1.0F, {1.0F, 1.0F}, {nan, 1.0F}, {false, false}},
      {"infinite positions", 1, 100.0F, {inf, inf, 5.0F}, {}, {false, false, false}},
  };
  for (const auto& c : cases) {
    auto table = makeTable(c);
    eliminateNeighbours(*table);
    for (std::size_t i = 0; i < c.marked.size(); ++i) {
      EXPECT_EQ(!isKept(table->status[i]), c.marked[i]) << c.name << ", row " << i + 1;
    }
  }
}

// The status says which neighbour removed a row; a row removed in the input
// keeps that status, and still removes a close neighbour, since the test
// reads positions only.
TEST(EliminateNeighbours, StatusNamesTheNeighbour) {
  const EliminationCase c{"", 1, 0.1F, {1.0F, 1.05F, 1.1F, 5.0F, 5.05F, 9.0F}, {}, {}};
  auto table = makeTable(c);
  table->status[4] = RowStatus::RemovedInInput;
  eliminateNeighbours(*table);
  const std::vector<RowStatus> expected{RowStatus::RemovedByNext,     RowStatus::RemovedByBoth,
                                        RowStatus::RemovedByPrevious, RowStatus::RemovedByNext,
                                        RowStatus::RemovedInInput,    RowStatus::Kept};
  EXPECT_EQ(table->status, expected);
  EXPECT_EQ(countKept(table->status), 1);
}

// Asked for another window, the elimination answers without touching the
// table, and the run's own elimination gives the same answer for its window.
TEST(EliminateNeighbours, AnyWindowOnTheSameTable) {
  const EliminationCase c{"", 3, 1.0F, {1.0F, 1.5F, 9.0F, 9.2F}, {1.0F, 0.1F, 0.5F, 0.5F}, {}};
  auto table = makeTable(c);
  const ReflectionTable before = *table;
  EXPECT_EQ(countKept(eliminationWith(*table, 0.0F)), 4);
  EXPECT_EQ(countKept(eliminationWith(*table, 0.3F)), 4);
  EXPECT_EQ(countKept(eliminationWith(*table, 0.6F)), 0);
  EXPECT_EQ(table->status, before.status);
  const std::vector<RowStatus> withRunWindow = eliminationWith(*table, 1.0F);
  eliminateNeighbours(*table);
  EXPECT_EQ(table->status, withRunWindow);
}

TEST(EliminateNeighbours, ChangesOnlyStatus) {
  const EliminationCase c{"", 3, 1.0F, {1.0F, 1.5F, 9.0F, 9.2F}, {1.0F, 0.1F, 0.5F, 0.5F}, {}};
  auto table = makeTable(c);
  table->sigma[1] = 0.75F;
  table->h[2] = 4;
  eliminateNeighbours(*table);
  for (std::size_t i = 0; i < c.positions.size(); ++i) {
    EXPECT_EQ(table->twoTheta[i], c.positions[i]);
    EXPECT_EQ(table->peakWidth[i], c.widths[i]);
    EXPECT_EQ(table->amplitude[i], amplitude);
  }
  EXPECT_EQ(table->sigma[1], 0.75F);
  EXPECT_EQ(table->h[2], 4);
}

}  // namespace
}  // namespace kestran
