// Extra files that would overwrite one of the run's own files or someone
// else's file are refused before the run touches anything.

#include "driver/clobber_check.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "../test_support.hpp"
#include "driver/options.hpp"
#include "output/elimination_report.hpp"

namespace kestran {
namespace {

using Extras = std::vector<std::pair<std::string_view, std::string>>;

RunOptions withExtras(const Extras& extras) {
  RunOptions options;
  for (const auto& [option, file] : extras) {
    options.extraFiles[extraOutputIndex(*findExtraOutput(option))] = file;
  }
  return options;
}

// What refuseClobbering says, empty when it lets the files be.
std::string clobberRefusal(const Extras& extras, const std::vector<std::string>& runFiles) {
  try {
    refuseClobbering(withExtras(extras), runFiles);
  } catch (const UsageError& error) {
    return error.what();
  }
  return "";
}

TEST(ClobberCheck, ExtraFilesMustNotBeTheRunsOwnFiles) {
  const testing::TempDir dir;
  const std::string entry = dir.file("abc.dat"), famp = dir.file("abcF.hkl"), fint = dir.file("abcI.hkl");
  testing::writeFile(entry, "entry\n");
  ASSERT_EQ(::link(entry.c_str(), dir.file("other.dat").c_str()), 0);
  const std::vector<std::string> runFiles = {entry, famp, fint, dir.file("abc.int")};
  struct Case {
    const char* what;
    Extras extras;
    std::string refusal = {};  // empty: allowed
  };
  const Case cases[] = {
      {"names of their own", {{"report", dir.file("r.tsv")}, {"plot", dir.file("p.svg")}, {"cif", dir.file("c.cif")}}},
      {"an output by its name",
       {{"plot", famp}},
       "--plot " + famp + " would overwrite " + famp + ", a file of this run"},
      {"an output not there yet, spelt otherwise",
       {{"cif", dir.file("sub/../abcI.hkl")}},
       "--cif " + dir.file("sub/../abcI.hkl") + " would overwrite " + fint + ", a file of this run"},
      {"the entry file by another link",
       {{"report", dir.file("other.dat")}},
       "--report " + dir.file("other.dat") + " would overwrite " + entry + ", a file of this run"},
      {"two extras on one file",
       {{"report", dir.file("x")}, {"cif", dir.file("x")}},
       "--cif " + dir.file("x") + " would overwrite " + dir.file("x") + ", a file of this run"},
  };
  for (const Case& test : cases) {
    EXPECT_EQ(clobberRefusal(test.extras, runFiles), test.refusal) << test.what;
  }
}

TEST(ClobberCheck, ExtraFilesReplaceOnlyKestransOwnOrEmptyFiles) {
  const testing::TempDir dir;
  testing::writeFile(dir.file("empty.tsv"), "");
  testing::writeFile(dir.file("notes.tsv"), "my notes\n");
  testing::writeFile(dir.file("old.tsv"), std::string(reportHeading) + "\n");
  std::filesystem::create_directory(dir.file("folder"));
  const std::pair<std::string, bool> files[] = {
      {dir.file("none.tsv"), true}, {dir.file("empty.tsv"), true},  {dir.file("old.tsv"), true},
      {dir.file("folder"), true},   {dir.file("notes.tsv"), false},
  };
  for (const auto& [file, allowed] : files) {
    std::string refusal;
    try {
      refuseForeignExtraFiles(withExtras({{"report", file}}));
    } catch (const UsageError& error) {
      refusal = error.what();
    }
    EXPECT_EQ(refusal, allowed ? ""
                               : "--report " + file +
                                     ": the file exists and was not written by kestran; give another name "
                                     "or remove it")
        << file;
  }
}

}  // namespace
}  // namespace kestran
