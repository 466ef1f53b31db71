#pragma once

// Runs part of a test in a forked child, for limits (setrlimit) that must not touch the test
// process itself.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

namespace tactoria::testing {

// The exit status of `body()` run in a child process; -1 when the child did not exit normally.
template <typename Body>
int RunInChild(Body body) {
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    int status = 255;
    try {
      status = body();
    } catch (...) {
    }
    ::_exit(status);
  }
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

// The process's current virtual memory size in bytes.
inline unsigned long long VirtualMemorySize() {
  std::ifstream statm("/proc/self/statm");
  unsigned long long pages = 0;
  statm >> pages;
  return pages * static_cast<unsigned long long>(::sysconf(_SC_PAGESIZE));
}

}  // namespace tactoria::testing
