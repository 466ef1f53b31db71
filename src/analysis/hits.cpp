#include "analysis/hits.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "process/sample_codec.h"

namespace tactoria {

std::vector<std::int64_t> FindHits(std::span<const std::byte> pcm, const WaveFormat& format,
                                   const HitOptions& options) {
  std::vector<std::int64_t> hits;
  if (EncodingOf(format) == SampleEncoding::None || format.blockAlign <= 0 || format.channels <= 0 ||
      format.sampleRate <= 0)
    return hits;
  const std::size_t frames = pcm.size() / static_cast<std::size_t>(format.blockAlign);
  const int channels = format.channels;
  std::vector<std::vector<float>> planes(static_cast<std::size_t>(channels), std::vector<float>(frames));
  std::vector<float*> pointers;
  for (auto& plane : planes) pointers.push_back(plane.data());
  DecodePlanes(pcm.data(), frames, format, pointers.data());
  // A rise of the short-term level well above the level before it.
  const std::size_t hop = 64;
  const double threshold = 0.02 + (1.0 - std::clamp(options.sensitivity, 0.0, 1.0)) * 0.3;
  const auto gap = static_cast<std::int64_t>(options.minGapMs * format.sampleRate / 1000.0);
  double before = 0.0;
  for (std::size_t start = 0; start + hop <= frames; start += hop) {
    double peak = 0.0;
    std::size_t at = start;
    for (std::size_t i = start; i < start + hop; ++i) {
      for (const auto& plane : planes) {
        const double v = std::fabs(plane[i]);
        if (v > peak) peak = v;
        if (v > threshold && at == start && v > 2 * before) at = i;
      }
    }
    if (peak > threshold && peak > 2.0 * before &&
        (hits.empty() || static_cast<std::int64_t>(at) - hits.back() >= gap))
      hits.push_back(static_cast<std::int64_t>(at));
    before = std::max(peak, before * 0.9);
  }
  return hits;
}

}  // namespace tactoria
