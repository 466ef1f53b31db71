#include "beats/span_beats.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "beats/beat_math.h"
#include "support/riff_builder.h"
#include "wave/four_cc.h"

namespace tactoria {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using Names = std::vector<std::string>;

class SpanBeatsTest : public ::testing::Test {
 protected:
  testing::TempDir dir;
  Bytes sound = testing::Ramp(1000);
  Bytes format = testing::PcmFormat(2, 44100, 16);  // 4 bytes per frame

  SpanRequest Request(const std::string& base, int beats) const {
    return {base, sound, WaveFormat::FromBytes(format), kRiffId, kWaveId, beats};
  }
  // What beat k of length L must hold on disk.
  Bytes Beat(int k, std::size_t length) const {
    const auto begin = sound.begin() + static_cast<std::ptrdiff_t>(k * length);
    return testing::RiffBytes({{"fmt ", format, {}}, {"data", Bytes(begin, begin + length), {}}});
  }
  std::string Name(int n) const { return BeatFileName(dir / "b", n); }
};

TEST_F(SpanBeatsTest, WritesOneFilePerBeatInAFolderNamedWav) {
  fs::create_directory(dir / "set.wav");
  const std::string base = SpanBasePath(dir / "set.wav/loop.wav");
  std::vector<int> started, done;
  const SpanOutcome outcome = SpanBeats(
      Request(base, 3),
      {[&](int k) { started.push_back(k); }, {}, {}, [&](int n) { return done.push_back(n), false; }});
  EXPECT_EQ(outcome.status, SpanStatus::Completed);
  EXPECT_EQ(outcome.beatBytes, 332);  // the last 4 bytes belong to no beat
  ASSERT_EQ(outcome.written, (Names{base + "[1].wav", base + "[2].wav", base + "[3].wav"}));
  EXPECT_EQ(base, dir / "set.wav/loop");
  for (int k = 0; k < 3; ++k) EXPECT_EQ(testing::ReadBytes(outcome.written[k]), Beat(k, 332));
  EXPECT_EQ(started, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(done, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "set.wav"), fs::directory_iterator{}), 3);
}

TEST_F(SpanBeatsTest, TooFewFramesTouchNothing) {
  int calls = 0;
  const SpanHooks hooks{[&](int) { ++calls; },
                        [&](const std::string&) { return ++calls, false; },
                        {},
                        [&](int) { return ++calls, false; }};
  EXPECT_EQ(SpanBeats(Request(dir / "b", 0), hooks).status, SpanStatus::NoBeats);
  EXPECT_EQ(SpanBeats(Request(dir / "b", 251), hooks).status, SpanStatus::NoBeats);  // 3 bytes a beat
  EXPECT_EQ(calls, 0);
  EXPECT_TRUE(dir.Names().empty());
}

TEST_F(SpanBeatsTest, NoKeepsAFileAndCancelledSpanDeletesOnlyWhatItWrote) {
  testing::WriteBytes(Name(2), testing::Ramp(5));
  testing::WriteBytes(Name(3), {});  // empty: counts as absent, replaced without a question
  Names asked;
  const SpanOutcome outcome = SpanBeats(
      Request(dir / "b", 4), {{},
                              {},
                              [&](const std::string& p) { return asked.push_back(p), OverwriteAnswer::No; },
                              [](int n) { return n == 4; }});
  EXPECT_EQ(outcome.status, SpanStatus::Cancelled);
  EXPECT_EQ(asked, Names{Name(2)});
  ASSERT_EQ(outcome.written, (Names{Name(1), Name(3), Name(4)}));
  EXPECT_EQ(testing::ReadBytes(Name(3)), Beat(2, 248));

  EXPECT_TRUE(DeleteSpannedFiles(outcome.written).empty());
  EXPECT_EQ(dir.Names(), Names{"b[2].wav"});
  EXPECT_EQ(testing::ReadBytes(Name(2)), testing::Ramp(5));
}

TEST_F(SpanBeatsTest, CancelInTheOverwriteQuestionStopsAtOnce) {
  std::vector<int> done;
  const SpanOutcome outcome =
      SpanBeats(Request(dir / "b", 4), {{},
                                        [&](const std::string& p) { return p == Name(3); },
                                        [](const std::string&) { return OverwriteAnswer::Cancel; },
                                        [&](int n) { return done.push_back(n), false; }});
  EXPECT_EQ(outcome.status, SpanStatus::Cancelled);
  EXPECT_EQ(outcome.written, (Names{Name(1), Name(2)}));
  EXPECT_EQ(done, (std::vector<int>{1, 2}));
  EXPECT_FALSE(fs::exists(Name(3)));
  EXPECT_FALSE(fs::exists(Name(4)));
}

TEST_F(SpanBeatsTest, AWriteFailureStopsTheSpanAndIsReported) {
  SpanOutcome outcome = SpanBeats(Request(dir / "missing/b", 2));
  EXPECT_EQ(outcome.status, SpanStatus::Failed);
  EXPECT_NE(outcome.failure, FileResult::Success);
  EXPECT_EQ(outcome.failedPath, BeatFileName(dir / "missing/b", 1));
  EXPECT_TRUE(outcome.written.empty());

  fs::create_directory(Name(2));  // a folder where beat 2 should go
  std::vector<int> done;
  outcome = SpanBeats(Request(dir / "b", 3), {{}, {}, {}, [&](int n) { return done.push_back(n), false; }});
  EXPECT_EQ(outcome.status, SpanStatus::Failed);
  EXPECT_EQ(outcome.failedPath, Name(2));
  EXPECT_EQ(outcome.written, Names{Name(1)});
  EXPECT_EQ(done, std::vector<int>{1});
  EXPECT_FALSE(fs::exists(Name(3)));

  if (::geteuid() != 0) {  // permissions do not bind root
    fs::create_directory(dir / "ro");
    fs::permissions(dir / "ro", fs::perms::owner_read | fs::perms::owner_exec);
    outcome = SpanBeats(Request(dir / "ro/b", 2));
    fs::permissions(dir / "ro", fs::perms::owner_all);
    EXPECT_EQ(outcome.status, SpanStatus::Failed);
    EXPECT_TRUE(outcome.written.empty());
    EXPECT_TRUE(fs::is_empty(dir / "ro"));
  }
}

TEST_F(SpanBeatsTest, DeletionGoesOnPastFilesItCannotDelete) {
  testing::WriteBytes(Name(1), testing::Ramp(4));
  fs::create_directories(dir / "full/x");
  testing::WriteBytes(Name(3), testing::Ramp(4));
  const Names left = DeleteSpannedFiles({Name(1), dir / "full", Name(2), Name(3)});
  EXPECT_EQ(left, Names{dir / "full"});
  EXPECT_FALSE(fs::exists(Name(1)));
  EXPECT_FALSE(fs::exists(Name(3)));
}

}  // namespace
}  // namespace tactoria
