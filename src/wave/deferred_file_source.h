#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "byte_source.h"

namespace tactoria {

// A file read as FileSource reads it, except that the large reads (a sound's data chunk) are put
// off: the reader gets its buffers at once, and a thread of their own fills them once Start is
// called, while the program already works on the bytes that have arrived. Whoever uses a put-off
// buffer waits for the part it needs with WaitFor. The file is kept open meanwhile.
class DeferredFileSource : public ByteSource {
 public:
  // Reads of at least this many bytes are put off.
  static constexpr std::size_t kDeferFrom = std::size_t{4} << 20;

  // Null when `path` cannot be opened as a regular file (the caller then reads it as usual and
  // reports why).
  static std::unique_ptr<DeferredFileSource> Open(const std::string& path);
  DeferredFileSource(const DeferredFileSource&) = delete;
  DeferredFileSource& operator=(const DeferredFileSource&) = delete;
  // Stops the reading (the buffers must outlive it) and closes the file.
  ~DeferredFileSource() override;

  std::uint64_t size() const override { return file_.size(); }
  bool Read(std::uint64_t offset, std::span<std::byte> destination) override;

  // Starts filling the put-off buffers, each from its end backwards when `backwards` (for a
  // reversed render), else from its start.
  void Start(bool backwards);
  // Waits until the bytes [begin, end) have arrived where they lie in a put-off buffer (other
  // memory is not waited for). 0, or the errno of the failed read.
  int WaitFor(const std::byte* begin, const std::byte* end);
  // Waits for every put-off buffer. 0 or errno.
  int WaitAll();

 private:
  DeferredFileSource(int fd, std::uint64_t size) : fd_(fd), file_(fd, size) {}
  struct Region {
    std::uint64_t offset;
    std::span<std::byte> bytes;
    std::size_t arrived = 0;  // from the start, or from the end when read backwards
  };
  void Load();
  int Covered(const Region& region, const std::byte* begin, const std::byte* end) const;

  int fd_;
  FileSource file_;
  std::vector<Region> regions_;
  bool backwards_ = false;
  std::mutex mutex_;
  std::condition_variable arrived_;
  int error_ = 0;
  bool stop_ = false;
  bool started_ = false;
  std::thread loader_;
};

}  // namespace tactoria
