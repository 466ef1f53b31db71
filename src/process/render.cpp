#include "process/render.h"

#include <cmath>
#include <limits>
#include <utility>

#include "process/sound_routines.h"

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
  if (settings.newFrames) {
    // The resampled frames are the working buffer itself; no copy of the data is made.
    if (!ChangeSoundLength(data, format.blockAlign, *settings.newFrames, out.buffer)) {
      out.failure = RenderFailure::LengthChange;
      return out;
    }
  } else {
    // An empty data chunk is an allocation of 0 bytes, which fails.
    auto copy = data.empty() ? std::nullopt : ByteBuffer::CopyOf(data);
    if (!copy) {
      out.failure = RenderFailure::CopyMemory;
      return out;
    }
    out.buffer = std::move(*copy);
  }

  // The phaser works on the sound at its new length; the reverse comes last.
  if (settings.phaserValue &&
      !SetPhaser(out.buffer.bytes(), format, PhaserOffset(*settings.phaserValue, format.blockAlign))) {
    out.buffer = ByteBuffer();
    out.failure = RenderFailure::Phaser;
    return out;
  }
  if (settings.reverse && !ReverseSample(out.buffer.bytes(), format.blockAlign)) {
    out.buffer = ByteBuffer();
    out.failure = RenderFailure::Reverse;
    return out;
  }
  return out;
}

}  // namespace tactoria
