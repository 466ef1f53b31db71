#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <atomic>
#include <memory>

#include "process/time_stretch.h"

class QProgressDialog;
class QWidget;

namespace tactoria {

// The progress window of an output command's render: it appears once the render has run about half
// a second (a Keep Pitch stretch of a long sound), shows how far it is and offers Cancel. The render
// runs on the user-interface thread; each report lets pending events through, so the window paints
// and its Cancel answers. The owner, disabled meanwhile, gives itself the focus back afterwards
// (FocusReturn made before it was disabled).
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
  std::unique_ptr<QProgressDialog> dialog_;
};

}  // namespace tactoria
