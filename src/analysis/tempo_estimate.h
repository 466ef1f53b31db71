#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/hits.h"
#include "wave/wave_format.h"

namespace tactoria {

// What decided a tempo estimate.
enum class TempoSource {
  FileName,   // a tempo written in the file name that fits the length
  AcidChunk,  // the tempo of an "acid" chunk that fits the length
  Sound,      // the hits
  Length,     // the length alone (silence, or too short to analyse)
};
// "file name", "acid chunk", "sound" or "length".
const char* TempoSourceName(TempoSource source);

struct TempoEstimate {
  double bpm = 0.0;
  int beats = 4;            // beats per bar
  int bars = 1;             // whole bars in the loop
  double confidence = 0.0;  // 0 to 1
  TempoSource source = TempoSource::Length;
  std::vector<std::int64_t> onsets;  // the hits found, ascending frames
};

struct TempoOptions {
  std::optional<int> beats;  // beats per bar when known: only the bars and the tempo are found
  HitOptions hits;
  std::string fileName;             // the file's name, for a tempo written in it ("loop_120bpm.wav")
  std::optional<double> acidTempo;  // the tempo of the file's "acid" chunk, if it has one
  int acidBeatsPerBar = 0;          // its meter's numerator (0: not known); used when `beats` is not given
};

// The meter, whole bars and tempo of a loop. Never fails on a sound the program opened.
// A tempo from the acid chunk, then one from the file name, decides when the loop's length is
// whole bars of that tempo (within 2%); otherwise the hits do, and with fewer than two hits (silence,
// or a sound too short to analyse) the length alone: the bar count whose tempo is nearest 120,
// with confidence 0. The bpm is always the one the length gives for the beats and bars found.
TempoEstimate EstimateTempo(std::span<const std::byte> pcm, const WaveFormat& format,
                            const TempoOptions& options = {});

// The tempos written in a file name, most explicit first: a number next to "bpm" (any case),
// then numbers from 40 to 300 standing apart ("amen_137_.wav"). Folders and the extension are
// not read.
std::vector<double> TemposInFileName(std::string_view path);

}  // namespace tactoria
