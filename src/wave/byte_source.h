#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tactoria {

// Where the RIFF reader takes its bytes from: a file or a block of memory.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t size() const = 0;
  // Fills `destination` from `offset`; false on an error or an early end.
  virtual bool Read(std::uint64_t offset, std::span<std::byte> destination) = 0;
};

class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::span<const std::byte> bytes) : bytes_(bytes) {}
  std::uint64_t size() const override { return bytes_.size(); }
  bool Read(std::uint64_t offset, std::span<std::byte> destination) override;

 private:
  std::span<const std::byte> bytes_;
};

// An open file of `size` bytes (the descriptor is not owned). Small reads, such as chunk
// headers, are served from a read-ahead block, so a file of many small chunks costs few calls.
class FileSource : public ByteSource {
 public:
  FileSource(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
  std::uint64_t size() const override { return size_; }
  bool Read(std::uint64_t offset, std::span<std::byte> destination) override;

 private:
  bool ReadDirect(std::uint64_t offset, std::span<std::byte> destination) const;

  int fd_;
  std::uint64_t size_;
  std::vector<std::byte> ahead_;
  std::uint64_t aheadOffset_ = 0;
  std::size_t aheadSize_ = 0;
};

}  // namespace tactoria
