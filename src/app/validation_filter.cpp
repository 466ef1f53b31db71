#include "validation_filter.h"

#include <QApplication>
#include <QFocusEvent>
#include <QTimer>
#include <QWidget>

namespace tactoria {

void ValidationFilter::Watch(QWidget* field, Handler handler) {
  entries_.push_back({field, std::move(handler)});
  field->installEventFilter(this);
}

namespace {

bool MovesWithinWindow(Qt::FocusReason reason) {
  switch (reason) {
    case Qt::MouseFocusReason:
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason:
    case Qt::OtherFocusReason:
      return true;
    default:  // a popup or menu opened, the window lost activation
      return false;
  }
}

}  // namespace

bool ValidationFilter::eventFilter(QObject* watched, QEvent* event) {
  if (eatPress_ &&
      (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)) {
    eatPress_ = false;
    qApp->removeEventFilter(this);
    return true;
  }
  if (event->type() != QEvent::FocusOut || restoring_) return false;
  const auto reason = static_cast<QFocusEvent*>(event)->reason();
  if (!MovesWithinWindow(reason)) return false;

  for (const auto& entry : entries_) {
    if (entry.field != watched) continue;
    // The widget taking the focus is already the application's focus widget here.
    const QWidget* next = QApplication::focusWidget();
    if (next == nullptr || next == entry.field || next->window() != entry.field->window()) return false;

    bool cancel = false;
    entry.handler(cancel);
    if (!cancel || !entry.field->isEnabled() || !entry.field->isVisible()) return false;

    // Back into the field. The field never sees this focus-out, so it keeps its focused state.
    restoring_ = true;
    entry.field->setFocus(Qt::OtherFocusReason);
    restoring_ = false;
    if (reason == Qt::MouseFocusReason) {
      // The press that moved the focus is being delivered: it must not also click its target.
      // Only that press: the flag is dropped once the event loop runs again.
      eatPress_ = true;
      qApp->installEventFilter(this);
      QTimer::singleShot(0, this, [this] {
        if (eatPress_) qApp->removeEventFilter(this);
        eatPress_ = false;
      });
    }
    return true;
  }
  return false;
}

}  // namespace tactoria
