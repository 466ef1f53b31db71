#include "slice_points.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "beats/beat_grid.h"
#include "process/sample_codec.h"

namespace tactoria {
namespace {

std::int64_t MsToFrames(double ms, std::int32_t sampleRate) {
  return static_cast<std::int64_t>(std::llround(ms * sampleRate / 1000.0));
}

}  // namespace

std::optional<Slices> SlicesFromGrid(std::int64_t soundBytes, std::int16_t blockAlign, std::int64_t beats) {
  const BeatGrid grid = MakeBeatGrid(soundBytes, blockAlign, beats, 1);
  if (grid.empty()) return std::nullopt;
  Slices slices;
  slices.soundFrames = grid.soundFrames;
  slices.end = grid.GridEnd();
  for (std::int64_t k = 0; k < grid.beats; ++k) slices.starts.push_back(grid.BeatStart(k));
  return slices;
}

Slices SlicesFromHits(std::span<const std::byte> pcm, const WaveFormat& format, const HitOptions& options) {
  Slices slices;
  slices.soundFrames = format.blockAlign > 0 ? static_cast<std::int64_t>(pcm.size()) / format.blockAlign : 0;
  slices.end = slices.soundFrames;
  slices.starts.push_back(0);
  const std::int64_t gap = std::max<std::int64_t>(MsToFrames(options.minGapMs, format.sampleRate), 1);
  for (const std::int64_t hit : FindHits(pcm, format, options)) {
    if (hit < gap || hit > slices.end - gap || hit - slices.starts.back() < gap) continue;
    slices.starts.push_back(hit);
  }
  return slices;
}

MarkedSlices SlicesFromMarkers(std::int64_t soundFrames, std::vector<std::int64_t> markers) {
  std::sort(markers.begin(), markers.end());
  for (std::size_t k = 0; k < markers.size(); ++k) {
    const std::int64_t at = markers[k];
    if (at < 0 || at >= soundFrames) {
      return {std::nullopt, "The slice marker at frame " + std::to_string(at) + " lies outside the sound (" +
                                std::to_string(soundFrames) + " frames)."};
    }
    if (at == 0 || at == soundFrames - 1) {
      return {std::nullopt, "A slice marker cannot be on the first or the last frame of the sound (frame " +
                                std::to_string(at) + ")."};
    }
    if (k > 0 && markers[k - 1] == at) {
      return {std::nullopt, "Two slice markers are on the same frame (" + std::to_string(at) + ")."};
    }
  }
  Slices slices;
  slices.soundFrames = soundFrames;
  slices.end = soundFrames;
  slices.starts.push_back(0);
  slices.starts.insert(slices.starts.end(), markers.begin(), markers.end());
  return {std::move(slices), {}};
}

std::int64_t NearestZeroCrossing(std::span<const std::byte> pcm, const WaveFormat& format, std::int64_t frame,
                                 std::int64_t windowFrames, std::int64_t low, std::int64_t high) {
  const std::int64_t frames =
      format.blockAlign > 0 ? static_cast<std::int64_t>(pcm.size()) / format.blockAlign : 0;
  const std::int64_t first = std::max({frame - windowFrames - 1, low - 1, std::int64_t{0}});
  const std::int64_t last = std::min({frame + windowFrames, high, frames - 1});
  if (last <= first || format.channels < 1) return frame;
  const auto count = static_cast<std::size_t>(last - first + 1);
  const auto channels = static_cast<std::size_t>(format.channels);
  std::vector<float> mono;
  std::vector<float> planes;
  try {
    mono.assign(count, 0.0f);
    planes.resize(count * channels);
  } catch (const std::bad_alloc&) {
    return frame;
  }
  std::vector<float*> pointers(channels);
  for (std::size_t c = 0; c < channels; ++c) pointers[c] = planes.data() + c * count;
  const std::byte* from = pcm.data() + first * format.blockAlign;
  if (!DecodePlanes(from, count, format, pointers.data())) return frame;
  for (std::size_t c = 0; c < channels; ++c) {
    for (std::size_t i = 0; i < count; ++i) mono[i] += pointers[c][i];
  }

  std::int64_t best = frame;
  std::int64_t bestDistance = windowFrames + 1;
  for (std::size_t i = 1; i < count; ++i) {
    const float before = mono[i - 1];
    const float after = mono[i];
    const bool crosses = after == 0.0f || (before < 0.0f) != (after < 0.0f);
    if (!crosses) continue;
    const std::int64_t at =
        first + static_cast<std::int64_t>(std::fabs(after) <= std::fabs(before) ? i : i - 1);
    const std::int64_t distance = at > frame ? at - frame : frame - at;
    if (at >= low && at <= high && distance < bestDistance) {
      best = at;
      bestDistance = distance;
    }
  }
  return best;
}

void SnapToZeroCrossings(Slices& slices, std::span<const std::byte> pcm, const WaveFormat& format) {
  const std::int64_t window = MsToFrames(kSnapWindowMs, format.sampleRate);
  for (std::size_t k = 1; k < slices.count(); ++k) {
    const std::int64_t low = slices.starts[k - 1] + 1;
    const std::int64_t high = k + 1 < slices.count() ? slices.starts[k + 1] - 1 : slices.end - 2;
    slices.starts[k] = NearestZeroCrossing(pcm, format, slices.starts[k], window, low, high);
  }
}

}  // namespace tactoria
