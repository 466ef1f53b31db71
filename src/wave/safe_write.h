#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "file_result.h"

namespace tactoria {

// The reason of a refused target that exists but is neither a regular file nor a folder (a device,
// a FIFO, a socket): no system call failed, so there is no errno for it.
inline constexpr int kNotRegularFile = -1;

// The outcome of a write: the numbered code the user is shown and the operating system's reason
// (errno of the call that failed, or kNotRegularFile; 0 when no call failed, e.g. for a result too
// large to hold).
struct WriteStatus {
  FileResult result = FileResult::Success;
  int osError = 0;

  bool ok() const { return result == FileResult::Success; }
};

// Where a file's bytes go. Both calls return 0 or an errno value.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual int Write(std::span<const std::byte> bytes) = 0;
  // Every byte written so far is on the disk.
  virtual int Flush() = 0;
};

// Writes to a file descriptor (not owned); Flush is fdatasync. Large files are handed to the disk
// as they grow, so the final flush has little left to wait for.
class FileSink : public ByteSink {
 public:
  explicit FileSink(int fd) : fd_(fd) {}
  int Write(std::span<const std::byte> bytes) override;
  int Flush() override;

 private:
  int fd_;
  std::uint64_t written_ = 0;
  std::uint64_t handedOver_ = 0;  // bytes whose write-back has been started
};

// Makes the sink for a new temporary file's descriptor. Tests hand in one that fails like a full
// disk; empty means FileSink.
using SinkFactory = std::function<std::unique_ptr<ByteSink>(int fd)>;

// Collects small pieces into one write; large pieces go straight to the sink.
class StagedWriter {
 public:
  explicit StagedWriter(ByteSink& sink) : sink_(sink) {}
  int Write(std::span<const std::byte> bytes);
  int Flush();

 private:
  ByteSink& sink_;
  std::size_t used_ = 0;
  std::byte stage_[64 * 1024];
};

// Which file a path named when it was last looked at.
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// A file being written in place of `target`: its bytes go to a new file ".NAME.<16 hex digits>.tmp"
// in the target's folder, which takes the target's place only on Commit, so a failure or an
// interruption never harms the target. The temporary file is removed unless committed, and is
// registered for removal on an ending signal while it exists (see RemoveTemporariesOnSignals).
class PendingFile {
 public:
  // Links in `target` are followed, so that the file a link points to is replaced. Without
  // `overwrite` an existing target is refused with CannotCreate (EEXIST); with it, anything but a
  // regular file is refused with CannotReplace (EISDIR or kNotRegularFile). A name ending in "/"
  // is refused with EISDIR, or ENOTDIR when what it names is not a folder.
  PendingFile(const std::string& target, bool overwrite, const SinkFactory& sinks = {});
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;
  ~PendingFile();

  // Whether the temporary file exists; the reason otherwise.
  const WriteStatus& status() const { return status_; }
  bool ok() const { return status_.ok(); }
  ByteSink& sink() { return *sink_; }
  const std::string& target() const { return resolved_; }
  const std::string& directory() const { return directory_; }
  const std::string& temporaryPath() const { return temporary_; }

  // Records a failed write (kept as the status) and gives it back.
  const WriteStatus& Fail(FileResult result, int osError);
  // Flushes (when asked) and closes the temporary file. WriteFailed with the reason on failure.
  const WriteStatus& Finish(bool flush);
  // Puts the finished file in the target's place: replacing it with `overwrite`, else only while
  // no file of that name exists. The folder is not flushed (see SyncDirectory).
  const WriteStatus& Commit();
  // As Commit, but a file replaced is swapped to the temporary name and kept there, so Restore
  // can put it back. Where the file system cannot swap, the target is replaced as by Commit.
  const WriteStatus& CommitKeepingFormer();
  // Undoes the commit: the former file goes back in place, or the new one is removed if there
  // was none; only while the target is still the file this run wrote. False when it cannot.
  bool Restore();
  // The committed file, as this run wrote it.
  FileIdentity identity() const { return identity_; }
  bool committed() const { return committed_; }

 private:
  void RemoveTemporary();
  const WriteStatus& CommitAs(bool keepFormer);

  std::string resolved_;
  std::string directory_;
  std::string temporary_;
  bool overwrite_;
  int fd_ = -1;
  std::size_t slot_;
  std::unique_ptr<ByteSink> sink_;
  WriteStatus status_;
  FileIdentity identity_;
  bool committed_ = false;
  bool holdsFormer_ = false;  // the temporary name holds the file that was replaced
};

// Flushes a folder's entries (new and renamed names) to the disk; 0 or errno.
int SyncDirectory(const std::string& directory);

// Writes `bytes` as the file `path` through a PendingFile: flushed, then put in place.
WriteStatus SaveBytes(std::span<const std::byte> bytes, const std::string& path, bool overwrite,
                      const SinkFactory& sinks = {});

// Flushes many files at once: every file system holding one of the watched folders is flushed
// with one call, which reports any write-back failure on it since the folder was first watched.
// Watch each folder before the files in it are written.
class FileSystemFlush {
 public:
  FileSystemFlush() = default;
  FileSystemFlush(const FileSystemFlush&) = delete;
  FileSystemFlush& operator=(const FileSystemFlush&) = delete;
  ~FileSystemFlush();

  // 0 or errno (the folder cannot be opened).
  int Watch(const std::string& directory);
  // 0 or the errno of the first failing flush.
  int Flush() const;
  // Flushes the watched folders' entries (see SyncDirectory).
  void SyncDirectories() const;
  // Takes an advisory lock (flock) on every watched folder, waiting for any other run that holds
  // one, so that the renames of two runs into one folder do not interleave. Held until this object
  // goes. 0 or the errno of the first lock that cannot be taken.
  int LockFolders();

 private:
  struct Folder {
    std::string path;
    int fd;
  };
  std::vector<Folder> folders_;
};

// Moves `from` to `to` only if `to` does not exist, in one step another process cannot race;
// errno EEXIST when it exists. 0 or errno.
int RenameNoReplace(const std::string& from, const std::string& to);

// The identity of what `path` names (not following a final link), if anything.
bool IdentityOf(const std::string& path, FileIdentity& identity);

// Removes `path` only while it is still `identity`: a file that another run put in its place
// since is left alone. True when the file is gone (removed now or missing already).
bool RemoveIfSame(const std::string& path, const FileIdentity& identity);

}  // namespace tactoria
