#pragma once

#include <QImage>
#include <QRect>
#include <cstdint>
#include <optional>

#include "beats/beat_grid.h"
#include "process/peak_summary.h"
#include "waveform/slice_marks.h"

class QPainter;

namespace tactoria {

// What one picture of the waveform shows: frames [firstFrame, firstFrame + frameCount) of a
// sound summarised into one column per pixel of the lanes' width.
struct WaveformScene {
  const PeakSummary* summary = nullptr;
  BeatGrid grid;
  std::int64_t firstFrame = 0;
  std::int64_t frameCount = 0;
  int sampleRate = 0;
  std::optional<std::int64_t> playhead;
  std::optional<std::int64_t> selectedBeat;  // a beat played alone, highlighted
  SliceMarks slices;
};

inline constexpr int kRulerHeight = 22;

// The lanes' area of a picture of `size` (below the ruler).
QRect WaveformLanes(const QRect& area);
// The frame under pixel x of the lanes, and the x of a frame.
std::int64_t FrameAtX(const WaveformScene& scene, const QRect& lanes, int x);
double XOfFrame(const WaveformScene& scene, const QRect& lanes, std::int64_t frame);

// Ruler in seconds, one lane per channel, beat and bar lines with bar numbers, the shaded tail
// past the last whole beat, the playhead.
void PaintWaveform(QPainter& painter, const QRect& area, const WaveformScene& scene);

// The whole of `sound` at width x height, as the preview draws it fully zoomed out.
QImage WaveformImage(std::span<const std::byte> sound, const WaveFormat& format, const BeatGrid& grid,
                     int width, int height);

}  // namespace tactoria
