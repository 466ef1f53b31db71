#include "qsettings_store.h"
#include "ui/product_name.h"

namespace tactoria {

QSettingsStore::QSettingsStore() : settings_(kProductName, kProductName) {}

QString QSettingsStore::Value(const QString& section, const QString& key) const {
  return settings_.value(section + QLatin1Char('/') + key).toString();
}

void QSettingsStore::SetValue(const QString& section, const QString& key, const QString& value) {
  settings_.setValue(section + QLatin1Char('/') + key, value);
  settings_.sync();
}

}  // namespace tactoria
