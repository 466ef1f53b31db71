#include "preview/file_tempo.h"

#include "analysis/acid_tempo.h"
#include "wave/media_file.h"

namespace tactoria {

TempoOptions FileTempoOptions(const vbMediaFile& file) {
  TempoOptions options;
  options.fileName = file.FileName();
  if (const std::optional<AcidInfo> acid = FindAcidChunk(file)) {
    options.acidTempo = acid->tempo;
    options.acidBeatsPerBar = acid->meterNumerator;
  }
  return options;
}

QString TempoText(const TempoEstimate& estimate) {
  return QStringLiteral("Tempo %1 bpm, %2/4 × %3 bar%4 (confidence %5, from the %6)")
      .arg(QString::number(estimate.bpm, 'g', 6))
      .arg(estimate.beats)
      .arg(estimate.bars)
      .arg(estimate.bars == 1 ? QString() : QStringLiteral("s"))
      .arg(estimate.confidence, 0, 'f', 2)
      .arg(QString::fromLatin1(TempoSourceName(estimate.source)));
}

}  // namespace tactoria
