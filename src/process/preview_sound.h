#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <variant>

#include "process/render.h"
#include "wave/byte_buffer.h"
#include "wave/wave_format.h"

namespace tactoria {

// The open file's sample data as the preview holds it: its own copy, shared by the render jobs
// and the player, so the window may change or replace its file at any time.
struct PreviewSource {
  std::shared_ptr<const ByteBuffer> data;
  WaveFormat format;
};

// One fixed sound the preview draws and plays: the render of a source with given settings
// (exactly what the output commands write) or the source itself. Immutable once made, so it
// can be shared between threads.
class PreviewSound {
 public:
  // The render, or the failure the output commands would report.
  static std::variant<std::shared_ptr<const PreviewSound>, RenderFailure> Render(
      const PreviewSource& source, const RenderSettings& settings);
  // The source data unchanged (the "Original" of A/B listening).
  static std::shared_ptr<const PreviewSound> Original(const PreviewSource& source);

  const WaveFormat& format() const { return format_; }
  std::int64_t bytes() const { return static_cast<std::int64_t>(Data().size()); }
  std::int64_t frames() const { return format_.blockAlign > 0 ? bytes() / format_.blockAlign : 0; }
  // Whole frames only: a partial last frame is not played or drawn.
  std::span<const std::byte> Data() const;

  // Copies the bytes from `byteOffset` on into `dest`; bytes past the end are left unchanged.
  void Gather(std::int64_t byteOffset, std::span<std::byte> dest) const;

 private:
  PreviewSound() = default;

  WaveFormat format_;
  std::shared_ptr<const ByteBuffer> source_;  // for Original
  ByteBuffer rendered_;                       // for a render
};

}  // namespace tactoria
