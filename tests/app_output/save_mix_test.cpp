#include <filesystem>

#include "output_fixture.h"

namespace tactoria::testing {
namespace {

using SaveMixTest = OutputTest;

TEST_F(SaveMixTest, SaveAsWritesFormatAndRenderedDataOrNothing) {
  // 4 mono frames to 7, reversed (the steps: the render tests); only "fmt " and "data" are written.
  const Bytes data = Ramp(8);
  Open("in.wav",
       RiffBytes({{"LIST", Ramp(3)}, {"fmt ", PcmFormat(1, 22050, 16)}, {"data", data}, {"junk", Ramp(2)}}));
  window.render = {7, std::nullopt, true};
  ChooseSave("out.wav");
  window.commands.SaveAs();
  EXPECT_EQ(ReadBytes(dir / "out.wav"), PcmWave(PickFrames(data, 2, {3, 2, 2, 2, 1, 0, 0}), 1, 22050));
  EXPECT_EQ(TakeLog(), QStringList{"save"});
  std::filesystem::remove(dir / "out.wav");

  // Cancel, a render failure, a folder that does not exist: the dialogs shown.
  const std::tuple<std::string, std::optional<int>, QStringList> failures[] = {
      {"", {}, {"save"}},
      {"zero.wav",
       0,
       {"save", "message|Error: 5|Could not change the length of the sound. Out of Memory.|critical"}},
      {"missing/out.wav", {}, {"save", "message||Failed to create the file."}},
  };
  for (const auto& [name, frames, log] : failures) {
    window.render.newFrames = frames;
    ChooseSave(name);
    window.commands.SaveAs();
    EXPECT_EQ(TakeLog(), log);
    EXPECT_TRUE(Released());
  }
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"in.wav"});
}

TEST_F(SaveMixTest, MixToWritesIntoTheSecondFileOrRefuses) {
  const Bytes open = Ramp(6), data = Ramp(12, 101);  // 3 and 6 mono frames
  const auto second = [](const Bytes& samples) {
    return RiffBytes(
        {{"LIST", Ramp(3)}, {"fmt ", PcmFormat(1, 22050, 16)}, {"data", samples}, {"cue ", Ramp(2)}});
  };
  Open("open.wav", PcmWave(open, 1, 22050));
  WriteBytes(dir / "second.wav", second(data));
  ChooseOpen("second.wav");
  ChooseSave("mix.wav");
  window.commands.MixTo();
  // R0, S1, R2, S3, S4, S5, every chunk of the second file kept; the second file unchanged.
  Bytes mixed = data;
  for (int f : {0, 2}) std::copy_n(open.begin() + 2 * f, 2, mixed.begin() + 2 * f);
  EXPECT_EQ(ReadBytes(dir / "mix.wav"), second(mixed));
  EXPECT_EQ(ReadBytes(dir / "second.wav"), second(data));
  EXPECT_EQ(TakeLog(), (QStringList{"open|Select a file to mix to", "save|Select a file to save the mix"}));
  EXPECT_TRUE(Released());

  std::filesystem::remove(dir / "mix.wav");
  const std::vector<std::pair<Bytes, QString>> refusals{
      {PcmWave(Ramp(4), 1, 44100),  // each field compared: the render tests
       "message|Invalid Format Difference|Unable to mix to this file. Wave format is different to the "
       "current "
       "open file.|exclamation"},
      {RiffBytes({{"data", Ramp(1)}}, {"RIFF", "TEXT"}),
       "message|Error: Invalid File|Invalid wave file.|critical"},
      {PcmWave(Ramp(4), 1, 22050), "save|Select a file to save the mix"},  // and cancelled
  };
  for (const auto& [bytes, last] : refusals) {
    WriteBytes(dir / "second.wav", bytes);
    ChooseOpen("second.wav");
    window.commands.MixTo();
    EXPECT_EQ(TakeLog(), (QStringList{"open|Select a file to mix to", last}));
    EXPECT_TRUE(Released());
  }
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"open.wav", "second.wav"}));
}

}  // namespace
}  // namespace tactoria::testing
