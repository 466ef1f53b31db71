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
  // Runs the Shuffle command; `drive` works the dialog while it is up, then it is closed.
  void RunShuffle(const std::function<void(FrmShuffle&)>& drive) {
    QObject scope;  // a dialog that never opened leaves no timer pending
    QTimer::singleShot(0, &scope, [&] {
      if (auto* dialog = qobject_cast<FrmShuffle*>(QApplication::activeModalWidget())) {
        drive(*dialog);
        if (dialog->isVisible()) dialog->reject();
      }
    });
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
void Move(FrmShuffle& d, const std::vector<int>& rows, QWidget* target) {
  d.LstShuffle()->clearSelection();
  for (int r : rows) d.LstShuffle()->item(r)->setSelected(true);
  QTest::mouseClick(target, Qt::LeftButton);
}

TEST_F(ShuffleTest, MovesRandomizeAndReset) {
  Open("loop.wav", PcmWave(Ramp(16), 1, 8000));
  window.bars = "2";
  FrmShuffle d(window, &window.widget);
  d.show();
  EXPECT_EQ(State(d), "*1 2 3 4 5 6 7 8 -");
  const std::tuple<std::vector<int>, QWidget*, QString> moves[] = {
      {{0}, d.LblUp(), "*1 2 3 4 5 6 7 8 -"},          // refused: the first row up,
      {{7}, d.LblDown(), "1 2 3 4 5 6 7 *8 -"},        // the last row down,
      {{5, 6}, d.LblDown(), "1 2 3 4 5 *6 *7 8 -"},    // fewer rows below than selected
      {{1, 2}, d.LblDown(), "1 4 5 *2 *3 6 7 8 +"},    // B C down: A D E B C F
      {{}, d.CmdReset(), "*1 2 3 4 5 6 7 8 -"},        // Reset
      {{3, 4, 5}, d.LblUp(), "*4 *5 *6 1 2 3 7 8 +"},  // D E F up: D E F A B C
  };
  for (const auto& [rows, target, state] : moves) {
    Move(d, rows, target);
    EXPECT_EQ(State(d), state);
  }
  EXPECT_EQ(d.LstShuffle()->item(0)->text(), "Bar(1)::::Beat(4)");  // the texts travel with their beats
  QTest::mouseClick(d.CmdRandomize(), Qt::LeftButton);  // the list, in the model's order, shown again
  EXPECT_TRUE(State(d).endsWith('+') && d.LstShuffle()->isVisible());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ShuffleTest, ApplyReordersTheOpenSoundForLaterOutputOrIsRefused) {
  Open("loop.wav", PcmWave(Ramp(1000), 1, 8000));  // 4 beats of 1 bar: L = 250
  for (const char* total : {"0", "2049"}) {
    window.total = total;
    RunShuffle([&](FrmShuffle&) { ADD_FAILURE() << "opened with " << total << " beats"; });
  }
  window.beats = "32", window.bars = "64", window.total = "2048";  // Apply refused: 0 bytes a block
  RunShuffle([&](FrmShuffle& d) {
    Move(d, {0}, d.LblDown());
    QTest::mouseClick(d.CmdOK(), Qt::LeftButton);
    EXPECT_TRUE(d.isVisible() && d.CmdOK()->isEnabled() && d.CmdRandomize()->isEnabled() &&
                d.LblUp()->isEnabled());
  });
  const QStringList log = TakeLog();
  const QString limit = "message|Invalid Calculation|Beats * bars need's to be ";
  ASSERT_EQ(log.size(), 3);
  EXPECT_EQ(log[0] + log[1],
            limit + "a higher value than 0.|information" + limit + "less than 2048.|information");
  EXPECT_TRUE(log[2].startsWith("message|Shuffle|") && log[2].endsWith("|exclamation"));
  window.beats = window.total = "4", window.bars = "1";
  RunShuffle([](FrmShuffle& d) {
    Move(d, {2, 3}, d.LblUp());  // 3 4 up: 3 4 1 2; then 4 down: 3 1 4 2
    Move(d, {1}, d.LblDown());
    EXPECT_EQ(State(d), "3 1 *4 2 +");
    QTest::mouseClick(d.CmdOK(), Qt::LeftButton);
    EXPECT_FALSE(d.isVisible());
  });
  ChooseSave("out.wav");
  window.commands.SaveAs();
  EXPECT_EQ(ReadBytes(dir / "out.wav"), PcmWave(PickFrames(Ramp(1000), 250, {2, 0, 3, 1}), 1, 8000));
  EXPECT_EQ(TakeLog(), QStringList{"save"});
  EXPECT_TRUE(Released());
}

}  // namespace
}  // namespace tactoria::testing
