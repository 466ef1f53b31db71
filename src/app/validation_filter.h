#pragma once

#include <QObject>
#include <functional>
#include <vector>

class QWidget;

namespace tactoria {

// Runs a field's validation handler when the focus is about to move from the field to another
// control of the same window (Tab, Backtab, a mouse click, a program's focus change). Opening
// a menu or a dialog, or switching windows, validates nothing. When the handler cancels, the
// focus goes back into the field, and a mouse press that tried to move it does nothing else.
class ValidationFilter : public QObject {
  Q_OBJECT

 public:
  using Handler = std::function<void(bool& cancel)>;

  explicit ValidationFilter(QObject* parent = nullptr) : QObject(parent) {}

  void Watch(QWidget* field, Handler handler);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Entry {
    QWidget* field;
    Handler handler;
  };
  std::vector<Entry> entries_;
  bool restoring_ = false;
  bool eatPress_ = false;
};

}  // namespace tactoria
