#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "app/frm_progress.h"
#include "output_fixture.h"

namespace tactoria::testing {
namespace {

FrmProgress* ProgressDialog() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == "FrmProgress") return static_cast<FrmProgress*>(w);
  return nullptr;
}

class SpanTest : public OutputTest {
 protected:
  std::vector<int> samples;                    // 43 mono frames: 8 beats of 5 frames and 3 left over
  QStringList labels;                          // the progress label at each beat's end
  std::function<void(const QString&)> onBeat;  // runs once per new label

  void SetUp() override {
    for (int i = 0; i < 43; ++i) samples.push_back(i * 3 - 60);
    Open("loop.wav", Wave16(1, 11025, samples));
    window.bars = "2";
  }
  std::string Beat(int n) const { return dir / ("drum[" + std::to_string(n) + "].wav"); }
  std::vector<int> BeatSamples(int n) const {
    return {samples.begin() + (n - 1) * 5, samples.begin() + n * 5};
  }

  // Runs Span As, closing the progress dialog from its title bar at every beat (which must change
  // nothing) and clicking its Cancel at the end of beat `cancelAt`.
  void Span(int cancelAt = 0) {
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
      FrmProgress* progress = ProgressDialog();
      if (!progress || !progress->isVisible()) return;
      const QString label = progress->LblProg()->text();
      if (labels.isEmpty() || labels.back() != label) {
        labels << label;
        if (onBeat) onBeat(label);
      }
      progress->close();
      if (label == QString("Processing beat: %1").arg(cancelAt - 1)) progress->CmdCancel()->click();
    });
    watcher.start(0);
    ChooseSave("drum.wav");
    window.commands.SpanAs();
    EXPECT_EQ(ProgressDialog(), nullptr);
    EXPECT_TRUE(Released());
  }
};

TEST_F(SpanTest, WritesEachBeatUnlessRefusedOrCancelled) {
  const QString cancelled =
      "question|Spanned Cancelled|Do you wish to delete all the spanned files you just created?.";
  const auto exists = [&](int n) {
    return "question+cancel|File Already Exists|" + QString::fromStdString(Beat(n)) +
           " already exists.\r\nWould you like to overwrite this file?.";
  };
  // A beat file there before the span (or 0), the answers, Cancel in the progress dialog after
  // beat k (or 0), the questions, the beat files left.
  const std::vector<std::tuple<int, std::deque<Answer>, int, QStringList, std::vector<int>>> cases{
      {2, {Answer::No, Answer::Yes}, 4, {exists(2), cancelled}, {2}},
      {0, {Answer::No}, 5, {cancelled}, {1, 2, 3, 4, 5}},
      {3, {Answer::Cancel, Answer::Yes}, 0, {exists(3), cancelled}, {3}},
      {0, {}, 0, {}, {1, 2, 3, 4, 5, 6, 7, 8}},
  };
  const Bytes former = Wave16(1, 11025, {7});
  for (const auto& [existing, answers, cancelAt, questions, left] : cases) {
    for (int n = 1; n <= 8; ++n) std::filesystem::remove(Beat(n));
    if (existing) WriteBytes(Beat(existing), former);
    window.dialogs.shown.clear();
    window.dialogs.answers = answers;
    labels.clear();
    Span(cancelAt);
    EXPECT_EQ(Log(), QStringList{"save|Span File As"} + questions);
    EXPECT_EQ(dir.Names().size(), left.size() + 1);
    for (int n : left) {
      EXPECT_EQ(ReadBytes(Beat(n)), n == existing ? former : Wave16(1, 11025, BeatSamples(n)));
      EXPECT_EQ(Snd(Beat(n)), n == existing ? std::vector<int>{7} : BeatSamples(n));
    }
  }
  QStringList expected;  // the label at the end of each beat of the whole span
  for (int n = 0; n < 8; ++n) expected << QString("Processing beat: %1").arg(n);
  EXPECT_EQ(labels, expected);
}

TEST_F(SpanTest, WriteFailureStopsAndOffersDeletion) {
  std::filesystem::create_directory(Beat(3));  // beat 3 cannot be written
  // Meanwhile beat 1's file turns into a folder that cannot be deleted.
  onBeat = [&](const QString& label) {
    if (label != "Processing beat: 1") return;
    std::filesystem::remove(Beat(1));
    std::filesystem::create_directories(Beat(1) + "/inside");
  };
  window.dialogs.answers = {Answer::Yes};
  Span();
  const QStringList log = Log();
  ASSERT_EQ(log.size(), 4);
  EXPECT_TRUE(log[1] == "message||Failed to create the file." ||
              log[1] == "message||Failed to write data to the file.");
  EXPECT_TRUE(log[2].startsWith("question|Spanned Cancelled|"));
  EXPECT_EQ(log[3], "message||These spanned files could not be deleted:\n" + QString::fromStdString(Beat(1)) +
                        "|exclamation");
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"drum[1].wav", "drum[3].wav", "loop.wav"}));
}

TEST_F(SpanTest, RefusalsWriteNothing) {
  window.beats = "0";  // below 1: no dialog at all
  window.commands.SpanAs();
  window.beats = "abc";
  window.commands.SpanAs();
  window.beats = "32";  // 64 beats in 43 frames: less than a frame per beat
  ChooseSave("drum.wav");
  window.commands.SpanAs();
  window.beats = "4";
  window.render.newFrames = 0;  // render failure
  ChooseSave("drum.wav");
  window.commands.SpanAs();
  const QString below = "message||Beat(s) and Bar(s) must be greater or equal than 1.";
  EXPECT_EQ(
      Log(),
      (QStringList{below, below, "save|Span File As",
                   "message|Span Failure|Failed to span the current sound by bars * beats. Please lower "
                   "this value if you wish to span.",
                   "save|Span File As",
                   "message|Error: 5|Could not change the length of the sound. Out of Memory.|critical"}));
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"loop.wav"});
  EXPECT_EQ(ProgressDialog(), nullptr);
  EXPECT_TRUE(Released());
}

}  // namespace
}  // namespace tactoria::testing
