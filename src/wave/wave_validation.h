#pragma once

#include <optional>
#include <string>

#include "file_result.h"
#include "media_file.h"
#include "wave_format.h"

namespace tactoria {

// A refusal as the user sees it: a message box title and text (critical icon).
struct Problem {
  std::string title;
  std::string message;
};

// The message for a failed OpenFromFile ("Error: 1" ... "Error: -1").
Problem ReadFailureProblem(FileResult code);

// Checks the RIFF header id ("RIFF"/"riff") and the form type ("WAVE"/"wave").
std::optional<Problem> CheckRiffWave(const vbMediaFile& file);

struct WaveValidation {
  bool ok = false;
  int dataIndex = 0;  // 1-based index of the last "data"/"DATA" chunk
  int fmtIndex = 0;   // 1-based index of the last "fmt "/"FMT " chunk
  WaveFormat format;  // the record of that format chunk
  Problem problem;    // set when !ok
};

// The checks of a PCM wave file after reading: format chunk of 16 bytes with tag 1, positive
// figures, a non-empty data chunk of whole frames.
WaveValidation ValidateMediaFile(const vbMediaFile& file);

// Title and text for a wave file without sound data (no data chunk, or an empty one).
inline constexpr const char* kNoDataTitle = "No Sound Data";
inline constexpr const char* kNoDataMessage = "This wave file holds no sound data.";

struct OpenedWave {
  vbMediaFile file;
  WaveValidation validation;
};

// Reads `path`, checks the header ids and validates it: what the Open command does short of
// replacing the open file. Returns the opened wave, or the problem to report.
struct OpenResult {
  std::optional<OpenedWave> wave;
  Problem problem;
};
OpenResult OpenWaveFile(const std::string& path);
// The same for bytes from any source (memory, for instance), named `name`.
OpenResult OpenWaveSource(ByteSource& source, const std::string& name);

}  // namespace tactoria
