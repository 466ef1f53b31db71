#include "waveform_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>

namespace tactoria {

WaveformView::WaveformView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("WaveformView"));
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setMinimumSize(200, 120);
}

void WaveformView::SetScene(const WaveformScene& scene, std::shared_ptr<const PeakSummary> summary) {
  summary_ = std::move(summary);
  scene_ = scene;
  scene_.summary = summary_.get();
  update();
  // A new view (zoom, scroll, new length) puts another frame under a mouse that did not move.
  if (mouseAt_) ShowHover(*mouseAt_);
}

void WaveformView::SetPlayhead(std::optional<std::int64_t> frame) {
  if (scene_.playhead == frame) return;
  scene_.playhead = frame;
  update();
}

void WaveformView::SetSliceMarks(SliceMarks marks) {
  scene_.slices = std::move(marks);
  update();
}

int WaveformView::XOf(std::int64_t frame) const {
  return static_cast<int>(std::lround(XOfFrame(scene_, WaveformLanes(rect()), frame)));
}

int WaveformView::LanesY() const {
  return WaveformLanes(rect()).center().y();
}

void WaveformView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintWaveform(painter, rect(), scene_);
}

void WaveformView::mousePressEvent(QMouseEvent* event) {
  setFocus();
  if (event->button() != Qt::LeftButton) return;
  const QRect lanes = WaveformLanes(rect());
  if (!lanes.contains(event->position().toPoint())) {
    emit BeatClicked(-1);  // the ruler
    return;
  }
  const std::int64_t frame = FrameAtX(scene_, lanes, event->position().toPoint().x());
  emit BeatClicked(scene_.grid.BeatAt(frame));
}

void WaveformView::mouseMoveEvent(QMouseEvent* event) {
  mouseAt_ = event->position().toPoint();
  ShowHover(*mouseAt_);
}

void WaveformView::ShowHover(const QPoint& at) {
  const QRect lanes = WaveformLanes(rect());
  const std::int64_t frame = FrameAtX(scene_, lanes, at.x());
  if (scene_.sampleRate < 1 || frame < 0 || frame >= scene_.grid.soundFrames) {
    emit Hovered({});
    return;
  }
  const QString time =
      QString::number(static_cast<double>(frame) / scene_.sampleRate, 'f', 3) + QLatin1Char('s');
  const std::int64_t beat = scene_.grid.BeatAt(frame);
  if (beat < 0) {
    emit Hovered(QStringLiteral("Tail (not in any beat)  %1").arg(time));
    return;
  }
  emit Hovered(QStringLiteral("Bar %1  Beat %2  %3")
                   .arg(scene_.grid.BarNumber(beat))
                   .arg(scene_.grid.BeatInBar(beat))
                   .arg(time));
}

void WaveformView::leaveEvent(QEvent*) {
  mouseAt_.reset();
  emit Hovered({});
}

void WaveformView::wheelEvent(QWheelEvent* event) {
  wheelRest_ += event->angleDelta().y() != 0 ? event->angleDelta().y() : event->angleDelta().x();
  const int steps = wheelRest_ / 120;
  wheelRest_ %= 120;
  event->accept();
  if (steps == 0) return;
  if (event->modifiers() & Qt::ControlModifier) {
    emit ZoomAsked(steps, width() > 0 ? event->position().x() / width() : 0.5);
  } else {
    emit ScrollAsked(-steps);
  }
}

void WaveformView::resizeEvent(QResizeEvent*) {
  emit ColumnsChanged();
}

}  // namespace tactoria
