// The new length: typing it, the tempo input box, the arrows and their hold repeat.
#include <QMessageBox>
#include <QPalette>
#include <QTimer>

#include "app/qt_user_dialogs.h"

#include "window_fixture.h"

namespace tactoria::testing {
namespace {

class NewLengthTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Open(WriteWave("loop.wav", 88200));
    dialogs.Clear();
  }
  QString Tag(const char* label) const { return Label(label)->Tag(); }
};

TEST_F(NewLengthTest, TypedLengthsAndTemposSetTheDerivedFields) {
  Retype("TxtNewSamp", "44100");
  EXPECT_EQ(Text("TxtNewBytes"), "176400");
  EXPECT_EQ(Text("TxtNewBpm"), "240");
  EXPECT_EQ(Text("TxtSpSamp"), "11025");
  EXPECT_EQ(Text("TxtSpBytes"), "44100");

  Paste("TxtNewSamp", "100.5");
  EXPECT_EQ(Text("TxtNewBytes"), "402");
  EXPECT_EQ(Text("TxtNewBpm"), "105840");  // from 100 frames: halves round to even

  dialogs.inputs = {QString("133")};
  Mouse(QTest::MouseClick, "LblEditBpm");
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].title, "New Bpm");
  EXPECT_EQ(dialogs.shown[0].text, "Enter new bpm value.|105840");
  EXPECT_EQ(Text("TxtNewSamp"), "79579");
  EXPECT_EQ(Text("TxtNewBpm"), "132.9999");
  EXPECT_EQ(Label("LblEditBpm")->palette().color(QPalette::WindowText), QColor(0, 0, 255));
  EXPECT_TRUE(TakeMessages().isEmpty());
}

TEST_F(NewLengthTest, RejectedTemposAndLengthsShowTheirMessages) {
  dialogs.inputs = {std::nullopt, QString("abc"), QString("-5"), QString("0.0001")};
  for (int i = 0; i < 4; ++i) window->LblEditBpm_Click();
  EXPECT_EQ(TakeMessages(), (QStringList{"Invalid numeric value.", "Invalid. Value must be greater than 0.",
                                         "Invalid. The samples value has overflowed."}));
  EXPECT_EQ(Text("TxtNewSamp"), "2147483647");
  dialogs.inputs = {QString("1e300")};  // beyond float range: no frames at all
  window->LblEditBpm_Click();
  EXPECT_EQ(TakeMessages(), QStringList{"Invalid. Value must be greater than 0."});
  EXPECT_EQ(Text("TxtNewSamp"), "1");

  Paste("TxtNewSamp", "88200");
  Retype("TxtNewSamp", "0");
  EXPECT_EQ(TakeMessages(), QStringList{"Invalid. Value must be greater than 0."});
  EXPECT_EQ(Text("TxtNewSamp"), "1");
  EXPECT_EQ(Text("TxtNewBytes"), "352800");  // the figures of the length accepted before
  EXPECT_EQ(Text("TxtNewBpm"), "120");

  Paste("TxtNewSamp", "3000000000");
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_EQ(dialogs.Messages()[0].title, "Error: Overflow");
  EXPECT_EQ(dialogs.Messages()[0].icon, MessageIcon::Information);
  EXPECT_EQ(Text("TxtNewSamp"), "2147483647");
  TakeMessages();

  Paste("TxtNewSamp", "500");
  QTest::keyClicks(Field("TxtNewSamp"), "x");
  EXPECT_EQ(TakeMessages(), QStringList{"Invalid numeric value."});
  EXPECT_EQ(Text("TxtNewSamp"), "500");
  EXPECT_FALSE(window->InternalChange());
}

TEST_F(NewLengthTest, ArrowClicksStepTheLength) {
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
}

TEST_F(NewLengthTest, HoldRepeatsUntilReleasedAndStopsAtTheFirstRejectedValue) {
  // Shift: 1 per pass, down into 0: one message, "1", and the repeat is over.
  Paste("TxtNewSamp", "6");
  Mouse(QTest::MousePress, "LblMinus0", Qt::ShiftModifier);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !dialogs.Messages().empty(); }, 2000));
  QTest::qWait(20);
  Mouse(QTest::MouseRelease, "LblMinus0");
  EXPECT_EQ(TakeMessages(), QStringList{"Invalid. Value must be greater than 0."});
  EXPECT_EQ(Text("TxtNewSamp"), "1");
  EXPECT_EQ(Tag("LblMinus0"), "0");

  // Ctrl: 16 per pass, then one more step for the click of the release.
  Paste("TxtNewSamp", "100");
  Mouse(QTest::MousePress, "LblPlus0", Qt::ControlModifier);
  EXPECT_EQ(Tag("LblPlus0"), "1");
  EXPECT_TRUE(QTest::qWaitFor([&] { return Text("TxtNewSamp").toInt() >= 164; }, 2000));
  Mouse(QTest::MouseRelease, "LblPlus0");
  const int held = Text("TxtNewSamp").toInt();
  EXPECT_EQ((held - 101) % 16, 0) << held;
  QTest::qWait(20);
  EXPECT_EQ(Text("TxtNewSamp").toInt(), held);

  // A plain press only changes the look; the click steps once.
  Mouse(QTest::MousePress, "LblPlus0");
  QTest::qWait(20);
  EXPECT_EQ(Text("TxtNewSamp").toInt(), held);
  EXPECT_EQ(Label("LblPlus0")->palette().color(QPalette::Window), QColor(Qt::white));
  Mouse(QTest::MouseRelease, "LblPlus0");
  EXPECT_EQ(Text("TxtNewSamp").toInt(), held + 1);
  EXPECT_EQ(Label("LblPlus0")->palette().color(QPalette::Window), QColor(64, 64, 64));

  // A release the label never sees (a modal window took it) still ends the hold.
  Mouse(QTest::MousePress, "LblMinus1", Qt::ShiftModifier);
  QWidget modal;
  modal.setWindowModality(Qt::ApplicationModal);
  modal.show();
  Mouse(QTest::MouseRelease, "LblMinus1");
  QTest::qWait(20);
  const QString after = Text("TxtNewSamp");
  QTest::qWait(20);
  EXPECT_EQ(Text("TxtNewSamp"), after);
  EXPECT_EQ(Tag("LblMinus1"), "0");
  EXPECT_TRUE(TakeMessages().isEmpty());
}

// Real message boxes, recorded as well.
class ShownDialogs : public ScriptedDialogs {
 public:
  void Message(QWidget* parent, const QString& title, const QString& text, MessageIcon icon) override {
    ScriptedDialogs::Message(parent, title, text, icon);
    real_.Message(parent, title, text, icon);
  }

 private:
  QtUserDialogs real_;
};

TEST_F(NewLengthTest, AMessageBoxTakesTheReleaseAndTheHoldEndsWithIt) {
  ShownDialogs shown;
  window = std::make_unique<FrmMain>(shown, settings);
  window->show();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  const QFileInfo file(WriteWave("loop.wav", 88200));
  shown.openChoices.push_back(UserDialogs::FileChoice{file.absolutePath(), file.fileName()});
  window->MnuOpenWave_Click();
  Paste("TxtNewSamp", "4");

  // While the box is up the user lets go of the button (the box's modality takes the release),
  // then presses OK.
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      Mouse(QTest::MouseRelease, "LblMinus0");
      box->accept();
    }
  });
  answer.start(5);
  Mouse(QTest::MousePress, "LblMinus0", Qt::ShiftModifier);
  QTest::qWait(50);
  EXPECT_EQ(shown.Messages().size(), 1u);
  EXPECT_EQ(Text("TxtNewSamp"), "1");
  EXPECT_EQ(Label("LblMinus0")->Tag(), "0");
  EXPECT_EQ(QGuiApplication::mouseButtons(), Qt::NoButton);
}

}  // namespace
}  // namespace tactoria::testing
