// File > Import... and Tools > Detect Tempo in the main window, on sounds made here: a drum loop
// of noise bursts at known frames, written as plain PCM wave files and by libsndfile.
#include <QAction>
#include <QApplication>
#include <QPlainTextEdit>

#include "preview/preview_window.h"
#include "support/drum_loops.h"
#include "support/sound_measures.h"
#include "window_fixture.h"

namespace tactoria::testing {
namespace {

class ImportTempoTest : public WindowTest {
 protected:
  // The 2-bar loop at 120 bpm (176400 frames) as a 16-bit PCM wave file, or in libsndfile's `format`.
  QString WriteLoop(const std::string& name, int format = 0) {
    const std::string path = dir / name;
    if (format == 0)
      WriteBytes(path, PcmWave(Stereo16(DrumLoop())));
    else
      EXPECT_TRUE(WriteSoundFile(path, format, DrumLoop()));
    return QString::fromStdString(path);
  }
  void Import(const QString& path) {
    const QFileInfo info(path);
    dialogs.openChoices.push_back(UserDialogs::FileChoice{info.absolutePath(), info.fileName()});
    QTest::keyClick(window.get(), Qt::Key_I, Qt::ControlModifier);
  }
  QAction* Action(const char* name) const { return window->findChild<QAction*>(name); }
  QString Path() const { return window->findChild<QPlainTextEdit*>("TxtDir")->toPlainText(); }
  QString Shown() {  // the messages since the last call, as "title: text"
    QStringList texts;
    for (const auto& shown : dialogs.Messages()) texts << shown.title + ": " + shown.text;
    dialogs.Clear();
    return texts.join('\n');
  }
};

TEST_F(ImportTempoTest, ImportOpensAnySoundFileAndOpenKeepsItsChecks) {
  const QString flac = WriteLoop("loop.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
  Import(flac);
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].title, "Import sound file");
  EXPECT_EQ(Path(), flac);
  EXPECT_EQ(Texts("TxtOrgSamp TxtChannels TxtAlign TxtFreq TxtNewSamp"), "176400 2 6 44100 176400");
  EXPECT_EQ(window->CurrentFormat().bitsPerSample, 24);
  EXPECT_TRUE(Action("MnuSaveAsWave")->isEnabled());
  dialogs.Clear();

  // What cannot be read is refused with its name and the reason; the open file stays.
  const QString bad = QString::fromStdString(dir / "notes.mp3");
  WriteBytes(dir / "notes.mp3", std::vector<std::byte>(300, std::byte{'a'}));
  Import(bad);
  const QString refusal = Shown();
  EXPECT_TRUE(refusal.startsWith("Cannot Import: Unable to import \"notes.mp3\": ")) << refusal.toStdString();
  EXPECT_EQ(Path(), flac);
  EXPECT_EQ(Text("TxtAlign"), "6");

  // File > Open refuses an EXTENSIBLE wave file with its own words; Import takes it.
  const QString extensible = WriteLoop("wide.wav", SF_FORMAT_WAVEX | SF_FORMAT_PCM_16);
  Open(extensible);
  EXPECT_EQ(Shown(), "Unsupported Format: This application only supports WAVE PCM FORMAT.");
  EXPECT_EQ(Path(), flac);
  Import(extensible);
  EXPECT_EQ(Shown(), "");
  EXPECT_EQ(Path() + " " + Text("TxtAlign"), extensible + " 4");
  EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(ImportTempoTest, DetectTempoWritesTheBeatsAndBarsFoundAsIfTyped) {
  EXPECT_FALSE(Action("MnuDetectTempo")->isEnabled());  // nothing open
  Open(WriteLoop("loop.wav"));
  EXPECT_EQ(Texts("TxtBeats TxtBars TxtOrgBpm"), "4 1 60");
  ASSERT_TRUE(Action("MnuDetectTempo")->isEnabled());

  // A real key press, with the focus in a field.
  Field("TxtBars")->setFocus();
  QTest::keyClick(Field("TxtBars"), Qt::Key_T, Qt::ControlModifier);
  EXPECT_EQ(Texts("TxtBeats TxtBars TxtTotal TxtOrgBpm TxtNewBpm TxtSpSamp"), "4 2 8 120 120 22050");
  EXPECT_EQ(Shown(), "");

  // The same keys work while the Preview is the active window.
  Field("TxtBars")->setText("1");
  Action("MnuPreview")->trigger();
  QTRY_COMPARE(QApplication::activeWindow(), window->Preview());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_T, Qt::ControlModifier);
  EXPECT_EQ(Texts("TxtBeats TxtBars"), "4 2");
}

TEST_F(ImportTempoTest, DetectTempoOnOpenIsOffByDefaultAndRemembered) {
  const QString loop = WriteLoop("loop.wav"), copy = WriteLoop("copy.wav");
  QAction* onOpen = Action("MnuDetectTempoOnOpen");
  ASSERT_TRUE(onOpen->isCheckable());
  EXPECT_FALSE(onOpen->isChecked());
  // Off, an open leaves the typed beats and bars alone, as always.
  Open(loop);
  Retype("TxtBars", "3");
  Open(copy);
  EXPECT_EQ(Texts("TxtBeats TxtBars TxtOrgBpm"), "4 3 180");

  onOpen->trigger();
  EXPECT_EQ(settings.Value("DetectTempo", "OnOpen"), "1");
  Restart();
  EXPECT_TRUE(Action("MnuDetectTempoOnOpen")->isChecked());
  Open(loop);
  EXPECT_EQ(Texts("TxtBeats TxtBars TxtOrgBpm"), "4 2 120");
  Retype("TxtBars", "3");
  Import(copy);  // every way of opening
  EXPECT_EQ(Texts("TxtBeats TxtBars TxtOrgBpm"), "4 2 120");
  EXPECT_EQ(Shown(), "");
}

}  // namespace
}  // namespace tactoria::testing
