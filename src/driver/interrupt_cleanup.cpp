#include "driver/interrupt_cleanup.hpp"

#include <signal.h>
#include <unistd.h>

#include <cstddef>

namespace kestran {

namespace {

constexpr int cleanedSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

// The one piece of global mutable state of the program, and unavoidably so:
// a signal handler can reach nothing else. It holds the temporary names of
// the files being written (five at most: three outputs, the report and the
// plot). It is only changed with the signals held, so the handler never
// sees a slot half written; the handler only reads it.
constexpr std::size_t temporarySlots = 8;
const char* volatile registeredTemporaries[temporarySlots] = {};

// Async-signal-safe: unlink, then the default action of the signal, which
// is raised again and delivered when the handler returns (SA_RESETHAND has
// already restored the default), so the program dies of it as it would
// have without the handler.
extern "C" void removeTemporariesAndDie(int signalNumber) {
  for (const char* volatile& slot : registeredTemporaries) {
    const char* path = slot;
    if (path != nullptr) {
      ::unlink(path);
    }
  }
  ::raise(signalNumber);
}

sigset_t cleanedSignalSet() {
  sigset_t set;
  sigemptyset(&set);
  for (const int signalNumber : cleanedSignals) {
    sigaddset(&set, signalNumber);
  }
  return set;
}

}  // namespace

void removeTemporariesOnSignals() {
  struct sigaction action {};
  action.sa_handler = removeTemporariesAndDie;
  action.sa_mask = cleanedSignalSet();
  action.sa_flags = SA_RESETHAND;
  for (const int signalNumber : cleanedSignals) {
    struct sigaction previous {};
    // A signal ignored by whoever started us (nohup, a shell's background
    // job) stays ignored.
    if (::sigaction(signalNumber, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) {
      continue;
    }
    ::sigaction(signalNumber, &action, nullptr);
  }
}

SignalsHeld::SignalsHeld() : previous_() {
  const sigset_t set = cleanedSignalSet();
  ::sigprocmask(SIG_BLOCK, &set, &previous_);
}

SignalsHeld::~SignalsHeld() { ::sigprocmask(SIG_SETMASK, &previous_, nullptr); }

bool registerTemporary(const char* path) {
  for (const char* volatile& slot : registeredTemporaries) {
    if (slot == nullptr) {
      slot = path;
      return true;
    }
  }
  return false;
}

void unregisterTemporary(const char* path) {
  for (const char* volatile& slot : registeredTemporaries) {
    if (slot == path) {
      slot = nullptr;
    }
  }
}

}  // namespace kestran
