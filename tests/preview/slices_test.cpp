// Hits and slices in the preview, worked with real mouse and key events: markers found on
// every render, dragged, added, deleted, each edit undone and redone, a slice heard with fades.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QTest>
#include <QUndoStack>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "audio/audio_player.h"
#include "preview/preview_slices.h"
#include "preview/preview_window.h"
#include "preview/waveform_view.h"
#include "pulse_server.h"
#include "slices/slice_fades.h"
#include "support/drum_loops.h"
#include "window_fixture.h"

namespace tactoria {
namespace {

using Frames = std::vector<std::int64_t>;
const Frames kBursts = {4000, 26000, 48000, 70000};
constexpr std::int64_t kToneStart = 73000;

// Noise bursts at kBursts and a tone too quiet to be a hit (441 Hz: 100 frames a period) from
// kToneStart to the end.
testing::Bytes Bursts() {
  testing::Bytes data = testing::NoiseBursts(88200, kBursts);
  for (std::int64_t i = 0; kToneStart + i < 88200; ++i) {
    const auto value = static_cast<std::uint16_t>(
        std::lround(3000 * std::sin(2 * std::numbers::pi * static_cast<double>(i) / 100)));
    for (const std::size_t at : {4 * (kToneStart + i), 4 * (kToneStart + i) + 2})
      testing::SetLe(data, at, value, 2);
  }
  return data;
}

void ExpectNear(const Frames& found, const Frames& expected) {
  ASSERT_EQ(found.size(), expected.size());
  for (std::size_t i = 0; i < found.size(); ++i) EXPECT_LE(std::llabs(found[i] - expected[i]), 32) << i;
}

class SliceTest : public testing::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    testing::WriteBytes(dir / "bursts.wav", testing::PcmWave(Bursts()));
    Open(QString::fromStdString(dir / "bursts.wav"));
    QTest::keyClick(window.get(), Qt::Key_P, Qt::ControlModifier);
    preview = window->Preview();
    // A Preview wide enough for a click between markers, and, since the mouse goes through the
    // platform to the top window under it, the main window out from under it.
    preview->setGeometry(0, 0, 780, 420);
    window->move(0, preview->frameGeometry().bottom() + 1);
    Settle();
  }
  void Settle() { QTRY_VERIFY_WITH_TIMEOUT(!preview->Busy() && preview->Sound(), 10000); }
  PreviewSlices& Slices() { return preview->Slices(); }
  const Frames& Markers() { return Slices().State().markers; }
  WaveformView& View() { return preview->View(); }
  int X(std::int64_t frame) { return View().XOf(frame); }
  std::int64_t FrameAt(int x) { return FrameAtX(View().Scene(), WaveformLanes(View().rect()), x); }
  void HitsMode() {
    preview->findChild<QComboBox*>("SliceMode")->setCurrentIndex(1);
    ASSERT_TRUE(Slices().Editing());
  }
  void Drag(int fromX, QPoint to) {
    QTest::mousePress(&View(), Qt::LeftButton, {}, QPoint(fromX, View().LanesY()));
    QTest::mouseMove(&View(), to);
    QTest::mouseRelease(&View(), Qt::LeftButton, {}, to);
  }
  void Undo() { QTest::keyClick(&View(), Qt::Key_Z, Qt::ControlModifier); }
  void Redo() { QTest::keyClick(&View(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); }
  PreviewWindow* preview = nullptr;
};

TEST_F(SliceTest, HitsAreFoundOnEveryRenderAndShownOverTheGrid) {
  ExpectNear(Slices().Found(), kBursts);
  EXPECT_EQ(View().Scene().slices.markers, Slices().Found());
  EXPECT_FALSE(View().Scene().slices.editable);
  EXPECT_EQ(preview->Grid().beats, 4);  // the grid stays
  // Half the length: the hits are found again on the new render. A render already under way
  // for another length is dropped with its hits.
  Retype("TxtNewSamp", "60000");
  QCoreApplication::processEvents();  // its job starts
  Retype("TxtNewSamp", "44100");
  Settle();
  ExpectNear(Slices().Found(), {2000, 13000, 24000, 35000});
  EXPECT_EQ(Slices().Found(), PreviewSlices::FindOn(*preview->Sound()));
  // The original data shows no markers: they belong to the render.
  QTest::keyClick(&View(), Qt::Key_O);
  Settle();
  EXPECT_TRUE(View().Scene().slices.markers.empty());
}

TEST_F(SliceTest, MarkersAreDraggedAddedAndDeletedAndEachEditUndone) {
  HitsMode();
  preview->findChild<QCheckBox*>("SliceSnap")->setChecked(false);
  const Frames found = Markers();
  const int y = View().LanesY();

  // Drag the second marker 30 pixels to the right.
  Drag(X(found[1]), QPoint(X(found[1]) + 30, y));
  Frames moved = found;
  moved[1] = FrameAt(X(found[1]) + 30);
  EXPECT_EQ(Markers(), moved);
  EXPECT_TRUE(Slices().State().edited);
  Undo();
  EXPECT_EQ(Markers(), found);
  EXPECT_FALSE(Slices().State().edited);
  Redo();
  EXPECT_EQ(Markers(), moved);

  // A double-click in the silence adds a marker there, selected.
  const int xAdd = X(15000);
  QTest::mouseDClick(&View(), Qt::LeftButton, {}, QPoint(xAdd, y));
  Frames added = moved;
  added.insert(added.begin() + 1, FrameAt(xAdd));
  EXPECT_EQ(Markers(), added);
  EXPECT_EQ(Slices().SelectedMarker(), 1);
  Undo();
  EXPECT_EQ(Markers(), moved);
  Redo();
  EXPECT_EQ(Markers(), added);

  // Delete takes the selected marker away; a click selects one first.
  QTest::mouseClick(&View(), Qt::LeftButton, {}, QPoint(X(added[3]), y));
  EXPECT_EQ(Slices().SelectedMarker(), 3);
  QTest::keyClick(&View(), Qt::Key_Delete);
  Frames deleted = added;
  deleted.erase(deleted.begin() + 3);
  EXPECT_EQ(Markers(), deleted);
  Undo();
  EXPECT_EQ(Markers(), added);
  Redo();
  EXPECT_EQ(Markers(), deleted);

  // Dragged off the view, a marker is removed too.
  Drag(X(deleted[0]), QPoint(X(deleted[0]), -15));
  const Frames dropped(deleted.begin() + 1, deleted.end());
  EXPECT_EQ(Markers(), dropped);

  // A new length keeps the edited markers, scaled, instead of finding the hits again.
  Retype("TxtNewSamp", "44100");
  Settle();
  EXPECT_EQ(Markers(), ScaleMarkers(dropped, 88200, 44100));
  Undo();  // the drag off the view, on the new length
  EXPECT_EQ(Markers(), ScaleMarkers(deleted, 88200, 44100));

  // Back to the first edit: the markers are the hits found on this render.
  for (int i = 0; i < 3; ++i) Undo();  // the delete, the add, the move
  EXPECT_EQ(Markers(), Slices().Found());
  Undo();  // the mode
  EXPECT_EQ(Slices().State().mode, SliceMode::Grid);
  EXPECT_FALSE(window->UndoStack()->canUndo());
}

TEST_F(SliceTest, SnapPlacesAMarkerOnAZeroCrossing) {
  HitsMode();
  // The quiet tone crosses zero every 50 frames from kToneStart on; a marker double-clicked
  // between two crossings lands on the nearer one.
  const int x = X(80020);
  const std::int64_t target = FrameAt(x);
  ASSERT_NE((target - kToneStart) % 50, 0);
  QTest::mouseDClick(&View(), Qt::LeftButton, {}, QPoint(x, View().LanesY()));
  ASSERT_TRUE(Slices().SelectedMarker());
  const std::int64_t placed = Markers()[static_cast<std::size_t>(*Slices().SelectedMarker())];
  EXPECT_EQ((placed - kToneStart) % 50, 0) << placed;
  EXPECT_LE(std::llabs(placed - target), 25);
}

TEST_F(SliceTest, AClickPlaysTheSliceAloneWithItsFades) {
  EXPECT_EQ(Slices().Starts(), (Frames{0, 22050, 44100, 66150}));  // Grid: the beats
  HitsMode();
  const Frames hits = Markers();
  Frames starts = hits;
  starts.insert(starts.begin(), 0);  // what lies before the first hit is slice 1, as exported
  EXPECT_EQ(Slices().Starts(), starts);
  QTest::mouseClick(&View(), Qt::LeftButton, {}, QPoint(X(hits[2] + 1000), View().LanesY()));
  ASSERT_TRUE(Slices().SelectedSlice());
  EXPECT_EQ(Slices().SelectedSlice()->first, hits[2]);
  EXPECT_EQ(Slices().SelectedSlice()->end, hits[3]);
  const PreviewSlices::SliceSound heard = Slices().SelectedSliceSound();
  ASSERT_TRUE(heard.sound);
  EXPECT_EQ(heard.first, hits[2]);
  // The slice as it will be written: its frames of the render, faded in and out.
  const std::vector<std::byte> all = preview->Sound()->Copy();
  std::vector<std::byte> expected(all.begin() + hits[2] * 4, all.begin() + hits[3] * 4);
  ASSERT_TRUE(ApplyFades(expected, preview->Sound()->format(), FadeFrames(kDefaultFadeInMs, 44100),
                         FadeFrames(kDefaultFadeOutMs, 44100)));
  EXPECT_EQ(heard.sound->Copy(), expected);
  EXPECT_EQ(std::to_integer<int>(expected[0]) | std::to_integer<int>(expected[1]), 0);  // silent start
  EXPECT_TRUE(std::equal(expected.begin() + 400, expected.begin() + 800, all.begin() + hits[2] * 4 + 400));
  if (testing::g_pulse) {
    EXPECT_TRUE(preview->Player().IsPlaying());
  }
  // The status line says what Space plays now, and Escape returns to the whole sound.
  EXPECT_TRUE(preview->StatusText().endsWith(
      "Space plays slice 4 alone; Escape or a click outside the slices: the whole sound"))
      << preview->StatusText().toStdString();
  QTest::keyClick(&View(), Qt::Key_Escape);
  EXPECT_FALSE(Slices().SelectedSlice());
  EXPECT_TRUE(preview->StatusText().endsWith("Space plays the whole sound"));
}

}  // namespace
}  // namespace tactoria
