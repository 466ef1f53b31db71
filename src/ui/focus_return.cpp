#include "focus_return.h"

namespace tactoria {

FocusReturn::FocusReturn(QWidget* parent)
    : window_(parent != nullptr ? parent->window() : nullptr),
      focus_(window_ != nullptr ? window_->focusWidget() : nullptr) {}

FocusReturn::~FocusReturn() {
  if (window_ == nullptr || !window_->isVisible()) return;
  window_->activateWindow();
  // The focus may have moved while the dialog ran (a validation put it back into its field):
  // that control keeps it.
  QWidget* target = window_->focusWidget();
  if (target == nullptr) target = focus_;
  if (target != nullptr && target->isEnabled() && target->isVisible()) target->setFocus(Qt::OtherFocusReason);
}

}  // namespace tactoria
