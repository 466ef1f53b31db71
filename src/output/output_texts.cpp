#include "output_texts.h"

#include <QFile>

namespace tactoria {

void ShowSaveFailure(UserDialogs& dialogs, QWidget* parent, FileResult result) {
  switch (result) {
    case FileResult::Success:
      return;
    case FileResult::OutOfMemory:
      ShowOutOfMemory(dialogs, parent);
      return;
    case FileResult::CannotReplace:
    case FileResult::CannotCreate:
      dialogs.Message(parent, {}, kCreateFailed, MessageIcon::None);
      return;
    default:  // a write failure, and any other code: never reported as success
      dialogs.Message(parent, {}, kWriteFailed, MessageIcon::None);
      return;
  }
}

void ShowOutOfMemory(UserDialogs& dialogs, QWidget* parent) {
  dialogs.Message(parent, kOutOfMemoryTitle, kOutOfMemory, MessageIcon::Critical);
}

std::string ToFsPath(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

QString FromFsPath(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

}  // namespace tactoria
