#pragma once

#include <cstdint>
#include <vector>

#include "beats/beat_grid.h"
#include "slices/slice_fades.h"

namespace tactoria {

// How a sound is cut into slices: at the beat grid (the cuts of a span) or at its hits.
enum class SliceMode { Grid, Hits };

// One slice: frames [first, end) of the rendered sound.
struct SliceRange {
  std::int64_t first = 0;
  std::int64_t end = 0;
};

// The slicing of the rendered sound as the user has set it up in the window: read by whatever
// writes the slices.
struct SliceState {
  SliceMode mode = SliceMode::Grid;
  // The hits: slice starts on the rendered sound, ascending, each a frame of it.
  std::vector<std::int64_t> markers;
  // The length of the sound the markers were placed on.
  std::int64_t soundFrames = 0;
  // Markers moved, added or removed by hand: a new render keeps them, scaled to its length,
  // instead of finding the hits again.
  bool edited = false;
  double fadeInMs = kDefaultFadeInMs;
  double fadeOutMs = kDefaultFadeOutMs;
  bool snap = true;  // a marker placed by hand goes to the nearest zero crossing
};

// The slices in order. Grid: the beats of `grid` (the tail belongs to none). Hits: from each
// marker to the next, the last to the end of the sound; what lies before the first marker is
// the first slice, as the export writes it.
std::vector<SliceRange> SliceRanges(const SliceState& state, const BeatGrid& grid);
// The start frames of the slices.
std::vector<std::int64_t> SliceStarts(const SliceState& state, const BeatGrid& grid);
// The index of the slice holding `frame`, or -1.
int SliceIndexAt(const std::vector<SliceRange>& slices, std::int64_t frame);

// Markers placed on a sound of `from` frames moved to the same fractions of one of `to` frames,
// kept ascending and distinct (markers that would fall on one frame become one).
std::vector<std::int64_t> ScaleMarkers(const std::vector<std::int64_t>& markers, std::int64_t from,
                                       std::int64_t to);

}  // namespace tactoria
