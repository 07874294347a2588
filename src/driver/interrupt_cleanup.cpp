#include "driver/interrupt_cleanup.hpp"

#include <signal.h>
#include <stdio.h>
#include <unistd.h>

#include <cstddef>

namespace kestran {

namespace {

constexpr int cleanedSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

// One registered file: removed on a signal, or, when `originalName` is set,
// renamed back to it.
struct Registered {
  const char* volatile path;
  const char* volatile originalName;
};

// The one piece of global mutable state of the program, and unavoidably so:
// a signal handler can reach nothing else. It is only changed with the
// signals held, so the handler never sees a place half written; the handler
// only reads it.
Registered registered[registeredPlaces] = {};

// Async-signal-safe: unlink and rename, then the default action of the
// signal, which is raised again and delivered when the handler returns
// (SA_RESETHAND has already restored the default), so the program dies of
// it as it would have without the handler. The new files go first; each
// old file then takes its name back, over a new file standing there.
extern "C" void removeTemporariesAndDie(int signalNumber) {
  for (const Registered& entry : registered) {
    if (entry.path != nullptr && entry.originalName == nullptr) {
      ::unlink(entry.path);
    }
  }
  for (const Registered& entry : registered) {
    if (entry.path != nullptr && entry.originalName != nullptr) {
      ::rename(entry.path, entry.originalName);
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

bool registerEntry(const char* path, const char* originalName) {
  for (Registered& entry : registered) {
    if (entry.path == nullptr) {
      entry.originalName = originalName;
      entry.path = path;
      return true;
    }
  }
  return false;
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

bool registerTemporary(const char* path) { return registerEntry(path, nullptr); }

bool registerKeptOldFile(const char* path, const char* originalName) { return registerEntry(path, originalName); }

void unregisterTemporary(const char* path) {
  for (Registered& entry : registered) {
    if (entry.path == path) {
      entry.path = nullptr;
      entry.originalName = nullptr;
    }
  }
}

}  // namespace kestran
