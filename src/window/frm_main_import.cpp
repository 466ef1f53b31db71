// File > Import...: any sound file libsndfile reads becomes the open file, so that every command
// works on it as on a wave file. Its dialog remembers its folder in a settings section of its own.
#include <QAction>
#include <QKeySequence>
#include <QMenu>

#include "ui/settings_store.h"
#include "window/frm_main.h"
#include "window/window_texts.h"

namespace tactoria {
namespace {

const QString kImportSection = QStringLiteral("Import");
const QString kImportFolderKey = QStringLiteral("Folder");

}  // namespace

void FrmMain::BuildImportCommand() {
  MnuImport = new QAction(QStringLiteral("Import..."), MnuFile);
  MnuImport->setObjectName(QStringLiteral("MnuImport"));
  MnuImport->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
  MnuFile->insertAction(MnuFileSep1, MnuImport);
  connect(MnuImport, &QAction::triggered, this, &FrmMain::MnuImport_Click);
}

void FrmMain::MnuImport_Click() {
  if (!ReadyForCommand(false)) return;
  // First in the folder File > Open remembers, then in the one imported from last.
  QString folder = settings_.Value(kImportSection, kImportFolderKey);
  if (folder.isEmpty()) folder = openFolder_;
  const auto choice = dialogs_.ChooseOpenFile(this, QString::fromLatin1(kImportTitle), DialogFolder(folder),
                                              QString::fromLatin1(kSoundFilter));
  if (!choice) return;
  settings_.SetValue(kImportSection, kImportFolderKey, choice->folder);
  QString path = choice->folder;
  if (!path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
  OpenPath(path + choice->fileName, Reader::Import);
}

}  // namespace tactoria
