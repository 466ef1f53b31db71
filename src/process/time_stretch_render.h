#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <variant>

#include "process/render.h"
#include "process/render_plan.h"
#include "process/time_stretch.h"
#include "wave/byte_buffer.h"
#include "wave/wave_format.h"

namespace tactoria {

// A render's plan with the bytes it gathers from. Normally that is the open sound itself. With
// Keep Pitch and a new length, the length step is a time-stretch made here, whole, into a buffer of
// exactly the new frame count; the plan over it keeps that length and adds the phaser and the
// reverse as usual. Moving a PlannedRender keeps source() where it was.
class PlannedRender {
 public:
  // The same checks and failures as RenderPlan::Make, then those of the stretch.
  // `control` reports the stretch's progress and may cancel it (RenderFailure::Cancelled).
  static std::variant<PlannedRender, RenderFailure> Make(std::span<const std::byte> data,
                                                         const WaveFormat& format,
                                                         const RenderSettings& settings,
                                                         const StretchControl* control = nullptr);

  const RenderPlan& plan() const { return plan_; }
  std::span<const std::byte> source() const { return source_; }

 private:
  PlannedRender(RenderPlan plan, std::span<const std::byte> source)
      : plan_(std::move(plan)), source_(source) {}

  RenderPlan plan_;
  ByteBuffer stretched_;  // empty unless the pitch is kept
  std::span<const std::byte> source_;
};

}  // namespace tactoria
