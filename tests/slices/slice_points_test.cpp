// Where slices are cut (hits, markers, the zero-crossing snap) and how their fades shape them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "slices/slice_fades.h"
#include "slices/slice_points.h"
#include "support/drum_loops.h"
#include "support/sound_measures.h"

namespace tactoria::testing {
namespace {

constexpr int kRate = 44100;

WaveFormat Format(int channels, int bits, std::uint16_t tag = 1) {
  return MakeFormat(channels, kRate, bits, tag);
}

// A drum-like click (see ClickTrain) added at each onset.
std::vector<double> Clicks(std::size_t frames, const std::vector<std::int64_t>& onsets) {
  const std::vector<double> click = ClickTrain(1, static_cast<std::size_t>(0.03 * kRate), kRate);
  std::vector<double> wave(frames, 0.0);
  for (const std::int64_t onset : onsets) {
    for (std::size_t i = 0; i < click.size() && onset + i < frames; ++i) wave[onset + i] += click[i];
  }
  return wave;
}

double Sample16(const std::vector<std::byte>& pcm, std::size_t frame, int channels = 1) {
  return Channel16(pcm.data() + frame * 2 * channels, 2, 1, 0).at(0);
}

TEST(SlicePoints, HitsStartASliceEachAndMarkersAreChecked) {
  // The first click lies within the hits' least gap of the start, so slice 1 takes it in.
  const std::vector<std::int64_t> onsets{200, 11025, 22050, 30000, 44100, 55125, 70000, 77175};
  const std::vector<std::byte> pcm = Stereo16(Clicks(88200, onsets));
  const Slices slices = SlicesFromHits(pcm, Format(2, 16), {});
  ASSERT_EQ(slices.count(), onsets.size());
  EXPECT_EQ(slices.Start(0), 0);
  EXPECT_EQ(slices.end, 88200);
  for (std::size_t k = 1; k < onsets.size(); ++k) {
    // Never after the attack has begun by more than a few frames, never far before it.
    EXPECT_LE(slices.Start(k), onsets[k] + 8) << k;
    EXPECT_GE(slices.Start(k), onsets[k] - kRate / 200) << k;
  }
  EXPECT_EQ(SlicesFromHits(Stereo16(std::vector<double>(8820, 0.0)), Format(2, 16), {}).count(), 1u);

  const MarkedSlices marked = SlicesFromMarkers(1000, {700, 300});
  ASSERT_TRUE(marked.slices);
  EXPECT_EQ(marked.slices->starts, (std::vector<std::int64_t>{0, 300, 700}));
  EXPECT_EQ(marked.slices->Length(2), 300);
  for (const std::int64_t bad : {std::int64_t{0}, std::int64_t{999}}) {
    const MarkedSlices refused = SlicesFromMarkers(1000, {500, bad});
    EXPECT_FALSE(refused.slices);
    EXPECT_EQ(refused.problem,
              "A slice marker cannot be on the first or the last frame of the sound (frame " +
                  std::to_string(bad) + ").");
  }
  EXPECT_NE(SlicesFromMarkers(1000, {1000}).problem.find("outside the sound"), std::string::npos);
  EXPECT_NE(SlicesFromMarkers(1000, {5, 5}).problem.find("same frame"), std::string::npos);
}

TEST(SlicePoints, SnapMovesAMarkerToTheNearestZeroCrossingWithin2Ms) {
  // 100 Hz: a crossing every 220.5 frames (0, 220.5, 441, ... 1102.5, 1543.5, 2866.5, 3087).
  const std::vector<double> sine = SineWave(100, kRate, 8000, 0.5);
  const std::vector<std::byte> pcm = Pcm16(sine.size(), 1, [&](std::size_t i) { return sine[i]; });
  Slices slices = *SlicesFromMarkers(8000, {1090, 1100, 1500, 2977, 3000}).slices;
  SnapToZeroCrossings(slices, pcm, Format(1, 16));
  EXPECT_EQ(slices.Start(1), 1090);  // the crossing near it lies past the next marker
  EXPECT_NEAR(static_cast<double>(slices.Start(2)), 1102.5, 0.5);
  EXPECT_NEAR(static_cast<double>(slices.Start(3)), 1543.5, 0.5);
  EXPECT_EQ(slices.Start(4), 2977);  // 110 frames from either crossing: more than 2 ms
  EXPECT_EQ(slices.Start(5), 3087);  // 87 frames away
  for (const std::size_t k : {2, 3, 5}) EXPECT_LT(std::fabs(Sample16(pcm, slices.Start(k))), 0.005) << k;
}

TEST(SliceFades, RampsReachSilenceAndLeaveTheRestAlone) {
  const std::vector<std::byte> flat = Pcm16(1000, 2, [](std::size_t) { return 0.5; });
  std::vector<std::byte> faded = flat;
  ASSERT_TRUE(ApplyFades(faded, Format(2, 16), 22, 176));
  EXPECT_EQ(Sample16(faded, 0, 2), 0.0);
  EXPECT_EQ(Sample16(faded, 999, 2), 0.0);
  EXPECT_EQ(std::memcmp(faded.data() + 22 * 4, flat.data() + 22 * 4, (1000 - 22 - 176) * 4), 0);
  for (std::size_t i = 1; i < 22; ++i) EXPECT_GT(Sample16(faded, i, 2), Sample16(faded, i - 1, 2));
  for (std::size_t i = 825; i < 1000; ++i) EXPECT_LT(Sample16(faded, i, 2), Sample16(faded, i - 1, 2));

  // 8-bit samples are unsigned: silence is 128.
  std::vector<std::byte> bytes8(100, std::byte{200});
  ASSERT_TRUE(ApplyFades(bytes8, Format(1, 8), 10, 10));
  EXPECT_EQ(bytes8.front(), std::byte{128});
  EXPECT_EQ(bytes8.back(), std::byte{128});
  EXPECT_EQ(bytes8[50], std::byte{200});

  std::vector<std::byte> unchanged = flat;
  EXPECT_TRUE(ApplyFades(unchanged, Format(2, 16), 0, 0));
  EXPECT_FALSE(ApplyFades(unchanged, Format(2, 16), 600, 401));
  EXPECT_EQ(unchanged, flat);
}

TEST(SliceFades, DefaultsEndARingingSliceWithoutAClickAndKeepTheAttack) {
  // A 440 Hz tone cut at two points where it is far from zero: the plain cut jumps by about 0.8.
  const std::vector<double> tone = SineWave(440, kRate, 6000, 0.8);
  const std::vector<std::byte> pcm = Pcm16(tone.size(), 1, [&](std::size_t i) { return tone[i]; });
  Slices slices = *SlicesFromMarkers(6000, {1030, 4030}).slices;
  ASSERT_GT(std::fabs(Sample16(pcm, 1030)), 0.5);
  ASSERT_GT(std::fabs(Sample16(pcm, 4029)), 0.5);
  std::vector<std::byte> faded = pcm;
  ASSERT_TRUE(ApplySliceFades(faded, Format(1, 16), slices, SliceFades{}));
  // From silence into the slice and out of it again, no step larger than the tone's own.
  const double ownStep = 0.8 * 2 * std::numbers::pi * 440 / kRate;
  EXPECT_LT(std::fabs(Sample16(faded, 1030)), 1e-4);
  EXPECT_LT(std::fabs(Sample16(faded, 4029)), ownStep);
  for (std::int64_t i = 1031; i < 4030; ++i)
    EXPECT_LT(std::fabs(Sample16(faded, i) - Sample16(faded, i - 1)), ownStep * 1.05) << i;

  // A click's attack keeps most of its peak through the fade-in.
  const std::vector<std::byte> click =
      Pcm16(4410, 1, [c = Clicks(4410, {0})](std::size_t i) { return c[i]; });
  std::vector<std::byte> fadedClick = click;
  ASSERT_TRUE(ApplyFades(fadedClick, Format(1, 16), FadeFrames(kDefaultFadeInMs, kRate), 0));
  double peak = 0, fadedPeak = 0;
  for (std::size_t i = 0; i < 4410; ++i) {
    peak = std::max(peak, std::fabs(Sample16(click, i)));
    fadedPeak = std::max(fadedPeak, std::fabs(Sample16(fadedClick, i)));
  }
  EXPECT_GT(fadedPeak, 0.85 * peak);

  // A slice shorter than its fades is named.
  const Slices close = *SlicesFromMarkers(6000, {1000, 1100}).slices;
  const std::optional<std::string> problem = CheckFades(close, SliceFades{}, kRate);
  ASSERT_TRUE(problem);
  EXPECT_EQ(
      problem->rfind(
          "Slice 2 is 100 frames (2.27 ms) long, shorter than its fades (22 frames in and 176 out).", 0),
      0u);
  EXPECT_FALSE(CheckFades(close, SliceFades{0.5, 1.0}, kRate));
  // A slice's own fades count for it alone.
  SliceFadeList own;
  own.each = {SliceFades{}, SliceFades{0.5, 1.0}};
  EXPECT_FALSE(CheckFades(close, own, kRate));
  own.each = {SliceFades{0.5, 1.0}};
  EXPECT_TRUE(CheckFades(close, own, kRate));
}

}  // namespace
}  // namespace tactoria::testing
