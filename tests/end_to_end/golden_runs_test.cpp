// Whole runs of the program against expected results checked by hand. Each
// directory under cases/ holds the files of a run in input/ (the entry file,
// any old output files), the answers typed at the console in stdin (none
// when it is missing), optionally the command line's arguments in
// arguments (one a line), and in expected/ the console transcript,
// optionally the error output and exit status, and in expected/files every
// file the run writes.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "../test_support.hpp"
#include "run_program.hpp"

namespace kestran::testing {
namespace {

namespace fs = std::filesystem;

const fs::path casesRoot = fs::path(KESTRAN_SOURCE_DIR) / "tests" / "end_to_end" / "cases";

std::vector<std::string> caseNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(casesRoot)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::map<std::string, std::string> filesIn(const fs::path& directory) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(directory)) {
    files[entry.path().filename().string()] = readFile(entry.path().string());
  }
  return files;
}

std::string optionalFile(const fs::path& path, const std::string& fallback) {
  return fs::exists(path) ? readFile(path.string()) : fallback;
}

// One argument a line; none when the file is missing.
std::vector<std::string> argumentsOf(const fs::path& path) {
  std::vector<std::string> arguments;
  if (fs::exists(path)) {
    std::istringstream lines(readFile(path.string()));
    for (std::string line; std::getline(lines, line);) {
      arguments.push_back(line);
    }
  }
  return arguments;
}

class GoldenRun : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenRun, ConsoleAndFilesMatchByteForByte) {
  const fs::path caseDir = casesRoot / GetParam();
  const fs::path expected = caseDir / "expected";
  TempDir scratch;
  const fs::path work = scratch.path() / "run";
  fs::create_directory(work);
  if (fs::exists(caseDir / "input")) {
    fs::copy(caseDir / "input", work, fs::copy_options::recursive);
  }

  const fs::path answers = caseDir / "stdin";
  const ProcessResult result =
      runKestran(work.string(), fs::exists(answers) ? answers.string() : "", argumentsOf(caseDir / "arguments"));

  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(std::to_string(result.status) + "\n", optionalFile(expected / "status", "0\n"));
  EXPECT_EQ(result.console, readFile((expected / "console").string()));
  EXPECT_EQ(result.errors, optionalFile(expected / "stderr", ""));

  // The run directory must hold its input files, unchanged unless expected/files
  // names them, and the files of expected/files: nothing else.
  std::map<std::string, std::string> wanted;
  if (fs::exists(caseDir / "input")) {
    wanted = filesIn(caseDir / "input");
  }
  if (fs::exists(expected / "files")) {
    for (auto& [name, contents] : filesIn(expected / "files")) {
      wanted[name] = contents;
    }
  }
  const std::map<std::string, std::string> got = filesIn(work);
  for (const auto& [name, contents] : wanted) {
    ASSERT_TRUE(got.count(name)) << "missing file " << name;
    EXPECT_EQ(got.at(name), contents) << "file " << name;
  }
  for (const auto& [name, contents] : got) {
    EXPECT_TRUE(wanted.count(name)) << "unexpected file " << name;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenRun, ::testing::ValuesIn(caseNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
}  // namespace kestran::testing
