// Reading and writing whole RIFF files: vbMediaFile::OpenFromFile and vbMediaFile::SaveToFile.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <limits>
#include <new>
#include <optional>

#include "block_copy.h"
#include "media_file.h"

namespace tactoria {
namespace {

constexpr std::uint64_t kRiffHeaderSize = 12;
constexpr std::uint64_t kChunkHeaderSize = 8;

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd = -1) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  void Reset(int fd) {
    Close();
    fd_ = fd;
  }
  bool valid() const { return fd_ >= 0; }
  // Closes now and reports whether the close succeeded (it can report a late write error).
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int fd_;
};

std::uint32_t LoadLe32(const std::byte* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

void StoreLe32(std::byte* bytes, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::byte>((value >> (8 * i)) & 0xFFu);
}

// Reads `count` bytes at `offset`, going on after partial reads; false on an error or an early end.
bool ReadExact(int fd, std::byte* destination, std::size_t count, std::uint64_t offset) {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = ::pread(fd, destination + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool WriteAll(int fd, std::span<const std::byte> bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes = bytes.subspan(static_cast<std::size_t>(n));
  }
  return true;
}

FileResult ReadChunkList(int fd, std::uint64_t fileLength, std::vector<ChunkEntry>& chunks) {
  std::uint64_t position = kRiffHeaderSize;
  // Fewer bytes than a chunk header at the end are trailing slack and ignored.
  while (fileLength - position >= kChunkHeaderSize) {
    std::array<std::byte, kChunkHeaderSize> header;
    if (!ReadExact(fd, header.data(), header.size(), position)) return FileResult::ChunkUnreadable;
    position += kChunkHeaderSize;

    const std::uint32_t typeId = LoadLe32(header.data());
    const auto declared = static_cast<std::int32_t>(LoadLe32(header.data() + 4));
    if (declared < 0) return FileResult::OutOfMemory;
    const auto size = static_cast<std::uint64_t>(declared);
    // Checked before allocating, so a small file cannot ask for a huge buffer.
    if (size > fileLength - position) return FileResult::ChunkUnreadable;

    auto buffer = ByteBuffer::Allocate(static_cast<std::size_t>(size));
    if (!buffer) return FileResult::OutOfMemory;
    if (!ReadExact(fd, buffer->data(), buffer->size(), position)) return FileResult::ChunkUnreadable;
    position += size;
    try {
      chunks.push_back(ChunkEntry{typeId, std::move(*buffer)});
    } catch (const std::bad_alloc&) {
      return FileResult::OutOfMemory;
    }

    // An odd chunk is normally followed by a zero pad byte. Writers that omit it put the next
    // chunk id there instead, and an id never starts with a zero byte.
    if ((size & 1) != 0 && position < fileLength) {
      std::byte pad{};
      if (!ReadExact(fd, &pad, 1, position)) return FileResult::ChunkUnreadable;
      if (pad == std::byte{0}) ++position;
    }
  }
  return FileResult::Success;
}

// Collects small pieces (headers, short chunks) into one write; large chunk data goes
// straight from its buffer to the file.
class StagedWriter {
 public:
  explicit StagedWriter(int fd) : fd_(fd) {}

  bool Write(std::span<const std::byte> bytes) {
    if (bytes.size() > stage_.size() - used_) {
      if (!Flush()) return false;
      if (bytes.size() > stage_.size()) return WriteAll(fd_, bytes);
    }
    vbmovsb(stage_.data() + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
    return true;
  }

  bool Flush() {
    const bool ok = WriteAll(fd_, {stage_.data(), used_});
    used_ = 0;
    return ok;
  }

 private:
  int fd_;
  std::size_t used_ = 0;
  std::array<std::byte, 32 * 1024> stage_;
};

std::string DirectoryOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Follows a chain of symbolic links, so that saving replaces the file a link points to and
// keeps the link. Empty when the chain is too long or unreadable.
std::optional<std::string> ResolveLinks(std::string path) {
  for (int hop = 0; hop < 40; ++hop) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    std::array<char, PATH_MAX> link;
    const ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= link.size()) return std::nullopt;
    std::string destination(link.data(), static_cast<std::size_t>(n));
    if (destination.front() != '/') destination = DirectoryOf(path) + "/" + destination;
    path = std::move(destination);
  }
  return std::nullopt;
}

// Writes that pass the file size limit must fail with EFBIG instead of killing the process.
void IgnoreFileSizeSignal() {
  static const bool done = [] {
    struct sigaction current {};
    if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
      std::signal(SIGXFSZ, SIG_IGN);
    }
    return true;
  }();
  (void)done;
}

std::uint64_t NameSeed() {
  static std::uint64_t counter = 0;
  std::uint64_t x = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                    (static_cast<std::uint64_t>(::getpid()) << 32) ^ (++counter * 0x9E3779B97F4A7C15u);
  // splitmix64 finaliser: spreads the bits so names differ in every position.
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9u;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBu;
  return x ^ (x >> 31);
}

// A new file next to the target, removed again unless Keep() is called once it has taken the
// target's place. Created with mode 0666 so that the umask (and default ACLs) apply as for any
// new file.
class TemporaryFile {
 public:
  TemporaryFile(const std::string& directory, const std::string& targetName) {
    // Short enough to stay within the file name limit whatever the target's name.
    const std::string stem = directory + "/." + targetName.substr(0, 200) + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
      char suffix[32];
      std::snprintf(suffix, sizeof suffix, "%016llx.tmp", static_cast<unsigned long long>(NameSeed()));
      std::string candidate = stem + suffix;
      const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
      if (fd >= 0) {
        file_.Reset(fd);
        path_ = std::move(candidate);
        return;
      }
      if (errno != EEXIST) return;
    }
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    file_.Close();
    if (!kept_ && !path_.empty()) ::unlink(path_.c_str());
  }

  bool valid() const { return file_.valid(); }
  int fd() const { return file_.get(); }
  const std::string& path() const { return path_; }
  bool Close() { return file_.Close(); }
  void Keep() { kept_ = true; }

 private:
  FileDescriptor file_;
  std::string path_;
  bool kept_ = false;
};

// Moves `from` to `to` only if `to` does not exist, in one step that another process cannot
// race. EEXIST when the target exists.
bool RenameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return false;
  // File systems without the flag: a hard link is just as exclusive.
  if (::link(from.c_str(), to.c_str()) != 0) return false;
  ::unlink(from.c_str());
  return true;
}

void SyncDirectory(const std::string& directory) {
  FileDescriptor dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.valid()) ::fsync(dir.get());
}

}  // namespace

FileResult vbMediaFile::OpenFromFile(const std::string& path) {
  // Plain read access: other programs may hold the file open. O_NONBLOCK keeps a FIFO from
  // hanging the open; such files are refused below.
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!file.valid()) return FileResult::CannotOpen;
  struct stat info {};
  if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
    return FileResult::CannotOpen;
  }
  const auto fileLength = static_cast<std::uint64_t>(info.st_size);

  std::array<std::byte, kRiffHeaderSize> header;
  if (fileLength < kRiffHeaderSize || !ReadExact(file.get(), header.data(), header.size(), 0)) {
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

  std::vector<ChunkEntry> chunks;
  FileResult result = ReadChunkList(file.get(), fileLength, chunks);
  if (result == FileResult::Success) {
    if (chunks_.empty()) {
      chunks_ = std::move(chunks);
    } else {
      try {
        chunks_.reserve(chunks_.size() + chunks.size());
        for (auto& chunk : chunks) chunks_.push_back(std::move(chunk));
      } catch (const std::bad_alloc&) {
        result = FileResult::OutOfMemory;
      }
    }
  }
  if (result != FileResult::Success) {
    ClearChunks();
    return result;
  }
  fileName_ = path;
  return FileResult::Success;
}

FileResult vbMediaFile::SaveToFile(const std::string& path, bool overWrite) {
  const std::string target = path.empty() ? fileName_ : path;
  const FileResult cannotCreate = overWrite ? FileResult::CannotReplace : FileResult::CannotCreate;

  // The size field holds the file length minus 8 in 32 bits; find out before touching the disk.
  constexpr std::uint64_t kMaxLength = std::uint64_t{std::numeric_limits<std::uint32_t>::max()} + 8;
  std::uint64_t length = kRiffHeaderSize;
  for (const auto& chunk : chunks_) {
    length += kChunkHeaderSize + chunk.data.size() + (chunk.data.size() & 1);
    if (length > kMaxLength) return FileResult::WriteFailed;
  }

  const auto resolved = ResolveLinks(target);
  if (target.empty() || !resolved || BaseNameOf(*resolved).empty()) return cannotCreate;
  const std::string directory = DirectoryOf(*resolved);

  struct stat existing {};
  const bool exists = ::lstat(resolved->c_str(), &existing) == 0;
  if (exists && (!overWrite || !S_ISREG(existing.st_mode))) return cannotCreate;

  IgnoreFileSizeSignal();
  TemporaryFile temporary(directory, BaseNameOf(*resolved));
  if (!temporary.valid()) return cannotCreate;
  // A replaced file keeps its permissions (best effort: the content matters more).
  if (exists) ::fchmod(temporary.fd(), existing.st_mode & 07777);

  std::array<std::byte, kRiffHeaderSize> header;
  StoreLe32(header.data(), fileHeader_);
  StoreLe32(header.data() + 4, static_cast<std::uint32_t>(length - 8));
  StoreLe32(header.data() + 8, fileType_);

  StagedWriter writer(temporary.fd());
  bool ok = writer.Write(header);
  for (const auto& chunk : chunks_) {
    if (!ok) break;
    std::array<std::byte, kChunkHeaderSize> chunkHeader;
    StoreLe32(chunkHeader.data(), chunk.typeId);
    StoreLe32(chunkHeader.data() + 4, static_cast<std::uint32_t>(chunk.data.size()));
    const std::byte pad{0};
    ok = writer.Write(chunkHeader) && writer.Write(chunk.bytes()) &&
         ((chunk.data.size() & 1) == 0 || writer.Write({&pad, 1}));
  }
  ok = ok && writer.Flush() && ::fdatasync(temporary.fd()) == 0;
  ok = temporary.Close() && ok;
  if (!ok) return FileResult::WriteFailed;

  if (overWrite) {
    if (::rename(temporary.path().c_str(), resolved->c_str()) != 0) return cannotCreate;
  } else if (!RenameNoReplace(temporary.path(), *resolved)) {
    return cannotCreate;
  }
  temporary.Keep();
  SyncDirectory(directory);

  fileName_ = target;
  return FileResult::Success;
}

}  // namespace tactoria
