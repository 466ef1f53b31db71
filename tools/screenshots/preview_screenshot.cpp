// Draws the screen with the main window, centred as the program shows it, and the Preview where it
// opens beside it, into one PNG for the README:
//   xvfb-run -a -s "-screen 0 1280x800x24 -dpi 96" preview_screenshot docs/preview.png
// Not a test: the loop is made here and the dialogs are answered by the tool.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <cmath>
#include <random>

#include "preview/preview_window.h"
#include "support/riff_builder.h"
#include "support/scripted_dialogs.h"
#include "window/frm_main.h"

namespace {

// Two bars of a simple beat at 120 bpm: kick on 1 and 3, snare on 2 and 4, hats in between.
tactoria::testing::Bytes DrumLoop() {
  constexpr int kRate = 44100;
  constexpr int kFrames = kRate * 4;
  std::mt19937 random(5);
  std::uniform_real_distribution<double> noise(-1, 1);
  tactoria::testing::Bytes data;
  for (int i = 0; i < kFrames; ++i) {
    const int beat = i / (kRate / 2);
    const double t = static_cast<double>(i % (kRate / 2)) / kRate;
    const double eighth = static_cast<double>(i % (kRate / 4)) / kRate;
    double v = 0.04 * noise(random) * std::exp(-eighth * 60);
    if (beat % 2 == 0)
      v += 0.9 * std::sin(2 * M_PI * (55 + 90 * std::exp(-t * 30)) * t) * std::exp(-t * 9);
    else
      v += 0.5 * noise(random) * std::exp(-t * 18);
    const auto s = static_cast<std::int16_t>(std::clamp(v, -1.0, 1.0) * 30000);
    for (int c = 0; c < 2; ++c) tactoria::testing::AppendLe(data, static_cast<std::uint16_t>(s), 2);
  }
  return data;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  if (argc != 2) {
    qWarning("usage: preview_screenshot OUTPUT.png");
    return 2;
  }
  using namespace tactoria;
  using namespace tactoria::testing;
  // make_screenshots.sh names a private sound server (nothing is played); without one the
  // picture shows the Preview without a sound output.
  if (!qEnvironmentVariableIsSet("PULSE_SERVER")) qputenv("PULSE_SERVER", "unix:/nonexistent");

  const QString folder = QDir::temp().filePath(QStringLiteral("tactoria-preview-demo"));
  QDir().mkpath(folder);
  WriteBytes((folder + "/beat_120bpm.wav").toStdString(), PcmWave(DrumLoop()));

  ScriptedDialogs dialogs;
  MemorySettings settings;
  FrmMain window(dialogs, settings);
  window.show();
  const QRect screen = window.screen()->availableGeometry();
  QRect frame = window.frameGeometry();
  frame.moveCenter(screen.center());
  window.move(frame.topLeft());
  if (!QTest::qWaitForWindowExposed(&window)) return 1;
  dialogs.openChoices.push_back(UserDialogs::FileChoice{folder, QStringLiteral("beat_120bpm.wav")});
  window.MnuOpenWave_Click();
  window.findChild<QLineEdit*>(QStringLiteral("TxtBars"))->setText(QStringLiteral("2"));
  dialogs.inputs.push_back(QStringLiteral("100"));
  window.LblEditBpm_Click();
  window.MnuPreview_Click();
  PreviewWindow* preview = window.Preview();
  if (!QTest::qWaitForWindowExposed(preview)) return 1;
  QTest::qWait(300);

  QImage shot(window.screen()->geometry().size(), QImage::Format_RGB32);
  shot.fill(QColor(0x50, 0x55, 0x5e));
  QPainter painter(&shot);
  painter.drawPixmap(window.pos(), window.grab());
  painter.drawPixmap(preview->pos(), preview->grab());
  painter.end();
  QDir(folder).removeRecursively();
  if (!shot.save(QString::fromLocal8Bit(argv[1]))) return 1;
  return dialogs.Messages().empty() ? 0 : 1;
}
