#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <variant>

#include "process/render.h"
#include "wave/wave_format.h"

namespace tactoria {

// The whole render (length change, phaser, reverse) as one map from an output frame to a source
// frame. Every step only moves whole frames, so the composition can be gathered piece by piece
// straight into an output file's writes, without a working buffer of the whole sound.
class RenderPlan {
 public:
  // Same checks and the same RenderFailure as RenderNewSample for the same source size and settings.
  static std::variant<RenderPlan, RenderFailure> Make(std::int64_t sourceBytes, const WaveFormat& format,
                                                      const RenderSettings& settings);

  std::int64_t frames() const { return frames_; }  // output frames
  std::int64_t bytes() const { return bytes_; }  // output bytes (what RenderNewSample's buffer size would be)
  std::int64_t SourceFrame(std::int64_t outputFrame) const;

  // The source bytes that output bytes [outputByteOffset, outputByteOffset + length) are gathered
  // from all lie in the returned [begin, end) (a bound, cheap to work out).
  std::pair<std::int64_t, std::int64_t> SourceBytes(std::int64_t outputByteOffset, std::int64_t length) const;

  // Fills dest with output bytes [outputByteOffset, outputByteOffset + dest.size()), gathered from
  // source (the bytes Make was sized for). Sequential calls must be fast (memory-bound).
  void Gather(std::span<const std::byte> source, std::int64_t outputByteOffset,
              std::span<std::byte> dest) const;

 private:
  RenderPlan() = default;

  // Source frames of the positions r .. r + count - 1 before the reverse.
  void SourceFrames(std::int64_t r, std::int64_t count, std::int64_t* out) const;
  void GatherFrames(const std::byte* source, std::int64_t first, std::int64_t count, std::byte* out) const;
  bool Identity() const { return !resample_ && phaserOffset_ == 0 && !reverse_; }

  std::int64_t bytes_ = 0;
  std::int64_t frames_ = 0;  // whole output frames; bytes after them map onto themselves
  std::int64_t align_ = 0;
  bool resample_ = false;  // a length change that is not frame for frame
  std::int64_t lastSource_ = 0;
  std::int64_t lastResult_ = 0;
  std::int64_t phaserOffset_ = 0;  // D when the phaser moves any frame, else 0
  std::int64_t phaserLast_ = 0;    // odd positions up to this take position + D - 1
  bool reverse_ = false;
};

}  // namespace tactoria
