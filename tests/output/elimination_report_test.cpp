#include "output/elimination_report.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "output/stick_plot.hpp"
#include "processing/elimination.hpp"
#include "processing/shells.hpp"

namespace kestran {
namespace {

// Four EXPO rows in 2theta order: the first two closer than DELTA x width,
// the third alone, the fourth marked removed in the input itself.
struct SmallRun {
  std::unique_ptr<ReflectionTable> table = std::make_unique<ReflectionTable>();
  SmallRun() {
    ReflectionTable& t = *table;
    t.inputCode = 3;
    t.widthFactor = 2.0F;
    t.resizeRows(4);
    const float pos[] = {10.0F, 10.1F, 20.0F, 30.0F};
    const float width[] = {0.1F, 0.1F, 0.2F, 0.3F};
    const float fobs[] = {100.0F, 50.0F, 80.0F, -1.0F};
    for (int i = 0; i < t.rows; ++i) {
      t.h[i] = i + 1;
      t.twoTheta[i] = pos[i];
      t.peakWidth[i] = width[i];
      t.amplitude[i] = fobs[i];
    }
    t.status[3] = RowStatus::RemovedInInput;
    eliminateNeighbours(t);
  }
};

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
  writeEliminationReport(out, rows);
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
  writeEliminationReport(out, describeElimination(*table));
  EXPECT_NE(out.str().find("\tkept\t7.7030\n"), std::string::npos) << out.str();
}

// Checks that every tag is closed in order, attributes are quoted and no bare
// ampersand or angle bracket stands in text: enough to be well-formed here.
bool isWellFormedXml(const std::string& text, std::string& problem) {
  std::vector<std::string> open;
  std::size_t pos = 0;
  while ((pos = text.find('<', pos)) != std::string::npos) {
    const std::size_t end = text.find('>', pos);
    if (end == std::string::npos) {
      problem = "unclosed tag";
      return false;
    }
    std::string tag = text.substr(pos + 1, end - pos - 1);
    pos = end + 1;
    if (tag.front() == '?') {
      continue;
    }
    if (std::count(tag.begin(), tag.end(), '"') % 2 != 0 || tag.find('<') != std::string::npos) {
      problem = "bad attributes in <" + tag + ">";
      return false;
    }
    const bool closing = tag.front() == '/';
    const bool selfClosing = tag.back() == '/';
    const std::string name = tag.substr(closing ? 1 : 0, tag.find_first_of(" /", 1) - (closing ? 1 : 0));
    if (closing) {
      if (open.empty() || open.back() != name) {
        problem = "mismatched </" + name + ">";
        return false;
      }
      open.pop_back();
    } else if (!selfClosing) {
      open.push_back(name);
    }
  }
  for (std::size_t amp = text.find('&'); amp != std::string::npos; amp = text.find('&', amp + 1)) {
    if (text.compare(amp, 5, "&amp;") != 0 && text.compare(amp, 4, "&lt;") != 0 && text.compare(amp, 4, "&gt;") != 0 &&
        text.compare(amp, 6, "&quot;") != 0) {
      problem = "bare ampersand";
      return false;
    }
  }
  if (!open.empty()) {
    problem = "unclosed <" + open.back() + ">";
  }
  return open.empty();
}

TEST(StickPlot, IsWellFormedAndCountsTheRows) {
  SmallRun run;
  const std::vector<ReportRow> rows = describeElimination(*run.table);
  std::ostringstream out;
  const ShellLayout layout = layShells(*run.table);
  writeStickPlot(out, PlotSettings{"a<b & c", &flavourOf(3), 2.0F, false}, rows, layout,
                 countByShell(layout, run.table->status));
  const std::string svg = out.str();
  std::string problem;
  EXPECT_TRUE(isWellFormedXml(svg, problem)) << problem;
  EXPECT_NE(svg.find("a&lt;b &amp; c: EXPO, DELTA = 2<"), std::string::npos);
  EXPECT_NE(svg.find(">4 reflections, 1 kept, 3 removed; 0 at an angle shared with another<"), std::string::npos);
  std::size_t kept = 0, removed = 0;
  for (std::size_t at = svg.find("class=\"kept\""); at != std::string::npos; at = svg.find("class=\"kept\"", at + 1)) {
    ++kept;
  }
  for (std::size_t at = svg.find("class=\"removed\""); at != std::string::npos;
       at = svg.find("class=\"removed\"", at + 1)) {
    ++removed;
  }
  EXPECT_EQ(kept, 1U);
  EXPECT_EQ(removed, 3U);
}

std::size_t occurrences(const std::string& text, const std::string& piece) {
  std::size_t count = 0;
  for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++count;
  return count;
}

// FULLPROF rows at 10, 20, 20 (twice the same angle) and 40 degrees with
// D = 0.1: the pair at 20 goes, the stronger of it (amplitude 90) above the
// strongest kept one (amplitude 30).
std::string plotOfCrowdedRows(bool logScale) {
  auto table = std::make_unique<ReflectionTable>();
  table->inputCode = 1;
  table->fixedWindow = 0.1F;
  table->cell.wavelength = 1.5406F;
  table->resizeRows(4);
  const float pos[] = {10.0F, 20.0F, 20.0F, 40.0F};
  const float fobs[] = {30.0F, 90.0F, 5.0F, 0.5F};
  for (int i = 0; i < table->rows; ++i) {
    table->twoTheta[i] = pos[i];
    table->sinSquaredTheta[i] = static_cast<float>(std::pow(std::sin(pos[i] * 3.14159265358979 / 360), 2));
    table->amplitude[i] = fobs[i];
  }
  eliminateNeighbours(*table);
  const ShellLayout layout = layShells(*table, 2);
  std::ostringstream out;
  writeStickPlot(out, PlotSettings{"crowd", &flavourOf(1), 0.1F, logScale}, describeElimination(*table), layout,
                 countByShell(layout, table->status));
  return out.str();
}

TEST(StickPlot, KeptAboveRemovedClippedMarkedSameAngleCountedShellsShown) {
  const std::string svg = plotOfCrowdedRows(false);
  std::string problem;
  EXPECT_TRUE(isWellFormedXml(svg, problem)) << problem;
  EXPECT_NE(svg.find("crowd: FULLPROF JFOU=2, D = 0.1 degrees 2theta"), std::string::npos);
  // Later elements are drawn on top: every removed stick comes first.
  EXPECT_LT(svg.rfind("class=\"removed\""), svg.find("class=\"kept\""));
  EXPECT_EQ(occurrences(svg, "class=\"kept\""), 2U);
  EXPECT_EQ(occurrences(svg, "class=\"removed\""), 2U);
  EXPECT_NE(svg.find("; 2 at an angle shared with another<"), std::string::npos);
  EXPECT_EQ(occurrences(svg, "<path class=\"clipped\""), 1U);
  EXPECT_EQ(occurrences(svg, "class=\"same-angle\""), 1U);
  EXPECT_NE(svg.find(">×2</text>"), std::string::npos);
  // The two sticks at 20 degrees stand apart.
  const std::size_t first = svg.find("0 0 0 at 20.000");
  EXPECT_NE(first, std::string::npos);
  EXPECT_EQ(occurrences(svg, "x1=\"" + svg.substr(svg.rfind("x1=\"", first) + 4, 6)), 1U);
  EXPECT_EQ(occurrences(svg, "class=\"shell\""), 2U);
  // Two equal volumes of 1/d^3: the shell up to about 32 degrees holds three rows.
  EXPECT_NE(svg.find(": 1 of 3 kept<"), std::string::npos);
  EXPECT_NE(svg.find(": 1 of 1 kept<"), std::string::npos);
  EXPECT_EQ(svg.find("log scale"), std::string::npos);
}

TEST(StickPlot, LogScaleShowsTheWeakRows) {
  const std::string linear = plotOfCrowdedRows(false);
  const std::string log = plotOfCrowdedRows(true);
  EXPECT_NE(log.find("intensity, log scale"), std::string::npos);
  // The row of amplitude 0.5 (intensity 0.25 of a strongest kept 900):
  // barely off the axis on the linear scale, well above it on the log one.
  const auto stickTop = [](const std::string& svg) {
    const std::size_t title = svg.find("0 0 0 at 40.000");
    const std::size_t y2 = svg.rfind("y2=\"", title);
    return std::stod(svg.substr(y2 + 4));
  };
  EXPECT_GT(stickTop(linear), 409.0);
  EXPECT_LT(stickTop(log), 350.0);
}

TEST(StickPlot, CheckerRejectsBrokenXml) {
  std::string problem;
  EXPECT_FALSE(isWellFormedXml("<svg><g></svg></g>", problem));
  EXPECT_FALSE(isWellFormedXml("<svg>a & b</svg>", problem));
  EXPECT_FALSE(isWellFormedXml("<svg><line x=\"1/></svg>", problem));
}

}  // namespace
}  // namespace kestran
