// The signal handler itself, in a child process that dies of the signal.

#include "driver/interrupt_cleanup.hpp"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

#include "../test_support.hpp"

namespace kestran {
namespace {

// Runs `registerFiles` in a child with the handler installed (`signalNumber`
// ignored before, when `ignoredBefore`), sends the signal with the signals
// held and returns the child's wait status.
template <typename RegisterFiles>
int signalledChild(int signalNumber, bool ignoredBefore, RegisterFiles registerFiles) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::signal(signalNumber, ignoredBefore ? SIG_IGN : SIG_DFL);  // not whatever the test runner left
    removeTemporariesOnSignals();
    {
      const SignalsHeld held;
      registerFiles();
      ::kill(::getpid(), signalNumber);  // held back until the block ends
    }
    ::_exit(0);
  }
  int raw = 0;
  return ::waitpid(child, &raw, 0) == child ? raw : -1;
}

// Halfway through putting the files in place: one new file still under its
// temporary name, one placed where no old file stood, one placed over an
// old file that was moved aside. Each signal must leave the old state; one
// ignored by whoever started the program (nohup) stays ignored.
TEST(InterruptCleanup, SignalRemovesNewFilesAndPutsOldOnesBack) {
  const std::pair<int, bool> signals[] = {
      {SIGINT, false}, {SIGTERM, false}, {SIGHUP, false}, {SIGPIPE, false}, {SIGHUP, true}};
  for (const auto& [signalNumber, ignored] : signals) {
    SCOPED_TRACE(signalNumber);
    const testing::TempDir dir;
    const std::string temporary = dir.file(".kestran-new"), placed = dir.file("abc.int");
    const std::string kept = dir.file(".kestran-old"), name = dir.file("abcF.hkl");
    const std::map<std::string, std::string> before = {
        {".kestran-new", "new I"}, {"abc.int", "new int"}, {".kestran-old", "old F"}, {"abcF.hkl", "new F"}};
    for (const auto& [file, contents] : before) {
      testing::writeFile(dir.file(file), contents);
    }
    const int raw = signalledChild(signalNumber, ignored, [&] {
      registerTemporary(temporary.c_str());
      registerTemporary(placed.c_str());
      registerKeptOldFile(kept.c_str(), name.c_str());
    });
    if (ignored) {
      EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << "an ignored signal stays ignored";
      EXPECT_EQ(testing::contentsOf(dir.path()), before);
    } else {
      EXPECT_TRUE(WIFSIGNALED(raw) && WTERMSIG(raw) == signalNumber) << "the program dies of the signal";
      EXPECT_EQ(testing::contentsOf(dir.path()), (std::map<std::string, std::string>{{"abcF.hkl", "old F"}}));
    }
  }
}

// Every place taken: one more file is refused, and the signal still removes
// every registered one.
TEST(InterruptCleanup, EveryPlaceIsCleaned) {
  const testing::TempDir dir;
  std::vector<std::string> names;
  for (std::size_t i = 0; i <= registeredPlaces; ++i) {
    names.push_back(dir.file("new" + std::to_string(i)));
    testing::writeFile(names.back(), "new");
  }
  const int raw = signalledChild(SIGTERM, false, [&] {
    for (std::size_t i = 0; i < registeredPlaces; ++i) {
      if (!registerTemporary(names[i].c_str())) {
        ::_exit(2);
      }
    }
    if (registerTemporary(names.back().c_str())) {
      ::_exit(3);
    }
  });
  EXPECT_TRUE(WIFSIGNALED(raw) && WTERMSIG(raw) == SIGTERM) << raw;
  const std::map<std::string, std::string> left = {{"new" + std::to_string(registeredPlaces), "new"}};
  EXPECT_EQ(testing::contentsOf(dir.path()), left);
}

}  // namespace
}  // namespace kestran
