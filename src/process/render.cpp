#include "process/render.h"

#include <cmath>
#include <limits>
#include <utility>

#include "process/render_plan.h"

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
         open.bitsPerSample == second.bitsPerSample;
}

RenderResult RenderNewSample(std::span<const std::byte> data, const WaveFormat& format,
                             const RenderSettings& settings) {
  RenderResult out;
  auto made = RenderPlan::Make(static_cast<std::int64_t>(data.size()), format, settings);
  if (const auto* failure = std::get_if<RenderFailure>(&made)) {
    out.failure = *failure;
    return out;
  }
  const RenderPlan& plan = std::get<RenderPlan>(made);
  auto buffer = ByteBuffer::Allocate(static_cast<std::size_t>(plan.bytes()));
  if (!buffer) {
    out.failure = settings.newFrames ? RenderFailure::LengthChange : RenderFailure::CopyMemory;
    return out;
  }
  plan.Gather(data, 0, buffer->bytes());
  out.buffer = std::move(*buffer);
  return out;
}

}  // namespace tactoria
