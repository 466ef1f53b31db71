#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
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

// A result of 2^31 bytes or more is refused as RenderNewSample refuses it, before any buffer.
TEST(RenderPlan, RefusesWhatTheRenderRefuses) {
  const auto failure = [](std::int64_t bytes, const RenderSettings& settings, std::int16_t align = 4) {
    const auto made = RenderPlan::Make(bytes, {1, 2, 44100, 176400, align, 16}, settings);
    return made.index() == 1 ? std::optional(std::get<RenderFailure>(made)) : std::nullopt;
  };
  EXPECT_EQ(failure(400, {536870912, std::nullopt, false}), RenderFailure::LengthChange);
  EXPECT_EQ(failure(400, {536870911, std::nullopt, false}), std::nullopt);
  EXPECT_EQ(failure(3, {4, std::nullopt, false}), RenderFailure::LengthChange);
  EXPECT_EQ(failure(0, {}), RenderFailure::CopyMemory);
  EXPECT_EQ(failure(400, {std::nullopt, std::nullopt, true}, 0), RenderFailure::Reverse);
}

}  // namespace
}  // namespace tactoria
