#include "tempo_formulas.h"

#include <cmath>

#include "field_conversions.h"

namespace tactoria {
namespace {

bool AllFinite(float a, float b, float c) {
  return std::isfinite(a) && std::isfinite(b) && std::isfinite(c);
}

}  // namespace

std::optional<float> CalcBpm(float samples, std::int32_t sampleRate, float bars, float beats) {
  if (!AllFinite(samples, bars, beats)) return std::nullopt;
  // Double steps with a float rounding after each of the two stages: the figures shown in the
  // window depend on exactly these rounding points.
  const double beatSeconds = static_cast<double>(samples) / bars / beats / sampleRate;
  const auto rounded = RoundToSingle(beatSeconds);
  if (!rounded || *rounded == 0.0f) return std::nullopt;
  return RoundToSingle(1.0 / static_cast<double>(*rounded) * 60.0);
}

std::optional<float> CalcSamples(float tempo, std::int32_t sampleRate, float bars, float beats) {
  if (!AllFinite(tempo, bars, beats)) return std::nullopt;
  const double frames = static_cast<double>(bars) * sampleRate * beats * 60.0 / tempo;
  return RoundToSingle(frames);
}

}  // namespace tactoria
