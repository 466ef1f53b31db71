// tactoria-cli run as a separate process on small files: one run of each job through its options,
// the refusals and usage errors. What it writes is compared byte for byte with files built here.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <algorithm>
#include <nlohmann/json.hpp>

#include "cli_jobs.h"
#include "support/sound_measures.h"
#include "support/tool_run.h"

namespace tactoria::testing {
namespace {

using ::testing::HasSubstr;

class CliTool : public ::testing::Test {
 protected:
  void SetUp() override { Input(PcmWave(Ramp(64))); }  // 16 frames of 4 bytes
  std::string Input(const Bytes& bytes) {
    WriteBytes(in_, bytes);
    return in_;
  }
  // Saves `in` with `edits` (replacing the last output) and returns the bytes written.
  Bytes Save(const Bytes& in, const std::vector<std::string>& edits) {
    std::vector<std::string> args{"save", Input(in), out_, "--force"};
    args.insert(args.end(), edits.begin(), edits.end());
    last_ = RunTool(args);
    EXPECT_EQ(last_.status, 0) << last_.err;
    return ReadBytes(out_);
  }
  TempDir dir_;
  const std::string in_ = dir_ / "in.wav", out_ = dir_ / "out.wav";
  ToolRun last_;
};

// --frames, --reverse, --phaser and --order against the render: the large save test.
TEST_F(CliTool, SaveTakesTheTempoAndKeepsTheHeaderId) {
  const Bytes four = Ramp(16);  // frames of 4 bytes
  // Only "fmt " and "data" are written, with the header id as read. 13 bars of 1 beat at 5292000
  // bpm are 6.5 frames, rounded half to even.
  const Bytes riff =
      RiffBytes({{"LIST", Ramp(5)}, {"fmt ", PcmFormat(2, 44100, 16)}, {"data", four}}, {"riff"});
  EXPECT_EQ(Save(riff, {"--bpm", "5292000", "--bars", "13", "--beats", "1"}),
            PcmWave(PickFrames(four, 4, {0, 1, 1, 2, 2, 3}), 2, 44100, 16, {"riff"}));
}

// Without --force an existing beat file refuses the span; with it, a beat that cannot be written
// (a folder) fails the run with the reason and the name (every file kept as it was: the span tests).
TEST_F(CliTool, SpanWritesEveryBeatOrNone) {
  const Bytes data = Ramp(40);  // 10 frames in 4 beats: 2 frames each, 2 left over
  std::vector<std::string> span{"span", Input(PcmWave(data)), dir_ / "loop.wav", "--beats", "4"};
  const auto beat = [&](int n) { return dir_ / ("loop[" + std::to_string(n) + "].wav"); };
  WriteBytes(beat(2), Ramp(3, 100));
  std::filesystem::create_directory(beat(3));
  const std::pair<bool, std::string> runs[] = {{false, "loop[2].wav already exists"},
                                               {true, "Is a directory; " + beat(3)}};
  for (const auto& [force, text] : runs) {
    if (force) span.push_back("--force");
    const ToolRun run = RunTool(span);
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr(text));
  }
  std::filesystem::remove(beat(3));
  const ToolRun run = RunTool(span);
  EXPECT_EQ(run.status, 0) << run.err;
  for (int n = 1; n <= 4; ++n)
    EXPECT_EQ(ReadBytes(beat(n)), PcmWave(PickFrames(data, 4, {2 * n - 2, 2 * n - 1})));
}

TEST_F(CliTool, MixInterleavesIntoTheSecondFile) {
  const Bytes rendered = Ramp(12, 1), second = Ramp(24, 101);  // 3 and 6 frames
  const auto secondFile = [](const Bytes& data) {
    return RiffBytes({{"fmt ", PcmFormat(2, 44100, 16)}, {"data", data}, {"LIST", Ramp(5, 200)}});
  };
  WriteBytes(dir_ / "second.wav", secondFile(second));
  const ToolRun run = RunTool({"mix", Input(PcmWave(rendered)), dir_ / "second.wav", dir_ / "mix.wav"});
  EXPECT_EQ(run.status, 0) << run.err;
  Bytes mixed = second;  // R0, S1, R2, S3, S4, S5; the second file's other chunks kept
  for (int f : {0, 2}) std::copy_n(rendered.begin() + 4 * f, 4, mixed.begin() + 4 * f);
  EXPECT_EQ(ReadBytes(dir_ / "mix.wav"), secondFile(mixed));
}

TEST_F(CliTool, ShuffleRepeatsFromThePrintedSeed) {
  const Bytes data = PcmWave(Ramp(64));  // 16 frames, one per beat with 4 beats x 4 bars
  const Bytes first = Save(data, {"--bars", "4", "--shuffle"});
  const std::size_t at = last_.err.find("seed ");
  ASSERT_NE(at, std::string::npos) << last_.err;
  const std::uint64_t seed = std::stoull(last_.err.substr(at + 5));

  std::vector<std::int64_t> frames;
  for (std::int32_t beat : cli::ShuffledOrder(4, 4, seed)) frames.push_back(beat - 1);
  EXPECT_FALSE(std::is_sorted(frames.begin(), frames.end()));
  EXPECT_EQ(first, PcmWave(PickFrames(Ramp(64), 4, frames)));
  EXPECT_EQ(Save(data, {"--bars", "4", "--shuffle", "--seed", std::to_string(seed)}), first);
}

// Usage errors exit 2, refused files 1 with the window's message (every message: the wave tests).
TEST_F(CliTool, RefusalsExitWithTheirStatusAndWriteNothing) {
  const std::string tag = dir_ / "tag.wav", rate = dir_ / "rate.wav", taken = dir_ / "taken.wav";
  WriteBytes(tag, RiffBytes({{"fmt ", PcmFormat(2, 44100, 16, 3)}, {"data", Ramp(8)}}));
  WriteBytes(rate, PcmWave(Ramp(8), 2, 22050));
  WriteBytes(taken, Ramp(7, 200));
  // 32-bit float (imported) and 32-bit integer PCM of the same rate and channels do not mix.
  const std::string floats = dir_ / "float.wav", ints = dir_ / "int.wav";
  WriteBytes(floats, RiffBytes({{"fmt ", PcmFormat(2, 44100, 32, 3)}, {"data", Bytes(64)}}));
  WriteBytes(ints, PcmWave(Ramp(64), 2, 44100, 32));
  // Arguments starting with an option are given to "save IN OUT".
  const std::vector<std::tuple<std::vector<std::string>, int, std::string>> cases{
      {{}, 2, ""},
      {{"span", in_, dir_ / "beat", "--beats", "0.5"},
       2,
       "Beat(s) and Bar(s) must be greater or equal than 1."},
      {{"--order", "2,1,4,3", "--shuffle"}, 2, "excludes"},
      {{"--frames", "5", "--bpm", "120"}, 2, "excludes"},
      {{"--seed", "3"}, 2, "--shuffle"},
      {{"--beats", "33"}, 2, "Invalid value. Cannot be greater than 32."},
      {{"--bars", "0"}, 2, "Invalid beat(s) value."},
      {{"--frames", "2147483648"}, 2, "Invalid. The samples value has overflowed."},
      {{"--frames", "7.5"}, 2, "whole number"},
      {{"--bpm", "0.0000001"}, 2, "Invalid. The samples value has overflowed."},
      // The phaser's bound follows the new length: 40 frames allow at most 5.
      {{"--phaser", "5.5", "--frames", "40"}, 2, "Invalid. Value cannot be greater than the (samples / 8)."},
      {{"--order", "1,2,2,4"}, 2, "from 1 to 4"},
      {{"--beats", "32", "--bars", "65", "--shuffle"}, 2, "Beats * bars need's to be less than 2048."},
      {{"--shuffle", "--seed", "-1"},
       2,
       "--seed: the seed must be a whole number from 0 to 18446744073709551615."},
      {{"--shuffle", "--seed", "18446744073709551616"}, 2, "--seed: the seed must be a whole number"},
      {{"save", in_, taken}, 1, taken + " already exists"},
      // A failed write names what is wrong with the target.
      {{"save", in_, out_ + "/"}, 1, "Failed to create the file. (Is a directory; " + out_ + "/)"},
      {{"save", in_, taken + "/"}, 1, "Failed to create the file. (Not a directory; " + taken + "/)"},
      {{"save", in_, "/dev/full", "--force"},
       1,
       "Failed to create the file. (not a regular file; /dev/full)"},
      // Refused by File > Open and by the import: libsndfile's reason.
      {{"save", tag, out_}, 1, "tactoria-cli: Unable to import \"tag.wav\": "},
      {{"mix", in_, tag, out_}, 1, "tactoria-cli: Unable to import \"tag.wav\": "},
      {{"mix", floats, ints, out_},
       1,
       "tactoria-cli: Unable to mix to this file. Wave format is different to the current open file."},
      {{"mix", in_, rate, out_},
       1,
       "tactoria-cli: Unable to mix to this file. Wave format is different to the current open file."},
  };
  for (auto [args, status, text] : cases) {
    if (!args.empty() && args[0].starts_with("--")) args.insert(args.begin(), {"save", in_, out_});
    const ToolRun run = RunTool(args);
    EXPECT_EQ(run.status, status) << ::testing::PrintToString(args);
    EXPECT_THAT(run.err, HasSubstr(text));
  }
  EXPECT_EQ(dir_.Names(),
            (std::vector<std::string>{"float.wav", "in.wav", "int.wav", "rate.wav", "tag.wav", "taken.wav"}));
  EXPECT_EQ(ReadBytes(taken), Ramp(7, 200));
}

TEST_F(CliTool, InfoShowsTheWindowsFigures) {
  WriteBytes(in_, PcmWave(Ramp(100000), 1, 44100, 8));
  ToolRun run = RunTool({"info", in_, "--beats", "2.5", "--bars", "2"});
  EXPECT_EQ(run.status, 0) << run.err;
  for (const char* line :
       {"Format: WAV, 8-bit\n", "Duration: 2.267574\n", "Samples: 100000\n", "Bpm: 132.3\n", "Channels: 1\n",
        "Total: 5\n", "Span samples: 20000\n", "Span bytes: 20000\n", "  data 100000\n"})
    EXPECT_THAT(run.out, HasSubstr(line));

  WriteBytes(in_, RiffBytes({{"LIST", Ramp(5)}, {"fmt ", PcmFormat(2, 44100, 16)}, {"data", Ramp(352800)}}));
  run = RunTool({"info", in_, "--json"});
  nlohmann::json expected = nlohmann::json::parse(
      R"({"format": "WAV, 16-bit", "duration": 2, "channels": 2, "sample_rate": 44100, "block_align": 4,
      "bits_per_sample": 16, "bytes": 352800, "frames": 88200, "bpm": 120, "beats": 4, "bars": 1, "total": 4,
      "span_frames": 22050, "span_bytes": 88200, "chunks": [{"id": "LIST", "size": 5},
      {"id": "fmt ", "size": 16}, {"id": "data", "size": 352800}]})");
  expected["path"] = in_;
  EXPECT_EQ(nlohmann::json::parse(run.out), expected) << run.out;
}

// Other sound files are imported by every command (the formats and their descriptions: the import
// tests): a save writes the samples as they were, in a plain wave file.
TEST_F(CliTool, SaveImportsAnAiffFile) {
  std::vector<short> samples(8);  // 4 frames of 16-bit stereo
  for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<short>(i * 7919);
  const std::string aiff = dir_ / "loop.aiff";
  SF_INFO info{0, 44100, 2, SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 0, 0};
  SNDFILE* file = sf_open(aiff.c_str(), SFM_WRITE, &info);
  ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
  EXPECT_EQ(sf_writef_short(file, samples.data(), 4), 4);
  sf_close(file);
  Bytes frames;  // the 4 frames little-endian, last first
  for (int f = 3; f >= 0; --f)
    for (int c = 0; c < 2; ++c) AppendLe(frames, static_cast<std::uint16_t>(samples[2 * f + c]), 2);
  const ToolRun run = RunTool({"save", aiff, out_, "--reverse"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadBytes(out_), PcmWave(frames));
}

// 2 s of 440 Hz (one bar of 4 beats at 120 bpm) made 110250 frames long keeps its tone only with
// the flag; 32 times is beyond the stretch.
TEST_F(CliTool, KeepPitchReachesSaveAndSpanAndRefusesBeyondTheStretch) {
  const Bytes input = PcmWave(Stereo16(SineWave(440, 44100, 88200)));
  const auto tone = [](const Bytes& wave) {
    return DominantFrequency(Channel16(&wave[44], wave.size() - 44, 2, 0), 44100);
  };
  const Bytes out = Save(input, {"--bpm", "96", "--keep-pitch"});
  EXPECT_EQ(out.size(), 44 + 110250 * 4);
  EXPECT_NEAR(tone(out), 440, 2);
  ASSERT_EQ(RunTool({"span", in_, dir_ / "beat", "--frames", "110250", "--keep-pitch"}).status, 0);
  EXPECT_NEAR(tone(ReadBytes(dir_ / "beat[1].wav")), 440, 2);
  EXPECT_EQ(RunTool({"save", in_, dir_ / "long.wav", "--frames", "2822400", "--keep-pitch"}).status, 1);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "long.wav"));
}

}  // namespace
}  // namespace tactoria::testing
