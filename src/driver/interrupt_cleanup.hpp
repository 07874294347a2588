#pragma once
// Files that a signal must not leave behind. While a run writes its outputs
// under temporary names, those names are registered here; while it puts the
// new files in place, the old files it has moved aside are registered too,
// with the names they came from. A signal that ends the program (SIGINT,
// SIGTERM, SIGHUP, SIGPIPE) removes the new files and puts every old one
// back before the program dies of it, so an interrupted run leaves the
// directory as it found it.

#include <signal.h>

#include <cstddef>

namespace kestran {

// How many files can be registered at once: each file a run writes may have
// a new file and a kept old one registered together.
inline constexpr std::size_t registeredPlaces = 16;

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

// A file a signal removes. The path must stay valid until it is
// unregistered. Call with the signals held. False when every place is taken
// (the run writes no more files than there are places for, so this does not
// happen).
bool registerTemporary(const char* path);

// An old file moved aside to `path`: a signal renames it back to
// `originalName`, over whatever new file stands there. Both must stay valid
// until the path is unregistered. Call with the signals held.
bool registerKeptOldFile(const char* path, const char* originalName);

// Forgets the path, of either kind. Call with the signals held.
void unregisterTemporary(const char* path);

}  // namespace kestran
