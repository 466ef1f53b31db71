// The phaser row: the check box, the phaser value field and its checks.
#include <QCheckBox>
#include <QLineEdit>

#include "tempo/field_conversions.h"
#include "tempo/field_messages.h"
#include "tempo/limits.h"
#include "ui/button_label.h"
#include "window/frm_main.h"

namespace tactoria {

void FrmMain::ChkPhaser_Click() {
  const bool on = ChkPhaser->isChecked();
  LblPlus[2]->setEnabled(on);
  LblMinus[2]->setEnabled(on);
  LblPhaser->setEnabled(on);
}

void FrmMain::LblPhaser_Change() {
  const QString text = LblPhaser->text();
  // A correction of the program's own, or a field emptied while editing: no check.
  if (bInternalChange || text.isEmpty()) {
    PhaserClosingSteps();
    return;
  }
  const std::string value = text.toStdString();
  if (!IsNumeric(value, style_)) {
    bInternalChange = true;
    RejectNonNumeric(LblPhaser);
    PhaserClosingSteps();
    return;
  }
  const double phaser = TextToDouble(value, style_).value_or(0.0);
  if (phaser < 1) {
    ShowInvalid(kSamplesMustBeAboveZero);
    bInternalChange = true;
    SetText(LblPhaser, QStringLiteral("1"));
    PhaserClosingSteps();
    return;
  }
  // The bound is an eighth of the new length; without a new length (no file) it is not checked.
  const auto frames = FieldDouble(TxtNewSamp);
  if (frames && phaser > PhaserBound(*frames)) {
    ShowInvalid(kPhaserAboveBound);
    bInternalChange = true;
    SetText(LblPhaser, ToText(DoubleToText(PhaserBound(*frames), style_)));
    PhaserClosingSteps();
    return;
  }
  lastAccepted_.insert(LblPhaser, text);
  lastPhaserValue_ = phaser;
}

void FrmMain::PhaserClosingSteps() {
  LblPlus_MouseUp(2, 0, 0, 0, 0);
  LblMinus_MouseUp(2, 0, 0, 0, 0);
  bInternalChange = false;
  CaretToEnd(LblPhaser);
  // The corrected text ("1", the bound, or the text without the offending character) is the
  // value a render uses from now on, when it is one.
  const auto value = FieldDouble(LblPhaser);
  if (value && *value >= 1) lastPhaserValue_ = *value;
}

void FrmMain::LblPhaser_Validate(bool& cancel) {
  if (LblPhaser->text().isEmpty()) {
    ShowInvalid(kInvalidPhaserValue);
    bInternalChange = true;
    SetText(LblPhaser, QStringLiteral("1"));
    bInternalChange = false;
    cancel = true;
  } else if (!IsNumeric(LblPhaser->text().toStdString(), style_)) {
    ShowInvalid(kInvalidNumeric);
    bInternalChange = true;
    RemoveTypedCharacter(LblPhaser);
    bInternalChange = false;
    cancel = true;
  }
}

}  // namespace tactoria
