#pragma once

#include <optional>
#include <string>

#include "wave/wave_format.h"

namespace tactoria {

// A sound file's own format, as its user knows it.
struct SourceFormat {
  std::string description;  // "WAV, 16-bit", "FLAC, 24-bit", "WAV EXTENSIBLE, 32-bit float", "MP3"
  int bitsPerSample = 0;    // of the file's own samples; 0 for encodings without a sample width
  bool imported = false;    // read through the sound file library, not as a plain PCM wave file
};

// The format of a plain PCM wave file as File > Open reads it: "WAV, 16-bit".
SourceFormat PlainWaveFormat(const WaveFormat& format);

// The format libsndfile reports (SF_INFO::format) for the file at `path` (whose form type tells AIFC
// from AIFF).
SourceFormat DescribeSndfileFormat(int sfFormat, const std::string& path);

// The format of the file at `path` as libsndfile reads it, or none when it cannot read it.
std::optional<SourceFormat> DescribeSoundFile(const std::string& path);

}  // namespace tactoria
