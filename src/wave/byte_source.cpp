#include "byte_source.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "block_copy.h"

namespace tactoria {
namespace {

constexpr std::size_t kReadAhead = 64 * 1024;

}  // namespace

bool MemorySource::Read(std::uint64_t offset, std::span<std::byte> destination) {
  if (offset > bytes_.size() || destination.size() > bytes_.size() - offset) return false;
  vbmovsb(destination.data(), bytes_.data() + offset, destination.size());
  return true;
}

bool FileSource::ReadDirect(std::uint64_t offset, std::span<std::byte> destination) const {
  std::size_t done = 0;
  while (done < destination.size()) {
    const ssize_t n =
        ::pread(fd_, destination.data() + done, destination.size() - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool FileSource::Read(std::uint64_t offset, std::span<std::byte> destination) {
  if (destination.size() >= kReadAhead / 4) return ReadDirect(offset, destination);
  if (offset < aheadOffset_ || offset + destination.size() > aheadOffset_ + aheadSize_) {
    if (offset >= size_) return false;
    ahead_.resize(kReadAhead);
    aheadSize_ = static_cast<std::size_t>(std::min<std::uint64_t>(kReadAhead, size_ - offset));
    aheadOffset_ = offset;
    if (!ReadDirect(offset, {ahead_.data(), aheadSize_})) {
      aheadSize_ = 0;
      return false;
    }
    if (destination.size() > aheadSize_) return false;
  }
  vbmovsb(destination.data(), ahead_.data() + (offset - aheadOffset_), destination.size());
  return true;
}

}  // namespace tactoria
