// The preview driven offscreen beside a real main window: it shows what Save As would write,
// follows the fields, and its keys reach the player (a beat's click: the listening tests).
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include "audio/audio_player.h"
#include "preview_fixture.h"

namespace tactoria {
namespace {

class PreviewWindowTest : public testing::PreviewTest {
 protected:
  // What Save As renders from the open file as the fields stand.
  std::vector<std::byte> SaveAsBytes() const {
    const auto& data = window->CurrentWave()->Item(window->DataIndex()).bytes();
    return testing::ToBytes(
        RenderNewSample(data, window->CurrentFormat(), window->CurrentRenderSettings()).buffer.bytes());
  }
  static std::vector<std::byte> Shown(const PreviewWindow* preview) { return preview->Sound()->Copy(); }
};

TEST_F(PreviewWindowTest, FollowsTheFieldsWithSummaryAndGrid) {
  PreviewWindow* preview = OpenPreview();
  EXPECT_EQ(Shown(preview), SaveAsBytes());
  Retype("TxtNewSamp", "100001");
  Settle(preview);
  EXPECT_EQ(Shown(preview), SaveAsBytes());
  EXPECT_EQ(preview->Grid().beatFrames, 25000);  // 400004 bytes / 4 beats, whole frames
  EXPECT_EQ(preview->Grid().soundFrames - preview->Grid().GridEnd(), 1);
  EXPECT_TRUE(preview->StatusText().contains(QStringLiteral("tail 1 frames")))
      << preview->StatusText().toStdString();

  Check("ChkReverse")->click();
  Retype("TxtBars", "2");
  Settle(preview);
  EXPECT_EQ(Shown(preview), SaveAsBytes());
  EXPECT_EQ(preview->Grid().beats, 8);

  // The summary is of the shown sound, column by column.
  const PeakSummary expected = SummarizePeaks(Shown(preview), preview->Sound()->format(), 0,
                                              preview->Sound()->frames(), preview->View().Columns());
  for (int column : {0, 7, expected.columns() - 1})
    EXPECT_EQ(preview->Summary()->Max(1, column), expected.Max(1, column)) << column;

  // Zooming in shows a quarter of the sound in as many columns.
  QTest::keyClick(&preview->View(), Qt::Key_Plus);
  QTest::keyClick(&preview->View(), Qt::Key_Plus);
  Settle(preview);
  EXPECT_EQ(preview->View().Scene().frameCount, (100001 + 2) / 4);
  EXPECT_EQ(preview->Summary()->columns(), preview->View().Columns());
}

TEST_F(PreviewWindowTest, RemembersBeingOpenAndShowsWithTheNextFile) {
  OpenPreview()->close();
  Restart();
  Open(WriteWave("second.wav", 4000));
  QTest::qWait(50);
  EXPECT_FALSE(window->Preview()->isVisible());

  window->Preview()->show();
  Restart();
  Open(WriteWave("third.wav", 4000));
  QTRY_VERIFY(window->Preview()->isVisible());
  Settle(window->Preview());
  EXPECT_EQ(window->Preview()->Sound()->frames(), 4000);
}

TEST_F(PreviewWindowTest, KeysReachThePlayer) {
  PreviewWindow* preview = OpenPreview();
  AudioPlayer& player = preview->Player();
  auto* play = preview->findChild<QPushButton*>("PreviewPlay");
  WaveformView& view = preview->View();
  // Without a sound server nothing plays, and the status says why.
  const bool sound = HasSound();
  EXPECT_EQ(play->isEnabled(), sound) << preview->StatusText().toStdString();
  EXPECT_EQ(preview->StatusText().endsWith(". No sound output: playback is not available."), !sound);
  QTest::keyClick(&view, Qt::Key_Space);
  ASSERT_EQ(player.IsPlaying(), sound);
  if (!sound) return;
  EXPECT_TRUE(player.Loop());
  QTest::keyClick(&view, Qt::Key_Space);
  EXPECT_FALSE(player.IsPlaying());

  QTest::keyClick(&view, Qt::Key_L);
  EXPECT_FALSE(player.Loop());

  // Original: the open data before the render, whatever the fields say.
  Retype("TxtNewSamp", "50000");
  Settle(preview);
  QTest::keyClick(&view, Qt::Key_O);
  Settle(preview);
  EXPECT_EQ(preview->Sound()->frames(), 88200);
  QTest::keyClick(&view, Qt::Key_O);
  Settle(preview);
  EXPECT_EQ(preview->Sound()->frames(), 50000);
}

}  // namespace
}  // namespace tactoria
