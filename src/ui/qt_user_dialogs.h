#pragma once

#include "ui/user_dialogs.h"

namespace tactoria {

// The dialogs as Qt shows them: QMessageBox, QInputDialog and QFileDialog.
class QtUserDialogs : public UserDialogs {
 public:
  void Message(QWidget* parent, const QString& title, const QString& text, MessageIcon icon) override;
  Answer Question(QWidget* parent, const QString& title, const QString& text, bool withCancel) override;
  std::optional<QString> InputBox(QWidget* parent, const QString& title, const QString& prompt,
                                  const QString& proposed) override;
  std::optional<FileChoice> ChooseOpenFile(QWidget* parent, const QString& title, const QString& folder,
                                           const QString& filter) override;
  std::optional<FileChoice> ChooseSaveFile(QWidget* parent, const QString& title, const QString& folder,
                                           const QString& filter) override;
  bool OpenDocument(const QUrl& url) override;
};

}  // namespace tactoria
