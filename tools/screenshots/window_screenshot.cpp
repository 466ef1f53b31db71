// Draws the main window with a file open into a PNG, for the README:
//   xvfb-run -a app_screenshot docs/window.png
// or, with --walkthrough, the pictures of the README's walkthrough into a folder
// (walkthrough_shots.cpp):
//   xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" app_screenshot --walkthrough docs
// or, with --about, the About box:
//   xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" app_screenshot --about docs/about.png
// or, with --export-slices, the Export Slices dialog with the choices a musician makes for a sampler:
//   xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" app_screenshot --export-slices docs/export-slices.png
// Not a test: the files are made here, and the dialogs are answered by the tool.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QTest>

#include "output/frm_export_slices.h"
#include "support/riff_builder.h"
#include "support/scripted_dialogs.h"
#include "window/frm_about.h"
#include "window/frm_main.h"

namespace tactoria::testing {
int RunWalkthrough(const QString& docs);
}

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  if (argc == 3 && QString::fromLocal8Bit(argv[1]) == QLatin1String("--walkthrough"))
    return tactoria::testing::RunWalkthrough(QString::fromLocal8Bit(argv[2]));
  if (argc == 3 && QString::fromLocal8Bit(argv[1]) == QLatin1String("--about")) {
    tactoria::FrmAbout about;
    about.show();
    if (!QTest::qWaitForWindowExposed(&about)) return 1;
    QTest::qWait(100);
    return about.grab().save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
  }
  if (argc == 3 && QString::fromLocal8Bit(argv[1]) == QLatin1String("--export-slices")) {
    tactoria::SliceExportChoices choices;
    choices.snap = true;
    choices.sfz = true;
    choices.sf2 = true;
    choices.midi = true;
    tactoria::FrmExportSlices dialog(choices, std::nullopt);
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog)) return 1;
    QTest::qWait(100);
    return dialog.grab().save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
  }
  if (argc != 2) {
    qWarning(
        "usage: app_screenshot OUTPUT.png | app_screenshot --walkthrough FOLDER | app_screenshot --about "
        "OUTPUT.png | app_screenshot --export-slices OUTPUT.png");
    return 2;
  }
  using namespace tactoria;
  using namespace tactoria::testing;

  const QString folder = QDir::temp().filePath(QStringLiteral("tactoria-demo/loops"));
  QDir().mkpath(folder);
  const QString path = folder + QStringLiteral("/break_120bpm.wav");
  WriteBytes(path.toStdString(), PcmWave(Ramp(88200 * 4)));

  ScriptedDialogs dialogs;
  MemorySettings settings;
  FrmMain window(dialogs, settings);
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return 1;

  dialogs.openChoices.push_back(UserDialogs::FileChoice{folder, QStringLiteral("break_120bpm.wav")});
  window.MnuOpenWave_Click();
  window.findChild<QLineEdit*>(QStringLiteral("TxtBars"))->setText(QStringLiteral("2"));
  dialogs.inputs.push_back(QStringLiteral("236"));
  window.LblEditBpm_Click();
  window.findChild<QCheckBox*>(QStringLiteral("ChkPhaser"))->setChecked(true);
  window.findChild<QLineEdit*>(QStringLiteral("LblPhaser"))->setText(QStringLiteral("16"));
  QTest::qWait(100);

  if (!window.grab().save(QString::fromLocal8Bit(argv[1]))) return 1;
  QDir(folder).removeRecursively();
  return dialogs.Messages().empty() ? 0 : 1;
}
