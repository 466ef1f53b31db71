// Leaving a field, with the window active and as a session without a window manager meets it
// (nothing re-activates the window after a message box), and the menu commands that refuse a
// field that cannot be left.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <filesystem>

#include "window_fixture.h"

namespace tactoria::testing {
namespace {

class FocusTest : public LoopTest {
 protected:
  // Another window takes the activation, as a message box does, and nothing hands it back.
  void LoseActivation() {
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  }
  bool WindowHasFocusIn(const char* name) {
    return QTest::qWaitFor([&] { return QApplication::focusWidget() == Field(name); }, 1000);
  }
  // A real click on the "Reverse" check box.
  void ClickReverse() {
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {},
                      Check("ChkReverse")->mapTo(window.get(), QPoint(6, 6)));
  }
  QWidget other;
};

TEST_F(FocusTest, RefusedKeysAndLeavesRestoreTheFieldAndTheFocusComesBack) {
  Check("ChkPhaser")->click();
  Paste("TxtNewSamp", "100");
  // The field, its text, the key typed (no key: a click on "Reverse", which is no click while the
  // field cannot be left), the message, the text afterwards.
  const Qt::Key kClick = Qt::Key_unknown;
  const std::tuple<const char*, QString, Qt::Key, QString, QString> cases[] = {
      {"TxtBars", "", Qt::Key_Minus, "Invalid numeric value.", ""},
      {"TxtBars", "0", Qt::Key_Tab, "Invalid beat(s) value.", "1"},
      {"TxtBeats", "", Qt::Key_Backtab, "Invalid beat(s) value.", "4"},
      {"TxtNewSamp", "", Qt::Key_Tab, "Samples invalid.", "88200"},
      {"LblPhaser", "", Qt::Key_Tab, "Invalid phaser value.", "1"},
      {"TxtNewSamp", "", kClick, "Samples invalid.", "88200"},
      {"TxtBars", "2", Qt::Key_Tab, "", "2"},  // a valid text lets the focus go
  };
  // Inactive, keys and clicks still reach the window's focused field but move no real focus. A box
  // may take the activation with nothing handing it back; real Qt boxes are answered with Return.
  enum Mode { kActive, kInactive, kBoxTakesActivation, kRealBoxes };
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [] {
    if (QWidget* box = QApplication::activeModalWidget()) QTest::keyClick(box, Qt::Key_Return);
  });
  for (const Mode mode : {kActive, kInactive, kBoxTakesActivation, kRealBoxes}) {
    dialogs.realBoxes = mode == kRealBoxes;
    if (dialogs.realBoxes) answer.start(20);
    dialogs.whileShown = [&](const ScriptedDialogs::Shown&) {
      if (mode == kBoxTakesActivation) LoseActivation();
    };
    for (const auto& [name, text, key, message, restored] : cases) {
      SCOPED_TRACE(std::string(name) + " key " + std::to_string(key) + " in mode " + std::to_string(mode));
      QLineEdit* field = Field(name);
      window->activateWindow();
      field->setFocus();
      ASSERT_TRUE(WindowHasFocusIn(name));
      Retype(name, text);
      if (mode == kInactive) LoseActivation();
      ASSERT_EQ(window->focusWidget(), field);
      key == kClick ? ClickReverse() : QTest::keyClick(field, key);
      EXPECT_EQ(TakeMessages(), message.isEmpty() ? QStringList{} : QStringList{message});
      EXPECT_EQ(field->text(), restored);
      EXPECT_TRUE(message.isEmpty() ? window->focusWidget() != field : WindowHasFocusIn(name));
    }
  }
  EXPECT_EQ(Text("TxtNewBytes"), "352800");  // the restored length was recalculated
  EXPECT_FALSE(Check("ChkReverse")->isChecked());
  ClickReverse();  // only the refused clicks were eaten
  EXPECT_TRUE(Check("ChkReverse")->isChecked());
}

TEST_F(FocusTest, TheWindowsOwnDialogsHandTheFocusBackToo) {
  for (const char* command : {"MnuAbout", "MnuShuffle"}) {
    SCOPED_TRACE(command);
    window->activateWindow();
    Field("TxtBars")->setFocus();
    ASSERT_TRUE(WindowHasFocusIn("TxtBars"));
    bool shown = false;
    QTimer::singleShot(0, window.get(), [&] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      shown = true;
      LoseActivation();
      dialog->reject();
    });
    window->findChild<QAction*>(command)->trigger();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(WindowHasFocusIn("TxtBars"));
  }
}

TEST_F(FocusTest, CommandsRefuseAnEmptyFieldWithItsMessageAndWriteNothing) {
  // A menu command is a leave too. Unfocused, the field was left by a click on a label, which takes
  // no focus and validates nothing.
  const std::tuple<const char*, const char*, QString, QString> cases[] = {
      {"TxtNewSamp", "MnuSaveAsWave", "Samples invalid.", "88200"},
      {"TxtNewSamp", "MnuSpanAs", "Samples invalid.", "88200"},
      {"TxtNewSamp", "MnuExportSlices", "Samples invalid.", "88200"},
      {"TxtNewSamp", "MnuMixTo", "Samples invalid.", "88200"},
      {"TxtBars", "MnuShuffle", "Invalid beat(s) value.", "1"},
      {"TxtBars", "MnuOpenWave", "Invalid beat(s) value.", "1"},
  };
  for (const bool focused : {true, false}) {
    for (const auto& [name, command, message, restored] : cases) {
      SCOPED_TRACE(std::string(command) + (focused ? " focused" : " unfocused"));
      Field(name)->setFocus();
      Retype(name, "");
      if (!focused) Field("TxtBeats")->setFocus(), Paste(name, "");
      dialogs.Clear();
      window->findChild<QAction*>(command)->trigger();
      ASSERT_EQ(dialogs.shown.size(), 1u);  // no file dialog, no Shuffle
      EXPECT_EQ(dialogs.shown[0].title + "|" + dialogs.shown[0].text, "Invalid Value|" + message);
      EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Exclamation);
      EXPECT_EQ(Text(name), restored);
      EXPECT_TRUE(WindowHasFocusIn(name));
    }
  }
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"loop.wav"});
}

TEST_F(FocusTest, ALongRendersProgressWindowHandsTheFocusBack) {
  // 40 s kept in pitch at a new length: long enough for the progress window.
  Open(WriteWave("long.wav", 44100 * 40));
  window->SetKeepPitch(true);
  Retype("TxtNewSamp", QString::number(44100 * 41));
  Field("TxtBars")->setFocus();
  ASSERT_TRUE(WindowHasFocusIn("TxtBars"));
  bool seen = false;
  QTimer watcher;
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    auto* progress = window->findChild<QDialog*>("RenderProgress");
    if (progress && progress->isVisible()) seen = true;
  });
  watcher.start(20);
  dialogs.saveChoices.push_back(
      UserDialogs::FileChoice{QString::fromStdString(dir.path().string()), "out.wav"});
  window->findChild<QAction*>("MnuSaveAsWave")->trigger();
  EXPECT_TRUE(seen);
  EXPECT_TRUE(std::filesystem::exists(dir / "out.wav"));
  EXPECT_TRUE(WindowHasFocusIn("TxtBars"));
}

}  // namespace
}  // namespace tactoria::testing
