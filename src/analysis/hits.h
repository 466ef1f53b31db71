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

// The frame where each drum hit begins, ascending: a slice that starts there keeps the hit's
// whole attack and nothing of the hit before it. `pcm` holds interleaved whole frames in
// `format`; a sound too short to analyse, or silence, gives no hits. Never fails.
std::vector<std::int64_t> FindHits(std::span<const std::byte> pcm, const WaveFormat& format,
                                   const HitOptions& options = {});

}  // namespace tactoria
