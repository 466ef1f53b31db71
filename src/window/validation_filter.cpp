#include "validation_filter.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace tactoria {

ValidationFilter::ValidationFilter(QObject* parent) : QObject(parent) {
  qApp->installEventFilter(this);
}

ValidationFilter::~ValidationFilter() {
  qApp->removeEventFilter(this);
}

void ValidationFilter::Watch(QWidget* field, Handler handler) {
  entries_.push_back({field, std::move(handler)});
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

// The control a click on `target` gives the focus to, as Qt chooses it; null for none.
QWidget* ClickFocusTarget(QWidget* target) {
  for (QWidget* w = target; w != nullptr && !w->isWindow(); w = w->parentWidget()) {
    if (w->isEnabled() && (w->focusPolicy() & Qt::ClickFocus) == Qt::ClickFocus) return w;
  }
  return nullptr;
}

}  // namespace

const ValidationFilter::Entry* ValidationFilter::Find(const QObject* field) const {
  for (const auto& entry : entries_)
    if (entry.field == field) return &entry;
  return nullptr;
}

bool ValidationFilter::Validate(const Entry& entry) {
  bool cancel = false;
  entry.handler(cancel);
  if (!cancel || !entry.field->isEnabled() || !entry.field->isVisible()) return true;
  // Back into the field. The field never sees this focus change as a leave.
  restoring_ = true;
  entry.field->window()->activateWindow();
  entry.field->setFocus(Qt::OtherFocusReason);
  restoring_ = false;
  return false;
}

bool ValidationFilter::ValidateFocused(QWidget* window) {
  const Entry* entry = Find(window->focusWidget());
  if (entry == nullptr || !entry->field->isEnabled()) return true;
  return Validate(*entry);
}

void ValidationFilter::EatCurrentPress() {
  // The press that moved the focus is being delivered: it must not also click its target.
  // Only that press: the flag is dropped once the event loop runs again.
  eatPress_ = true;
  QTimer::singleShot(0, this, [this] { eatPress_ = false; });
}

bool ValidationFilter::PressLeavesField(QWidget* target) {
  // With the window active, the press moves the focus and the focus-out below validates.
  QWidget* window = target->window();
  const Entry* entry = Find(window->focusWidget());
  if (entry == nullptr || entry->field == QApplication::focusWidget()) return false;
  QWidget* next = ClickFocusTarget(target);
  if (next == nullptr || next == entry->field || !entry->field->isEnabled()) return false;
  return !Validate(*entry);
}

bool ValidationFilter::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      if (eatPress_) {
        eatPress_ = false;
        return true;
      }
      // Seen as the window receives it, before Qt moves the focus on the press.
      auto* window = qobject_cast<QWindow*>(watched);
      if (window == nullptr) return false;
      const auto* mouse = static_cast<QMouseEvent*>(event);
      for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->windowHandle() != window) continue;
        QWidget* target = top->childAt(mouse->position().toPoint());
        return PressLeavesField(target != nullptr ? target : top);
      }
      return false;
    }
    case QEvent::KeyPress: {
      const auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab) return false;
      if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
      const Entry* entry = Find(watched);
      // With the window active, the focus-out below validates.
      if (entry == nullptr || entry->field == QApplication::focusWidget()) return false;
      return !Validate(*entry);  // a cancelled leave eats the key
    }
    case QEvent::FocusOut: {
      if (restoring_) return false;
      const Entry* entry = Find(watched);
      if (entry == nullptr) return false;
      const auto reason = static_cast<QFocusEvent*>(event)->reason();
      if (!MovesWithinWindow(reason)) return false;
      // The widget taking the focus is already the application's focus widget here.
      const QWidget* next = QApplication::focusWidget();
      if (next == nullptr || next == entry->field || next->window() != entry->field->window()) return false;
      if (Validate(*entry)) return false;
      if (reason == Qt::MouseFocusReason) EatCurrentPress();
      return true;
    }
    default:
      return false;
  }
}

}  // namespace tactoria
