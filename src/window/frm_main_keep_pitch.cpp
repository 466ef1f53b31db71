// The Tools menu's "Keep Pitch" command: whether a new length keeps the pitch, remembered in a
// settings section of its own.
#include <QAction>
#include <QMenu>

#include "ui/settings_store.h"
#include "window/frm_main.h"

namespace tactoria {
namespace {

const QString kKeepPitchSection = QStringLiteral("KeepPitch");
const QString kKeepPitchKey = QStringLiteral("Enabled");

}  // namespace

void FrmMain::BuildKeepPitchCommand() {
  MnuTools->addSeparator()->setObjectName(QStringLiteral("MnuKeepPitchSep"));
  MnuKeepPitch = MnuTools->addAction(QStringLiteral("Keep Pitch"));
  MnuKeepPitch->setObjectName(QStringLiteral("MnuKeepPitch"));
  MnuKeepPitch->setCheckable(true);
  MnuKeepPitch->setChecked(settings_.Value(kKeepPitchSection, kKeepPitchKey) == QLatin1String("1"));
  // Stored at once, so that every way of ending the program keeps the choice.
  connect(MnuKeepPitch, &QAction::toggled, this, [this](bool on) {
    settings_.SetValue(kKeepPitchSection, kKeepPitchKey, on ? QStringLiteral("1") : QStringLiteral("0"));
    emit KeepPitchChanged(on);
  });
}

bool FrmMain::KeepPitch() const {
  return MnuKeepPitch->isChecked();
}

void FrmMain::SetKeepPitch(bool on) {
  MnuKeepPitch->setChecked(on);  // signals only when it changes
}

}  // namespace tactoria
