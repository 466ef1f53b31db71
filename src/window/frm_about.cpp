#include "frm_about.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include "desktop/app_icon.h"
#include "ui/product_name.h"
#include "ui/qt_user_dialogs.h"
#include "window/help_document.h"
#include "window/tactoria_version.h"

namespace tactoria {

namespace {

// What the build states about the program.
const QString kDeveloper = QStringLiteral("The Tactoria developers");
const QString kLegalNotice = QStringLiteral("(C) The Tactoria developers, licence GPL-3.0-or-later");
const QString kComments =
    QStringLiteral("Tactoria is free of charge. You may use it without paying anything.");
// The short notice of the GNU General Public License.
const QString kLegalWarning = QStringLiteral(
    "This program comes with ABSOLUTELY NO WARRANTY. It is free software: you may redistribute it "
    "and/or modify it under the terms of the GNU General Public License, version 3 or (at your option) "
    "any later version.");

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

FrmAbout::FrmAbout(QWidget* parent, UserDialogs* dialogs)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      dialogs_(dialogs) {
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
  TxtWebsite->setCursor(Qt::PointingHandCursor);
  // The one control that takes the focus; Escape there still closes the window, Enter and a
  // click open the help.
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
  TxtWebsite->setText(HelpDocumentUrl().toString());
  TxtWebsite->setToolTip(QStringLiteral("Open the help"));
  TxtWebsite->setCursorPosition(0);
}

void FrmAbout::OpenHelp() {
  const QUrl url = HelpDocumentUrl();
  if (dialogs_) {
    dialogs_->OpenDocument(url);
  } else {
    QtUserDialogs().OpenDocument(url);
  }
}

bool FrmAbout::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Escape) {
      reject();
      return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      OpenHelp();
      return true;
    }
  }
  // A click, not the end of a drag that selected part of the address to copy it.
  if (watched == TxtWebsite && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && !TxtWebsite->hasSelectedText()) {
    OpenHelp();
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
