#pragma once

// Test sounds and the measures by which a stretched sound is judged: its dominant frequency,
// where and how loud each click of a click train comes out.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numbers>
#include <utility>
#include <vector>

namespace tactoria::testing {

// Interleaved 16-bit little-endian PCM of `frames` frames, every channel sample(i).
template <typename Sample>
std::vector<std::byte> Pcm16(std::size_t frames, int channels, Sample sample) {
  std::vector<std::byte> bytes;
  for (std::size_t i = 0; i < frames; ++i) {
    const auto value = static_cast<std::int16_t>(std::lround(std::clamp(sample(i), -1.0, 1.0) * 32767.0));
    for (int ch = 0; ch < channels; ++ch)
      bytes.insert(bytes.end(),
                   {static_cast<std::byte>(value & 0xFF), static_cast<std::byte>(value >> 8 & 0xFF)});
  }
  return bytes;
}

// Stereo 16-bit PCM with both channels `wave`.
inline std::vector<std::byte> Stereo16(const std::vector<double>& wave) {
  return Pcm16(wave.size(), 2, [&](std::size_t i) { return wave[i]; });
}

// One channel of interleaved 16-bit PCM as floats in [-1, 1).
inline std::vector<double> Channel16(const std::byte* pcm, std::size_t bytes, int channels, int channel) {
  std::vector<double> out;
  for (std::size_t at = static_cast<std::size_t>(channel) * 2; at + 1 < bytes; at += channels * 2u)
    out.push_back(
        static_cast<std::int16_t>(std::to_integer<int>(pcm[at]) | std::to_integer<int>(pcm[at + 1]) << 8) /
        32768.0);
  return out;
}

inline std::vector<double> SineWave(double frequency, double rate, std::size_t frames, double level = 0.5) {
  std::vector<double> out(frames);
  for (std::size_t i = 0; i < frames; ++i)
    out[i] = level * std::sin(2 * std::numbers::pi * frequency * static_cast<double>(i) / rate);
  return out;
}

// A drum-like click every `spacing` frames from frame 0: a 2 kHz burst decaying by e every 4 ms.
inline std::vector<double> ClickTrain(std::size_t clicks, std::size_t spacing, double rate,
                                      double level = 0.8) {
  std::vector<double> out(clicks * spacing, 0.0);
  const auto length = static_cast<std::size_t>(0.03 * rate);
  for (std::size_t c = 0; c < clicks; ++c) {
    for (std::size_t i = 0; i < length; ++i) {
      const double t = static_cast<double>(i) / rate;
      out[c * spacing + i] = level * std::exp(-t / 0.004) * std::sin(2 * std::numbers::pi * 2000 * t + 0.5);
    }
  }
  return out;
}

// The middle second of a sound (the stretcher's edges left out).
inline std::vector<double> MiddleSecond(const std::vector<double>& x, double rate) {
  const auto length = std::min(x.size(), static_cast<std::size_t>(rate));
  const auto first = (x.size() - length) / 2;
  return {x.begin() + static_cast<std::ptrdiff_t>(first),
          x.begin() + static_cast<std::ptrdiff_t>(first + length)};
}

// The strongest frequency between `low` and `high` Hz over the middle second: a 2 Hz scan (within
// the main lobe of a 1 s Hann window), then a 0.02 Hz scan around its best.
inline double DominantFrequency(const std::vector<double>& sound, double rate, double low = 100,
                                double high = 1000) {
  const std::vector<double> x = MiddleSecond(sound, rate);
  const auto n = static_cast<double>(x.size());
  const auto hannPower = [&](double frequency) {  // Goertzel over the Hann-windowed sound
    const double coeff = 2 * std::cos(2 * std::numbers::pi * frequency / rate);
    double s1 = 0, s2 = 0;
    for (std::size_t i = 0; i < x.size(); ++i)
      s2 = std::exchange(
          s1, x[i] * (0.5 - 0.5 * std::cos(2 * std::numbers::pi * static_cast<double>(i) / (n - 1))) +
                  coeff * s1 - s2);
    return s1 * s1 + s2 * s2 - coeff * s1 * s2;
  };
  auto best = [&](double from, double to, double step) {
    double top = from, topPower = -1;
    for (double f = from; f <= to; f += step)
      if (const double power = hannPower(f); power > topPower) topPower = power, top = f;
    return top;
  };
  const double coarse = best(low, high, 2.0);
  return best(coarse - 2.0, coarse + 2.0, 0.02);
}

struct ClickFigure {
  double offsetMs = 0;  // onset minus the beat position
  double levelDb = 0;   // peak against the original click's peak
};

// For each beat k (at k x spacing), the onset (first sample at half the peak) and the peak of the
// sound within half a beat either side.
inline std::vector<ClickFigure> MeasureClicks(const std::vector<double>& x, std::size_t clicks,
                                              double spacing, double originalPeak, double rate) {
  std::vector<ClickFigure> figures;
  for (std::size_t k = 0; k < clicks; ++k) {
    const double beat = static_cast<double>(k) * spacing;
    const auto from = static_cast<std::size_t>(std::max(0.0, beat - spacing / 2));
    const auto to = std::min(x.size(), static_cast<std::size_t>(beat + spacing / 2));
    double peak = 0;
    for (std::size_t i = from; i < to; ++i) peak = std::max(peak, std::fabs(x[i]));
    std::size_t onset = from;
    while (onset < to && std::fabs(x[onset]) < peak / 2) ++onset;
    figures.push_back({(static_cast<double>(onset) - beat) * 1000 / rate,
                       20 * std::log10(std::max(peak, 1e-12) / originalPeak)});
  }
  return figures;
}

}  // namespace tactoria::testing
