// File > Export Slices...: Ctrl+Shift+E in the main window (also from a text field) and in the Preview, and
// the slices as the Preview shapes them.
#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "output/frm_export_slices.h"
#include "preview/preview_slices.h"
#include "preview/preview_window.h"
#include "window_fixture.h"

namespace tactoria::testing {
namespace {

using ExportSlicesWindowTest = WindowTest;

TEST_F(ExportSlicesWindowTest, CtrlShiftECutsAtTheMarkersAddedInThePreview) {
  WriteBytes(dir / "quiet.wav", PcmWave(Bytes(88200 * 4)));  // silence: no hits found
  Open(QString::fromStdString(dir / "quiet.wav"));
  window->MnuPreview_Click();
  PreviewWindow* preview = window->Preview();
  QTRY_VERIFY_WITH_TIMEOUT(!preview->Busy() && preview->Sound(), 10000);
  preview->findChild<QComboBox*>("SliceMode")->setCurrentIndex(1);  // Hits
  ASSERT_TRUE(preview->Slices().State().markers.empty());
  preview->Slices().AddMarker(20000);
  preview->Slices().AddMarker(50000);

  // Back to the main window, the Preview still open, the focus in a text field.
  window->activateWindow();
  QTRY_COMPARE(QApplication::activeWindow(), window.get());
  Field("TxtBars")->setFocus();
  bool shown = false;
  QTimer::singleShot(0, window.get(), [&] {
    auto* d = qobject_cast<FrmExportSlices*>(QApplication::activeModalWidget());
    ASSERT_NE(d, nullptr);
    shown = true;
    EXPECT_TRUE(d->findChild<QRadioButton*>("OptHits")->isChecked());
    EXPECT_EQ(d->findChild<QLabel*>("LblCut")->text(), "The 2 markers edited in the Preview.");
    d->findChild<QDoubleSpinBox*>("TxtFadeIn")->setValue(0);
    d->findChild<QDoubleSpinBox*>("TxtFadeOut")->setValue(0);
    d->findChild<QPushButton*>("CmdExport")->click();
  });
  dialogs.saveChoices.push_back(
      UserDialogs::FileChoice{QString::fromStdString(dir.path().string()), "cut.wav"});
  QTest::keyClick(Field("TxtBars"), Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(shown);
  std::vector<std::size_t> sizes;
  for (const char* name : {"cut[1].wav", "cut[2].wav", "cut[3].wav"})
    sizes.push_back(ReadBytes(dir / name).size());
  EXPECT_EQ(sizes, (std::vector<std::size_t>{44 + 20000 * 4, 44 + 30000 * 4, 44 + 38200 * 4}));
  EXPECT_EQ(dir.Names().size(), 4u);
  EXPECT_EQ(settings.Value("ExportSlices", "FadeIn"), "0");
}

TEST_F(ExportSlicesWindowTest, CtrlShiftEWorksInThePreviewWhereTheMarkersAreEdited) {
  WriteBytes(dir / "quiet.wav", PcmWave(Bytes(88200 * 4)));
  Open(QString::fromStdString(dir / "quiet.wav"));
  window->MnuPreview_Click();
  PreviewWindow* preview = window->Preview();
  QTRY_COMPARE(QApplication::activeWindow(), preview);
  bool shown = false;
  QTimer::singleShot(0, window.get(), [&] {
    auto* d = qobject_cast<FrmExportSlices*>(QApplication::activeModalWidget());
    ASSERT_NE(d, nullptr);
    shown = true;
    d->reject();
  });
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(shown);
}

}  // namespace
}  // namespace tactoria::testing
