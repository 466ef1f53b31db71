#include "button_label.h"

#include <QMouseEvent>
#include <QPalette>

namespace tactoria {

ButtonLabel::ButtonLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {}

void ButtonLabel::SetColours(const QColor& text, const QColor& background) {
  QPalette colours = palette();
  for (const auto group : {QPalette::Active, QPalette::Inactive}) {
    colours.setColor(group, QPalette::WindowText, text);
    colours.setColor(group, QPalette::Window, background);
  }
  // Disabled: the same background, the text greyed.
  colours.setColor(QPalette::Disabled, QPalette::WindowText, QColor(128, 128, 128));
  colours.setColor(QPalette::Disabled, QPalette::Window, background);
  setPalette(colours);
  setAutoFillBackground(background.isValid() && background != Qt::transparent);
}

int ButtonLabel::ButtonCode(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton:
      return 1;
    case Qt::RightButton:
      return 2;
    case Qt::MiddleButton:
      return 4;
    default:
      return 0;
  }
}

int ButtonLabel::ShiftMask(Qt::KeyboardModifiers modifiers) {
  int mask = 0;
  if (modifiers & Qt::ShiftModifier) mask |= 1;
  if (modifiers & Qt::ControlModifier) mask |= 2;
  if (modifiers & Qt::AltModifier) mask |= 4;
  return mask;
}

void ButtonLabel::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) clickPending_ = true;
  const QPoint at = event->position().toPoint();
  emit MouseDown(ButtonCode(event->button()), ShiftMask(event->modifiers()), at.x(), at.y());
}

void ButtonLabel::mouseReleaseEvent(QMouseEvent* event) {
  // Decided before MouseUp runs: its handler may take the press back with ForgetPress().
  const bool click =
      clickPending_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  if (event->button() == Qt::LeftButton) clickPending_ = false;
  const QPoint at = event->position().toPoint();
  emit MouseUp(ButtonCode(event->button()), ShiftMask(event->modifiers()), at.x(), at.y());
  if (click) emit Click();
}

void ButtonLabel::mouseDoubleClickEvent(QMouseEvent* event) {
  // The second press of a double click: no MouseDown, and its release is no click.
  if (event->button() == Qt::LeftButton) {
    clickPending_ = false;
    emit DblClick();
  }
}

}  // namespace tactoria
