#include "frm_about.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include "desktop/app_icon.h"
#include "ui/product_name.h"
#include "window/tactoria_version.h"

namespace tactoria {

namespace {

// What the build states about the program.
const QString kDeveloper = QStringLiteral("The Tactoria developers");
const QString kLegalNotice = QStringLiteral("(C) The Tactoria developers. All rights reserved.");
const QString kComments =
    QStringLiteral("Tactoria is free of charge. You may use it without paying anything.");
const QString kLegalWarning = QStringLiteral(
    "Warning: this program is protected by copyright law. Copying or distributing it, or any part of "
    "it, without the permission of its authors is not allowed.");
const QString kWebAddress = QStringLiteral("https://tactoria.invalid/");

QRect Twips(int left, int top, int width, int height) {
  return {left / 15, top / 15, width / 15, height / 15};
}

// A label that sizes itself to its text.
QLabel* AutoLabel(QWidget* parent, const char* name, int left, int top) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->move(Twips(left, top, 0, 0).topLeft());
  return label;
}

// A word-wrapping label of a fixed width that grows downwards.
QLabel* WrapLabel(QWidget* parent, const char* name, int left, int top, int width) {
  auto* label = AutoLabel(parent, name, left, top);
  label->setWordWrap(true);
  label->setFixedWidth(width / 15);
  return label;
}

void SetText(QLabel* label, const QString& text) {
  label->setText(text);
  if (label->wordWrap())
    label->setFixedHeight(label->heightForWidth(label->width()));
  else
    label->adjustSize();
}

}  // namespace

QString FrmAbout::VersionText() {
  return QString::number(TACTORIA_VERSION_MAJOR) + QLatin1Char('.') + QString::number(TACTORIA_VERSION_MINOR);
}

FrmAbout::FrmAbout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
  setObjectName(QStringLiteral("FrmAbout"));
  setWindowTitle(QStringLiteral("About"));
  setWindowIcon(AppIcon());
  QFont font = this->font();
  font.setPointSizeF(8.25);
  setFont(font);
  setFixedSize(Twips(0, 0, 5715, 3570).size());
  setModal(true);

  LblProductName = AutoLabel(this, "LblProductName", 120, 120);
  LblVer = AutoLabel(this, "LblVer", 120, 360);
  LblDevelopedBy = AutoLabel(this, "LblDevelopedBy", 120, 600);
  LblCopyright = AutoLabel(this, "LblCopyright", 120, 840);
  LblCost = WrapLabel(this, "LblCost", 120, 1200, 5400);
  LblCopyrightlaw = WrapLabel(this, "LblCopyrightlaw", 120, 1800, 5400);
  LblHelpInfo = WrapLabel(this, "LblHelpInfo", 120, 2760, 5280);
  LblWebsite = AutoLabel(this, "LblWebsite", 120, 3240);
  SetText(LblWebsite, QStringLiteral("Web:"));

  TxtWebsite = new QLineEdit(this);
  TxtWebsite->setObjectName(QStringLiteral("TxtWebsite"));
  TxtWebsite->setReadOnly(true);
  TxtWebsite->setFrame(false);
  TxtWebsite->setGeometry(Twips(600, 3240, 4935, 195).adjusted(0, 0, 0, 4));
  QPalette colours = TxtWebsite->palette();
  colours.setColor(QPalette::Text, QColor(0, 0, 255));
  colours.setColor(QPalette::Base, QColor(192, 192, 192));
  TxtWebsite->setPalette(colours);
  QFont underlined = font;
  underlined.setUnderline(true);
  TxtWebsite->setFont(underlined);
  // The one control that takes the focus; Escape there still closes the window.
  TxtWebsite->installEventFilter(this);

  SetText(LblProductName, QStringLiteral("Product Name: ") + kProductName);
  SetText(LblVer, QStringLiteral("Product Version: ") + VersionText());
  SetText(LblDevelopedBy, QStringLiteral("Developed By: ") + kDeveloper);
  SetText(LblCopyright, QStringLiteral("Copyright: ") + kLegalNotice);
  SetText(LblCost, QStringLiteral("Cost: ") + kComments);
  SetText(LblCopyrightlaw, kLegalWarning);
  SetText(LblHelpInfo,
          QStringLiteral("For help on this product please come to the web site below and select the "
                         "documentation link."));
  TxtWebsite->setText(kWebAddress);
  TxtWebsite->setCursorPosition(0);
}

bool FrmAbout::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    reject();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void FrmAbout::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    reject();
    return;
  }
  event->ignore();  // other keys do nothing
}

}  // namespace tactoria
