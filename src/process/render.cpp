#include "process/render.h"

#include <cmath>
#include <limits>
#include <utility>

#include "process/render_plan.h"
#include "process/time_stretch_render.h"

namespace tactoria {

const char* RenderFailureMessage(RenderFailure failure) {
  switch (failure) {
    case RenderFailure::LengthChange:
      return "Could not change the length of the sound. Out of Memory.";
    case RenderFailure::CopyMemory:
      return "Out of memory.";
    case RenderFailure::Phaser:
      return "Invalid operation. Could not set phaser to the sample.";
    case RenderFailure::Reverse:
      return "Out of memory. Could not reverse sample.";
    case RenderFailure::StretchMemory:
      return "Could not stretch the sound to its new length with the pitch kept. Out of memory.";
    case RenderFailure::StretchFormat:
      return "Could not stretch the sound to its new length with the pitch kept. Keep Pitch needs "
             "8-, 16-, 24- or 32-bit PCM or 32-bit float samples.";
    case RenderFailure::StretchRatio:
      return "Could not stretch the sound to its new length with the pitch kept. Keep Pitch makes a sound "
             "from 1/16 to 16 times as long; choose a length in that range or switch Keep Pitch off.";
    case RenderFailure::StretchError:
      return "Could not stretch the sound to its new length with the pitch kept. The time-stretch failed.";
    case RenderFailure::Cancelled:
      return "The render was cancelled.";
  }
  return "";
}

std::int32_t PhaserOffset(double phaserValue, std::int16_t blockAlign) {
  const double offset = std::rint(phaserValue * blockAlign);  // halves to even
  if (std::isnan(offset)) return 0;
  if (offset >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
    return std::numeric_limits<std::int32_t>::max();
  }
  if (offset <= static_cast<double>(std::numeric_limits<std::int32_t>::min())) {
    return std::numeric_limits<std::int32_t>::min();
  }
  return static_cast<std::int32_t>(offset);
}

bool SameMixFormat(const WaveFormat& open, const WaveFormat& second) {
  return open.sampleRate == second.sampleRate && open.channels == second.channels &&
         open.bitsPerSample == second.bitsPerSample && open.formatTag == second.formatTag;
}

RenderResult RenderNewSample(std::span<const std::byte> data, const WaveFormat& format,
                             const RenderSettings& settings, const StretchControl* control) {
  RenderResult out;
  auto made = PlannedRender::Make(data, format, settings, control);
  if (const auto* failure = std::get_if<RenderFailure>(&made)) {
    out.failure = *failure;
    return out;
  }
  const PlannedRender& planned = std::get<PlannedRender>(made);
  const RenderPlan& plan = planned.plan();
  auto buffer = ByteBuffer::Allocate(static_cast<std::size_t>(plan.bytes()));
  if (!buffer) {
    out.failure = settings.newFrames ? RenderFailure::LengthChange : RenderFailure::CopyMemory;
    return out;
  }
  plan.Gather(planned.source(), 0, buffer->bytes());
  out.buffer = std::move(*buffer);
  return out;
}

}  // namespace tactoria
