#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;

namespace tactoria {

class UserDialogs;

// The About window: product name, version, maker, licence, cost and the address of the help. It
// has no buttons and closes with Escape (wherever the focus is) or its close box. The address is
// a link: a click on it, or Enter while it has the focus, opens the installed help.
class FrmAbout : public QDialog {
  Q_OBJECT

 public:
  // Without `dialogs` the help opens in the desktop's viewer directly.
  explicit FrmAbout(QWidget* parent = nullptr, UserDialogs* dialogs = nullptr);

  static QString VersionText();  // "major.minor"
  // The help document the address names, opened through the dialogs.
  void OpenHelp();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QLabel* LblProductName = nullptr;
  QLabel* LblVer = nullptr;
  QLabel* LblDevelopedBy = nullptr;
  QLabel* LblCopyright = nullptr;
  QLabel* LblCost = nullptr;
  QLabel* LblCopyrightlaw = nullptr;
  QLabel* LblHelpInfo = nullptr;
  QLabel* LblWebsite = nullptr;
  QLineEdit* TxtWebsite = nullptr;
  UserDialogs* dialogs_ = nullptr;
};

}  // namespace tactoria
