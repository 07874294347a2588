#include "output/stick_plot.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "processing/elimination.hpp"
#include "processing/shells.hpp"
#include "small_run.hpp"

namespace kestran {
namespace {

using testing::SmallRun;

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
    if (tag.front() == '?' || (tag.starts_with("!--") && tag.ends_with("--"))) {  // declaration or comment
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
  const PlotSettings settings{
      .baseName = "a<b & c", .flavour = &flavourOf(3), .window = 2.0F, .windowSource = WindowSource::Console};
  writeStickPlot(out, settings, rows, layout, countByShell(layout, run.table->status));
  const std::string svg = out.str();
  std::string problem;
  EXPECT_TRUE(isWellFormedXml(svg, problem)) << problem;
  EXPECT_NE(svg.find("a&lt;b &amp; c: EXPO, DELTA = 2 typed at the console<"), std::string::npos);
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
  EXPECT_NE(svg.find("crowd: FULLPROF JFOU=2, D = 0.1 degrees 2theta from the entry file<"), std::string::npos);
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
