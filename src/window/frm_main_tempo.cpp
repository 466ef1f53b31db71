// Tools > Detect Tempo: the meter and bars of the open data, written into Beat(s) and Bar(s) as
// if typed, so that the tempo and the span size follow through the fields' own handlers. With
// "Detect Tempo on Open" (remembered in a settings section of its own) every open runs it.
#include <QAction>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <exception>
#include <optional>

#include "analysis/tempo_estimate.h"
#include "preview/file_tempo.h"
#include "ui/busy_state.h"
#include "ui/settings_store.h"
#include "wave/file_result.h"
#include "window/frm_main.h"

namespace tactoria {
namespace {

const QString kDetectTempoSection = QStringLiteral("DetectTempo");
const QString kOnOpenKey = QStringLiteral("OnOpen");

}  // namespace

void FrmMain::BuildTempoCommands() {
  MnuTools->addSeparator()->setObjectName(QStringLiteral("MnuDetectTempoSep"));
  MnuDetectTempo = MnuTools->addAction(QStringLiteral("Detect Tempo"));
  MnuDetectTempo->setObjectName(QStringLiteral("MnuDetectTempo"));
  MnuDetectTempo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
  MnuDetectTempo->setEnabled(false);
  connect(MnuDetectTempo, &QAction::triggered, this, &FrmMain::MnuDetectTempo_Click);

  MnuDetectTempoOnOpen = MnuTools->addAction(QStringLiteral("Detect Tempo on Open"));
  MnuDetectTempoOnOpen->setObjectName(QStringLiteral("MnuDetectTempoOnOpen"));
  MnuDetectTempoOnOpen->setCheckable(true);
  MnuDetectTempoOnOpen->setChecked(settings_.Value(kDetectTempoSection, kOnOpenKey) == QLatin1String("1"));
  // Stored at once, so that every way of ending the program keeps the choice.
  connect(MnuDetectTempoOnOpen, &QAction::toggled, this, [this](bool on) {
    settings_.SetValue(kDetectTempoSection, kOnOpenKey, on ? QStringLiteral("1") : QStringLiteral("0"));
  });
}

bool FrmMain::DetectTempoOnOpen() const {
  return MnuDetectTempoOnOpen->isChecked();
}

void FrmMain::MnuDetectTempo_Click() {
  if (currentWave_ && ReadyForCommand(false)) DetectTempo();
}

void FrmMain::DetectTempo() {
  std::optional<TempoEstimate> estimate;
  {
    // About 20 ms for a loop of 16 s: no worker needed.
    BusyPointer busy;
    try {
      estimate = EstimateTempo(currentWave_->Item(dataIndex_).bytes(), currentFormat_,
                               FileTempoOptions(*currentWave_));
    } catch (const std::exception&) {
      estimate.reset();  // out of memory
    }
  }
  if (!estimate) {
    ShowMessage(QString::fromLatin1(kOutOfMemoryTitle), QString::fromLatin1(kOutOfMemory),
                MessageIcon::Critical);
    return;
  }
  // As typed: each field's change handler recalculates the tempo, the total and the span size.
  TxtBeats->setText(QString::number(estimate->beats));
  TxtBars->setText(QString::number(estimate->bars));
}

}  // namespace tactoria
