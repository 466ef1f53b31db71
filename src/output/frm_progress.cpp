#include "frm_progress.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace tactoria {

FrmProgress::FrmProgress(QWidget* parent)
    : QDialog(parent),
      lblProg_(new QLabel(this)),
      progbar_(new QProgressBar(this)),
      cmdCancel_(new QPushButton(QStringLiteral("Cancel"), this)) {
  setObjectName(QStringLiteral("FrmProgress"));
  setWindowTitle(QStringLiteral("Span Progress"));
  setModal(false);
  setFixedSize(289, 86);
  // The boxes a span asks while it runs open beside this window, not over its label and bar.
  setProperty("keepUncovered", true);

  lblProg_->setObjectName(QStringLiteral("LblProg"));
  lblProg_->setGeometry(8, 8, 273, 17);
  lblProg_->setAutoFillBackground(true);
  QPalette palette = lblProg_->palette();
  palette.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
  lblProg_->setPalette(palette);

  progbar_->setObjectName(QStringLiteral("Progbar"));
  progbar_->setGeometry(8, 32, 273, 17);
  progbar_->setRange(0, 100);
  progbar_->setValue(0);
  progbar_->setTextVisible(false);

  cmdCancel_->setObjectName(QStringLiteral("CmdCancel"));
  cmdCancel_->setGeometry(104, 56, 89, 25);
  cmdCancel_->setAutoDefault(false);
  connect(cmdCancel_, &QPushButton::clicked, this, [this] { cancelled_ = true; });
}

void FrmProgress::SetLabel(const QString& text) {
  lblProg_->setText(text);
}

void FrmProgress::SetRange(int lowest, int highest) {
  progbar_->setRange(lowest, highest);
}

void FrmProgress::SetValue(int value) {
  progbar_->setValue(value);
}

void FrmProgress::reject() {
  if (!running_) QDialog::reject();
}

void FrmProgress::closeEvent(QCloseEvent* event) {
  if (running_) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

}  // namespace tactoria
