#pragma once

// The main window with its loop open and the Preview opened by its key, for the Preview's window tests.
#include <QTest>

#include "preview/preview_window.h"
#include "preview/waveform_view.h"
#include "pulse_server.h"
#include "window_fixture.h"

namespace tactoria::testing {

class PreviewTest : public LoopTest {
 protected:
  PreviewWindow* OpenPreview() {
    QTest::keyClick(window.get(), Qt::Key_P, Qt::ControlModifier);
    PreviewWindow* preview = window->Preview();
    EXPECT_TRUE(preview->isVisible());
    Settle(preview);
    return preview;
  }
  static void Settle(PreviewWindow* preview) {
    QTRY_VERIFY_WITH_TIMEOUT(!preview->Busy() && preview->Sound(), 20000);
  }
  static void Click(WaveformView& view, std::int64_t frame) {
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(view.XOf(frame), view.LanesY()));
  }
  static bool HasSound() { return g_pulse != nullptr; }
};

}  // namespace tactoria::testing
