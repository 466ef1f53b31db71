#include "deferred_file_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "temporary_registry.h"

namespace tactoria {
namespace {

// The reading thread hands over this much at a time.
constexpr std::size_t kStep = std::size_t{1} << 20;

int ReadFully(int fd, std::uint64_t offset, std::span<std::byte> destination) {
  std::size_t done = 0;
  while (done < destination.size()) {
    const ssize_t n =
        ::pread(fd, destination.data() + done, destination.size() - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return EIO;  // the file has shrunk since it was opened
    done += static_cast<std::size_t>(n);
  }
  return 0;
}

}  // namespace

std::unique_ptr<DeferredFileSource> DeferredFileSource::Open(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return nullptr;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
    ::close(fd);
    return nullptr;
  }
  return std::unique_ptr<DeferredFileSource>(
      new DeferredFileSource(fd, static_cast<std::uint64_t>(info.st_size)));
}

DeferredFileSource::~DeferredFileSource() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  if (loader_.joinable()) loader_.join();
  ::close(fd_);
}

bool DeferredFileSource::Read(std::uint64_t offset, std::span<std::byte> destination) {
  if (destination.size() < kDeferFrom || started_) return file_.Read(offset, destination);
  if (offset > size() || destination.size() > size() - offset) return false;
  regions_.push_back({offset, destination});
  return true;
}

void DeferredFileSource::Start(bool backwards) {
  if (started_) return;
  started_ = true;
  backwards_ = backwards;
  // The thread inherits a mask that holds the ending signals back, so they always reach the main
  // thread, which may be holding them itself while it registers a temporary file.
  const EndingSignalsHeld held;
  loader_ = std::thread([this] { Load(); });
}

void DeferredFileSource::Load() {
  for (Region& region : regions_) {
    const std::size_t size = region.bytes.size();
    for (std::size_t done = 0; done < size;) {
      const std::size_t n = std::min(kStep, size - done);
      const std::size_t at = backwards_ ? size - done - n : done;
      const int error = ReadFully(fd_, region.offset + at, region.bytes.subspan(at, n));
      std::lock_guard lock(mutex_);
      if (error != 0) error_ = error;
      if (error != 0 || stop_) {
        arrived_.notify_all();
        return;
      }
      done += n;
      region.arrived = done;
      arrived_.notify_all();
    }
  }
}

// 0 when [begin, end) has arrived as far as it lies in `region`, EAGAIN when not yet.
int DeferredFileSource::Covered(const Region& region, const std::byte* begin, const std::byte* end) const {
  const std::byte* first = region.bytes.data();
  const std::byte* last = first + region.bytes.size();
  if (end <= first || begin >= last) return 0;
  const std::byte* from = std::max(begin, first);
  const std::byte* to = std::min(end, last);
  const bool in = backwards_ ? from >= last - region.arrived : to <= first + region.arrived;
  return in ? 0 : EAGAIN;
}

int DeferredFileSource::WaitFor(const std::byte* begin, const std::byte* end) {
  if (!started_) Start(false);
  std::unique_lock lock(mutex_);
  for (;;) {
    if (error_ != 0) return error_;
    const bool all = std::all_of(regions_.begin(), regions_.end(),
                                 [&](const Region& region) { return Covered(region, begin, end) == 0; });
    if (all) return 0;
    arrived_.wait(lock);
  }
}

int DeferredFileSource::WaitAll() {
  if (regions_.empty()) return 0;
  if (!started_) Start(false);
  const Region& last = regions_.back();
  // Regions arrive one after another; the last one complete means all are.
  std::unique_lock lock(mutex_);
  arrived_.wait(lock, [&] { return error_ != 0 || last.arrived == last.bytes.size(); });
  return error_;
}

}  // namespace tactoria
