// The analysis of a loop in process: hits alone and the whole tempo estimate, on a 16-second
// stereo loop (8 bars at 120 bpm, 44100 Hz, 16-bit) made of synthesized drum hits.
#include <benchmark/benchmark.h>

#include "analysis/hits.h"
#include "analysis/tempo_estimate.h"
#include "support/drum_loops.h"

namespace {

const tactoria::testing::Loop& SixteenSeconds() {
  static const tactoria::testing::Loop loop = [] {
    tactoria::testing::LoopRecipe recipe;
    recipe.groove = tactoria::testing::Grooves()[1];
    recipe.bpm = 120;
    recipe.bars = 8;
    return tactoria::testing::MakeLoop(recipe);
  }();
  return loop;
}

void BM_FindHits16s(benchmark::State& state) {
  const auto& loop = SixteenSeconds();
  for (auto _ : state) benchmark::DoNotOptimize(tactoria::FindHits(loop.pcm, loop.format));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * loop.pcm.size()));
}
BENCHMARK(BM_FindHits16s)->Unit(benchmark::kMillisecond);

void BM_EstimateTempo16s(benchmark::State& state) {
  const auto& loop = SixteenSeconds();
  for (auto _ : state) benchmark::DoNotOptimize(tactoria::EstimateTempo(loop.pcm, loop.format));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * loop.pcm.size()));
}
BENCHMARK(BM_EstimateTempo16s)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
