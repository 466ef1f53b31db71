#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "wave/wave_format.h"

namespace tactoria {

// How far a marker may move to a zero crossing.
inline constexpr double kSnapMs = 2.0;

// The frame nearest to `frame` where the sound (all channels summed) crosses or touches zero:
// a silent frame, or of two neighbours of opposite sign the quieter one. `pcm` holds whole
// frames starting at frame `firstFrame` of the sound. `frame` itself when no crossing lies
// within `radius` frames of it or the samples cannot be read.
std::int64_t NearestZeroCrossing(std::span<const std::byte> pcm, const WaveFormat& format,
                                 std::int64_t firstFrame, std::int64_t frame, std::int64_t radius);

}  // namespace tactoria
