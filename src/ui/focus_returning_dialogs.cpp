#include "focus_returning_dialogs.h"

#include "ui/focus_return.h"

namespace tactoria {

void FocusReturningDialogs::Message(QWidget* parent, const QString& title, const QString& text,
                                    MessageIcon icon) {
  const FocusReturn back(parent);
  inner_.Message(parent, title, text, icon);
}

Answer FocusReturningDialogs::Question(QWidget* parent, const QString& title, const QString& text,
                                       bool withCancel) {
  const FocusReturn back(parent);
  return inner_.Question(parent, title, text, withCancel);
}

std::optional<QString> FocusReturningDialogs::InputBox(QWidget* parent, const QString& title,
                                                       const QString& prompt, const QString& proposed) {
  const FocusReturn back(parent);
  return inner_.InputBox(parent, title, prompt, proposed);
}

std::optional<UserDialogs::FileChoice> FocusReturningDialogs::ChooseOpenFile(QWidget* parent,
                                                                             const QString& title,
                                                                             const QString& folder,
                                                                             const QString& filter) {
  const FocusReturn back(parent);
  return inner_.ChooseOpenFile(parent, title, folder, filter);
}

std::optional<UserDialogs::FileChoice> FocusReturningDialogs::ChooseSaveFile(QWidget* parent,
                                                                             const QString& title,
                                                                             const QString& folder,
                                                                             const QString& filter) {
  const FocusReturn back(parent);
  return inner_.ChooseSaveFile(parent, title, folder, filter);
}

}  // namespace tactoria
