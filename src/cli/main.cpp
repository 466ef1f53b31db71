#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>
#include <new>
#include <string>
#include <system_error>

#include "cli_jobs.h"
#include "cli_messages.h"
#include "cli_options.h"
#include "wave/temporary_registry.h"
#ifdef TACTORIA_CLI_MEDIA
#include "cli_play.h"
#endif

#ifdef TACTORIA_CLI_MEDIA_PROGRAM
namespace {

// play and waveform run in a program of their own, the only one that loads Qt: every other
// command stays free of its libraries (about 19 MB resident). It lies beside this program in the
// build tree and in the installed libexec folder. Returns only when it cannot be started.
int RunMediaProgram(char** argv) {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  std::string reason = error ? error.message() : std::string("not found");
  std::filesystem::path tried = TACTORIA_CLI_MEDIA_PROGRAM;
  if (!error) {
    for (const std::filesystem::path& candidate :
         {self.parent_path() / TACTORIA_CLI_MEDIA_PROGRAM,
          self.parent_path() / TACTORIA_CLI_MEDIA_RELATIVE / TACTORIA_CLI_MEDIA_PROGRAM}) {
      tried = candidate.lexically_normal();
      if (!std::filesystem::exists(tried, error)) continue;
      ::execv(tried.c_str(), argv);
      reason = std::strerror(errno);
      break;
    }
  }
  std::cerr << "tactoria-cli: the playback and drawing part could not be started. (" << reason << "; "
            << tried.string() << ")\n";
  return tactoria::cli::kExitFailed;
}

}  // namespace
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
#if defined(TACTORIA_CLI_MEDIA)
      status = parsed.command->job == Job::Play ? RunPlay(*parsed.command, streams)
                                                : RunWaveform(*parsed.command, streams);
#elif defined(TACTORIA_CLI_MEDIA_PROGRAM)
      status = RunMediaProgram(argv);
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
