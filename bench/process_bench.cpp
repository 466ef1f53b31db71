// Throughput of the sound routines beside memcpy of the same bytes, on a 64 MB sound.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "process/frame_choice.h"
#include "process/sound_routines.h"

namespace {

constexpr std::size_t kBytes = std::size_t{64} << 20;
constexpr std::int16_t kAlign = 4;  // 16-bit stereo

std::vector<std::byte> Sound(std::size_t size) {
  std::vector<std::byte> bytes(size);
  for (std::size_t k = 0; k < size; ++k) bytes[k] = static_cast<std::byte>(k * 131 + (k >> 12));
  return bytes;
}

void BM_Memcpy(benchmark::State& state) {
  const auto source = Sound(kBytes);
  std::vector<std::byte> target(kBytes);
  for (auto _ : state) {
    std::memcpy(target.data(), source.data(), kBytes);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBytes));
}

// The same copy into a newly allocated buffer: ChangeSoundLength pays for its result's pages too.
void BM_MemcpyToNewBuffer(benchmark::State& state) {
  const auto source = Sound(kBytes);
  for (auto _ : state) {
    auto target = tactoria::ByteBuffer::Allocate(kBytes);
    std::memcpy(target->data(), source.data(), kBytes);
    benchmark::DoNotOptimize(target->data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBytes));
}

// Argument: the new length in percent of the source's. Bytes counted: the result's.
void BM_ChangeSoundLength(benchmark::State& state) {
  const auto source = Sound(kBytes);
  const auto frames = static_cast<std::int64_t>(kBytes / kAlign);
  const auto newFrames = static_cast<std::int32_t>(frames * state.range(0) / 100);
  for (auto _ : state) {
    tactoria::ByteBuffer result;
    if (!tactoria::ChangeSoundLength(source, kAlign, newFrames, result)) state.SkipWithError("refused");
    benchmark::DoNotOptimize(result.data());
  }
  state.SetBytesProcessed(state.iterations() * newFrames * kAlign);
}

// The frame choice and 4-byte copies of ChangeSoundLength into a buffer whose pages are already
// mapped: the routine's own work without the cost of a new result buffer.
void BM_FrameChoiceIntoWarmBuffer(benchmark::State& state) {
  const auto source = Sound(kBytes);
  const auto frames = static_cast<std::int64_t>(kBytes / kAlign);
  const auto newFrames = frames * state.range(0) / 100;
  std::vector<std::byte> target(static_cast<std::size_t>(newFrames) * kAlign);
  for (auto _ : state) {
    tactoria::FrameChooser chooser(frames - 1, newFrames - 1);
    std::byte* to = target.data();
    for (std::int64_t i = 0; i < newFrames; ++i, to += kAlign) {
      std::memcpy(to, source.data() + chooser.Next() * kAlign, kAlign);
    }
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * newFrames * kAlign);
}

void BM_ReverseSample(benchmark::State& state) {
  auto sound = Sound(kBytes);
  for (auto _ : state) {
    tactoria::ReverseSample(sound, static_cast<std::int16_t>(state.range(0)));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBytes));
}

void BM_SetPhaser(benchmark::State& state) {
  auto sound = Sound(kBytes);
  tactoria::WaveFormat format;
  format.channels = 2;
  format.blockAlign = kAlign;
  for (auto _ : state) {
    tactoria::SetPhaser(sound, format, 40);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBytes));
}

void BM_MixSamples(benchmark::State& state) {
  auto target = Sound(kBytes);
  const auto source = Sound(kBytes);
  for (auto _ : state) {
    tactoria::MixSamples(target, source, kAlign);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBytes));
}

}  // namespace

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemcpyToNewBuffer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChangeSoundLength)->Arg(100)->Arg(150)->Arg(67)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameChoiceIntoWarmBuffer)->Arg(150)->Arg(67)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReverseSample)->Arg(4)->Arg(1)->Arg(2)->Arg(8)->Arg(6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetPhaser)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MixSamples)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
