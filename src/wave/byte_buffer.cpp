#include "byte_buffer.h"

#include <cstdlib>
#include <cstring>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "block_copy.h"

namespace tactoria {

namespace {

// Sample buffers of many megabytes are written once, front to back, right after they are
// allocated; with 4 KiB pages that first pass costs more in page faults than the copy itself.
// Aligning them to 2 MiB and asking for transparent huge pages removes most of those faults.
constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kHugeThreshold = std::size_t{8} << 20;

std::byte* AllocateRaw(std::size_t size) {
  void* p = nullptr;
  const std::size_t alignment = size >= kHugeThreshold ? kHugePage : alignof(std::max_align_t);
  if (posix_memalign(&p, alignment, size) != 0) return nullptr;
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  if (size >= kHugeThreshold) madvise(p, size - size % kHugePage, MADV_HUGEPAGE);
#endif
  return static_cast<std::byte*>(p);
}

}  // namespace

void ByteBuffer::Free::operator()(std::byte* p) const noexcept {
  std::free(p);
}

std::optional<ByteBuffer> ByteBuffer::Allocate(std::size_t size) {
  if (size == 0) return ByteBuffer{};
  // Left uninitialised: large sample buffers are filled by their owner, never zeroed first.
  Storage data(AllocateRaw(size));
  if (!data) return std::nullopt;
  return ByteBuffer(std::move(data), size);
}

std::optional<ByteBuffer> ByteBuffer::AllocateZeroed(std::size_t size) {
  auto buffer = Allocate(size);
  if (buffer && size != 0) std::memset(buffer->data(), 0, size);
  return buffer;
}

std::optional<ByteBuffer> ByteBuffer::CopyOf(std::span<const std::byte> bytes) {
  auto buffer = Allocate(bytes.size());
  if (buffer && !bytes.empty()) vbmovsb(buffer->data(), bytes.data(), bytes.size());
  return buffer;
}

}  // namespace tactoria
