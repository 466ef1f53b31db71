#pragma once

#include "ui/user_dialogs.h"

namespace tactoria {

// Forwards every dialog to another UserDialogs and then gives the owning window its focus back
// (FocusReturn).
class FocusReturningDialogs : public UserDialogs {
 public:
  explicit FocusReturningDialogs(UserDialogs& inner) : inner_(inner) {}

  void Message(QWidget* parent, const QString& title, const QString& text, MessageIcon icon) override;
  Answer Question(QWidget* parent, const QString& title, const QString& text, bool withCancel) override;
  std::optional<QString> InputBox(QWidget* parent, const QString& title, const QString& prompt,
                                  const QString& proposed) override;
  std::optional<FileChoice> ChooseOpenFile(QWidget* parent, const QString& title, const QString& folder,
                                           const QString& filter) override;
  std::optional<FileChoice> ChooseSaveFile(QWidget* parent, const QString& title, const QString& folder,
                                           const QString& filter) override;
  bool OpenDocument(const QUrl& url) override { return inner_.OpenDocument(url); }

 private:
  UserDialogs& inner_;
};

}  // namespace tactoria
