// The window's slice list: grid and hit slices, and markers scaled to a new length.
#include <gtest/gtest.h>

#include <vector>

#include "slices/slice_state.h"

namespace tactoria {
namespace {

TEST(SliceState, SlicesOfGridAndHitsAndScaledMarkers) {
  SliceState state;
  const BeatGrid grid = MakeBeatGrid(4 * 1003, 4, 4, 4);  // 4 beats of 250 frames, a 3-frame tail
  EXPECT_EQ(SliceStarts(state, grid), (std::vector<std::int64_t>{0, 250, 500, 750}));
  state.mode = SliceMode::Hits;
  state.markers = {100, 400, 900};
  state.soundFrames = 1003;
  const std::vector<SliceRange> slices = SliceRanges(state, grid);
  ASSERT_EQ(slices.size(), 4u);  // the part before the first marker is slice 1
  EXPECT_EQ(slices[3].end, 1003);
  EXPECT_EQ(SliceIndexAt(slices, 99), 0);
  EXPECT_EQ(SliceIndexAt(slices, 400), 2);
  EXPECT_EQ(SliceIndexAt(slices, 1003), -1);
  EXPECT_EQ(ScaleMarkers(state.markers, 1003, 2006), (std::vector<std::int64_t>{200, 800, 1800}));
  EXPECT_EQ(ScaleMarkers({0, 1, 2, 1002}, 1003, 10), (std::vector<std::int64_t>{0, 9}));
}

}  // namespace
}  // namespace tactoria
