// The last step of a run, the renames that put the new files in place, made
// to fail one at a time on the program as built (a static binary, so the
// failure is injected by strace at the system call, not by a preloaded
// library): each failure stops the run with the system's reason, and every
// old file is there again byte for byte, with its mode, and nothing else.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "../test_support.hpp"
#include "run_program.hpp"

namespace kestran::testing {
namespace {

namespace fs = std::filesystem;

const std::string arguments = " --code 1 --no-pause --report r.tsv --plot p.svg --cif c.cif quartzite";

// Runs the program under strace with `straceOptions` in `directory`; the
// exit status, or -1 when it could not be run. A sanitizer build's leak
// check cannot run under a tracer: it is turned off there.
int runTraced(const fs::path& directory, const std::string& straceOptions) {
  const std::string command =
      "cd '" + directory.string() + "' && ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 strace -qq " +
      straceOptions + " '" + KESTRAN_BINARY + "'" + arguments + " </dev/null >out.txt 2>err.txt";
  const int raw = std::system(command.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

// The example, and the outputs of an earlier run with another window.
void prepare(const fs::path& directory) {
  fs::create_directory(directory);
  const std::string example = readFile((examplesDir / "quartzite.dat").string());
  const std::string otherWindow =
      example.substr(0, example.find('\n') + 1) + "50 0.1" + example.substr(example.find('\n', example.find('\n') + 1));
  writeFile((directory / "quartzite.dat").string(), otherWindow);
  ASSERT_EQ(runTraced(directory, "-o /dev/null"), 0);
  writeFile((directory / "quartzite.dat").string(), example);
  fs::remove(directory / "out.txt");
  fs::remove(directory / "err.txt");
  fs::permissions(directory / "r.tsv", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// Every file but the captured streams, with its contents and mode.
std::map<std::string, std::string> state(const fs::path& directory) {
  std::map<std::string, std::string> files = contentsOf(directory);
  files.erase("out.txt");
  files.erase("err.txt");
  for (auto& [name, contents] : files) {
    contents += " mode " + std::to_string(static_cast<int>(fs::status(directory / name).permissions()));
  }
  return files;
}

TEST(CommitFaults, EachFailedRenameLeavesTheOldFiles) {
  ASSERT_EQ(std::system("command -v strace >/dev/null"), 0) << "strace is needed (apt-get install strace)";
  TempDir scratch;
  const fs::path probe = scratch.path() / "probe";
  prepare(probe);
  // Which call the program's rename is, and how many the final step makes:
  // each of the six files moves its old one aside, then takes its name.
  ASSERT_EQ(runTraced(probe, "-o calls.txt -e trace=rename,renameat,renameat2"), 0);
  const std::string calls = readFile((probe / "calls.txt").string());
  const std::string call = calls.substr(0, calls.find('('));
  ASSERT_TRUE(call == "rename" || call == "renameat" || call == "renameat2") << calls;
  constexpr int renames = 12;
  ASSERT_EQ(std::count(calls.begin(), calls.end(), '\n'), renames) << calls;

  for (int failing = 1; failing <= renames; ++failing) {
    SCOPED_TRACE("rename " + std::to_string(failing) + " fails");
    const fs::path work = scratch.path() / ("run" + std::to_string(failing));
    prepare(work);
    const auto before = state(work);
    const int status = runTraced(work, "-o /dev/null -e inject=" + call + ":error=EIO:when=" + std::to_string(failing));
    EXPECT_EQ(status, 1);
    EXPECT_NE(readFile((work / "err.txt").string()).find(": Input/output error"), std::string::npos);
    EXPECT_EQ(state(work), before);
  }
  const fs::path work = scratch.path() / "unhindered";
  prepare(work);
  const auto before = state(work);
  EXPECT_EQ(runTraced(work, "-o /dev/null -e inject=" + call + ":error=EIO:when=" + std::to_string(renames + 1)), 0);
  EXPECT_NE(state(work).at("quartziteF.hkl"), before.at("quartziteF.hkl")) << "the new files take their names";
}

}  // namespace
}  // namespace kestran::testing
