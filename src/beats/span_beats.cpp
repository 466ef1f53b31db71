#include "span_beats.h"

#include <deque>
#include <filesystem>
#include <new>
#include <set>
#include <system_error>

#include "beats/beat_math.h"
#include "tempo/field_conversions.h"
#include "wave/temporary_registry.h"

namespace tactoria {
namespace {

// A file that exists but is empty counts as absent, so it is replaced without a question.
bool NonEmptyFileExists(const std::string& path) {
  std::error_code error;
  const auto length = std::filesystem::file_size(path, error);
  return !error && length != 0;
}

void Fail(SpanOutcome& outcome, const std::string& path, const WriteStatus& status) {
  outcome.status = SpanStatus::Failed;
  outcome.failedPath = path;
  outcome.failure = status.result;
  outcome.osError = status.osError;
}

void RunSpan(const SpanRequest& request, const SpanHooks& hooks, SpanOutcome& outcome) {
  const std::int64_t beats = request.beats;
  const std::int64_t length = outcome.beatBytes;
  std::set<std::string> folders;
  for (std::int64_t k = 0; k < beats; ++k) {
    const int index = static_cast<int>(k);
    if (hooks.beatStarting) hooks.beatStarting(index);
    const std::string name = BeatFileName(request.basePath, index + 1);

    const bool exists = hooks.fileExists ? hooks.fileExists(name) : NonEmptyFileExists(name);
    const OverwriteAnswer answer =
        exists && hooks.askOverwrite ? hooks.askOverwrite(name) : OverwriteAnswer::Yes;
    if (answer == OverwriteAnswer::Cancel) {
      outcome.status = SpanStatus::Cancelled;
      break;
    }
    if (answer == OverwriteAnswer::Yes) {
      PendingFile file(name, request.overwrite, request.sinks);
      if (!WriteWave(file, request.sound, k * length, length).ok() || !file.Finish(true).ok() ||
          !file.Commit().ok()) {
        Fail(outcome, name, file.status());
        break;
      }
      folders.insert(file.directory());
      outcome.written.push_back({name, file.identity()});
    }

    if (hooks.beatDone && hooks.beatDone(index + 1)) {
      outcome.status = SpanStatus::Cancelled;
      break;
    }
    if (k + 1 == beats) outcome.status = SpanStatus::Completed;
  }
  // The new names reach the disk once for the whole span.
  for (const std::string& folder : folders) SyncDirectory(folder);
}

void RunAllOrNothing(const SpanRequest& request, const SpanHooks& hooks, SpanOutcome& outcome) {
  const std::int64_t length = outcome.beatBytes;
  std::deque<PendingFile> files;  // in beat order; each removes its temporary file unless committed
  FileSystemFlush flush;
  for (std::int64_t k = 0; k < request.beats; ++k) {
    const std::string name = BeatFileName(request.basePath, static_cast<int>(k + 1));
    PendingFile& file = files.emplace_back(name, request.overwrite, request.sinks);
    if (file.ok()) {
      if (const int error = flush.Watch(file.directory()); error != 0)
        file.Fail(FileResult::WriteFailed, error);
    }
    // Closed without a flush: the whole set is flushed at once below.
    if (!WriteWave(file, request.sound, k * length, length).ok() || !file.Finish(false).ok()) {
      Fail(outcome, name, file.status());
      return;
    }
    if (hooks.beatDone && hooks.beatDone(static_cast<int>(k + 1))) {
      outcome.status = SpanStatus::Cancelled;
      return;
    }
  }
  if (const int error = flush.Flush(); error != 0) {
    Fail(outcome, files.front().target(), {FileResult::WriteFailed, error});
    return;
  }
  // Two runs into one folder put their sets in place one after the other, never interleaved (a
  // file system without locks still gets the set, unguarded).
  flush.LockFolders();
  // From the first rename on, the set goes in place whole, or is backed out whole, before an
  // ending signal acts on the run: at no instant does a signal leave a mix.
  EndingSignalsHeld held;
  for (std::size_t k = 0; k < files.size(); ++k) {
    if (files[k].CommitKeepingFormer().ok()) continue;
    Fail(outcome, BeatFileName(request.basePath, static_cast<int>(k + 1)), files[k].status());
    // Back out the beats already in place, newest first.
    for (std::size_t j = k; j-- > 0;) files[j].Restore();
    files.clear();
    flush.SyncDirectories();
    return;
  }
  for (std::size_t k = 0; k < files.size(); ++k) {
    outcome.written.push_back({BeatFileName(request.basePath, static_cast<int>(k + 1)), files[k].identity()});
  }
  files.clear();  // the replaced files, kept aside until now, go
  flush.SyncDirectories();
  outcome.status = SpanStatus::Completed;
}

template <typename Run>
SpanOutcome Span(const SpanRequest& request, Run run) {
  SpanOutcome outcome;
  const std::int16_t align = request.sound.format.blockAlign;
  const std::int64_t length = BeatLength(request.sound.dataBytes, request.beats, align);
  if (request.beats < 1 || length < 1 || length < align) return outcome;
  outcome.beatBytes = length;
  try {
    run(outcome);
  } catch (const std::bad_alloc&) {
    outcome.status = SpanStatus::Failed;
    outcome.failure = FileResult::OutOfMemory;
  }
  return outcome;
}

}  // namespace

SpanRequest MakeSpanRequest(const std::string& savePath, double beats, double bars, WaveOutput sound) {
  SpanRequest request;
  request.basePath = SpanBasePath(savePath);
  request.sound = std::move(sound);
  // A product beyond the 32-bit range cannot give a frame per beat either.
  request.beats = RoundToLong(beats * bars).value_or(0);
  return request;
}

SpanOutcome SpanBeats(const SpanRequest& request, const SpanHooks& hooks) {
  return Span(request, [&](SpanOutcome& outcome) { RunSpan(request, hooks, outcome); });
}

SpanOutcome SpanAllOrNothing(const SpanRequest& request, const SpanHooks& hooks) {
  return Span(request, [&](SpanOutcome& outcome) { RunAllOrNothing(request, hooks, outcome); });
}

std::vector<std::string> DeleteSpannedFiles(const std::vector<SpannedFile>& files) {
  std::vector<std::string> notDeleted;
  for (const SpannedFile& file : files) {
    // A file that is already gone, or that another run has put in its place, is left alone.
    if (!RemoveIfSame(file.path, file.identity)) notDeleted.push_back(file.path);
  }
  return notDeleted;
}

}  // namespace tactoria
