#include <unistd.h>

#include <exception>
#include <iostream>
#include <new>

#include "cli_jobs.h"
#include "cli_messages.h"
#include "cli_options.h"
#include "wave/temporary_registry.h"

int main(int argc, char** argv) {
  using namespace tactoria::cli;
  try {
    const ParseOutcome parsed = ParseCommandLine(argc, argv, std::cout, std::cerr);
    if (!parsed.command) return parsed.exitCode;
    // Ctrl-C, SIGTERM and SIGHUP leave no temporary output file behind.
    tactoria::RemoveTemporariesOnSignals();
    const JobStreams streams{std::cout, std::cerr, isatty(STDERR_FILENO) == 1};
    const int status = RunJob(*parsed.command, streams);
    std::cout.flush();
    if (!std::cout) {
      std::cerr << "tactoria-cli: could not write the output.\n";
      return kExitFailed;
    }
    return status;
  } catch (const std::bad_alloc&) {
    std::cerr << "tactoria-cli: " << tactoria::kOutOfMemory << "\n";
  } catch (const std::exception& e) {
    std::cerr << "tactoria-cli: " << e.what() << "\n";
  }
  return kExitFailed;
}
