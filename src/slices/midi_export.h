#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "slices/slice_points.h"

namespace tactoria {

// The loop's tempo and meter: `totalBeats` quarter-note beats over the whole sound.
struct LoopTempo {
  double totalBeats = 4;
  int beatsPerBar = 4;

  // Beats per minute of a sound of `frames` frames at `sampleRate`.
  double Bpm(std::int64_t frames, std::int32_t sampleRate) const {
    return totalBeats * 60.0 * sampleRate / static_cast<double>(frames);
  }
};

inline constexpr int kMidiTicksPerQuarter = 960;

// A Standard MIDI File (format 0) that plays the loop back through the slices' instrument: its
// tempo and time signature, preset 0 on channel 1, and for slice k a note on key 36 + k from the
// slice's start to its end, full velocity. The track ends with the sound.
std::vector<std::byte> MidiFile(const Slices& slices, std::int32_t sampleRate, const LoopTempo& tempo);

}  // namespace tactoria
