#include "wave_drop_filter.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWidget>

namespace tactoria {

WaveDropFilter::WaveDropFilter(QWidget* window, std::function<void(const QString&)> open)
    : QObject(window), open_(std::move(open)) {
  window->setAcceptDrops(true);
  window->installEventFilter(this);
  for (QWidget* child : window->findChildren<QWidget*>())
    if (child->acceptDrops()) child->installEventFilter(this);
}

QString WaveDropFilter::DroppedFile(const QMimeData* mime) {
  if (!mime || !mime->hasUrls()) return {};
  const QList<QUrl> urls = mime->urls();
  if (urls.size() != 1 || !urls.front().isLocalFile()) return {};
  return urls.front().toLocalFile();
}

bool WaveDropFilter::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDragMoveEvent*>(event);
      if (!drag->mimeData()->hasUrls()) break;
      // Several files, or remote ones, are refused here rather than pasted into a field.
      if (DroppedFile(drag->mimeData()).isEmpty())
        drag->ignore();
      else
        drag->acceptProposedAction();
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      if (!drop->mimeData()->hasUrls()) break;
      const QString path = DroppedFile(drop->mimeData());
      if (path.isEmpty()) {
        drop->ignore();
        return true;
      }
      drop->acceptProposedAction();
      QTimer::singleShot(0, this, [this, path] { open_(path); });
      return true;
    }
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace tactoria
