#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>

#include "slices/slice_points.h"
#include "wave/media_file.h"
#include "wave/wave_format.h"

namespace tactoria {

// A SoundFont 2 bank (RIFF "sfbk") with one preset whose instrument plays slice k of `sound` on
// key 36 + k at its own pitch, without looping. Samples are 16-bit; 24-bit, 32-bit and float
// sounds keep 24 bits through the "sm24" chunk (which makes the file version 2.04, the first to
// read it). Stereo slices are a linked left and right sample panned hard to their sides. Mono and
// stereo sounds only.
struct Sf2Result {
  std::optional<vbMediaFile> file;
  std::string problem;  // when refused
};
Sf2Result SoundFontOfSlices(std::span<const std::byte> sound, const WaveFormat& format, const Slices& slices,
                            const std::string& name);

}  // namespace tactoria
