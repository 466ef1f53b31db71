// The Tools menu's "Keep Pitch": off at first, remembered in its own settings section, and read by
// the render of every output command; the tempo shown depends on the length alone.
#include <QAction>
#include <QMenu>
#include <QSignalSpy>

#include "support/sound_measures.h"
#include "window_fixture.h"

namespace tactoria::testing {
namespace {

using KeepPitchTest = LoopTest;

QAction* KeepPitchCommand(const FrmMain& window) {
  const auto* tools = window.findChild<QMenu*>("MnuTools");
  for (QAction* action : tools->actions())
    if (action->text() == "Keep Pitch") return action;
  return nullptr;
}

TEST_F(KeepPitchTest, CommandIsOffAtFirstAndRememberedInItsOwnSection) {
  QAction* command = KeepPitchCommand(*window);
  ASSERT_TRUE(command && command->isCheckable() && !command->isChecked());
  EXPECT_FALSE(window->CurrentRenderSettings().keepPitch);
  QSignalSpy changes(window.get(), &FrmMain::KeepPitchChanged);
  command->trigger();
  window->SetKeepPitch(true);  // no change, no signal
  EXPECT_EQ(changes.count(), 1);

  Restart();
  EXPECT_TRUE(KeepPitchCommand(*window)->isChecked() && window->CurrentRenderSettings().keepPitch);
  KeepPitchCommand(*window)->trigger();
  Restart();
  EXPECT_FALSE(KeepPitchCommand(*window)->isChecked());
  EXPECT_EQ(settings.Value("KeepPitch", "Enabled"), "0");
  EXPECT_TRUE(settings.Value("UserSection", "KeepPitch").isEmpty());
}

TEST_F(KeepPitchTest, SaveAsStretchesToTheNewLengthAndTheTempoFollowsTheLength) {
  // 2 s of 440 Hz in place of the loop: 88200 frames, 120 bpm.
  WriteBytes(dir / "sine.wav", PcmWave(Stereo16(SineWave(440, 44100, 88200))));
  Open(QString::fromStdString(dir / "sine.wav"));
  Retype("TxtNewSamp", "110250");
  window->SetKeepPitch(true);
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
