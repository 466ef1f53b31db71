// Preloaded into tactoria-cli by the signal tests. It holds the tool once, at its first flush or,
// with TACTORIA_TEST_HOLD_AT=rename, right after its first rename (=read: before its first read of
// a megabyte or more): it creates the file named in
// TACTORIA_TEST_FLUSH_MARKER and waits until that file is removed (10 s at most), so that a test
// can act while the tool stands at that point.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

bool HoldsAt(const char* point) {
  const char* at = std::getenv("TACTORIA_TEST_HOLD_AT");
  return std::strcmp(at != nullptr ? at : "flush", point) == 0;
}

void AnnounceAndWait(const char* point) {
  static bool held = false;
  const char* marker = std::getenv("TACTORIA_TEST_FLUSH_MARKER");
  if (marker == nullptr || held || !HoldsAt(point)) return;
  held = true;
  const int savedErrno = errno;  // the tool reads the errno of the call held
  const int fd = ::open(marker, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd >= 0) {
    ::close(fd);
    const timespec step{0, 10'000'000};
    for (int waited = 0; waited < 1000 && ::access(marker, F_OK) == 0; ++waited) ::nanosleep(&step, nullptr);
  }
  errno = savedErrno;
}

template <typename Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" int fdatasync(int fd) {
  AnnounceAndWait("flush");
  return Next<int (*)(int)>("fdatasync")(fd);
}

extern "C" int syncfs(int fd) {
  AnnounceAndWait("flush");
  return Next<int (*)(int)>("syncfs")(fd);
}

extern "C" ssize_t pread(int fd, void* buffer, size_t count, off_t offset) {
  if (count >= (1u << 20)) AnnounceAndWait("read");
  return Next<ssize_t (*)(int, void*, size_t, off_t)>("pread")(fd, buffer, count, offset);
}

extern "C" ssize_t pread64(int fd, void* buffer, size_t count, off_t offset) {
  if (count >= (1u << 20)) AnnounceAndWait("read");
  return Next<ssize_t (*)(int, void*, size_t, off_t)>("pread64")(fd, buffer, count, offset);
}

extern "C" int renameat2(int from_dir, const char* from, int to_dir, const char* to, unsigned int flags) {
  const int result = Next<int (*)(int, const char*, int, const char*, unsigned int)>("renameat2")(
      from_dir, from, to_dir, to, flags);
  AnnounceAndWait("rename");
  return result;
}

extern "C" int rename(const char* from, const char* to) {
  const int result = Next<int (*)(const char*, const char*)>("rename")(from, to);
  AnnounceAndWait("rename");
  return result;
}
