// Save As, Mix To, Span As and Shuffle on real files, with the dialogs each shows.
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "output/frm_progress.h"
#include "output/frm_shuffle.h"
#include "output_fixture.h"
#include "ui/button_label.h"

namespace tactoria::testing {
namespace {

using SaveMixTest = OutputTest;

TEST_F(SaveMixTest, SaveAsWritesFormatAndRenderedDataOrNothing) {
  // 4 mono frames to 7, reversed (the steps: the render tests); only "fmt " and "data" are written.
  const Bytes data = Ramp(8);
  Open("in.wav",
       RiffBytes({{"LIST", Ramp(3)}, {"fmt ", PcmFormat(1, 22050, 16)}, {"data", data}, {"junk", Ramp(2)}}));
  window.render = {7, std::nullopt, true};
  ChooseSave("out.wav");
  window.commands.SaveAs();
  EXPECT_EQ(ReadBytes(dir / "out.wav"), PcmWave(PickFrames(data, 2, {3, 2, 2, 2, 1, 0, 0}), 1, 22050));
  EXPECT_EQ(TakeLog(), QStringList{"save"});
  std::filesystem::remove(dir / "out.wav");
  // Cancel, then a render failure (a failed write: the span's beat in a folder, the same message).
  ChooseSave("");
  window.commands.SaveAs();
  EXPECT_TRUE(Released());
  window.render.newFrames = 0;
  ChooseSave("zero.wav");
  window.commands.SaveAs();
  EXPECT_EQ(TakeLog(), (QStringList{"save", "save",
                                    "message|Error: 5|Could not change the length of the sound. Out of "
                                    "Memory.|critical"}));
  EXPECT_TRUE(Released());
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"in.wav"});
}

TEST_F(SaveMixTest, MixToWritesIntoTheSecondFileOrRefuses) {
  const Bytes open = Ramp(6), data = Ramp(12, 101);  // 3 and 6 mono frames
  const auto second = [](const Bytes& samples) {
    return RiffBytes(
        {{"LIST", Ramp(3)}, {"fmt ", PcmFormat(1, 22050, 16)}, {"data", samples}, {"cue ", Ramp(2)}});
  };
  Open("open.wav", PcmWave(open, 1, 22050));
  WriteBytes(dir / "second.wav", second(data));
  ChooseOpen("second.wav");
  ChooseSave("mix.wav");
  window.commands.MixTo();
  // R0, S1, R2, S3, S4, S5, every chunk of the second file kept; the second file unchanged.
  Bytes mixed = data;
  for (int f : {0, 2}) std::copy_n(open.begin() + 2 * f, 2, mixed.begin() + 2 * f);
  EXPECT_EQ(ReadBytes(dir / "mix.wav"), second(mixed));
  EXPECT_EQ(ReadBytes(dir / "second.wav"), second(data));
  EXPECT_EQ(TakeLog(), (QStringList{"open|Select a file to mix to", "save|Select a file to save the mix"}));
  EXPECT_TRUE(Released());
  std::filesystem::remove(dir / "mix.wav");
  const std::vector<std::pair<Bytes, QString>> refusals{
      {PcmWave(Ramp(4), 1, 44100),  // each field compared: the render tests
       "message|Invalid Format Difference|Unable to mix to this file. Wave format is different to the "
       "current open file.|exclamation"},
      {RiffBytes({{"data", Ramp(1)}}, {"RIFF", "TEXT"}),
       "message|Error: Invalid File|Invalid wave file.|critical"},
      {PcmWave(Ramp(4), 1, 22050), "save|Select a file to save the mix"},  // and cancelled
  };
  for (const auto& [bytes, last] : refusals) {
    WriteBytes(dir / "second.wav", bytes);
    ChooseOpen("second.wav");
    window.commands.MixTo();
    EXPECT_EQ(TakeLog(), (QStringList{"open|Select a file to mix to", last}));
    EXPECT_TRUE(Released());
  }
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"open.wav", "second.wav"}));
}

class SpanTest : public OutputTest {
 protected:
  FrmProgress* ProgressDialog() { return window.widget.findChild<FrmProgress*>(); }
  void SetUp() override {
    Open("loop.wav", PcmWave(data, 1, 11025));
    window.bars = "2";
  }
  std::string Beat(int n) const { return dir / ("drum[" + std::to_string(n) + "].wav"); }
  const Bytes data = Ramp(86);  // 43 mono frames: 8 beats of 5 frames and 3 left over
};

TEST_F(SpanTest, WritesEachBeatUnlessRefusedCancelledOrFailing) {
  const QString cancelled =
      "question|Spanned Cancelled|Do you wish to delete all the spanned files you just created?.";
  const auto exists = [&](int n) {
    return "question+cancel|File Already Exists|" + QString::fromStdString(Beat(n)) +
           " already exists.\r\nWould you like to overwrite this file?.";
  };
  // A beat file there before the span (or 0; a folder, which cannot be written, when negative), the
  // answers, Cancel in the progress dialog after beat k (or 0), the dialogs after the first, the
  // beat files left.
  const std::vector<std::tuple<int, std::deque<Answer>, int, QStringList, std::vector<int>>> cases{
      {2, {Answer::No, Answer::Yes}, 4, {exists(2), cancelled}, {2}},
      {0, {Answer::No}, 5, {cancelled}, {1, 2, 3, 4, 5}},
      {3, {Answer::Cancel, Answer::Yes}, 0, {exists(3), cancelled}, {3}},
      {-3, {Answer::Yes}, 0, {"message||Failed to create the file.", cancelled}, {}},
      {0, {}, 0, {}, {1, 2, 3, 4, 5, 6, 7, 8}},
  };
  const Bytes former = PcmWave(Ramp(2), 1, 11025);
  QStringList labels;  // the progress label at each beat's end
  for (const auto& [existing, answers, cancelAt, questions, left] : cases) {
    for (int n = 1; n <= 8; ++n) std::filesystem::remove(Beat(n));
    if (existing > 0) WriteBytes(Beat(existing), former);
    if (existing < 0) std::filesystem::create_directory(Beat(-existing));
    window.dialogs.answers = answers;
    // The progress dialog closed from its title bar at every turn of the event loop (which must
    // change nothing), and its Cancel clicked at the end of beat `cancelAt`.
    labels.clear();
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
      FrmProgress* progress = ProgressDialog();
      if (!progress || !progress->isVisible()) return;
      const QString label = progress->LblProg()->text();
      if (labels.isEmpty() || labels.back() != label) labels << label;
      progress->close();
      if (label == QString("Processing beat: %1").arg(cancelAt - 1)) progress->CmdCancel()->click();
    });
    watcher.start(0);
    ChooseSave("drum.wav");
    window.commands.SpanAs();
    EXPECT_TRUE(ProgressDialog() == nullptr && Released());
    EXPECT_EQ(TakeLog(), QStringList{"save|Span File As"} + questions);
    EXPECT_EQ(dir.Names().size(), left.size() + (existing < 0 ? 2 : 1));
    for (int n : left) {
      const Bytes beat(data.begin() + (n - 1) * 10, data.begin() + n * 10);
      EXPECT_EQ(ReadBytes(Beat(n)), n == existing ? former : PcmWave(beat, 1, 11025));
    }
  }
  QStringList expected;  // the label at the end of each beat of the whole span
  for (int n = 0; n < 8; ++n) expected << QString("Processing beat: %1").arg(n);
  EXPECT_EQ(labels, expected);
  // Refusals write nothing.
  for (int n = 1; n <= 8; ++n) std::filesystem::remove(Beat(n));
  window.beats = "0";
  window.commands.SpanAs();
  EXPECT_EQ(TakeLog(), QStringList{"message||Beat(s) and Bar(s) must be greater or equal than 1."});
  EXPECT_TRUE(Released());
  window.beats = "32";  // 64 beats in 43 frames: less than a frame per beat
  ChooseSave("drum.wav");
  window.commands.SpanAs();
  EXPECT_EQ(TakeLog(), (QStringList{"save|Span File As",
                                    "message|Span Failure|Failed to span the current "
                                    "sound by bars * beats. Please lower this value if you wish to span."}));
  EXPECT_TRUE(ProgressDialog() == nullptr && Released());
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"loop.wav"});
}

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
