#include "recent_files.h"

#include "ui/settings_store.h"

namespace tactoria {

namespace {

const QString kSection = QStringLiteral("RecentFiles");

QString Key(int number) {
  return QStringLiteral("File%1").arg(number);
}

}  // namespace

RecentFiles::RecentFiles(SettingsStore& settings) : settings_(settings) {
  for (int number = 1; number <= kMaxFiles; ++number) {
    const QString path = settings_.Value(kSection, Key(number));
    if (!path.isEmpty() && !paths_.contains(path)) paths_ << path;
  }
}

void RecentFiles::Add(const QString& path) {
  if (path.isEmpty()) return;
  paths_.removeAll(path);
  paths_.prepend(path);
  while (paths_.size() > kMaxFiles) paths_.removeLast();
  Save();
}

void RecentFiles::Remove(const QString& path) {
  if (paths_.removeAll(path) > 0) Save();
}

void RecentFiles::Clear() {
  paths_.clear();
  Save();
}

void RecentFiles::Save() {
  // Every key is written, so entries that dropped off the end are emptied rather than kept.
  for (int number = 1; number <= kMaxFiles; ++number)
    settings_.SetValue(kSection, Key(number), number <= paths_.size() ? paths_.at(number - 1) : QString());
}

}  // namespace tactoria
