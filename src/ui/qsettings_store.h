#pragma once

#include <QSettings>

#include "ui/settings_store.h"

namespace tactoria {

// The per-user settings of the program (organization and application "Tactoria"); a section
// is a QSettings group.
class QSettingsStore : public SettingsStore {
 public:
  QSettingsStore();

  QString Value(const QString& section, const QString& key) const override;
  void SetValue(const QString& section, const QString& key, const QString& value) override;

 private:
  mutable QSettings settings_;
};

}  // namespace tactoria
