#include <gtest/gtest.h>

#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/frm_shuffle.h"
#include "test_waves.h"

namespace tactoria::testing {
namespace {

class ShuffleTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  FakeWindow window;

  void OpenSamples(int count) {
    std::vector<int> samples;
    for (int i = 0; i < count; ++i) samples.push_back(i);
    WriteWave(dir.filePath("loop.wav"), 1, 8000, Samples16(samples));
    ASSERT_TRUE(window.Open(dir.filePath("loop.wav")));
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

// The beat numbers of the list's rows and which rows are selected, as the widget shows them.
std::vector<int> Order(FrmShuffle& d) {
  std::vector<int> order;
  for (int i = 0; i < d.LstShuffle()->count(); ++i)
    order.push_back(d.LstShuffle()->item(i)->data(Qt::UserRole).toInt());
  EXPECT_EQ(std::vector<int>(d.Rows().order.begin(), d.Rows().order.end()), order);  // widget and model agree
  return order;
}
std::vector<int> Selected(FrmShuffle& d) {
  std::vector<int> rows;
  for (int i = 0; i < d.LstShuffle()->count(); ++i)
    if (d.LstShuffle()->item(i)->isSelected()) rows.push_back(i);
  return rows;
}
void Select(FrmShuffle& d, std::vector<int> rows) {
  d.LstShuffle()->clearSelection();
  for (int r : rows) d.LstShuffle()->item(r)->setSelected(true);
}

TEST_F(ShuffleTest, LimitsOfTheBeatTotal) {
  OpenSamples(8);
  bool opened = false;
  for (const char* total : {"0", "2049", "2048"}) {
    window.total = total;
    RunShuffle([&](FrmShuffle&) { opened = true; });
    EXPECT_EQ(opened, QString(total) == "2048");
  }
  const auto messages = window.dialogs.Messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].text, "Beats * bars need's to be a higher value than 0.");
  EXPECT_EQ(messages[1].text, "Beats * bars need's to be less than 2048.");
  for (const auto& m : messages) {
    EXPECT_EQ(m.title, "Invalid Calculation");
    EXPECT_EQ(m.icon, MessageIcon::Information);
  }
}

TEST_F(ShuffleTest, MovesRandomizeAndReset) {
  OpenSamples(8);
  window.SetBeats(4, 2);
  FrmShuffle d(window, &window.widget);
  d.show();
  ASSERT_EQ(d.LstShuffle()->count(), 8);
  EXPECT_EQ(d.LstShuffle()->item(0)->text(), "Bar(1)::::Beat(1)");
  EXPECT_EQ(d.LstShuffle()->item(7)->text(), "Bar(2)::::Beat(4)");
  EXPECT_EQ(Selected(d), std::vector<int>{0});
  EXPECT_FALSE(d.CmdOK()->isEnabled() || d.CmdReset()->isEnabled());

  // Refused moves change nothing and enable nothing.
  QTest::mouseClick(d.LblUp(), Qt::LeftButton);
  Select(d, {6, 7});
  QTest::mouseClick(d.LblDown(), Qt::LeftButton);
  Select(d, {5, 6});
  QTest::mouseClick(d.LblDown(), Qt::LeftButton);
  EXPECT_EQ(Order(d), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_FALSE(d.CmdOK()->isEnabled());

  // B C down: A D E B C F ...; then D E F up: D E F A B C.
  Select(d, {1, 2});
  QTest::mouseClick(d.LblDown(), Qt::LeftButton);
  EXPECT_EQ(Order(d), (std::vector<int>{1, 4, 5, 2, 3, 6, 7, 8}));
  EXPECT_EQ(Selected(d), (std::vector<int>{3, 4}));
  EXPECT_TRUE(d.CmdOK()->isEnabled() && d.CmdReset()->isEnabled());
  QTest::mouseClick(d.CmdReset(), Qt::LeftButton);
  EXPECT_EQ(Order(d), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(Selected(d), std::vector<int>{0});
  EXPECT_FALSE(d.CmdOK()->isEnabled() || d.CmdReset()->isEnabled());
  Select(d, {3, 4, 5});
  QTest::mouseClick(d.LblUp(), Qt::LeftButton);
  EXPECT_EQ(Order(d), (std::vector<int>{4, 5, 6, 1, 2, 3, 7, 8}));
  EXPECT_EQ(Selected(d), (std::vector<int>{0, 1, 2}));

  // A double click (press, release, press, double click, release, as the platform sends it)
  // moves twice; the row texts travel with their beat numbers.
  Select(d, {0});
  QTest::mouseClick(d.LblDown(), Qt::LeftButton);
  QTest::mousePress(d.LblDown(), Qt::LeftButton);
  QTest::mouseDClick(d.LblDown(), Qt::LeftButton);
  QTest::mouseRelease(d.LblDown(), Qt::LeftButton);
  EXPECT_EQ(Order(d), (std::vector<int>{5, 6, 4, 1, 2, 3, 7, 8}));
  EXPECT_EQ(d.LstShuffle()->item(2)->text(), "Bar(1)::::Beat(4)");

  // Randomize keeps a permutation of the rows, shows the list again and enables Apply.
  QTest::mouseClick(d.CmdReset(), Qt::LeftButton);
  QTest::mouseClick(d.CmdRandomize(), Qt::LeftButton);
  std::vector<int> order = Order(d);
  std::sort(order.begin(), order.end());
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
  for (int i = 0; i < 8; ++i) {
    const int beat = d.LstShuffle()->item(i)->data(Qt::UserRole).toInt();
    EXPECT_EQ(d.LstShuffle()->item(i)->text(),
              QString("Bar(%1)::::Beat(%2)").arg((beat - 1) / 4 + 1).arg((beat - 1) % 4 + 1));
  }
  EXPECT_TRUE(d.LstShuffle()->isVisible() && d.CmdOK()->isEnabled() && d.CmdRandomize()->isEnabled());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ShuffleTest, ApplyReordersTheOpenSoundForLaterOutput) {
  OpenSamples(500);  // 1000 bytes of 16-bit mono in 4 beats: L = 250
  window.SetBeats(4, 1);
  const Bytes original = ReadRiff(dir.filePath("loop.wav")).second[1].data;
  RunShuffle([](FrmShuffle& d) {
    Select(d, {2, 3});  // 3 4 up: 3 4 1 2; then 4 down: 3 1 4 2
    QTest::mouseClick(d.LblUp(), Qt::LeftButton);
    Select(d, {1});
    QTest::mouseClick(d.LblDown(), Qt::LeftButton);
    EXPECT_EQ(Order(d), (std::vector<int>{3, 1, 4, 2}));
    QTest::mouseClick(d.CmdOK(), Qt::LeftButton);
    EXPECT_FALSE(d.isVisible());
  });
  EXPECT_TRUE(window.dialogs.shown.empty());

  window.ChooseSave(dir.filePath("out.wav"));
  window.commands.SaveAs();
  Bytes expected;
  for (int from : {500, 0, 750, 250})
    expected.insert(expected.end(), original.begin() + from, original.begin() + from + 250);
  EXPECT_EQ(ReadRiff(dir.filePath("out.wav")).second[1].data, expected);
  EXPECT_TRUE(WindowReleased(window));
}

TEST_F(ShuffleTest, ApplyRefusedWithLessThanAFramePerBeat) {
  OpenSamples(3);
  window.SetBeats(4, 1);
  RunShuffle([&](FrmShuffle& d) {
    Select(d, {0});
    QTest::mouseClick(d.LblDown(), Qt::LeftButton);
    QTest::mouseClick(d.CmdOK(), Qt::LeftButton);
    EXPECT_TRUE(d.isVisible());
    EXPECT_TRUE(d.CmdOK()->isEnabled() && d.CmdRandomize()->isEnabled() && d.LblUp()->isEnabled());
  });
  const auto messages = window.dialogs.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].title, "Shuffle");
  EXPECT_EQ(messages[0].icon, MessageIcon::Exclamation);
  EXPECT_EQ(OpenData(window), ReadRiff(dir.filePath("loop.wav")).second[1].data);  // unchanged
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace tactoria::testing
