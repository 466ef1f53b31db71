#include "tempo/field_conversions.h"

#include <gtest/gtest.h>

#include <limits>
#include <utility>

namespace tactoria {
namespace {

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
  EXPECT_EQ(TextToLong("100.5"), 100);
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
