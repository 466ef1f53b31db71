#include "app_icon.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygonF>

namespace tactoria {

namespace {

// A dark square with a waveform and an up and a down arrow, the window's own colours.
QPixmap DrawIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / 32.0, size / 32.0);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(64, 64, 64));
  painter.drawRoundedRect(QRectF(1, 1, 30, 30), 4, 4);

  painter.setPen(QPen(QColor(120, 200, 255), 2));
  const QPointF wave[] = {{4, 16}, {8, 8}, {12, 24}, {16, 10}, {20, 22}};
  painter.drawPolyline(wave, 5);

  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::white);
  painter.drawPolygon(QPolygonF({{22, 13}, {30, 13}, {26, 5}}));
  painter.drawPolygon(QPolygonF({{22, 19}, {30, 19}, {26, 27}}));
  return pixmap;
}

}  // namespace

QIcon AppIcon() {
  QIcon icon;
  icon.addPixmap(DrawIcon(16));
  icon.addPixmap(DrawIcon(32));
  return icon;
}

}  // namespace tactoria
