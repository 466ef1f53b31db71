// The Shuffle dialog's Play: the order as listed, heard before Apply.
#include <QKeyEvent>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>

#include "output/frm_shuffle.h"
#include "ui/main_window_state.h"
#include "ui/order_audition.h"
#include "ui/user_dialogs.h"

namespace tactoria {

void FrmShuffle::MakePlayButton() {
  if (!audition_) return;
  // Below Randomize, in the column of the commands.
  cmdPlay_ = new QPushButton(QStringLiteral("Play"), this);
  cmdPlay_->setObjectName(QStringLiteral("CmdPlay"));
  cmdPlay_->setGeometry(192, 104, 89, 25);
  cmdPlay_->setAutoDefault(false);
  setTabOrder(cmdRandomize_, cmdPlay_);
  connect(cmdPlay_, &QPushButton::clicked, this, &FrmShuffle::CmdPlay_Click);
  audition_->SetPlayingHandler(
      [this](bool playing) { cmdPlay_->setText(playing ? QStringLiteral("Stop") : QStringLiteral("Play")); });
  lstShuffle_->installEventFilter(this);
}

FrmShuffle::~FrmShuffle() {
  if (audition_) {
    audition_->SetPlayingHandler({});
    audition_->StopOrder();
  }
}

QString FrmShuffle::PlayListed() {
  // A long render lets events through for its progress: the dialog takes nothing meanwhile.
  const QPointer<QWidget> focus = focusWidget();
  running_ = true;
  setEnabled(false);
  const QString problem = audition_->PlayOrder(rows_.order, this);
  setEnabled(true);
  running_ = false;
  if (focus) focus->setFocus();
  return problem;
}

void FrmShuffle::CmdPlay_Click() {
  if (!audition_ || running_) return;
  if (audition_->PlayingOrder()) {
    audition_->StopOrder();
    return;
  }
  const QString problem = PlayListed();
  if (!problem.isEmpty())
    window_.Dialogs().Message(this, QStringLiteral("Shuffle"), problem, MessageIcon::Exclamation);
}

// A new order while it plays: heard from the same place on.
void FrmShuffle::OrderChanged() {
  if (audition_ && audition_->PlayingOrder() && !running_) PlayListed();
}

bool FrmShuffle::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lstShuffle_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    // Space alone plays or stops; Ctrl+Space still marks rows.
    if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier) {
      CmdPlay_Click();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void FrmShuffle::done(int result) {
  if (audition_) audition_->StopOrder();
  QDialog::done(result);
}

}  // namespace tactoria
