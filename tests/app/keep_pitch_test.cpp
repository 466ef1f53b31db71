// The Tools menu's "Keep Pitch"; the tempo shown depends on the length alone.
#include <QAction>
#include <QMenu>
#include <QSignalSpy>

#include "support/sound_measures.h"
#include "window_fixture.h"

namespace tactoria::testing {
namespace {

using KeepPitchTest = WindowTest;

TEST_F(KeepPitchTest, CommandIsRememberedInItsOwnSectionAndSaveAsStretchesToTheNewLength) {
  const auto command = [&] {
    return window->findChild<QMenu*>("MnuTools")->findChild<QAction*>("MnuKeepPitch");
  };
  ASSERT_TRUE(command()->text() == "Keep Pitch" && command()->isCheckable() && !command()->isChecked());
  QSignalSpy changes(window.get(), &FrmMain::KeepPitchChanged);
  command()->trigger();
  window->SetKeepPitch(true);  // no change, no signal
  EXPECT_EQ(changes.count(), 1);
  EXPECT_EQ(settings.Value("KeepPitch", "Enabled") + settings.Value("UserSection", "KeepPitch"), "1");
  Restart();
  EXPECT_TRUE(command()->isChecked());
  // 2 s of 440 Hz: 88200 frames, 120 bpm, stretched by the remembered setting.
  WriteBytes(dir / "sine.wav", PcmWave(Stereo16(SineWave(440, 44100, 88200))));
  Open(QString::fromStdString(dir / "sine.wav"));
  Retype("TxtNewSamp", "110250");
  EXPECT_EQ(Texts("TxtNewBytes TxtNewBpm TxtSpSamp"), "441000 96 27562");
  dialogs.saveChoices = {UserDialogs::FileChoice{QString::fromStdString(dir.path().string()), "out.wav"}};
  window->MnuSaveAsWave_Click();
  EXPECT_TRUE(TakeMessages().isEmpty());
  const Bytes out = ReadBytes(dir / "out.wav");
  ASSERT_EQ(out.size(), 44u + 441000);
  EXPECT_NEAR(DominantFrequency(Channel16(out.data() + 44, 441000, 2, 1), 44100), 440, 2);
}

}  // namespace
}  // namespace tactoria::testing
