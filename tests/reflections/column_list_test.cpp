// Column lists against hand-made files: what each description reads into
// the rows, and the faults of a row that stop the run.

#include "reflections/column_list.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "../support/quiet_events.hpp"
#include "reflections/cell_geometry.hpp"
#include "text/run_error.hpp"

namespace kestran {
namespace {

struct Setting {
  const char* columns;
  int skipLines = 0;
  float wavelength = 0;  // 0: none given
  bool cell = false;     // the cubic cell 10 10 10 90 90 90
  bool fileOrder = false;
};

// Reads `text` as the list described, ordered as the flavour says.
std::unique_ptr<ReflectionTable> readList(const Setting& setting, const std::string& text) {
  auto table = std::make_unique<ReflectionTable>();
  EXPECT_EQ(parseColumnList(setting.columns, table->columns), "") << setting.columns;
  table->columns.skipLines = setting.skipLines;
  if (setting.cell) {
    table->cell = {10, 10, 10, 90, 90, 90, 0};
  }
  table->cell.wavelength = setting.wavelength;
  std::string missing;
  EXPECT_TRUE(
      positionSourceOf(table->columns, setting.cell, setting.wavelength != 0, table->columns.positions, missing))
      << missing;
  table->listFlavour = describeListFlavour(table->columns, setting.wavelength != 0, setting.fileOrder);
  table->inputCode = table->listFlavour.code;
  std::istringstream in(text);
  LineReader entry(in, unit::entry, "list.txt", LineReader::Reading::InBlocks, 64);
  QuietEvents events(1.0F);
  readAndOrder(*table, entry, events);
  return table;
}

struct Row {
  int h, k, l;
  float amplitude, sigma, twoTheta;
};

struct ListCase {
  const char* name;
  Setting setting;
  const char* text;
  std::vector<Row> rows;  // in table order; a twoTheta of -1: not checked
};

// The expected values are worked by hand: sqrt(400) = 20, sigma(F) =
// sigma(I)/(2F) = 6/40; d = 2 at lambda 2 is sin^2(theta) = 1/4, 2theta 60.
const ListCase listCases[] = {
    {"AnglesIntensitiesHeaderCommentsBlanks",
     {"h,k,l,tt,fwhm,I,sigI", 1},
     "h k l 2theta fwhm I sigI\n# comment\n\n  1 0 0  10.5 0.05 400 6\n! another\n0,1,0,9.25,0.05,100,4\n",
     {{0, 1, 0, 10.0F, 0.2F, 9.25F}, {1, 0, 0, 20.0F, 0.15F, 10.5F}}},
    {"AnglesInFileOrder",
     {"h,k,l,tt,I", 0, 0, false, true},
     "1 0 0 10.5 400\n0 1 0 9.25 100\n",
     {{1, 0, 0, 20.0F, 0, 10.5F}, {0, 1, 0, 10.0F, 0, 9.25F}}},
    {"SkippedTextAndOwnSigma",
     {"skip,h,k,l,F,sigF,tt"},
     "A1 2 0 0 12.5 0.25 30\nB2 1 1 0 7.5 0.5 20\n",
     {{1, 1, 0, 7.5F, 0.5F, 20.0F}, {2, 0, 0, 12.5F, 0.25F, 30.0F}}},
    {"DSpacingsWithTheWavelength",
     {"h,k,l,F2,d", 0, 2.0F},
     "2 0 0 9 2\n1 0 0 16 4\n",
     {{1, 0, 0, 4.0F, 0, -1}, {2, 0, 0, 3.0F, 0, 60.0F}}},
    {"NegativeIntensityHasNoAmplitude", {"h,k,l,tt,F2,sigF2"}, "1 0 0 10 -25 4\n", {{1, 0, 0, 0.0F, 2.0F, 10.0F}}},
};

class ColumnListRead : public ::testing::TestWithParam<ListCase> {};

TEST_P(ColumnListRead, FillsTheRowsOfTheDescription) {
  const ListCase& c = GetParam();
  const auto table = readList(c.setting, c.text);
  ASSERT_EQ(table->rows, static_cast<int>(c.rows.size()));
  for (int i = 0; i < table->rows; ++i) {
    const Row& row = c.rows[static_cast<std::size_t>(i)];
    EXPECT_EQ(table->h[i], row.h) << i;
    EXPECT_EQ(table->k[i], row.k) << i;
    EXPECT_EQ(table->l[i], row.l) << i;
    EXPECT_FLOAT_EQ(table->amplitude[i], row.amplitude) << i;
    EXPECT_FLOAT_EQ(table->sigma[i], row.sigma) << i;
    if (row.twoTheta >= 0) {
      EXPECT_NEAR(table->twoTheta[i], row.twoTheta, 1e-4) << i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, ColumnListRead, ::testing::ValuesIn(listCases),
                         [](const auto& info) { return std::string(info.param.name); });

// From d, sin^2(theta) = lambda^2/(4 d^2), which d = 2 at lambda 2 makes
// exactly 1/4; from the cell, the rows get the cell's own sin^2(theta).
TEST(ColumnListPositions, DSpacingAndCellGiveTheCellRoad) {
  const auto fromD = readList({"h,k,l,F,d", 0, 2.0F}, "1 0 0 5 2\n");
  EXPECT_EQ(fromD->sinSquaredTheta[0], 0.25F);
  const auto fromCell = readList({"h,k,l,F", 0, 1.5406F, true}, "0 0 1 5\n1 0 0 5\n");
  const ReciprocalCell reciprocal = prepareReciprocalCell({10, 10, 10, 90, 90, 90, 1.5406F});
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(fromCell->sinSquaredTheta[i],
              sinSquaredTheta(reciprocal, fromCell->h[i], fromCell->k[i], fromCell->l[i]));
    EXPECT_EQ(fromCell->twoTheta[i], twoThetaDegrees(fromCell->sinSquaredTheta[i]));
  }
}

// A row that stops the run, and what the report says of it.
TEST(ColumnListRead, FaultsOfARowStopTheRun) {
  struct Fault {
    const char* text;
    const char* said;
  };
  const Fault faults[] = {
      {"1 0 0 10 400\n0 1 0 9\n", "line 2: \"0 1 0 9\": the row ends after 4 of the 5 values"},
      {"1 0 0 ten 400\n", "\"ten\": expected tt (2theta), a number"},
      {"1 0 0.5 10 400\n", "expected l, a whole number"},
      {"# only a comment\n", "no reflection read"},
  };
  for (const Fault& fault : faults) {
    try {
      (void)readList({"h,k,l,tt,I"}, fault.text);
      ADD_FAILURE() << "read: " << fault.text;
    } catch (const RunError& error) {
      EXPECT_NE(error.report().find(fault.said), std::string::npos) << error.report();
    }
  }
}

}  // namespace
}  // namespace kestran
