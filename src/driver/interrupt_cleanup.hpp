#pragma once
// New files that a signal must not leave behind. While a run writes its
// outputs under temporary names, those names are registered here; a signal
// that ends the program (SIGINT, SIGTERM, SIGHUP, SIGPIPE) removes them
// before the program dies of it, so an interrupted run leaves the directory
// as it found it.

#include <signal.h>

namespace kestran {

// Installs the handler for the signals above; once, at the start of main.
void removeTemporariesOnSignals();

// Holds back the signals above while it lives: a name is created and
// registered, or renamed and unregistered, as one step.
class SignalsHeld {
 public:
  SignalsHeld();
  ~SignalsHeld();
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t previous_;
};

// The path must stay valid until it is unregistered. Call both with the
// signals held. False when every place is taken (the run then writes no
// more files than it has places for, so this does not happen).
bool registerTemporary(const char* path);
void unregisterTemporary(const char* path);

}  // namespace kestran
