#pragma once

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace tactoria {

// The busy (hourglass) pointer for as long as it lives. Show and Hide may switch it while it
// lives; every Show is undone once, so the override cursor stack always ends balanced.
class BusyPointer {
 public:
  explicit BusyPointer(bool show = true) {
    if (show) Show();
  }
  ~BusyPointer() { Hide(); }
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;

  void Show() {
    if (shown_) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    shown_ = true;
  }
  void Hide() {
    if (!shown_) return;
    QApplication::restoreOverrideCursor();
    shown_ = false;
  }

 private:
  bool shown_ = false;
};

// Keeps a window disabled for as long as it lives.
class DisabledWindow {
 public:
  explicit DisabledWindow(QWidget* window) : window_(window) {
    if (window_) window_->setEnabled(false);
  }
  ~DisabledWindow() {
    if (window_) window_->setEnabled(true);
  }
  DisabledWindow(const DisabledWindow&) = delete;
  DisabledWindow& operator=(const DisabledWindow&) = delete;

 private:
  QPointer<QWidget> window_;
};

}  // namespace tactoria
