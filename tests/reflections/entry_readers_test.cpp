#include "reflections/entry_readers.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>

#include "../support/run_reports.hpp"
#include "driver/console_events.hpp"
#include "reflections/cell_geometry.hpp"
#include "text/run_error.hpp"

namespace kestran {
namespace {

constexpr int fullprof2 = 1;
constexpr int sirpow = 2;
constexpr int expo = 3;
constexpr int fullprof4 = 4;

constexpr const char* entryName = "abc.dat";
constexpr const char* cubicCellLine = "10 10 10 90 90 90 1.5406\n";
constexpr const char* truncationLine = "  Your data will be truncated at 40000 hkl\n";
constexpr float cubicFirstShell = 0.0059336214F;  // s of (1,0,0) in the cubic cell

struct ReadResult {
  std::unique_ptr<ReflectionTable> table;
  int n = 0;
  std::string console;
  std::string diagnostics;
  std::string noReflection;  // the report of a file that gave no reflection
};

// Reads `text` as the entry file of `code` into a fresh table whose DELTA
// holds `presetDelta` (the dialogue may have stored it before the read).
ReadResult readText(int code, const std::string& text, float presetDelta = 0, int capacity = defaultCapacity) {
  ReadResult result;
  result.table = std::make_unique<ReflectionTable>();
  result.table->inputCode = code;
  result.table->widthFactor = presetDelta;
  result.table->capacity = capacity;
  std::istringstream in(text);
  // As the program reads an entry file: in blocks (small ones here, so that
  // lines cross the blocks' ends).
  LineReader entry(in, unit::entry, entryName, LineReader::Reading::InBlocks, 100);
  std::ostringstream console;
  std::ostringstream diagnostics;
  ConsoleEvents events(&console, diagnostics, [] { return 0.0F; }, {widensCounts(*result.table), false, {}});
  try {
    result.n = readEntryFile(*result.table, entry, events);
  } catch (const RunError& error) {
    if (kindOf(error) != report::noReflection) {
      throw;
    }
    result.noReflection = error.report();
  }
  result.console = console.str();
  result.diagnostics = diagnostics.str();
  return result;
}

RunError readFailure(int code, const std::string& text) {
  try {
    (void)readText(code, text);
  } catch (const RunError& error) {
    return error;
  }
  ADD_FAILURE() << "the read did not fail";
  return RunError("no failure");
}

// Every column a reader may fill, for one row.
struct Row {
  int h, k, l;
  float amplitude, sigma, peakWidth, thirdValue;
};

void expectRow(const ReflectionTable& t, int index, const Row& row) {
  SCOPED_TRACE("row " + std::to_string(index + 1));
  EXPECT_EQ(t.h[index], row.h);
  EXPECT_EQ(t.k[index], row.k);
  EXPECT_EQ(t.l[index], row.l);
  EXPECT_EQ(t.amplitude[index], row.amplitude);
  EXPECT_EQ(t.sigma[index], row.sigma);
  EXPECT_EQ(t.peakWidth[index], row.peakWidth);
  EXPECT_EQ(t.thirdValue[index], row.thirdValue);
  EXPECT_EQ(t.fileRow[index], 0);
}

float cubicPosition(int h, int k, int l) {
  return sinSquaredTheta(prepareReciprocalCell({10, 10, 10, 90, 90, 90, 1.5406F}), h, k, l);
}

std::string layoutALine(int h, int k, int l, double fobs, double sigf, int flag) {
  char line[64];
  std::snprintf(line, sizeof line, "%4d%4d%4d%8.2f%8.3f%4d\n", h, k, l, fobs, sigf, flag);
  return line;
}

std::string fullprofFile(const std::string& countLine, int lines) {
  std::string text = std::string(cubicCellLine) + countLine;
  for (int i = 0; i < lines; ++i) {
    text += layoutALine(i % 5, i % 3, i % 7, i % 1000 + 0.25, 0.5, i % 9);
  }
  return text;
}

std::string expoReflections(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += std::to_string(i % 5) + " " + std::to_string(i % 3) + " " + std::to_string(i % 7) + " 0.1 " +
            std::to_string(i % 1000) + ".5\n";
  }
  return text;
}

std::string sirpowReflections(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += std::to_string(i % 5) + " 1 2 7 0.5 " + std::to_string(i % 150) + ".25 0.08 400.0 6.0\n";
  }
  return text;
}

// ---------------------------------------------------------------- FULLPROF

TEST(EntryReaderFullprof, LayoutAFillsItsColumnsAndPositions) {
  const std::string text = std::string(cubicCellLine) + "2 0.15\n" +
                           "   1   0   0  123.45   1.234   1  12.3456  -0.1234   7          88.888\n"
                           "   0   2  -1    1234    5678  -3\n";
  const ReadResult r = readText(fullprof2, text);
  const ReflectionTable& t = *r.table;
  ASSERT_EQ(r.n, 2);
  EXPECT_EQ(t.rows, 2);
  EXPECT_EQ(t.announcedCount, 2);
  EXPECT_EQ(t.fixedWindow, 0.15F);
  EXPECT_EQ(t.cell.a, 10.0F);
  EXPECT_EQ(t.cell.gamma, 90.0F);
  EXPECT_EQ(t.cell.wavelength, 1.5406F);

  expectRow(t, 0, {1, 0, 0, 123.45F, 1.234F, 0, 0});
  expectRow(t, 1, {0, 2, -1, 12.34F, 5.678F, 0, 0});  // no point: the last digits are the fraction
  EXPECT_EQ(t.sinSquaredTheta[0], cubicFirstShell);
  EXPECT_EQ(t.sinSquaredTheta[1], cubicPosition(0, 2, -1));
  EXPECT_EQ(r.console, "");
}

TEST(EntryReaderFullprof, LayoutBFillsItsColumnsAndLeavesFlag) {
  const std::string text = std::string(cubicCellLine) + "2 0.2\n" +
                           "   1   1   0  987.6543    1.2345   -0.0500\n"
                           "  -2   0   3     12345\n";  // short line: the rest reads as zero
  const ReadResult r = readText(fullprof4, text);
  const ReflectionTable& t = *r.table;
  ASSERT_EQ(r.n, 2);
  expectRow(t, 0, {1, 1, 0, 987.6543F, 1.2345F, 0, -0.05F});
  expectRow(t, 1, {-2, 0, 3, 1.2345F, 0, 0, 0});
  EXPECT_EQ(t.sinSquaredTheta[0], 0.011867243F);
  EXPECT_EQ(t.sinSquaredTheta[1], cubicPosition(-2, 0, 3));
}

struct CountCase {
  const char* name;
  const char* countLine;
  int linesInFile;
  int expectedN;
  int expectedRows;
  bool truncated;
};

void PrintTo(const CountCase& c, std::ostream* out) { *out << c.name; }

class EntryReaderCountLine : public ::testing::TestWithParam<CountCase> {};

TEST_P(EntryReaderCountLine, ReadsExactlyTheCountedLines) {
  const CountCase& c = GetParam();
  const ReadResult r = readText(fullprof2, fullprofFile(c.countLine, c.linesInFile));
  const ReflectionTable& t = *r.table;
  EXPECT_EQ(r.n, c.expectedRows);
  EXPECT_EQ(t.rows, c.expectedRows);
  EXPECT_EQ(t.announcedCount, c.expectedN);
  const std::string countLine(c.countLine, std::string_view(c.countLine).find('\n'));
  const std::string noReflectionLine = "  Warning: no reflection read: the count " + std::to_string(c.expectedN) +
                                       " was taken from line 2: \"" + countLine + "\"\n";
  EXPECT_EQ(r.console, c.truncated ? truncationLine : c.expectedRows == 0 ? noReflectionLine : "");
  if (c.expectedRows > 0) {
    const int last = c.expectedRows - 1;
    EXPECT_EQ(t.h[last], last % 5);
    EXPECT_EQ(t.l[last], last % 7);
    EXPECT_EQ(t.amplitude[last], static_cast<float>(last % 1000 + 0.25));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Counts, EntryReaderCountLine,
    ::testing::Values(
        CountCase{"threeOfFive", "3 0.1\n", 5, 3, 3, false}, CountCase{"zeroReadsNothing", "0 0.1\n", 2, 0, 0, false},
        CountCase{"zeroWithEmptyList", "0 0.1\n", 0, 0, 0, false},
        CountCase{"negativeReadsNothing", "-4 0.1\n", 2, -4, 0, false},
        CountCase{"capacityExactly", "40000 0.1\n", defaultCapacity, defaultCapacity, defaultCapacity, false},
        CountCase{"oneAboveCapacity", "40001 0.1\n", defaultCapacity, defaultCapacity, defaultCapacity, true},
        CountCase{"farAboveCapacity", "123456 0.1\n", defaultCapacity + 3, defaultCapacity, defaultCapacity, true}),
    [](const ::testing::TestParamInfo<CountCase>& info) { return std::string(info.param.name); });

// A cell line without its wavelength takes the count line's first number as
// the wavelength and the count from the first reflection line.
// A cell line without its wavelength would take the count as the
// wavelength and the first reflection line as the count line: it stops at
// the cell line, naming the line the wavelength would come from.
TEST(EntryReaderFullprof, CellLineWithoutItsWavelengthStops) {
  const std::string text =
      "10 10 10 90 90 90\n2 0.1\n" + layoutALine(0, 0, 2, 5.0, 0.5, 1) + layoutALine(1, 0, 0, 5.0, 0.5, 1);
  const RunError error = readFailure(fullprof2, text);
  EXPECT_EQ(std::string(error.what()),
            "abc.dat:1: error: the cell line holds 6 values and takes its wavelength from line 2 \"2 0.1\", whose "
            "other values are then dropped: the wavelength is missing; expected a b c alpha beta gamma wavelength: "
            "add the wavelength to line 1");
}

TEST(EntryReaderFreeForm, NoCompleteReflectionIsShown) {
  EXPECT_EQ(readText(expo, std::string("h\n") + cubicCellLine + "1 0 0\n").console,
            "  Warning: no reflection read: no complete reflection after line 2\n");
  const ReadResult r = readText(sirpow, "a\nb\n");
  EXPECT_EQ(r.console, "  Warning: no reflection read: no complete reflection after line 2\n");
  EXPECT_EQ(r.noReflection,
            "no reflection read, unit 21, file abc.dat, line 2: no complete reflection after line 2; expected the "
            "reflections to the end of the file");
}

TEST(EntryReaderFullprof, LinesAfterTheCountAreNeverLooked) {
  const std::string text = fullprofFile("2 0.1\n", 2) + "this is not a reflection\n";
  EXPECT_EQ(readText(fullprof2, text).n, 2);
}

TEST(EntryReaderFullprof, CellAndCountOverSeveralLinesAndRestOfLineDropped) {
  const std::string text =
      "10, 10\n10 90\n90 90 1.5406 these words are dropped\n1\n0.3 ignored\n" + layoutALine(0, 0, 1, 5.0, 0.5, 2);
  const ReadResult r = readText(fullprof2, text);
  EXPECT_EQ(r.n, 1);
  EXPECT_EQ(r.table->fixedWindow, 0.3F);
  EXPECT_EQ(r.table->cell.c, 10.0F);
  EXPECT_EQ(r.table->cell.wavelength, 1.5406F);
  EXPECT_EQ(r.table->sinSquaredTheta[0], cubicFirstShell);
}

TEST(EntryReaderFullprof, CrLfLinesReadLikeLfLines) {
  const std::string text =
      "10 10 10 90 90 90 1.5406\r\n1 0.1\r\n"
      "   1   0   0   12.3456\r\n";
  const ReadResult r = readText(fullprof4, text);
  ASSERT_EQ(r.n, 1);
  EXPECT_EQ(r.table->amplitude[0], 12.3456F);
  EXPECT_EQ(r.table->sigma[0], 0.0F);
  EXPECT_EQ(r.table->sinSquaredTheta[0], cubicFirstShell);
}

// --------------------------------------------------------------------- EXPO

TEST(EntryReaderExpo, FillsItsColumnsAndStopsAtPartialReflection) {
  const std::string text =
      "EXPO header line\n"
      "10 10\n10 90 90\n90 1.5406\n"  // a cell over several lines
      "1 0 0 0.12 45.6\n"
      "0 1\n 1 0.2 33.0\n"  // a reflection over two lines
      "2,0,0,0.3,7 trailing values 9 9\n"
      "1 1 1\n";  // the file ends inside this one
  const ReadResult r = readText(expo, text, 2.5F);
  const ReflectionTable& t = *r.table;
  ASSERT_EQ(r.n, 3);
  EXPECT_EQ(t.rows, 3);
  EXPECT_EQ(t.announcedCount, defaultCapacity);
  EXPECT_EQ(t.widthFactor, 2.5F) << "DELTA is not the reader's";
  EXPECT_EQ(t.cell.beta, 90.0F);
  EXPECT_EQ(t.cell.wavelength, 1.5406F);

  expectRow(t, 0, {1, 0, 0, 45.6F, 0, 0.12F, 0});
  expectRow(t, 1, {0, 1, 1, 33.0F, 0, 0.2F, 0});
  expectRow(t, 2, {2, 0, 0, 7.0F, 0, 0.3F, 0});
  EXPECT_EQ(t.sinSquaredTheta[0], cubicFirstShell);
  EXPECT_EQ(t.sinSquaredTheta[1], cubicPosition(0, 1, 1));
  EXPECT_EQ(t.sinSquaredTheta[2], cubicPosition(2, 0, 0));
  EXPECT_EQ(t.sinSquaredTheta.size(), 3U) << "the partial reflection kept its row";
  EXPECT_EQ(r.console, "");
}

TEST(EntryReaderExpo, NoReflectionsGiveAnEmptyList) {
  EXPECT_EQ(readText(expo, std::string("header\n") + cubicCellLine).n, 0);
  EXPECT_EQ(readText(expo, std::string("header\n") + cubicCellLine + "\n  \n").n, 0);
}

TEST(EntryReaderExpo, NullsRepeatsAndSlashLeaveOrFillValues) {
  const std::string text = std::string("header\n") + cubicCellLine +
                           "1,,3 0.5 7.0\n"    // k is null: keeps the fresh zero
                           "2 0 0 2*0.25\n"    // width and amplitude both 0.25
                           "0 0 1 /\n"         // width and amplitude unchanged
                           "3*1 0.5,\n9.5\n";  // a comma ending a line is one separator
  const ReadResult r = readText(expo, text);
  const ReflectionTable& t = *r.table;
  ASSERT_EQ(r.n, 4);
  expectRow(t, 0, {1, 0, 3, 7.0F, 0, 0.5F, 0});
  expectRow(t, 1, {2, 0, 0, 0.25F, 0, 0.25F, 0});
  expectRow(t, 2, {0, 0, 1, 0, 0, 0, 0});
  expectRow(t, 3, {1, 1, 1, 9.5F, 0, 0.5F, 0});
}

TEST(EntryReaderExpo, CrLfLinesReadLikeLfLines) {
  const ReadResult r = readText(expo, "header\r\n10 10 10 90 90 90 1.5406\r\n1 0 0 0.12 45.6\r\n");
  ASSERT_EQ(r.n, 1);
  EXPECT_EQ(r.table->amplitude[0], 45.6F);
  EXPECT_EQ(r.table->sinSquaredTheta[0], cubicFirstShell);
}

// ------------------------------------------------------------------- SIRPOW

TEST(EntryReaderSirpow, SquareRootAndHalf) {
  const std::string text =
      "title\nsecond header\n"
      "1 2 3 7 0.5 12.5 0.08 400.0 6.0\n"
      "-1 0 4 1 1.0\n 33.25 0.1 2.0 0.3\n"  // over two lines
      "2 2 2 1 1.0 40.0 0.2 -400.0 6.0\n"   // negative intensity
      "0 0 1 1 1.0 41.0\n";                 // the file ends inside this one
  const ReadResult r = readText(sirpow, text, 1.5F);
  const ReflectionTable& t = *r.table;
  ASSERT_EQ(r.n, 3);
  EXPECT_EQ(t.rows, 3);
  EXPECT_EQ(t.widthFactor, 1.5F);
  EXPECT_EQ(t.announcedCount, 0);
  EXPECT_EQ(t.cell.a, 0.0F);

  expectRow(t, 0, {1, 2, 3, 20.0F, 3.0F, 0.08F, 0});
  expectRow(t, 1, {-1, 0, 4, 1.4142135F, 0.15F, 0.1F, 0});  // sqrt(2) rounded to single
  expectRow(t, 2, {2, 2, 2, 0.0F, 3.0F, 0.2F, 0});          // a negative intensity: amplitude zero
  EXPECT_FALSE(std::signbit(t.amplitude[2]));
  EXPECT_EQ(t.twoTheta[0], 12.5F);
  EXPECT_EQ(t.twoTheta[1], 33.25F);
  EXPECT_EQ(t.twoTheta[2], 40.0F);
  EXPECT_EQ(r.console, "");
}

TEST(EntryReaderSirpow, NullIntensityGivesZeroAmplitude) {
  const ReadResult r = readText(sirpow, "a\nb\n1 1 1 1 1.0 20.0 0.1,,5.0\n");
  ASSERT_EQ(r.n, 1);
  EXPECT_EQ(r.table->amplitude[0], 0.0F);
  EXPECT_EQ(r.table->sigma[0], 2.5F);
}

TEST(EntryReaderSirpow, NoReflectionsGiveAnEmptyList) {
  EXPECT_EQ(readText(sirpow, "a\nb\n").n, 0);
  EXPECT_EQ(readText(sirpow, "a\r\nb\r\n\r\n").n, 0);
}

// ------------------------------------------- EXPO and SIRPOW above capacity

struct OverflowCase {
  const char* name;
  int code;
  const char* after;  // text after the 40000th reflection
  bool truncated;
};

void PrintTo(const OverflowCase& c, std::ostream* out) { *out << c.name; }

class EntryReaderOverCapacity : public ::testing::TestWithParam<OverflowCase> {};

TEST_P(EntryReaderOverCapacity, WarnsOnlyWhenSomethingIsLeft) {
  const OverflowCase& c = GetParam();
  const std::string head = c.code == expo ? std::string("header\n") + cubicCellLine : "a\nb\n";
  const std::string body = c.code == expo ? expoReflections(defaultCapacity) : sirpowReflections(defaultCapacity);
  const ReadResult r = readText(c.code, head + body + c.after);
  EXPECT_EQ(r.n, defaultCapacity);
  EXPECT_EQ(r.console, c.truncated ? truncationLine : "");
  const int last = defaultCapacity - 1;
  EXPECT_EQ(r.table->h[last], last % 5);
}

INSTANTIATE_TEST_SUITE_P(
    Ends, EntryReaderOverCapacity,
    ::testing::Values(OverflowCase{"expoNothingMore", expo, "", false},
                      OverflowCase{"expoBlankLines", expo, "\n   \n\t \r\n\n", false},
                      OverflowCase{"expoOneMore", expo, "1 0 0 0.1 2.0\n", true},
                      OverflowCase{"expoTextAfterBlanks", expo, "  \n\n  x", true},
                      OverflowCase{"expoGarbageAfter", expo, "\n????\n", true},
                      OverflowCase{"sirpowNothingMore", sirpow, "", false},
                      OverflowCase{"sirpowBlankLines", sirpow, " \t\n\n", false},
                      OverflowCase{"sirpowOneMore", sirpow, "1 1 1 1 1.0 20.0 0.1 4.0 2.0\n", true},
                      OverflowCase{"sirpowPartOfOneMore", sirpow, "\n1 1\n", true}),
    [](const ::testing::TestParamInfo<OverflowCase>& info) { return std::string(info.param.name); });

// ------------------------------------------------- a capacity of the run's

struct CapacityCase {
  const char* name;
  int code;
  int capacity;
  int rowsInFile;
  const char* truncation;  // the console line, empty when nothing is cut
};

void PrintTo(const CapacityCase& c, std::ostream* out) { *out << c.name; }

class EntryReaderCapacity : public ::testing::TestWithParam<CapacityCase> {};

std::string entryWithRows(int code, int rows) {
  switch (code) {
    case expo:
      return std::string("header\n") + cubicCellLine + expoReflections(rows);
    case sirpow:
      return "a\nb\n" + sirpowReflections(rows);
    case fullprof4: {
      std::string text = std::string(cubicCellLine) + std::to_string(rows) + " 0.1\n";
      for (int i = 0; i < rows; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "%4d%4d%4d%10.4f%10.4f%10.4f\n", i % 5, i % 3, i % 7, i % 1000 + 0.25, 0.5,
                      0.125);
        text += line;
      }
      return text;
    }
    default:
      return fullprofFile(std::to_string(rows) + " 0.1\n", rows);
  }
}

// The table takes the run's capacity: rows beyond it are cut, the
// truncation line names it, and the rows kept are the file's first ones.
TEST_P(EntryReaderCapacity, CutsAtTheCapacityAndSaysSo) {
  const CapacityCase& c = GetParam();
  const ReadResult cut = readText(c.code, entryWithRows(c.code, c.rowsInFile), 0, c.capacity);
  const int kept = std::min(c.capacity, c.rowsInFile);
  ASSERT_EQ(cut.n, kept);
  EXPECT_EQ(cut.console, c.truncation);
  const ReadResult whole = readText(c.code, entryWithRows(c.code, kept), 0, kept);
  ASSERT_EQ(whole.n, kept);
  EXPECT_EQ(whole.console, "");
  for (int i = 0; i < kept; ++i) {
    ASSERT_EQ(cut.table->h[i], whole.table->h[i]) << i;
    ASSERT_EQ(cut.table->l[i], whole.table->l[i]) << i;
    ASSERT_EQ(cut.table->amplitude[i], whole.table->amplitude[i]) << i;
    ASSERT_EQ(cut.table->twoTheta[i], whole.table->twoTheta[i]) << i;
    ASSERT_EQ(cut.table->sinSquaredTheta[i], whole.table->sinSquaredTheta[i]) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Capacities, EntryReaderCapacity,
    ::testing::Values(
        CapacityCase{"fullprof2Three", fullprof2, 3, 5, "  Your data will be truncated at     3 hkl\n"},
        CapacityCase{"fullprof4Three", fullprof4, 3, 5, "  Your data will be truncated at     3 hkl\n"},
        CapacityCase{"expoThree", expo, 3, 5, "  Your data will be truncated at     3 hkl\n"},
        CapacityCase{"sirpowThree", sirpow, 3, 5, "  Your data will be truncated at     3 hkl\n"},
        CapacityCase{"expoOneIsEnough", expo, 1, 1, ""}, CapacityCase{"sirpowAboveTheFile", sirpow, 7, 5, ""},
        CapacityCase{"fullprof2AboveClassic", fullprof2, 45000, 45001, "  Your data will be truncated at 45000 hkl\n"},
        CapacityCase{"expoAboveClassic", expo, 50000, 50000, ""},
        CapacityCase{"sirpowWideCount", sirpow, 100000, 100001, "  Your data will be truncated at 100000 hkl\n"}),
    [](const ::testing::TestParamInfo<CapacityCase>& info) { return std::string(info.param.name); });

TEST(EntryReaderExpo, RestOfTheLastReflectionLineIsNotLeftData) {
  std::string body = expoReflections(defaultCapacity);
  body.insert(body.size() - 1, " 99 99");  // extra values on the 40000th line
  const ReadResult r = readText(expo, std::string("header\n") + cubicCellLine + body);
  EXPECT_EQ(r.n, defaultCapacity);
  EXPECT_EQ(r.console, "");
}

// ------------------------------------------------- positions with no angle

TEST(EntryReaderAngles, CountsReflectionsBeyondTheWavelength) {
  // In the cubic cell s(h,0,0) = 0.00593 h^2: h = 13 is beyond reach.
  const std::string text = std::string(cubicCellLine) + "4 0.1\n" + layoutALine(13, 0, 0, 1, 1, 0) +
                           layoutALine(1, 0, 0, 1, 1, 0) + layoutALine(0, 20, 0, 1, 1, 0) +
                           layoutALine(12, 0, 0, 1, 1, 0);
  const ReadResult r = readText(fullprof2, text);
  ASSERT_EQ(r.n, 4);
  int withoutAngle = 0;
  for (int i = 0; i < r.n; ++i) {
    withoutAngle += std::isnan(twoThetaDegrees(r.table->sinSquaredTheta[i])) ? 1 : 0;
  }
  EXPECT_EQ(withoutAngle, 2);
  EXPECT_EQ(r.console, "  Warning: 2 reflections have no real angle (sin^2(theta) above 1): check the wavelength\n");
}

TEST(EntryReaderAngles, OneReflectionBeyondReachInExpo) {
  const ReadResult r = readText(expo, std::string("h\n") + cubicCellLine + "1 0 0 0.1 2\n0 0 14 0.1 2\n");
  EXPECT_EQ(r.console, "  Warning: 1 reflection has no real angle (sin^2(theta) above 1): check the wavelength\n");
}

// ------------------------------------------------------------------- errors

struct ErrorCase {
  const char* name;
  int code;
  std::string text;
  std::string_view kind;
};

void PrintTo(const ErrorCase& c, std::ostream* out) { *out << c.name; }

class EntryReaderErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(EntryReaderErrors, StopWithReportOnTheEntryFile) {
  const ErrorCase& c = GetParam();
  const RunError error = readFailure(c.code, c.text);
  EXPECT_EQ(kindOf(error), c.kind);
  EXPECT_TRUE(concerns(error, unit::entry, entryName)) << error.report();
}

// A count far above the lines the file holds: the rows made ready follow the
// file, but the report still names the count the file announces.
TEST(EntryReaderFullprof, ShortFileReportsTheAnnouncedCount) {
  const RunError error = readFailure(fullprof2, fullprofFile("100000 0.1\n", 2));
  EXPECT_EQ(kindOf(error), report::endOfFile);
  EXPECT_NE(std::string(error.report()).find("the count line announces 40000 reflections, the file ends after 2"),
            std::string::npos)
      << error.report();
}

const std::string cellLine = cubicCellLine;

INSTANTIATE_TEST_SUITE_P(
    Cases, EntryReaderErrors,
    ::testing::Values(
        ErrorCase{"fullprofEmpty", fullprof2, "", report::endOfFile},
        ErrorCase{"fullprofShortCell", fullprof2, "10 10 10 90 90\n90\n", report::endOfFile},
        ErrorCase{"fullprofNoCountLine", fullprof4, cellLine, report::endOfFile},
        ErrorCase{"fullprofCountWithoutWindow", fullprof2, cellLine + "3\n", report::endOfFile},
        ErrorCase{"fullprofTooFewLines", fullprof2, fullprofFile("3 0.1\n", 2), report::endOfFile},
        ErrorCase{"fullprofTooFewLayoutB", fullprof4, cellLine + "2 0.1\n   1   0   0    1.0\n", report::endOfFile},
        ErrorCase{"layoutALetterInAmplitude", fullprof2, cellLine + "1 0.1\n   1   0   0  12x.45   1.234   1\n",
                  report::conversionError},
        ErrorCase{"layoutALetterInIndex", fullprof2, cellLine + "1 0.1\n   1   a   0  123.45\n",
                  report::conversionError},
        ErrorCase{"layoutATabInField", fullprof2, cellLine + "1 0.1\n   1   0\t0  123.45\n", report::conversionError},
        ErrorCase{"layoutASignInMiddle", fullprof2, cellLine + "1 0.1\n   1   0   0  12-3.4\n",
                  report::conversionError},
        ErrorCase{"layoutBTwoPoints", fullprof4, cellLine + "1 0.1\n   1   0   0    1.2.34\n", report::conversionError},
        ErrorCase{"cellNotANumber", fullprof2, "10 10 ten 90 90 90 1.54\n1 0.1\n", report::listSyntaxError},
        ErrorCase{"countWithPoint", fullprof2, cellLine + "3.0 0.1\n", report::listSyntaxError},
        ErrorCase{"expoEmpty", expo, "", report::endOfFile},
        ErrorCase{"expoNoCell", expo, "header\n", report::endOfFile},
        ErrorCase{"expoShortCell", expo, "header\n10 10 10\n90 90 90\n", report::endOfFile},
        ErrorCase{"expoCellNotANumber", expo, "header\n10 10 10 90 90 x 1.54\n", report::listSyntaxError},
        ErrorCase{"expoReflectionNotANumber", expo, "header\n" + cellLine + "1 0 0 0.1 4\n1 0 0 w 4\n",
                  report::listSyntaxError},
        ErrorCase{"expoIndexWithPoint", expo, "header\n" + cellLine + "1 0 0.0 0.1 4\n", report::listSyntaxError},
        ErrorCase{"sirpowEmpty", sirpow, "", report::endOfFile},
        ErrorCase{"sirpowOneSkipLine", sirpow, "only one line\n", report::endOfFile},
        ErrorCase{"sirpowDiscardedIntegerNotAnInteger", sirpow, "a\nb\n1 1 1 1.5 1.0 20.0 0.1 4.0 2.0\n",
                  report::listSyntaxError},
        ErrorCase{"sirpowDiscardedRealNotANumber", sirpow, "a\nb\n1 1 1 1 x 20.0 0.1 4.0 2.0\n",
                  report::listSyntaxError},
        ErrorCase{"impossibleAngles", fullprof2, "5 5 5 10 10 170 1.54\n1 0.1\n" + layoutALine(1, 0, 0, 1, 1, 0),
                  report::impossibleCell},
        ErrorCase{"zeroEdge", fullprof4, "5 0 5 90 90 90 1.54\n1 0.1\n", report::impossibleCell},
        ErrorCase{"nullEdges", fullprof2, ",,,90 90 90 1.54\n0 0.1\n", report::impossibleCell},
        ErrorCase{"negativeEdgeBeforeBadLine", fullprof2, "-5 5 5 90 90 90 1.54\n1 0.1\nnot a line\n",
                  report::impossibleCell},
        ErrorCase{"expoImpossibleCell", expo, "header\n5 5 5 100 100 170 1.54\n1 0 0 0.1 4\n", report::impossibleCell}),
    [](const ::testing::TestParamInfo<ErrorCase>& info) { return std::string(info.param.name); });

TEST(EntryReaderErrorText, NamesKindUnitAndFile) {
  const RunError error = readFailure(fullprof2, "5 5 5 10 10 170 1.54\n1 0.1\n");
  EXPECT_STREQ(error.what(),
               "impossible unit cell, unit 21, file abc.dat, line 1: a b c alpha beta gamma = 5 5 5 10 10 170: "
               "expected edges above 0 and angles that close a cell (each below the sum of the other two, all "
               "three below 360 degrees)");
}

}  // namespace
}  // namespace kestran
