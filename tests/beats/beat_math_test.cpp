#include "beats/beat_math.h"

#include <gtest/gtest.h>

namespace tactoria {
namespace {

TEST(BeatMath, BeatLengthIsWholeFrames) {
  EXPECT_EQ(BeatLength(1000000, 3, 4), 333332);
  EXPECT_EQ(BeatLength(1000003, 3, 4), 333332);  // a part frame at the end changes nothing
  EXPECT_EQ(BeatLength(1012, 4, 4), 252);
  EXPECT_EQ(BeatLength(400, 128, 4), 0);
  EXPECT_EQ(BeatLength(1000, 0, 4), 0);
  EXPECT_EQ(BeatLength(1000, 4, 0), 0);
  EXPECT_EQ(BeatLength(-1000, 4, 2), 0);
}

TEST(BeatMath, BasePathLosesWavOnlyInItsFileName) {
  EXPECT_EQ(SpanBasePath("/a.wav/x.wav.wav"), "/a.wav/x");
  EXPECT_EQ(SpanBasePath("loop.WAV.wav"), "loop.WAV");
  EXPECT_EQ(SpanBasePath("/d.wav/drum"), "/d.wav/drum");
  EXPECT_EQ(SpanBasePath("a.wavb.wav"), "ab");
  EXPECT_EQ(BeatFileName("/l/drum", 12), "/l/drum[12].wav");
}

}  // namespace
}  // namespace tactoria
