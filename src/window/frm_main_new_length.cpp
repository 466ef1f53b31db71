// The new length: the new-samples field, the arrows with their hold repeat, the tempo input
// and the span preview.
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTimer>
#include <limits>

#include "tempo/field_conversions.h"
#include "tempo/field_messages.h"
#include "tempo/limits.h"
#include "tempo/span_size.h"
#include "tempo/tempo_formulas.h"
#include "ui/button_label.h"
#include "window/frm_main.h"
#include "window/window_texts.h"

namespace tactoria {

void FrmMain::TxtNewSamp_Change() {
  const QString text = TxtNewSamp->text();
  if (text.isEmpty()) {
    NewSampClosingSteps();
    return;
  }
  if (!IsNumeric(Std(text), style_)) {
    bInternalChange = true;
    RejectNonNumeric(TxtNewSamp);
    NewSampClosingSteps();
    return;
  }
  const double value = TextToDouble(Std(text), style_).value_or(0.0);
  if (value <= 0) {
    ShowInvalid(kSamplesMustBeAboveZero);
    bInternalChange = true;
    SetText(TxtNewSamp, QStringLiteral("1"));
    CaretToEnd(TxtNewSamp);
    NewSampClosingSteps();
    return;
  }
  if (value > kMaxFrames) {
    ShowMessage(kOverflowTitle, kSamplesOverflow, MessageIcon::Information);
    bInternalChange = true;
    SetText(TxtNewSamp, QString::fromLatin1(kMaxFramesText));
    CaretToEnd(TxtNewSamp);
    NewSampClosingSteps();
    return;
  }
  lastAccepted_.insert(TxtNewSamp, text);

  // A correction written by the program keeps the byte count and tempo of the text before it.
  if (!bInternalChange) {
    bInternalChange = true;
    SetText(TxtNewBytes, ToText(DoubleToText(value * currentFormat_.blockAlign, style_)));
    if (const auto bpm = NewBpmText()) SetText(TxtNewBpm, *bpm);
    bInternalChange = false;
  }
  UpdateSpanProps();
}

void FrmMain::NewSampClosingSteps() {
  bInternalChange = false;
  // End a hold on the arrows that write this field; the next pass of their loop sees it.
  LblPlus_MouseUp(0, 0, 0, 0, 0);
  LblMinus_MouseUp(0, 0, 0, 0, 0);
  LblPlus_MouseUp(1, 0, 0, 0, 0);
  LblMinus_MouseUp(1, 0, 0, 0, 0);
  QCoreApplication::processEvents();
}

void FrmMain::TxtNewSamp_Validate(bool& cancel) {
  bool invalid = TxtNewSamp->text().isEmpty();
  if (!invalid) {
    const auto value = FieldDouble(TxtNewSamp);
    invalid = value && *value == 0;
  }
  if (!invalid) return;
  ShowInvalid(kSamplesInvalid);
  SetText(TxtNewSamp, TxtOrgSamp->text());
  CaretToEnd(TxtNewSamp);
  cancel = true;
}

void FrmMain::UpdateSpanProps() {
  SpanTexts texts{Std(TxtSpBytes->text()), Std(TxtSpSamp->text())};
  UpdateSpanTexts(texts, Std(TxtNewBytes->text()), Std(TxtTotal->text()), currentFormat_.blockAlign, style_);
  SetText(TxtSpBytes, ToText(texts.bytes));
  SetText(TxtSpSamp, ToText(texts.samples));
}

void FrmMain::LblEditBpm_Click() {
  LblEditBpm->SetColours(Qt::white, QColor());
  const auto answer = dialogs_.InputBox(this, kNewBpmTitle, kNewBpmPrompt, TxtNewBpm->text());
  if (answer && !answer->isEmpty()) {
    if (!IsNumeric(Std(*answer), style_)) {
      ShowInvalid(kInvalidNumeric);
    } else if (TextToDouble(Std(*answer), style_).value_or(0.0) <= 0) {
      ShowInvalid(kSamplesMustBeAboveZero);
    } else {
      // A tempo beyond the float range is held at its largest value: the frame count then
      // comes out as 0, which the new-samples field refuses with its message.
      const float tempo = TextToSingle(Std(*answer), style_).value_or(std::numeric_limits<float>::max());
      const auto bars = FieldSingle(TxtBars);
      const auto beats = FieldSingle(TxtBeats);
      // Empty beats or bars (the label takes no focus, so nothing validated them): nothing to do.
      if (bars && beats) {
        const auto frames = CalcSamples(tempo, currentFormat_.sampleRate, *bars, *beats);
        const auto rounded = frames ? RoundToLong(*frames) : std::nullopt;
        if (frames && static_cast<double>(*frames) <= kMaxFrames && rounded) {
          SetText(TxtNewSamp, ToText(LongToText(*rounded)));
        } else {
          // Too many frames, or none computable for so small a tempo.
          ShowMessage(kOverflowTitle, kSamplesOverflow, MessageIcon::Information);
          SetText(TxtNewSamp, QString::fromLatin1(kMaxFramesText));
          CaretToEnd(TxtNewSamp);
        }
      }
    }
  }
  LblEditBpm->SetColours(QColor(0, 0, 255), QColor());
}

ButtonLabel* FrmMain::ArrowLabel(Arrow arrow, int index) const {
  return arrow == Arrow::Minus ? LblMinus.at(index) : LblPlus.at(index);
}

FrmMain::ArrowHold& FrmMain::Hold(Arrow arrow, int index) {
  return holds_.at((arrow == Arrow::Minus ? 0 : 3) + index);
}

void FrmMain::ArrowStep(Arrow arrow, int index, double step) {
  // Row 0 steps the frame count, row 1 the tempo (more frames is slower), row 2 the phaser.
  QLineEdit* target = index == 2 ? LblPhaser : TxtNewSamp;
  const bool up = (arrow == Arrow::Plus) != (index == 1);
  // An empty field (left without validation, since a label takes no focus): no step.
  const auto value = FieldDouble(target);
  if (!value) return;
  SetText(target, ToText(DoubleToText(up ? *value + step : *value - step, style_)));
}

void FrmMain::ArrowMouseDown(Arrow arrow, int index, int button, int shift) {
  ButtonLabel* label = ArrowLabel(arrow, index);
  ShowArrowPressed(label, true);
  if (button == 0 || shift == 0) return;  // a plain press repeats nothing
  const double step = shift == 1 ? 1 : shift == 2 ? 16 : 0;
  ArrowHold& hold = Hold(arrow, index);
  hold.running = true;
  hold.step = step;
  HoldPass(arrow, index);
}

void FrmMain::HoldPass(Arrow arrow, int index) {
  ArrowHold& hold = Hold(arrow, index);
  if (!hold.running) return;
  // The release may have gone to a message box shown during the hold: the hold ends all the same.
  if (QGuiApplication::mouseButtons() == Qt::NoButton) {
    ArrowMouseUp(arrow, index);
    return;
  }
  ArrowStep(arrow, index, hold.step);
  // The next pass after the event loop has run once.
  if (hold.running) hold.timer->start();
}

void FrmMain::ArrowMouseUp(Arrow arrow, int index) {
  ButtonLabel* label = ArrowLabel(arrow, index);
  ArrowHold& hold = Hold(arrow, index);
  hold.running = false;
  hold.timer->stop();
  ShowArrowPressed(label, false);
  // Called by the program while the button is still down: its release is then no click, as
  // when a message box takes it.
  label->ForgetPress();
}

void FrmMain::LblMinus_Click(int index) {
  ArrowStep(Arrow::Minus, index, 1);
}
void FrmMain::LblPlus_Click(int index) {
  ArrowStep(Arrow::Plus, index, 1);
}
void FrmMain::LblMinus_DblClick(int index) {
  ArrowStep(Arrow::Minus, index, 1);
}
void FrmMain::LblPlus_DblClick(int index) {
  ArrowStep(Arrow::Plus, index, 1);
}

void FrmMain::LblMinus_MouseDown(int index, int button, int shift, int, int) {
  ArrowMouseDown(Arrow::Minus, index, button, shift);
}
void FrmMain::LblPlus_MouseDown(int index, int button, int shift, int, int) {
  ArrowMouseDown(Arrow::Plus, index, button, shift);
}
void FrmMain::LblMinus_MouseUp(int index, int, int, int, int) {
  ArrowMouseUp(Arrow::Minus, index);
}
void FrmMain::LblPlus_MouseUp(int index, int, int, int, int) {
  ArrowMouseUp(Arrow::Plus, index);
}

}  // namespace tactoria
