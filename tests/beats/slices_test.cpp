// The slices' fades, the zero-crossing snap and the slice list, on synthesized 16-bit samples.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "beats/slice_fades.h"
#include "beats/slice_snap.h"
#include "beats/slice_state.h"

namespace tactoria {
namespace {

WaveFormat Format16(int channels) {
  return {
      1, static_cast<std::int16_t>(channels), 1000, 2000 * channels, static_cast<std::int16_t>(2 * channels),
      16};
}

std::vector<std::byte> Pcm(const std::vector<std::int16_t>& samples) {
  std::vector<std::byte> pcm(samples.size() * 2);
  std::memcpy(pcm.data(), samples.data(), pcm.size());
  return pcm;
}

std::vector<std::int16_t> Samples(const std::vector<std::byte>& pcm) {
  std::vector<std::int16_t> samples(pcm.size() / 2);
  std::memcpy(samples.data(), pcm.data(), pcm.size());
  return samples;
}

TEST(SliceFades, SilenceBothEndsAndLeaveTheMiddleAndShareAShortSlice) {
  EXPECT_EQ(FadeFrames(0.5, 44100), 22);
  EXPECT_EQ(FadeFrames(-1, 44100), 0);
  // 10 stereo frames of 1000; 2 frames in, 4 out.
  std::vector<std::byte> pcm = Pcm(std::vector<std::int16_t>(20, 1000));
  ASSERT_TRUE(ApplySliceFades(pcm, Format16(2), 2, 4));
  EXPECT_EQ(Samples(pcm), (std::vector<std::int16_t>{0,    0,    500, 500, 1000, 1000, 1000, 1000, 1000, 1000,
                                                     1000, 1000, 750, 750, 500,  500,  250,  250,  0,    0}));
  // Fades longer than the slice are shortened in proportion: 4 frames, 6 in + 2 out = 3 + 1.
  pcm = Pcm(std::vector<std::int16_t>(4, -900));
  ASSERT_TRUE(ApplySliceFades(pcm, Format16(1), 6, 2));
  EXPECT_EQ(Samples(pcm), (std::vector<std::int16_t>{0, -300, -600, 0}));
  WaveFormat odd = Format16(1);
  odd.formatTag = 2;
  EXPECT_FALSE(ApplySliceFades(pcm, odd, 1, 1));
}

TEST(SliceSnap, NearestCrossingWithinTheRadius) {
  // Frames 0..11 of a stereo sound whose channels sum crosses zero between frames 3 and 4
  // (4 is quieter) and between 9 and 10 (9 is quieter).
  const std::vector<std::int16_t> sum = {500, 400, 300, 200, -10, -300, -300, -300, -100, -5, 300, 400};
  std::vector<std::int16_t> samples;
  for (const std::int16_t s : sum) samples.insert(samples.end(), {static_cast<std::int16_t>(s - 50), 50});
  const std::vector<std::byte> pcm = Pcm(samples);
  EXPECT_EQ(NearestZeroCrossing(pcm, Format16(2), 100, 106, 3), 104);
  EXPECT_EQ(NearestZeroCrossing(pcm, Format16(2), 100, 108, 3), 109);
  EXPECT_EQ(NearestZeroCrossing(pcm, Format16(2), 100, 107, 2), 109);
  EXPECT_EQ(NearestZeroCrossing(pcm, Format16(2), 100, 107, 1), 107);  // none near enough
}

TEST(SliceState, SlicesOfGridAndHitsAndScaledMarkers) {
  SliceState state;
  const BeatGrid grid = MakeBeatGrid(4 * 1003, 4, 4, 4);  // 4 beats of 250 frames, a 3-frame tail
  EXPECT_EQ(SliceStarts(state, grid), (std::vector<std::int64_t>{0, 250, 500, 750}));
  state.mode = SliceMode::Hits;
  state.markers = {100, 400, 900};
  state.soundFrames = 1003;
  const std::vector<SliceRange> slices = Slices(state, grid);
  ASSERT_EQ(slices.size(), 3u);
  EXPECT_EQ(slices[2].end, 1003);
  EXPECT_EQ(SliceIndexAt(slices, 99), -1);
  EXPECT_EQ(SliceIndexAt(slices, 400), 1);
  EXPECT_EQ(ScaleMarkers(state.markers, 1003, 2006), (std::vector<std::int64_t>{200, 800, 1800}));
  EXPECT_EQ(ScaleMarkers({0, 1, 2, 1002}, 1003, 10), (std::vector<std::int64_t>{0, 9}));
}

}  // namespace
}  // namespace tactoria
