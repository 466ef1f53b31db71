#pragma once

#include <cerrno>
#include <cstdint>
#include <memory>

#include "wave/safe_write.h"

namespace tactoria::testing {

// Sinks for temporary files that behave like a disk that fills up: the real files are written
// until `budget` bytes have gone out across all of them; the write that would pass it fails with
// ENOSPC, and so does every later one.
inline SinkFactory FullDiskSinks(std::uint64_t budget) {
  class Sink : public ByteSink {
   public:
    Sink(int fd, std::shared_ptr<std::uint64_t> left) : file_(fd), left_(std::move(left)) {}
    int Write(std::span<const std::byte> bytes) override {
      if (bytes.size() > *left_) return *left_ = 0, ENOSPC;
      *left_ -= bytes.size();
      return file_.Write(bytes);
    }
    int Flush() override { return file_.Flush(); }

   private:
    FileSink file_;
    std::shared_ptr<std::uint64_t> left_;  // shared by every sink of the factory
  };
  auto left = std::make_shared<std::uint64_t>(budget);
  return [left](int fd) { return std::make_unique<Sink>(fd, left); };
}

}  // namespace tactoria::testing
