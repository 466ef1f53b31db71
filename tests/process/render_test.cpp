#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <tuple>
#include <variant>

#include "process/render.h"
#include "process/render_plan.h"
#include "process/sound_routines.h"
#include "support/riff_builder.h"

namespace tactoria {
namespace {

using testing::Bytes;
using testing::PickFrames;

const WaveFormat kStereo16{1, 2, 44100, 176400, 4, 16};

TEST(RenderNewSample, StepsInOrderAndTheirFailures) {
  const Bytes data = testing::MakeFrames(100, 4);
  // 12 -> 6 frames picks 0, 2, 4, 7, 9, 11; phaser 0.5 is D = 2 and copies position 2 to 1 and
  // 4 to 3; the phased sound is then reversed.
  const RenderResult done = RenderNewSample(std::span(data).first(48), kStereo16, {6, 0.5, true});
  ASSERT_FALSE(done.failure);
  EXPECT_EQ(testing::ToBytes(done.buffer.bytes()), PickFrames(data, 4, {11, 9, 9, 4, 4, 0}));

  // The data bytes, the settings, the block align and the failure, the same from the plan, before
  // any buffer is asked for.
  using enum RenderFailure;
  const std::tuple<std::size_t, RenderSettings, std::int16_t, RenderFailure> refused[] = {
      {48, {0, std::nullopt, false}, 4, LengthChange},
      {0, {4, std::nullopt, false}, 4, LengthChange},
      {3, {4, std::nullopt, false}, 4, LengthChange},            // less than one frame
      {400, {536870912, std::nullopt, false}, 4, LengthChange},  // 2^31 bytes
      {0, {}, 4, CopyMemory},
      {48, {std::nullopt, 0.1, false}, 4, Phaser},  // 0.1 x 4 rounds to an offset of 0 frames
      {400, {std::nullopt, std::nullopt, true}, 0, Reverse},
  };
  for (const auto& [bytes, settings, align, failure] : refused) {
    SCOPED_TRACE(::testing::Message() << bytes << " bytes, failure " << static_cast<int>(failure));
    const WaveFormat format{1, 2, 44100, 176400, align, 16};
    const RenderResult out = RenderNewSample(std::span(data).first(bytes), format, settings);
    EXPECT_EQ(out.failure, failure);
    EXPECT_TRUE(out.buffer.empty());
    const auto made = RenderPlan::Make(static_cast<std::int64_t>(bytes), format, settings);
    EXPECT_EQ(std::get<RenderFailure>(made), failure);
  }
  EXPECT_EQ(std::get<RenderPlan>(RenderPlan::Make(400, kStereo16, {536870911, std::nullopt, false})).bytes(),
            std::int64_t{536870911} * 4);
}

TEST(RenderNewSample, PhaserOffsetAndMixFormat) {
  EXPECT_EQ(PhaserOffset(0.625, 4), 2);  // 2.5
  EXPECT_EQ(PhaserOffset(0.875, 4), 4);  // 3.5
  EXPECT_EQ(PhaserOffset(1e12, 4), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(PhaserOffset(-1e12, 4), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(PhaserOffset(std::nan(""), 4), 0);
  // Only rate, channels and bits must match.
  EXPECT_TRUE(SameMixFormat(kStereo16, {1, 2, 44100, 1, 6, 16}));
  for (const WaveFormat& other :
       {WaveFormat{1, 2, 48000, 176400, 4, 16}, {1, 1, 44100, 176400, 4, 16}, {1, 2, 44100, 176400, 4, 24}})
    EXPECT_FALSE(SameMixFormat(kStereo16, other)) << other.sampleRate << " " << other.channels;
}

// The steps one after another on a whole buffer, as the routines themselves do them.
Bytes StepByStep(const Bytes& data, const WaveFormat& format, const RenderSettings& settings) {
  Bytes out = data;
  if (settings.newFrames) {
    ByteBuffer buffer;
    EXPECT_TRUE(ChangeSoundLength(data, format.blockAlign, *settings.newFrames, buffer));
    out = testing::ToBytes(buffer.bytes());
  }
  if (settings.phaserValue) SetPhaser(out, format, PhaserOffset(*settings.phaserValue, format.blockAlign));
  if (settings.reverse) ReverseSample(out, format.blockAlign);
  return out;
}

// The plan gathered in uneven pieces (part frames included) equals the steps done in turn, for
// lengthening, shortening, odd block sizes, loose bytes after the last frame and every combination.
TEST(RenderPlan, GatheredPiecesEqualTheStepsInTurn) {
  for (const int blockAlign : {1, 3, 4, 6, 10}) {
    const auto align = static_cast<std::int16_t>(blockAlign);
    const WaveFormat format{1, 1, 8000, 8000 * align, align, 8};
    for (const std::size_t extra : {std::size_t{0}, static_cast<std::size_t>(blockAlign - 1)}) {
      const Bytes data = testing::MakeFrames(5000, static_cast<std::size_t>(align), extra);
      for (const std::optional<std::int32_t> frames :
           {std::optional<std::int32_t>{}, {1}, {2}, {5000}, {3001}, {12345}}) {
        if (frames && extra != 0) continue;  // resampling drops loose bytes anyway
        for (const std::optional<double> phaser : {std::optional<double>{}, {0.25}, {7.0}, {60.0}}) {
          for (const bool reverse : {false, true}) {
            const RenderSettings settings{frames, phaser, reverse};
            SCOPED_TRACE(::testing::Message() << "align " << align << " frames " << frames.value_or(0)
                                              << " phaser " << phaser.value_or(0) << " reverse " << reverse);
            const auto made = RenderPlan::Make(static_cast<std::int64_t>(data.size()), format, settings);
            if (phaser && PhaserOffset(*phaser, align) < 1) {
              EXPECT_EQ(std::get<RenderFailure>(made), RenderFailure::Phaser);
              continue;
            }
            const RenderPlan& plan = std::get<RenderPlan>(made);
            const Bytes expected = StepByStep(data, format, settings);
            ASSERT_EQ(plan.bytes(), static_cast<std::int64_t>(expected.size()));
            Bytes gathered(expected.size());
            for (std::size_t at = 0, step = 1; at < gathered.size(); step = step * 7 % 4093 + 1) {
              const std::size_t n = std::min(step, gathered.size() - at);
              plan.Gather(data, static_cast<std::int64_t>(at), std::span(gathered).subspan(at, n));
              at += n;
            }
            ASSERT_EQ(gathered, expected);
            const std::int64_t last = plan.frames() - 1;
            EXPECT_TRUE(std::equal(expected.end() - align - static_cast<std::ptrdiff_t>(extra),
                                   expected.end() - static_cast<std::ptrdiff_t>(extra),
                                   data.begin() + plan.SourceFrame(last) * align));
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace tactoria
