#pragma once

#include <signal.h>

#include <cstddef>
#include <string>

namespace tactoria {

// The temporary files this process is writing, held where a signal handler can reach them. A
// handler may call RemoveRegisteredTemporaries() (it only reads the table and calls unlink), so a
// Ctrl-C leaves no temporary file behind.
class TemporaryRegistry {
 public:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  // Returns the slot for Unregister, or kNone when no memory is left for the entry (the file
  // is then only removed by its owner).
  static std::size_t Register(const std::string& path);
  static void Unregister(std::size_t slot);

  // Async-signal-safe: unlinks every registered path.
  static void RemoveRegisteredTemporaries();
};

// Installs a handler for every signal whose default action ends the program (and that nobody has
// taken over or ignored before): it removes the registered temporary files, then ends the
// program. SIGINT, SIGTERM and SIGHUP exit with status 128 + the signal number; every other
// signal is raised again with its default action, so the parent sees that signal (a shell shows
// 128 + its number too).
void RemoveTemporariesOnSignals();

// Holds back, for its lifetime, the ending signals that come from outside the program (all but
// the faults such as SIGSEGV): one that arrives meanwhile acts when released. For steps that must
// not be cut in two, such as putting a set of files in place.
class EndingSignalsHeld {
 public:
  EndingSignalsHeld();
  EndingSignalsHeld(const EndingSignalsHeld&) = delete;
  EndingSignalsHeld& operator=(const EndingSignalsHeld&) = delete;
  ~EndingSignalsHeld();

 private:
  sigset_t previous_;
};

}  // namespace tactoria
