#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "app/frm_progress.h"
#include "test_waves.h"

namespace tactoria::testing {
namespace {

FrmProgress* ProgressDialog() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == "FrmProgress") return static_cast<FrmProgress*>(w);
  return nullptr;
}

class SpanTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  FakeWindow window;
  std::vector<int> samples;  // 43 mono frames: 8 beats of 5 frames (10 bytes) and 3 left over
  QStringList labels;        // the progress label at each beat's end
  std::function<void(const QString&)> onBeat;  // runs once per new label

  void SetUp() override {
    for (int i = 0; i < 43; ++i) samples.push_back(i * 3 - 60);
    WriteWave(dir.filePath("loop.wav"), 1, 11025, Samples16(samples));
    ASSERT_TRUE(window.Open(dir.filePath("loop.wav")));
    window.SetBeats(4, 2);
  }
  QString Beat(int n) const { return dir.filePath(QString("drum[%1].wav").arg(n)); }
  std::vector<short> BeatSamples(int n) const {
    return std::vector<short>(samples.begin() + (n - 1) * 5, samples.begin() + n * 5);
  }

  // Runs Span As; clicks Cancel in the progress dialog at the end of beat `cancelAt` (1-based).
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
      // Closing from the title bar changes nothing while the span runs.
      progress->close();
      if (label == QString("Processing beat: %1").arg(cancelAt - 1)) progress->CmdCancel()->click();
    });
    watcher.start(0);
    window.ChooseSave(dir.filePath("drum.wav.wav"));
    window.commands.SpanAs();
    EXPECT_EQ(ProgressDialog(), nullptr);
    EXPECT_TRUE(WindowReleased(window));
  }
  QStringList Questions() const {
    QStringList titles;
    for (const auto& s : window.dialogs.shown)
      if (s.kind != "save") titles << s.kind + ":" + s.title;
    return titles;
  }
};

TEST_F(SpanTest, WritesOneFilePerBeat) {
  Span();
  EXPECT_EQ(FilesIn(dir.path()).size(), 9);
  for (int n = 1; n <= 8; ++n) {
    const auto [id, chunks] = ReadRiff(Beat(n));
    ASSERT_EQ(chunks.size(), 2u) << n;
    EXPECT_EQ(chunks[0], FmtChunk(1, 11025, 16));
    SndRead beat = ReadSnd(Beat(n));
    EXPECT_TRUE(beat.ok);
    EXPECT_EQ(beat.samples, BeatSamples(n)) << n;
  }
  EXPECT_EQ(labels, (QStringList{"Processing beat: 0", "Processing beat: 1", "Processing beat: 2",
                                 "Processing beat: 3", "Processing beat: 4", "Processing beat: 5",
                                 "Processing beat: 6", "Processing beat: 7"}));
  EXPECT_EQ(window.dialogs.shown.size(), 1u);
  EXPECT_EQ(window.dialogs.shown[0].title, "Span File As");
}

TEST_F(SpanTest, SkippedBeatAndCancelInProgressThenDelete) {
  WriteWave(Beat(2), 1, 11025, Samples16({7}));
  const Bytes kept = ReadBytes(Beat(2));
  window.dialogs.answers = {Answer::No, Answer::Yes};  // keep beat 2; delete after the cancel
  Span(4);
  EXPECT_EQ(Questions(), (QStringList{"question:File Already Exists", "question:Spanned Cancelled"}));
  EXPECT_EQ(window.dialogs.shown[1].text,
            Beat(2) + " already exists.\r\nWould you like to overwrite this file?.");
  EXPECT_TRUE(window.dialogs.shown[1].withCancel);
  EXPECT_EQ(window.dialogs.shown[2].text, "Do you wish to delete all the spanned files you just created?.");
  EXPECT_FALSE(window.dialogs.shown[2].withCancel);
  EXPECT_EQ(FilesIn(dir.path()), (QStringList{"drum[2].wav", "loop.wav"}));
  EXPECT_EQ(ReadBytes(Beat(2)), kept);
}

TEST_F(SpanTest, CancelInProgressThenKeep) {
  window.dialogs.answers = {Answer::No};
  Span(5);
  EXPECT_EQ(FilesIn(dir.path()).size(), 6);  // beats 1 to 5
  EXPECT_EQ(ReadSnd(Beat(5)).samples, BeatSamples(5));
  EXPECT_FALSE(QFile::exists(Beat(6)));
  EXPECT_EQ(Questions(), QStringList{"question:Spanned Cancelled"});
}

TEST_F(SpanTest, CancelAtOverwriteQuestionDeletesOnlyThisSpansFiles) {
  WriteWave(Beat(3), 1, 11025, Samples16({7}));
  window.dialogs.answers = {Answer::Cancel, Answer::Yes};
  Span();
  EXPECT_EQ(Questions(), (QStringList{"question:File Already Exists", "question:Spanned Cancelled"}));
  EXPECT_EQ(FilesIn(dir.path()), (QStringList{"drum[3].wav", "loop.wav"}));
  EXPECT_EQ(ReadSnd(Beat(3)).samples, std::vector<short>{7});
}

TEST_F(SpanTest, WriteFailureStopsAndOffersDeletion) {
  ASSERT_TRUE(QDir(dir.path()).mkdir("drum[3].wav"));  // beat 3 cannot be written
  // Meanwhile beat 1's file turns into a folder that cannot be deleted.
  onBeat = [&](const QString& label) {
    if (label != "Processing beat: 1") return;
    QFile::remove(Beat(1));
    QDir(dir.path()).mkpath("drum[1].wav/inside");
  };
  window.dialogs.answers = {Answer::Yes};
  Span();
  const auto messages = window.dialogs.Messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_TRUE(messages[0].text == "Failed to create the file." ||
              messages[0].text == "Failed to write data to the file.");
  EXPECT_EQ(messages[1].text, "These spanned files could not be deleted:\n" + Beat(1));
  EXPECT_EQ(Questions(), (QStringList{"message:", "question:Spanned Cancelled", "message:"}));
  EXPECT_EQ(FilesIn(dir.path()), (QStringList{"drum[1].wav", "drum[3].wav", "loop.wav"}));
  EXPECT_TRUE(QFileInfo(Beat(3)).isDir());
}

TEST_F(SpanTest, RefusalsWriteNothing) {
  window.beats = "0";  // below 1: no dialog at all
  window.commands.SpanAs();
  window.beats = "abc";
  window.commands.SpanAs();
  window.SetBeats(4, 16);  // 64 beats in 43 frames: less than a frame per beat
  window.ChooseSave(dir.filePath("drum.wav"));
  window.commands.SpanAs();
  window.render.newFrames = 0;  // render failure
  window.ChooseSave(dir.filePath("drum.wav"));
  window.commands.SpanAs();

  const auto shown = window.dialogs.shown;
  ASSERT_EQ(shown.size(), 6u);
  EXPECT_EQ(shown[0].text, "Beat(s) and Bar(s) must be greater or equal than 1.");
  EXPECT_EQ(shown[0].icon, MessageIcon::None);
  EXPECT_EQ(shown[1].text, shown[0].text);
  EXPECT_EQ(shown[3].title, "Span Failure");
  EXPECT_EQ(shown[3].text,
            "Failed to span the current sound by bars * beats. Please lower this value if you wish to span.");
  EXPECT_EQ(shown[3].icon, MessageIcon::None);
  EXPECT_EQ(shown[5].title, "Error: 5");
  EXPECT_EQ(FilesIn(dir.path()), QStringList{"loop.wav"});
  EXPECT_EQ(ProgressDialog(), nullptr);
  EXPECT_TRUE(WindowReleased(window));
}

}  // namespace
}  // namespace tactoria::testing
