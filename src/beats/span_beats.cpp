#include "span_beats.h"

#include <filesystem>
#include <new>
#include <system_error>

#include "beats/beat_math.h"
#include "wave/four_cc.h"
#include "wave/media_file.h"

namespace tactoria {
namespace {

// A file that exists but is empty counts as absent, so it is replaced without a question.
bool NonEmptyFileExists(const std::string& path) {
  std::error_code error;
  const auto length = std::filesystem::file_size(path, error);
  return !error && length != 0;
}

// The beat's file object: the open file's ids, its format record and L bytes of the sound.
FileResult BuildBeatFile(vbMediaFile& file, const SpanRequest& request, std::int64_t offset,
                         std::int64_t length) {
  file.FileHeader(request.fileHeader);
  file.FileType(request.fileType);
  const auto format = request.format.ToBytes();
  FileResult result = file.Add(kFmtId, format.data(), static_cast<std::int64_t>(format.size()));
  if (result != FileResult::Success) return result;
  return file.Add(kDataId, request.sound.data() + offset, length);
}

void RunSpan(const SpanRequest& request, const SpanHooks& hooks, SpanOutcome& outcome) {
  const std::int64_t beats = request.beats;
  for (std::int64_t k = 0; k < beats; ++k) {
    const int index = static_cast<int>(k);
    if (hooks.beatStarting) hooks.beatStarting(index);
    const std::string name = BeatFileName(request.basePath, index + 1);

    vbMediaFile file;
    if (BuildBeatFile(file, request, k * outcome.beatBytes, outcome.beatBytes) != FileResult::Success) {
      outcome.status = SpanStatus::Failed;
      outcome.failure = FileResult::OutOfMemory;
      outcome.failedPath = name;
      return;
    }

    const bool exists = hooks.fileExists ? hooks.fileExists(name) : NonEmptyFileExists(name);
    const OverwriteAnswer answer =
        exists && hooks.askOverwrite ? hooks.askOverwrite(name) : OverwriteAnswer::Yes;
    if (answer == OverwriteAnswer::Cancel) {
      outcome.status = SpanStatus::Cancelled;
      return;
    }
    if (answer == OverwriteAnswer::Yes) {
      const FileResult written = file.SaveToFile(name, request.overwrite);
      if (written != FileResult::Success) {
        outcome.status = SpanStatus::Failed;
        outcome.failure = written;
        outcome.failedPath = name;
        return;
      }
      outcome.written.push_back(name);
    }

    if (hooks.beatDone && hooks.beatDone(index + 1)) {
      outcome.status = SpanStatus::Cancelled;
      return;
    }
  }
  outcome.status = SpanStatus::Completed;
}

}  // namespace

SpanOutcome SpanBeats(const SpanRequest& request, const SpanHooks& hooks) {
  SpanOutcome outcome;
  const std::int16_t align = request.format.blockAlign;
  const std::int64_t length =
      BeatLength(static_cast<std::int64_t>(request.sound.size()), request.beats, align);
  if (request.beats < 1 || length < 1 || length < align) return outcome;
  outcome.beatBytes = length;
  try {
    RunSpan(request, hooks, outcome);
  } catch (const std::bad_alloc&) {
    outcome.status = SpanStatus::Failed;
    outcome.failure = FileResult::OutOfMemory;
  }
  return outcome;
}

std::vector<std::string> DeleteSpannedFiles(const std::vector<std::string>& paths) {
  std::vector<std::string> notDeleted;
  for (const std::string& path : paths) {
    std::error_code error;
    std::filesystem::remove(path, error);
    // A file that is already gone needs no deleting and is not reported.
    if (error) notDeleted.push_back(path);
  }
  return notDeleted;
}

}  // namespace tactoria
