#pragma once

#include <cstddef>

#include "wave/wave_format.h"

namespace tactoria {

// The sample encodings the sound routines read and write as numbers: integer PCM (format tag 1)
// of 1 to 4 bytes per sample, and 32-bit float (format tag 3).
enum class SampleEncoding { None, UInt8, Int16, Int24, Int32, Float32 };

// The encoding of `format`, or None when its tag, bits and block align do not describe one of the
// above with whole samples of every channel in a block.
SampleEncoding EncodingOf(const WaveFormat& format);

// Interleaved whole frames to one plane of floats per channel: integer PCM scaled to [-1, 1),
// float samples as stored (values beyond 1 kept). False, with nothing written, for None.
bool DecodePlanes(const std::byte* pcm, std::size_t frames, const WaveFormat& format, float* const* planes);
// Back to interleaved frames: integer PCM rounded to the nearest step and clipped, float as is.
bool EncodePlanes(const float* const* planes, std::size_t frames, const WaveFormat& format, std::byte* pcm);

}  // namespace tactoria
