#pragma once

#include <QLabel>
#include <QString>

namespace tactoria {

// A label used as a button. Reports press, release, click and double click with the button as
// 1 (left), 2 (right) or 4 (middle) and the modifier keys as a mask: 1 Shift, 2 Ctrl, 4 Alt.
// A double click reports DblClick in place of the second press, and no click after it.
class ButtonLabel : public QLabel {
  Q_OBJECT

 public:
  explicit ButtonLabel(const QString& text, QWidget* parent = nullptr);

  // The current press no longer ends in a click (its release was taken by the program).
  void ForgetPress() { clickPending_ = false; }

  // Foreground and background of the label; disabled, the text is grey.
  void SetColours(const QColor& text, const QColor& background);

  static int ButtonCode(Qt::MouseButton button);
  static int ShiftMask(Qt::KeyboardModifiers modifiers);

 signals:
  void MouseDown(int button, int shift, int x, int y);
  void MouseUp(int button, int shift, int x, int y);
  void Click();
  void DblClick();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  bool clickPending_ = false;
};

}  // namespace tactoria
