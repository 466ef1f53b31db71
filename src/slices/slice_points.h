#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "analysis/hits.h"
#include "wave/wave_format.h"

namespace tactoria {

// Where a sound is cut into slices: slice k runs from starts[k] to the next start, the last one
// to `end`. The first slice always starts at frame 0.
struct Slices {
  std::int64_t soundFrames = 0;
  std::int64_t end = 0;  // the sound's end, or the end of the last whole beat for a grid
  std::vector<std::int64_t> starts;

  std::size_t count() const { return starts.size(); }
  std::int64_t Start(std::size_t k) const { return starts[k]; }
  std::int64_t End(std::size_t k) const { return k + 1 < starts.size() ? starts[k + 1] : end; }
  std::int64_t Length(std::size_t k) const { return End(k) - Start(k); }
};

// The beats of a span: `beats` slices of the span's beat length over a sound of `soundBytes` bytes
// (frames of `blockAlign` bytes), exactly as a span cuts it; nothing when a beat would be shorter
// than a frame. The tail past the last beat is left out, as a span leaves it out.
std::optional<Slices> SlicesFromGrid(std::int64_t soundBytes, std::int16_t blockAlign, std::int64_t beats);

// A slice per drum hit found in `pcm` (whole frames in `format`). The first slice starts at 0 and
// takes in a hit closer to the start than the hits' least gap; a hit that close to the end starts
// no slice. Silence gives one slice.
Slices SlicesFromHits(std::span<const std::byte> pcm, const WaveFormat& format, const HitOptions& options);

// Slices cut at the given marker frames (any order). A marker on the first or the last frame, or
// outside the sound, and two markers on one frame are refused with a message.
struct MarkedSlices {
  std::optional<Slices> slices;
  std::string problem;  // when refused
};
MarkedSlices SlicesFromMarkers(std::int64_t soundFrames, std::vector<std::int64_t> markers);

// How far a marker moves to meet a zero crossing.
inline constexpr double kSnapWindowMs = 2.0;

// The frame nearest `frame` within `windowFrames` either side (and inside [low, high]) where the
// sound, all channels summed, crosses zero: of the two frames around the crossing, the one closer
// to zero. `frame` itself when there is none.
std::int64_t NearestZeroCrossing(std::span<const std::byte> pcm, const WaveFormat& format, std::int64_t frame,
                                 std::int64_t windowFrames, std::int64_t low, std::int64_t high);

// Moves every start but the first to its nearest zero crossing within kSnapWindowMs, never onto or
// past a neighbour.
void SnapToZeroCrossings(Slices& slices, std::span<const std::byte> pcm, const WaveFormat& format);

}  // namespace tactoria
