// Start-up state, opening and refusing files, the file dialogs, the remembered folders, About.
#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>

#include "app/frm_about.h"
#include "app/tactoria_version.h"
#include "wave/wave_validation.h"
#include "window_fixture.h"

namespace tactoria::testing {
namespace {

using OpenTest = WindowTest;

TEST_F(OpenTest, StartsLockedThenAFileFillsAndUnlocksTheWindow) {
  EXPECT_EQ(window->windowTitle(), "Tactoria");
  EXPECT_EQ(Text("TxtBeats"), "4");
  EXPECT_EQ(Text("TxtBars"), "1");
  EXPECT_EQ(Text("TxtTotal"), "4");
  EXPECT_FALSE(Field("TxtNewSamp")->isEnabled());
  EXPECT_FALSE(window->findChild<QAction*>("MnuSaveAsWave")->isEnabled());
  EXPECT_TRUE(dialogs.shown.empty());

  const QString path = WriteWave("loop.wav", 88200);
  Open(path);
  EXPECT_TRUE(dialogs.shown.size() == 1 && dialogs.unexpected == 0);  // the open dialog only
  const std::pair<const char*, const char*> figures[] = {
      {"TxtOrgSamp", "88200"},   {"TxtOrgBytes", "352800"}, {"TxtOrgBpm", "120"},   {"TxtFreq", "44100"},
      {"TxtTotal", "4"},         {"TxtChannels", "2"},      {"TxtAlign", "4"},      {"TxtNewSamp", "88200"},
      {"TxtNewBytes", "352800"}, {"TxtNewBpm", "120"},      {"TxtSpSamp", "22050"}, {"TxtSpBytes", "88200"}};
  for (const auto& [name, text] : figures) EXPECT_EQ(Text(name), text) << name;
  EXPECT_EQ(window->findChild<QPlainTextEdit*>("TxtDir")->toPlainText(), path);
  for (const char* name : {"TxtBeats", "TxtNewSamp", "TxtSpBytes"}) EXPECT_TRUE(Field(name)->isEnabled());
  for (const char* name : {"MnuSaveAsWave", "MnuSpanAs", "MnuShuffle", "MnuMixTo"})
    EXPECT_TRUE(window->findChild<QAction*>(name)->isEnabled()) << name;
  EXPECT_TRUE(Check("ChkPhaser")->isEnabled());
  EXPECT_FALSE(Field("LblPhaser")->isEnabled());  // follows the check box

  Open(WriteWave("long.wav", 100000));
  EXPECT_EQ(Text("TxtOrgBpm"), "105.84");
}

TEST_F(OpenTest, RefusedFilesLeaveThePreviousFileOpen) {
  const QString first = WriteWave("first.wav", 88200);
  Open(first);
  const vbMediaFile* opened = window->CurrentWave();
  dialogs.Clear();

  const Bytes pcm = PcmFormat(2, 44100, 16);
  Bytes extended = pcm;
  extended.resize(18);
  struct Case {
    const char* name;
    Bytes bytes;
    const char* title;
    const char* text;
  };
  const Case cases[] = {
      {"empty.wav", RiffBytes({}), "Unsupported Format", "This application only supports WAVE PCM FORMAT."},
      {"ext.wav", RiffBytes({{"fmt ", extended}, {"data", Ramp(8)}}), "Unsupported Format",
       "This application only supports WAVE PCM FORMAT."},
      {"mixed.wav", RiffBytes({{"fmt ", pcm}, {"data", Ramp(8)}}, {"Riff"}), "Error: Invalid File",
       "Invalid riff file."},
      {"odd.wav", RiffBytes({{"fmt ", pcm}, {"data", Ramp(7)}}), "BlockAlign Error",
       "The block alignment in this wave file is invalid."},
      {"short.wav", Ramp(6), "Error: -1", "Unkown error"},
      {"nodata.wav", RiffBytes({{"fmt ", pcm}}), kNoDataTitle, kNoDataMessage},
  };
  for (const auto& c : cases) {
    WriteBytes(dir / c.name, c.bytes);
    Open(QString::fromStdString(dir / c.name));
    const auto messages = dialogs.Messages();
    ASSERT_EQ(messages.size(), 1u) << c.name;
    EXPECT_EQ(messages[0].title, c.title);
    EXPECT_EQ(messages[0].text, c.text);
    EXPECT_EQ(messages[0].icon, MessageIcon::Critical);
    EXPECT_EQ(window->CurrentWave(), opened);
    EXPECT_EQ(window->findChild<QPlainTextEdit*>("TxtDir")->toPlainText(), first);
    EXPECT_EQ(Text("TxtOrgSamp"), "88200");
    dialogs.Clear();
  }

  // Lower- and upper-case ids are accepted.
  WriteBytes(dir / "lower.wav", RiffBytes({{"FMT ", pcm}, {"DATA", Ramp(40)}}, {"riff", "wave"}));
  Open(QString::fromStdString(dir / "lower.wav"));
  EXPECT_TRUE(dialogs.Messages().empty());
  EXPECT_EQ(Text("TxtOrgSamp"), "10");
}

TEST_F(OpenTest, ReopeningAsksAndYesReadsTheFileAgain) {
  const QString path = WriteWave("loop.wav", 88200);
  Open(path);
  Retype("TxtNewSamp", "44100");
  WriteWave("loop.wav", 1000);  // changed on disk

  dialogs.answers.push_back(Answer::No);
  Open(path);
  ASSERT_EQ(dialogs.shown.back().title, "File Already Open");
  EXPECT_EQ(dialogs.shown.back().text, "File is already open. Do you wish to reset the current open file?.");
  EXPECT_EQ(Text("TxtOrgSamp"), "88200");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  dialogs.answers.push_back(Answer::Yes);
  Open(path);
  EXPECT_EQ(Text("TxtOrgSamp"), "1000");
  EXPECT_EQ(Text("TxtNewSamp"), "1000");
}

TEST_F(OpenTest, SameFrameCountKeepsTheNewLengthInTheNewFilesTerms) {
  Open(WriteWave("stereo.wav", 88200));
  Retype("TxtNewSamp", "44100");
  Open(WriteWave("mono.wav", 88200, 1, 22050));
  EXPECT_EQ(Text("TxtNewSamp"), "44100");
  EXPECT_EQ(Text("TxtNewBytes"), "88200");  // 2-byte frames now
  EXPECT_EQ(Text("TxtNewBpm"), "120");      // at 22050 Hz
  EXPECT_EQ(window->CurrentRenderSettings().newFrames, 44100);
}

TEST_F(OpenTest, FileDialogsBuildPathsAndAskBeforeOverwriting) {
  using Choice = UserDialogs::FileChoice;
  dialogs.openChoices = {Choice{"/music", "loop"}, Choice{"/", "loop.WAV"}};
  EXPECT_EQ(window->ShowOpen(), "/music/loop.wav");
  EXPECT_EQ(dialogs.shown.back().title, "Open wave file");
  EXPECT_EQ(window->ShowOpen("Select a file to mix to"), "/loop.WAV");
  EXPECT_EQ(dialogs.shown.back().title, "Select a file to mix to");

  const QString folder = QString::fromStdString(dir.path().string());
  WriteWave("taken.wav", 1);
  WriteBytes(dir / "zero.wav", {});
  dialogs.Clear();
  dialogs.saveChoices = {Choice{folder, "taken"}, Choice{folder, "taken.wav"}, Choice{folder, "zero.wav"}};
  dialogs.answers = {Answer::No, Answer::Yes};
  EXPECT_EQ(window->ShowSave(), folder + "/taken.wav");
  ASSERT_EQ(dialogs.shown.size(), 4u);  // save, question, save again, question
  EXPECT_EQ(dialogs.shown[1].title, "File Exists");
  EXPECT_EQ(dialogs.shown[1].text, folder + "/taken.wav aready exists. Do you want to overwrite file?.");
  EXPECT_EQ(window->ShowSave(), folder + "/zero.wav");  // an empty file counts as absent
  EXPECT_EQ(dialogs.shown.size(), 5u);

  dialogs.saveChoices = {Choice{folder, "taken.wav"}};
  EXPECT_EQ(window->ShowSave("Span File As"), folder + "/taken");
  EXPECT_EQ(dialogs.shown.back().kind, "save");
  dialogs.saveChoices = {Choice{folder, "taken.wav"}, std::nullopt};
  dialogs.answers = {Answer::No};
  EXPECT_EQ(window->ShowSave(), "");
  EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(OpenTest, RememberedFoldersSurviveARestart) {
  EXPECT_EQ(window->OpenFolder(), "");
  Open(WriteWave("loop.wav", 100));
  dialogs.saveChoices = {UserDialogs::FileChoice{"/saved", "out.wav"}};
  window->ShowSave();
  window->close();

  Restart();
  dialogs.Clear();
  dialogs.openChoices.push_back(std::nullopt);
  dialogs.saveChoices.push_back(std::nullopt);
  window->MnuOpenWave_Click();
  window->ShowSave();
  ASSERT_EQ(dialogs.shown.size(), 2u);
  EXPECT_EQ(dialogs.shown[0].text, QString::fromStdString(dir.path().string()));  // initial folders
  EXPECT_EQ(dialogs.shown[1].text, "/saved");
  EXPECT_EQ(settings.Value("UserSection", "UserOpenFilePath"), QString::fromStdString(dir.path().string()));
}

TEST(AboutTest, ShowsTheVersionAndClosesOnEscapeFromTheWebAddress) {
  FrmAbout about;
  about.show();
  EXPECT_EQ(about.windowTitle(), "About");
  EXPECT_EQ(about.findChild<QLabel*>("LblVer")->text(),
            QString("Product Version: %1.%2").arg(TACTORIA_VERSION_MAJOR).arg(TACTORIA_VERSION_MINOR));
  auto* web = about.findChild<QLineEdit*>("TxtWebsite");
  web->setFocus();
  QTest::keyClick(web, Qt::Key_A);
  EXPECT_TRUE(about.isVisible());
  QTest::keyClick(web, Qt::Key_Escape);
  EXPECT_FALSE(about.isVisible());
}

}  // namespace
}  // namespace tactoria::testing
