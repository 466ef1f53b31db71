#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "process/frame_choice.h"
#include "process/sound_routines.h"
#include "test_frames.h"

namespace tactoria {
namespace {

using testing::Bytes;

std::vector<std::int64_t> ReferenceOrder(std::int64_t last, std::int64_t newFrames) {
  std::vector<std::int64_t> order;
  for (std::int64_t i = 0; i < newFrames; ++i) order.push_back(ReferenceFrameChoice(last, newFrames - 1, i));
  return order;
}

// Compares `count` steps of the chooser from index `first` with the double formula.
void ExpectSameChoices(std::int64_t last, std::int64_t m, std::int64_t first, std::int64_t count) {
  FrameChooser chooser(last, m, first);
  for (std::int64_t i = first; i < first + count && i <= m; ++i) {
    const std::int64_t expected = ReferenceFrameChoice(last, m, i), got = chooser.Next();
    if (got != expected) {
      ADD_FAILURE() << "L=" << last << " M=" << m << " i=" << i << ": " << got << " != " << expected;
      return;
    }
  }
}

TEST(FrameChoice, TableRowsAndTiesToEven) {
  EXPECT_EQ(ReferenceOrder(3, 7), (std::vector<std::int64_t>{0, 0, 1, 2, 2, 2, 3}));
  EXPECT_EQ(ReferenceOrder(6, 4), (std::vector<std::int64_t>{0, 2, 4, 6}));
  EXPECT_EQ(ReferenceOrder(3, 3), (std::vector<std::int64_t>{0, 2, 3}));  // 1.5 goes to 2
}

TEST(FrameChoice, FastChoiceEqualsDoubleFormula) {
  // Every frame of small sounds, including one-frame results (M = 0).
  for (std::int64_t last = 0; last <= 96; ++last) {
    for (std::int64_t m = 0; m <= 96; ++m) ExpectSameChoices(last, m, 0, m + 1);
  }
  // Primes, exact ties (3k -> 2k) and powers of two, every frame.
  const std::int64_t mid[] = {7919, 10007, 65536, 44100, 132299, 3 * 4096, 2 * 4096};
  for (auto last : mid) {
    for (auto m : mid) ExpectSameChoices(last, m, 0, m + 1);
  }
  // Counts near 2^31, where the double formula departs from the exact quotient: short runs
  // spread over the whole index range, both ends included.
  const std::int64_t big[] = {2147483646, 2147483629, 2147483645, 1073741823, 1073741824,
                              1610612733, 1073741789, 16777216,   16777217,   715827882};
  for (auto last : big) {
    for (auto m : big) {
      for (std::int64_t k = 0; k <= 64; ++k) ExpectSameChoices(last, m, m / 64 * k, 300);
      ExpectSameChoices(last, m, m - 300, 301);
    }
  }
  ExpectSameChoices(3 * 715827882LL, 2 * 715827882LL, 715827882LL - 1000, 2000);
}

TEST(ChangeSoundLength, PicksTheFramesOfTheDoubleFormula) {
  for (std::size_t align : {1, 2, 3, 4, 5, 6, 8, 12}) {
    for (auto [frames, newFrames] : {std::pair{4, 7}, {7, 4}, {5, 1}, {6, 6}, {1, 9}, {97, 61}, {61, 97}}) {
      // Loose bytes after the last whole frame are never used.
      const Bytes source = testing::MakeFrames(frames, align, align - 1);
      ByteBuffer result;
      ASSERT_TRUE(ChangeSoundLength(source, static_cast<std::int16_t>(align), newFrames, result));
      EXPECT_EQ(testing::ToBytes(result.bytes()),
                testing::PickFrames(source, align, ReferenceOrder(frames - 1, newFrames)))
          << align << " " << frames << "->" << newFrames;
    }
  }
}

TEST(ChangeSoundLength, RefusesWithoutTouchingTheResult) {
  const Bytes source = testing::MakeFrames(8, 4), marker = testing::MakeFrames(3, 1);
  auto check = [&](std::span<const std::byte> from, int align, std::int32_t newFrames) {
    ByteBuffer result = *ByteBuffer::CopyOf(marker);
    EXPECT_FALSE(ChangeSoundLength(from, static_cast<std::int16_t>(align), newFrames, result))
        << align << " " << newFrames;
    EXPECT_EQ(testing::ToBytes(result.bytes()), marker);
  };
  check(source, 0, 4);
  check(source, -4, 4);
  check(source, 4, 0);
  check(source, 4, -1);
  check({}, 4, 4);
  check(std::span(source).first(3), 4, 4);  // shorter than one frame
  check(source, 4, 1 << 29);                // exactly 2^31 bytes
  check(source, 2, 2147483647);
}

}  // namespace
}  // namespace tactoria
