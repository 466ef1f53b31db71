#pragma once

#include "analysis/hits.h"
#include "slices/slice_fades.h"
#include "slices/slice_state.h"

namespace tactoria {

class SettingsStore;

// What the Export Slices dialog asks, with the command line's defaults.
struct SliceExportChoices {
  SliceMode cut = SliceMode::Hits;
  double sensitivity = HitOptions{}.sensitivity;
  bool snap = false;
  double fadeInMs = kDefaultFadeInMs;
  double fadeOutMs = kDefaultFadeOutMs;
  bool sfz = false;
  bool sf2 = false;
  bool midi = false;
  bool marked = false;

  bool operator==(const SliceExportChoices&) const = default;
};

// The choices last made, from the settings section "ExportSlices" (a missing or unreadable value
// gives its default).
SliceExportChoices LoadSliceExportChoices(const SettingsStore& settings);
void SaveSliceExportChoices(SettingsStore& settings, const SliceExportChoices& choices);

}  // namespace tactoria
