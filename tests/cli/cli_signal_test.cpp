// Signals while tactoria-cli writes: the run's temporary files go, the targets stay as they were
// (or a span's set goes in place whole), and the status names the signal. Also two spans into
// one folder at once, and an input that shrinks while a save reads it.
#include <gtest/gtest.h>
#include <sys/resource.h>
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
#include "support/tool_run.h"

namespace tactoria::testing {
namespace {

using Args = std::vector<std::string>;

// Starts the tool as a shell would (default signal actions, none blocked, no core files). With a
// `hold` point ("flush", or "rename": just after the first rename) it stands there until
// `marker` is removed; the call returns once it does.
pid_t Start(const Args& args, const std::string& hold = {}, const std::string& marker = {}) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    for (int signal = 1; signal < NSIG; ++signal) std::signal(signal, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    if (!hold.empty()) {
      ::setenv("LD_PRELOAD", TACTORIA_FLUSH_SHIM, 1);
      ::setenv("TACTORIA_TEST_HOLD_AT", hold.c_str(), 1);
      ::setenv("TACTORIA_TEST_FLUSH_MARKER", marker.c_str(), 1);
      // A sanitizer runtime must come first among the libraries unless told otherwise.
      const char* asan = std::getenv("ASAN_OPTIONS");
      ::setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":verify_asan_link_order=0").c_str(), 1);
    }
    std::vector<char*> argv{const_cast<char*>(TACTORIA_CLI_PATH)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(TACTORIA_CLI_PATH, argv.data());
    ::_exit(127);
  }
  for (int wait = 0; !hold.empty() && wait < 1000 && !std::filesystem::exists(marker); ++wait)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return pid;
}

// Signals the held tool, then releases it (a tool that holds the signal back goes on) and
// returns its wait status.
int SignalAndWait(pid_t pid, int signal, const std::string& marker) {
  ::kill(pid, signal);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  std::filesystem::remove(marker);
  int status = 0;
  EXPECT_EQ(::waitpid(pid, &status, 0), pid);
  return status;
}

// INT, TERM and HUP exit with 128 + the signal's number; the others end the tool by the signal.
void ExpectEndedBy(int status, int signal) {
  if (signal == SIGINT || signal == SIGTERM || signal == SIGHUP) {
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + signal) << status;
  } else {
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
  }
}

Bytes ContentsOf(const std::string& path) {
  return std::filesystem::exists(path) ? ReadBytes(path) : Bytes{};
}

TEST(CliSignals, RemoveTheTemporaryFilesAndEndWithTheSignalsStatus) {
  TempDir scratch, dir;
  WriteBytes(dir / "in.wav", PcmWave(Ramp(4000)));
  WriteBytes(dir / "out.wav", Ramp(9));
  const Args save{"save", dir / "in.wav", dir / "out.wav", "--force", "--reverse"};
  const Args span{"span", dir / "in.wav", dir / "beat", "--beats", "8", "--bars", "4"};
  const struct {
    const Args& args;
    int signal;
  } cases[] = {{save, SIGINT},  {span, SIGTERM}, {save, SIGHUP},    {save, SIGPIPE},
               {save, SIGQUIT}, {save, SIGUSR1}, {span, SIGUSR2},   {save, SIGALRM},
               {save, SIGXCPU}, {save, SIGPROF}, {save, SIGVTALRM}, {span, SIGRTMIN}};
  for (const auto& [args, signal] : cases) {
    SCOPED_TRACE(args[0] + " " + std::to_string(signal));
    const std::string marker = scratch / ("flush-" + std::to_string(signal));
    const pid_t pid = Start(args, "flush", marker);
    ASSERT_TRUE(std::filesystem::exists(marker));
    EXPECT_GT(dir.Names().size(), 2u);  // the temporary file(s) beside in.wav and out.wav
    ExpectEndedBy(SignalAndWait(pid, signal, marker), signal);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"in.wav", "out.wav"}));
    EXPECT_EQ(ReadBytes(dir / "out.wav"), Ramp(9));
  }
}

TEST(CliHeldSave, FailsWhenTheInputShrinksWhileItIsRead) {
  TempDir scratch, dir;
  WriteBytes(dir / "in.wav", PcmWave(Bytes(6'000'000, std::byte{7})));
  WriteBytes(dir / "out.wav", Ramp(9));
  const std::string marker = scratch / "read";
  const pid_t pid = Start({"save", dir / "in.wav", dir / "out.wav", "--force", "--reverse"}, "read", marker);
  ASSERT_TRUE(std::filesystem::exists(marker));
  std::filesystem::resize_file(dir / "in.wav", 1'000'000);
  std::filesystem::remove(marker);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"in.wav", "out.wav"}));
  EXPECT_EQ(ReadBytes(dir / "out.wav"), Ramp(9));
}

// 64 beats of 16 frames; `expected` holds the beats of the set this span writes.
class CliSpanSet : public ::testing::Test {
 protected:
  void SetUp() override { WriteBytes(in_, PcmWave(Ramp(4096))); }
  Args SpanInto(const TempDir& dir, const Args& edits) const {
    Args args{"span", in_, dir / "b", "--beats", "8", "--bars", "8"};
    args.insert(args.end(), edits.begin(), edits.end());
    return args;
  }
  // Spans with `edits` into a folder of its own: the set such a run leaves.
  std::vector<Bytes> Set(const Args& edits) const {
    const TempDir reference;
    EXPECT_EQ(RunTool(SpanInto(reference, edits)).status, 0);
    return SetIn(reference);
  }
  // How many beats in `dir` are those of `set`.
  static int Matching(const TempDir& dir, const std::vector<Bytes>& set) {
    const std::vector<Bytes> beats = SetIn(dir);
    int same = 0;
    for (std::size_t k = 0; k < set.size(); ++k) same += beats[k] == set[k] ? 1 : 0;
    return same;
  }
  static std::vector<Bytes> SetIn(const TempDir& dir) {
    std::vector<Bytes> beats;
    for (int n = 1; n <= 64; ++n) beats.push_back(ContentsOf(dir / ("b[" + std::to_string(n) + "].wav")));
    return beats;
  }
  TempDir source_, scratch_;
  const std::string in_ = source_ / "in.wav";
};

TEST_F(CliSpanSet, ASignalDuringTheRenamesWaitsForTheWholeSet) {
  const std::vector<Bytes> fresh = Set({"--reverse"});
  const struct {
    bool replacing;
    int signal;
  } cases[] = {{true, SIGINT}, {true, SIGTERM}, {false, SIGHUP}, {true, SIGUSR1}, {false, SIGPIPE}};
  for (const auto& [replacing, signal] : cases) {
    SCOPED_TRACE((replacing ? "--force " : "") + std::to_string(signal));
    const TempDir dir;
    if (replacing) {
      ASSERT_EQ(RunTool(SpanInto(dir, {})).status, 0);
    }
    const std::string marker = scratch_ / ("rename-" + std::to_string(signal));
    const pid_t pid =
        Start(SpanInto(dir, replacing ? Args{"--reverse", "--force"} : Args{"--reverse"}), "rename", marker);
    ASSERT_TRUE(std::filesystem::exists(marker));
    ExpectEndedBy(SignalAndWait(pid, signal, marker), signal);
    EXPECT_EQ(Matching(dir, fresh), 64);
    EXPECT_EQ(dir.Names().size(), 64u);  // no hidden file left
  }
}

TEST_F(CliSpanSet, TwoSpansIntoOneFolderLeaveOneWholeSet) {
  const std::vector<Bytes> first = Set({"--reverse"}), second = Set({"--phaser", "2"});
  const TempDir dir;
  ASSERT_EQ(RunTool(SpanInto(dir, {})).status, 0);
  const std::string marker = scratch_ / "rename";
  // The first stands after its first rename while the second runs (or waits for it).
  const pid_t held = Start(SpanInto(dir, {"--reverse", "--force"}), "rename", marker);
  ASSERT_TRUE(std::filesystem::exists(marker));
  const pid_t other = Start(SpanInto(dir, {"--phaser", "2", "--force"}));
  int otherStatus = 0;
  bool otherDone = false;
  for (int wait = 0; wait < 200 && !otherDone; ++wait) {
    otherDone = ::waitpid(other, &otherStatus, WNOHANG) == other;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::filesystem::remove(marker);
  int heldStatus = 0;
  ASSERT_EQ(::waitpid(held, &heldStatus, 0), held);
  if (!otherDone) {
    ASSERT_EQ(::waitpid(other, &otherStatus, 0), other);
  }
  EXPECT_TRUE(WIFEXITED(heldStatus) && WEXITSTATUS(heldStatus) == 0) << heldStatus;
  EXPECT_TRUE(WIFEXITED(otherStatus) && WEXITSTATUS(otherStatus) == 0) << otherStatus;
  const int fromFirst = Matching(dir, first), fromSecond = Matching(dir, second);
  EXPECT_TRUE(fromFirst == 64 || fromSecond == 64) << fromFirst << " + " << fromSecond;
  EXPECT_EQ(dir.Names().size(), 64u);
}

}  // namespace
}  // namespace tactoria::testing
