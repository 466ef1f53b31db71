// The preview's core: the peak summary against a naive scan, the beat grid against a span.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>

#include "beats/beat_grid.h"
#include "beats/span_beats.h"
#include "process/peak_summary.h"
#include "process/preview_sound.h"
#include "support/riff_builder.h"

namespace tactoria {
namespace {

using testing::Bytes;

double NaiveSample(const Bytes& data, std::size_t at, int bits) {
  const auto b = [&](std::size_t i) { return std::to_integer<std::uint32_t>(data[at + i]); };
  switch (bits) {
    case 8:
      return (static_cast<double>(b(0)) - 128.0) / 128.0;
    case 16:
      return static_cast<std::int16_t>(b(0) | b(1) << 8) / 32768.0;
    case 24: {
      std::int32_t v = static_cast<std::int32_t>(b(0) | b(1) << 8 | b(2) << 16);
      if (v >= 1 << 23) v -= 1 << 24;
      return v / 8388608.0;
    }
    default:
      return static_cast<std::int32_t>(b(0) | b(1) << 8 | b(2) << 16 | b(3) << 24) / 2147483648.0;
  }
}

class PeakSummaryTest : public ::testing::TestWithParam<std::tuple<int, int>> {};

// Random data of every width, with a frame count that does not divide into the columns, a
// stretch that starts inside the data and runs past its end, and a padded block align.
TEST_P(PeakSummaryTest, MatchesNaiveMinMaxOnRandomData) {
  const auto [bits, channels] = GetParam();
  const int sampleBytes = bits / 8;
  WaveFormat format = WaveFormat::FromBytes(testing::PcmFormat(channels, 44100, bits));
  format.blockAlign = static_cast<std::int16_t>(channels * sampleBytes + (channels == 3 ? 1 : 0));
  const std::int64_t frames = 10007;
  std::mt19937 random(static_cast<unsigned>(bits * 10 + channels));
  // And a partial frame, which is not summarised.
  Bytes data(static_cast<std::size_t>(frames * format.blockAlign + format.blockAlign - 1));
  for (auto& b : data) b = static_cast<std::byte>(random());

  for (const auto& [first, count, columns] :
       {std::tuple<std::int64_t, std::int64_t, int>{0, frames, 37}, {123, frames, 300}, {5000, 20, 64}}) {
    const PeakSummary summary = SummarizePeaks(data, format, first, count, columns);
    ASSERT_EQ(summary.columns(), columns);
    ASSERT_EQ(summary.channels(), channels);
    for (int column = 0; column < columns; ++column) {
      const std::int64_t a = std::min(first + ColumnStart(count, columns, column), frames);
      const std::int64_t b = std::min(first + ColumnStart(count, columns, column + 1), frames);
      ASSERT_EQ(summary.HasFrames(column), a < b) << column;
      for (int c = 0; c < channels && a < b; ++c) {
        double low = 2, high = -2;
        for (std::int64_t f = a; f < b; ++f) {
          const double v =
              NaiveSample(data, static_cast<std::size_t>(f * format.blockAlign + c * sampleBytes), bits);
          low = std::min(low, v);
          high = std::max(high, v);
        }
        ASSERT_FLOAT_EQ(summary.Min(c, column), static_cast<float>(low)) << column << " ch " << c;
        ASSERT_FLOAT_EQ(summary.Max(c, column), static_cast<float>(high)) << column << " ch " << c;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Widths, PeakSummaryTest,
                         ::testing::Combine(::testing::Values(8, 16, 24, 32), ::testing::Values(1, 2, 3)));

// Full scale and every other value: the naive scan above; a width it does not read gives nothing.
TEST(PeakSummaryWidths, UnreadWidthGivesNoSummary) {
  EXPECT_TRUE(SummarizePeaks(Bytes(4), WaveFormat{1, 1, 44100, 88200, 2, 12}, 0, 2, 1).empty());
  EXPECT_TRUE(SummarizePeaks(Bytes(8), WaveFormat{3, 1, 44100, 352800, 8, 64}, 0, 1, 1).empty());
}

// Float samples are read as stored, beyond full scale too, from the data and from a render (whose
// columns are folded from pieces).
TEST(PeakSummaryWidths, FloatSamplesKeepTheirValues) {
  const WaveFormat format{3, 2, 44100, 352800, 8, 32};
  std::vector<float> samples;
  for (int f = 0; f < 400; ++f) {
    samples.push_back(1.5f + static_cast<float>(f % 7) / 8);  // 1.5 .. 2.25, never below full scale
    samples.push_back(-static_cast<float>(f % 5) / 4);        // 0 .. -1
  }
  auto data = ByteBuffer::CopyOf(std::as_bytes(std::span(samples)));
  const PreviewSource source{std::make_shared<const ByteBuffer>(std::move(*data)), format};
  const auto rendered = std::get<std::shared_ptr<const PreviewSound>>(
      PreviewSound::Render(source, {800, std::nullopt, false, false}));
  for (const PeakSummary& summary :
       {PreviewSound::Original(source)->Summarize(0, 400, 4), rendered->Summarize(0, 800, 4)}) {
    ASSERT_EQ(summary.columns(), 4);
    for (int column = 0; column < 4; ++column) {
      EXPECT_FLOAT_EQ(summary.Min(0, column), 1.5f);
      EXPECT_FLOAT_EQ(summary.Max(0, column), 2.25f);
      EXPECT_FLOAT_EQ(summary.Min(1, column), -1.0f);
      EXPECT_FLOAT_EQ(summary.Max(1, column), 0.0f);
    }
  }
}

// The grid's lines are where a span of the same sound cuts it (where the span writes each beat:
// the span tests): the same beat length, no beat where the span has none, the tail in no beat.
TEST(BeatGridTest, LinesFallWhereSpanCuts) {
  for (const auto& [bytes, align, beats] : {std::tuple<std::int64_t, std::int16_t, std::int32_t>{1000, 2, 4},
                                            {1012, 4, 4},
                                            {2048 * 6 + 10, 2, 2048},
                                            {30, 2, 16},
                                            {9, 4, 1}}) {
    SCOPED_TRACE(bytes);
    SpanRequest request;
    request.sound.format = WaveFormat{1, static_cast<std::int16_t>(align / 2), 44100, 0, align, 16};
    request.sound.dataBytes = bytes;
    request.beats = beats;
    SpanHooks hooks;  // every beat file exists and is kept: the span writes nothing
    hooks.fileExists = [](const std::string&) { return true; };
    hooks.askOverwrite = [](const std::string&) { return OverwriteAnswer::No; };
    const SpanOutcome span = SpanBeats(request, hooks);
    const BeatGrid grid = MakeBeatGrid(bytes, align, beats, 4);
    EXPECT_EQ(grid.empty(), span.status == SpanStatus::NoBeats);
    EXPECT_EQ(grid.beatFrames * align, span.beatBytes);
    EXPECT_EQ(grid.beats, grid.empty() ? 0 : beats);
    EXPECT_EQ(grid.soundFrames, bytes / align);
    EXPECT_EQ(grid.BeatAt(grid.beatFrames), grid.beats > 1 ? 1 : -1);
    EXPECT_EQ(grid.BeatAt(grid.GridEnd() - 1), grid.beats - 1);
    EXPECT_EQ(grid.BeatAt(grid.GridEnd()), -1);
  }
}

}  // namespace
}  // namespace tactoria
