#include "beats/shuffle_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "support/riff_builder.h"

namespace tactoria {
namespace {

using Order = std::vector<std::int32_t>;
using Marks = std::vector<bool>;
using Swaps = std::vector<std::pair<int, int>>;

// Rows A..F (beat numbers 1..6) with the given rows selected.
ShuffleRows SixRows(const std::vector<int>& selected) {
  ShuffleRows rows = ShuffleRows::Loaded(1, 6);
  rows.selected.assign(6, false);
  for (int i : selected) rows.selected[i] = true;
  return rows;
}

TEST(ShuffleRows, LoadsBarsTimesBeatsRows) {
  EXPECT_EQ(ShuffleRowText(2, 3), "Bar(2)::::Beat(3)");
  const ShuffleRows rows = ShuffleRows::Loaded(2, 4);
  EXPECT_EQ(rows.order, (Order{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(rows.selected, (Marks{true, false, false, false, false, false, false, false}));
  EXPECT_EQ(rows.current, 0);
  EXPECT_EQ(ShuffleRows::Loaded(0, 4).size(), 0);
  EXPECT_EQ(ShuffleRows::Loaded(2, -1).size(), 0);
}

TEST(ShuffleRows, MovesTheSelectedBlockByItsLength) {
  ShuffleRows rows = SixRows({1, 2});
  rows.current = 5;
  Swaps swaps;
  ASSERT_TRUE(MoveSelectionDown(rows, [&](int a, int b) { swaps.emplace_back(a, b); }));
  EXPECT_EQ(rows.order, (Order{1, 4, 5, 2, 3, 6}));  // A D E B C F
  EXPECT_EQ(rows.selected, (Marks{false, false, false, true, true, false}));
  EXPECT_EQ(rows.current, 1);
  EXPECT_EQ(swaps, (Swaps{{1, 3}, {2, 4}}));

  rows = SixRows({3, 4, 5});
  ASSERT_TRUE(MoveSelectionUp(rows));
  EXPECT_EQ(rows.order, (Order{4, 5, 6, 1, 2, 3}));  // D E F A B C
  EXPECT_EQ(rows.selected, (Marks{true, true, true, false, false, false}));
  EXPECT_EQ(rows.current, 0);
}

TEST(ShuffleRows, MovesThatDoNotFitChangeNothing) {
  const std::vector<std::pair<std::vector<int>, bool>> refusals{
      {{5}, true}, {{3, 4}, true}, {{0}, false}, {{1, 2}, false}};  // (selection, down)
  for (const auto& [selection, down] : refusals) {
    ShuffleRows rows = SixRows(selection);
    const ShuffleRows before = rows;
    EXPECT_FALSE(down ? MoveSelectionDown(rows) : MoveSelectionUp(rows));
    EXPECT_EQ(rows.order, before.order);
    EXPECT_EQ(rows.selected, before.selected);
  }
  ShuffleRows none = SixRows({});
  EXPECT_TRUE(MoveSelectionDown(none));  // carried out with no exchange
  EXPECT_EQ(none.order, (Order{1, 2, 3, 4, 5, 6}));
}

TEST(ShuffleRows, ScatteredSelectionsStayInsideTheList) {
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
  Swaps swaps;
  std::vector<int> steps;
  RandomizeOrder(
      rows, [&] { return draws.at(next++); }, [&](int a, int b) { swaps.emplace_back(a, b); },
      [&](int i) { steps.push_back(i); });
  EXPECT_EQ(swaps, (Swaps{{0, 2}, {1, 4}, {2, 0}, {3, 2}, {4, 0}}));
  EXPECT_EQ(rows.order, (Order{2, 5, 4, 3, 1}));
  EXPECT_EQ(rows.selected, (Marks{true, false, false, false, false}));  // marks stay on positions
  EXPECT_EQ(steps, (std::vector<int>{0, 1, 2, 3, 4}));
}

// The expected data: the given byte ranges of `source` in turn, then zeros up to its size.
testing::Bytes Pieces(const testing::Bytes& source, std::initializer_list<std::pair<int, int>> ranges) {
  testing::Bytes out;
  for (auto [from, to] : ranges) out.insert(out.end(), source.begin() + from, source.begin() + to);
  out.resize(source.size(), std::byte{0});
  return out;
}

TEST(ReorderBeats, CopiesWholeFrameBlocksInTheNewOrder) {
  testing::Bytes data = testing::Ramp(1000);
  const testing::Bytes old = data;
  std::vector<int> steps;
  ASSERT_EQ(ReorderBeats(data, {3, 1, 4, 2}, 2, [&](int i) { steps.push_back(i); }), ReorderResult::Done);
  EXPECT_EQ(data, Pieces(old, {{500, 750}, {0, 250}, {750, 1000}, {250, 500}}));
  EXPECT_EQ(steps, (std::vector<int>{0, 1, 2, 3}));

  data = testing::Ramp(1002, 7);
  EXPECT_EQ(ReorderBeats(data, {1, 2, 3, 4}, 2), ReorderResult::Done);
  EXPECT_EQ(data, Pieces(testing::Ramp(1002, 7), {{0, 1000}}));  // the last 2 bytes become 0

  data = testing::Ramp(1012);
  EXPECT_EQ(ReorderBeats(data, {4, 3, 2, 1}, 4), ReorderResult::Done);
  EXPECT_EQ(data, Pieces(testing::Ramp(1012), {{756, 1008}, {504, 756}, {252, 504}, {0, 252}}));
}

TEST(ReorderBeats, RefusesBadOrdersAndEmptyBlocks) {
  testing::Bytes data = testing::Ramp(1000);
  for (const Order& order : {Order{}, Order{1, 1, 2}, Order{0, 1}, Order{1, 3}}) {
    EXPECT_EQ(ReorderBeats(data, order, 2), ReorderResult::BadOrder);
  }
  data = testing::Ramp(6);
  EXPECT_EQ(ReorderBeats(data, {2, 1, 4, 3}, 2), ReorderResult::NoBlocks);  // 3 frames, 4 beats
  EXPECT_EQ(data, testing::Ramp(6));
}

}  // namespace
}  // namespace tactoria
