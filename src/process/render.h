#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "wave/byte_buffer.h"
#include "wave/wave_format.h"

namespace tactoria {

// What the "New Sample" settings ask of a render.
struct RenderSettings {
  std::optional<std::int32_t> newFrames;  // a new length in frames, or none to keep the length
  std::optional<double> phaserValue;      // the phaser value (offset = value x block align), or none
  bool reverse = false;
  // A new length is a time-stretch at the same pitch, not a resampling. RenderPlan alone does not
  // stretch: renders that honour this go through PlannedRender (process/time_stretch_render.h).
  bool keepPitch = false;
};

enum class RenderFailure {
  LengthChange,  // "Could not change the length of the sound. Out of Memory."
  CopyMemory,    // "Out of memory."
  Phaser,        // "Invalid operation. Could not set phaser to the sample."
  Reverse,       // "Out of memory. Could not reverse sample."
  // The time-stretch of a new length with the pitch kept:
  StretchMemory,  // no memory for it
  StretchFormat,  // samples it cannot convert
  StretchRatio,   // a new length too far from the old one
  StretchError,   // the stretcher gave up
  Cancelled,      // the user cancelled a long render
};

// Every render failure is shown under this title with the critical icon.
inline constexpr const char* kRenderFailureTitle = "Error: 5";
const char* RenderFailureMessage(RenderFailure failure);

struct RenderResult {
  ByteBuffer buffer;                     // the working buffer, valid when !failure
  std::optional<RenderFailure> failure;  // set when the render stopped
};

// Length change first, then the phaser on the sound at its new length, the reverse last.
// The source data is only read.
// `control` (process/time_stretch.h) reports a stretch's progress and may cancel it.
struct StretchControl;
RenderResult RenderNewSample(std::span<const std::byte> data, const WaveFormat& format,
                             const RenderSettings& settings, const StretchControl* control = nullptr);

// The phaser offset in frames for a phaser value: value x block align, rounded half to even,
// held within the 32-bit range.
std::int32_t PhaserOffset(double phaserValue, std::int16_t blockAlign);

// Mix To's format test: sample rate, channel count, bits per sample and the format tag (integer PCM
// or float) must match.
bool SameMixFormat(const WaveFormat& open, const WaveFormat& second);

inline constexpr const char* kMixFormatTitle = "Invalid Format Difference";
inline constexpr const char* kMixFormatMessage =
    "Unable to mix to this file. Wave format is different to the current open file.";
inline constexpr const char* kNoMixTitle = "No Mix";
inline constexpr const char* kNoMixMessage = "Could not mix files together.";

}  // namespace tactoria
