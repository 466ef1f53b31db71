#include "qt_user_dialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QScreen>
#include <QUrl>
#include <algorithm>
#include "ui/product_name.h"

namespace tactoria {

namespace {

QString TitleOrProduct(const QString& title) {
  return title.isEmpty() ? kProductName : title;
}

QMessageBox::Icon BoxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Critical:
      return QMessageBox::Critical;
    case MessageIcon::Exclamation:
      return QMessageBox::Warning;
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

// A window that shows progress (its dynamic property "keepUncovered" set) stays readable: a box
// it owns opens below it, or above it where the screen ends.
void KeepOwnerUncovered(QWidget& box, QWidget* parent) {
  if (parent == nullptr || !parent->window()->property("keepUncovered").toBool()) return;
  const QRect owner = parent->window()->frameGeometry();
  box.ensurePolished();
  box.adjustSize();
  const QSize size = box.size().expandedTo(box.sizeHint());
  QRect room = parent->window()->screen()->availableGeometry();
  const int gap = 8;
  QPoint at(owner.center().x() - size.width() / 2, owner.bottom() + 1 + gap);
  if (at.y() + size.height() > room.bottom()) at.setY(owner.top() - gap - size.height());
  at.setX(std::clamp(at.x(), room.left(), std::max(room.left(), room.right() - size.width())));
  box.move(at);
}

std::optional<UserDialogs::FileChoice> RunFileDialog(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const QFileInfo chosen(dialog.selectedFiles().constFirst());
  return UserDialogs::FileChoice{chosen.absolutePath(), chosen.fileName()};
}

}  // namespace

void QtUserDialogs::Message(QWidget* parent, const QString& title, const QString& text, MessageIcon icon) {
  QMessageBox box(BoxIcon(icon), TitleOrProduct(title), text, QMessageBox::Ok, parent);
  KeepOwnerUncovered(box, parent);
  box.exec();
}

Answer QtUserDialogs::Question(QWidget* parent, const QString& title, const QString& text, bool withCancel) {
  auto buttons = QMessageBox::Yes | QMessageBox::No;
  if (withCancel) buttons |= QMessageBox::Cancel;
  QMessageBox box(QMessageBox::NoIcon, TitleOrProduct(title), text, buttons, parent);
  KeepOwnerUncovered(box, parent);
  switch (box.exec()) {
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    default:  // Cancel, or the box closed without an answer
      return withCancel ? Answer::Cancel : Answer::No;
  }
}

std::optional<QString> QtUserDialogs::InputBox(QWidget* parent, const QString& title, const QString& prompt,
                                               const QString& proposed) {
  bool ok = false;
  const QString answer =
      QInputDialog::getText(parent, TitleOrProduct(title), prompt, QLineEdit::Normal, proposed, &ok);
  if (!ok) return std::nullopt;
  return answer;
}

std::optional<UserDialogs::FileChoice> QtUserDialogs::ChooseOpenFile(QWidget* parent, const QString& title,
                                                                     const QString& folder,
                                                                     const QString& filter) {
  QFileDialog dialog(parent, title, folder, filter);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  // A name typed without its extension ("loop" for loop.wav) is found, as the save dialog
  // completes it.
  dialog.setDefaultSuffix(QStringLiteral("wav"));
  return RunFileDialog(dialog);
}

std::optional<UserDialogs::FileChoice> QtUserDialogs::ChooseSaveFile(QWidget* parent, const QString& title,
                                                                     const QString& folder,
                                                                     const QString& filter) {
  QFileDialog dialog(parent, title, folder, filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  // The caller asks its own overwrite question, with its own wording.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  return RunFileDialog(dialog);
}

bool QtUserDialogs::OpenDocument(const QUrl& url) {
  return QDesktopServices::openUrl(url);
}

}  // namespace tactoria
