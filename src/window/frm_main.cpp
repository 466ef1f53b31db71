#include "frm_main.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocale>
#include <QTimer>

#include "desktop/app_icon.h"
#include "tempo/field_conversions.h"
#include "tempo/field_messages.h"
#include "ui/focus_return.h"
#include "ui/product_name.h"
#include "ui/settings_store.h"
#include "window/frm_about.h"
#include "window/validation_filter.h"

namespace tactoria {

namespace {

const QString kSection = QStringLiteral("UserSection");
const QString kOpenKey = QStringLiteral("UserOpenFilePath");
const QString kSaveKey = QStringLiteral("UserSaveFilePath");

// The locale's decimal separator, when it is a single ASCII character.
NumberStyle LocaleStyle() {
  const QString point = QLocale().decimalPoint();
  if (point.size() == 1 && point.at(0).unicode() < 0x80)
    return NumberStyle{static_cast<char>(point.at(0).unicode())};
  return NumberStyle{};
}

}  // namespace

FrmMain::FrmMain(UserDialogs& dialogs, SettingsStore& settings, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      dialogs_(dialogs),
      settings_(settings),
      style_(LocaleStyle()),
      output_(*this) {
  setObjectName(QStringLiteral("FrmMain"));
  LoadUserSettings();

  setWindowTitle(kProductName);
  setWindowIcon(AppIcon());
  BuildControls();
  BuildMenus();
  BuildEditMenu();
  SetTabOrder();
  ConnectHandlers();
  LinkPreview();

  // The start values; their change handlers run and find nothing to compute yet.
  SetText(TxtBeats, QStringLiteral("4"));
  SetText(TxtBars, QStringLiteral("1"));
  const auto beats = FieldDouble(TxtBeats);
  const auto bars = FieldDouble(TxtBars);
  if (beats && bars) SetText(TxtTotal, ToText(DoubleToText(*beats * *bars, style_)));
}

FrmMain::~FrmMain() = default;

void FrmMain::LoadUserSettings() {
  openFolder_ = settings_.Value(kSection, kOpenKey);
  saveFolder_ = settings_.Value(kSection, kSaveKey);
}

void FrmMain::SaveUserSettings() {
  settings_.SetValue(kSection, kOpenKey, openFolder_);
  settings_.SetValue(kSection, kSaveKey, saveFolder_);
}

void FrmMain::closeEvent(QCloseEvent* event) {
  for (ArrowHold& hold : holds_) hold.timer->stop();
  currentWave_.reset();
  SaveUserSettings();
  event->accept();
}

bool FrmMain::FileExists(const QString& path) {
  const QFileInfo info(path);
  return info.isFile() && info.size() != 0;
}

RenderSettings FrmMain::CurrentRenderSettings() const {
  RenderSettings settings;
  if (TxtNewBytes->text() != TxtOrgBytes->text()) {
    // The menu commands refuse a text that does not convert before they render
    // (ReadyForCommand); here it would give 0 frames.
    settings.newFrames = FieldLong(TxtNewSamp).value_or(0);
  }
  if (ChkPhaser->isChecked()) settings.phaserValue = FieldDouble(LblPhaser).value_or(lastPhaserValue_);
  settings.reverse = ChkReverse->isChecked();
  settings.keepPitch = KeepPitch();
  return settings;
}

QString FrmMain::BeatsText() const {
  return TxtBeats->text();
}
QString FrmMain::BarsText() const {
  return TxtBars->text();
}
QString FrmMain::TotalText() const {
  return TxtTotal->text();
}

bool FrmMain::ReadyForCommand(bool renders) {
  if (!validation_->ValidateFocused(this)) return false;
  // An empty field (left by a click on a label, which takes no focus) would render no sound.
  if (renders && !FieldLong(TxtNewSamp)) {
    bool cancel = false;
    TxtNewSamp_Validate(cancel);
    if (!cancel) ShowInvalid(kSamplesInvalid);
    activateWindow();
    TxtNewSamp->setFocus(Qt::OtherFocusReason);
    return false;
  }
  return true;
}

void FrmMain::MnuSaveAsWave_Click() {
  if (ReadyForCommand(true)) output_.SaveAs();
}
void FrmMain::MnuSpanAs_Click() {
  if (ReadyForCommand(true)) output_.SpanAs();
}
void FrmMain::MnuShuffle_Click() {
  if (ReadyForCommand(false)) {
    output_.Shuffle();
    emit RenderInputsChanged();
  }
}
void FrmMain::MnuMixTo_Click() {
  if (ReadyForCommand(true)) output_.MixTo();
}
void FrmMain::MnuExit_Click() {
  close();
}

void FrmMain::MnuAbout_Click() {
  const FocusReturn back(this);
  FrmAbout about(this, &dialogs_);
  about.exec();
}

}  // namespace tactoria
