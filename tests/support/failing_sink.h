#pragma once

#include <cerrno>
#include <cstdint>
#include <memory>

#include "wave/safe_write.h"

namespace tactoria::testing {

// Sinks for temporary files that behave like a disk that fills up: the real files are written
// until `budget` bytes have gone out across all of them; the write that would pass it fails with
// `error`, and so does every later one.
inline SinkFactory FullDiskSinks(std::uint64_t budget, int error = ENOSPC) {
  struct Budget {
    std::uint64_t left;
    int error;
  };
  class Sink : public ByteSink {
   public:
    Sink(int fd, std::shared_ptr<Budget> budget) : file_(fd), budget_(std::move(budget)) {}
    int Write(std::span<const std::byte> bytes) override {
      if (bytes.size() > budget_->left) {
        budget_->left = 0;
        return budget_->error;
      }
      budget_->left -= bytes.size();
      return file_.Write(bytes);
    }
    int Flush() override { return file_.Flush(); }

   private:
    FileSink file_;
    std::shared_ptr<Budget> budget_;
  };
  auto shared = std::make_shared<Budget>(Budget{budget, error});
  return [shared](int fd) { return std::make_unique<Sink>(fd, shared); };
}

}  // namespace tactoria::testing
