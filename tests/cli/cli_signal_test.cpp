// Ctrl-C, SIGTERM and SIGHUP while tactoria-cli writes: the run's temporary files go, the targets
// stay as they were, and the exit status is 128 + the signal number.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/riff_builder.h"

namespace tactoria::testing {
namespace {

// Starts the tool with its first flush held back; returns once that flush is reached.
pid_t StartHeld(const std::vector<std::string>& args, const std::string& marker) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::setenv("LD_PRELOAD", TACTORIA_FLUSH_SHIM, 1);
    ::setenv("TACTORIA_TEST_FLUSH_MARKER", marker.c_str(), 1);
    // A sanitizer runtime must come first among the libraries unless told otherwise.
    const char* asan = std::getenv("ASAN_OPTIONS");
    ::setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":verify_asan_link_order=0").c_str(), 1);
    std::vector<char*> argv{const_cast<char*>(TACTORIA_CLI_PATH)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(TACTORIA_CLI_PATH, argv.data());
    ::_exit(127);
  }
  for (int wait = 0; wait < 1000 && !std::filesystem::exists(marker); ++wait)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return pid;
}

TEST(CliSignals, RemoveTheTemporaryFilesAndExitWith128PlusTheSignal) {
  TempDir scratch, dir;
  WriteBytes(dir / "in.wav", PcmWave(Ramp(4000)));
  WriteBytes(dir / "out.wav", Ramp(9));
  const std::vector<std::string> save{"save", dir / "in.wav", dir / "out.wav", "--force", "--reverse"};
  const std::vector<std::string> span{"span", dir / "in.wav", dir / "beat", "--beats", "8", "--bars", "4"};
  const struct {
    const std::vector<std::string>& args;
    int signal;
  } cases[] = {{save, SIGINT}, {span, SIGTERM}, {save, SIGHUP}};
  for (const auto& [args, signal] : cases) {
    SCOPED_TRACE(args[0] + " " + std::to_string(signal));
    const std::string marker = scratch / ("flush-" + std::to_string(signal));
    const pid_t pid = StartHeld(args, marker);
    ASSERT_TRUE(std::filesystem::exists(marker));
    EXPECT_GT(dir.Names().size(), 2u);  // the temporary file(s) beside in.wav and out.wav
    ::kill(pid, signal);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + signal) << status;
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"in.wav", "out.wav"}));
    EXPECT_EQ(ReadBytes(dir / "out.wav"), Ramp(9));
  }
}

}  // namespace
}  // namespace tactoria::testing
