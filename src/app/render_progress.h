#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <atomic>
#include <memory>
#include <optional>

#include "app/focus_return.h"
#include "process/time_stretch.h"

class QProgressDialog;
class QWidget;

namespace tactoria {

// The progress window of an output command's render: it appears once the render has run about half
// a second (a Keep Pitch stretch of a long sound), shows how far it is and offers Cancel. The render
// runs on the user-interface thread; each report lets pending events through, so the window paints
// and its Cancel answers.
class RenderProgress {
 public:
  explicit RenderProgress(QWidget* owner);
  ~RenderProgress();
  RenderProgress(const RenderProgress&) = delete;
  RenderProgress& operator=(const RenderProgress&) = delete;

  // For the render: progress reports and the cancel flag.
  const StretchControl* Control() const { return &control_; }
  bool Cancelled() const { return cancel_.load(); }

  static constexpr int kQuietMs = 500;

 private:
  void Report(double done);

  QPointer<QWidget> owner_;
  QElapsedTimer clock_;
  qint64 lastEvents_ = 0;
  std::atomic<bool> cancel_{false};
  StretchControl control_;
  std::optional<FocusReturn> back_;  // declared before the window: acts once it is gone
  std::unique_ptr<QProgressDialog> dialog_;
};

}  // namespace tactoria
