#include "slices/slice_state.h"

#include <algorithm>
#include <cmath>

namespace tactoria {

std::vector<SliceRange> SliceRanges(const SliceState& state, const BeatGrid& grid) {
  std::vector<SliceRange> slices;
  if (state.mode == SliceMode::Grid) {
    if (grid.empty()) return slices;
    for (std::int64_t k = 0; k < grid.beats; ++k)
      slices.push_back({grid.BeatStart(k), grid.BeatStart(k + 1)});
    return slices;
  }
  // The sound before the first marker is a slice too, as the export writes it.
  const std::int64_t first = state.markers.empty() ? state.soundFrames : state.markers.front();
  if (first > 0) slices.push_back({0, first});
  for (std::size_t i = 0; i < state.markers.size(); ++i) {
    const std::int64_t end = i + 1 < state.markers.size() ? state.markers[i + 1] : state.soundFrames;
    if (end > state.markers[i]) slices.push_back({state.markers[i], end});
  }
  return slices;
}

std::vector<std::int64_t> SliceStarts(const SliceState& state, const BeatGrid& grid) {
  std::vector<std::int64_t> starts;
  for (const SliceRange& slice : SliceRanges(state, grid)) starts.push_back(slice.first);
  return starts;
}

int SliceIndexAt(const std::vector<SliceRange>& slices, std::int64_t frame) {
  for (std::size_t i = 0; i < slices.size(); ++i) {
    if (frame >= slices[i].first && frame < slices[i].end) return static_cast<int>(i);
  }
  return -1;
}

std::vector<std::int64_t> ScaleMarkers(const std::vector<std::int64_t>& markers, std::int64_t from,
                                       std::int64_t to) {
  std::vector<std::int64_t> scaled;
  if (from < 1 || to < 1) return scaled;
  for (const std::int64_t marker : markers) {
    const auto frame = std::clamp<std::int64_t>(
        std::llround(static_cast<double>(marker) * static_cast<double>(to) / static_cast<double>(from)), 0,
        to - 1);
    if (scaled.empty() || frame > scaled.back()) scaled.push_back(frame);
  }
  return scaled;
}

}  // namespace tactoria
