#pragma once

#include <functional>
#include <string>
#include <vector>

#include "wave/safe_write.h"

namespace tactoria {

// One file of a set written all or nothing: its name and what writes its bytes into the pending
// file (keeping a failure as the file's status).
struct PlannedFile {
  std::string path;
  std::function<const WriteStatus&(PendingFile&)> write;
};

struct FileSetOutcome {
  WriteStatus status;      // the first failure, or success
  std::string failedPath;  // with a failure: the file it concerns
  bool ok() const { return status.ok(); }
};

// Writes the files as a span writes its beats: each to a temporary file beside its target, all
// flushed to the disk at once, and only then every one put in its target's place. On any failure no
// target is changed (targets already replaced get their former files back) and no temporary file
// stays. Without `overwrite` an existing target fails with CannotCreate.
FileSetOutcome WriteFileSet(const std::vector<PlannedFile>& files, bool overwrite,
                            const SinkFactory& sinks = {});

// Writes `bytes` into `file` (for the small files of a set: SFZ, MIDI).
const WriteStatus& WriteBytes(PendingFile& file, std::span<const std::byte> bytes);

}  // namespace tactoria
