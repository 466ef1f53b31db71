#pragma once

#include <QObject>
#include <functional>
#include <vector>

class QWidget;

namespace tactoria {

// Runs a field's validation handler on every attempt to move the focus from the field to
// another control of the same window: Tab, Backtab, a mouse click on a control that takes the
// focus, a program's focus change, and (through ValidateFocused) a menu command. It does not
// rely on the window being active: where nothing has re-activated the window (no window
// manager), Tab and clicks still reach it but move no real focus, so they are watched as
// they arrive. Opening a menu or a dialog, or switching windows, validates nothing. When the
// handler cancels, the focus goes back into the field and the key or click that tried to
// move it does nothing else.
class ValidationFilter : public QObject {
  Q_OBJECT

 public:
  using Handler = std::function<void(bool& cancel)>;

  explicit ValidationFilter(QObject* parent = nullptr);
  ~ValidationFilter() override;

  void Watch(QWidget* field, Handler handler);

  // Validates the watched field that holds the focus of `window`, if any; false when its
  // handler cancelled (the focus is then back in the field).
  bool ValidateFocused(QWidget* window);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Entry {
    QWidget* field;
    Handler handler;
  };
  const Entry* Find(const QObject* field) const;
  // Runs the handler; on cancel puts the focus back into the field.
  bool Validate(const Entry& entry);
  bool PressLeavesField(QWidget* target);
  void EatCurrentPress();

  std::vector<Entry> entries_;
  bool restoring_ = false;
  bool eatPress_ = false;
};

}  // namespace tactoria
