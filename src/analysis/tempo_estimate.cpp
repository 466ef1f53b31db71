#include "analysis/tempo_estimate.h"

#include <cmath>

namespace tactoria {

const char* TempoSourceName(TempoSource source) {
  switch (source) {
    case TempoSource::FileName:
      return "file name";
    case TempoSource::AcidChunk:
      return "acid chunk";
    case TempoSource::Sound:
      return "sound";
    case TempoSource::Length:
      return "length";
  }
  return "length";
}

TempoEstimate EstimateTempo(std::span<const std::byte> pcm, const WaveFormat& format,
                            const TempoOptions& options) {
  TempoEstimate estimate;
  estimate.beats = options.beats.value_or(4);
  estimate.onsets = FindHits(pcm, format, options.hits);
  if (format.blockAlign <= 0 || format.sampleRate <= 0) return estimate;
  const double seconds =
      static_cast<double>(pcm.size() / static_cast<std::size_t>(format.blockAlign)) / format.sampleRate;
  if (seconds <= 0) return estimate;
  // The loop is whole bars: the bar count whose tempo is nearest 120.
  double best = 0;
  for (int bars = 1; bars <= 64; ++bars) {
    const double bpm = 60.0 * estimate.beats * bars / seconds;
    if (best == 0 || std::fabs(std::log2(bpm / 120.0)) < std::fabs(std::log2(best / 120.0))) {
      best = bpm;
      estimate.bars = bars;
    }
  }
  estimate.bpm = best;
  return estimate;
}

}  // namespace tactoria
