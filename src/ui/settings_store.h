#pragma once

#include <QString>

namespace tactoria {

// Per-user settings: strings by section and key. The program uses QSettingsStore (application
// "Tactoria"); tests use a store of their own.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // The empty string when the setting is missing.
  virtual QString Value(const QString& section, const QString& key) const = 0;
  virtual void SetValue(const QString& section, const QString& key, const QString& value) = 0;
};

}  // namespace tactoria
