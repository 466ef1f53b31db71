#include "process/time_stretch_render.h"

#include <utility>

#include "process/time_stretch.h"

namespace tactoria {
namespace {

RenderFailure StretchRenderFailure(StretchFailure failure) {
  switch (failure) {
    case StretchFailure::OutOfMemory:
      return RenderFailure::StretchMemory;
    case StretchFailure::UnsupportedFormat:
      return RenderFailure::StretchFormat;
    case StretchFailure::RatioOutOfRange:
      return RenderFailure::StretchRatio;
    case StretchFailure::Cancelled:
      return RenderFailure::Cancelled;
    default:
      return RenderFailure::StretchError;
  }
}

}  // namespace

std::variant<PlannedRender, RenderFailure> PlannedRender::Make(std::span<const std::byte> data,
                                                               const WaveFormat& format,
                                                               const RenderSettings& settings,
                                                               const StretchControl* control) {
  // A length, phaser or reverse that the plan refuses is refused the same way with the pitch kept,
  // before any time is spent stretching.
  auto made = RenderPlan::Make(static_cast<std::int64_t>(data.size()), format, settings);
  if (const auto* failure = std::get_if<RenderFailure>(&made)) return *failure;
  if (!settings.keepPitch || !settings.newFrames)
    return PlannedRender(std::get<RenderPlan>(std::move(made)), data);

  StretchResult stretched =
      StretchKeepingPitch(data, format, *settings.newFrames, kDefaultStretchEngine, control);
  if (stretched.failure) return StretchRenderFailure(*stretched.failure);
  RenderSettings rest = settings;
  rest.newFrames.reset();
  rest.keepPitch = false;
  auto over = RenderPlan::Make(static_cast<std::int64_t>(stretched.buffer.size()), format, rest);
  if (const auto* failure = std::get_if<RenderFailure>(&over)) return *failure;
  PlannedRender planned(std::get<RenderPlan>(std::move(over)), {});
  planned.stretched_ = std::move(stretched.buffer);
  planned.source_ = planned.stretched_.bytes();
  return planned;
}

}  // namespace tactoria
