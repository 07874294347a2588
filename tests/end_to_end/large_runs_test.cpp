// Runs above the classic 40000 reflections (--max-reflections), checked
// against classic runs on parts of the same file. A file whose first part
// lies wholly below its second part in angle, with a gap wider than the
// window, orders and eliminates each part on its own (rows of a higher angle
// placed after every lower one never move a lower one, nor the reverse).
// With the same largest amplitude in both parts the scaling is the same, so
// the whole run writes exactly the first part's records, then the second's.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "../test_support.hpp"
#include "run_program.hpp"

namespace kestran::testing {
namespace {

namespace fs = std::filesystem;

struct Flavour {
  const char* name;
  int code;
  const char* suffix;
  const char* window;  // D on the count line (FULLPROF) or DELTA given
  bool endRecord;      // the F and I files end with a 0 0 0 record
};

const Flavour flavours[] = {
    {"fullprof2", 1, ".dat", "0.01", true},
    {"fullprof4", 4, ".dat", "0.01", false},
    {"expo", 3, ".hkl", "1.0", true},
    {"sirpow", 2, ".hkl", "1.0", true},
};

struct Row {
  int h, k, l;
  double twoTheta;  // SIRPOW only
  double amplitude;
};

// The low-angle (0) or high-angle (1) half of the whole: `count` (at most
// 25000) rows in a scrambled order with many exact ties (the cubic cell's
// equal h^2 + k^2 + l^2), and one strongest row of amplitude 4000 alone at
// the half's top angle.
std::vector<Row> partRows(int part, int count) {
  std::vector<Row> rows;
  for (int i = 0; i < count - 1; ++i) {
    const int j = static_cast<int>((static_cast<long long>(i) * 7919) % (count - 1));
    const double amplitude = 1.25 + (j * 37) % 997;
    // h from 1: a row 0 0 0 is no reflection and is never written.
    rows.push_back({j % 30 + 1, (j / 30) % 30, (part == 0 ? 0 : 60) + j / 900,
                    (part == 0 ? 5.0 : 40.0) + (j % 997) * 0.01, amplitude});
  }
  // Above every row of its half (h^2 + k^2 + l^2 at most 2470 and 9310).
  rows.push_back({0, 0, part == 0 ? 50 : 100, part == 0 ? 30.0 : 80.0, 4000.0});
  return rows;
}

std::string entryText(const Flavour& flavour, const std::vector<Row>& rows, const std::string& window) {
  std::string text;
  char line[128];
  const char* cell = "100 100 100 90 90 90 1.0\n";
  switch (flavour.code) {
    case 2:
      text = "SIRPOW\nlarge run\n";
      for (const Row& r : rows) {
        std::snprintf(line, sizeof line, "%d %d %d 1 0.5 %.4f 0.6 %.3f 2.0\n", r.h, r.k, r.l, r.twoTheta,
                      r.amplitude * r.amplitude);
        text += line;
      }
      return text;
    case 3:
      text = std::string("EXPO\n") + cell;
      for (const Row& r : rows) {
        std::snprintf(line, sizeof line, "%d %d %d 0.004 %.2f\n", r.h, r.k, r.l, r.amplitude);
        text += line;
      }
      return text;
    default:
      text = std::string(cell) + std::to_string(rows.size()) + " " + window + "\n";
      for (const Row& r : rows) {
        if (flavour.code == 4) {
          std::snprintf(line, sizeof line, "%4d%4d%4d%10.4f%10.4f%10.4f\n", r.h, r.k, r.l, r.amplitude,
                        r.amplitude / 50, 0.25);
        } else {
          std::snprintf(line, sizeof line, "%4d%4d%4d%8.2f%8.3f%4d\n", r.h, r.k, r.l, r.amplitude, 1.5, 3);
        }
        text += line;
      }
      return text;
  }
}

struct Outputs {
  ProcessResult result;
  std::string famp, fint, intensity;
};

// A run with the flavour's window, or `window` (D or DELTA) when given.
Outputs run(const Flavour& flavour, const std::vector<Row>& rows, const std::vector<std::string>& extra = {},
            const std::string& window = {}) {
  const std::string used = window.empty() ? flavour.window : window;
  TempDir dir;
  writeFile(dir.file(std::string("big") + flavour.suffix), entryText(flavour, rows, used));
  std::vector<std::string> arguments = {"--code", std::to_string(flavour.code), "--no-pause"};
  if (flavour.code == 2 || flavour.code == 3) {
    arguments.insert(arguments.end(), {"--delta", used});
  }
  arguments.insert(arguments.end(), extra.begin(), extra.end());
  // The base name typed at the console: a dialogue run, with its count lines.
  writeFile(dir.file("answers"), "big\n");
  Outputs out;
  out.result = runKestran(dir.path().string(), dir.file("answers"), arguments);
  out.famp = readFile(dir.file("bigF.hkl"));
  out.fint = readFile(dir.file("bigI.hkl"));
  out.intensity = readFile(dir.file("big.int"));
  return out;
}

std::string withoutLastLine(const std::string& text) {
  const std::size_t end = text.rfind('\n', text.size() - 2);
  return text.substr(0, end == std::string::npos ? 0 : end + 1);
}

std::size_t lineCount(const std::string& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

void PrintTo(const Flavour& flavour, std::ostream* out) { *out << flavour.name; }

class LargeRuns : public ::testing::TestWithParam<Flavour> {};

// With a window of 0 every row is written, so the files show the whole
// order, ties included; with the flavour's window most tied rows go and the
// elimination is compared as well.
TEST_P(LargeRuns, FiftyThousandRowsWriteWhatTheirTwoPartsWrite) {
  const Flavour& flavour = GetParam();
  const std::vector<Row> low = partRows(0, 25000);
  const std::vector<Row> high = partRows(1, 25000);
  std::vector<Row> whole = low;
  whole.insert(whole.end(), high.begin(), high.end());

  for (const std::string window : {"0", ""}) {
    SCOPED_TRACE(window.empty() ? "the flavour's window" : "window 0");
    const Outputs first = run(flavour, low, {}, window);
    const Outputs second = run(flavour, high, {}, window);
    const Outputs all = run(flavour, whole, {"--max-reflections", "50000"}, window);
    ASSERT_EQ(all.result.status, 0) << all.result.errors;
    ASSERT_EQ(first.result.status, 0) << first.result.errors;
    ASSERT_EQ(second.result.status, 0) << second.result.errors;
    if (window == "0") {
      ASSERT_EQ(lineCount(first.intensity), 25000U);
      ASSERT_EQ(lineCount(second.intensity), 25000U);
    } else {  // both halves keep some rows and remove others
      ASSERT_GT(lineCount(first.intensity), 10U);
      ASSERT_GT(lineCount(second.intensity), 10U);
      ASSERT_LT(lineCount(first.intensity), 24000U);
    }
    const auto joined = [&](const std::string& a, const std::string& b) {
      return flavour.endRecord ? withoutLastLine(a) + b : a + b;
    };
    EXPECT_EQ(all.famp, joined(first.famp, second.famp));
    EXPECT_EQ(all.fint, joined(first.fint, second.fint));
    EXPECT_EQ(all.intensity, first.intensity + second.intensity);
    EXPECT_NE(all.result.console.find("  Number of HKL = 50000\n"), std::string::npos) << all.result.console;
    EXPECT_EQ(all.result.console.find("truncated"), std::string::npos);
  }
}

// --max-reflections N cuts the same file at N, as a file of its first N rows
// reads whole, and the truncation line names N.
TEST_P(LargeRuns, MaxReflectionsCutsAtN) {
  const Flavour& flavour = GetParam();
  std::vector<Row> whole = partRows(0, 25000);
  const std::vector<Row> high = partRows(1, 25000);
  whole.insert(whole.end(), high.begin(), high.end());
  const std::vector<Row> firstRows(whole.begin(), whole.begin() + 42000);

  const Outputs cut = run(flavour, whole, {"--max-reflections", "42000"});
  const Outputs same = run(flavour, firstRows, {"--max-reflections", "42000"});
  ASSERT_EQ(cut.result.status, 0) << cut.result.errors;
  ASSERT_EQ(same.result.status, 0) << same.result.errors;
  EXPECT_NE(cut.result.console.find("  Your data will be truncated at 42000 hkl\n"), std::string::npos)
      << cut.result.console;
  EXPECT_EQ(same.result.console.find("truncated"), std::string::npos);
  EXPECT_EQ(cut.famp, same.famp);
  EXPECT_EQ(cut.fint, same.fint);
  EXPECT_EQ(cut.intensity, same.intensity);
}

// A capacity below the classic one cuts every flavour the same way.
class SmallCapacity : public ::testing::TestWithParam<Flavour> {};

TEST_P(SmallCapacity, MaxReflectionsCutsAtN) {
  const Flavour& flavour = GetParam();
  const std::vector<Row> rows = partRows(0, 5000);
  const std::vector<Row> firstRows(rows.begin(), rows.begin() + 2500);
  const Outputs cut = run(flavour, rows, {"--max-reflections", "2500"});
  const Outputs same = run(flavour, firstRows);
  ASSERT_EQ(cut.result.status, 0) << cut.result.errors;
  ASSERT_EQ(same.result.status, 0) << same.result.errors;
  EXPECT_NE(cut.result.console.find("  Your data will be truncated at  2500 hkl\n"), std::string::npos)
      << cut.result.console;
  EXPECT_GT(lineCount(same.intensity), 10U);
  EXPECT_EQ(cut.famp, same.famp);
  EXPECT_EQ(cut.fint, same.fint);
  EXPECT_EQ(cut.intensity, same.intensity);
}

INSTANTIATE_TEST_SUITE_P(Flavours, SmallCapacity, ::testing::ValuesIn(flavours),
                         [](const ::testing::TestParamInfo<Flavour>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(Flavours, LargeRuns, ::testing::ValuesIn(flavours),
                         [](const ::testing::TestParamInfo<Flavour>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestran::testing
