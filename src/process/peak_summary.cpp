#include "peak_summary.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

namespace tactoria {
namespace {

// The sample types a summary reads: each reads one sample and knows its full scale.
template <int Bits>
struct IntSample {
  using Value = std::int32_t;
  static constexpr std::int64_t kBytes = Bits / 8;
  static constexpr float kFullScale = static_cast<float>(1ULL << (Bits - 1));
  static Value Read(const std::byte* p) {
    if constexpr (Bits == 8) {
      return static_cast<std::int32_t>(std::to_integer<std::uint8_t>(p[0])) - 128;
    } else if constexpr (Bits == 16) {
      std::int16_t v;
      std::memcpy(&v, p, sizeof v);
      return v;
    } else if constexpr (Bits == 24) {
      const std::uint32_t u = std::to_integer<std::uint32_t>(p[0]) |
                              std::to_integer<std::uint32_t>(p[1]) << 8 |
                              std::to_integer<std::uint32_t>(p[2]) << 16;
      return static_cast<std::int32_t>(u << 8) >> 8;
    } else {
      std::int32_t v;
      std::memcpy(&v, p, sizeof v);
      return v;
    }
  }
};

// 32-bit float samples as stored: full scale is 1, and values beyond it are kept.
struct FloatSample {
  using Value = float;
  static constexpr std::int64_t kBytes = 4;
  static constexpr float kFullScale = 1.0f;
  static Value Read(const std::byte* p) {
    float v;
    std::memcpy(&v, p, sizeof v);
    return v;
  }
};

// One column's stretch: `Channels` is fixed for the common counts so the inner loop unrolls.
template <typename Sample, int Channels>
void ScanFrames(const std::byte* p, std::int64_t frames, std::int64_t blockAlign, int channels,
                typename Sample::Value* low, typename Sample::Value* high) {
  const int count = Channels > 0 ? Channels : channels;
  for (std::int64_t f = 0; f < frames; ++f, p += blockAlign) {
    for (int c = 0; c < count; ++c) {
      const typename Sample::Value v = Sample::Read(p + c * Sample::kBytes);
      low[c] = std::min(low[c], v);
      high[c] = std::max(high[c], v);
    }
  }
}

template <typename Sample, int Channels>
void Summarize(const std::byte* data, std::int64_t dataFrames, const WaveFormat& format,
               std::int64_t firstFrame, std::int64_t frameCount, PeakSummary& summary) {
  using Value = typename Sample::Value;
  const int channels = format.channels;
  const std::int64_t align = format.blockAlign;
  std::vector<Value> low(static_cast<std::size_t>(channels));
  std::vector<Value> high(static_cast<std::size_t>(channels));
  for (int column = 0; column < summary.columns(); ++column) {
    std::int64_t a = firstFrame + ColumnStart(frameCount, summary.columns(), column);
    std::int64_t b = firstFrame + ColumnStart(frameCount, summary.columns(), column + 1);
    a = std::clamp<std::int64_t>(a, 0, dataFrames);
    b = std::clamp<std::int64_t>(b, 0, dataFrames);
    if (a >= b) continue;
    std::fill(low.begin(), low.end(), std::numeric_limits<Value>::max());
    std::fill(high.begin(), high.end(), std::numeric_limits<Value>::lowest());
    ScanFrames<Sample, Channels>(data + a * align, b - a, align, channels, low.data(), high.data());
    for (int c = 0; c < channels; ++c) {
      const auto i = static_cast<std::size_t>(c);
      summary.Set(c, column, static_cast<float>(low[i]) / Sample::kFullScale,
                  static_cast<float>(high[i]) / Sample::kFullScale);
    }
  }
}

template <typename Sample>
void SummarizeSamples(const std::byte* data, std::int64_t dataFrames, const WaveFormat& format,
                      std::int64_t firstFrame, std::int64_t frameCount, PeakSummary& summary) {
  switch (format.channels) {
    case 1:
      return Summarize<Sample, 1>(data, dataFrames, format, firstFrame, frameCount, summary);
    case 2:
      return Summarize<Sample, 2>(data, dataFrames, format, firstFrame, frameCount, summary);
    default:
      return Summarize<Sample, 0>(data, dataFrames, format, firstFrame, frameCount, summary);
  }
}

}  // namespace

PeakSummary::PeakSummary(int channels, int columns)
    : channels_(std::max(channels, 0)),
      columns_(std::max(columns, 0)),
      // Empty columns read as min > max until a frame sets them.
      mins_(static_cast<std::size_t>(channels_) * static_cast<std::size_t>(columns_), 1.0f),
      maxs_(mins_.size(), -1.0f) {}

void PeakSummary::Set(int channel, int column, float low, float high) {
  mins_[Index(channel, column)] = low;
  maxs_[Index(channel, column)] = high;
}

std::int64_t ColumnStart(std::int64_t frames, int columns, int column) {
  if (columns < 1) return 0;
  // frames * column / columns without overflow for any realistic frame count.
  const std::int64_t whole = frames / columns;
  const std::int64_t rest = frames % columns;
  return whole * column + rest * column / columns;
}

PeakSummary SummarizePeaks(std::span<const std::byte> data, const WaveFormat& format, std::int64_t firstFrame,
                           std::int64_t frameCount, int columns) {
  const int bits = format.bitsPerSample;
  const bool isFloat = format.formatTag == 3;
  const bool known = isFloat ? bits == 32 : bits == 8 || bits == 16 || bits == 24 || bits == 32;
  if (!known || format.channels < 1 || columns < 1 || frameCount < 0 ||
      format.blockAlign < format.channels * (bits / 8)) {
    return {};
  }
  PeakSummary summary(format.channels, columns);
  const std::int64_t dataFrames = static_cast<std::int64_t>(data.size()) / format.blockAlign;
  if (isFloat) {
    SummarizeSamples<FloatSample>(data.data(), dataFrames, format, firstFrame, frameCount, summary);
    return summary;
  }
  switch (bits) {
    case 8:
      SummarizeSamples<IntSample<8>>(data.data(), dataFrames, format, firstFrame, frameCount, summary);
      break;
    case 16:
      SummarizeSamples<IntSample<16>>(data.data(), dataFrames, format, firstFrame, frameCount, summary);
      break;
    case 24:
      SummarizeSamples<IntSample<24>>(data.data(), dataFrames, format, firstFrame, frameCount, summary);
      break;
    default:
      SummarizeSamples<IntSample<32>>(data.data(), dataFrames, format, firstFrame, frameCount, summary);
      break;
  }
  return summary;
}

}  // namespace tactoria
