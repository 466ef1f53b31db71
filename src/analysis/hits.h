#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "wave/wave_format.h"

namespace tactoria {

// How eagerly drum hits are found.
struct HitOptions {
  double sensitivity = 0.5;  // 0 finds only the loudest hits, 1 the faintest
  double minGapMs = 30.0;    // two hits are at least this far apart
};

// A sound shorter than this holds no hit that can be told from a click of the cut.
inline constexpr double kShortestMs = 10.0;

// The frame where each drum hit begins, ascending: a slice that starts there keeps the hit's
// whole attack and nothing of the hit before it. `pcm` holds interleaved whole frames in
// `format`; a sound too short to analyse, or silence, gives no hits. Never fails.
std::vector<std::int64_t> FindHits(std::span<const std::byte> pcm, const WaveFormat& format,
                                   const HitOptions& options = {});

// A hit with what the tempo finder weighs it by.
struct Hit {
  std::int64_t frame = 0;
  float strength = 0.0f;  // peak level of its attack, 1 for the loudest hit of the sound
  float snap = 0.0f;      // peak level of its attack in the high band, 1 for the snappiest hit
  float thump = 0.0f;     // peak level below about 150 Hz (a kick), 1 for the deepest hit
};

// FindHits with each hit's strength and brightness.
std::vector<Hit> FindHitDetails(std::span<const std::byte> pcm, const WaveFormat& format,
                                const HitOptions& options = {});

}  // namespace tactoria
