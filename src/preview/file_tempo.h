#pragma once

#include <QString>

#include "analysis/tempo_estimate.h"

namespace tactoria {

class vbMediaFile;

// What a file itself says of its tempo, for EstimateTempo: its name and the tempo of its first
// "acid" chunk (a finite number above 0). Plain C++: the main window and the preview share it.
TempoOptions FileTempoOptions(const vbMediaFile& file);

// "Tempo 120 bpm, 4/4 × 4 bars (confidence 0.92, from the sound)".
QString TempoText(const TempoEstimate& estimate);

}  // namespace tactoria
