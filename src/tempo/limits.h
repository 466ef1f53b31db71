#pragma once

#include <cstdint>
#include <limits>

namespace tactoria {

// The bounds of the values a user sets, shared by the window and the command-line tool.
inline constexpr int kMaxBeatsPerBar = 32;
inline constexpr int kMaxBars = 4096;
// The largest frame count of a new length (a 32-bit count).
inline constexpr std::int32_t kMaxFrames = std::numeric_limits<std::int32_t>::max();
inline constexpr const char* kMaxFramesText = "2147483647";

// The phaser value may reach an eighth of the frame count it applies to.
constexpr double PhaserBound(double frames) {
  return frames / 8;
}

}  // namespace tactoria
