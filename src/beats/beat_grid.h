#pragma once

#include <cstdint>

namespace tactoria {

// Where the beats of a sound fall, exactly where a span cuts it: N beats of BeatLength bytes
// each, counted in frames; the tail past the last whole beat is not part of any beat.
struct BeatGrid {
  std::int64_t soundFrames = 0;
  std::int64_t beatFrames = 0;  // 0 when no beat of at least one frame can be cut
  std::int64_t beats = 0;       // N
  std::int64_t beatsPerBar = 1;

  bool empty() const { return beatFrames == 0; }
  std::int64_t BeatStart(std::int64_t k) const { return k * beatFrames; }
  // Where the tail begins: the end of beat N.
  std::int64_t GridEnd() const { return beats * beatFrames; }
  bool IsBarStart(std::int64_t k) const { return k % beatsPerBar == 0; }

  // The 0-based beat holding `frame`, or -1 for a frame in the tail or outside the sound.
  std::int64_t BeatAt(std::int64_t frame) const;
  // 1-based bar and beat within the bar of beat k.
  std::int64_t BarNumber(std::int64_t k) const { return k / beatsPerBar + 1; }
  std::int64_t BeatInBar(std::int64_t k) const { return k % beatsPerBar + 1; }
};

// The grid of a sound of `soundBytes` bytes in frames of `blockAlign` bytes, cut into
// `beats` beats (beats per bar x bars, as a span counts them), with a bar line every
// `beatsPerBar` beats (1 when below 1).
BeatGrid MakeBeatGrid(std::int64_t soundBytes, std::int16_t blockAlign, std::int64_t beats,
                      std::int64_t beatsPerBar);

}  // namespace tactoria
