#pragma once

#include <optional>
#include <string>

#include "import/source_format.h"
#include "wave/wave_validation.h"

namespace tactoria {

// A sound opened for the rest of the program: a plain PCM wave file as File > Open reads it, or
// any other sound file turned into a wave of a 16-byte "fmt " chunk (tag 1 for integer PCM, 3 for
// float) and a "data" chunk.
struct LoadResult {
  std::optional<OpenedWave> wave;
  SourceFormat source;  // set with `wave`
  Problem problem;      // set when there is no `wave`
};

// Reads any file libsndfile reads. Integer PCM keeps its depth (8 to 32 bits; FLAC and ALAC too),
// float stays 32-bit float (64-bit float is rounded to it), the lossy encodings (Vorbis, Opus,
// MPEG) are decoded to 32-bit float and the telephone and ADPCM encodings to 16-bit PCM.
LoadResult ImportSound(const std::string& path);

// The file as File > Open reads it when File > Open accepts it, imported otherwise. A file that
// cannot be opened at all keeps File > Open's message.
LoadResult OpenOrImport(const std::string& path);

// The largest data chunk a sound can have: its size is a signed 32-bit value.
inline constexpr std::int64_t kMaxDataBytes = 0x7FFFFFFF;

}  // namespace tactoria
