// A long Keep Pitch render in Save As and Mix To: a progress window after about half a second,
// whose Cancel stops the render and writes nothing; a short render shows none.
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "output_fixture.h"
#include "ui/render_progress.h"

namespace tactoria::testing {
namespace {

class RenderProgressTest : public OutputTest {
 protected:
  // Watches for the progress window while a command runs; with `cancel`, clicks its Cancel.
  void Watch(bool cancel) {
    seen = false;
    watcher.setInterval(20);
    QObject::connect(&watcher, &QTimer::timeout, [this, cancel] {
      auto* dialog = window.widget.findChild<QProgressDialog*>("RenderProgress");
      if (!dialog || !dialog->isVisible()) return;
      seen = true;
      if (!cancel) return;
      watcher.stop();
      QTest::mouseClick(dialog->findChild<QPushButton*>(), Qt::LeftButton);
    });
    watcher.start();
  }
  QTimer watcher;
  bool seen = false;
};

TEST_F(RenderProgressTest, CancelInALongSaveAsWritesNothingAndKeepsTheFormerFile) {
  // 60 s of stereo: its stretch takes seconds.
  Open("long.wav", PcmWave(Ramp(44100 * 60 * 4), 2, 44100));
  window.render = {44100 * 66, std::nullopt, false, true};
  const Bytes former = PcmWave(Ramp(40), 2, 44100);
  WriteBytes(dir / "out.wav", former);
  ChooseSave("out.wav");
  Watch(true);
  window.commands.SaveAs();
  EXPECT_TRUE(seen);
  EXPECT_EQ(ReadBytes(dir / "out.wav"), former);
  EXPECT_EQ(TakeLog(), QStringList{"save"});  // no message for a cancel
  EXPECT_TRUE(Released());
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"long.wav", "out.wav"}));

  // Mix To: the same window and the same end.
  WriteBytes(dir / "second.wav", PcmWave(Ramp(400), 2, 44100));
  ChooseOpen("second.wav");
  ChooseSave("mix.wav");
  Watch(true);
  window.commands.MixTo();
  EXPECT_TRUE(seen);
  EXPECT_EQ(TakeLog(), (QStringList{"open|Select a file to mix to", "save|Select a file to save the mix"}));
  EXPECT_TRUE(Released());
  EXPECT_FALSE(std::filesystem::exists(dir / "mix.wav"));
}

TEST_F(RenderProgressTest, AShortRenderShowsNoProgress) {
  Open("short.wav", PcmWave(Ramp(44100 * 4), 2, 44100));
  window.render = {48000, std::nullopt, false, true};
  ChooseSave("out.wav");
  Watch(false);
  window.commands.SaveAs();
  EXPECT_FALSE(seen);
  EXPECT_EQ(ReadBytes(dir / "out.wav").size(), 44u + 48000 * 4);
}

}  // namespace
}  // namespace tactoria::testing
