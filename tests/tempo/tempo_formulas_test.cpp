#include "tempo/tempo_formulas.h"

#include <gtest/gtest.h>

#include <limits>

#include "tempo/field_conversions.h"
#include "tempo/span_size.h"

namespace tactoria {
namespace {

TEST(TempoFormulas, TempoFromFrames) {
  EXPECT_EQ(CalcBpm(88200, 44100, 1, 4), 120.0f);
  EXPECT_EQ(CalcBpm(88200, 44100, 2, 4), 240.0f);
  EXPECT_EQ(SingleToText(*CalcBpm(100000, 44100, 1, 4)), "105.84");
  EXPECT_EQ(SingleToText(*CalcBpm(79579, 44100, 1, 4)), "132.9999");
}

TEST(TempoFormulas, FramesFromTempo) {
  EXPECT_EQ(CalcSamples(120, 44100, 1, 4), 88200.0f);
  const auto frames = CalcSamples(133, 44100, 1, 4);
  ASSERT_TRUE(frames);
  EXPECT_EQ(*frames, 79578.945f);
  EXPECT_EQ(RoundToLong(*frames), 79579);
}

TEST(TempoFormulas, ArithmeticFailuresGiveNoValue) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_FALSE(CalcBpm(88200, 44100, 0, 4));
  EXPECT_FALSE(CalcBpm(88200, 44100, 1, 0));
  EXPECT_FALSE(CalcBpm(88200, 0, 1, 4));
  EXPECT_FALSE(CalcBpm(0, 44100, 1, 4));
  EXPECT_FALSE(CalcBpm(nan, 44100, 1, 4));
  EXPECT_FALSE(CalcBpm(1e-38f, 2147483647, 4096, 32));  // the beat length rounds to a float 0
  EXPECT_FALSE(CalcBpm(1e-30f, 2147483647, 4096, 32));  // the tempo overflows a float
  EXPECT_FALSE(CalcSamples(0, 44100, 1, 4));
  EXPECT_FALSE(CalcSamples(inf, 44100, 1, 4));
  EXPECT_FALSE(CalcSamples(1e-30f, 2147483647, 4096, 32));  // overflows a float
}

struct SpanCase {
  const char* newBytes;
  const char* total;
  std::int16_t align;
  const char* bytes;
  const char* samples;
};

TEST(SpanSize, FourStepsEachSkippedOnFailure) {
  const SpanCase cases[] = {
      {"352800", "4", 4, "88200", "22050"},
      {"400000", "3", 4, "133332", "33333"},
      {"352802", "", 4, "352800", "88200"},     // empty total: whole new length in frames
      {"352802", "0.4", 4, "352800", "88200"},  // total rounds to 0
      {"402", "2.5", 4, "200", "50"},           // total rounds to 2
      {"-10", "", 4, "-8", "-2"},               // remainder with the dividend's sign
      {"abc", "4", 4, "40", "10"},              // step 1 skipped: the old bytes text goes on
      {"352800", "4", 0, "40", "old"},          // no block align: only step 2 runs, on the old text
  };
  for (const SpanCase& c : cases) {
    SpanTexts texts{"160", "old"};
    UpdateSpanTexts(texts, c.newBytes, c.total, c.align);
    EXPECT_EQ(texts.bytes, c.bytes) << c.newBytes << " / " << c.total;
    EXPECT_EQ(texts.samples, c.samples) << c.newBytes << " / " << c.total;
  }
}

}  // namespace
}  // namespace tactoria
