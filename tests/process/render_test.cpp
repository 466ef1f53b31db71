// The render steps against their definitions, the render as one plan, and its refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <tuple>
#include <variant>
#include <vector>

#include "process/frame_choice.h"
#include "process/render.h"
#include "process/render_plan.h"
#include "process/sound_routines.h"
#include "support/riff_builder.h"

namespace tactoria {
namespace {

using testing::Bytes;
using testing::MakeFrames;
using testing::PickFrames;
using Frames = std::vector<std::int64_t>;

// The double-division formula itself: q = M / i, r = L / q, rounded half to even.
std::int64_t Formula(std::int64_t last, std::int64_t m, std::int64_t i) {
  if (i == 0) return 0;
  const double q = static_cast<double>(m) / static_cast<double>(i);
  return static_cast<std::int64_t>(std::nearbyint(static_cast<double>(last) / q));
}

Frames Order(std::int64_t frames, std::int64_t newFrames) {
  Frames order;
  for (std::int64_t i = 0; i < newFrames; ++i) order.push_back(Formula(frames - 1, newFrames - 1, i));
  return order;
}

TEST(FrameChoice, FastChoiceEqualsTheDoubleFormula) {
  EXPECT_EQ(Order(4, 7), (Frames{0, 0, 1, 2, 2, 2, 3}));
  EXPECT_EQ(Order(7, 4), (Frames{0, 2, 4, 6}));
  EXPECT_EQ(Order(4, 3), (Frames{0, 2, 3}));  // 1.5 goes to 2
  // `count` steps of the fast chooser from index `first`.
  const auto expectFormula = [](std::int64_t last, std::int64_t m, std::int64_t first, std::int64_t count) {
    FrameChooser chooser(last, m, first);
    for (std::int64_t i = first; i < first + count && i <= m; ++i)
      ASSERT_EQ(chooser.Next(), Formula(last, m, i)) << "L=" << last << " M=" << m << " i=" << i;
  };
  for (std::int64_t last = 0; last <= 96; ++last) {
    for (std::int64_t m = 0; m <= 96; ++m) expectFormula(last, m, 0, m + 1);
  }
  // Primes, exact ties (3k -> 2k) and powers of two, every frame.
  const std::int64_t mid[] = {7919, 10007, 65536, 44100, 132299, 3 * 4096, 2 * 4096};
  for (auto last : mid) {
    for (auto m : mid) expectFormula(last, m, 0, m + 1);
  }
  // Counts near 2^31, where the double formula departs from the exact quotient: short runs
  // spread over the whole index range, both ends included.
  const std::int64_t big[] = {2147483646, 2147483629, 2147483645, 1073741823, 1073741824,
                              1610612733, 1073741789, 16777216,   16777217,   715827882};
  for (auto last : big) {
    for (auto m : big) {
      for (std::int64_t k = 0; k <= 64; ++k) expectFormula(last, m, m / 64 * k, 300);
      expectFormula(last, m, m - 300, 301);
    }
  }
  expectFormula(3 * 715827882LL, 2 * 715827882LL, 715827882LL - 1000, 2000);
}

WaveFormat Format(std::size_t blockAlign, std::size_t channels) {
  return {1, static_cast<std::int16_t>(channels), 0, 0, static_cast<std::int16_t>(blockAlign), 0};
}

// Whole frames only, with a channel count that does not divide the align and a part frame at the end.
TEST(SoundRoutines, MatchTheirDefinitionsForAnyAlign) {
  const Bytes mixSource = MakeFrames(40, 1);
  for (std::size_t align : {1, 2, 3, 4, 5, 6, 8, 16}) {
    for (std::size_t frames = 1; frames <= 70; ++frames) {
      SCOPED_TRACE(::testing::Message() << "align " << align << ", frames " << frames);
      const Bytes original = MakeFrames(frames, align, align - 1);
      const auto model = [&](auto frameOf) {  // the frames picked by `frameOf`, then the loose bytes
        Frames order;
        for (std::size_t j = 0; j < frames; ++j) order.push_back(static_cast<std::int64_t>(frameOf(j)));
        Bytes out = PickFrames(original, align, order);
        out.insert(out.end(), original.end() - static_cast<std::ptrdiff_t>(align - 1), original.end());
        return out;
      };
      Bytes buffer = original;
      ASSERT_TRUE(ReverseSample(buffer, static_cast<std::int16_t>(align)));
      ASSERT_EQ(buffer, model([&](std::size_t j) { return frames - 1 - j; }));
      for (std::size_t d : {1, 2, 3, 7, 2147483647}) {
        buffer = original;
        ASSERT_TRUE(SetPhaser(buffer, Format(align, align % 3 + 2), static_cast<std::int32_t>(d)));
        ASSERT_EQ(buffer,
                  model([&](std::size_t j) { return j % 2 == 1 && j + d <= frames ? j + d - 1 : j; }));
      }
      for (std::size_t newFrames : {std::size_t{1}, frames, 2 * frames + 1, 2 * frames / 3 + 1}) {
        ByteBuffer result;
        ASSERT_TRUE(ChangeSoundLength(original, static_cast<std::int16_t>(align),
                                      static_cast<std::int32_t>(newFrames), result));
        ASSERT_EQ(testing::ToBytes(result.bytes()),
                  PickFrames(original, align, Order(static_cast<std::int64_t>(frames), newFrames)));
      }
      for (std::size_t sourceSize : {1, 4, 11, 40}) {
        Bytes expected = buffer = original;
        for (std::size_t k = 0; (k + 1) * align <= std::min(original.size(), sourceSize); k += 2)
          std::copy_n(mixSource.begin() + k * align, align, expected.begin() + k * align);
        ASSERT_TRUE(
            MixSamples(buffer, std::span(mixSource).first(sourceSize), static_cast<std::int16_t>(align)));
        ASSERT_EQ(buffer, expected) << sourceSize;
      }
    }
  }
}

TEST(SoundRoutines, RefusalsChangeNothing) {
  const Bytes source = MakeFrames(8, 4), marker = MakeFrames(3, 1);
  // Source bytes, block align, new frames: no align, no new length, less than one frame, 2^31 bytes.
  const std::tuple<std::size_t, int, std::int32_t> lengths[] = {
      {32, 0, 4}, {32, -4, 4}, {32, 4, 0},       {32, 4, -1},
      {0, 4, 4},  {3, 4, 4},   {32, 4, 1 << 29}, {32, 2, 2147483647}};
  for (const auto& [bytes, align, newFrames] : lengths) {
    ByteBuffer result = *ByteBuffer::CopyOf(marker);
    EXPECT_FALSE(ChangeSoundLength(std::span(source).first(bytes), static_cast<std::int16_t>(align),
                                   newFrames, result));
    EXPECT_EQ(testing::ToBytes(result.bytes()), marker) << bytes << " " << align << " " << newFrames;
  }
  Bytes buffer = source;
  EXPECT_FALSE(SetPhaser(buffer, Format(4, 2), 0));
  EXPECT_FALSE(SetPhaser(buffer, Format(0, 2), 3));
  EXPECT_FALSE(ReverseSample(buffer, 0));
  EXPECT_FALSE(MixSamples(buffer, {}, 4));
  EXPECT_FALSE(MixSamples({}, source, 4));
  EXPECT_FALSE(MixSamples(buffer, marker, 0));
  EXPECT_EQ(buffer, source);
}

const WaveFormat kStereo16{1, 2, 44100, 176400, 4, 16};

TEST(RenderNewSample, StepsInOrderTheirFailuresPhaserOffsetAndMixFormat) {
  const Bytes data = testing::MakeFrames(100, 4);
  // 12 -> 6 frames picks 0, 2, 4, 7, 9, 11; phaser 0.5 is D = 2 and copies position 2 to 1 and
  // 4 to 3; the phased sound is then reversed.
  const RenderResult done = RenderNewSample(std::span(data).first(48), kStereo16, {6, 0.5, true});
  ASSERT_FALSE(done.failure);
  EXPECT_EQ(testing::ToBytes(done.buffer.bytes()), PickFrames(data, 4, {11, 9, 9, 4, 4, 0}));

  // Data bytes, settings, block align: the failure, the plan's too, before any buffer is asked for.
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
  EXPECT_EQ(PhaserOffset(0.625, 4), 2);  // 2.5
  EXPECT_EQ(PhaserOffset(0.875, 4), 4);  // 3.5
  EXPECT_EQ(PhaserOffset(1e12, 4), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(PhaserOffset(-1e12, 4), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(PhaserOffset(std::nan(""), 4), 0);
  // Rate, channels, bits and the tag must match; the rest need not.
  EXPECT_TRUE(SameMixFormat(kStereo16, {1, 2, 44100, 1, 6, 16}));
  for (const WaveFormat& other :
       {WaveFormat{1, 2, 48000, 176400, 4, 16}, {1, 1, 44100, 176400, 4, 16}, {1, 2, 44100, 176400, 4, 24}})
    EXPECT_FALSE(SameMixFormat(kStereo16, other)) << other.sampleRate << " " << other.channels;
  // Float never mixes into integer PCM of the same width.
  EXPECT_FALSE(SameMixFormat({1, 2, 44100, 352800, 8, 32}, {3, 2, 44100, 352800, 8, 32}));
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

// Gathered in uneven pieces (part frames included), with odd block sizes and loose bytes at the end.
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
            // A piece takes no source byte outside SourceBytes: the rest need not have been read yet.
            Bytes partial(data.size(), std::byte{0xEE});
            for (std::size_t at = 0, step = 1; at < expected.size(); step = step * 5 % 3001 + 1) {
              const std::size_t n = std::min(step, expected.size() - at);
              const auto [begin, end] =
                  plan.SourceBytes(static_cast<std::int64_t>(at), static_cast<std::int64_t>(n));
              ASSERT_TRUE(0 <= begin && begin <= end && end <= static_cast<std::int64_t>(data.size())) << at;
              std::copy(data.begin() + begin, data.begin() + end, partial.begin() + begin);
              Bytes piece(n);
              plan.Gather(partial, static_cast<std::int64_t>(at), piece);
              ASSERT_TRUE(
                  std::equal(piece.begin(), piece.end(), expected.begin() + static_cast<std::ptrdiff_t>(at)))
                  << at;
              std::fill(partial.begin() + begin, partial.begin() + end, std::byte{0xEE});
              at += n;
            }
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
