#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "wave/wave_format.h"

namespace tactoria {

// Default fades of a slice: short enough to keep the attack, long enough that the cut at either
// end makes no click.
inline constexpr double kDefaultFadeInMs = 0.5;
inline constexpr double kDefaultFadeOutMs = 5.0;

// A fade of `ms` milliseconds in whole frames at `sampleRate` (rounded, never negative).
std::int64_t FadeFrames(double ms, int sampleRate);

// Fades the slice `pcm` (interleaved whole frames in `format`) in over its first `fadeIn`
// frames and out over its last `fadeOut` frames, linearly: the first and the last frame become
// silent. When both fades together are longer than the slice they are shortened in proportion.
// Frames outside the fades are left byte for byte. False, with nothing changed, for a format
// whose samples cannot be read as numbers.
bool ApplySliceFades(std::span<std::byte> pcm, const WaveFormat& format, std::int64_t fadeIn,
                     std::int64_t fadeOut);

}  // namespace tactoria
