#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "process/sound_routines.h"
#include "test_frames.h"

namespace tactoria {
namespace {

using testing::Bytes;
using testing::MakeFrames;
using testing::PickFrames;

WaveFormat Format(int blockAlign, int channels) {
  WaveFormat format;
  format.channels = static_cast<std::int16_t>(channels);
  format.blockAlign = static_cast<std::int16_t>(blockAlign);
  return format;
}

TEST(SetPhaser, EightFramesOffsetThreeAndRefusals) {
  const Bytes original = MakeFrames(8, 4);
  Bytes buffer = original;
  EXPECT_FALSE(SetPhaser(buffer, Format(4, 2), 0));
  EXPECT_FALSE(SetPhaser(buffer, Format(0, 2), 3));
  EXPECT_TRUE(SetPhaser(buffer, Format(4, 2), 1));  // each odd frame onto itself
  EXPECT_TRUE(SetPhaser(buffer, Format(4, 2), 8));  // nothing left to do
  EXPECT_TRUE(SetPhaser(buffer, Format(4, 2), 2147483647));
  EXPECT_EQ(buffer, original);
  ASSERT_TRUE(SetPhaser(buffer, Format(4, 2), 3));
  EXPECT_EQ(buffer, PickFrames(original, 4, {0, 3, 2, 5, 4, 7, 6, 7}));
}

TEST(SetPhaser, WholeFramesForAnyAlignAndLooseBytes) {
  // Aligns the channel count does not divide, and a part frame at the end that must stay as it is.
  for (auto [align, channels] : {std::pair{3, 2}, {6, 4}, {5, 2}, {1, 2}, {8, 3}}) {
    for (std::size_t frames : {2, 7, 8, 33}) {
      for (std::int32_t d : {2, 3, 6, 7}) {
        const Bytes original = MakeFrames(frames, align, align - 1);
        Bytes expected = original, buffer = original;
        const auto step = static_cast<std::size_t>(align);
        for (std::size_t j = 1; j + d <= frames; j += 2) {
          std::copy_n(original.begin() + static_cast<std::ptrdiff_t>((j + d - 1) * step), step,
                      expected.begin() + static_cast<std::ptrdiff_t>(j * step));
        }
        ASSERT_TRUE(SetPhaser(buffer, Format(align, channels), d));
        EXPECT_EQ(buffer, expected) << align << " " << frames << " " << d;
      }
    }
  }
}

TEST(ReverseSample, EveryBlockSizeAndLength) {
  Bytes buffer(8);
  EXPECT_FALSE(ReverseSample(buffer, 0));
  // Lengths around the 32-byte steps of the fast paths, with a part block left at the end.
  for (std::size_t block : {1, 2, 3, 4, 5, 6, 8, 16}) {
    for (std::size_t blocks = 0; blocks <= 70; ++blocks) {
      const Bytes original = MakeFrames(blocks, block, block - 1);
      buffer = original;
      ASSERT_TRUE(ReverseSample(buffer, static_cast<std::int16_t>(block)));
      std::vector<std::int64_t> order;
      for (std::size_t k = blocks; k-- > 0;) order.push_back(static_cast<std::int64_t>(k));
      Bytes expected = PickFrames(original, block, order);
      expected.insert(expected.end(), original.end() - static_cast<std::ptrdiff_t>(block - 1),
                      original.end());
      ASSERT_EQ(buffer, expected) << block << " " << blocks;
    }
  }
}

TEST(MixSamples, EvenBlocksFromTheSource) {
  Bytes source = MakeFrames(3, 4);
  for (auto& b : source) b = ~b;
  Bytes target = MakeFrames(6, 4), both = source;  // S0 S1 S2 T0 ... T5
  both.insert(both.end(), target.begin(), target.end());
  ASSERT_TRUE(MixSamples(target, source, 4));
  EXPECT_EQ(target, PickFrames(both, 4, {0, 4, 2, 6, 7, 8}));

  EXPECT_FALSE(MixSamples(target, {}, 4));
  EXPECT_FALSE(MixSamples({}, source, 4));
  EXPECT_FALSE(MixSamples(target, source, 0));
  EXPECT_EQ(target, PickFrames(both, 4, {0, 4, 2, 6, 7, 8}));
}

TEST(MixSamples, OnlyBlocksWholeInBothBuffers) {
  // Longer sources and sizes that are not whole blocks (files with another block align).
  const Bytes source = MakeFrames(40, 1);
  for (std::size_t block : {1, 2, 3, 4, 6, 7, 8}) {
    for (std::size_t targetSize : {1, 5, 9, 16, 23}) {
      for (std::size_t sourceSize : {1, 4, 11, 40}) {
        Bytes target(targetSize, std::byte{0xEE}), expected = target;
        for (std::size_t k = 0; (k + 1) * block <= std::min(targetSize, sourceSize); k += 2) {
          std::copy_n(source.begin() + static_cast<std::ptrdiff_t>(k * block), block,
                      expected.begin() + static_cast<std::ptrdiff_t>(k * block));
        }
        ASSERT_TRUE(
            MixSamples(target, std::span(source).first(sourceSize), static_cast<std::int16_t>(block)));
        ASSERT_EQ(target, expected) << block << " " << targetSize << " " << sourceSize;
      }
    }
  }
}

}  // namespace
}  // namespace tactoria
