#pragma once
// Runs the built kestran as a whole process in a directory, with a file as
// its standard input, and collects its console, error output, exit status,
// time and peak memory.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "../test_support.hpp"

namespace kestran::testing {

struct ProcessResult {
  std::string console;
  std::string errors;
  int status = -1;  // exit status when it exited
  int signal = 0;   // the signal that killed it, 0 when it exited
  long maxResidentKilobytes = 0;
  double seconds = 0;
};

// The bundled example entry files.
inline const std::filesystem::path examplesDir = std::filesystem::path(KESTRAN_SOURCE_DIR) / "examples";

namespace detail {

// In a child process: becomes the program with these arguments.
[[noreturn]] inline void execProgram(const std::vector<std::string>& arguments) {
  std::vector<char*> argv{const_cast<char*>("kestran")};
  for (const std::string& argument : arguments) {
    argv.push_back(const_cast<char*>(argument.c_str()));
  }
  argv.push_back(nullptr);
  ::execv(KESTRAN_BINARY, argv.data());
  ::_exit(127);
}

// In the child: standard streams to the files, into the directory, then the program.
[[noreturn]] inline void execKestran(const std::string& directory, const std::string& stdinFile, const std::string& out,
                                     const std::string& err, const std::vector<std::string>& arguments,
                                     long memoryLimitMegabytes) {
  if (memoryLimitMegabytes > 0) {
    const rlimit limit{static_cast<rlim_t>(memoryLimitMegabytes) << 20, static_cast<rlim_t>(memoryLimitMegabytes)
                                                                            << 20};
    ::setrlimit(RLIMIT_AS, &limit);
  }
  const int in = ::open(stdinFile.empty() ? "/dev/null" : stdinFile.c_str(), O_RDONLY);
  const int console = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int errors = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (in < 0 || console < 0 || errors < 0 || ::dup2(in, 0) < 0 || ::dup2(console, 1) < 0 || ::dup2(errors, 2) < 0 ||
      ::chdir(directory.c_str()) != 0) {
    ::_exit(127);
  }
  execProgram(arguments);
}

}  // namespace detail

// `stdinFile` may be empty for no standard input at all (/dev/null). The
// process's own resource use is measured (wait4), apart from every other child.
// A memory limit above 0 caps the program's address space.
inline ProcessResult runKestran(const std::string& directory, const std::string& stdinFile,
                                const std::vector<std::string>& arguments = {}, long memoryLimitMegabytes = 0) {
  // The console is captured outside the run directory, in a place of its own.
  const TempDir capture;
  const std::string out = capture.file("stdout");
  const std::string err = capture.file("stderr");
  ProcessResult result;
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = ::fork();
  if (child == 0) {
    detail::execKestran(directory, stdinFile, out, err, arguments, memoryLimitMegabytes);
  }
  int raw = 0;
  rusage usage{};
  if (child < 0 || ::wait4(child, &raw, 0, &usage) != child) {
    result.errors = "could not run " KESTRAN_BINARY;
    return result;
  }
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  result.maxResidentKilobytes = usage.ru_maxrss;
  if (WIFEXITED(raw)) {
    result.status = WEXITSTATUS(raw);
  } else if (WIFSIGNALED(raw)) {
    result.signal = WTERMSIG(raw);
  }
  result.console = readFile(out);
  result.errors = readFile(err);
  return result;
}

// Standard output and standard error of a shell command, together, and
// its exit status (-1 when it did not exit).
struct ShellOutput {
  std::string text;
  int status = -1;
};

inline ShellOutput runShell(const std::string& command) {
  ShellOutput output;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) {
    return output;
  }
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    output.text.append(buffer, got);
  }
  const int raw = ::pclose(pipe);
  output.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return output;
}

}  // namespace kestran::testing
