#include "beats/slice_fades.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "process/sample_codec.h"

namespace tactoria {
namespace {

// Scales `count` frames from `first` on; `gain(i)` for the i-th of them.
template <typename Gain>
void Scale(std::span<std::byte> pcm, const WaveFormat& format, std::int64_t first, std::int64_t count,
           Gain gain) {
  if (count <= 0) return;
  const auto frames = static_cast<std::size_t>(count);
  const auto channels = static_cast<std::size_t>(format.channels);
  std::vector<std::vector<float>> planes(channels, std::vector<float>(frames));
  std::vector<float*> pointers;
  for (auto& plane : planes) pointers.push_back(plane.data());
  std::byte* at = pcm.data() + first * format.blockAlign;
  DecodePlanes(at, frames, format, pointers.data());
  for (auto& plane : planes) {
    for (std::size_t i = 0; i < frames; ++i)
      plane[i] *= static_cast<float>(gain(static_cast<std::int64_t>(i)));
  }
  EncodePlanes(pointers.data(), frames, format, at);
}

}  // namespace

std::int64_t FadeFrames(double ms, int sampleRate) {
  if (!(ms > 0) || sampleRate < 1) return 0;
  return std::llround(ms * sampleRate / 1000.0);
}

bool ApplySliceFades(std::span<std::byte> pcm, const WaveFormat& format, std::int64_t fadeIn,
                     std::int64_t fadeOut) {
  if (EncodingOf(format) == SampleEncoding::None || format.blockAlign < 1 || format.channels < 1)
    return false;
  const auto frames = static_cast<std::int64_t>(pcm.size()) / format.blockAlign;
  fadeIn = std::max<std::int64_t>(fadeIn, 0);
  fadeOut = std::max<std::int64_t>(fadeOut, 0);
  if (fadeIn + fadeOut > frames) {
    const double share = static_cast<double>(frames) / static_cast<double>(fadeIn + fadeOut);
    fadeIn = static_cast<std::int64_t>(std::floor(static_cast<double>(fadeIn) * share));
    fadeOut = frames - fadeIn;
  }
  // Frame i of a fade of n frames has the gain i / n: the outer frame is silent.
  Scale(pcm, format, 0, fadeIn,
        [fadeIn](std::int64_t i) { return static_cast<double>(i) / static_cast<double>(fadeIn); });
  Scale(pcm, format, frames - fadeOut, fadeOut, [fadeOut](std::int64_t i) {
    return static_cast<double>(fadeOut - 1 - i) / static_cast<double>(fadeOut);
  });
  return true;
}

}  // namespace tactoria
