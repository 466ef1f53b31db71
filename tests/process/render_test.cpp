#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <variant>

#include "process/render.h"
#include "test_frames.h"

namespace tactoria {
namespace {

using testing::Bytes;
using testing::PickFrames;

const WaveFormat kStereo16{1, 2, 44100, 176400, 4, 16};

// The rendered bytes, or the failure message.
std::variant<Bytes, std::string> Render(std::span<const std::byte> data, const RenderSettings& settings,
                                        const WaveFormat& format = kStereo16) {
  const RenderResult out = RenderNewSample(data, format, settings);
  if (!out.failure) return testing::ToBytes(out.buffer.bytes());
  EXPECT_TRUE(out.buffer.empty());
  return RenderFailureMessage(*out.failure);
}

TEST(RenderNewSample, StepsInOrderAndTheirFailures) {
  using Result = std::variant<Bytes, std::string>;
  const Bytes data = testing::MakeFrames(12, 4);
  // 12 -> 6 frames picks 0, 2, 4, 7, 9, 11; phaser 0.5 is D = 2 and copies position 2 to 1 and
  // 4 to 3; the phased sound is then reversed.
  EXPECT_EQ(Render(data, {6, 0.5, true}), Result(PickFrames(data, 4, {11, 9, 9, 4, 4, 0})));

  const std::string length = "Could not change the length of the sound. Out of Memory.";
  EXPECT_EQ(Render(data, {0, std::nullopt, false}), Result(length));
  EXPECT_EQ(Render({}, {4, std::nullopt, false}), Result(length));
  EXPECT_EQ(Render({}, {}), Result("Out of memory."));
  // 0.1 x 4 rounds to an offset of 0 frames.
  EXPECT_EQ(Render(data, {std::nullopt, 0.1, false}),
            Result("Invalid operation. Could not set phaser to the sample."));
  EXPECT_EQ(Render(data, {std::nullopt, std::nullopt, true}, {1, 2, 44100, 176400, 0, 16}),
            Result("Out of memory. Could not reverse sample."));
}

TEST(RenderNewSample, PhaserOffsetAndMixFormat) {
  EXPECT_EQ(PhaserOffset(0.625, 4), 2);  // 2.5
  EXPECT_EQ(PhaserOffset(0.875, 4), 4);  // 3.5
  EXPECT_EQ(PhaserOffset(1e12, 4), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(PhaserOffset(-1e12, 4), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(PhaserOffset(std::nan(""), 4), 0);
  // Only rate, channels and bits must match.
  EXPECT_TRUE(SameMixFormat(kStereo16, {1, 2, 44100, 1, 6, 16}));
  EXPECT_FALSE(SameMixFormat(kStereo16, {1, 2, 48000, 176400, 4, 16}));
  EXPECT_FALSE(SameMixFormat(kStereo16, {1, 1, 44100, 176400, 4, 16}));
  EXPECT_FALSE(SameMixFormat(kStereo16, {1, 2, 44100, 176400, 4, 24}));
}

}  // namespace
}  // namespace tactoria
