// Preloaded into tactoria-cli by the signal tests: the first flush creates the file named in
// TACTORIA_TEST_FLUSH_MARKER and waits, so that a signal arrives while the temporary files exist.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>

namespace {

void AnnounceAndWait() {
  const char* marker = std::getenv("TACTORIA_TEST_FLUSH_MARKER");
  if (marker == nullptr) return;
  const int fd = ::open(marker, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return;  // announced already
  ::close(fd);
  const timespec pause{10, 0};
  ::nanosleep(&pause, nullptr);
}

}  // namespace

extern "C" int fdatasync(int fd) {
  AnnounceAndWait();
  return reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "fdatasync"))(fd);
}

extern "C" int syncfs(int fd) {
  AnnounceAndWait();
  return reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "syncfs"))(fd);
}
