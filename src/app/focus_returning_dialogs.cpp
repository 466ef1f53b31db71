#include "focus_returning_dialogs.h"

#include <QPointer>
#include <QWidget>

namespace tactoria {

namespace {

// Notes the owner's focused control before a dialog and hands window and focus back after it.
class FocusReturn {
 public:
  explicit FocusReturn(QWidget* parent)
      : window_(parent != nullptr ? parent->window() : nullptr),
        focus_(window_ != nullptr ? window_->focusWidget() : nullptr) {}
  FocusReturn(const FocusReturn&) = delete;
  FocusReturn& operator=(const FocusReturn&) = delete;

  ~FocusReturn() {
    if (window_ == nullptr || !window_->isVisible()) return;
    window_->activateWindow();
    // The focus may have moved while the dialog ran (a validation put it back into its
    // field): that control keeps it.
    QWidget* target = window_->focusWidget();
    if (target == nullptr) target = focus_;
    if (target != nullptr && target->isEnabled() && target->isVisible())
      target->setFocus(Qt::OtherFocusReason);
  }

 private:
  QPointer<QWidget> window_;
  QPointer<QWidget> focus_;
};

}  // namespace

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
