// The preview's work: the peak summary of a large sound, and what a change of the new length
// costs before the waveform can be repainted (the render plan plus the summary of the view).
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "process/peak_summary.h"
#include "process/preview_sound.h"

namespace {

constexpr int kColumns = 1200;
const tactoria::WaveFormat kStereo16{1, 2, 44100, 176400, 4, 16};

std::shared_ptr<const tactoria::ByteBuffer> Sound(std::size_t size) {
  auto bytes = tactoria::ByteBuffer::Allocate(size);
  std::byte* p = bytes->data();
  for (std::size_t k = 0; k < size; ++k) p[k] = static_cast<std::byte>(k * 131 + (k >> 12));
  return std::make_shared<const tactoria::ByteBuffer>(std::move(*bytes));
}

// 256 MB of 16-bit stereo into one screen of columns (goal: at least 1 GB/s on one core).
void BM_PeakSummary256MB(benchmark::State& state) {
  const auto sound = Sound(std::size_t{256} << 20);
  const std::int64_t frames = static_cast<std::int64_t>(sound->size()) / 4;
  for (auto _ : state) {
    tactoria::PeakSummary summary = tactoria::SummarizePeaks(sound->bytes(), kStereo16, 0, frames, kColumns);
    benchmark::DoNotOptimize(summary);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(sound->size()));
}

// A new length typed in: plan the render, summarise the whole new sound for the view.
// Argument: source size in bytes (16 s at 44.1 kHz stereo, and 256 MB). Goals: 30 ms and 300 ms
// from the change to the repaint, of which this is the part off the user-interface thread.
void BM_NewLengthToSummary(benchmark::State& state) {
  const tactoria::PreviewSource source{Sound(static_cast<std::size_t>(state.range(0))), kStereo16};
  const std::int64_t frames = static_cast<std::int64_t>(source.data->size()) / 4;
  std::int32_t step = 0;
  for (auto _ : state) {
    tactoria::RenderSettings settings;
    settings.newFrames = static_cast<std::int32_t>(frames + frames / 10 + (++step % 7));
    auto sound = std::get<std::shared_ptr<const tactoria::PreviewSound>>(
        tactoria::PreviewSound::Render(source, settings));
    tactoria::PeakSummary summary = sound->Summarize(0, sound->frames(), kColumns);
    benchmark::DoNotOptimize(summary);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(source.data->size()));
}

}  // namespace

BENCHMARK(BM_PeakSummary256MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NewLengthToSummary)->Arg(16 * 44100 * 4)->Arg(256 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
