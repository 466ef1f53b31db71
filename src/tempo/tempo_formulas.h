#pragma once

#include <cstdint>
#include <optional>

namespace tactoria {

// Tempo in beats per minute of `samples` frames at `sampleRate` holding bars x beats beats:
// the beat length samples / bars / beats / rate in double, rounded to float, then 60 / that,
// rounded to float. No value on a division by zero, an overflow or an invalid operation.
std::optional<float> CalcBpm(float samples, std::int32_t sampleRate, float bars, float beats);

// The frame count that gives `tempo`: bars x rate x beats x 60 / tempo in double, rounded to
// float. No value on an arithmetic failure.
std::optional<float> CalcSamples(float tempo, std::int32_t sampleRate, float bars, float beats);

}  // namespace tactoria
