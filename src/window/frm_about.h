#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;

namespace tactoria {

// The About window: product name, version, maker, cost and the web address. It has no buttons
// and closes with Escape (wherever the focus is) or its close box.
class FrmAbout : public QDialog {
  Q_OBJECT

 public:
  explicit FrmAbout(QWidget* parent = nullptr);

  static QString VersionText();  // "major.minor"

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
};

}  // namespace tactoria
