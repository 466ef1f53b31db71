#include "help_document.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace tactoria {

QString HelpDocumentPath() {
  const QString name = QStringLiteral("README.md");
  const QString beside = QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                         QStringLiteral("/../share/doc/tactoria/") + name);
  if (QFileInfo::exists(beside)) return beside;
  return QDir::cleanPath(QStringLiteral(TACTORIA_DOC_DIR "/") + name);
}

QUrl HelpDocumentUrl() {
  return QUrl::fromLocalFile(HelpDocumentPath());
}

}  // namespace tactoria
