#pragma once

#include <QString>
#include <optional>

class QUrl;

class QWidget;

namespace tactoria {

enum class MessageIcon { None, Critical, Exclamation, Information };
enum class Answer { Yes, No, Cancel };

// Everything modal the windows ask of the user goes through this interface, so tests can
// script the answers. The Qt implementation is QtUserDialogs.
class UserDialogs {
 public:
  virtual ~UserDialogs() = default;

  // A message box with an OK button. An empty title shows the application's name.
  virtual void Message(QWidget* parent, const QString& title, const QString& text, MessageIcon icon) = 0;
  // A question without an icon: Yes/No, or Yes/No/Cancel when `withCancel`.
  virtual Answer Question(QWidget* parent, const QString& title, const QString& text, bool withCancel) = 0;
  // The input box; no value when cancelled.
  virtual std::optional<QString> InputBox(QWidget* parent, const QString& title, const QString& prompt,
                                          const QString& proposed) = 0;

  struct FileChoice {
    QString folder;    // the chosen folder
    QString fileName;  // the chosen file name, without folder
  };
  // The open and save dialogs; no value when cancelled. `filter` is in Qt's form
  // ("Wave Files (*.wav)").
  virtual std::optional<FileChoice> ChooseOpenFile(QWidget* parent, const QString& title,
                                                   const QString& folder, const QString& filter) = 0;
  virtual std::optional<FileChoice> ChooseSaveFile(QWidget* parent, const QString& title,
                                                   const QString& folder, const QString& filter) = 0;
  // Opens a document (the installed help) in the desktop's viewer; false when none took it.
  virtual bool OpenDocument(const QUrl& url) {
    (void)url;
    return false;
  }
};

}  // namespace tactoria
