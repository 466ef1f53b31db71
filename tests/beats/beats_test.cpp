// Beat maths, the shuffle rows and the reorder of beats, and the span of a sound into beat files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <utility>

#include "beats/beat_math.h"
#include "beats/shuffle_order.h"
#include "beats/span_beats.h"
#include "support/failing_sink.h"
#include "support/riff_builder.h"
#include "wave/four_cc.h"

namespace tactoria {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using testing::Ramp;
using Names = std::vector<std::string>;
using Order = std::vector<std::int32_t>;

TEST(BeatMath, BeatLengthIsWholeFramesAndBasePathLosesWavOnlyInItsFileName) {
  EXPECT_EQ(BeatLength(1000000, 3, 4), 333332);
  EXPECT_EQ(BeatLength(1000003, 3, 4), 333332);  // a part frame at the end changes nothing
  EXPECT_EQ(BeatLength(400, 128, 4), 0);
  EXPECT_EQ(BeatLength(1000, 0, 4), 0);
  EXPECT_EQ(BeatLength(1000, 4, 0), 0);
  EXPECT_EQ(BeatLength(-1000, 4, 2), 0);
  EXPECT_EQ(SpanBasePath("/a.wav/x.wav.wav"), "/a.wav/x");
  EXPECT_EQ(SpanBasePath("loop.WAV.wav"), "loop.WAV");
  EXPECT_EQ(SpanBasePath("/d.wav/drum"), "/d.wav/drum");
  EXPECT_EQ(SpanBasePath("a.wavb.wav"), "ab");
  EXPECT_EQ(BeatFileName("/l/drum", 12), "/l/drum[12].wav");
}

class SpanTest : public ::testing::Test {
 protected:
  // The sound as a plain copy, as a render without edits gives it, spanned into `beats` x 1 files.
  static SpanRequest Request(const std::string& savePath, int beats, const Bytes& sound) {
    return MakeSpanRequest(
        savePath, beats, 1,
        {kRiffId, kWaveId, WaveFormat::FromBytes(testing::PcmFormat(2, 44100, 16)),
         static_cast<std::int64_t>(sound.size()), [&sound](std::int64_t offset, std::span<std::byte> dest) {
           std::copy_n(sound.begin() + offset, dest.size(), dest.begin());
         }});
  }
  static Bytes BeatFile(const Bytes& sound, std::ptrdiff_t k, std::ptrdiff_t length) {
    return testing::PcmWave(Bytes(sound.begin() + k * length, sound.begin() + (k + 1) * length));
  }

  testing::TempDir dir_;
  const Bytes sound_ = Ramp(1000), other_ = Ramp(1000, 77);
};

TEST_F(SpanTest, WritesOneFilePerBeatAndReportsTheFileItCannotWrite) {
  const std::string base = dir_ / "loop";
  std::vector<int> started, done;
  const SpanHooks hooks{
      [&](int k) { started.push_back(k); }, {}, {}, [&](int n) { return done.push_back(n), false; }};
  SpanOutcome outcome = SpanBeats(Request(base + ".wav", 3, sound_), hooks);
  EXPECT_EQ(outcome.status, SpanStatus::Completed);
  EXPECT_EQ(outcome.beatBytes, 332);  // the last 4 bytes belong to no beat
  ASSERT_EQ(outcome.written.size(), 3u);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(outcome.written[k].path, BeatFileName(base, k + 1));
    EXPECT_EQ(testing::ReadBytes(outcome.written[k].path), BeatFile(sound_, k, 332));
  }
  EXPECT_EQ(started, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(done, (std::vector<int>{1, 2, 3}));

  // Less than a frame per beat touches nothing; a folder where beat 2 should go stops the span.
  EXPECT_EQ(SpanBeats(Request(dir_ / "b", 251, sound_), hooks).status, SpanStatus::NoBeats);
  EXPECT_EQ(done.size(), 3u);
  fs::create_directory(BeatFileName(dir_ / "b", 2));
  outcome = SpanBeats(Request(dir_ / "b", 3, sound_));
  EXPECT_EQ(outcome.status, SpanStatus::Failed);
  EXPECT_EQ(outcome.failure, FileResult::CannotReplace);
  EXPECT_EQ(outcome.osError, EISDIR);
  EXPECT_EQ(outcome.failedPath, BeatFileName(dir_ / "b", 2));
  ASSERT_EQ(outcome.written.size(), 1u);
  EXPECT_EQ(outcome.written[0].path, BeatFileName(dir_ / "b", 1));
  EXPECT_EQ(dir_.Names(), (Names{"b[1].wav", "b[2].wav", "loop[1].wav", "loop[2].wav", "loop[3].wav"}));

  // Without overwrite, a beat file that appears after the existence check is left alone.
  testing::WriteBytes(BeatFileName(dir_ / "c", 1), Bytes{std::byte{7}});
  SpanRequest noClobber = Request(dir_ / "c", 2, sound_);
  noClobber.overwrite = false;
  outcome = SpanBeats(noClobber, SpanHooks{{}, [](const std::string&) { return false; }, {}, {}});
  EXPECT_EQ(outcome.status, SpanStatus::Failed);
  EXPECT_EQ(outcome.failure, FileResult::CannotCreate);
  EXPECT_TRUE(outcome.written.empty());
  EXPECT_EQ(testing::ReadBytes(BeatFileName(dir_ / "c", 1)), Bytes{std::byte{7}});
}

TEST_F(SpanTest, TakingBackRemovesOnlyTheFilesThisSpanMade) {
  const std::string base = dir_ / "loop";
  SpanOutcome second;
  SpanHooks hooks;
  hooks.beatDone = [&](int handled) {
    if (handled == 2) second = SpanBeats(Request(base, 2, other_));
    return handled == 2;  // cancelled after the other span ran
  };
  const SpanOutcome first = SpanBeats(Request(base, 2, sound_), hooks);
  ASSERT_EQ(first.status, SpanStatus::Cancelled);
  ASSERT_EQ(second.status, SpanStatus::Completed);
  EXPECT_TRUE(DeleteSpannedFiles(first.written).empty());
  for (int k = 0; k < 2; ++k)
    EXPECT_EQ(testing::ReadBytes(BeatFileName(base, k + 1)), BeatFile(other_, k, 500));
  EXPECT_TRUE(DeleteSpannedFiles(second.written).empty());
  EXPECT_TRUE(dir_.Names().empty());
}

// A beat that fails while written, or whose name becomes a folder just before the renames.
TEST_F(SpanTest, AllOrNothingLeavesEveryTargetAsItWas) {
  const std::string base = dir_ / "k";
  const Names all{"k[1].wav", "k[2].wav", "k[3].wav", "k[4].wav"};
  SpanRequest request = Request(base, 4, other_);
  ASSERT_EQ(SpanAllOrNothing(request).status, SpanStatus::Completed);
  EXPECT_EQ(dir_.Names(), all);

  // The disk fills up while beat 3 is written.
  request = Request(base, 4, sound_);
  request.sinks = testing::FullDiskSinks(2 * 292 + 100);  // beat files of 44 + 248 bytes
  SpanOutcome outcome = SpanAllOrNothing(request);
  EXPECT_EQ(outcome.status, SpanStatus::Failed);
  EXPECT_EQ(outcome.failure, FileResult::WriteFailed);
  EXPECT_EQ(outcome.osError, ENOSPC);
  EXPECT_EQ(outcome.failedPath, BeatFileName(base, 3));
  EXPECT_TRUE(outcome.written.empty());
  EXPECT_EQ(dir_.Names(), all);
  for (int k = 0; k < 4; ++k)
    EXPECT_EQ(testing::ReadBytes(BeatFileName(base, k + 1)), BeatFile(other_, k, 248));

  // Beat 3's name becomes a folder once every beat is written: beats 1 and 2, already renamed,
  // get their former files back.
  request.sinks = {};
  SpanHooks hooks;
  hooks.beatDone = [&](int handled) {
    if (handled == 4) {
      fs::remove(BeatFileName(base, 3));
      fs::create_directory(BeatFileName(base, 3));
    }
    return false;
  };
  outcome = SpanAllOrNothing(request, hooks);
  EXPECT_EQ(outcome.status, SpanStatus::Failed);
  EXPECT_EQ(outcome.failedPath, BeatFileName(base, 3));
  EXPECT_EQ(dir_.Names(), all);
  for (int k : {0, 1, 3}) EXPECT_EQ(testing::ReadBytes(BeatFileName(base, k + 1)), BeatFile(other_, k, 248));
  EXPECT_TRUE(fs::is_directory(BeatFileName(base, 3)));
}

TEST(ShuffleRows, MovesOfAnySelectionKeepAPermutation) {
  EXPECT_EQ(ShuffleRows::Loaded(0, 4).size(), 0);
  EXPECT_EQ(ShuffleRows::Loaded(2, -1).size(), 0);
  for (int n = 1; n <= 8; ++n) {
    for (unsigned mask = 0; mask < (1u << n); ++mask) {
      for (bool down : {true, false}) {
        ShuffleRows rows = ShuffleRows::Loaded(1, n);
        for (int i = 0; i < n; ++i) rows.selected[i] = (mask >> i) & 1u;
        down ? MoveSelectionDown(rows) : MoveSelectionUp(rows);
        Order sorted = rows.order;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(sorted, ShuffleRows::Loaded(1, n).order) << n << " " << mask;
      }
    }
  }
}

TEST(ShuffleRows, RandomizeExchangesWithRoundedDraws) {
  ShuffleRows rows = ShuffleRows::Loaded(1, 5);
  const std::vector<double> draws{0.625, 0.875, 0.125, 0.375, 0.0};  // x4: 2.5 3.5 0.5 1.5 0
  std::size_t next = 0;
  std::vector<std::pair<int, int>> swaps;
  RandomizeOrder(
      rows, [&] { return draws.at(next++); }, [&](int a, int b) { swaps.emplace_back(a, b); });
  EXPECT_EQ(swaps, (std::vector<std::pair<int, int>>{{0, 2}, {1, 4}, {2, 0}, {3, 2}, {4, 0}}));
  EXPECT_EQ(rows.order, (Order{2, 5, 4, 3, 1}));
  EXPECT_EQ(rows.selected, (std::vector<bool>{true, false, false, false, false}));  // marks stay on positions
}

TEST(ReorderBeats, CopiesWholeFrameBlocksAndZeroesTheRest) {
  // 1012 bytes, 4-byte frames, 4 beats: L = 252, the last 4 bytes become 0.
  Bytes data = Ramp(1012), expected = testing::PickFrames(data, 252, {2, 0, 3, 1});
  ASSERT_EQ(ReorderBeats(data, {3, 1, 4, 2}, 4), ReorderResult::Done);
  expected.resize(1012, std::byte{0});
  EXPECT_EQ(data, expected);

  for (const Order& order : {Order{}, Order{1, 1, 2}, Order{0, 1}, Order{1, 3}})
    EXPECT_EQ(ReorderBeats(data, order, 2), ReorderResult::BadOrder);
  data = Ramp(6);
  EXPECT_EQ(ReorderBeats(data, {2, 1, 4, 3}, 2), ReorderResult::NoBlocks);  // 3 frames, 4 beats
  EXPECT_EQ(data, Ramp(6));
}

}  // namespace
}  // namespace tactoria
