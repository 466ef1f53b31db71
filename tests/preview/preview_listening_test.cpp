// What a musician meets in the Preview, through real keys and clicks: what Space plays and how a
// beat's play is left, Space again right after a single play, the hover after a zoom, a crowded
// grid, a long Keep Pitch render with Cancel, where the window opens, and the Shuffle dialog's Play.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <memory>

#include "audio/audio_player.h"
#include "beats/shuffle_order.h"
#include "output/frm_shuffle.h"
#include "preview/preview_placement.h"
#include "preview_fixture.h"

namespace tactoria {
namespace {

using PreviewListeningTest = testing::PreviewTest;

TEST_F(PreviewListeningTest, TheStatusSaysWhatSpacePlaysAndABeatIsLeftByEscapeOrAClickOutside) {
  if (!HasSound()) GTEST_SKIP() << "without a sound output nothing plays";
  PreviewWindow* preview = OpenPreview();
  WaveformView& view = preview->View();
  AudioPlayer& player = preview->Player();
  const BeatGrid grid = preview->Grid();
  EXPECT_TRUE(preview->StatusText().endsWith("Space plays the whole sound"))
      << preview->StatusText().toStdString();

  // A click on beat 3 plays it, and says so; Space stops and plays that beat again.
  Click(view, grid.BeatStart(2) + 100);
  EXPECT_TRUE(
      preview->StatusText().contains("Space plays beat 3 alone (bar 1, beat 3); Escape or a click "
                                     "outside the beats: the whole sound"))
      << preview->StatusText().toStdString();
  QTest::keyClick(&view, Qt::Key_Space);
  QTest::keyClick(&view, Qt::Key_Space);
  EXPECT_TRUE(player.IsPlaying());
  EXPECT_EQ(player.RangeStart(), grid.BeatStart(2));
  EXPECT_EQ(player.RangeEnd(), grid.BeatStart(3));
  // Escape: the whole sound again, while it plays.
  QTest::keyClick(&view, Qt::Key_Escape);
  EXPECT_EQ(player.RangeStart(), 0);
  EXPECT_EQ(player.RangeEnd(), std::nullopt);
  EXPECT_TRUE(preview->StatusText().endsWith("Space plays the whole sound"));
  // A click on the time ruler above the beats does the same.
  Click(view, grid.BeatStart(1) + 100);
  EXPECT_EQ(player.RangeStart(), grid.BeatStart(1));
  QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(view.XOf(grid.BeatStart(1) + 100), 5));
  EXPECT_EQ(player.RangeStart(), 0);
  EXPECT_TRUE(preview->StatusText().endsWith("Space plays the whole sound"));
  QTest::keyClick(&view, Qt::Key_Space);
  EXPECT_FALSE(player.IsPlaying());
}

TEST_F(PreviewListeningTest, SpaceRightAfterASinglePlayEndedPlaysAgain) {
  if (!HasSound()) GTEST_SKIP() << "without a sound output nothing plays";
  PreviewWindow* preview = OpenPreview();
  WaveformView& view = preview->View();
  AudioPlayer& player = preview->Player();
  QTest::keyClick(&view, Qt::Key_L);  // once, not looped
  // The first beat (0.5 s) plays once; as soon as it has been heard, Space starts it again.
  Click(view, 100);
  ASSERT_TRUE(player.IsPlaying());
  // Heard to its end, while the output still drains its silence.
  QTRY_VERIFY_WITH_TIMEOUT(
      player.IsPlaying() && preview->findChild<QPushButton*>("PreviewPlay")->text() == "Play", 3000);
  QTest::keyClick(&view, Qt::Key_Space);
  EXPECT_TRUE(player.IsPlaying());
  EXPECT_LT(player.Playhead(), preview->Grid().beatFrames / 2);
  EXPECT_EQ(preview->findChild<QPushButton*>("PreviewPlay")->text(), "Stop");
  QTest::keyClick(&view, Qt::Key_Space);
  EXPECT_FALSE(player.IsPlaying());
}

TEST_F(PreviewListeningTest, TheHoverFollowsAZoomWithoutAMouseMove) {
  PreviewWindow* preview = OpenPreview();
  WaveformView& view = preview->View();
  auto* hover = preview->findChild<QLabel*>("PreviewHover");
  const QPoint at(view.width() / 8, view.LanesY());
  QTest::mouseMove(&view, at);
  QTRY_VERIFY(!hover->text().isEmpty());
  const QString before = hover->text();
  QTest::keyClick(&view, Qt::Key_Plus);
  QTest::keyClick(&view, Qt::Key_Plus);
  Settle(preview);
  ASSERT_EQ(view.Scene().frameCount, 88200 / 4);
  const std::int64_t frame = FrameAtX(view.Scene(), WaveformLanes(view.rect()), at.x());
  EXPECT_NE(hover->text(), before);
  EXPECT_TRUE(hover->text().endsWith(QString::number(static_cast<double>(frame) / 44100, 'f', 3) + "s"))
      << hover->text().toStdString();
}

TEST_F(PreviewListeningTest, CrowdedBeatsLeaveRoomBetweenTheLines) {
  // 1200 beats of 73 frames over a silent 2 s sound: about 3 pixels a bar.
  testing::WriteBytes(dir / "silent.wav",
                      testing::PcmWave(testing::Bytes(88200 * 4, std::byte{0}), 2, 44100));
  Open(QString::fromStdString(dir / "silent.wav"));
  Retype("TxtBars", "300");
  PreviewWindow* preview = OpenPreview();
  preview->resize(900, 360);
  Settle(preview);
  ASSERT_EQ(preview->Grid().beats, 1200);
  const QImage picture = preview->View().grab().toImage();
  const QRect lanes = WaveformLanes(preview->View().rect());
  // A row of the first lane between its numbers and its middle line: only grid lines differ there.
  const int y = lanes.top() + lanes.height() / 8 + 10;
  const QRgb background = qRgb(0x1e, 0x22, 0x28);
  std::vector<std::pair<int, int>> runs;                      // columns [first, last] of each line
  for (int x = lanes.left(); x <= lanes.right() - 10; ++x) {  // the shaded tail left out
    if (picture.pixel(x, y) == background) continue;
    if (!runs.empty() && runs.back().second == x - 1) {
      runs.back().second = x;
    } else {
      runs.emplace_back(x, x);
    }
  }
  int lined = 0, smallest = picture.width();
  for (std::size_t i = 0; i < runs.size(); ++i) {
    lined += runs[i].second - runs[i].first + 1;
    if (i > 0) smallest = std::min(smallest, runs[i].first - runs[i - 1].second - 1);
  }
  EXPECT_GT(runs.size(), 10u);          // bar lines are drawn
  EXPECT_LT(lined, lanes.width() / 4);  // not a smear
  EXPECT_GE(smallest, 4);               // with room between them
}

TEST_F(PreviewListeningTest, ALongKeepPitchRenderShowsItsProgressAndCancels) {
  Open(WriteWave("long.wav", 44100 * 60));
  PreviewWindow* preview = OpenPreview();
  auto* cancel = preview->findChild<QPushButton*>("PreviewCancel");
  EXPECT_FALSE(cancel->isVisible());
  QTest::keyClick(&preview->View(), Qt::Key_K);  // Keep Pitch
  Retype("TxtNewSamp", QString::number(44100 * 66));
  QTRY_VERIFY_WITH_TIMEOUT(cancel->isVisible(), 10000);
  EXPECT_TRUE(preview->StatusText().startsWith("Rendering the new length with the pitch kept: "))
      << preview->StatusText().toStdString();
  EXPECT_TRUE(preview->StatusText().endsWith("%"));
  QTest::mouseClick(cancel, Qt::LeftButton);
  QTRY_COMPARE_WITH_TIMEOUT(preview->StatusText(), QString("The render was cancelled."), 10000);
  EXPECT_FALSE(cancel->isVisible());
  EXPECT_FALSE(preview->findChild<QPushButton*>("PreviewPlay")->isEnabled());
  // A short render shows no progress.
  QTest::keyClick(&preview->View(), Qt::Key_K);
  Settle(preview);
  EXPECT_FALSE(cancel->isVisible());
  EXPECT_EQ(preview->Sound()->frames(), 44100 * 66);
}

TEST_F(PreviewListeningTest, OpensBesideTheMainWindowInsideTheScreen) {
  const QRect screen = window->screen()->availableGeometry();
  if (screen.width() < 1280) GTEST_SKIP() << "run on a screen of 1280 x 800 (preview_placement_1280)";
  // Centred, as the program shows it.
  QRect frame = window->frameGeometry();
  frame.moveCenter(screen.center());
  window->move(frame.topLeft());
  PreviewWindow* preview = OpenPreview();
  const QRect main = window->frameGeometry();
  const QRect place = preview->frameGeometry();
  EXPECT_TRUE(screen.contains(place));
  EXPECT_FALSE(place.intersects(main));
  EXPECT_EQ(place.left(), main.right() + 1 + kPreviewGap);
  EXPECT_EQ(place.top(), main.top());
}

TEST_F(PreviewListeningTest, ShufflePlaysTheListedOrderWithoutTouchingTheOpenData) {
  const auto data = [&] {
    const auto bytes = window->CurrentWave()->Item(window->DataIndex()).bytes();
    return std::vector<std::byte>(bytes.begin(), bytes.end());
  };
  const std::vector<std::byte> before = data();
  OpenPreview();
  AudioPlayer& player = window->Preview()->Player();
  bool checked = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<FrmShuffle*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    const std::unique_ptr<QDialog, void (*)(QDialog*)> closer(dialog, [](QDialog* d) { d->reject(); });
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    QListWidget* list = dialog->LstShuffle();
    QPushButton* play = dialog->CmdPlay();
    ASSERT_NE(play, nullptr);
    // Beat 2 moved up: the order 2 1 3 4.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    QTest::mouseClick(dialog->LblUp(), Qt::LeftButton);
    ASSERT_EQ(dialog->Rows().order, (std::vector<std::int32_t>{2, 1, 3, 4}));
    QTest::mouseClick(play, Qt::LeftButton);
    if (!HasSound()) {
      EXPECT_EQ(TakeMessages(), QStringList{"No sound output: playback is not available."});
      QTest::keyClick(list, Qt::Key_Escape);
      checked = true;
      return;
    }
    EXPECT_TRUE(player.IsPlaying());
    EXPECT_EQ(play->text(), "Stop");
    std::vector<std::byte> expected = before;
    ASSERT_EQ(ReorderBeats(expected, dialog->Rows().order, 4), ReorderResult::Done);
    EXPECT_TRUE(player.Sound()->Copy() == expected);
    // Space in the list stops and plays; a move while it plays is heard at once.
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_EQ(play->text(), "Play");
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_TRUE(player.IsPlaying());
    QTest::mouseClick(dialog->LblDown(), Qt::LeftButton);
    expected = before;
    ASSERT_EQ(ReorderBeats(expected, dialog->Rows().order, 4), ReorderResult::Done);
    EXPECT_TRUE(player.Sound()->Copy() == expected);
    // Randomize too, once it has run.
    QTest::mouseClick(dialog->CmdRandomize(), Qt::LeftButton);
    expected = before;
    ASSERT_EQ(ReorderBeats(expected, dialog->Rows().order, 4), ReorderResult::Done);
    QTRY_VERIFY(player.Sound()->Copy() == expected);
    EXPECT_TRUE(player.IsPlaying());
    // Closing the dialog stops it.
    QTest::keyClick(list, Qt::Key_Escape);
    checked = true;
  });
  window->findChild<QAction*>("MnuShuffle")->trigger();
  EXPECT_TRUE(checked);
  EXPECT_FALSE(player.IsPlaying());
  EXPECT_EQ(data(), before);
}

}  // namespace
}  // namespace tactoria
