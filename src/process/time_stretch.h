#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include "wave/byte_buffer.h"
#include "wave/wave_format.h"

namespace tactoria {

// The stretcher library's engines: R2 ("faster", crisp transients) and R3 ("finer"), the latter
// with its full multi-resolution analysis or restricted to its short window.
enum class StretchEngine { Faster, Finer, FinerShortWindow };

// The engine a render uses when the pitch is kept: R3 with the short window keeps the hits of a
// drum loop on their beats at their level and stretches many times faster than real time
// (figures of all three in bench/README.md).
inline constexpr StretchEngine kDefaultStretchEngine = StretchEngine::FinerShortWindow;

// The stretch works between these ratios of the new length to the old. Far beyond them the
// result is no longer a tempo change of the same sound and the stretcher degenerates (R2 took
// over a minute to squeeze a 16 s loop to 100 frames; R3 runs with output hops of 0 frames).
inline constexpr double kMinStretchRatio = 1.0 / 16;
inline constexpr double kMaxStretchRatio = 16;

enum class StretchFailure {
  OutOfMemory,        // a buffer could not be allocated, or the result would reach 2^31 bytes
  UnsupportedFormat,  // samples other than 8-bit unsigned, 16-, 24-, 32-bit signed integers or 32-bit float
  RatioOutOfRange,    // the new length is outside kMinStretchRatio to kMaxStretchRatio of the old
  StretcherError,     // the stretcher library gave up
  Cancelled,          // the caller's cancel flag was set
};

// Progress and cancellation of a long stretch, both optional. The callback runs on the stretching
// thread, often (every block of a few thousand frames); the flag is read as often.
struct StretchControl {
  std::function<void(double done)> progress;  // the part done, from 0 to 1
  const std::atomic<bool>* cancel = nullptr;  // once true, the stretch stops with Cancelled
};

struct StretchResult {
  ByteBuffer buffer;                      // exactly newFrames frames in the source's format
  std::optional<StretchFailure> failure;  // set when nothing was made
};

// Stretches the whole frames of `source` to exactly `newFrames` frames without moving the pitch:
// offline (a study pass over the whole sound, then the processing pass), all channels in one
// stretcher so that they stay together. The stretcher's output is trimmed or padded with silence
// to the exact count. The source is only read.
StretchResult StretchKeepingPitch(std::span<const std::byte> source, const WaveFormat& format,
                                  std::int32_t newFrames, StretchEngine engine = kDefaultStretchEngine,
                                  const StretchControl* control = nullptr);

// Bytes of one channel sample that the stretch can convert (1 to 4; 4 for 32-bit float, format tag 3),
// or 0 for a format it cannot.
int StretchSampleBytes(const WaveFormat& format);

// Interleaved integer PCM (`bytesPerSample` 1: unsigned 8-bit; 2, 3, 4: signed little-endian) to
// planes of floats in [-1, 1), one per channel, `frames` frames each.
void DecodeFrames(const std::byte* pcm, std::size_t frames, int channels, int bytesPerSample,
                  float* const* planes);
// Back to interleaved PCM: scaled, rounded to the nearest step and clipped to the sample range.
void EncodeFrames(const float* const* planes, std::size_t frames, int channels, int bytesPerSample,
                  std::byte* pcm);

}  // namespace tactoria
