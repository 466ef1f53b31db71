#include "tempo/tempo_formulas.h"

#include <gtest/gtest.h>

#include <limits>
#include <tuple>

#include "tempo/span_size.h"

namespace tactoria {
namespace {

TEST(TempoFormulas, ArithmeticFailuresGiveNoValue) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    float value;
    std::int32_t rate;
    float bars, beats;
  };
  // The last two: a beat length that rounds to a float 0, a tempo that overflows a float.
  for (const Case c : {Case{88200, 44100, 0, 4},
                       {88200, 44100, 1, 0},
                       {88200, 0, 1, 4},
                       {0, 44100, 1, 4},
                       {nan, 44100, 1, 4},
                       {1e-38f, 2147483647, 4096, 32},
                       {1e-30f, 2147483647, 4096, 32}})
    EXPECT_FALSE(CalcBpm(c.value, c.rate, c.bars, c.beats)) << c.value << " " << c.rate << " " << c.bars;
  EXPECT_FALSE(CalcSamples(0, 44100, 1, 4));
  EXPECT_FALSE(CalcSamples(std::numeric_limits<float>::infinity(), 44100, 1, 4));
  EXPECT_FALSE(CalcSamples(1e-30f, 2147483647, 4096, 32));  // overflows a float
}

TEST(SpanSize, FourStepsEachSkippedOnFailure) {
  // New bytes and total texts, block align; the span bytes and samples texts that follow.
  const std::tuple<const char*, const char*, std::int16_t, const char*, const char*> cases[] = {
      {"400000", "3", 4, "133332", "33333"},
      {"352802", "", 4, "352800", "88200"},     // empty total: whole new length in frames
      {"352802", "0.4", 4, "352800", "88200"},  // total rounds to 0
      {"402", "2.5", 4, "200", "50"},           // total rounds to 2
      {"-10", "", 4, "-8", "-2"},               // remainder with the dividend's sign
      {"abc", "4", 4, "40", "10"},              // step 1 skipped: the old bytes text goes on
      {"352800", "4", 0, "40", "old"},          // no block align: only step 2 runs, on the old text
  };
  for (const auto& [newBytes, total, align, bytes, samples] : cases) {
    SpanTexts texts{"160", "old"};
    UpdateSpanTexts(texts, newBytes, total, align);
    EXPECT_EQ(texts.bytes, bytes) << newBytes << " / " << total;
    EXPECT_EQ(texts.samples, samples) << newBytes << " / " << total;
  }
}

}  // namespace
}  // namespace tactoria
