// The time-stretch of a new length with the pitch kept, for each engine: its speed on a 16 s stereo
// drum loop, and the figures the quality tests judge by (the tone of a sine, the place and level of
// each click of a click train).
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <random>

#include "process/time_stretch.h"
#include "support/sound_measures.h"

namespace tactoria {
namespace {

using testing::Channel16;
using testing::Pcm16;

constexpr double kRate = 44100;

WaveFormat Stereo16() {
  WaveFormat format;
  format.formatTag = 1;
  format.channels = 2;
  format.sampleRate = 44100;
  format.blockAlign = 4;
  format.avgBytesPerSec = 44100 * 4;
  format.bitsPerSample = 16;
  return format;
}

// 16 s at 120 bpm: a kick on every beat, a snare on 2 and 4, hats on the eighths, a bass line.
std::vector<std::byte> DrumLoop() {
  const auto frames = static_cast<std::size_t>(16 * kRate);
  const double beat = kRate / 2;
  std::vector<double> mix(frames, 0.0);
  std::mt19937 noise(7);
  std::uniform_real_distribution<double> uniform(-1, 1);
  for (std::size_t i = 0; i < frames; ++i) {
    const double inBeat = std::fmod(static_cast<double>(i), beat) / kRate;
    const double inEighth = std::fmod(static_cast<double>(i), beat / 2) / kRate;
    const auto beatIndex = static_cast<std::size_t>(static_cast<double>(i) / beat);
    double v = 0.6 * std::exp(-inBeat / 0.08) *
               std::sin(2 * std::numbers::pi * (50 + 80 * std::exp(-inBeat / 0.02)) * inBeat);
    if (beatIndex % 2 == 1) v += 0.4 * std::exp(-inBeat / 0.05) * uniform(noise);
    v += 0.15 * std::exp(-inEighth / 0.01) * uniform(noise);
    v += 0.2 *
         std::sin(2 * std::numbers::pi * (beatIndex % 4 < 2 ? 55.0 : 73.4) * static_cast<double>(i) / kRate);
    mix[i] = v;
  }
  return Pcm16(frames, 2, [&](std::size_t i) { return mix[i]; });
}

// How much of the middle second a steady sine at `frequency` explains, in dB (signal over the
// least-squares residual). A stretch that smears or wobbles the tone lowers it.
double SineCleanness(const std::vector<double>& sound, double frequency, double rate) {
  const std::vector<double> x = testing::MiddleSecond(sound, rate);
  double cc = 0, ss = 0, cs = 0, xc = 0, xs = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    const double c = std::cos(2 * std::numbers::pi * frequency * static_cast<double>(i) / rate);
    const double s = std::sin(2 * std::numbers::pi * frequency * static_cast<double>(i) / rate);
    cc += c * c, ss += s * s, cs += c * s, xc += x[i] * c, xs += x[i] * s;
  }
  const double det = cc * ss - cs * cs;
  const double a = (xc * ss - xs * cs) / det, b = (xs * cc - xc * cs) / det;
  double signal = 0, residual = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    const double fit = a * std::cos(2 * std::numbers::pi * frequency * static_cast<double>(i) / rate) +
                       b * std::sin(2 * std::numbers::pi * frequency * static_cast<double>(i) / rate);
    signal += fit * fit;
    residual += (x[i] - fit) * (x[i] - fit);
  }
  return 10 * std::log10(signal / std::max(residual, 1e-30));
}

const char* EngineName(StretchEngine engine) {
  switch (engine) {
    case StretchEngine::Faster:
      return "R2";
    case StretchEngine::Finer:
      return "R3";
    default:
      return "R3-short";
  }
}

// args: engine, new length in % of the old.
void BM_StretchLoop(benchmark::State& state) {
  const auto engine = static_cast<StretchEngine>(state.range(0));
  static const std::vector<std::byte> loop = DrumLoop();
  const auto frames = static_cast<std::int32_t>(static_cast<double>(loop.size() / 4) *
                                                static_cast<double>(state.range(1)) / 100);
  for (auto _ : state) {
    StretchResult result = StretchKeepingPitch(loop, Stereo16(), frames, engine);
    if (result.failure) state.SkipWithError("stretch failed");
    benchmark::DoNotOptimize(result.buffer.data());
  }
  // Seconds of loop stretched per second of CPU: the multiple of real time.
  state.counters["x_realtime"] =
      benchmark::Counter(16.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.SetLabel(EngineName(engine));
}

std::vector<double> StretchedChannel(const std::vector<double>& wave, std::int32_t frames,
                                     StretchEngine engine) {
  const auto pcm = Pcm16(wave.size(), 2, [&](std::size_t i) { return wave[i]; });
  const StretchResult result = StretchKeepingPitch(pcm, Stereo16(), frames, engine);
  return Channel16(result.buffer.data(), result.buffer.size(), 2, 0);
}

// The quality tests' measures, once per engine.
void BM_StretchQuality(benchmark::State& state) {
  const auto engine = static_cast<StretchEngine>(state.range(0));
  for (auto _ : state) {
    const auto sine = testing::SineWave(440, kRate, 88200);
    double worstHz = 0, worstClean = 1e9;
    for (std::int32_t frames : {110250, 70560}) {
      const auto out = StretchedChannel(sine, frames, engine);
      worstHz = std::max(worstHz, std::fabs(testing::DominantFrequency(out, kRate) - 440));
      worstClean = std::min(worstClean, SineCleanness(out, 440, kRate));
    }
    const auto clicks = testing::ClickTrain(8, 22050, kRate);
    double peak = 0;
    for (double v : clicks) peak = std::max(peak, std::fabs(v));
    double worstMs = 0, worstDb = 0;
    for (const auto& figure :
         testing::MeasureClicks(StretchedChannel(clicks, 8 * 26460, engine), 8, 26460, peak, kRate)) {
      worstMs = std::max(worstMs, std::fabs(figure.offsetMs));
      worstDb = std::max(worstDb, std::fabs(figure.levelDb));
    }
    state.counters["sine_err_Hz"] = worstHz;
    state.counters["sine_clean_dB"] = worstClean;
    state.counters["click_ms"] = worstMs;
    state.counters["click_dB"] = worstDb;
  }
  state.SetLabel(EngineName(engine));
}

constexpr int kEngines[] = {static_cast<int>(StretchEngine::Faster), static_cast<int>(StretchEngine::Finer),
                            static_cast<int>(StretchEngine::FinerShortWindow)};

void LoopArgs(benchmark::internal::Benchmark* b) {
  for (int engine : kEngines)
    for (int percent : {120, 80}) b->Args({engine, percent});
}
void QualityArgs(benchmark::internal::Benchmark* b) {
  for (int engine : kEngines) b->Arg(engine);
}

BENCHMARK(BM_StretchLoop)->Apply(LoopArgs)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_StretchQuality)->Apply(QualityArgs)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace tactoria

BENCHMARK_MAIN();
