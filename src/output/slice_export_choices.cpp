#include "output/slice_export_choices.h"

#include <QString>

#include "ui/settings_store.h"

namespace tactoria {
namespace {

const QString kSection = QStringLiteral("ExportSlices");

bool Flag(const SettingsStore& settings, const QString& key, bool fallback) {
  const QString text = settings.Value(kSection, key);
  if (text == QLatin1String("1")) return true;
  if (text == QLatin1String("0")) return false;
  return fallback;
}

double Number(const SettingsStore& settings, const QString& key, double low, double high, double fallback) {
  bool ok = false;
  const double value = settings.Value(kSection, key).toDouble(&ok);  // C locale
  return ok && value >= low && value <= high ? value : fallback;
}

void SetFlag(SettingsStore& settings, const QString& key, bool on) {
  settings.SetValue(kSection, key, on ? QStringLiteral("1") : QStringLiteral("0"));
}

}  // namespace

SliceExportChoices LoadSliceExportChoices(const SettingsStore& settings) {
  SliceExportChoices c;
  const QString cut = settings.Value(kSection, QStringLiteral("Cut"));
  if (cut == QLatin1String("Grid")) c.cut = SliceMode::Grid;
  c.sensitivity = Number(settings, QStringLiteral("Sensitivity"), 0, 1, c.sensitivity);
  c.snap = Flag(settings, QStringLiteral("Snap"), c.snap);
  c.fadeInMs = Number(settings, QStringLiteral("FadeIn"), 0, kMaxFadeMs, c.fadeInMs);
  c.fadeOutMs = Number(settings, QStringLiteral("FadeOut"), 0, kMaxFadeMs, c.fadeOutMs);
  c.sfz = Flag(settings, QStringLiteral("Sfz"), c.sfz);
  c.sf2 = Flag(settings, QStringLiteral("Sf2"), c.sf2);
  c.midi = Flag(settings, QStringLiteral("Midi"), c.midi);
  c.marked = Flag(settings, QStringLiteral("Marked"), c.marked);
  return c;
}

void SaveSliceExportChoices(SettingsStore& settings, const SliceExportChoices& c) {
  settings.SetValue(kSection, QStringLiteral("Cut"),
                    c.cut == SliceMode::Grid ? QStringLiteral("Grid") : QStringLiteral("Hits"));
  settings.SetValue(kSection, QStringLiteral("Sensitivity"), QString::number(c.sensitivity));
  SetFlag(settings, QStringLiteral("Snap"), c.snap);
  settings.SetValue(kSection, QStringLiteral("FadeIn"), QString::number(c.fadeInMs));
  settings.SetValue(kSection, QStringLiteral("FadeOut"), QString::number(c.fadeOutMs));
  SetFlag(settings, QStringLiteral("Sfz"), c.sfz);
  SetFlag(settings, QStringLiteral("Sf2"), c.sf2);
  SetFlag(settings, QStringLiteral("Midi"), c.midi);
  SetFlag(settings, QStringLiteral("Marked"), c.marked);
}

}  // namespace tactoria
