#include <unistd.h>

#include <exception>
#include <iostream>
#include <new>

#include "cli_jobs.h"
#include "cli_messages.h"
#include "cli_options.h"
#include "wave/temporary_registry.h"
#ifdef TACTORIA_CLI_MEDIA
#include "cli_play.h"
#endif

int main(int argc, char** argv) {
  using namespace tactoria::cli;
  try {
    const ParseOutcome parsed = ParseCommandLine(argc, argv, std::cout, std::cerr);
    if (!parsed.command) return parsed.exitCode;
    // Ctrl-C, SIGTERM and SIGHUP leave no temporary output file behind.
    tactoria::RemoveTemporariesOnSignals();
    const JobStreams streams{std::cout, std::cerr, isatty(STDERR_FILENO) == 1};
    int status = kExitFailed;
    if (parsed.command->job == Job::Play || parsed.command->job == Job::Waveform) {
#ifdef TACTORIA_CLI_MEDIA
      status = parsed.command->job == Job::Play ? RunPlay(*parsed.command, streams)
                                                : RunWaveform(*parsed.command, streams);
#else
      std::cerr << "tactoria-cli: this build has no playback or drawing (built without Qt).\n";
#endif
    } else {
      status = RunJob(*parsed.command, streams);
    }
    std::cout.flush();
    if (!std::cout) {
      std::cerr << "tactoria-cli: could not write the output.\n";
      status = kExitFailed;
    }
#ifdef TACTORIA_CLI_MEDIA
    if (parsed.command->job == Job::Play) EndAfterPlay(status);
#endif
    return status;
  } catch (const std::bad_alloc&) {
    std::cerr << "tactoria-cli: " << tactoria::kOutOfMemory << "\n";
  } catch (const std::exception& e) {
    std::cerr << "tactoria-cli: " << e.what() << "\n";
  }
  return kExitFailed;
}
