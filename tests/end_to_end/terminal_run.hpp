#pragma once
// Runs the built kestran with a pseudo-terminal as its console, as a user at
// a terminal would: the test reads the console as it comes, types answers
// after the prompts, and may send a signal at any moment. Standard error goes
// to a file of its own. Echo and output processing are off on the terminal,
// so the transcript holds exactly what the program wrote.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "../test_support.hpp"
#include "run_program.hpp"

namespace kestran::testing {

class TerminalRun {
 public:
  TerminalRun(const std::string& directory, const std::vector<std::string>& arguments = {}) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0 || ::ptsname(master_) == nullptr) {
      return;
    }
    const std::string terminal = ::ptsname(master_);
    const std::string errors = capture_.file("stderr");
    child_ = ::fork();
    if (child_ == 0) {
      execOnTerminal(terminal, errors, directory, arguments);
    }
  }
  ~TerminalRun() {
    if (child_ > 0 && status_ < 0) {
      ::kill(child_, SIGKILL);
      ::waitpid(child_, nullptr, 0);
    }
    if (master_ >= 0) {
      ::close(master_);
    }
  }
  TerminalRun(const TerminalRun&) = delete;
  TerminalRun& operator=(const TerminalRun&) = delete;

  bool started() const { return child_ > 0; }

  // Reads the console until it ends with `text` (the program then waits for
  // an answer) or ten seconds pass; false on the timeout or the end.
  bool waitFor(const std::string& text) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!transcript_.ends_with(text)) {
      if (std::chrono::steady_clock::now() > deadline || !readSome(100)) {
        return false;
      }
    }
    return true;
  }

  void type(const std::string& line) {
    const std::string text = line + "\n";
    (void)!::write(master_, text.data(), text.size());
  }

  void sendSignal(int signalNumber) const { ::kill(child_, signalNumber); }

  // Reads the rest of the console and waits for the end of the program.
  void finish() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline && readSome(100)) {
    }
    int raw = 0;
    if (::waitpid(child_, &raw, 0) == child_) {
      status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 0;
      signal_ = WIFSIGNALED(raw) ? WTERMSIG(raw) : 0;
    }
  }

  const std::string& transcript() const { return transcript_; }
  std::string errors() const { return readFile(capture_.file("stderr")); }
  int status() const { return status_; }
  int signal() const { return signal_; }

 private:
  [[noreturn]] static void execOnTerminal(const std::string& terminal, const std::string& errors,
                                          const std::string& directory, const std::vector<std::string>& arguments) {
    ::setsid();
    // The signals the program handles reach it as at a terminal, whatever
    // the test runner ignores.
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
      ::signal(signalNumber, SIG_DFL);
    }
    const int slave = ::open(terminal.c_str(), O_RDWR);
    const int errorFile = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    termios settings{};
    if (slave < 0 || errorFile < 0 || ::tcgetattr(slave, &settings) != 0) {
      ::_exit(127);
    }
    settings.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    settings.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    if (::tcsetattr(slave, TCSANOW, &settings) != 0 || ::dup2(slave, 0) < 0 || ::dup2(slave, 1) < 0 ||
        ::dup2(errorFile, 2) < 0 || ::chdir(directory.c_str()) != 0) {
      ::_exit(127);
    }
    detail::execProgram(arguments);
  }

  // False at the end of the console (the program has closed the terminal).
  bool readSome(int milliseconds) {
    pollfd ready{master_, POLLIN, 0};
    if (::poll(&ready, 1, milliseconds) <= 0) {
      return true;  // nothing yet
    }
    char piece[4096];
    const ssize_t got = ::read(master_, piece, sizeof piece);
    if (got <= 0) {
      return false;
    }
    transcript_.append(piece, static_cast<std::size_t>(got));
    return true;
  }

  TempDir capture_;
  int master_ = -1;
  pid_t child_ = -1;
  int status_ = -1;
  int signal_ = 0;
  std::string transcript_;
};

}  // namespace kestran::testing
