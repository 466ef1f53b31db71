#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "wave/file_result.h"
#include "wave/wave_format.h"

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
  std::string basePath;              // without ".wav"; beat n goes to BeatFileName(basePath, n)
  std::span<const std::byte> sound;  // the rendered sound
  WaveFormat format;                 // written as each file's 16-byte "fmt " chunk
  std::uint32_t fileHeader = 0;      // header id and form type of the open file
  std::uint32_t fileType = 0;
  std::int32_t beats = 0;  // N = beats per bar x bars
  // False: a beat file that appears after the existence check is left alone and the span fails
  // with CannotCreate, as the check and the creation are one step.
  bool overwrite = true;
};

enum class SpanStatus {
  NoBeats,    // N below 1 or less than one frame per beat: nothing was touched
  Completed,  // every beat was handled
  Cancelled,  // the user cancelled (progress or overwrite question)
  Failed,     // a beat file could not be built or written; the span stopped there
};

struct SpanOutcome {
  SpanStatus status = SpanStatus::NoBeats;
  std::int64_t beatBytes = 0;                // L
  std::vector<std::string> written;          // files this span wrote, in beat order
  std::string failedPath;                    // with Failed: the file that could not be written
  FileResult failure = FileResult::Success;  // with Failed: WriteFailed, CannotReplace or OutOfMemory
};

// Cuts the sound into N beats of BeatLength bytes and writes one wave file per beat.
SpanOutcome SpanBeats(const SpanRequest& request, const SpanHooks& hooks = {});

// Deletes the given files, going on past any that cannot be deleted; returns those.
std::vector<std::string> DeleteSpannedFiles(const std::vector<std::string>& paths);

}  // namespace tactoria
