#pragma once

// A private PulseAudio server for playback tests: its own runtime folder and home, a native
// socket and a pipe sink that plays in real time into a FIFO, which a thread drains.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tactoria::testing {

class PulseServer {
 public:
  static constexpr const char* kBinary = "/usr/bin/pulseaudio";
  static bool Installed() { return ::access(kBinary, X_OK) == 0; }
  ~PulseServer() { Stop(); }

  // Starts the server and waits for its socket and FIFO; false when it did not come up.
  bool Start() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tactoria-pulse-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) return false;
    dir_ = pattern;
    const std::string runtime = dir_ + "/runtime", fifo = dir_ + "/sink.fifo";
    std::filesystem::create_directory(runtime);
    ::chmod(runtime.c_str(), 0700);
    socket_ = dir_ + "/native";
    const std::string native = "module-native-protocol-unix auth-anonymous=1 socket=" + socket_;
    const std::string pipe = "module-pipe-sink sink_name=tactoria_pipe file=" + fifo +
                             " use_system_clock_for_timing=yes format=s16le rate=44100 channels=2";
    pid_ = ::fork();
    if (pid_ < 0) return false;
    if (pid_ == 0) {
      // A test that dies (a failed assertion's abort, a sanitizer) takes its server with it.
      ::prctl(PR_SET_PDEATHSIG, SIGTERM);
      ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
      ::setenv("HOME", dir_.c_str(), 1);
      const int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, STDOUT_FILENO);
      ::dup2(null, STDERR_FILENO);
      ::execl(kBinary, kBinary, "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
              "--disallow-exit", "-L", native.c_str(), "-L", pipe.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    const auto up = [&] { return std::filesystem::exists(socket_) && std::filesystem::exists(fifo); };
    for (int i = 0; i < 200 && !up(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(25));
    if (!up()) {
      Stop();
      return false;
    }
    drainer_ = std::thread([this, fifo] { Drain(fifo); });
    return true;
  }

  void Stop() {
    stop_ = true;
    if (drainer_.joinable()) drainer_.join();
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
      pid_ = -1;
    }
    std::error_code ignored;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
    dir_.clear();
  }

  std::string ServerAddress() const { return "unix:" + socket_; }

  // Everything the sink played so far.
  std::vector<std::byte> Received() {
    std::lock_guard lock(mutex_);
    return received_;
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    received_.clear();
  }

 private:
  void Drain(const std::string& fifo) {
    const int fd = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) return;
    std::vector<std::byte> block(1 << 16);
    while (!stop_) {
      pollfd p{fd, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      const ssize_t n = ::read(fd, block.data(), block.size());
      if (n <= 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        continue;
      }
      std::lock_guard lock(mutex_);
      received_.insert(received_.end(), block.begin(), block.begin() + n);
    }
    ::close(fd);
  }

  std::string dir_, socket_;
  pid_t pid_ = -1;
  std::atomic<bool> stop_{false};
  std::thread drainer_;
  std::mutex mutex_;
  std::vector<std::byte> received_;
};

// The private server this test process plays to; null when none could be started.
extern PulseServer* g_pulse;

}  // namespace tactoria::testing
