// The signal handler itself, in a child process that dies of the signal.

#include "driver/interrupt_cleanup.hpp"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <utility>

#include "../test_support.hpp"

namespace kestran {
namespace {

// Halfway through putting the files in place: one new file still under its
// temporary name, one placed where no old file stood, one placed over an
// old file that was moved aside. The signal must leave the old state.
TEST(InterruptCleanup, SignalRemovesNewFilesAndPutsOldOnesBack) {
  const testing::TempDir dir;
  const std::string temporary = dir.file(".kestran-new"), placed = dir.file("abc.int");
  const std::string kept = dir.file(".kestran-old"), name = dir.file("abcF.hkl");
  const std::pair<std::string, std::string> before[] = {
      {temporary, "new I"}, {placed, "new int"}, {kept, "old F"}, {name, "new F"}};
  for (const auto& [file, contents] : before) {
    testing::writeFile(file, contents);
  }
  const pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGTERM, SIG_DFL);  // whatever the test runner left
    removeTemporariesOnSignals();
    {
      const SignalsHeld held;
      registerTemporary(temporary.c_str());
      registerTemporary(placed.c_str());
      registerKeptOldFile(kept.c_str(), name.c_str());
      ::kill(::getpid(), SIGTERM);  // held back until the block ends
    }
    ::_exit(0);
  }
  int raw = 0;
  ASSERT_EQ(::waitpid(child, &raw, 0), child);
  EXPECT_TRUE(WIFSIGNALED(raw) && WTERMSIG(raw) == SIGTERM) << "the program dies of the signal";
  EXPECT_EQ(testing::contentsOf(dir.path()), (std::map<std::string, std::string>{{"abcF.hkl", "old F"}}));
}

}  // namespace
}  // namespace kestran
