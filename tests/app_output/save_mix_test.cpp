#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "process/render.h"
#include "test_waves.h"

namespace tactoria::testing {
namespace {

class SaveMixTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  FakeWindow window;
  QString Path(const QString& name) const { return dir.filePath(name); }

  // A mono 16-bit file at 22050 Hz with the given samples, opened as the current file.
  void OpenMono(const std::vector<int>& samples, std::vector<Chunk> extra = {}) {
    std::vector<Chunk> chunks = {FmtChunk(1, 22050, 16)};
    chunks.insert(chunks.end(), extra.begin(), extra.end());
    chunks.push_back({"data", Samples16(samples)});
    WriteRiff(Path("open.wav"), chunks);
    ASSERT_TRUE(window.Open(Path("open.wav")));
  }
};

TEST_F(SaveMixTest, SaveAsWritesFormatAndRenderedData) {
  // Unchanged: only "fmt " and "data", the data byte-identical, the header id as read.
  for (const char* header : {"RIFF", "riff"}) {
    const Bytes data = Samples16({100, -200, 300, -400, 500});
    WriteRiff(Path("in.wav"), {{"LIST", {1, 2, 3}}, FmtChunk(1, 8000, 16), {"data", data}, {"junk", {9, 9}}},
              header);
    ASSERT_TRUE(window.Open(Path("in.wav")));
    window.ChooseSave(Path("same.wav"));
    window.commands.SaveAs();
    const auto [id, chunks] = ReadRiff(Path("same.wav"));
    EXPECT_EQ(id, header);
    EXPECT_EQ(chunks, (std::vector<Chunk>{FmtChunk(1, 8000, 16), {"data", data}}));
    EXPECT_TRUE(window.dialogs.shown.size() == 1 && window.dialogs.Messages().empty());
    EXPECT_TRUE(WindowReleased(window));
    window.dialogs.Clear();
  }

  // New length 4 -> 7 frames: frames 0, 0, 1, 2, 2, 2, 3.
  OpenMono({10, 20, 30, 40});
  window.render.newFrames = 7;
  window.ChooseSave(Path("long.wav"));
  window.commands.SaveAs();
  SndRead longer = ReadSnd(Path("long.wav"));
  ASSERT_TRUE(longer.ok);
  EXPECT_EQ(longer.rate, 22050);
  EXPECT_EQ(longer.samples, (std::vector<short>{10, 10, 20, 30, 30, 30, 40}));

  // Phaser 1 on 16-bit stereo (offset 4 frames) then reverse: odd frames 1, 3, 5 take 4, 6, 8,
  // and the phased sound comes out backwards.
  std::vector<int> stereo;
  for (int f = 0; f < 10; ++f) stereo.insert(stereo.end(), {f * 10 + 1, f * 10 + 2});
  WriteWave(Path("stereo.wav"), 2, 44100, Samples16(stereo));
  ASSERT_TRUE(window.Open(Path("stereo.wav")));
  window.render = {std::nullopt, 1.0, true};
  window.ChooseSave(Path("fx.wav"));
  window.commands.SaveAs();
  std::vector<short> expected;
  for (int f : {9, 8, 7, 6, 8, 4, 6, 2, 4, 0})
    expected.insert(expected.end(), {static_cast<short>(f * 10 + 1), static_cast<short>(f * 10 + 2)});
  EXPECT_EQ(ReadSnd(Path("fx.wav")).samples, expected);
  EXPECT_TRUE(window.dialogs.Messages().empty());
  EXPECT_TRUE(WindowReleased(window));
}

TEST_F(SaveMixTest, SaveAsFailuresWriteNothing) {
  OpenMono({1, 2, 3, 4});
  const Bytes before = ReadBytes(Path("open.wav"));

  window.ChooseSave("");  // cancelled
  window.commands.SaveAs();
  EXPECT_TRUE(window.dialogs.Messages().empty());

  window.render.newFrames = 0;  // a new length of 0 frames cannot be rendered
  window.ChooseSave(Path("zero.wav"));
  window.commands.SaveAs();
  window.render.newFrames.reset();

  window.ChooseSave(Path("missing/out.wav"));  // a folder that does not exist
  window.commands.SaveAs();

  const auto messages = window.dialogs.Messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].title, "Error: 5");
  EXPECT_EQ(messages[0].text, "Could not change the length of the sound. Out of Memory.");
  EXPECT_EQ(messages[0].icon, MessageIcon::Critical);
  EXPECT_EQ(messages[1].title, "");
  EXPECT_EQ(messages[1].text, "Failed to create the file.");
  EXPECT_EQ(messages[1].icon, MessageIcon::None);
  EXPECT_EQ(FilesIn(dir.path()), QStringList{"open.wav"});
  EXPECT_EQ(ReadBytes(Path("open.wav")), before);
  EXPECT_TRUE(WindowReleased(window));
}

TEST_F(SaveMixTest, MixToInterleavesIntoTheSecondFile) {
  OpenMono({1, 2, 3});
  const std::vector<Chunk> second = {{"LIST", {7, 7, 7}},
                                     FmtChunk(1, 22050, 16),
                                     {"data", Samples16({11, 12, 13, 14, 15, 16})},
                                     {"cue ", {5, 6}}};
  WriteRiff(Path("second.wav"), second);
  const Bytes secondBefore = ReadBytes(Path("second.wav"));

  window.ChooseOpen(Path("second.wav"));
  window.ChooseSave(Path("mix.wav"));
  window.commands.MixTo();

  const auto [id, chunks] = ReadRiff(Path("mix.wav"));
  std::vector<Chunk> expected = second;
  expected[2].data = Samples16({1, 12, 3, 14, 15, 16});  // R0, S1, R2, S3, S4, S5
  EXPECT_EQ(id, "RIFF");
  EXPECT_EQ(chunks, expected);
  EXPECT_EQ(ReadSnd(Path("mix.wav")).samples, (std::vector<short>{1, 12, 3, 14, 15, 16}));
  EXPECT_EQ(ReadBytes(Path("second.wav")), secondBefore);
  ASSERT_EQ(window.dialogs.shown.size(), 2u);
  EXPECT_EQ(window.dialogs.shown[0].title, "Select a file to mix to");
  EXPECT_EQ(window.dialogs.shown[1].title, "Select a file to save the mix");
  EXPECT_TRUE(WindowReleased(window));
}

TEST_F(SaveMixTest, MixToRefusalsWriteNothing) {
  OpenMono({1, 2, 3});
  WriteWave(Path("rate.wav"), 1, 44100, Samples16({1, 2}));
  WriteWave(Path("stereo.wav"), 2, 22050, Samples16({1, 2}));
  WriteRiff(Path("bits.wav"), {FmtChunk(1, 22050, 8), {"data", {1, 2}}});
  for (const char* name : {"rate.wav", "stereo.wav", "bits.wav"}) {
    window.ChooseOpen(Path(name));
    window.commands.MixTo();
  }
  auto messages = window.dialogs.Messages();
  ASSERT_EQ(messages.size(), 3u);
  for (const auto& m : messages) {
    EXPECT_EQ(m.title, kMixFormatTitle);
    EXPECT_EQ(m.text, kMixFormatMessage);
    EXPECT_EQ(m.icon, MessageIcon::Exclamation);
  }
  EXPECT_EQ(window.dialogs.shown.size(), 6u);  // no save dialog after a refusal
  EXPECT_TRUE(WindowReleased(window));

  // Another average rate alone is accepted; cancelling the save dialog writes nothing.
  WriteRiff(Path("avg.wav"), {FmtChunk(1, 22050, 16, 12345), {"data", Samples16({5, 6})}});
  window.dialogs.Clear();
  window.ChooseOpen(Path("avg.wav"));
  window.ChooseSave("");
  window.commands.MixTo();
  EXPECT_EQ(window.dialogs.shown.size(), 2u);
  EXPECT_TRUE(WindowReleased(window));

  // A file that is not a wave file: the open command's message, critical.
  WriteRiff(Path("text.wav"), {{"data", {1}}}, "RIFF", "TEXT");
  window.dialogs.Clear();
  window.ChooseOpen(Path("text.wav"));
  window.commands.MixTo();
  messages = window.dialogs.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].icon, MessageIcon::Critical);
  EXPECT_FALSE(messages[0].text.isEmpty());

  EXPECT_EQ(FilesIn(dir.path()),
            (QStringList{"avg.wav", "bits.wav", "open.wav", "rate.wav", "stereo.wav", "text.wav"}));
  EXPECT_TRUE(WindowReleased(window));
}

}  // namespace
}  // namespace tactoria::testing
