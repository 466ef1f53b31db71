// The save, span and mix jobs of tactoria-cli, run as a separate process on small files.
#include <gtest/gtest.h>

#include <algorithm>

#include "cli/run_tool.h"
#include "cli/tool_files.h"
#include "cli_jobs.h"

namespace tactoria::testing {
namespace {

class CliJobs : public ::testing::Test {
 protected:
  // Writes IN (16-bit stereo unless told otherwise) and returns its path.
  std::string WriteInput(const Bytes& data, const std::string& name = "in.wav", int channels = 2,
                         int bits = 16) {
    const std::string path = dir_ / name;
    WriteBytes(path, WaveBytes(data, channels, 44100, bits));
    return path;
  }

  TempDir dir_;
};

TEST_F(CliJobs, SaveUnchangedWritesOnlyFormatAndIdenticalData) {
  const Bytes data = Ramp(40);
  RiffOptions lowerCase;
  lowerCase.header = "riff";
  const std::string in = dir_ / "in.wav";
  WriteBytes(in, WaveBytes(data, 2, 44100, 16, {{"LIST", Ramp(5, 90), {}}}, lowerCase));

  const ToolRun run = RunTool({"save", in, dir_ / "out.wav"});
  ASSERT_EQ(run.status, 0) << run.err;
  const WrittenFile out = ReadWritten(dir_ / "out.wav");
  EXPECT_EQ(out.header, FourCC("riff"));
  EXPECT_EQ(out.form, FourCC("WAVE"));
  ASSERT_EQ(out.chunks.size(), 2u);
  EXPECT_EQ(out.chunks[0].first, "fmt ");
  EXPECT_EQ(out.chunks[0].second, PcmFormat(2, 44100, 16));
  EXPECT_EQ(out.chunks[1].first, "data");
  EXPECT_EQ(out.chunks[1].second, data);
}

TEST_F(CliJobs, FramesAndBpmSetTheNewLength) {
  const Bytes data = Ramp(16);  // 4 frames of 4 bytes
  const std::string in = WriteInput(data);

  ToolRun run = RunTool({"save", in, dir_ / "seven.wav", "--frames", "7"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadWritten(dir_ / "seven.wav").Chunk("data"), PickFrames(data, {0, 0, 1, 2, 2, 2, 3}, 4));

  // 133 bpm at 44100 Hz, one bar of 4 beats: 79578.945 frames, rounded to 79579.
  run = RunTool({"save", in, dir_ / "tempo.wav", "--bpm", "133"});
  ASSERT_EQ(run.status, 0) << run.err;
  const Bytes tempo = ReadWritten(dir_ / "tempo.wav").Chunk("data");
  ASSERT_EQ(tempo.size(), 79579u * 4);
  EXPECT_TRUE(std::equal(tempo.end() - 4, tempo.end(), data.end() - 4));
}

TEST_F(CliJobs, PhaserComesBeforeReverse) {
  const Bytes data = Ramp(64);  // 16 frames: phaser value 1 gives an offset of 4 frames
  const std::string in = WriteInput(data);
  const ToolRun run = RunTool({"save", in, dir_ / "out.wav", "--phaser", "1", "--reverse"});
  ASSERT_EQ(run.status, 0) << run.err;

  std::vector<int> phased(16);
  for (int j = 0; j < 16; ++j) phased[j] = (j % 2 == 1 && j <= 12) ? j + 3 : j;
  std::reverse(phased.begin(), phased.end());
  EXPECT_EQ(ReadWritten(dir_ / "out.wav").Chunk("data"), PickFrames(data, phased, 4));
}

TEST_F(CliJobs, ExistingOutputIsReplacedOnlyWithForce) {
  const std::string in = WriteInput(Ramp(16));
  const std::string out = dir_ / "out.wav";
  const Bytes former = Ramp(7, 200);
  WriteBytes(out, former);

  ToolRun run = RunTool({"save", in, out, "--reverse"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("already exists"), std::string::npos) << run.err;
  EXPECT_EQ(ReadBytes(out), former);

  run = RunTool({"save", in, out, "--reverse", "--force"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadWritten(out).Chunk("data"), PickFrames(Ramp(16), {3, 2, 1, 0}, 4));
}

TEST_F(CliJobs, SpanWritesOneFilePerBeat) {
  const Bytes data = Ramp(40);  // 10 frames in 4 beats: 2 frames (8 bytes) each, 2 frames left over
  const std::string in = WriteInput(data);
  const ToolRun run = RunTool({"span", in, dir_ / "loop.wav", "--beats", "4"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(dir_.Names(),
            (std::vector<std::string>{"in.wav", "loop[1].wav", "loop[2].wav", "loop[3].wav", "loop[4].wav"}));
  for (int n = 1; n <= 4; ++n) {
    const WrittenFile beat = ReadWritten(dir_ / ("loop[" + std::to_string(n) + "].wav"));
    EXPECT_EQ(beat.Chunk("fmt "), PcmFormat(2, 44100, 16));
    EXPECT_EQ(beat.Chunk("data"), Bytes(data.begin() + (n - 1) * 8, data.begin() + n * 8)) << n;
  }
}

TEST_F(CliJobs, SpanChecksEveryTargetBeforeWritingAny) {
  const Bytes data = Ramp(32);
  const std::string in = WriteInput(data);
  const Bytes former = Ramp(3, 100);
  WriteBytes(dir_ / "loop[3].wav", former);

  ToolRun run = RunTool({"span", in, dir_ / "loop", "--beats", "4"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("loop[3].wav"), std::string::npos) << run.err;
  EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"in.wav", "loop[3].wav"}));
  EXPECT_EQ(ReadBytes(dir_ / "loop[3].wav"), former);

  run = RunTool({"span", in, dir_ / "loop", "--beats", "4", "--force"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadWritten(dir_ / "loop[3].wav").Chunk("data"), Bytes(data.begin() + 16, data.begin() + 24));
}

TEST_F(CliJobs, SpanTakesBackItsFilesWhenABeatCannotBeWritten) {
  const std::string in = WriteInput(Ramp(32));
  std::filesystem::create_directory(dir_ / "loop[3].wav");  // no file can replace a folder
  const ToolRun run = RunTool({"span", in, dir_ / "loop", "--beats", "4", "--force"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("loop[3].wav"), std::string::npos) << run.err;
  EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"in.wav", "loop[3].wav"}));
}

TEST_F(CliJobs, MixInterleavesIntoTheSecondFile) {
  const Bytes rendered = Ramp(12, 1);  // 3 frames
  const Bytes second = Ramp(24, 101);  // 6 frames
  const std::string in = WriteInput(rendered);
  const std::string other = dir_ / "second.wav";
  const Bytes note = Ramp(5, 200);
  WriteBytes(other,
             RiffBytes({{"fmt ", PcmFormat(2, 44100, 16), {}}, {"data", second, {}}, {"LIST", note, {}}}));

  const ToolRun run = RunTool({"mix", in, other, dir_ / "mix.wav"});
  ASSERT_EQ(run.status, 0) << run.err;
  const WrittenFile mix = ReadWritten(dir_ / "mix.wav");
  ASSERT_EQ(mix.chunks.size(), 3u);
  EXPECT_EQ(mix.chunks[2].first, "LIST");
  EXPECT_EQ(mix.chunks[2].second, note);
  Bytes expected = PickFrames(rendered, {0}, 4);
  for (const Bytes& frame :
       {PickFrames(second, {1}, 4), PickFrames(rendered, {2}, 4), PickFrames(second, {3, 4, 5}, 4)}) {
    expected.insert(expected.end(), frame.begin(), frame.end());
  }
  EXPECT_EQ(mix.Chunk("data"), expected);
}

TEST_F(CliJobs, MixRefusesAnotherFormat) {
  const std::string in = WriteInput(Ramp(12));
  const std::string other = dir_ / "second.wav";
  WriteBytes(other, WaveBytes(Ramp(24), 2, 22050, 16));
  const ToolRun run = RunTool({"mix", in, other, dir_ / "mix.wav"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("Unable to mix to this file. Wave format is different to the current open file."),
            std::string::npos)
      << run.err;
  EXPECT_FALSE(std::filesystem::exists(dir_ / "mix.wav"));
}

TEST_F(CliJobs, OrderMovesWholeBlocksAndZeroesTheRest) {
  const Bytes data = Ramp(1002);  // 16-bit mono: 4 blocks of 250 bytes, 2 bytes left over
  const std::string in = WriteInput(data, "in.wav", 1, 16);
  const ToolRun run = RunTool({"save", in, dir_ / "out.wav", "--order", "3,1,4,2"});
  ASSERT_EQ(run.status, 0) << run.err;
  Bytes expected;
  for (int block : {2, 0, 3, 1}) {
    expected.insert(expected.end(), data.begin() + block * 250, data.begin() + block * 250 + 250);
  }
  expected.insert(expected.end(), 2, std::byte{0});
  EXPECT_EQ(ReadWritten(dir_ / "out.wav").Chunk("data"), expected);
}

TEST_F(CliJobs, ShuffleIsRepeatableFromItsSeed) {
  const Bytes data = Ramp(64);  // 16 frames, one per beat with 4 beats x 4 bars
  const std::string in = WriteInput(data);
  const std::vector<std::string> shuffle{"--beats", "4", "--bars", "4", "--shuffle"};
  auto run = [&](const std::string& out, std::vector<std::string> extra) {
    std::vector<std::string> args{"save", in, dir_ / out};
    args.insert(args.end(), shuffle.begin(), shuffle.end());
    args.insert(args.end(), extra.begin(), extra.end());
    return RunTool(args);
  };

  ToolRun seeded = run("seeded.wav", {"--seed", "12345"});
  ASSERT_EQ(seeded.status, 0) << seeded.err;
  EXPECT_NE(seeded.err.find("12345"), std::string::npos) << seeded.err;
  const std::vector<std::int32_t> order = cli::ShuffledOrder(4, 4, 12345);
  std::vector<int> frames(order.begin(), order.end());
  for (int& frame : frames) frame -= 1;
  ASSERT_FALSE(std::is_sorted(frames.begin(), frames.end()));
  EXPECT_EQ(ReadWritten(dir_ / "seeded.wav").Chunk("data"), PickFrames(data, frames, 4));

  // A run without a seed prints the one it drew; giving it back repeats the run.
  const ToolRun fresh = run("fresh.wav", {});
  ASSERT_EQ(fresh.status, 0) << fresh.err;
  const std::size_t at = fresh.err.find("seed ");
  ASSERT_NE(at, std::string::npos) << fresh.err;
  const std::string seed =
      fresh.err.substr(at + 5, fresh.err.find_first_not_of("0123456789", at + 5) - at - 5);
  const ToolRun again = run("again.wav", {"--seed", seed});
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(ReadBytes(dir_ / "again.wav"), ReadBytes(dir_ / "fresh.wav"));
}

}  // namespace
}  // namespace tactoria::testing
