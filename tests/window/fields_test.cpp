// The tempo calculator, the new length, the phaser and the arrow labels beside them.
#include <QMessageBox>
#include <QTimer>

#include "window_fixture.h"

namespace tactoria::testing {
namespace {

using FieldsTest = LoopTest;
using ArrowsTest = LoopTest;

const QString kNotNumber = "Invalid numeric value.", kAboveZero = "Invalid. Value must be greater than 0.",
              kOverflow = "Invalid. The samples value has overflowed.";

TEST_F(FieldsTest, BarsBeatsLengthAndTempoSetTheFigures) {
  Retype("TxtBars", "2");
  EXPECT_EQ(Texts("TxtOrgBpm TxtNewBpm TxtTotal TxtSpSamp"), "240 240 8 11025");
  Retype("TxtBeats", "2.5");
  EXPECT_EQ(Texts("TxtTotal TxtNewBpm"), "5 150");
  Retype("TxtNewSamp", "44100");  // 5 beats in a second
  EXPECT_EQ(Texts("TxtNewBytes TxtNewBpm TxtSpSamp TxtSpBytes"), "176400 300 8820 35280");
  dialogs.inputs = {QString("133")};
  Mouse(QTest::MouseClick, "LblEditBpm");
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].title + "|" + dialogs.shown[0].text, "New Bpm|Enter new bpm value.|300");
  EXPECT_EQ(Texts("TxtNewSamp TxtNewBpm"), "99474 132.9996");
  // Without a new length the beats recalculate nothing.
  Field("TxtNewSamp")->clear();
  Retype("TxtBeats", "2");
  EXPECT_EQ(Texts("TxtTotal TxtNewBpm"), "5 132.9996");
  EXPECT_TRUE(TakeMessages().isEmpty());
}

TEST_F(FieldsTest, RejectedInputShowsOneMessageThenTheCorrectedText) {
  Paste("TxtNewSamp", "800");  // the phaser's bound is 100
  Check("ChkPhaser")->click();
  // The field (then other fields to check), its text before, the text typed at its end, pasted over
  // it or entered in the tempo input box ("" for Cancel), the message, the texts afterwards.
  enum How { kTyped, kPasted, kTempo };
  const std::tuple<QString, QString, QString, How, QString, QString> cases[] = {
      {"TxtBeats", "4", "x", kTyped, kNotNumber, "4"},
      {"TxtBars TxtOrgBpm", "1", "5000", kPasted, "Invalid value. Cannot be greater than 4096.",
       "4096 491520"},
      {"TxtBeats", "4", "33", kPasted, "Invalid value. Cannot be greater than 32.", "32"},
      {"TxtBars", "1", "-1", kPasted, "Invalid value. Must be greater than 0.", "4"},
      {"TxtBeats", "4", "-1", kPasted, "Invalid value. Must be greater than 0.", "4"},
      {"TxtBars", "3", "3ab", kPasted, kNotNumber, "3"},  // several bad characters: the last accepted text
      {"LblPhaser", "", "101", kTyped, "Invalid. Value cannot be greater than the (samples / 8).", "100"},
      {"LblPhaser", "", "12x", kTyped, kNotNumber, "12"},
      {"LblPhaser", "", "0", kTyped, kAboveZero, "1"},
      {"LblPhaser", "2", "0.5", kPasted, kAboveZero, "1"},
      {"TxtNewSamp", "500", "x", kTyped, kNotNumber, "500"},
      {"TxtNewSamp TxtNewBytes", "", "0", kTyped, kAboveZero, "1 2000"},  // the figures of 500 stay
      {"TxtNewSamp", "1", "3000000000", kPasted, kOverflow, "2147483647"},
      {"TxtNewSamp", "500", "", kTempo, "", "500"},
      {"TxtNewSamp", "500", "abc", kTempo, kNotNumber, "500"},
      {"TxtNewSamp", "500", "-5", kTempo, kAboveZero, "500"},
      {"TxtNewSamp", "500", "0.0001", kTempo, kOverflow, "2147483647"},
      {"TxtNewSamp", "500", "1e300", kTempo, kAboveZero, "1"},  // beyond float range: no frames at all
  };
  for (const auto& [names, start, entered, how, message, after] : cases) {
    SCOPED_TRACE((names + " " + entered).toStdString());
    const QString field = names.section(' ', 0, 0);
    Paste(field, start);
    TakeMessages();
    if (how == kTyped) QTest::keyClicks(Field(field), entered);
    if (how == kPasted) Paste(field, entered);
    if (how == kTempo) {
      dialogs.inputs = {entered.isEmpty() ? std::nullopt : std::optional(entered)};
      window->LblEditBpm_Click();
    }
    const bool overflow = message == kOverflow;
    ASSERT_EQ(dialogs.Messages().size(), message.isEmpty() ? 0u : 1u);
    for (const auto& s : dialogs.Messages()) {
      EXPECT_EQ(s.title + "|" + s.text, (overflow ? "Error: Overflow|" : "Invalid Value|") + message);
      EXPECT_EQ(s.icon, overflow ? MessageIcon::Information : MessageIcon::Exclamation);
    }
    EXPECT_EQ(Texts(names), after);
    EXPECT_EQ(Field(field)->cursorPosition(), Text(field).size());
  }
}

TEST_F(FieldsTest, RenderSettingsFollowTheFields) {
  const auto render = [&] {
    const RenderSettings r = window->CurrentRenderSettings();
    return QString::number(r.newFrames.value_or(-1)) + " " + QString::number(r.phaserValue.value_or(-1)) +
           (r.reverse ? " R" : "");
  };
  Check("ChkPhaser")->click();
  Retype("LblPhaser", "12");
  EXPECT_EQ(render(), "-1 12");  // the original length is no new length
  // Emptied while editing: the last valid value. A changed length is read as whole frames.
  Field("LblPhaser")->clear();
  Paste("TxtNewSamp", "44100.5");
  Check("ChkReverse")->click();
  EXPECT_EQ(render(), "44100 12 R");
  // Unchecked, the row is locked and keeps its value, and a render has no phaser.
  Paste("LblPhaser", "7");
  Check("ChkPhaser")->click();
  EXPECT_FALSE(Field("LblPhaser")->isEnabled() || Label("LblMinus2")->isEnabled());
  EXPECT_EQ(Text("LblPhaser") + " " + render(), "7 44100 -1 R");
}

TEST_F(ArrowsTest, ClicksStepTheirFieldUpToTheLimits) {
  // The arrow ("Minus": more frames, slower), a click or a double click (two steps), the length and
  // the message after it.
  Paste("TxtNewSamp", "2");
  const std::tuple<const char*, QTest::MouseAction, QString, QString> clicks[] = {
      {"LblMinus1", QTest::MouseClick, "3", ""}, {"LblPlus1", QTest::MouseClick, "2", ""},
      {"LblPlus0", QTest::MouseDClick, "4", ""}, {"LblMinus0", QTest::MouseDClick, "2", ""},
      {"LblMinus0", QTest::MouseClick, "1", ""}, {"LblMinus0", QTest::MouseClick, "1", kAboveZero},
  };
  for (const auto& [label, action, after, message] : clicks) {
    Mouse(action, label);
    EXPECT_EQ(Text("TxtNewSamp") + "|" + TakeMessages().join(""), after + "|" + message) << label;
  }
  Field("TxtNewSamp")->clear();  // an empty field: the arrows do nothing
  Mouse(QTest::MouseClick, "LblPlus0");
  EXPECT_EQ(Text("TxtNewSamp") + TakeMessages().join(""), "");
  // The phaser's bound is kept when a longer length is lowered; up from it is refused.
  Check("ChkPhaser")->click();
  Paste("TxtNewSamp", "8821");
  Paste("LblPhaser", "5000");
  EXPECT_EQ(Text("LblPhaser"), "1102.625");
  Mouse(QTest::MouseClick, "LblPlus2");
  Mouse(QTest::MouseClick, "LblMinus2");
  EXPECT_EQ(Text("LblPhaser"), "1101.625");  // the refused step changed nothing
  EXPECT_EQ(TakeMessages(), QStringList(2, "Invalid. Value cannot be greater than the (samples / 8)."));
}

TEST_F(ArrowsTest, HoldRepeatsUntilReleasedAndStopsAtTheFirstRejectedValue) {
  // Ctrl: 16 per pass, then one more step for the click of the release.
  Paste("TxtNewSamp", "100");
  Mouse(QTest::MousePress, "LblPlus0", Qt::ControlModifier);
  EXPECT_TRUE(QTest::qWaitFor([&] { return Text("TxtNewSamp").toInt() >= 164; }, 2000));
  Mouse(QTest::MouseRelease, "LblPlus0");
  const int held = Text("TxtNewSamp").toInt();
  EXPECT_EQ((held - 101) % 16, 0) << held;
  // The hold is over; a plain press repeats nothing, its click steps once.
  Mouse(QTest::MousePress, "LblPlus0");
  QTest::qWait(30);
  EXPECT_EQ(Text("TxtNewSamp").toInt(), held);
  Mouse(QTest::MouseRelease, "LblPlus0");
  EXPECT_EQ(Text("TxtNewSamp").toInt(), held + 1);
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
  EXPECT_EQ(TakeMessages(), QStringList{kAboveZero});  // the only message of the whole test
  EXPECT_EQ(Text("TxtNewSamp"), "1");
  EXPECT_FALSE(window->HoldRunning(false, 0));
  EXPECT_EQ(QGuiApplication::mouseButtons(), Qt::NoButton);
}

}  // namespace
}  // namespace tactoria::testing
