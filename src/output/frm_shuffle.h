#pragma once

#include <QDialog>

#include "beats/shuffle_order.h"

class QListWidget;
class QProgressBar;
class QPushButton;

namespace tactoria {

class ButtonLabel;
class MainWindowState;
class OrderAudition;

// The modal dialog that reorders the open sound's beats. The list widget shows `rows_`;
// every exchange is made on both.
class FrmShuffle : public QDialog {
  Q_OBJECT

 public:
  // With `audition`, a Play button (and Space in the list) plays the order as listed.
  FrmShuffle(MainWindowState& window, QWidget* parent = nullptr, OrderAudition* audition = nullptr);
  ~FrmShuffle() override;

  QListWidget* LstShuffle() const { return lstShuffle_; }
  QPushButton* CmdOK() const { return cmdOK_; }
  QPushButton* CmdReset() const { return cmdReset_; }
  QPushButton* CmdRandomize() const { return cmdRandomize_; }
  ButtonLabel* LblUp() const { return lblUp_; }
  ButtonLabel* LblDown() const { return lblDown_; }
  QProgressBar* Progbar() const { return progbar_; }
  QPushButton* CmdPlay() const { return cmdPlay_; }
  const ShuffleRows& Rows() const { return rows_; }

 public slots:
  void reject() override;
  void done(int result) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Form_Load();
  void CmdOK_Click();
  void CmdReset_Click();
  void CmdRandomize_Click();
  void Move(bool down);
  void SwapRows(int a, int b);
  void ReadSelection();
  void ShowSelection();
  void SetCommandsEnabled(bool enabled);
  // Playing the listed order (frm_shuffle_play.cpp).
  void MakePlayButton();
  void CmdPlay_Click();
  QString PlayListed();
  void OrderChanged();

  class Running;

  MainWindowState& window_;
  ShuffleRows rows_;
  QListWidget* lstShuffle_;
  ButtonLabel* lblUp_;
  ButtonLabel* lblDown_;
  QPushButton* cmdOK_;
  QPushButton* cmdReset_;
  QPushButton* cmdRandomize_;
  QProgressBar* progbar_;
  OrderAudition* audition_;
  QPushButton* cmdPlay_ = nullptr;
  bool running_ = false;  // Randomize or Apply is under way
};

}  // namespace tactoria
