// The tempo of the open data in the preview's status line, and "Use Tempo", which hands it to
// the main window's Detect Tempo.
#include <QBoxLayout>
#include <QPushButton>

#include "preview/file_tempo.h"
#include "preview/preview_window.h"
#include "wave/media_file.h"

namespace tactoria {

void PreviewWindow::BuildTempoControls(QBoxLayout* statusRow) {
  useTempo_ = new QPushButton(QStringLiteral("Use Tempo"), this);
  useTempo_->setObjectName(QStringLiteral("PreviewUseTempo"));
  useTempo_->setToolTip(QStringLiteral("Write the tempo found into Beat(s) and Bar(s) (Detect Tempo)"));
  useTempo_->setFocusPolicy(Qt::NoFocus);
  useTempo_->setEnabled(false);
  statusRow->addWidget(useTempo_);
  connect(useTempo_, &QPushButton::clicked, this, &PreviewWindow::UseTempoAsked);
}

void PreviewWindow::StartTempoJob(const vbMediaFile& wave) {
  const std::uint64_t job = ++tempoJob_;
  tempoData_ = source_.data;
  tempo_.reset();
  if (!tempoData_) return;
  auto pcm = tempoData_;
  const WaveFormat format = source_.format;
  TempoOptions options = FileTempoOptions(wave);
  tempoWorker_.Submit([this, job, pcm, format, options = std::move(options)] {
    auto estimate = std::make_shared<const TempoEstimate>(EstimateTempo(pcm->bytes(), format, options));
    QMetaObject::invokeMethod(
        this,
        [this, job, estimate] {
          if (job != tempoJob_) return;  // the data has changed since
          tempo_ = *estimate;
          UpdateControls();
        },
        Qt::QueuedConnection);
  });
}

}  // namespace tactoria
