#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "wave/file_result.h"
#include "wave/safe_write.h"
#include "wave/wave_output.h"

namespace tactoria {

inline constexpr const char* kSpanBeatsBelowOne = "Beat(s) and Bar(s) must be greater or equal than 1.";
inline constexpr const char* kSpanFailureTitle = "Span Failure";
inline constexpr const char* kSpanFailure =
    "Failed to span the current sound by bars * beats. Please lower this value if you wish to span.";

enum class OverwriteAnswer { Yes, No, Cancel };

// The hooks through which a span reports progress and asks its questions. Any may be empty:
// an empty `fileExists` uses the file system, an empty `askOverwrite` answers Yes, an empty
// `beatDone` never cancels.
struct SpanHooks {
  std::function<void(int beatIndex)> beatStarting;  // before beat k (0-based) is built
  std::function<bool(const std::string& path)> fileExists;
  std::function<OverwriteAnswer(const std::string& path)> askOverwrite;
  // After beat k was written or skipped, with k + 1; returns true when the user cancelled.
  std::function<bool(int beatsHandled)> beatDone;
};

struct SpanRequest {
  std::string basePath;  // without ".wav"; beat n goes to BeatFileName(basePath, n)
  // The rendered sound, with the header ids and the format record every beat file takes.
  WaveOutput sound;
  std::int32_t beats = 0;  // N = beats per bar x bars
  // False: a beat file that appears after the existence check is left alone and the span fails
  // with CannotCreate, as the check and the creation are one step.
  bool overwrite = true;
  SinkFactory sinks;  // the beat files' sinks; empty for the files themselves
};

// The request for spanning `sound` by `beats` x `bars` as the file `savePath` (".wav" dropped
// from its name); a product beyond the 32-bit range gives no beats.
SpanRequest MakeSpanRequest(const std::string& savePath, double beats, double bars, WaveOutput sound);

enum class SpanStatus {
  NoBeats,    // N below 1 or less than one frame per beat: nothing was touched
  Completed,  // every beat was handled
  Cancelled,  // the user cancelled (progress or overwrite question)
  Failed,     // a beat file could not be built or written; the span stopped there
};

// A file a span wrote, and which file it was, so that taking it back never removes a file that
// another run has put under the same name since.
struct SpannedFile {
  std::string path;
  FileIdentity identity;
};

struct SpanOutcome {
  SpanStatus status = SpanStatus::NoBeats;
  std::int64_t beatBytes = 0;                // L
  std::vector<SpannedFile> written;          // files this span wrote, in beat order
  std::string failedPath;                    // with Failed: the file that could not be written
  FileResult failure = FileResult::Success;  // with Failed: WriteFailed, CannotReplace or OutOfMemory
  int osError = 0;                           // with Failed: the operating system's reason, if any
};

// Cuts the sound into N beats of BeatLength bytes and writes one wave file per beat, each in
// place (flushed) before the next is asked about.
SpanOutcome SpanBeats(const SpanRequest& request, const SpanHooks& hooks = {});

// The same, all or nothing and without questions: every beat goes to a temporary file first;
// only when all are written and on the disk do they take their names. On any failure no target
// is changed and every temporary file is removed. Only `beatDone` of the hooks is used.
SpanOutcome SpanAllOrNothing(const SpanRequest& request, const SpanHooks& hooks = {});

// Deletes the given files while each is still the file the span wrote, going on past any that
// cannot be deleted; returns those.
std::vector<std::string> DeleteSpannedFiles(const std::vector<SpannedFile>& files);

}  // namespace tactoria
