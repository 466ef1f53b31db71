#pragma once

#include <cstddef>
#include <optional>
#include <span>

#include "slices/midi_export.h"
#include "slices/slice_points.h"
#include "wave/media_file.h"
#include "wave/wave_format.h"

namespace tactoria {

// The whole sound as one wave file that carries its slices: a cue point per slice start with a
// label "Slice k" (LIST "adtl"), an "acid" chunk (a loop, not a one-shot, with its beats, meter
// and tempo, so that a sequencer can stretch it) and a "smpl" chunk looping the whole sound.
// Empty when memory is short.
std::optional<vbMediaFile> MarkedWave(std::span<const std::byte> sound, const WaveFormat& format,
                                      const Slices& slices, const LoopTempo& tempo);

}  // namespace tactoria
