// Files kestran wrote, told from other files by their first lines.

#include "driver/own_files.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "../output/small_run.hpp"
#include "../test_support.hpp"
#include "output/elimination_report.hpp"
#include "output/stick_plot.hpp"

namespace kestran {
namespace {

namespace fs = std::filesystem;

bool replaceable(const std::string& contents, FileRole role) {
  const testing::TempDir dir;
  testing::writeFile(dir.file("f"), contents);
  return whyNotReplaceable(dir.file("f"), role).empty();
}

FileRole roleOf(const fs::path& file) {
  const std::string extension = file.extension().string();
  return extension == ".cif" ? FileRole::Cif : extension == ".tsv" ? FileRole::Report : FileRole::ReflectionFile;
}

// The writers and the recognition agree: every file the whole-run cases
// expect (every flavour, asterisks and end records among them, CIFs), and
// the report and the plot as written.
TEST(OwnFiles, WhatKestranWritesIsRecognised) {
  int judged = 0;
  for (const auto& entry : fs::recursive_directory_iterator(fs::path(KESTRAN_SOURCE_DIR) / "tests/end_to_end/cases")) {
    if (entry.path().parent_path().filename() == "files") {
      EXPECT_EQ(whyNotReplaceable(entry.path().string(), roleOf(entry.path())), "") << entry.path();
      ++judged;
    }
  }
  EXPECT_GE(judged, 30);
  const testing::SmallRun run;
  const std::vector<ReportRow> rows = describeElimination(*run.table);
  std::ostringstream report, plot;
  writeEliminationReport(report, *run.table);
  const ShellLayout layout = layShells(*run.table, 2);
  writeStickPlot(plot, {"abc", &flavourOf(3), 2.0F, false}, rows, layout, countByShell(layout, run.table->status));
  EXPECT_TRUE(replaceable(report.str(), FileRole::Report));
  EXPECT_TRUE(replaceable(plot.str(), FileRole::Plot));
  EXPECT_FALSE(replaceable(plot.str(), FileRole::Report));
  EXPECT_FALSE(replaceable(report.str(), FileRole::ReflectionFile));
  EXPECT_FALSE(replaceable(report.str(), FileRole::Cif));
  EXPECT_FALSE(replaceable("data_mono\nloop_\n_refln_index_h\n", FileRole::Cif));
}

TEST(OwnFiles, ReflectionRecordsHaveTheLayoutsColumnsAndPoints) {
  const std::pair<const char*, bool> lines[] = {
      {"  -1  12 999   -0.00   0.000   1", true},
      {"   1   0   0        5.59        0.06   1", true},
      {"   0   0   1   22.8560    0.9571    0.0535", true},
      {"   0   0   1       522.397         0.916         0.054", true},
      {"****   0   1   22.8560**********       NaN", true},
      {"   1   0   0  100.0    1.000   1", false},  // a point out of its column
      {"   1   0   0  100.00   1.000   1 ", false},
      {"   1   0   0  100.00   1.000", false},
      {"   1   0   0  1e2.00   1.000   1", false},
      {"   1   0 0.0  100.00   1.000   1", false},
      {"", false},
  };
  for (const auto& [line, record] : lines) {
    EXPECT_EQ(isReflectionRecord(line), record) << '"' << line << '"';
  }
}

}  // namespace
}  // namespace kestran
