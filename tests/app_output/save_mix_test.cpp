#include <filesystem>

#include "output_fixture.h"

namespace tactoria::testing {
namespace {

using SaveMixTest = OutputTest;

TEST_F(SaveMixTest, SaveAsWritesFormatAndRenderedDataOrNothing) {
  // Channels, the samples opened, the render (its steps: the render tests), the samples written.
  const std::vector<std::tuple<int, std::vector<int>, RenderSettings, std::vector<int>>> cases{
      {1, {100, -200, 300, -400, 500}, {}, {100, -200, 300, -400, 500}},
      {2,
       {10, 11, 20, 21, 30, 31, 40, 41},
       {7, std::nullopt, true},
       {40, 41, 30, 31, 30, 31, 30, 31, 20, 21, 10, 11, 10, 11}},
  };
  for (const auto& [channels, in, render, out] : cases) {
    const RiffChunk format{"fmt ", PcmFormat(channels, 22050, 16)};
    Open("in.wav", RiffBytes({{"LIST", Ramp(3)}, format, {"data", Samples16(in)}, {"junk", Ramp(2)}}));
    window.render = render;
    ChooseSave("out.wav");
    window.commands.SaveAs();
    EXPECT_EQ(ReadBytes(dir / "out.wav"), Wave16(channels, 22050, out));  // only "fmt " and "data"
    std::filesystem::remove(dir / "out.wav");
  }
  EXPECT_EQ(Log(), QStringList(2, "save"));

  // Cancel, a render failure, a folder that does not exist: the dialogs shown.
  const std::tuple<std::string, std::optional<int>, QStringList> failures[] = {
      {"", {}, {"save"}},
      {"zero.wav",
       0,
       {"save", "message|Error: 5|Could not change the length of the sound. Out of Memory.|critical"}},
      {"missing/out.wav", {}, {"save", "message||Failed to create the file."}},
  };
  for (const auto& [name, frames, log] : failures) {
    window.dialogs.shown.clear();
    window.render.newFrames = frames;
    ChooseSave(name);
    window.commands.SaveAs();
    EXPECT_EQ(Log(), log);
    EXPECT_TRUE(Released());
  }
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"in.wav"});
}

TEST_F(SaveMixTest, MixToWritesIntoTheSecondFileOrRefuses) {
  Open("open.wav", Wave16(1, 22050, {1, 2, 3}));
  const auto second = [](const std::vector<int>& samples) {
    return RiffBytes({{"LIST", Ramp(3)},
                      {"fmt ", PcmFormat(1, 22050, 16)},
                      {"data", Samples16(samples)},
                      {"cue ", Ramp(2)}});
  };
  WriteBytes(dir / "second.wav", second({11, 12, 13, 14, 15, 16}));
  ChooseOpen("second.wav");
  ChooseSave("mix.wav");
  window.commands.MixTo();
  // R0, S1, R2, S3, S4, S5, every chunk of the second file kept; the second file unchanged.
  EXPECT_EQ(ReadBytes(dir / "mix.wav"), second({1, 12, 3, 14, 15, 16}));
  EXPECT_EQ(ReadBytes(dir / "second.wav"), second({11, 12, 13, 14, 15, 16}));
  EXPECT_EQ(Log(), (QStringList{"open|Select a file to mix to", "save|Select a file to save the mix"}));
  EXPECT_TRUE(Released());

  std::filesystem::remove(dir / "mix.wav");
  const QString format =
      "message|Invalid Format Difference|Unable to mix to this file. Wave format is different "
      "to the current open file.|exclamation";
  const std::vector<std::pair<Bytes, QString>> refusals{
      {Wave16(1, 44100, {1, 2}), format},  // each field compared: the render tests
      {RiffBytes({{"data", Ramp(1)}}, {"RIFF", "TEXT"}),
       "message|Error: Invalid File|Invalid wave file.|critical"},
      {Wave16(1, 22050, {1, 2}), "save|Select a file to save the mix"},  // and cancelled
  };
  for (const auto& [bytes, last] : refusals) {
    WriteBytes(dir / "second.wav", bytes);
    window.dialogs.shown.clear();
    ChooseOpen("second.wav");
    window.commands.MixTo();
    EXPECT_EQ(Log(), (QStringList{"open|Select a file to mix to", last}));
    EXPECT_TRUE(Released());
  }
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"open.wav", "second.wav"}));
}

}  // namespace
}  // namespace tactoria::testing
