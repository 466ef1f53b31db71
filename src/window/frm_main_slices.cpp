// File > Export Slices...: the slices as the Preview shapes them, with the sampler files.
#include <QAction>
#include <QKeySequence>
#include <QMenu>

#include "preview/preview_slices.h"
#include "preview/preview_window.h"
#include "window/frm_main.h"

namespace tactoria {

void FrmMain::BuildExportSlicesCommand() {
  MnuExportSlices = MnuFile->addAction(QStringLiteral("Export Slices..."));
  MnuExportSlices->setObjectName(QStringLiteral("MnuExportSlices"));
  MnuExportSlices->setEnabled(false);
  MnuExportSlices->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
  connect(MnuExportSlices, &QAction::triggered, this, &FrmMain::MnuExportSlices_Click);
}

void FrmMain::MnuExportSlices_Click() {
  if (ReadyForCommand(true)) output_.ExportSlices(settings_, preview_->Slices().State());
}

}  // namespace tactoria
