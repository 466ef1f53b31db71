#pragma once

#include "app/user_dialogs.h"

namespace tactoria {

// Forwards every dialog to another UserDialogs and then gives the owning window its focus back
// itself: it activates the window and puts the focus on the control that had it. Without a
// window manager (or with one that does not re-activate the owner) nothing else would, and
// the window would neither receive keys nor report its fields' focus changes.
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

 private:
  UserDialogs& inner_;
};

}  // namespace tactoria
