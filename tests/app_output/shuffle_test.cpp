#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/button_label.h"
#include "app/frm_shuffle.h"
#include "output_fixture.h"

namespace tactoria::testing {
namespace {

class ShuffleTest : public OutputTest {
 protected:
  // Opens 16-bit mono samples 0, 1, 2 ... in `beats` beats as the current file.
  void OpenSamples(int count, int beats) {
    std::vector<int> samples;
    for (int i = 0; i < count; ++i) samples.push_back(i);
    Open("loop.wav", Wave16(1, 8000, samples));
    window.beats = window.total = QString::number(beats);
  }
  // Runs the Shuffle command; `drive` works the dialog while it is up.
  void RunShuffle(const std::function<void(FrmShuffle&)>& drive) {
    QTimer timer;  // gone with this call, so a dialog that never opened leaves nothing pending
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<FrmShuffle*>(w); dialog && dialog->isVisible()) {
          drive(*dialog);
          if (dialog->isVisible()) dialog->reject();
        }
    });
    timer.start(0);
    window.commands.Shuffle();
  }
};

// The rows' beat numbers as the list shows them, selected rows marked '*', and "+" when Apply
// and Reset are enabled. The model must hold the same order.
QString State(FrmShuffle& d) {
  QString state;
  std::vector<int> order;
  for (int i = 0; i < d.LstShuffle()->count(); ++i) {
    order.push_back(d.LstShuffle()->item(i)->data(Qt::UserRole).toInt());
    state += (d.LstShuffle()->item(i)->isSelected() ? "*" : "") + QString::number(order.back()) + " ";
  }
  EXPECT_EQ(std::vector<int>(d.Rows().order.begin(), d.Rows().order.end()), order);
  EXPECT_EQ(d.CmdOK()->isEnabled(), d.CmdReset()->isEnabled());
  return state + (d.CmdOK()->isEnabled() ? "+" : "-");
}
// Selects `rows` and clicks `label`.
void Move(FrmShuffle& d, const std::vector<int>& rows, QWidget* label) {
  d.LstShuffle()->clearSelection();
  for (int r : rows) d.LstShuffle()->item(r)->setSelected(true);
  QTest::mouseClick(label, Qt::LeftButton);
}

TEST_F(ShuffleTest, MovesRandomizeAndReset) {
  OpenSamples(8, 4);
  window.bars = "2";
  FrmShuffle d(window, &window.widget);
  d.show();
  EXPECT_EQ(d.LstShuffle()->item(0)->text(), "Bar(1)::::Beat(1)");
  EXPECT_EQ(d.LstShuffle()->item(7)->text(), "Bar(2)::::Beat(4)");
  EXPECT_EQ(State(d), "*1 2 3 4 5 6 7 8 -");

  // Refused moves (the first row up; down with fewer rows below than selected) change nothing.
  QTest::mouseClick(d.LblUp(), Qt::LeftButton);
  Move(d, {7}, d.LblDown());
  Move(d, {5, 6}, d.LblDown());
  EXPECT_EQ(State(d), "1 2 3 4 5 *6 *7 8 -");
  // B C down: A D E B C F ..., and Reset; then D E F up: D E F A B C.
  Move(d, {1, 2}, d.LblDown());
  EXPECT_EQ(State(d), "1 4 5 *2 *3 6 7 8 +");
  QTest::mouseClick(d.CmdReset(), Qt::LeftButton);
  EXPECT_EQ(State(d), "*1 2 3 4 5 6 7 8 -");
  Move(d, {3, 4, 5}, d.LblUp());
  EXPECT_EQ(State(d), "*4 *5 *6 1 2 3 7 8 +");

  // A double click (press, release, press, double click, release, as the platform sends it)
  // moves twice; the row texts travel with their beat numbers.
  Move(d, {0}, d.LblDown());
  QTest::mousePress(d.LblDown(), Qt::LeftButton);
  QTest::mouseDClick(d.LblDown(), Qt::LeftButton);
  QTest::mouseRelease(d.LblDown(), Qt::LeftButton);
  EXPECT_EQ(State(d), "5 6 *4 1 2 3 7 8 +");
  EXPECT_EQ(d.LstShuffle()->item(2)->text(), "Bar(1)::::Beat(4)");

  // Randomize keeps a permutation of the rows and shows the list again.
  QTest::mouseClick(d.CmdRandomize(), Qt::LeftButton);
  std::vector<std::int32_t> order = d.Rows().order;
  std::sort(order.begin(), order.end());
  EXPECT_EQ(order, (std::vector<std::int32_t>{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_TRUE(State(d).endsWith('+') && d.LstShuffle()->isVisible());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ShuffleTest, ApplyReordersTheOpenSoundForLaterOutput) {
  OpenSamples(500, 4);  // 1000 bytes in 4 beats: L = 250
  RunShuffle([](FrmShuffle& d) {
    Move(d, {2, 3}, d.LblUp());  // 3 4 up: 3 4 1 2; then 4 down: 3 1 4 2
    Move(d, {1}, d.LblDown());
    EXPECT_EQ(State(d), "3 1 *4 2 +");
    QTest::mouseClick(d.CmdOK(), Qt::LeftButton);
    EXPECT_FALSE(d.isVisible());
  });
  ChooseSave("out.wav");
  window.commands.SaveAs();
  std::vector<int> expected;  // bytes 500-749, 0-249, 750-999, 250-499
  for (int first : {250, 0, 375, 125})
    for (int i = first; i < first + 125; ++i) expected.push_back(i);
  EXPECT_EQ(Snd(dir / "out.wav"), expected);
  EXPECT_EQ(Log(), QStringList{"save"});
  EXPECT_TRUE(Released());
}

TEST_F(ShuffleTest, RefusalsChangeNothing) {
  OpenSamples(3, 4);  // fewer frames than beats
  bool opened = false;
  for (const char* total : {"0", "2049"}) {
    window.total = total;
    RunShuffle([&](FrmShuffle&) { opened = true; });
  }
  EXPECT_FALSE(opened);
  window.total = "2048";  // opens; Apply is refused with 0 bytes a block
  RunShuffle([&](FrmShuffle& d) {
    Move(d, {0}, d.LblDown());
    QTest::mouseClick(d.CmdOK(), Qt::LeftButton);
    EXPECT_TRUE(d.isVisible() && d.CmdOK()->isEnabled() && d.CmdRandomize()->isEnabled() &&
                d.LblUp()->isEnabled());
  });
  const QStringList log = Log();
  ASSERT_EQ(log.size(), 3);
  EXPECT_EQ(
      log.mid(0, 2),
      (QStringList{"message|Invalid Calculation|Beats * bars need's to be a higher value than 0.|information",
                   "message|Invalid Calculation|Beats * bars need's to be less than 2048.|information"}));
  EXPECT_TRUE(log[2].startsWith("message|Shuffle|") && log[2].endsWith("|exclamation"));
  const auto data = window.CurrentWave()->Item(window.DataIndex()).bytes();
  EXPECT_EQ(Bytes(data.begin(), data.end()), Samples16({0, 1, 2}));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace tactoria::testing
