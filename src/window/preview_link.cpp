// The main window's side of the preview: its menu command and the fields it follows.
#include <QAction>
#include <QCheckBox>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>

#include "preview/preview_order_audition.h"
#include "preview/preview_window.h"
#include "window/frm_main.h"

namespace tactoria {

void FrmMain::LinkPreview() {
  preview_ = new PreviewWindow(*this, settings_, this);
  MnuTools->addSeparator();
  MnuPreview = MnuTools->addAction(QStringLiteral("Preview"));
  MnuPreview->setObjectName(QStringLiteral("MnuPreview"));
  MnuPreview->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
  connect(MnuPreview, &QAction::triggered, this, &FrmMain::MnuPreview_Click);

  // Every text and box the render or the span reads.
  for (QLineEdit* field : {TxtNewSamp, TxtNewBytes, TxtOrgBytes, LblPhaser, TxtBeats, TxtBars})
    connect(field, &QLineEdit::textChanged, this, &FrmMain::RenderInputsChanged);
  for (QCheckBox* box : {ChkPhaser, ChkReverse})
    connect(box, &QCheckBox::toggled, this, &FrmMain::RenderInputsChanged);
  connect(this, &FrmMain::RenderInputsChanged, preview_, &PreviewWindow::RenderInputsChanged);

  // Keep Pitch is one choice, held by the Tools menu and shown by the preview's box too.
  preview_->SetKeepPitch(KeepPitch());
  connect(preview_, &PreviewWindow::KeepPitchToggled, this, &FrmMain::SetKeepPitch);
  connect(this, &FrmMain::KeepPitchChanged, preview_, &PreviewWindow::SetKeepPitch);
  connect(this, &FrmMain::KeepPitchChanged, this, &FrmMain::RenderInputsChanged);

  // The main window's commands keep their keys while the preview has the focus (markers are
  // edited there, so their export is one of them).
  for (QAction* command : {MnuOpenWave, MnuImport, MnuSaveAsWave, MnuSpanAs, MnuExportSlices, MnuExit,
                           MnuShuffle, MnuMixTo, MnuDetectTempo, MnuPreview})
    preview_->addAction(command);

  // "Use Tempo" in the preview is Detect Tempo.
  connect(preview_, &PreviewWindow::UseTempoAsked, this, &FrmMain::MnuDetectTempo_Click);

  // The Shuffle dialog plays its order through the preview's player.
  output_.SetOrderAudition(new PreviewOrderAudition(*this, preview_->Player(), preview_));
}

void FrmMain::MnuPreview_Click() {
  preview_->show();
  preview_->raise();
  preview_->activateWindow();
}

}  // namespace tactoria
