#include "beats/shuffle_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "support/riff_builder.h"

namespace tactoria {
namespace {

using testing::Bytes;
using testing::Ramp;
using Order = std::vector<std::int32_t>;

TEST(ShuffleRows, MovesOfAnySelectionKeepAPermutation) {
  EXPECT_EQ(ShuffleRows::Loaded(0, 4).size(), 0);
  EXPECT_EQ(ShuffleRows::Loaded(2, -1).size(), 0);
  for (int n = 1; n <= 8; ++n) {
    for (unsigned mask = 0; mask < (1u << n); ++mask) {
      for (bool down : {true, false}) {
        ShuffleRows rows = ShuffleRows::Loaded(1, n);
        for (int i = 0; i < n; ++i) rows.selected[i] = (mask >> i) & 1u;
        down ? MoveSelectionDown(rows) : MoveSelectionUp(rows);
        Order sorted = rows.order;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(sorted, ShuffleRows::Loaded(1, n).order) << n << " " << mask;
      }
    }
  }
}

TEST(ShuffleRows, RandomizeExchangesWithRoundedDraws) {
  ShuffleRows rows = ShuffleRows::Loaded(1, 5);
  const std::vector<double> draws{0.625, 0.875, 0.125, 0.375, 0.0};  // x4: 2.5 3.5 0.5 1.5 0
  std::size_t next = 0;
  std::vector<std::pair<int, int>> swaps;
  RandomizeOrder(
      rows, [&] { return draws.at(next++); }, [&](int a, int b) { swaps.emplace_back(a, b); });
  EXPECT_EQ(swaps, (std::vector<std::pair<int, int>>{{0, 2}, {1, 4}, {2, 0}, {3, 2}, {4, 0}}));
  EXPECT_EQ(rows.order, (Order{2, 5, 4, 3, 1}));
  EXPECT_EQ(rows.selected, (std::vector<bool>{true, false, false, false, false}));  // marks stay on positions
}

TEST(ReorderBeats, CopiesWholeFrameBlocksAndZeroesTheRest) {
  // 1012 bytes, 4-byte frames, 4 beats: L = 252, the last 4 bytes become 0.
  Bytes data = Ramp(1012), expected;
  ASSERT_EQ(ReorderBeats(data, {3, 1, 4, 2}, 4), ReorderResult::Done);
  for (int beat : {2, 0, 3, 1}) {
    const Bytes block = Ramp(252, 1 + 252 * static_cast<unsigned>(beat));
    expected.insert(expected.end(), block.begin(), block.end());
  }
  expected.resize(1012, std::byte{0});
  EXPECT_EQ(data, expected);

  for (const Order& order : {Order{}, Order{1, 1, 2}, Order{0, 1}, Order{1, 3}})
    EXPECT_EQ(ReorderBeats(data, order, 2), ReorderResult::BadOrder);
  data = Ramp(6);
  EXPECT_EQ(ReorderBeats(data, {2, 1, 4, 3}, 2), ReorderResult::NoBlocks);  // 3 frames, 4 beats
  EXPECT_EQ(data, Ramp(6));
}

}  // namespace
}  // namespace tactoria
