// The command-line options against the classic dialogue: the same files and
// the same console lines, less the prompts of the answers given.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "../test_support.hpp"
#include "run_program.hpp"

namespace kestran::testing {
namespace {

namespace fs = std::filesystem;

struct Flavour {
  const char* entry;  // relative to examples/
  int code;
  const char* delta;  // empty for the FULLPROF codes
};

const Flavour flavours[] = {
    {"quartzite.dat", 1, ""},
    {"quartzite4.dat", 4, ""},
    {"quartzite.hkl", 3, "1.0"},
    {"sirpow/quartzite.hkl", 2, "1.0"},
};

std::string withoutText(std::string text, const std::string& piece) {
  for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at)) {
    text.erase(at, piece.size());
  }
  return text;
}

std::string withoutPrompts(std::string console) {
  console = withoutText(console, "       Give code 1,2,3 or 4 :  ");
  console = withoutText(console, "  entry file (no extension) ??");
  console = withoutText(console,
                        "\n\n  Give DELTA in DELTA*FWHM for eliminating reflections\n"
                        "   separated by less than DELTA*FWHM :    DELTA ? ");
  return withoutText(console, "\n  Type any number for ending ");
}

struct FlavourRun {
  ProcessResult result;
  std::string famp, fint, intensity;
};

FlavourRun runFlavour(const Flavour& flavour, bool withOptions, const std::vector<std::string>& extra = {}) {
  static int counter = 0;
  TempDir dir;
  const fs::path entry = examplesDir / flavour.entry;
  const std::string base = entry.stem().string();
  fs::copy_file(entry, dir.path() / entry.filename());
  const std::string delta = flavour.delta;
  const std::string answers =
      std::to_string(flavour.code) + "\n" + base + "\n" + (delta.empty() ? "" : delta + "\n") + "0\n";
  const std::string stdinFile = dir.file("answers" + std::to_string(++counter));
  std::vector<std::string> arguments;
  if (withOptions) {
    arguments = {"--code", std::to_string(flavour.code), "--no-pause"};
    if (!delta.empty()) {
      arguments.insert(arguments.end(), {"--delta", delta});
    }
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    arguments.push_back(base);
  } else {
    writeFile(stdinFile, answers);
  }
  FlavourRun run;
  run.result = runKestran(dir.path().string(), withOptions ? "" : stdinFile, arguments);
  run.famp = readFile(dir.file(base + "F.hkl"));
  run.fint = readFile(dir.file(base + "I.hkl"));
  run.intensity = readFile(dir.file(base + ".int"));
  return run;
}

TEST(CommandLineRuns, OptionsGiveTheSameFilesAndLinesAsTheDialogue) {
  for (const Flavour& flavour : flavours) {
    const FlavourRun classic = runFlavour(flavour, false);
    const FlavourRun batch = runFlavour(flavour, true);
    ASSERT_EQ(classic.result.status, 0) << flavour.entry << classic.result.errors;
    ASSERT_EQ(batch.result.status, 0) << flavour.entry << batch.result.errors;
    EXPECT_FALSE(classic.famp.empty());
    EXPECT_EQ(batch.famp, classic.famp) << flavour.entry;
    EXPECT_EQ(batch.fint, classic.fint) << flavour.entry;
    EXPECT_EQ(batch.intensity, classic.intensity) << flavour.entry;
    EXPECT_EQ(batch.result.console, withoutPrompts(classic.result.console)) << flavour.entry;
  }
}

TEST(CommandLineRuns, ReportAndPlotLeaveTheFilesUnchanged) {
  const FlavourRun plain = runFlavour(flavours[2], true);
  TempDir dir;
  const std::string report = dir.file("report.tsv");
  const std::string plot = dir.file("plot.svg");
  const FlavourRun withReport = runFlavour(flavours[2], true, {"--report", report, "--plot", plot});
  ASSERT_EQ(withReport.result.status, 0) << withReport.result.errors;
  EXPECT_EQ(withReport.famp, plain.famp);
  EXPECT_EQ(withReport.intensity, plain.intensity);
  const std::string table = readFile(report);
  EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 51);  // header and 50 reflections
  EXPECT_NE(readFile(plot).find("</svg>"), std::string::npos);
}

TEST(CommandLineRuns, UsageErrorsExitWithTwoBeforeAnyFile) {
  const std::vector<std::vector<std::string>> lines = {{"--code", "7", "x"},
                                                       {"--code", "1", "--delta", "0.5", "x"},
                                                       {"--delta", "wide", "x"},
                                                       {"--frobnicate"},
                                                       {"a", "b"},
                                                       {"--scan", "--plot", "p.svg", "x"},
                                                       {"--scan=0,wide", "x"},
                                                       {"--scan=", "x"},
                                                       {"--shells", "0", "x"},
                                                       {"--plot-scale", "cubic", "x"},
                                                       {"--max-reflections", "0", "x"},
                                                       {"--max-reflections", "10000001", "x"},
                                                       {"--overlaps=keep", "x"}};
  for (const auto& line : lines) {
    TempDir dir;
    const fs::path work = dir.path() / "run";
    fs::create_directory(work);
    writeFile((work / "x.dat").string(), "10 10 10 90 90 90 1.5\n0 0.1\n");
    const ProcessResult result = runKestran(work.string(), "", line);
    EXPECT_EQ(result.status, 2) << line[0];
    EXPECT_EQ(result.errors.rfind("kestran: ", 0), 0U) << line[0];
    EXPECT_NE(result.errors.find("usage: kestran"), std::string::npos) << line[0];
    EXPECT_EQ(std::distance(fs::directory_iterator(work), fs::directory_iterator()), 1) << line[0];
  }
}

// The report and the plot may not name a file of the run, whether the file
// exists (same device and inode) or not yet (same name), nor each other.
TEST(CommandLineRuns, ReportOrPlotOverARunFileIsRefusedBeforeAnyFile) {
  const std::vector<std::vector<std::string>> lines = {
      {"--report", "abc.dat", "abc"},
      {"--plot", "abcF.hkl", "abc"},
      {"--plot", "./sub/../abc.int", "abc"},
      {"--report", "entry-link", "abc"},
      {"--report", "same.tsv", "--plot", "same.tsv", "abc"},
      {"--report", "abcI.hkl"},  // code and name come from the console
  };
  for (const auto& line : lines) {
    TempDir dir;
    const fs::path work = dir.path() / "run";
    fs::create_directories(work / "sub");
    writeFile((work / "abc.dat").string(), "10 10 10 90 90 90 1.5\n0 0.1\n");
    writeFile((work / "abcF.hkl").string(), "old\n");
    fs::create_symlink("abc.dat", work / "entry-link");
    writeFile(dir.file("answers"), "1\nabc\n0\n");
    std::vector<std::string> arguments = {"--code", "1", "--no-pause"};
    if (line.size() == 2) {
      arguments.clear();
    }
    arguments.insert(arguments.end(), line.begin(), line.end());
    const ProcessResult result = runKestran(work.string(), dir.file("answers"), arguments);
    EXPECT_EQ(result.status, 2) << line[1];
    EXPECT_EQ(result.errors.rfind("kestran: --", 0), 0U) << result.errors;
    EXPECT_NE(result.errors.find(", a file of this run\n"), std::string::npos) << result.errors;
    EXPECT_EQ(readFile((work / "abcF.hkl").string()), "old\n") << line[1];
    EXPECT_EQ(std::distance(fs::directory_iterator(work), fs::directory_iterator()), 4) << line[1];
  }
}

TEST(CommandLineRuns, ReportThatCannotBeCreatedStopsTheRunWithoutANewFile) {
  TempDir dir;
  const fs::path work = dir.path() / "run";
  fs::create_directory(work);
  fs::copy_file(examplesDir / "quartzite.hkl", work / "abc.hkl");
  writeFile((work / "abcF.hkl").string(), "old\n");
  const ProcessResult result =
      runKestran(work.string(), "", {"--code", "3", "--delta", "1", "--no-pause", "--report", "no/r.tsv", "abc"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.errors, "kestran: cannot create file, unit 24, file no/r.tsv\n");
  EXPECT_EQ(result.console.find("START ORDERING"), std::string::npos) << "stops before any reflection is read";
  EXPECT_EQ(readFile((work / "abcF.hkl").string()), "old\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(work), fs::directory_iterator()), 2);
}

}  // namespace
}  // namespace kestran::testing
