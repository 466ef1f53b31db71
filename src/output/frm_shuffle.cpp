#include "frm_shuffle.h"

#include <QApplication>
#include <QListWidget>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <exception>
#include <new>

#include "tempo/field_conversions.h"
#include "ui/busy_state.h"
#include "ui/button_label.h"
#include "ui/main_window_state.h"
#include "ui/user_dialogs.h"

namespace tactoria {

namespace {

constexpr const char* kNormalStyle = "color: white; background-color: rgb(40, 40, 40);";
constexpr const char* kPressedStyle = "color: rgb(40, 40, 40); background-color: white;";

// One generator for the whole program, seeded once; each draw is uniform in [0, 1).
double NextUniform() {
  static ShuffleRandom random(ShuffleRandom::FreshSeed());
  return random();
}

// Shows an arrow label pressed (dark grey on white) or at rest (white on dark grey).
void ShowPressed(ButtonLabel* label, bool pressed) {
  label->setStyleSheet(pressed ? kPressedStyle : kNormalStyle);
}

ButtonLabel* MakeArrow(const QString& glyph, QWidget* parent) {
  auto* label = new ButtonLabel(glyph, parent);
  label->setAlignment(Qt::AlignCenter);
  QFont small = label->font();
  small.setPointSizeF(8.25);
  label->setFont(small);
  ShowPressed(label, false);
  QObject::connect(label, &ButtonLabel::MouseDown, label, [label] { ShowPressed(label, true); });
  QObject::connect(label, &ButtonLabel::MouseUp, label, [label] { ShowPressed(label, false); });
  return label;
}

}  // namespace

FrmShuffle::FrmShuffle(MainWindowState& window, QWidget* parent, OrderAudition* audition)
    : QDialog(parent),
      window_(window),
      lstShuffle_(new QListWidget(this)),
      lblUp_(MakeArrow(QStringLiteral("\u25B2"), this)),
      lblDown_(MakeArrow(QStringLiteral("\u25BC"), this)),
      cmdOK_(new QPushButton(QStringLiteral("Apply"), this)),
      cmdReset_(new QPushButton(QStringLiteral("Reset"), this)),
      cmdRandomize_(new QPushButton(QStringLiteral("Randomize"), this)),
      progbar_(new QProgressBar(this)),
      audition_(audition) {
  setObjectName(QStringLiteral("FrmShuffle"));
  setWindowTitle(QStringLiteral("Shuffle"));
  setFixedSize(288, 276);

  lstShuffle_->setObjectName(QStringLiteral("lstShuffle"));
  lstShuffle_->setGeometry(8, 8, 153, 251);
  lstShuffle_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  lblUp_->setObjectName(QStringLiteral("LblUp"));
  lblUp_->setGeometry(168, 16, 11, 12);
  lblDown_->setObjectName(QStringLiteral("LblDown"));
  lblDown_->setGeometry(168, 32, 11, 12);
  cmdOK_->setObjectName(QStringLiteral("CmdOK"));
  cmdOK_->setGeometry(192, 8, 89, 24);
  cmdOK_->setEnabled(false);
  cmdReset_->setObjectName(QStringLiteral("CmdReset"));
  cmdReset_->setGeometry(192, 40, 89, 25);
  cmdReset_->setEnabled(false);
  cmdRandomize_->setObjectName(QStringLiteral("CmdRandomize"));
  cmdRandomize_->setGeometry(192, 72, 89, 25);
  for (QPushButton* button : {cmdOK_, cmdReset_, cmdRandomize_}) button->setAutoDefault(false);
  progbar_->setObjectName(QStringLiteral("Progbar"));
  progbar_->setGeometry(8, 264, 273, 9);
  progbar_->setRange(0, 100);
  progbar_->setValue(0);
  progbar_->setTextVisible(false);
  setTabOrder(lstShuffle_, cmdOK_);
  setTabOrder(cmdOK_, cmdReset_);
  setTabOrder(cmdReset_, cmdRandomize_);

  connect(lblUp_, &ButtonLabel::Click, this, [this] { Move(false); });
  connect(lblUp_, &ButtonLabel::DblClick, this, [this] { Move(false); });
  connect(lblDown_, &ButtonLabel::Click, this, [this] { Move(true); });
  connect(lblDown_, &ButtonLabel::DblClick, this, [this] { Move(true); });
  connect(cmdOK_, &QPushButton::clicked, this, &FrmShuffle::CmdOK_Click);
  connect(cmdReset_, &QPushButton::clicked, this, &FrmShuffle::CmdReset_Click);
  connect(cmdRandomize_, &QPushButton::clicked, this, &FrmShuffle::CmdRandomize_Click);
  MakePlayButton();

  Form_Load();
}

void FrmShuffle::Form_Load() {
  const NumberStyle style = window_.Style();
  const int bars = TextToLong(window_.BarsText().toStdString(), style).value_or(0);
  const int beats = TextToLong(window_.BeatsText().toStdString(), style).value_or(0);
  const bool fits = bars > 0 && beats > 0 && static_cast<long long>(bars) * beats <= kMaxShuffleBeats;
  rows_ = fits ? ShuffleRows::Loaded(bars, beats) : ShuffleRows{};

  lstShuffle_->clear();
  int row = 0;
  for (int i = 1; fits && i <= bars; ++i) {
    for (int j = 1; j <= beats; ++j) {
      auto* item = new QListWidgetItem(QString::fromStdString(ShuffleRowText(i, j)), lstShuffle_);
      item->setData(Qt::UserRole, rows_.order[static_cast<std::size_t>(row++)]);
    }
  }
  ShowSelection();
  lstShuffle_->update();
}

void FrmShuffle::SwapRows(int a, int b) {
  QListWidgetItem* first = lstShuffle_->item(a);
  QListWidgetItem* second = lstShuffle_->item(b);
  if (!first || !second || a == b) return;
  const QString text = first->text();
  const QVariant beat = first->data(Qt::UserRole);
  first->setText(second->text());
  first->setData(Qt::UserRole, second->data(Qt::UserRole));
  second->setText(text);
  second->setData(Qt::UserRole, beat);
}

void FrmShuffle::ReadSelection() {
  for (int i = 0; i < rows_.size(); ++i)
    rows_.selected[static_cast<std::size_t>(i)] = lstShuffle_->item(i)->isSelected();
  rows_.current = std::max(0, lstShuffle_->currentRow());
}

void FrmShuffle::ShowSelection() {
  for (int i = 0; i < rows_.size(); ++i)
    lstShuffle_->item(i)->setSelected(rows_.selected[static_cast<std::size_t>(i)]);
  if (rows_.size() > 0)
    lstShuffle_->selectionModel()->setCurrentIndex(lstShuffle_->model()->index(rows_.current, 0),
                                                   QItemSelectionModel::NoUpdate);
}

void FrmShuffle::Move(bool down) {
  if (running_) return;
  ReadSelection();
  const RowSwap swap = [this](int a, int b) { SwapRows(a, b); };
  const bool moved = down ? MoveSelectionDown(rows_, swap) : MoveSelectionUp(rows_, swap);
  if (!moved) return;
  ShowSelection();
  cmdOK_->setEnabled(true);
  cmdReset_->setEnabled(true);
  OrderChanged();
}

void FrmShuffle::SetCommandsEnabled(bool enabled) {
  for (QWidget* command :
       {static_cast<QWidget*>(cmdOK_), static_cast<QWidget*>(cmdReset_), static_cast<QWidget*>(cmdRandomize_),
        static_cast<QWidget*>(lblUp_), static_cast<QWidget*>(lblDown_)})
    command->setEnabled(enabled);
  if (cmdPlay_) cmdPlay_->setEnabled(enabled);
}

void FrmShuffle::CmdReset_Click() {
  cmdReset_->setEnabled(false);
  cmdOK_->setEnabled(false);
  Form_Load();
  OrderChanged();
}

// While Randomize or Apply runs, the other commands are off: the loop lets events through.
class FrmShuffle::Running {
 public:
  explicit Running(FrmShuffle& dialog) : dialog_(dialog) {
    dialog_.running_ = true;
    dialog_.SetCommandsEnabled(false);
  }
  ~Running() {
    dialog_.running_ = false;
    dialog_.SetCommandsEnabled(true);
  }
  Running(const Running&) = delete;
  Running& operator=(const Running&) = delete;

 private:
  FrmShuffle& dialog_;
};

void FrmShuffle::CmdRandomize_Click() {
  if (running_) return;
  Running running(*this);
  BusyPointer busy;
  progbar_->setRange(0, std::max(0, rows_.size() - 1));
  lstShuffle_->hide();
  RandomizeOrder(
      rows_, NextUniform, [this](int a, int b) { SwapRows(a, b); },
      [this](int i) {
        progbar_->setValue(i);
        QCoreApplication::processEvents();
      });
  lstShuffle_->show();
  progbar_->setValue(0);
  // Heard once this command has ended.
  QMetaObject::invokeMethod(this, &FrmShuffle::OrderChanged, Qt::QueuedConnection);
}

void FrmShuffle::CmdOK_Click() {
  vbMediaFile* wave = window_.CurrentWave();
  if (running_ || !wave) return;
  ReorderResult result = ReorderResult::BadOrder;
  {
    Running running(*this);
    BusyPointer busy;
    progbar_->setRange(0, std::max(0, rows_.size() - 1));
    try {
      result = ReorderBeats(wave->Item(window_.DataIndex()).bytes(), rows_.order,
                            window_.CurrentFormat().blockAlign, [this](int i) {
                              progbar_->setValue(i);
                              QCoreApplication::processEvents();
                            });
    } catch (const std::bad_alloc&) {
      result = ReorderResult::OutOfMemory;
    } catch (const std::exception&) {
      result = ReorderResult::BadOrder;
    }
  }
  if (result == ReorderResult::Done) {
    accept();
    return;
  }
  progbar_->setValue(0);
  UserDialogs& dialogs = window_.Dialogs();
  switch (result) {
    case ReorderResult::OutOfMemory:
      dialogs.Message(this, QStringLiteral("Error: 5"), kShuffleOutOfMemory, MessageIcon::Critical);
      break;
    case ReorderResult::NoBlocks:
      dialogs.Message(this, QStringLiteral("Shuffle"),
                      QStringLiteral("The sound has fewer frames than beats; it cannot be cut into blocks."),
                      MessageIcon::Exclamation);
      break;
    default:
      dialogs.Message(this, QStringLiteral("Shuffle"), QStringLiteral("The beats could not be reordered."),
                      MessageIcon::Exclamation);
      break;
  }
}

void FrmShuffle::reject() {
  if (!running_) QDialog::reject();
}

}  // namespace tactoria
