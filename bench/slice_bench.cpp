// A slice export with every option: a 16-second loop (44100 Hz, 16-bit stereo, 8 bars at 120 bpm)
// cut into its 32 beats, snapped, faded, written as slice files, SFZ, SoundFont, MIDI and a marked
// file into a temporary folder (replacing the last run's files), and the hit finder on the same loop.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

#include "slices/slice_export.h"

namespace {

constexpr int kRate = 44100;
constexpr std::int64_t kFrames = 16 * kRate;

tactoria::WaveFormat Format() {
  tactoria::WaveFormat format;
  format.formatTag = 1;
  format.channels = 2;
  format.sampleRate = kRate;
  format.blockAlign = 4;
  format.avgBytesPerSec = kRate * 4;
  format.bitsPerSample = 16;
  return format;
}

// A decaying tone on each beat, so that every beat holds a hit.
std::vector<std::byte> Loop() {
  std::vector<std::byte> pcm;
  pcm.reserve(static_cast<std::size_t>(kFrames) * 4);
  for (std::int64_t i = 0; i < kFrames; ++i) {
    const double t = static_cast<double>(i % (kRate / 2)) / kRate;
    const auto v =
        static_cast<std::int16_t>(20000 * std::exp(-t / 0.05) *
                                  std::sin(2 * std::numbers::pi * (i % kRate < kRate / 2 ? 80 : 400) * t));
    for (int c = 0; c < 2; ++c) {
      pcm.push_back(static_cast<std::byte>(v & 0xFF));
      pcm.push_back(static_cast<std::byte>((v >> 8) & 0xFF));
    }
  }
  return pcm;
}

class Folder {
 public:
  Folder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tactoria-bench-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
  }
  ~Folder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

tactoria::SliceExport Request(const std::vector<std::byte>& sound, const std::string& base) {
  tactoria::SliceExport request;
  request.basePath = base;
  request.sound = sound;
  request.format = Format();
  request.slices = *tactoria::SlicesFromGrid(kFrames * 4, 4, 32);
  tactoria::SnapToZeroCrossings(request.slices, sound, request.format);
  request.tempo = {32, 4};
  request.sfz = request.sf2 = request.midi = request.marked = true;
  return request;
}

// Into a new folder each time: 37 new files.
void BM_SliceExportNewFiles(benchmark::State& state) {
  const std::vector<std::byte> sound = Loop();
  const Folder folder;
  int run = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const std::string sub = folder.path() + "/" + std::to_string(run++);
    std::filesystem::create_directory(sub);
    state.ResumeTiming();
    if (!tactoria::ExportSlices(Request(sound, sub + "/loop"), false).ok())
      state.SkipWithError("the export failed");
  }
}
BENCHMARK(BM_SliceExportNewFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

// Over the last run's files: each replaced file is kept aside until all are in place, then removed.
void BM_SliceExportReplacing(benchmark::State& state) {
  const std::vector<std::byte> sound = Loop();
  const Folder folder;
  for (auto _ : state) {
    if (!tactoria::ExportSlices(Request(sound, folder.path() + "/loop"), true).ok())
      state.SkipWithError("the export failed");
  }
}
BENCHMARK(BM_SliceExportReplacing)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SlicesFromHits(benchmark::State& state) {
  const std::vector<std::byte> sound = Loop();
  for (auto _ : state) {
    const tactoria::Slices slices = tactoria::SlicesFromHits(sound, Format(), {});
    benchmark::DoNotOptimize(slices.starts.data());
  }
}
BENCHMARK(BM_SlicesFromHits)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
