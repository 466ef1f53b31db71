#include "render_progress.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace tactoria {

RenderProgress::RenderProgress(QWidget* owner) : owner_(owner) {
  clock_.start();
  control_.cancel = &cancel_;
  control_.progress = [this](double done) { Report(done); };
}

RenderProgress::~RenderProgress() = default;

void RenderProgress::Report(double done) {
  const qint64 now = clock_.elapsed();
  if (now < kQuietMs) return;
  if (!dialog_) {
    dialog_ = std::make_unique<QProgressDialog>(QStringLiteral("Changing the length with the pitch kept..."),
                                                QStringLiteral("Cancel"), 0, 1000, owner_);
    dialog_->setObjectName(QStringLiteral("RenderProgress"));
    dialog_->setWindowTitle(QStringLiteral("Rendering"));
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setMinimumDuration(0);
    // The owner is disabled while the command runs; this window must still take the click.
    dialog_->setEnabled(true);
    QObject::connect(dialog_.get(), &QProgressDialog::canceled, dialog_.get(), [this] { cancel_ = true; });
    dialog_->show();
  }
  dialog_->setValue(static_cast<int>(done * 1000));
  // Events a few dozen times a second: enough for the window, little for the render.
  if (now - lastEvents_ >= 30 || done >= 1.0) {
    lastEvents_ = now;
    QCoreApplication::processEvents();
  }
}

}  // namespace tactoria
