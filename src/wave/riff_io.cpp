// Reading and writing whole RIFF files: vbMediaFile::OpenFromFile and vbMediaFile::SaveToFile.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <limits>
#include <new>

#include "media_file.h"
#include "riff_layout.h"

namespace tactoria {
namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }

 private:
  int fd_;
};

}  // namespace

FileResult vbMediaFile::ReadChunks(ByteSource& source) {
  const std::uint64_t fileLength = source.size();
  std::uint64_t position = kRiffHeaderSize;
  // Fewer bytes than a chunk header at the end are trailing slack and ignored.
  while (fileLength - position >= kChunkHeaderSize) {
    std::array<std::byte, kChunkHeaderSize> header;
    if (!source.Read(position, header)) return FileResult::ChunkUnreadable;
    position += kChunkHeaderSize;

    const std::uint32_t typeId = LoadLe32(header.data());
    const auto declared = static_cast<std::int32_t>(LoadLe32(header.data() + 4));
    if (declared < 0) return FileResult::OutOfMemory;
    const auto size = static_cast<std::uint64_t>(declared);
    // Checked before allocating, so a small file cannot ask for a huge buffer.
    if (size > fileLength - position) return FileResult::ChunkUnreadable;

    // An empty chunk needs no buffer at all.
    auto buffer = ByteBuffer::Allocate(static_cast<std::size_t>(size));
    if (!buffer) return FileResult::OutOfMemory;
    if (size != 0 && !source.Read(position, buffer->bytes())) return FileResult::ChunkUnreadable;
    position += size;
    if (const FileResult added = Append(typeId, std::move(*buffer)); added != FileResult::Success)
      return added;

    // An odd chunk is normally followed by a zero pad byte. Writers that omit it put the next
    // chunk id there instead, and an id never starts with a zero byte.
    if ((size & 1) != 0 && position < fileLength) {
      std::byte pad{};
      if (!source.Read(position, {&pad, 1})) return FileResult::ChunkUnreadable;
      if (pad == std::byte{0}) ++position;
    }
  }
  return FileResult::Success;
}

FileResult vbMediaFile::OpenFromFile(const std::string& path) {
  // Plain read access: other programs may hold the file open. O_NONBLOCK keeps a FIFO from
  // hanging the open; such files are refused below.
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!file.valid()) return FileResult::CannotOpen;
  struct stat info {};
  if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
    return FileResult::CannotOpen;
  }
  FileSource source(file.get(), static_cast<std::uint64_t>(info.st_size));
  return OpenFromSource(source, path);
}

FileResult vbMediaFile::OpenFromSource(ByteSource& source, const std::string& name) {
  const std::uint64_t fileLength = source.size();
  std::array<std::byte, kRiffHeaderSize> header;
  if (fileLength < kRiffHeaderSize || !source.Read(0, header)) {
    ClearChunks();
    return FileResult::HeaderUnreadable;
  }
  fileHeader_ = LoadLe32(header.data());
  headerSize_ = LoadLe32(header.data() + 4);
  fileType_ = LoadLe32(header.data() + 8);

  if (fileLength != std::uint64_t{headerSize_} + 8 && fileLength != headerSize_) {
    ClearChunks();
    return FileResult::InvalidFileSize;
  }
  // Read chunks follow those already held.
  const FileResult result = ReadChunks(source);
  if (result != FileResult::Success) {
    ClearChunks();
    return result;
  }
  fileName_ = name;
  return FileResult::Success;
}

FileResult vbMediaFile::SaveToFile(const std::string& path, bool overWrite) {
  return Save(path, overWrite).result;
}

WriteStatus vbMediaFile::Save(const std::string& path, bool overWrite, const SinkFactory& sinks) {
  const std::string target = path.empty() ? fileName_ : path;
  // Too large for the 32-bit size field: refused before touching the disk.
  if (RiffLength() > kMaxRiffLength) return {FileResult::WriteFailed, EFBIG};

  PendingFile file(target, overWrite, sinks);
  if (!Write(file).ok()) return file.status();
  if (!file.Finish(true).ok() || !file.Commit().ok()) return file.status();
  SyncDirectory(file.directory());
  fileName_ = target;
  return {};
}

std::uint64_t vbMediaFile::RiffLength() const {
  std::uint64_t length = kRiffHeaderSize;
  for (int i = 1; i <= Count(); ++i) {
    const auto size = static_cast<std::uint64_t>(Size(i));
    length += kChunkHeaderSize + size + (size & 1);
  }
  return length;
}

const WriteStatus& vbMediaFile::Write(PendingFile& file) const {
  if (!file.ok()) return file.status();
  // The size field holds the file length minus 8 in 32 bits.
  const std::uint64_t length = RiffLength();
  if (length > kMaxRiffLength) return file.Fail(FileResult::WriteFailed, EFBIG);
  StagedWriter writer(file.sink());
  int error = writer.Write(RiffHeader(fileHeader_, length, fileType_));
  for (std::size_t k = 0; k < list_.size() && error == 0; ++k) {
    const Slot& slot = list_[k];
    const std::span<const std::byte> bytes =
        slot.entry == kNoEntry ? std::span<const std::byte>{} : entries_[slot.entry].bytes();
    const std::uint32_t typeId = slot.entry == kNoEntry ? slot.typeId : entries_[slot.entry].typeId;
    error = writer.Write(ChunkHeader(typeId, bytes.size()));
    if (error == 0) error = writer.Write(bytes);
    if (error == 0 && (bytes.size() & 1) != 0) error = writer.Write(kPadByte);
  }
  if (error == 0) error = writer.Flush();
  if (error != 0) return file.Fail(FileResult::WriteFailed, error);
  return file.status();
}

}  // namespace tactoria
