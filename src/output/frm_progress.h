#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tactoria {

// The modeless window a span shows while it writes its beat files. It does no work of its
// own: the span sets the label and the bar and reads Cancelled after each beat.
class FrmProgress : public QDialog {
  Q_OBJECT

 public:
  explicit FrmProgress(QWidget* parent = nullptr);

  bool Cancelled() const { return cancelled_; }
  void SetLabel(const QString& text);
  void SetRange(int lowest, int highest);
  void SetValue(int value);
  // While running, the title bar's close box and Escape leave the dialog up.
  void SetRunning(bool running) { running_ = running; }

  QLabel* LblProg() const { return lblProg_; }
  QProgressBar* Progbar() const { return progbar_; }
  QPushButton* CmdCancel() const { return cmdCancel_; }

 public slots:
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QLabel* lblProg_;
  QProgressBar* progbar_;
  QPushButton* cmdCancel_;
  bool cancelled_ = false;
  bool running_ = false;
};

}  // namespace tactoria
