// Edit > Undo and Redo in the main window: a Shuffle given back byte for byte, the text fields'
// own Ctrl+Z left to them, a new file starting with an empty history.
#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QUndoStack>

#include "output/frm_shuffle.h"
#include "window_fixture.h"

namespace tactoria {
namespace {

using testing::Bytes;

class UndoTest : public testing::LoopTest {
 protected:
  Bytes Data() const { return testing::ToBytes(window->CurrentWave()->Item(window->DataIndex()).bytes()); }
  // Tools > Shuffle, moving the first beat down once, then Apply.
  void ShuffleFirstBeatDown() {
    QTimer::singleShot(0, window.get(), [] {
      auto* dialog = qobject_cast<FrmShuffle*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      dialog->LstShuffle()->clearSelection();
      dialog->LstShuffle()->item(0)->setSelected(true);
      QTest::mouseClick(dialog->LblDown(), Qt::LeftButton);
      dialog->CmdOK()->click();
    });
    window->MnuShuffle_Click();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));  // handed back by the dialog
  }
  void Key(QWidget* target, Qt::KeyboardModifiers keys) { QTest::keyClick(target, Qt::Key_Z, keys); }
};

TEST_F(UndoTest, ShuffleIsUndoneByteForByteWhileFieldsKeepTheirOwnUndo) {
  const Bytes before = Data();
  ShuffleFirstBeatDown();
  const Bytes after = Data();
  ASSERT_NE(after, before);
  auto* undo = window->findChild<QAction*>("MnuUndo");
  EXPECT_EQ(undo->text(), "Undo Shuffle");

  // Ctrl+Z in a field that takes typing undoes its text, not the Shuffle.
  QLineEdit* bars = Field("TxtBars");
  bars->setFocus();
  QTest::keyClick(bars, Qt::Key_End);
  QTest::keyClicks(bars, "2");
  EXPECT_EQ(bars->text(), "12");
  Key(bars, Qt::ControlModifier);
  EXPECT_EQ(bars->text(), "1");
  EXPECT_EQ(Data(), after);

  // Elsewhere in the window it undoes and redoes the Shuffle.
  Key(Field("TxtOrgSamp"), Qt::ControlModifier);
  EXPECT_EQ(Data(), before);
  Key(Field("TxtOrgSamp"), Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(Data(), after);
  Key(window.get(), Qt::ControlModifier);
  EXPECT_EQ(Data(), before);
  Key(window.get(), Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(Data(), after);

  // Another file: nothing of the former one is left to undo.
  Open(WriteWave("other.wav", 4000));
  EXPECT_FALSE(undo->isEnabled());
  EXPECT_FALSE(window->UndoStack()->canRedo());
}

}  // namespace
}  // namespace tactoria
