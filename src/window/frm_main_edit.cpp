// The Edit menu: one undo stack for the window's session (slice edits in the preview, Shuffle's
// Apply), emptied when another file is opened.
#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QUndoStack>

#include "window/frm_main.h"

namespace tactoria {

void FrmMain::BuildEditMenu() {
  undoStack_ = new QUndoStack(this);
  MnuEdit = new QMenu(QStringLiteral("Edit"), this);
  MnuEdit->setObjectName(QStringLiteral("MnuEdit"));
  menuBar()->insertMenu(MnuTools->menuAction(), MnuEdit);
  // Window shortcuts: a text field that has the focus keeps Ctrl+Z for its own text.
  MnuUndo = undoStack_->createUndoAction(this, QStringLiteral("Undo"));
  MnuUndo->setObjectName(QStringLiteral("MnuUndo"));
  MnuUndo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  MnuUndo->setShortcutContext(Qt::WindowShortcut);
  MnuRedo = undoStack_->createRedoAction(this, QStringLiteral("Redo"));
  MnuRedo->setObjectName(QStringLiteral("MnuRedo"));
  MnuRedo->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
  MnuRedo->setShortcutContext(Qt::WindowShortcut);
  MnuEdit->addAction(MnuUndo);
  MnuEdit->addAction(MnuRedo);
}

void FrmMain::DataChanged() {
  emit RenderInputsChanged();
}

}  // namespace tactoria
