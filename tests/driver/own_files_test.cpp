// Files kestran wrote, told from other files by their first lines.

#include "driver/own_files.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <utility>

#include "../output/small_run.hpp"
#include "../test_support.hpp"
#include "driver/extra_outputs.hpp"
#include "driver/run_options.hpp"
#include "output/written_values.hpp"

namespace kestran {
namespace {

namespace fs = std::filesystem;

// The doubt about the file at `path` as a file of the extra output of that
// option, or as a reflection file for none.
std::string doubtAbout(const std::string& path, std::string_view option) {
  const ExtraOutput* output = findExtraOutput(option);
  return output == nullptr ? whyNotReplaceableReflectionFile(path) : whyNotReplaceable(path, output->isOwn);
}

bool replaceable(const std::string& contents, std::string_view option) {
  const testing::TempDir dir;
  testing::writeFile(dir.file("f"), contents);
  return doubtAbout(dir.file("f"), option).empty();
}

std::string_view optionOf(const fs::path& file) {
  const std::string extension = file.extension().string();
  return extension == ".cif" ? "cif" : extension == ".tsv" ? "report" : "";
}

// The writers and the recognition agree: every file the whole-run cases
// expect (every flavour, asterisks and end records among them, CIFs), and
// the report and the plot as written.
TEST(OwnFiles, WhatKestranWritesIsRecognised) {
  int judged = 0;
  for (const auto& entry : fs::recursive_directory_iterator(fs::path(KESTRAN_SOURCE_DIR) / "tests/end_to_end/cases")) {
    if (entry.path().parent_path().filename() == "files") {
      EXPECT_EQ(doubtAbout(entry.path().string(), optionOf(entry.path())), "") << entry.path();
      ++judged;
    }
  }
  EXPECT_GE(judged, 30);
}

// Each extra output's file, as its writer writes it, is recognised as its
// own and as no other output's, nor as a reflection file.
TEST(OwnFiles, EachExtraOutputKnowsItsOwnFilesOnly) {
  const testing::SmallRun run;
  const RunOptions options;
  const OutputScale scale = outputScale(*run.table);
  for (const ExtraOutput& output : extraOutputs()) {
    std::ostringstream written;
    output.write(written, {options, "abc", "abc.hkl", *run.table, scale});
    EXPECT_FALSE(replaceable(written.str(), "")) << output.option;
    for (const ExtraOutput& judge : extraOutputs()) {
      EXPECT_EQ(replaceable(written.str(), judge.option), &judge == &output) << output.option << " by " << judge.option;
    }
  }
  EXPECT_FALSE(replaceable("data_mono\nloop_\n_refln_index_h\n", "cif"));
}

// Report headings as this version and earlier ones wrote them, the added
// columns each there or not but in their order, and no other.
TEST(OwnFiles, ReportHeadingsOfEveryVersion) {
  const std::string now =
      "h\tk\tl\ttwo_theta\tamplitude\twidth\twindow\tdistance_previous\tdistance_next\tstatus\td_spacing";
  const std::pair<std::string, bool> headings[] = {
      {"h\tk\tl\ttwo_theta\tamplitude\twidth\twindow\tdistance_previous\tdistance_next\tstatus", true},
      {now, true},
      {now + "\tmultiplicity\tgroup\tgroup_size", true},
      {now + "\twindow_source", true},
      {now + "\tmultiplicity\twindow_source", true},
      {now + "\tmultiplicity\tgroup\tgroup_size\twindow_source", true},
      {now + "\twindow_source\tmultiplicity", false},
      {now + "\twindow_source\tnotes", false},
      {now + "\tnotes", false},
      {now.substr(0, now.size() - 1), false},
  };
  for (const auto& [heading, own] : headings) {
    EXPECT_EQ(replaceable(heading + "\n1\t0\t0\n", "report"), own) << heading;
  }
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
