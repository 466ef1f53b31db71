#pragma once

#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>

#include "waveform/waveform_painter.h"

namespace tactoria {

// The preview's drawing surface: paints a scene and reports what the mouse does to it.
class WaveformView : public QWidget {
  Q_OBJECT

 public:
  explicit WaveformView(QWidget* parent = nullptr);

  // The summary stays owned by the caller's shared pointer, kept alive with the scene.
  void SetScene(const WaveformScene& scene, std::shared_ptr<const PeakSummary> summary);
  const WaveformScene& Scene() const { return scene_; }
  void SetPlayhead(std::optional<std::int64_t> frame);
  void SetSliceMarks(SliceMarks marks);
  // The lanes' width in pixels: the column count a summary needs.
  int Columns() const { return std::max(1, width()); }
  // The x of a frame in widget coordinates (tests click beats through it).
  int XOf(std::int64_t frame) const;
  int LanesY() const;

 signals:
  void BeatClicked(std::int64_t beat);  // -1: the click fell outside every beat (tail, ruler)
  void Hovered(const QString& text);
  void ZoomAsked(int steps, double atFraction);  // steps > 0 zooms in
  void ScrollAsked(int steps);
  void ColumnsChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void ShowHover(const QPoint& at);

  WaveformScene scene_;
  std::optional<QPoint> mouseAt_;  // while the mouse is over the view
  std::shared_ptr<const PeakSummary> summary_;
  int wheelRest_ = 0;
};

}  // namespace tactoria
