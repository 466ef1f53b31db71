#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "wave/wave_format.h"

namespace tactoria {

// The lowest and highest sample of each channel in each pixel column of a stretch of PCM frames,
// at the true scale of the sample width: -1 .. +1 for 8-bit unsigned, 16-, 24- and 32-bit signed;
// 32-bit float (format tag 3) as stored, values beyond 1 included.
class PeakSummary {
 public:
  PeakSummary() = default;
  PeakSummary(int channels, int columns);

  int channels() const { return channels_; }
  int columns() const { return columns_; }
  bool empty() const { return columns_ == 0; }
  // False for a column that holds no frame (a stretch shorter than the column count).
  bool HasFrames(int column) const { return Min(0, column) <= Max(0, column); }
  float Min(int channel, int column) const { return mins_[Index(channel, column)]; }
  float Max(int channel, int column) const { return maxs_[Index(channel, column)]; }
  void Set(int channel, int column, float low, float high);

 private:
  std::size_t Index(int channel, int column) const {
    return static_cast<std::size_t>(channel) * static_cast<std::size_t>(columns_) +
           static_cast<std::size_t>(column);
  }

  int channels_ = 0;
  int columns_ = 0;
  std::vector<float> mins_;
  std::vector<float> maxs_;
};

// The first frame of `column` when `frames` frames are spread over `columns` columns.
std::int64_t ColumnStart(std::int64_t frames, int columns, int column);

// Summarises frames [firstFrame, firstFrame + frameCount) of `data` (whole frames of
// format.blockAlign bytes; a partial last frame is ignored) into `columns` columns. Frames
// outside the data count as missing. An empty summary for a format it cannot read (no channels,
// a sample width other than 8, 16, 24 or 32 bits or a float other than 32 bits, or a block align
// too small for the channels).
PeakSummary SummarizePeaks(std::span<const std::byte> data, const WaveFormat& format, std::int64_t firstFrame,
                           std::int64_t frameCount, int columns);

}  // namespace tactoria
