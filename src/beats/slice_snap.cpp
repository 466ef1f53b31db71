#include "beats/slice_snap.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include "process/sample_codec.h"

namespace tactoria {

std::int64_t NearestZeroCrossing(std::span<const std::byte> pcm, const WaveFormat& format,
                                 std::int64_t firstFrame, std::int64_t frame, std::int64_t radius) {
  if (EncodingOf(format) == SampleEncoding::None || format.blockAlign < 1 || format.channels < 1)
    return frame;
  const std::size_t frames = pcm.size() / static_cast<std::size_t>(format.blockAlign);
  const auto channels = static_cast<std::size_t>(format.channels);
  std::vector<std::vector<float>> planes(channels, std::vector<float>(frames));
  std::vector<float*> pointers;
  for (auto& plane : planes) pointers.push_back(plane.data());
  if (!DecodePlanes(pcm.data(), frames, format, pointers.data())) return frame;
  std::vector<double> sum(frames, 0.0);
  for (const auto& plane : planes) {
    for (std::size_t i = 0; i < frames; ++i) sum[i] += plane[i];
  }
  std::int64_t best = frame;
  std::int64_t bestDistance = radius + 1;
  auto consider = [&](std::int64_t candidate) {
    const std::int64_t distance = std::llabs(candidate - frame);
    if (distance < bestDistance) {
      best = candidate;
      bestDistance = distance;
    }
  };
  for (std::size_t i = 0; i < frames; ++i) {
    const std::int64_t at = firstFrame + static_cast<std::int64_t>(i);
    if (sum[i] == 0.0) {
      consider(at);
    } else if (i > 0 && (sum[i - 1] < 0) != (sum[i] < 0) && sum[i - 1] != 0.0) {
      consider(std::fabs(sum[i - 1]) < std::fabs(sum[i]) ? at - 1 : at);
    }
  }
  return best;
}

}  // namespace tactoria
