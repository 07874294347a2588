// The space group of a symbol as users write it, and what gemmi's tables
// give through it: multiplicities in the Laue class, worked by hand, and
// systematic absences.

#include "reflections/space_group.hpp"

#include <gtest/gtest.h>

#include <gemmi/symmetry.hpp>

#include "reflections/reflection_table.hpp"

namespace kestran {
namespace {

TEST(SpaceGroup, FoundByTheSymbolsUsersWrite) {
  struct Case {
    const char* symbol;
    double alpha, gamma;  // the cell's angles, 0 when unknown
    const char* name;     // nullptr: no such group
  };
  const Case cases[] = {
      {"P 21/c", 0, 0, "P 1 21/c 1"},
      {"P121/c1", 0, 0, "P 1 21/c 1"},
      {"P2_1/c", 0, 0, "P 1 21/c 1"},
      {" 14 ", 0, 0, "P 1 21/c 1"},
      {"P 1 21/n 1", 0, 0, "P 1 21/n 1"},
      {"Pbca", 0, 0, "P b c a"},
      {"p 21 21 21", 0, 0, "P 21 21 21"},
      {"R -3 m :H", 0, 0, "R -3 m:H"},
      {"R-3m", 0, 0, "R -3 m:H"},
      {"R -3", 70, 70, "R -3:R"},
      {"R -3", 90, 120, "R -3:H"},
      {"R -3 :H", 70, 70, "R -3:H"},
      {"Xyz", 0, 0, nullptr},
      {"0", 0, 0, nullptr},
      {"231", 0, 0, nullptr},
      {"14a", 0, 0, nullptr},
      {"", 0, 0, nullptr},
      {"P 21/q", 0, 0, nullptr},
  };
  for (const Case& c : cases) {
    const gemmi::SpaceGroup* group = findSpaceGroup(c.symbol, c.alpha, c.gamma);
    if (c.name == nullptr) {
      EXPECT_EQ(group, nullptr) << c.symbol;
    } else {
      ASSERT_NE(group, nullptr) << c.symbol;
      EXPECT_EQ(spaceGroupName(*group), c.name) << c.symbol;
    }
  }
}

// Hand values: the number of distinct h k l under the Laue class's
// operations (Friedel mates merged).
TEST(SpaceGroup, MultiplicityInTheLaueClass) {
  struct Case {
    const char* symbol;
    int h, k, l;
    int multiplicity;
  };
  const Case cases[] = {
      {"F m -3 m", 1, 2, 3, 48},  // m-3m general
      {"F m -3 m", 1, 1, 1, 8},    {"F m -3 m", 2, 0, 0, 6},  {"F m -3 m", 2, 2, 0, 12},  {"F m -3 m", 1, 1, 3, 24},
      {"P 1 2/m 1", 1, 2, 3, 4},                                                           // 2/m general
      {"P 1 2/m 1", 1, 0, 3, 2},                                                           // on the mirror
      {"P 1 2/m 1", 0, 2, 0, 2},                                                           // on the axis
      {"P 1 21/c 1", -1, 2, 3, 4}, {"C 1 2/c 1", 1, 1, 0, 4}, {"P 6/m m m", 1, 2, 3, 24},  // 6/mmm general
      {"P 6/m m m", 1, 0, 0, 6},   {"P 6/m m m", 1, 1, 0, 6}, {"P 6/m m m", 1, 0, 1, 12}, {"P 6/m m m", 0, 0, 2, 2},
      {"P 6/m m m", 1, 2, 0, 12},  {"R -3:R", 1, 2, 3, 6},  // -3, rhombohedral axes: general
      {"R -3:R", 1, 0, 0, 6},      {"R -3:R", 1, 1, 1, 2},    {"R -3:R", 1, -1, 0, 6},    {"R -3:H", 0, 0, 3, 2},
      {"R -3:H", 1, 0, 1, 6},      {"P -1", 1, 2, 3, 2},      {"P 1", 1, 2, 3, 2},
  };
  for (const Case& c : cases) {
    const gemmi::SpaceGroup* group = findSpaceGroup(c.symbol);
    ASSERT_NE(group, nullptr) << c.symbol;
    EXPECT_EQ(laueMultiplicity(*group, c.h, c.k, c.l), c.multiplicity)
        << c.symbol << " " << c.h << " " << c.k << " " << c.l;
  }
}

TEST(SpaceGroup, RowsGetTheGroupsMultiplicityAndAbsencesAreFound) {
  ReflectionTable table;
  table.inputCode = 2;  // SIRPOW: the file gives multiplicities
  table.resizeRows(6);
  const int rows[6][5] = {
      // h, k, l, the file's multiplicity, line
      {0, 0, 0, 1, 3},           // no reflection: neither compared nor absent
      {1, 0, 1, 2, 4},           // h0l, l odd: absent (c glide); m 2 as in the file
      {1, 2, 3, 2, 5},           // general: m 4, the file says 2
      {0, 3, 0, 2, 6},           // 0k0, k odd: absent (21 screw)
      {0, 2, 0, 1, 7},           // m 2, the file says 1
      {2000000001, 0, 1, 3, 8},  // beyond the operations' reach: m 1, neither compared nor absent
  };
  for (int row = 0; row < 6; ++row) {
    table.h[row] = rows[row][0];
    table.k[row] = rows[row][1];
    table.l[row] = rows[row][2];
    table.multiplicity[row] = rows[row][3];
    table.line[row] = rows[row][4];
  }
  const SymmetryFindings found = applySpaceGroup(table, *findSpaceGroup("P 1 21/c 1"));
  EXPECT_EQ(table.multiplicity, (std::vector<std::int32_t>{1, 2, 4, 2, 2, 1}));
  EXPECT_EQ(found.absentRows, 2);
  EXPECT_EQ(found.firstAbsent, 1);
  EXPECT_EQ(found.differingRows, 2);
  EXPECT_EQ(found.firstDiffering, 2);
  EXPECT_EQ(found.fileMultiplicity, 2);
}

}  // namespace
}  // namespace kestran
