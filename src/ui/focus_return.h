#pragma once

#include <QPointer>
#include <QWidget>

namespace tactoria {

// Notes a window's focused control and, when it goes, activates that window and puts the focus
// back itself. Without a window manager (or with one that does not re-activate the owner) nothing
// else would after a dialog closes, and the window would neither receive keys nor report its
// fields' focus changes.
class FocusReturn {
 public:
  explicit FocusReturn(QWidget* parent);
  FocusReturn(const FocusReturn&) = delete;
  FocusReturn& operator=(const FocusReturn&) = delete;
  ~FocusReturn();

 private:
  QPointer<QWidget> window_;
  QPointer<QWidget> focus_;
};

}  // namespace tactoria
