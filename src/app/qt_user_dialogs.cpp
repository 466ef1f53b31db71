#include "qt_user_dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>

namespace tactoria {

namespace {

const QString kProductName = QStringLiteral("Tactoria");

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

std::optional<UserDialogs::FileChoice> RunFileDialog(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const QFileInfo chosen(dialog.selectedFiles().constFirst());
  return UserDialogs::FileChoice{chosen.absolutePath(), chosen.fileName()};
}

}  // namespace

void QtUserDialogs::Message(QWidget* parent, const QString& title, const QString& text, MessageIcon icon) {
  QMessageBox box(BoxIcon(icon), TitleOrProduct(title), text, QMessageBox::Ok, parent);
  box.exec();
}

Answer QtUserDialogs::Question(QWidget* parent, const QString& title, const QString& text, bool withCancel) {
  auto buttons = QMessageBox::Yes | QMessageBox::No;
  if (withCancel) buttons |= QMessageBox::Cancel;
  QMessageBox box(QMessageBox::NoIcon, TitleOrProduct(title), text, buttons, parent);
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

}  // namespace tactoria
