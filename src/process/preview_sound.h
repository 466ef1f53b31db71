#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <variant>
#include <vector>

#include "process/peak_summary.h"
#include "process/render.h"
#include "process/render_plan.h"
#include "process/time_stretch_render.h"
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
// (the output commands' render plan, gathered on demand, so a new length costs no pass over the
// data; with the pitch kept, the plan reads the stretch made once here) or the source itself. Immutable once
// made, so it can be shared between threads.
class PreviewSound {
 public:
  // The render, or the failure the output commands would report.
  static std::variant<std::shared_ptr<const PreviewSound>, RenderFailure> Render(
      const PreviewSource& source, const RenderSettings& settings, const StretchControl* control = nullptr);
  // The source data unchanged (the "Original" of A/B listening).
  static std::shared_ptr<const PreviewSound> Original(const PreviewSource& source);

  const WaveFormat& format() const { return source_.format; }
  // The rendered size in bytes (a partial last frame included, as the output commands count it).
  std::int64_t bytes() const;
  // Whole frames: only these are played or drawn.
  std::int64_t frames() const;

  // Copies the bytes from `byteOffset` on into `dest`; bytes past the end are left unchanged.
  void Gather(std::int64_t byteOffset, std::span<std::byte> dest) const;
  // Every byte, as the output commands would write it.
  std::vector<std::byte> Copy() const;
  // The peak summary of frames [firstFrame, firstFrame + frameCount) in `columns` columns.
  PeakSummary Summarize(std::int64_t firstFrame, std::int64_t frameCount, int columns) const;

 private:
  PreviewSound() = default;

  // The plan's bytes: the source's data, or its stretch when the pitch is kept.
  std::span<const std::byte> PlanSource() const { return planned_->source(); }

  PreviewSource source_;
  std::optional<PlannedRender> planned_;  // none for the original
  const RenderPlan* plan_ = nullptr;      // planned_'s plan
};

}  // namespace tactoria
