// The new length with the pitch kept: what a listener would check (the tone stays, the hits land on
// the new beats at their level), exact lengths, and the sample conversions around the stretcher.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <optional>
#include <tuple>

#include "process/render.h"
#include "process/sound_routines.h"
#include "process/time_stretch.h"
#include "support/riff_builder.h"
#include "support/sound_measures.h"

namespace tactoria::testing {
namespace {

constexpr double kRate = 44100;

WaveFormat Pcm(int channels, int bits) {
  return WaveFormat::FromBytes(PcmFormat(channels, 44100, bits));
}

RenderResult Render(const std::vector<std::byte>& data, const WaveFormat& format, std::int32_t frames,
                    bool keepPitch, bool reverse = false) {
  return RenderNewSample(data, format, {frames, std::nullopt, reverse, keepPitch});
}

TEST(KeepPitch, SineKeepsItsFrequencyOnlyWithKeepPitch) {
  const WaveFormat format = Pcm(2, 16);
  const auto sine = Stereo16(SineWave(440, kRate, 88200));  // 2 s
  // Without Keep Pitch the resampled tone moves, which shows that the measure can tell.
  const std::tuple<std::int32_t, bool, double> cases[] = {
      {110250, true, 440}, {70560, true, 440}, {110250, false, 352}, {70560, false, 550}};
  for (const auto& [frames, keepPitch, frequency] : cases) {
    SCOPED_TRACE(::testing::Message() << frames << " frames, keep pitch " << keepPitch);
    const RenderResult result = Render(sine, format, frames, keepPitch);
    ASSERT_FALSE(result.failure);
    for (int channel : {0, 1}) {
      const auto sound = Channel16(result.buffer.data(), result.buffer.size(), 2, channel);
      EXPECT_NEAR(DominantFrequency(sound, kRate), frequency, 2.0);
    }
  }
}

// Float samples (an imported file) are stretched as floats: a tone above full scale keeps its
// pitch and its level, unclipped.
TEST(KeepPitch, FloatSamplesStayFloatsBeyondFullScale) {
  const WaveFormat format{3, 2, 44100, 352800, 8, 32};
  const std::vector<double> sine = SineWave(440, kRate, 88200, 1.5);
  std::vector<float> samples;
  for (double v : sine) samples.insert(samples.end(), 2, static_cast<float>(v));
  const auto bytes = std::as_bytes(std::span(samples));
  const RenderResult result = Render(Bytes(bytes.begin(), bytes.end()), format, 110250, true);
  ASSERT_FALSE(result.failure);
  ASSERT_EQ(result.buffer.size(), std::size_t{110250} * 8);
  std::vector<double> left;
  float peak = 0;
  for (std::size_t f = 0; f < 110250; ++f) {
    float v;
    std::memcpy(&v, result.buffer.data() + f * 8, 4);
    left.push_back(v);
    peak = std::max(peak, std::fabs(v));
  }
  EXPECT_NEAR(DominantFrequency(left, kRate), 440, 2.0);
  EXPECT_NEAR(peak, 1.5f, 0.3f);
}

TEST(KeepPitch, ClicksLandOnTheNewBeatsAtTheirLevelAndReverseFollowsTheStretch) {
  // Two bars of 4 at 120 bpm brought to 100 bpm: a beat of 22050 frames becomes one of 26460.
  const WaveFormat format = Pcm(2, 16);
  const std::vector<double> clicks = ClickTrain(8, 22050, kRate);
  double peak = 0;
  for (double v : clicks) peak = std::max(peak, std::fabs(v));
  const RenderResult result = Render(Stereo16(clicks), format, 8 * 26460, true);
  ASSERT_FALSE(result.failure);
  for (int channel : {0, 1}) {
    const auto sound = Channel16(result.buffer.data(), result.buffer.size(), 2, channel);
    const auto figures = MeasureClicks(sound, 8, 26460, peak, kRate);
    for (std::size_t k = 0; k < figures.size(); ++k) {
      SCOPED_TRACE(::testing::Message() << "click " << k << ", channel " << channel);
      EXPECT_LE(std::fabs(figures[k].offsetMs), 5.0);
      EXPECT_LE(std::fabs(figures[k].levelDb), 3.0);
    }
  }
  // Reverse comes after the stretch: the reversed render is the stretched render backwards.
  Bytes expected = ToBytes(result.buffer.bytes());
  ASSERT_TRUE(ReverseSample(expected, 4));
  EXPECT_EQ(ToBytes(Render(Stereo16(clicks), format, 8 * 26460, true, true).buffer.bytes()), expected);
}

TEST(KeepPitch, EveryFormatKeepsItsLayoutAndExactLength) {
  // 8-bit silence is 128: padding and a quiet stretch must not turn it into a full-scale 0.
  for (int bits : {8, 16, 24, 32}) {
    for (int channels : {1, 3}) {
      SCOPED_TRACE(::testing::Message() << bits << " bits, " << channels << " channels");
      const WaveFormat format = Pcm(channels, bits);
      const Bytes silence(static_cast<std::size_t>(format.blockAlign) * 3000,
                          std::byte{bits == 8 ? std::uint8_t{128} : std::uint8_t{0}});
      for (std::int32_t frames : {188, 2999, 4567}) {
        EXPECT_EQ(ToBytes(Render(silence, format, frames, true).buffer.bytes()),
                  Bytes(static_cast<std::size_t>(frames) * format.blockAlign, silence.front()));
      }
    }
  }
}

TEST(KeepPitch, RefusalsUseTheRenderFailures) {
  const auto data = Stereo16(SineWave(440, kRate, 1000));
  // Samples it cannot convert: 12-bit samples packed 2 to 3 bytes, or 40 bits in 5 bytes.
  const WaveFormat stereo = Pcm(2, 16), packed{1, 2, 44100, 132300, 3, 16}, wide{1, 1, 44100, 220500, 5, 40};
  // The same refusals as the resampling for lengths it cannot make; beyond 1/16 to 16 times the
  // length, refused at once instead of a stretch that takes minutes.
  using enum RenderFailure;
  const std::tuple<WaveFormat, std::int32_t, std::optional<RenderFailure>> cases[] = {
      {packed, 500, StretchFormat}, {wide, 500, StretchFormat},
      {stereo, 0, LengthChange},    {stereo, INT32_MAX / 2, LengthChange},
      {stereo, 62, StretchRatio},   {stereo, 16001, StretchRatio},
      {stereo, 63, std::nullopt},   {stereo, 16000, std::nullopt}};
  for (const auto& [format, frames, failure] : cases)
    EXPECT_EQ(Render(data, format, frames, true).failure, failure) << frames;
  EXPECT_EQ(Render({}, stereo, 10, true).failure, LengthChange);
}

std::vector<std::byte> Raw(int bytes, const std::vector<std::uint32_t>& samples) {
  std::vector<std::byte> out;
  for (std::uint32_t v : samples)
    for (int k = 0; k < bytes; ++k) out.push_back(static_cast<std::byte>(v >> (8 * k) & 0xFF));
  return out;
}

TEST(KeepPitch, ReportsItsProgressAndStopsWhenCancelled) {
  const WaveFormat format = Pcm(2, 16);
  const auto sine = Stereo16(SineWave(440, kRate, 88200));
  std::vector<double> reports;
  std::atomic<bool> cancel{false};
  StretchControl control;
  control.progress = [&](double done) { reports.push_back(done); };
  control.cancel = &cancel;
  const RenderResult whole = RenderNewSample(sine, format, {110250, std::nullopt, false, true}, &control);
  ASSERT_FALSE(whole.failure);
  ASSERT_GE(reports.size(), 10u);
  EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
  EXPECT_EQ(reports.front(), 0.0);
  EXPECT_EQ(reports.back(), 1.0);
  // The same sound as without the control.
  const RenderResult plain = Render(sine, format, 110250, true);
  EXPECT_TRUE(std::equal(whole.buffer.bytes().begin(), whole.buffer.bytes().end(),
                         plain.buffer.bytes().begin(), plain.buffer.bytes().end()));

  // Cancelled half way: the render stops there with its own failure.
  reports.clear();
  control.progress = [&](double done) {
    reports.push_back(done);
    if (done >= 0.5) cancel = true;
  };
  const RenderResult stopped = RenderNewSample(sine, format, {110250, std::nullopt, false, true}, &control);
  EXPECT_EQ(stopped.failure, RenderFailure::Cancelled);
  EXPECT_LT(reports.back(), 0.6);
}

TEST(SampleCodec, IntegersSurviveTheRoundTripAndFloatsClipAndRoundToNearest) {
  // Exact: the extremes, zero, one step either side of it; 32-bit values a float holds exactly.
  // Clipped: full scale and beyond clip to the top and bottom values instead of wrapping round; a
  // quarter step rounds to 0, three quarters to one step.
  const std::tuple<int, std::vector<std::uint32_t>, std::vector<std::uint32_t>> cases[] = {
      {1, {0, 1, 127, 128, 129, 254, 255}, {255, 255, 0, 0, 128, 129, 127}},
      {2, {0x8000, 0x8001, 0xFFFF, 0, 1, 0x7FFE, 0x7FFF}, {0x7FFF, 0x7FFF, 0x8000, 0x8000, 0, 1, 0xFFFF}},
      {3,
       {0x800000, 0x800001, 0xFFFFFF, 0, 1, 0x123456, 0x7FFFFF},
       {0x7FFFFF, 0x7FFFFF, 0x800000, 0x800000, 0, 1, 0xFFFFFF}},
      {4,
       {0x80000000, 0xFFFFFF00, 0, 0x100, 0x12345600, 0x7FFFFF80},
       {0x7FFFFFFF, 0x7FFFFFFF, 0x80000000, 0x80000000, 0, 1, 0xFFFFFFFF}},
  };
  for (const auto& [bytes, exact, clipped] : cases) {
    SCOPED_TRACE(bytes);
    const std::vector<std::byte> in = Raw(bytes, exact);
    std::vector<float> plane(exact.size());
    float* planes[] = {plane.data()};
    DecodeFrames(in.data(), plane.size(), 1, bytes, planes);
    for (float v : plane) EXPECT_TRUE(v >= -1.0f && v < 1.0f) << v;
    std::vector<std::byte> out(in.size());
    EncodeFrames(planes, plane.size(), 1, bytes, out.data());
    EXPECT_EQ(out, in);

    const float step = std::ldexp(1.0f, 1 - 8 * bytes);
    plane = {1.0f, 7.5f, -1.0f, -3.0f, 0.25f * step, 0.75f * step, -0.75f * step};
    planes[0] = plane.data();
    out.resize(plane.size() * static_cast<std::size_t>(bytes));
    EncodeFrames(planes, plane.size(), 1, bytes, out.data());
    EXPECT_EQ(out, Raw(bytes, clipped));
  }
}

}  // namespace
}  // namespace tactoria::testing
