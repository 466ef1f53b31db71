// What a desktop expects of the main window beyond its own commands: the standard shortcuts,
// the Open Recent submenu and opening a file dropped on the window.
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenu>

#include "desktop/wave_drop_filter.h"
#include "window/frm_main.h"

namespace tactoria {

void FrmMain::AddDesktopCommands() {
  MnuOpenWave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  MnuSaveAsWave->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
  MnuSpanAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B));
  MnuExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  MnuShuffle->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R));
  MnuMixTo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
  MnuAbout->setShortcut(QKeySequence(Qt::Key_F1));

  // Right below "Open", as desktop programs place it.
  MnuRecent = new QMenu(QStringLiteral("Open Recent"), MnuFile);
  MnuRecent->setObjectName(QStringLiteral("MnuRecent"));
  MnuFile->insertMenu(MnuFileSep1, MnuRecent);
  RefreshRecentMenu();

  new WaveDropFilter(this, [this](const QString& path) { OpenSoundPath(path); });
}

void FrmMain::FileOpened(const QString& path) {
  recent_.Add(path);
  RefreshRecentMenu();
}

void FrmMain::RefreshRecentMenu() {
  // Taken out and deleted later rather than cleared: the entry being chosen runs this.
  for (QAction* old : MnuRecent->actions()) {
    MnuRecent->removeAction(old);
    old->deleteLater();
  }
  const QStringList& paths = recent_.Paths();
  for (qsizetype i = 0; i < paths.size(); ++i) {
    QString caption = QDir::toNativeSeparators(paths.at(i));
    caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
    // The first nine get their number as the access key.
    QAction* entry = MnuRecent->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(caption));
    entry->setObjectName(QStringLiteral("MnuRecent%1").arg(i + 1));
    connect(entry, &QAction::triggered, this, [this, path = paths.at(i)] { MnuRecent_Click(path); });
  }
  MnuRecent->addSeparator();
  QAction* clear = MnuRecent->addAction(QStringLiteral("Clear List"));
  clear->setObjectName(QStringLiteral("MnuClearRecent"));
  connect(clear, &QAction::triggered, this, &FrmMain::MnuClearRecent_Click);
  MnuRecent->menuAction()->setEnabled(!paths.isEmpty());
}

void FrmMain::MnuRecent_Click(const QString& path) {
  if (!QFileInfo(path).isFile()) {
    recent_.Remove(path);
    RefreshRecentMenu();
    ShowMessage(QStringLiteral("Open Recent"),
                QDir::toNativeSeparators(path) +
                    QStringLiteral(" no longer exists. It has been removed from the list."),
                MessageIcon::Exclamation);
    return;
  }
  OpenSoundPath(path);
}

void FrmMain::MnuClearRecent_Click() {
  recent_.Clear();
  RefreshRecentMenu();
}

}  // namespace tactoria
