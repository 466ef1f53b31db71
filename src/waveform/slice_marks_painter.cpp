#include <QPainter>
#include <QPainterPath>

#include "waveform/slice_marks.h"
#include "waveform/waveform_painter.h"

namespace tactoria {
namespace {

const QColor kHit(0x5c, 0xf0, 0x9a);
const QColor kHitShown(0x5c, 0xf0, 0x9a, 110);
const QColor kHitSelected(0xff, 0xff, 0xff);
const QColor kSlice(0x5c, 0xf0, 0x9a, 45);

}  // namespace

void PaintSliceMarks(QPainter& painter, const QRect& lanes, const WaveformScene& scene) {
  const SliceMarks& marks = scene.slices;
  if (marks.sliceFirst) {
    const double x1 = XOfFrame(scene, lanes, *marks.sliceFirst);
    const double x2 = XOfFrame(scene, lanes, marks.sliceEnd);
    painter.fillRect(QRectF(x1, lanes.top(), x2 - x1, lanes.height()), kSlice);
  }
  const std::int64_t viewEnd = scene.firstFrame + scene.frameCount;
  for (std::size_t i = 0; i < marks.markers.size(); ++i) {
    const std::int64_t frame = marks.markers[i];
    if (frame < scene.firstFrame || frame > viewEnd) continue;
    const bool selected = marks.selectedMarker && *marks.selectedMarker == static_cast<int>(i);
    const QColor colour = selected ? kHitSelected : marks.editable ? kHit : kHitShown;
    const double x = XOfFrame(scene, lanes, frame);
    painter.setPen(QPen(colour, selected ? 1.5 : 1.0, marks.editable ? Qt::SolidLine : Qt::DashLine));
    painter.drawLine(QPointF(x, lanes.top()), QPointF(x, lanes.bottom()));
    // The handle: a triangle pointing down at the marker's frame.
    QPainterPath handle;
    handle.moveTo(x - kMarkerHandle / 2.0 - 1, lanes.top());
    handle.lineTo(x + kMarkerHandle / 2.0 + 1, lanes.top());
    handle.lineTo(x, lanes.top() + kMarkerHandle);
    handle.closeSubpath();
    painter.fillPath(handle, colour);
  }
}

}  // namespace tactoria
