#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QMimeData;
class QWidget;

namespace tactoria {

// Takes file drops for a window: installed on the window and on each of its controls that
// takes drops itself (a text field would otherwise paste the file's path as text). A drag
// holding exactly one local file is accepted, other file drags are refused; on the drop the file is handed to
// `open` from the event loop, so the drag source is not kept waiting on a message box. Text drags pass.
class WaveDropFilter : public QObject {
  Q_OBJECT

 public:
  WaveDropFilter(QWidget* window, std::function<void(const QString&)> open);

  // The local file a drag carries, or an empty string when it carries none or several.
  static QString DroppedFile(const QMimeData* mime);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::function<void(const QString&)> open_;
};

}  // namespace tactoria
