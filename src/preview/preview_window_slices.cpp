// The preview's slices: the row of slice controls, a slice heard alone with its fades, and the
// window's undo and redo shortcuts.
#include <QAction>
#include <QBoxLayout>
#include <QKeySequence>
#include <QPushButton>
#include <QUndoStack>

#include "audio/audio_player.h"
#include "preview/preview_slices.h"
#include "preview/preview_window.h"
#include "preview/waveform_view.h"
#include "ui/main_window_state.h"

namespace tactoria {

void PreviewWindow::LinkSlices() {
  QUndoStack* undo = main_.UndoStack();
  slices_ = new PreviewSlices(*view_, undo, this);
  if (auto* box = qobject_cast<QBoxLayout*>(layout())) box->insertWidget(1, slices_->Bar());
  connect(slices_, &PreviewSlices::SliceChanged, this, &PreviewWindow::OnSliceChanged);
  // The other cuts: whatever was selected under the former ones is not played any more.
  connect(slices_, &PreviewSlices::ModeChanged, this, [this] { OnBeatClicked(-1); });
  if (!undo) return;
  // The main window's Edit menu, reached from here too.
  QAction* undoAction = undo->createUndoAction(this, QStringLiteral("Undo"));
  undoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  QAction* redoAction = undo->createRedoAction(this, QStringLiteral("Redo"));
  redoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
  for (QAction* action : {undoAction, redoAction}) {
    action->setShortcutContext(Qt::WindowShortcut);
    addAction(action);
  }
}

bool PreviewWindow::PlaySelectedSlice() {
  playOffset_ = 0;
  PreviewSlices::SliceSound slice = slices_->SelectedSliceSound();
  if (!slice.sound) return false;
  player_->SetSound(std::move(slice.sound));
  playOffset_ = slice.first;
  return true;
}

void PreviewWindow::OnSliceChanged() {
  UpdatePlayer();
  if (slices_->SelectedSlice() && play_->isEnabled() && !player_->IsPlaying()) player_->Play();
  UpdateControls();
}

}  // namespace tactoria
