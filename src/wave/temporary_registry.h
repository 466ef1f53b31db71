#pragma once

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

// Installs handlers for SIGINT, SIGTERM and SIGHUP that remove the registered temporary files and
// end the process with status 128 + the signal number.
void RemoveTemporariesOnSignals();

}  // namespace tactoria
