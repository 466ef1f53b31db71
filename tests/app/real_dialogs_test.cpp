// The Qt dialogs themselves, answered by keys.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>

#include "app/frm_progress.h"
#include "app/qt_user_dialogs.h"
#include "window_fixture.h"

namespace tactoria::testing {
namespace {

// Runs `answer` on the first modal dialog that comes up.
void WhenModal(std::function<void(QWidget*)> answer) {
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [poll, answer] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      poll->stop();
      poll->deleteLater();
      answer(modal);
    }
  });
  poll->start(10);
}

TEST(RealDialogsTest, OpenFindsANameTypedWithoutItsExtension) {
  TempDir dir;
  WriteBytes(dir / "loop.wav", PcmWave(Ramp(8)));
  const QString folder = QString::fromStdString(dir.path().string());
  WhenModal([](QWidget* dialog) {
    auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    // Refused ("File not found" over the dialog): close whatever is still up.
    auto* sweep = new QTimer(dialog);
    QObject::connect(sweep, &QTimer::timeout, [] {
      if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) modal->reject();
    });
    sweep->start(20);
    QTest::keyClicks(name, "loop");
    QTest::keyClick(name, Qt::Key_Return);
  });
  const auto choice = QtUserDialogs().ChooseOpenFile(nullptr, "Open wave file", folder, "Wave Files (*.wav)");
  ASSERT_TRUE(choice.has_value());
  EXPECT_EQ(choice->folder + "/" + choice->fileName, folder + "/loop.wav");
}

TEST(RealDialogsTest, ABoxOwnedByTheSpanProgressLeavesItsLabelAndBarInView) {
  FrmProgress progress;
  progress.SetLabel("Processing beat: 3");
  progress.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&progress));
  QRect box;
  WhenModal([&](QWidget* dialog) {
    box = dialog->frameGeometry();
    QTest::keyClick(dialog, Qt::Key_Escape);
  });
  QtUserDialogs().Question(&progress, "File Already Exists", "beat[3].wav exists.", true);
  ASSERT_FALSE(box.isNull());
  for (const QWidget* w : std::initializer_list<const QWidget*>{progress.LblProg(), progress.Progbar()})
    EXPECT_FALSE(box.intersects(QRect(w->mapToGlobal(QPoint(0, 0)), w->size())));
}

}  // namespace
}  // namespace tactoria::testing
