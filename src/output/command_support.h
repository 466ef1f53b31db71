#pragma once

#include <QString>
#include <exception>
#include <new>
#include <optional>

#include "output/output_texts.h"
#include "process/time_stretch_render.h"
#include "ui/main_window_state.h"

namespace tactoria {

// The plan of the render the window's fields describe (a long one shows its progress with Cancel);
// shows the failure, if any. None when it failed or was cancelled.
std::optional<PlannedRender> PlanShownRender(MainWindowState& window, const vbMediaFile& wave);

// Beat(s) and Bar(s) as numbers, both at least 1 as a cut into beats needs; else the message, and none.
struct BeatCounts {
  double beats = 0;
  double bars = 0;
};
std::optional<BeatCounts> BeatsAndBarsAtLeastOne(MainWindowState& window);

// Runs a command so that no exception leaves it; the guards inside have already restored the
// pointer and the window when the message shows.
template <typename Body>
void Guarded(MainWindowState& window, Body&& body) {
  try {
    body();
  } catch (const std::bad_alloc&) {
    try {
      ShowOutOfMemory(window.Dialogs(), window.Window());
    } catch (...) {
    }
  } catch (const std::exception& e) {
    try {
      window.Dialogs().Message(
          window.Window(), {},
          QStringLiteral("The command could not be completed: ") + QString::fromLocal8Bit(e.what()),
          MessageIcon::Critical);
    } catch (...) {
    }
  }
}

}  // namespace tactoria
