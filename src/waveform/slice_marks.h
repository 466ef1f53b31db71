#pragma once

#include <QRect>
#include <cstdint>
#include <optional>
#include <vector>

class QPainter;

namespace tactoria {

struct WaveformScene;

// The hits and slices a picture of the waveform shows over the beat grid.
struct SliceMarks {
  std::vector<std::int64_t> markers;  // frames, ascending
  bool editable = false;              // the markers are the cuts (the "Hits" slicing)
  std::optional<int> selectedMarker;
  // The slice played alone, highlighted.
  std::optional<std::int64_t> sliceFirst;
  std::int64_t sliceEnd = 0;
};

// The height of a marker's triangle above the lanes: the handle a drag takes it by.
inline constexpr int kMarkerHandle = 9;

// A triangle at the top of the lanes and a thin line down through them for every marker,
// the selected one stronger.
void PaintSliceMarks(QPainter& painter, const QRect& lanes, const WaveformScene& scene);

}  // namespace tactoria
