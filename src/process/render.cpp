#include "process/render.h"

#include <cmath>
#include <limits>
#include <utility>

#include "process/sound_routines.h"
#include "process/time_stretch.h"

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
             "8-, 16-, 24- or 32-bit PCM samples.";
    case RenderFailure::StretchRatio:
      return "Could not stretch the sound to its new length with the pitch kept. Keep Pitch makes a sound "
             "from 1/16 to 16 times as long; choose a length in that range or switch Keep Pitch off.";
    case RenderFailure::StretchError:
      return "Could not stretch the sound to its new length with the pitch kept. The time-stretch failed.";
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

namespace {

RenderFailure StretchRenderFailure(StretchFailure failure) {
  switch (failure) {
    case StretchFailure::OutOfMemory:
      return RenderFailure::StretchMemory;
    case StretchFailure::UnsupportedFormat:
      return RenderFailure::StretchFormat;
    case StretchFailure::RatioOutOfRange:
      return RenderFailure::StretchRatio;
    default:
      return RenderFailure::StretchError;
  }
}

// The new length by a time-stretch; a length that the resampling refuses (0 frames or fewer)
// gets the resampling's message.
bool KeepPitchLength(std::span<const std::byte> data, const WaveFormat& format, std::int32_t newFrames,
                     RenderResult& out) {
  if (newFrames < 1 || format.blockAlign < 1 || data.size() < static_cast<std::size_t>(format.blockAlign)) {
    out.failure = RenderFailure::LengthChange;
    return false;
  }
  StretchResult stretched = StretchKeepingPitch(data, format, newFrames);
  if (stretched.failure) {
    out.failure = StretchRenderFailure(*stretched.failure);
    return false;
  }
  out.buffer = std::move(stretched.buffer);
  return true;
}

}  // namespace

RenderResult RenderNewSample(std::span<const std::byte> data, const WaveFormat& format,
                             const RenderSettings& settings) {
  RenderResult out;
  if (settings.newFrames && settings.keepPitch) {
    if (!KeepPitchLength(data, format, *settings.newFrames, out)) return out;
  } else if (settings.newFrames) {
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
