#pragma once
// Runs the built kestran as a whole process in a directory, with a file as
// its standard input, and collects its console, error output and status.

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "../test_support.hpp"

namespace kestran::testing {

struct ProcessResult {
  std::string console;
  std::string errors;
  int status = -1;      // exit status when it exited
  int signal = 0;       // the signal that killed it, 0 when it exited
};

inline std::string shellQuote(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return quoted + "'";
}

// `stdinFile` may be empty for no standard input at all (/dev/null).
inline ProcessResult runKestran(const std::string& directory, const std::string& stdinFile,
                                const std::string& arguments = "") {
  // The console is captured outside the run directory, in a place of its own.
  const TempDir capture;
  const std::string out = capture.file("stdout");
  const std::string err = capture.file("stderr");
  const std::string command = "cd " + shellQuote(directory) + " && exec " + shellQuote(KESTRAN_BINARY) + " " +
                              arguments + " < " + shellQuote(stdinFile.empty() ? "/dev/null" : stdinFile) +
                              " > " + shellQuote(out) + " 2> " + shellQuote(err);
  const int raw = std::system(command.c_str());
  ProcessResult result;
  if (WIFEXITED(raw)) {
    result.status = WEXITSTATUS(raw);
  } else if (WIFSIGNALED(raw)) {
    result.signal = WTERMSIG(raw);
  }
  result.console = readFile(out);
  result.errors = readFile(err);
  return result;
}

}  // namespace kestran::testing
