#include "beat_grid.h"

#include <algorithm>

#include "beats/beat_math.h"

namespace tactoria {

std::int64_t BeatGrid::BeatAt(std::int64_t frame) const {
  if (empty() || frame < 0 || frame >= GridEnd()) return -1;
  return frame / beatFrames;
}

BeatGrid MakeBeatGrid(std::int64_t soundBytes, std::int16_t blockAlign, std::int64_t beats,
                      std::int64_t beatsPerBar) {
  BeatGrid grid;
  grid.beatsPerBar = std::max<std::int64_t>(beatsPerBar, 1);
  if (blockAlign < 1 || soundBytes < 0) return grid;
  grid.soundFrames = soundBytes / blockAlign;
  const std::int64_t length = BeatLength(soundBytes, beats, blockAlign);
  if (length < blockAlign) return grid;
  grid.beatFrames = length / blockAlign;
  grid.beats = beats;
  return grid;
}

}  // namespace tactoria
