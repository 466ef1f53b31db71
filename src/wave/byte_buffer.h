#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <span>

namespace tactoria {

// An owned, fixed-size block of bytes. Allocation never throws: a failed
// request comes back as an empty optional so callers can report it.
class ByteBuffer {
 public:
  ByteBuffer() = default;

  // Uninitialised bytes (no zero-fill pass over large sample data).
  static std::optional<ByteBuffer> Allocate(std::size_t size);
  static std::optional<ByteBuffer> AllocateZeroed(std::size_t size);
  // A copy of `bytes`; empty optional when memory is short.
  static std::optional<ByteBuffer> CopyOf(std::span<const std::byte> bytes);

  std::byte* data() { return data_.get(); }
  const std::byte* data() const { return data_.get(); }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  std::span<std::byte> bytes() { return {data_.get(), size_}; }
  std::span<const std::byte> bytes() const { return {data_.get(), size_}; }

 private:
  struct Free {
    void operator()(std::byte* p) const noexcept;
  };
  using Storage = std::unique_ptr<std::byte[], Free>;

  ByteBuffer(Storage data, std::size_t size) : data_(std::move(data)), size_(size) {}

  Storage data_;
  std::size_t size_ = 0;
};

}  // namespace tactoria
