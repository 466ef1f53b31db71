// Field helpers, the original figures and the tempo calculator (beats, bars, total).
#include <QLineEdit>
#include <stdexcept>

#include "tempo/field_conversions.h"
#include "tempo/field_messages.h"
#include "tempo/limits.h"
#include "tempo/tempo_formulas.h"
#include "window/frm_main.h"

namespace tactoria {

void FrmMain::SetText(QLineEdit* field, const QString& text) {
  // QLineEdit raises textChanged only when the text really changes, and runs the handler
  // before setText returns. Inside it, the caret of a field the program writes counts as
  // standing at the start of the text.
  const QLineEdit* outer = writing_;
  writing_ = field;
  field->setText(text);
  writing_ = outer;
}

void FrmMain::CaretToEnd(QLineEdit* field) {
  field->setCursorPosition(static_cast<int>(field->text().size()));
}

void FrmMain::RemoveTypedCharacter(QLineEdit* field) {
  const int caret = writing_ == field ? 0 : field->cursorPosition();
  // The caret counts UTF-16 units; the core counts characters.
  const QString& text = field->text();
  const auto removed = RemoveBeforeCaret(Std(text), static_cast<int>(text.left(caret).toUcs4().size()));
  // Nothing stands before the caret (a pasted or program-written text): go back to the last
  // text the field accepted, or to the empty text, both of which end the cascade.
  SetText(field, removed ? ToText(*removed) : lastAccepted_.value(field));
  CaretToEnd(field);
}

void FrmMain::RejectNonNumeric(QLineEdit* field) {
  // A correction the program wrote that is still no number has been reported already.
  if (writing_ != field) ShowInvalid(kInvalidNumeric);
  RemoveTypedCharacter(field);
}

void FrmMain::ShowMessage(const QString& title, const QString& text, MessageIcon icon) {
  dialogs_.Message(this, title, text, icon);
}

void FrmMain::ShowInvalid(const QString& text) {
  ShowMessage(kInvalidValueTitle, text, MessageIcon::Exclamation);
}

std::optional<double> FrmMain::FieldDouble(const QLineEdit* field) const {
  return TextToDouble(Std(field->text()), style_);
}

std::optional<float> FrmMain::FieldSingle(const QLineEdit* field) const {
  return TextToSingle(Std(field->text()), style_);
}

std::optional<std::int32_t> FrmMain::FieldLong(const QLineEdit* field) const {
  return TextToLong(Std(field->text()), style_);
}

void FrmMain::UpdateDisplay() {
  // Each step needs the one before; the first that fails ends the refresh without a message.
  if (!currentWave_) return;
  std::int32_t dataSize = 0;
  try {
    dataSize = currentWave_->Item(dataIndex_).size();
  } catch (const std::out_of_range&) {
    return;
  }
  const std::int16_t blockAlign = currentFormat_.blockAlign;
  if (blockAlign == 0) return;
  const double frames = static_cast<double>(dataSize) / blockAlign;

  SetText(TxtOrgSamp, ToText(DoubleToText(frames, style_)));
  SetText(TxtOrgBytes, ToText(LongToText(dataSize)));

  const auto bars = FieldSingle(TxtBars);
  const auto beats = FieldSingle(TxtBeats);
  if (!bars || !beats) return;
  const auto bpm = CalcBpm(static_cast<float>(frames), currentFormat_.sampleRate, *bars, *beats);
  if (!bpm) return;
  SetText(TxtOrgBpm, ToText(SingleToText(*bpm, style_)));
  SetText(TxtFreq, ToText(LongToText(currentFormat_.sampleRate)));

  // Emptied first so that the span preview is refreshed even when the total stays the same.
  SetText(TxtTotal, QString());
  const auto beats64 = FieldDouble(TxtBeats);
  const auto bars64 = FieldDouble(TxtBars);
  if (!beats64 || !bars64) return;
  SetText(TxtTotal, ToText(DoubleToText(*beats64 * *bars64, style_)));
}

std::optional<QString> FrmMain::NewBpmText() const {
  const auto frames = FieldLong(TxtNewSamp);
  const auto bars = FieldSingle(TxtBars);
  const auto beats = FieldSingle(TxtBeats);
  if (!frames || !bars || !beats) return std::nullopt;
  const auto bpm = CalcBpm(static_cast<float>(*frames), currentFormat_.sampleRate, *bars, *beats);
  if (!bpm) return std::nullopt;
  return ToText(SingleToText(*bpm, style_));
}

void FrmMain::BeatsOrBarsChange(QLineEdit* field, double limit) {
  const QString text = field->text();
  if (text.isEmpty()) return;
  if (!IsNumeric(Std(text), style_)) {
    RejectNonNumeric(field);
    return;
  }
  const double value = TextToDouble(Std(text), style_).value_or(0.0);
  if (value < 0) {
    ShowInvalid(kMustBeAboveZero);
    SetText(field, QStringLiteral("4"));
    CaretToEnd(field);
    return;
  }
  if (value > limit) {
    const QString limitText = ToText(DoubleToText(limit, style_));
    ShowInvalid(QString(kCannotBeGreaterThan) + limitText + QLatin1Char('.'));
    SetText(field, limitText);
    CaretToEnd(field);
    return;
  }
  lastAccepted_.insert(field, text);

  // From here a step whose conversion or arithmetic fails is skipped.
  if (const auto bpm = NewBpmText()) SetText(TxtNewBpm, *bpm);
  if (FieldLong(TxtNewSamp)) UpdateDisplay();
}

void FrmMain::TxtBars_Change() {
  BeatsOrBarsChange(TxtBars, kMaxBars);
}
void FrmMain::TxtBeats_Change() {
  BeatsOrBarsChange(TxtBeats, kMaxBeatsPerBar);
}

void FrmMain::BeatsOrBarsValidate(QLineEdit* field, const QString& restored, bool& cancel) {
  const auto reject = [&] {
    ShowInvalid(kInvalidBeatsValue);
    SetText(field, restored);
    CaretToEnd(field);
    cancel = true;
  };
  if (field->text().isEmpty()) reject();
  const auto value = FieldDouble(field);
  if (value && *value == 0) reject();
}

void FrmMain::TxtBars_Validate(bool& cancel) {
  BeatsOrBarsValidate(TxtBars, QStringLiteral("1"), cancel);
}
void FrmMain::TxtBeats_Validate(bool& cancel) {
  BeatsOrBarsValidate(TxtBeats, QStringLiteral("4"), cancel);
}

void FrmMain::TxtOrgBytes_Change() {
  SetText(TxtNewBytes, TxtOrgBytes->text());
}
void FrmMain::TxtOrgSamp_Change() {
  SetText(TxtNewSamp, TxtOrgSamp->text());
}
void FrmMain::TxtTotal_Change() {
  UpdateSpanProps();
}

}  // namespace tactoria
