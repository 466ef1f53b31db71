#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "slices/slice_points.h"
#include "wave/wave_format.h"

namespace tactoria {

// The fades every slice gets at its start and its end. A cut at a hit falls where the sound rises
// from near silence: half a millisecond takes away the step of a start that is not at zero and
// leaves the attack's first peak, which drums reach after one to several milliseconds. A slice
// ends where the next hit begins, while this one still rings: there the cut would click, and
// 4 ms of fade-out moves that click below the ear's notice without shortening the decay audibly.
inline constexpr double kDefaultFadeInMs = 0.5;
inline constexpr double kDefaultFadeOutMs = 4.0;
inline constexpr double kMaxFadeMs = 10000.0;

struct SliceFades {
  double inMs = kDefaultFadeInMs;
  double outMs = kDefaultFadeOutMs;
};

// The fades of every slice: `all`, except for slices that have their own in `each` (slice k
// takes each[k] while k < each.size()).
struct SliceFadeList {
  SliceFades all;
  std::vector<SliceFades> each;

  SliceFadeList() = default;
  SliceFadeList(SliceFades fades) : all(fades) {}  // implicit: one setting for every slice
  const SliceFades& Of(std::size_t k) const { return k < each.size() ? each[k] : all; }
};

// A fade's length in frames at `sampleRate`, rounded to the nearest frame.
std::int64_t FadeFrames(double ms, std::int32_t sampleRate);

// The message for the first slice shorter than its two fades together, or none. `fadeNames` names
// the two settings as the user gave them.
std::optional<std::string> CheckFades(const Slices& slices, const SliceFadeList& fades,
                                      std::int32_t sampleRate,
                                      std::string_view fadeNames = "--fade-in or --fade-out");

// Fades one slice's frames in place: a raised-cosine rise over the first `inFrames` frames (the
// first frame silent) and the mirror fall over the last `outFrames` (the last frame silent).
// Frames outside the fades are not touched, so fades of 0 leave the bytes as they were. False for
// a format the sample codec does not know or for fades longer than the slice.
bool ApplyFades(std::span<std::byte> slice, const WaveFormat& format, std::int64_t inFrames,
                std::int64_t outFrames);

// Every slice of `sound` faded in place, exactly as the slice files are written.
bool ApplySliceFades(std::span<std::byte> sound, const WaveFormat& format, const Slices& slices,
                     const SliceFadeList& fades);

}  // namespace tactoria
