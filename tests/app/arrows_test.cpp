// The arrow labels: clicks, double clicks and the hold repeat.
#include <QMessageBox>
#include <QPalette>
#include <QTimer>

#include "window_fixture.h"

namespace tactoria::testing {
namespace {

using ArrowsTest = LoopTest;

TEST_F(ArrowsTest, ClicksStepTheirFieldUpToTheLimits) {
  Paste("TxtNewSamp", "100");
  Mouse(QTest::MouseClick, "LblMinus1");  // more frames, slower
  EXPECT_EQ(Text("TxtNewSamp"), "101");
  Mouse(QTest::MouseClick, "LblPlus1");
  Mouse(QTest::MouseClick, "LblPlus1");
  EXPECT_EQ(Text("TxtNewSamp"), "99");
  Mouse(QTest::MouseDClick, "LblPlus0");  // a click and a double click
  EXPECT_EQ(Text("TxtNewSamp"), "101");

  Paste("TxtNewSamp", "1");
  Mouse(QTest::MouseClick, "LblMinus0");
  EXPECT_EQ(TakeMessages(), QStringList{"Invalid. Value must be greater than 0."});
  EXPECT_EQ(Text("TxtNewSamp"), "1");
  Field("TxtNewSamp")->clear();  // an empty field: the arrows do nothing
  Mouse(QTest::MouseClick, "LblPlus0");
  EXPECT_EQ(Text("TxtNewSamp"), "");
  EXPECT_TRUE(TakeMessages().isEmpty());

  // The phaser's bound is kept when a longer length is lowered; up from it is refused.
  Check("ChkPhaser")->click();
  Paste("TxtNewSamp", "8821");
  Paste("LblPhaser", "5000");
  EXPECT_EQ(Text("LblPhaser"), "1102.625");
  Mouse(QTest::MouseClick, "LblPlus2");
  EXPECT_EQ(Text("LblPhaser"), "1102.625");
  Mouse(QTest::MouseClick, "LblMinus2");
  EXPECT_EQ(Text("LblPhaser"), "1101.625");
  EXPECT_EQ(TakeMessages(), QStringList(2, "Invalid. Value cannot be greater than the (samples / 8)."));
  EXPECT_FALSE(window->InternalChange());
}

TEST_F(ArrowsTest, HoldRepeatsUntilReleasedAndStopsAtTheFirstRejectedValue) {
  // Ctrl: 16 per pass, then one more step for the click of the release.
  Paste("TxtNewSamp", "100");
  Mouse(QTest::MousePress, "LblPlus0", Qt::ControlModifier);
  EXPECT_TRUE(window->HoldRunning(true, 0));
  EXPECT_TRUE(QTest::qWaitFor([&] { return Text("TxtNewSamp").toInt() >= 164; }, 2000));
  Mouse(QTest::MouseRelease, "LblPlus0");
  const int held = Text("TxtNewSamp").toInt();
  EXPECT_EQ((held - 101) % 16, 0) << held;
  QTest::qWait(20);
  EXPECT_EQ(Text("TxtNewSamp").toInt(), held);
  EXPECT_FALSE(window->HoldRunning(true, 0));

  // A plain press only changes the look; the click steps once.
  Mouse(QTest::MousePress, "LblPlus0");
  QTest::qWait(20);
  EXPECT_EQ(Text("TxtNewSamp").toInt(), held);
  EXPECT_EQ(Label("LblPlus0")->palette().color(QPalette::Window), QColor(Qt::white));
  Mouse(QTest::MouseRelease, "LblPlus0");
  EXPECT_EQ(Text("TxtNewSamp").toInt(), held + 1);
  EXPECT_EQ(Label("LblPlus0")->palette().color(QPalette::Window), QColor(64, 64, 64));
  EXPECT_TRUE(TakeMessages().isEmpty());

  // Shift: 1 per pass, down into 0. The real message box takes the release while it is up; then
  // the user presses OK. One message, "1", and the hold is over.
  dialogs.realBoxes = true;
  Paste("TxtNewSamp", "4");
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      Mouse(QTest::MouseRelease, "LblMinus0");
      box->accept();
    }
  });
  answer.start(5);
  Mouse(QTest::MousePress, "LblMinus0", Qt::ShiftModifier);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !dialogs.Messages().empty(); }, 2000));
  QTest::qWait(30);
  EXPECT_EQ(TakeMessages(), QStringList{"Invalid. Value must be greater than 0."});
  EXPECT_EQ(Text("TxtNewSamp"), "1");
  EXPECT_FALSE(window->HoldRunning(false, 0));
  EXPECT_EQ(QGuiApplication::mouseButtons(), Qt::NoButton);
}

}  // namespace
}  // namespace tactoria::testing
