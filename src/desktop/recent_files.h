#pragma once

#include <QString>
#include <QStringList>

namespace tactoria {

class SettingsStore;

// The files opened last, newest first, kept in a settings section of their own ("RecentFiles",
// keys "File1" to "File8") and written back at every change, so a crash loses none of them.
class RecentFiles {
 public:
  static constexpr int kMaxFiles = 8;

  explicit RecentFiles(SettingsStore& settings);

  const QStringList& Paths() const { return paths_; }
  // Puts `path` first; an earlier entry of the same path moves up instead of repeating.
  void Add(const QString& path);
  void Remove(const QString& path);
  void Clear();

 private:
  void Save();

  SettingsStore& settings_;
  QStringList paths_;
};

}  // namespace tactoria
