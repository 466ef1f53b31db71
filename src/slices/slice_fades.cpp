#include "slice_fades.h"

#include <cmath>
#include <cstdio>
#include <new>
#include <numbers>
#include <vector>

#include "process/sample_codec.h"

namespace tactoria {
namespace {

// Gain g(i) = sin^2(pi/2 * i / n) for i = 0 .. n-1 from the fade's silent end.
double FadeGain(std::int64_t i, std::int64_t n) {
  const double s = std::sin(std::numbers::pi / 2 * static_cast<double>(i) / static_cast<double>(n));
  return s * s;
}

// Scales `count` frames at `first` by the gain of their distance from the silent end.
bool Ramp(std::span<std::byte> slice, const WaveFormat& format, std::int64_t first, std::int64_t count,
          bool rising) {
  if (count <= 0) return true;
  const auto frames = static_cast<std::size_t>(count);
  const auto channels = static_cast<std::size_t>(format.channels);
  std::vector<float> planes;
  try {
    planes.resize(frames * channels);
  } catch (const std::bad_alloc&) {
    return false;
  }
  std::vector<float*> pointers(channels);
  for (std::size_t c = 0; c < channels; ++c) pointers[c] = planes.data() + c * frames;
  std::byte* at = slice.data() + first * format.blockAlign;
  if (!DecodePlanes(at, frames, format, pointers.data())) return false;
  for (std::int64_t i = 0; i < count; ++i) {
    const auto gain = static_cast<float>(FadeGain(rising ? i : count - 1 - i, count));
    for (std::size_t c = 0; c < channels; ++c) pointers[c][i] *= gain;
  }
  return EncodePlanes(pointers.data(), frames, format, at);
}

}  // namespace

std::int64_t FadeFrames(double ms, std::int32_t sampleRate) {
  if (!(ms > 0) || sampleRate <= 0) return 0;
  return static_cast<std::int64_t>(std::llround(ms * sampleRate / 1000.0));
}

std::optional<std::string> CheckFades(const Slices& slices, const SliceFadeList& fades,
                                      std::int32_t sampleRate, std::string_view fadeNames) {
  for (std::size_t k = 0; k < slices.count(); ++k) {
    const std::int64_t in = FadeFrames(fades.Of(k).inMs, sampleRate);
    const std::int64_t out = FadeFrames(fades.Of(k).outMs, sampleRate);
    if (slices.Length(k) >= in + out && slices.Length(k) > 0) continue;
    const double ms = static_cast<double>(slices.Length(k)) * 1000.0 / sampleRate;
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", ms);
    return "Slice " + std::to_string(k + 1) + " is " + std::to_string(slices.Length(k)) + " frames (" + text +
           " ms) long, shorter than its fades (" + std::to_string(in) + " frames in and " +
           std::to_string(out) + " out). Lower " + std::string(fadeNames) + ", or move the markers apart.";
  }
  return std::nullopt;
}

bool ApplyFades(std::span<std::byte> slice, const WaveFormat& format, std::int64_t inFrames,
                std::int64_t outFrames) {
  if (format.blockAlign <= 0 || format.channels <= 0) return false;
  const std::int64_t frames = static_cast<std::int64_t>(slice.size()) / format.blockAlign;
  if (inFrames < 0 || outFrames < 0 || inFrames + outFrames > frames) return false;
  if (inFrames + outFrames == 0) return true;
  if (EncodingOf(format) == SampleEncoding::None) return false;
  return Ramp(slice, format, 0, inFrames, true) && Ramp(slice, format, frames - outFrames, outFrames, false);
}

bool ApplySliceFades(std::span<std::byte> sound, const WaveFormat& format, const Slices& slices,
                     const SliceFadeList& fades) {
  const auto align = static_cast<std::size_t>(format.blockAlign);
  for (std::size_t k = 0; k < slices.count(); ++k) {
    const auto first = static_cast<std::size_t>(slices.Start(k)) * align;
    const auto bytes = static_cast<std::size_t>(slices.Length(k)) * align;
    const std::int64_t in = FadeFrames(fades.Of(k).inMs, format.sampleRate);
    const std::int64_t out = FadeFrames(fades.Of(k).outMs, format.sampleRate);
    if (first + bytes > sound.size() || !ApplyFades(sound.subspan(first, bytes), format, in, out))
      return false;
  }
  return true;
}

}  // namespace tactoria
