// Runs at a terminal (a pseudo-terminal): an answer that is not a number is
// asked again after a hint, where a pipe would stop the run; and a signal at
// a prompt leaves the directory exactly as it was.

#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <map>
#include <string>

#include "../test_support.hpp"
#include "run_program.hpp"
#include "terminal_run.hpp"

namespace kestran::testing {
namespace {

namespace fs = std::filesystem;

const std::string codePrompt = "       Give code 1,2,3 or 4 :  ";
const std::string namePrompt = "  entry file (no extension) ??";
const std::string deltaPrompt =
    "\n\n  Give DELTA in DELTA*FWHM for eliminating reflections\n   separated by less than DELTA*FWHM :    DELTA ? ";
const std::string pausePrompt = "\n  Type any number for ending ";

std::string hint(const std::string& answer) { return "  not a number: \"" + answer + "\" — try again\n"; }

// DELTA typed with a decimal comma, then below 0: both asked again.
const std::string refusedDeltas =
    "  DELTA \"1,0\" holds a decimal comma: it reads as 1 and the digits after the comma are dropped; expected a "
    "decimal point: type 1.0 — try again\n" +
    deltaPrompt +
    "  DELTA \"-1\" is below 0: a window below 0 removes no reflection; expected a factor of the peak width, 0 or "
    "more — try again\n" +
    deltaPrompt;

// Every file of the directory, hidden ones included, with its contents.
std::map<std::string, std::string> filesIn(const fs::path& directory) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(directory)) {
    files[entry.path().filename().string()] = readFile(entry.path().string());
  }
  return files;
}

// A directory holding the EXPO example as abc.hkl and, when asked, old outputs.
fs::path expoRunDirectory(const TempDir& scratch, bool oldOutputs) {
  const fs::path work = scratch.path() / "run";
  fs::create_directory(work);
  fs::copy_file(examplesDir / "quartzite.hkl", work / "abc.hkl");
  if (oldOutputs) {
    for (const char* name : {"abcF.hkl", "abcI.hkl", "abc.int"}) {
      writeFile((work / name).string(), "   1   0   0  100.00   1.000   1\n");  // an earlier output
    }
  }
  return work;
}

std::string insertedAfter(std::string text, const std::string& mark, const std::string& piece) {
  const std::size_t at = text.find(mark);
  return at == std::string::npos ? text : text.insert(at + mark.size(), piece);
}

TEST(TerminalDialogue, AnswerThatIsNotANumberIsAskedAgain) {
  TempDir pipeScratch;
  const fs::path pipeWork = expoRunDirectory(pipeScratch, false);
  writeFile(pipeScratch.file("answers"), "3\nabc\n1.0\n0\n");
  const ProcessResult piped = runKestran(pipeWork.string(), pipeScratch.file("answers"));
  ASSERT_EQ(piped.status, 0) << piped.errors;

  TempDir scratch;
  const fs::path work = expoRunDirectory(scratch, false);
  TerminalRun run(work.string());
  ASSERT_TRUE(run.started());
  const std::pair<std::string, std::string> dialogue[] = {
      {codePrompt, "a"},
      {hint("a") + codePrompt, "3"},
      {namePrompt, "abc"},
      {deltaPrompt, "1.5o"},
      {hint("1.5o") + deltaPrompt, "1,0"},
      {refusedDeltas.substr(0, refusedDeltas.find('\n') + 1) + deltaPrompt, "-1"},
      {refusedDeltas, "1.0"},
      {pausePrompt, "0"}};
  for (const auto& [prompt, answer] : dialogue) {
    ASSERT_TRUE(run.waitFor(prompt)) << "no prompt " << prompt << " in:\n" << run.transcript();
    run.type(answer);
  }
  run.finish();

  EXPECT_EQ(run.status(), 0) << run.errors();
  EXPECT_EQ(run.errors(), "");
  std::string expected = insertedAfter(piped.console, codePrompt, hint("a") + codePrompt);
  expected = insertedAfter(expected, deltaPrompt, hint("1.5o") + deltaPrompt + refusedDeltas);
  EXPECT_EQ(run.transcript(), expected);
  EXPECT_EQ(filesIn(work), filesIn(pipeWork));
}

// An interrupt (Ctrl-C, a kill, a closed terminal, a closed pipe) while the
// new files stand beside the old ones: code 3 asks DELTA after the files are
// prepared.
TEST(TerminalDialogue, SignalAtTheDeltaPromptLeavesTheDirectoryAsItWas) {
  for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
    TempDir scratch;
    const fs::path work = expoRunDirectory(scratch, true);
    const auto before = filesIn(work);
    TerminalRun run(work.string());
    ASSERT_TRUE(run.started());
    ASSERT_TRUE(run.waitFor(codePrompt));
    run.type("3");
    ASSERT_TRUE(run.waitFor(namePrompt));
    run.type("abc");
    ASSERT_TRUE(run.waitFor(deltaPrompt)) << run.transcript();
    ASSERT_EQ(filesIn(work).size(), before.size() + 3) << "the new files stand beside the old ones";
    run.sendSignal(signalNumber);
    run.finish();
    EXPECT_EQ(run.signal(), signalNumber);
    EXPECT_EQ(filesIn(work), before) << "signal " << signalNumber;
  }
}

}  // namespace
}  // namespace kestran::testing
