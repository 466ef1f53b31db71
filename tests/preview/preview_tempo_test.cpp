// The tempo of the open data in the preview's status line, and "Use Tempo".
#include <gtest/gtest.h>

#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <bit>

#include "preview/file_tempo.h"
#include "preview/preview_window.h"
#include "support/drum_loops.h"
#include "support/sound_measures.h"
#include "wave/four_cc.h"
#include "window_fixture.h"

namespace tactoria {
namespace {

using testing::DrumLoop;

class PreviewTempoTest : public testing::WindowTest {
 protected:
  QString WriteLoop(const std::string& name, int bars) {
    testing::WriteBytes(dir / name, testing::PcmWave(testing::Stereo16(DrumLoop(bars))));
    return QString::fromStdString(dir / name);
  }
  QString TempoShown() const {  // the status line from "Tempo" to the next sentence
    const QString status = window->Preview()->StatusText();
    const qsizetype at = status.indexOf("Tempo ");
    return at < 0 ? QString() : status.mid(at, status.indexOf(')', at) + 1 - at);
  }
};

TEST_F(PreviewTempoTest, ShowsTheTempoOfTheOpenDataAndUseTempoTakesIt) {
  Open(WriteLoop("two.wav", 2));
  QTest::keyClick(window.get(), Qt::Key_P, Qt::ControlModifier);
  PreviewWindow* preview = window->Preview();
  auto* use = preview->findChild<QPushButton*>("PreviewUseTempo");
  QTRY_VERIFY_WITH_TIMEOUT(!TempoShown().isEmpty(), 10000);
  const QRegularExpression shown(
      R"(^Tempo 120 bpm, 4/4 × 2 bars \(confidence [01]\.\d\d, from the \w[\w ]+\)$)");
  EXPECT_TRUE(shown.match(TempoShown()).hasMatch()) << TempoShown().toStdString();
  EXPECT_TRUE(TempoShown().endsWith(QString(" from the %1)").arg(TempoSourceName(preview->Tempo()->source))));

  // Of the open data, not of the render: a new length keeps it.
  Retype("TxtNewSamp", "88200");
  QTRY_VERIFY_WITH_TIMEOUT(!preview->Busy() && preview->Sound() && preview->Sound()->frames() == 88200,
                           10000);
  EXPECT_TRUE(TempoShown().startsWith("Tempo 120 bpm, 4/4 × 2 bars")) << TempoShown().toStdString();

  ASSERT_TRUE(use->isEnabled());
  QTest::mouseClick(use, Qt::LeftButton);
  EXPECT_EQ(Texts("TxtBeats TxtBars TxtOrgBpm TxtNewBpm"), "4 2 120 240");

  // Another file: its own tempo, never the one before.
  Open(WriteLoop("one.wav", 1));
  QTRY_VERIFY_WITH_TIMEOUT(!preview->Busy() && preview->Sound()->frames() == 88200, 10000);
  EXPECT_FALSE(TempoShown().contains("× 2 bars"));
  QTRY_VERIFY_WITH_TIMEOUT(TempoShown().startsWith("Tempo 120 bpm, 4/4 × 1 bar ("), 10000);
}

TEST(FileTempoTest, TakesTheNameAndTheFirstAcidChunkWithATempo) {
  vbMediaFile file;
  file.FileName("/loops/amen_137bpm.wav");
  EXPECT_EQ(FileTempoOptions(file).acidTempo, std::nullopt);
  testing::Bytes none(24), cut(20), acid(24);
  testing::SetLe(cut, 16, std::bit_cast<std::uint32_t>(90.0f));
  testing::SetLe(acid, 20, std::bit_cast<std::uint32_t>(97.5f));
  for (const auto* chunk : {&none, &cut, &acid})
    ASSERT_EQ(file.Add(FourCC("acid"), chunk->data(), static_cast<std::int64_t>(chunk->size())),
              FileResult::Success);
  const TempoOptions options = FileTempoOptions(file);
  EXPECT_EQ(options.fileName, "/loops/amen_137bpm.wav");
  EXPECT_EQ(options.acidTempo, 97.5);
}

}  // namespace
}  // namespace tactoria
