// The tempo calculator's formulas, the span size texts and the field texts' conversions.
#include <gtest/gtest.h>

#include <limits>
#include <tuple>
#include <utility>

#include "tempo/field_conversions.h"
#include "tempo/span_size.h"
#include "tempo/tempo_formulas.h"

namespace tactoria {
namespace {

TEST(TempoFormulas, ArithmeticFailuresGiveNoValue) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  // The last two: a beat length that rounds to a float 0, a tempo that overflows a float.
  const std::tuple<float, std::int32_t, float, float> cases[] = {{88200, 44100, 0, 4},
                                                                 {88200, 44100, 1, 0},
                                                                 {88200, 0, 1, 4},
                                                                 {0, 44100, 1, 4},
                                                                 {nan, 44100, 1, 4},
                                                                 {1e-38f, 2147483647, 4096, 32},
                                                                 {1e-30f, 2147483647, 4096, 32}};
  for (const auto& [value, rate, bars, beats] : cases)
    EXPECT_FALSE(CalcBpm(value, rate, bars, beats)) << value << " " << rate << " " << bars;
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

constexpr NumberStyle kComma{','};

TEST(FieldConversions, NumericTestAndParsingFollowTheSeparator) {
  for (const char* text : {"1.", ".5", "+2", " 3 ", "\t-4.25E-2 ", "1e-400"})
    EXPECT_TRUE(IsNumeric(text)) << text;
  for (const char* text :
       {"", " ", "-", ".", "1e+", "inf", "nan", "0x10", "1.2.3", "4x", "1e400", "1,5", "1 2"})
    EXPECT_FALSE(IsNumeric(text)) << text;
  EXPECT_TRUE(IsNumeric("1,5", kComma));
  EXPECT_FALSE(IsNumeric("1.5", kComma));
  EXPECT_EQ(TextToDouble(" 25000,25 ", kComma), 25000.25);
  EXPECT_EQ(TextToDouble("1e-400"), 0.0);
  EXPECT_EQ(TextToSingle("3.4e38"), 3.4e38f);
  EXPECT_FALSE(TextToSingle("-3.5e38"));
}

TEST(FieldConversions, WholeNumbersRoundHalfToEvenWithinInt32) {
  EXPECT_EQ(TextToLong("3.5"), 4);
  EXPECT_EQ(TextToLong("-2.5"), -2);
  EXPECT_EQ(TextToLong("2147483647.4"), 2147483647);
  EXPECT_FALSE(TextToLong("2147483647.5"));
  EXPECT_EQ(TextToLong("-2147483648"), -2147483647 - 1);
  EXPECT_FALSE(TextToLong("-2147483649"));
  EXPECT_FALSE(RoundToLong(std::numeric_limits<double>::quiet_NaN()));
  EXPECT_FALSE(RoundToLong(std::numeric_limits<double>::infinity()));
}

TEST(FieldConversions, TextsOfFifteenAndSevenSignificantDigits) {
  const std::pair<double, const char*> doubles[] = {
      {22050, "22050"}, {1.0 / 3, "0.333333333333333"},         {0.1 + 0.2, "0.3"}, {1e16, "1E+16"},
      {1e-5, "1E-05"},  {123456789012345.0, "123456789012345"}, {-0.0, "0"}};
  for (const auto& [value, text] : doubles) EXPECT_EQ(DoubleToText(value), text);
  EXPECT_EQ(DoubleToText(25000.25, kComma), "25000,25");
  EXPECT_EQ(SingleToText(105.8400039f), "105.84");
  EXPECT_EQ(SingleToText(2.5f, kComma), "2,5");
}

TEST(FieldConversions, RemovesTheCharacterBeforeTheCaret) {
  EXPECT_EQ(RemoveBeforeCaret("12x3", 3), "123");
  EXPECT_EQ(RemoveBeforeCaret("é1x", 2), "éx");  // characters, not bytes
  EXPECT_EQ(RemoveBeforeCaret("a€b", 2), "ab");
  EXPECT_FALSE(RemoveBeforeCaret("1e5", 0));
  EXPECT_FALSE(RemoveBeforeCaret("", 1));
}

}  // namespace
}  // namespace tactoria
