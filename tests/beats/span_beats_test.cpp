#include "beats/span_beats.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "beats/beat_math.h"
#include "support/riff_builder.h"
#include "wave/four_cc.h"

namespace tactoria {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using Names = std::vector<std::string>;

TEST(SpanBeats, WritesOneFilePerBeatAndReportsTheFileItCannotWrite) {
  testing::TempDir dir;
  const Bytes sound = testing::Ramp(1000), format = testing::PcmFormat(2, 44100, 16);
  const auto request = [&](const std::string& base, int beats) {
    return SpanRequest{base, sound, WaveFormat::FromBytes(format), kRiffId, kWaveId, beats};
  };
  fs::create_directory(dir / "set.wav");
  const std::string base = SpanBasePath(dir / "set.wav/loop.wav");
  std::vector<int> started, done;
  const SpanHooks hooks{
      [&](int k) { started.push_back(k); }, {}, {}, [&](int n) { return done.push_back(n), false; }};
  SpanOutcome outcome = SpanBeats(request(base, 3), hooks);
  EXPECT_EQ(outcome.status, SpanStatus::Completed);
  EXPECT_EQ(outcome.beatBytes, 332);  // the last 4 bytes belong to no beat
  ASSERT_EQ(outcome.written, (Names{base + "[1].wav", base + "[2].wav", base + "[3].wav"}));
  for (int k = 0; k < 3; ++k) {
    const Bytes data(sound.begin() + k * 332, sound.begin() + (k + 1) * 332);
    EXPECT_EQ(testing::ReadBytes(outcome.written[k]), testing::RiffBytes({{"fmt ", format}, {"data", data}}));
  }
  EXPECT_EQ(started, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(done, (std::vector<int>{1, 2, 3}));

  // Less than a frame per beat touches nothing; a folder where beat 2 should go stops the span.
  EXPECT_EQ(SpanBeats(request(dir / "b", 251), hooks).status, SpanStatus::NoBeats);
  EXPECT_EQ(done.size(), 3u);
  fs::create_directory(BeatFileName(dir / "b", 2));
  outcome = SpanBeats(request(dir / "b", 3));
  EXPECT_EQ(outcome.status, SpanStatus::Failed);
  EXPECT_NE(outcome.failure, FileResult::Success);
  EXPECT_EQ(outcome.failedPath, BeatFileName(dir / "b", 2));
  EXPECT_EQ(outcome.written, Names{BeatFileName(dir / "b", 1)});
  EXPECT_EQ(dir.Names(), (Names{"b[1].wav", "b[2].wav", "set.wav"}));

  // Without overwrite, a beat file that appears after the existence check is left alone.
  testing::WriteBytes(BeatFileName(dir / "c", 1), Bytes{std::byte{7}});
  SpanRequest noClobber = request(dir / "c", 2);
  noClobber.overwrite = false;
  outcome = SpanBeats(noClobber, SpanHooks{{}, [](const std::string&) { return false; }, {}, {}});
  EXPECT_EQ(outcome.status, SpanStatus::Failed);
  EXPECT_EQ(outcome.failure, FileResult::CannotCreate);
  EXPECT_TRUE(outcome.written.empty());
  EXPECT_EQ(testing::ReadBytes(BeatFileName(dir / "c", 1)), Bytes{std::byte{7}});
}

}  // namespace
}  // namespace tactoria
