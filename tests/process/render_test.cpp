#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "process/render.h"
#include "test_frames.h"

namespace tactoria {
namespace {

using testing::Bytes;
using testing::PickFrames;
using testing::ToBytes;

WaveFormat Stereo16() {
  WaveFormat format;
  format.formatTag = 1;
  format.channels = 2;
  format.sampleRate = 44100;
  format.avgBytesPerSec = 176400;
  format.blockAlign = 4;
  format.bitsPerSample = 16;
  return format;
}

RenderSettings Settings(std::optional<std::int32_t> newFrames, std::optional<double> phaser, bool reverse) {
  RenderSettings settings;
  settings.newFrames = newFrames;
  settings.phaserValue = phaser;
  settings.reverse = reverse;
  return settings;
}

Bytes Render(const Bytes& data, const RenderSettings& settings) {
  const RenderResult out = RenderNewSample(data, Stereo16(), settings);
  EXPECT_FALSE(out.failure);
  return ToBytes(out.buffer.bytes());
}

TEST(RenderNewSample, LengthThenPhaserThenReverse) {
  const Bytes data = testing::MakeFrames(12, 4);
  EXPECT_EQ(Render(data, {}), data);
  EXPECT_EQ(Render(testing::MakeFrames(4, 4), Settings(7, std::nullopt, false)),
            PickFrames(testing::MakeFrames(4, 4), 4, {0, 0, 1, 2, 2, 2, 3}));
  // Value 1 on 4-byte frames: D = 4, odd frames j <= 8 take frame j + 3.
  EXPECT_EQ(Render(data, Settings(std::nullopt, 1.0, false)),
            PickFrames(data, 4, {0, 4, 2, 6, 4, 8, 6, 10, 8, 9, 10, 11}));
  // The phased sound reversed (reversing first would give other frames).
  EXPECT_EQ(Render(data, Settings(std::nullopt, 1.0, true)),
            PickFrames(data, 4, {11, 10, 9, 8, 10, 6, 8, 4, 6, 2, 4, 0}));
  // 12 -> 6 frames picks 0, 2, 4, 7, 9, 11; D = 2 then copies position 2 to 1 and 4 to 3.
  EXPECT_EQ(Render(data, Settings(6, 0.5, true)), PickFrames(data, 4, {11, 9, 9, 4, 4, 0}));
}

TEST(RenderNewSample, FailuresAndTheirMessages) {
  const Bytes data = testing::MakeFrames(8, 4);
  auto failure = [](const RenderResult& out) {
    EXPECT_TRUE(out.buffer.empty());
    return out.failure ? std::string(RenderFailureMessage(*out.failure)) : std::string("none");
  };
  const std::string length = "Could not change the length of the sound. Out of Memory.";
  EXPECT_EQ(failure(RenderNewSample(data, Stereo16(), Settings(0, std::nullopt, false))), length);
  EXPECT_EQ(failure(RenderNewSample({}, Stereo16(), Settings(4, std::nullopt, false))), length);
  EXPECT_EQ(failure(RenderNewSample({}, Stereo16(), {})), "Out of memory.");
  // 0.1 x 4 rounds to an offset of 0 frames.
  EXPECT_EQ(failure(RenderNewSample(data, Stereo16(), Settings(std::nullopt, 0.1, false))),
            "Invalid operation. Could not set phaser to the sample.");
  WaveFormat noAlign = Stereo16();
  noAlign.blockAlign = 0;
  EXPECT_EQ(failure(RenderNewSample(data, noAlign, Settings(std::nullopt, std::nullopt, true))),
            "Out of memory. Could not reverse sample.");
}

TEST(PhaserOffset, RoundsHalvesToEvenAndClamps) {
  EXPECT_EQ(PhaserOffset(10.0, 4), 40);
  EXPECT_EQ(PhaserOffset(0.625, 4), 2);  // 2.5
  EXPECT_EQ(PhaserOffset(0.875, 4), 4);  // 3.5
  EXPECT_EQ(PhaserOffset(1e12, 4), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(PhaserOffset(-1e12, 4), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(PhaserOffset(std::nan(""), 4), 0);
}

TEST(SameMixFormat, RateChannelsAndBitsOnly) {
  WaveFormat other = Stereo16();
  other.blockAlign = 6;
  other.avgBytesPerSec = 1;
  EXPECT_TRUE(SameMixFormat(Stereo16(), other));
  for (auto change : {+[](WaveFormat& f) { f.sampleRate = 48000; }, +[](WaveFormat& f) { f.channels = 1; },
                      +[](WaveFormat& f) { f.bitsPerSample = 24; }}) {
    other = Stereo16();
    change(other);
    EXPECT_FALSE(SameMixFormat(Stereo16(), other));
  }
}

}  // namespace
}  // namespace tactoria
