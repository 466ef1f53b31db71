#include "byte_buffer.h"

#include <new>

#include "block_copy.h"

namespace tactoria {

std::optional<ByteBuffer> ByteBuffer::Allocate(std::size_t size) {
  if (size == 0) return ByteBuffer{};
  // Default-initialised: large sample buffers are filled by their owner, never zeroed first.
  std::unique_ptr<std::byte[]> data(new (std::nothrow) std::byte[size]);
  if (!data) return std::nullopt;
  return ByteBuffer(std::move(data), size);
}

std::optional<ByteBuffer> ByteBuffer::AllocateZeroed(std::size_t size) {
  if (size == 0) return ByteBuffer{};
  std::unique_ptr<std::byte[]> data(new (std::nothrow) std::byte[size]());
  if (!data) return std::nullopt;
  return ByteBuffer(std::move(data), size);
}

std::optional<ByteBuffer> ByteBuffer::CopyOf(std::span<const std::byte> bytes) {
  auto buffer = Allocate(bytes.size());
  if (buffer && !bytes.empty()) vbmovsb(buffer->data(), bytes.data(), bytes.size());
  return buffer;
}

}  // namespace tactoria
