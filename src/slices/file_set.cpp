#include "file_set.h"

#include <deque>
#include <new>

#include "wave/temporary_registry.h"

namespace tactoria {

FileSetOutcome WriteFileSet(const std::vector<PlannedFile>& files, bool overwrite, const SinkFactory& sinks) {
  FileSetOutcome outcome;
  const auto fail = [&outcome](const std::string& path, const WriteStatus& status) {
    outcome.status = status;
    outcome.failedPath = path;
    return outcome;
  };
  try {
    std::deque<PendingFile> pending;  // each removes its temporary file unless committed
    FileSystemFlush flush;
    for (const PlannedFile& planned : files) {
      PendingFile& file = pending.emplace_back(planned.path, overwrite, sinks);
      if (file.ok()) {
        if (const int error = flush.Watch(file.directory()); error != 0)
          file.Fail(FileResult::WriteFailed, error);
      }
      if (file.ok()) planned.write(file);
      // Closed without a flush: the whole set is flushed at once below.
      if (!file.ok() || !file.Finish(false).ok()) return fail(planned.path, file.status());
    }
    if (const int error = flush.Flush(); error != 0) {
      return fail(files.front().path, {FileResult::WriteFailed, error});
    }
    // As a span does: two runs into one folder put their sets in place one after the other, and
    // from the first rename on an ending signal waits until the set is in place or backed out.
    flush.LockFolders();
    EndingSignalsHeld held;
    for (std::size_t k = 0; k < pending.size(); ++k) {
      if (pending[k].CommitKeepingFormer().ok()) continue;
      const WriteStatus status = pending[k].status();
      // Back out the files already in place, newest first.
      for (std::size_t j = k; j-- > 0;) pending[j].Restore();
      pending.clear();
      flush.SyncDirectories();
      return fail(files[k].path, status);
    }
    pending.clear();  // the replaced files, kept aside until now, go
    flush.SyncDirectories();
  } catch (const std::bad_alloc&) {
    return fail(files.empty() ? std::string() : files.front().path, {FileResult::OutOfMemory, 0});
  }
  return outcome;
}

const WriteStatus& WriteBytes(PendingFile& file, std::span<const std::byte> bytes) {
  if (!file.ok()) return file.status();
  StagedWriter writer(file.sink());
  int error = writer.Write(bytes);
  if (error == 0) error = writer.Flush();
  if (error != 0) return file.Fail(FileResult::WriteFailed, error);
  return file.status();
}

}  // namespace tactoria
