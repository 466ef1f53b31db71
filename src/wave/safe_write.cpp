#include "safe_write.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <optional>
#include <tuple>
#include <utility>

#include "block_copy.h"
#include "temporary_registry.h"

namespace tactoria {
namespace {

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

int CloseKeepingError(int fd) {
  return ::close(fd) == 0 ? 0 : errno;
}

}  // namespace

int FileSink::Write(std::span<const std::byte> bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return EIO;
    bytes = bytes.subspan(static_cast<std::size_t>(n));
    written_ += static_cast<std::uint64_t>(n);
  }
  // Starts the write-back of what has gathered without waiting for it; the flush still waits for all.
  constexpr std::uint64_t kHandOver = std::uint64_t{8} << 20;
  if (written_ - handedOver_ >= kHandOver) {
    ::sync_file_range(fd_, static_cast<off_t>(handedOver_), static_cast<off_t>(written_ - handedOver_),
                      SYNC_FILE_RANGE_WRITE);
    handedOver_ = written_;
  }
  return 0;
}

int FileSink::Flush() {
  return ::fdatasync(fd_) == 0 ? 0 : errno;
}

int StagedWriter::Write(std::span<const std::byte> bytes) {
  if (bytes.size() > sizeof stage_ - used_) {
    if (const int error = Flush(); error != 0) return error;
    if (bytes.size() > sizeof stage_) return sink_.Write(bytes);
  }
  vbmovsb(stage_ + used_, bytes.data(), bytes.size());
  used_ += bytes.size();
  return 0;
}

int StagedWriter::Flush() {
  const int error = used_ == 0 ? 0 : sink_.Write({stage_, used_});
  used_ = 0;
  return error;
}

PendingFile::PendingFile(const std::string& target, bool overwrite, const SinkFactory& sinks)
    : overwrite_(overwrite), slot_(TemporaryRegistry::kNone) {
  const FileResult cannotCreate = overwrite ? FileResult::CannotReplace : FileResult::CannotCreate;
  const auto resolved = ResolveLinks(target);
  if (target.empty() || !resolved) {
    status_ = {cannotCreate, target.empty() ? ENOENT : ELOOP};
    return;
  }
  if (BaseNameOf(*resolved).empty()) {
    // "NAME/" names a folder: it is one, or what is there is not one.
    struct stat folder {};
    status_ = {cannotCreate, ::stat(resolved->c_str(), &folder) != 0 && errno == ENOTDIR ? ENOTDIR : EISDIR};
    return;
  }
  resolved_ = *resolved;
  directory_ = DirectoryOf(resolved_);

  struct stat existing {};
  const bool exists = ::lstat(resolved_.c_str(), &existing) == 0;
  if (exists && !overwrite) {
    status_ = {cannotCreate, EEXIST};
    return;
  }
  if (exists && !S_ISREG(existing.st_mode)) {
    status_ = {cannotCreate, S_ISDIR(existing.st_mode) ? EISDIR : kNotRegularFile};
    return;
  }

  IgnoreFileSizeSignal();
  // Short enough to stay within the file name limit whatever the target's name.
  const std::string stem = directory_ + "/." + BaseNameOf(resolved_).substr(0, 200) + ".";
  int error = EEXIST;
  for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "%016llx.tmp", static_cast<unsigned long long>(NameSeed()));
    std::string candidate = stem + suffix;
    // Mode 0666, so that the umask (and default ACLs) apply as for any new file. No signal may
    // find the file made but not yet registered.
    EndingSignalsHeld held;
    fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd_ >= 0) {
      temporary_ = std::move(candidate);
      slot_ = TemporaryRegistry::Register(temporary_);
      error = 0;
    } else {
      error = errno;
    }
  }
  if (error != 0) {
    status_ = {cannotCreate, error};
    return;
  }
  // A replaced file keeps its permissions (best effort: the content matters more).
  if (exists) ::fchmod(fd_, existing.st_mode & 07777);
  sink_ = sinks ? sinks(fd_) : nullptr;
  if (!sink_) sink_ = std::make_unique<FileSink>(fd_);
}

PendingFile::~PendingFile() {
  if (fd_ >= 0) ::close(fd_);
  // Uncommitted: this run's file; committed with the former file aside: that file, now replaced.
  if (!committed_ || holdsFormer_) RemoveTemporary();
}

void PendingFile::RemoveTemporary() {
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  TemporaryRegistry::Unregister(slot_);
  slot_ = TemporaryRegistry::kNone;
}

const WriteStatus& PendingFile::Fail(FileResult result, int osError) {
  if (status_.ok()) status_ = {result, osError};
  return status_;
}

const WriteStatus& PendingFile::Finish(bool flush) {
  if (!status_.ok() || fd_ < 0) return status_;
  int error = flush ? sink_->Flush() : 0;
  sink_.reset();
  const int closeError = CloseKeepingError(fd_);
  fd_ = -1;
  if (error == 0) error = closeError;
  if (error != 0) status_ = {FileResult::WriteFailed, error};
  return status_;
}

const WriteStatus& PendingFile::Commit() {
  return CommitAs(false);
}

const WriteStatus& PendingFile::CommitKeepingFormer() {
  return CommitAs(true);
}

const WriteStatus& PendingFile::CommitAs(bool keepFormer) {
  if (!status_.ok() || committed_) return status_;
  if (fd_ >= 0 && !Finish(false).ok()) return status_;
  struct stat written {};
  if (::stat(temporary_.c_str(), &written) == 0) identity_ = {written.st_dev, written.st_ino};
  int error = 0;
  struct stat former {};
  // Only a regular file is swapped aside; anything else that took the name since is not ours to move.
  keepFormer = keepFormer && ::lstat(resolved_.c_str(), &former) == 0 && S_ISREG(former.st_mode);
  if (!overwrite_) {
    error = RenameNoReplace(temporary_, resolved_);
  } else if (keepFormer &&
             ::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, resolved_.c_str(), RENAME_EXCHANGE) == 0) {
    holdsFormer_ = true;
  } else if (::rename(temporary_.c_str(), resolved_.c_str()) != 0) {
    // No target to swap with (ENOENT), or a file system that cannot swap: a plain replace.
    error = errno;
  }
  if (error != 0) {
    status_ = {overwrite_ ? FileResult::CannotReplace : FileResult::CannotCreate, error};
    return status_;
  }
  committed_ = true;
  if (!holdsFormer_) {
    TemporaryRegistry::Unregister(slot_);
    slot_ = TemporaryRegistry::kNone;
  }
  return status_;
}

bool PendingFile::Restore() {
  if (!committed_) return true;
  FileIdentity now;
  if (!IdentityOf(resolved_, now) || now != identity_) return false;
  if (holdsFormer_) {
    if (::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, resolved_.c_str(), RENAME_EXCHANGE) != 0)
      return false;
    holdsFormer_ = false;  // the temporary name holds this run's file again, removed as usual
  } else if (::unlink(resolved_.c_str()) != 0) {
    return false;
  }
  committed_ = false;
  return true;
}

int SyncDirectory(const std::string& directory) {
  const int dir = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return errno;
  const int error = ::fsync(dir) == 0 ? 0 : errno;
  ::close(dir);
  return error;
}

WriteStatus SaveBytes(std::span<const std::byte> bytes, const std::string& path, bool overwrite,
                      const SinkFactory& sinks) {
  PendingFile file(path, overwrite, sinks);
  if (!file.ok()) return file.status();
  if (const int error = file.sink().Write(bytes); error != 0)
    return file.Fail(FileResult::WriteFailed, error);
  if (!file.Finish(true).ok() || !file.Commit().ok()) return file.status();
  SyncDirectory(file.directory());
  return {};
}

FileSystemFlush::~FileSystemFlush() {
  for (const Folder& folder : folders_) ::close(folder.fd);
}

int FileSystemFlush::Watch(const std::string& directory) {
  for (const Folder& folder : folders_) {
    if (folder.path == directory) return 0;
  }
  const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  try {
    folders_.push_back({directory, fd});
  } catch (...) {
    ::close(fd);
    throw;
  }
  return 0;
}

int FileSystemFlush::Flush() const {
  for (const Folder& folder : folders_) {
    if (::syncfs(folder.fd) != 0) return errno;
  }
  return 0;
}

int FileSystemFlush::LockFolders() {
  std::vector<std::pair<FileIdentity, int>> order;
  for (const Folder& folder : folders_) {
    struct stat info {};
    if (::fstat(folder.fd, &info) != 0) return errno;
    order.push_back({{info.st_dev, info.st_ino}, folder.fd});
  }
  // One order for every run, so that two runs sharing folders cannot wait for each other.
  std::sort(order.begin(), order.end(), [](const auto& a, const auto& b) {
    return std::tie(a.first.device, a.first.inode) < std::tie(b.first.device, b.first.inode);
  });
  for (const auto& [identity, fd] : order) {
    int result;
    do {
      result = ::flock(fd, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    if (result != 0) return errno;
  }
  return 0;
}

void FileSystemFlush::SyncDirectories() const {
  for (const Folder& folder : folders_) ::fsync(folder.fd);
}

int RenameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return errno;
  // File systems without the flag: a hard link is just as exclusive.
  if (::link(from.c_str(), to.c_str()) != 0) return errno;
  ::unlink(from.c_str());
  return 0;
}

bool IdentityOf(const std::string& path, FileIdentity& identity) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return false;
  identity = {info.st_dev, info.st_ino};
  return true;
}

bool RemoveIfSame(const std::string& path, const FileIdentity& identity) {
  FileIdentity now;
  if (!IdentityOf(path, now)) return errno == ENOENT;
  if (now != identity) return true;  // another file took the name: ours is gone already
  return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

}  // namespace tactoria
