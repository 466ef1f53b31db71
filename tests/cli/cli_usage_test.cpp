// Usage errors, refused files and the info job of tactoria-cli.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/run_tool.h"
#include "cli/tool_files.h"

namespace tactoria::testing {
namespace {

class CliUsage : public ::testing::Test {
 protected:
  void SetUp() override { WriteBytes(in_, WaveBytes(Ramp(64))); }  // 16 frames of 4 bytes

  TempDir dir_;
  const std::string in_ = dir_ / "in.wav";
  const std::string out_ = dir_ / "out.wav";
};

TEST_F(CliUsage, Version) {
  const ToolRun run = RunTool({"--version"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "tactoria-cli " TACTORIA_VERSION "\n");
}

TEST_F(CliUsage, UsageErrorsExitTwoAndWriteNothing) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
      {{}, ""},
      {{"save", in_}, "OUT"},
      {{"save", in_, out_, "--order", "2,1,4,3", "--shuffle"}, "excludes"},
      {{"save", in_, out_, "--frames", "5", "--bpm", "120"}, "excludes"},
      {{"save", in_, out_, "--seed", "3"}, "--shuffle"},
      {{"save", in_, out_, "--beats", "33"}, "Invalid value. Cannot be greater than 32."},
      {{"save", in_, out_, "--bars", "0"}, "Invalid beat(s) value."},
      {{"save", in_, out_, "--bars", "-1"}, "Invalid value. Must be greater than 0."},
      {{"save", in_, out_, "--beats", "nan"}, "Invalid numeric value."},
      {{"save", in_, out_, "--frames", "0"}, "Invalid. Value must be greater than 0."},
      {{"save", in_, out_, "--frames", "2147483648"}, "Invalid. The samples value has overflowed."},
      {{"save", in_, out_, "--frames", "7.5"}, "whole number"},
      {{"save", in_, out_, "--bpm", "0.0000001"}, "Invalid. The samples value has overflowed."},
      {{"save", in_, out_, "--phaser", "0.5"}, "Invalid. Value must be greater than 0."},
      // 16 frames allow a phaser value of at most 2; 40 frames allow 5.
      {{"save", in_, out_, "--phaser", "2.5"}, "Invalid. Value cannot be greater than the (samples / 8)."},
      {{"save", in_, out_, "--phaser", "5.5", "--frames", "40"}, "(samples / 8)"},
      {{"save", in_, out_, "--order", "1,2,2,4"}, "from 1 to 4"},
      {{"save", in_, out_, "--beats", "32", "--bars", "65", "--shuffle"},
       "Beats * bars need's to be less than 2048."},
      {{"save", in_, out_, "--beats", "0.4", "--bars", "4", "--shuffle"},
       "Beats * bars need's to be a higher value than 0."},
      {{"span", in_, dir_ / "beat", "--beats", "0.5", "--bars", "4"},
       "Beat(s) and Bar(s) must be greater or equal than 1."},
  };
  for (const auto& [args, text] : cases) {
    const ToolRun run = RunTool(args);
    EXPECT_EQ(run.status, 2) << ::testing::PrintToString(args) << "\n" << run.err;
    EXPECT_NE(run.err.find(text), std::string::npos) << ::testing::PrintToString(args) << "\n" << run.err;
  }
  EXPECT_EQ(dir_.Names(), std::vector<std::string>{"in.wav"});
}

TEST_F(CliUsage, RefusedFilesExitOneWithTheWindowsMessage) {
  RiffOptions mixedCase;
  mixedCase.header = "Riff";
  const std::vector<std::pair<Bytes, std::string>> files{
      {WaveBytes(Ramp(8), 2, 44100, 16, {}, mixedCase), "Invalid riff file."},
      {WaveBytes(Ramp(8), 2, 44100, 16, {}, {}, 3), "This application only supports WAVE PCM FORMAT."},
      {WaveBytes(Ramp(6)), "The block alignment in this wave file is invalid."},
  };
  const std::string bad = dir_ / "bad.wav";
  for (const auto& [bytes, message] : files) {
    WriteBytes(bad, bytes);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"info", bad}, {"save", bad, out_}, {"mix", in_, bad, out_}}) {
      const ToolRun run = RunTool(args);
      EXPECT_EQ(run.status, 1) << message;
      EXPECT_NE(run.err.find("tactoria-cli: " + message), std::string::npos) << run.err;
    }
  }
  const ToolRun missing = RunTool({"save", dir_ / "missing.wav", out_});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("Unable to open wave file. Maybe open by another application."),
            std::string::npos)
      << missing.err;
  EXPECT_FALSE(std::filesystem::exists(out_));
}

TEST_F(CliUsage, InfoShowsTheWindowsFigures) {
  WriteBytes(in_, WaveBytes(Ramp(100000), 1, 44100, 8));
  const ToolRun run = RunTool({"info", in_, "--beats", "2.5", "--bars", "2"});
  ASSERT_EQ(run.status, 0) << run.err;
  for (const char* line : {"Samples: 100000\n", "Bytes: 100000\n", "Bpm: 132.3\n", "Channels: 1\n",
                           "Alignment: 1\n", "Frequency: 44100\n", "Total: 5\n", "Span samples: 20000\n",
                           "Span bytes: 20000\n", "  data 100000\n"}) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;
  }
}

TEST_F(CliUsage, InfoJsonHoldsEveryKeyAsNumbers) {
  WriteBytes(in_, WaveBytes(Ramp(352800), 2, 44100, 16, {{"LIST", Ramp(5), {}}}));
  const ToolRun run = RunTool({"info", in_, "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  const nlohmann::json object = nlohmann::json::parse(run.out);
  const nlohmann::json expected = {
      {"path", in_},
      {"channels", 2},
      {"sample_rate", 44100},
      {"block_align", 4},
      {"bits_per_sample", 16},
      {"bytes", 352800},
      {"frames", 88200},
      {"bpm", 120},
      {"beats", 4},
      {"bars", 1},
      {"total", 4},
      {"span_frames", 22050},
      {"span_bytes", 88200},
      {"chunks",
       {{{"id", "LIST"}, {"size", 5}}, {{"id", "fmt "}, {"size", 16}}, {{"id", "data"}, {"size", 352800}}}},
  };
  EXPECT_EQ(object, expected) << run.out;
}

}  // namespace
}  // namespace tactoria::testing
