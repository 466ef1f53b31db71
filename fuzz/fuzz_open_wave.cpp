// Reads and validates arbitrary bytes as a wave file (from memory, through the real reader) and,
// when they pass, runs what the tool runs on them with edits chosen from the input: the beat
// order, the render (checked against the plan gathered in pieces), a span into a temporary folder
// (each beat read back) and a mix into a copy of the file.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <numeric>
#include <string>
#include <variant>
#include <vector>

#include "beats/beat_math.h"
#include "beats/shuffle_order.h"
#include "beats/span_beats.h"
#include "process/render.h"
#include "process/render_plan.h"
#include "process/rendered_output.h"
#include "process/sound_routines.h"
#include "wave/byte_source.h"
#include "wave/wave_validation.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

const std::string& SpanFolder() {
  static const std::string folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "tactoria-fuzz-XXXXXX").string();
    Check(::mkdtemp(pattern.data()) != nullptr);
    return pattern;
  }();
  return folder;
}

// A permutation of 1..n drawn from the input's bytes.
std::vector<std::int32_t> OrderFrom(const std::uint8_t* data, std::size_t size, int n) {
  std::vector<std::int32_t> order(static_cast<std::size_t>(n));
  std::iota(order.begin(), order.end(), 1);
  for (int i = n - 1; i > 0; --i) {
    const std::size_t j =
        size > 0 ? data[static_cast<std::size_t>(i) % size] % static_cast<unsigned>(i + 1) : 0;
    std::swap(order[static_cast<std::size_t>(i)], order[j]);
  }
  return order;
}

void SpanAndReadBack(const tactoria::vbMediaFile& wave, const tactoria::WaveFormat& format,
                     const tactoria::RenderPlan& plan, std::span<const std::byte> sound,
                     const std::vector<std::byte>& rendered, int beats, bool allOrNothing) {
  using namespace tactoria;
  SpanRequest request =
      MakeSpanRequest(SpanFolder() + "/beat.wav", beats, 1, RenderedOutput(wave, format, plan, sound));
  const SpanOutcome outcome = allOrNothing ? SpanAllOrNothing(request) : SpanBeats(request);
  if (outcome.status == SpanStatus::NoBeats) {
    Check(outcome.written.empty());
    return;
  }
  Check(outcome.status == SpanStatus::Completed && outcome.written.size() == static_cast<std::size_t>(beats));
  for (std::size_t k = 0; k < outcome.written.size(); ++k) {
    const OpenResult beat = OpenWaveFile(outcome.written[k].path);
    Check(beat.wave.has_value());
    const auto data = beat.wave->file.Item(beat.wave->validation.dataIndex).bytes();
    const auto length = static_cast<std::size_t>(outcome.beatBytes);
    Check(data.size() == length && std::memcmp(data.data(), rendered.data() + k * length, length) == 0);
  }
  Check(DeleteSpannedFiles(outcome.written).empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tactoria;
  MemorySource source({reinterpret_cast<const std::byte*>(data), size});
  OpenResult opened = OpenWaveSource(source, "input");
  if (!opened.wave) {
    Check(!opened.problem.message.empty());  // every refusal carries a message
    return 0;
  }
  const WaveValidation& validation = opened.wave->validation;
  const WaveFormat& format = validation.format;
  const std::span<std::byte> sound = opened.wave->file.Item(validation.dataIndex).bytes();

  // The last input byte picks the edits, so the fuzzer can reach each combination.
  const unsigned choice = size > 0 ? data[size - 1] : 0u;
  const int beats = 1 + static_cast<int>((choice >> 5) & 3u);
  if ((choice & 16u) != 0) {
    const ReorderResult reordered = ReorderBeats(sound, OrderFrom(data, size, beats), format.blockAlign);
    Check(reordered == ReorderResult::Done || reordered == ReorderResult::NoBlocks);
  }
  RenderSettings settings;
  const auto frames = static_cast<std::int32_t>(1 + (size * 7 + choice) % 1024);
  if ((choice & 1u) != 0) settings.newFrames = frames;
  if ((choice & 2u) != 0) settings.phaserValue = 1.0 + static_cast<double>((choice >> 3) % 16);
  settings.reverse = (choice & 4u) != 0;

  const RenderResult rendered = RenderNewSample(sound, format, settings);
  const auto made = RenderPlan::Make(static_cast<std::int64_t>(sound.size()), format, settings);
  if (rendered.failure) {
    Check(std::holds_alternative<RenderFailure>(made) && std::get<RenderFailure>(made) == *rendered.failure);
    return 0;
  }
  const std::size_t expected =
      settings.newFrames ? static_cast<std::size_t>(frames) * static_cast<std::size_t>(format.blockAlign)
                         : sound.size();
  Check(rendered.buffer.size() == expected);
  const RenderPlan& plan = std::get<RenderPlan>(made);

  // Gathered in two uneven pieces, the plan gives the render's bytes.
  std::vector<std::byte> pieces(expected);
  const std::size_t cut = expected > 0 ? choice % expected : 0;
  plan.Gather(sound, 0, std::span(pieces).first(cut));
  plan.Gather(sound, static_cast<std::int64_t>(cut), std::span(pieces).subspan(cut));
  Check(std::memcmp(pieces.data(), rendered.buffer.data(), expected) == 0);

  SpanAndReadBack(opened.wave->file, format, plan, sound, pieces, beats, (choice & 8u) != 0);

  // The mix into a copy of the sound: even blocks from the render, odd ones kept.
  std::vector<std::byte> target(sound.begin(), sound.end());
  Check(MixSamples(target, rendered.buffer.bytes(), format.blockAlign));
  const auto block = static_cast<std::size_t>(format.blockAlign);
  const std::size_t blocks = std::min(target.size(), expected) / block;
  for (std::size_t k = 0; k < blocks; ++k) {
    const std::byte* from = (k % 2 == 0 ? pieces.data() : sound.data()) + k * block;
    Check(std::memcmp(target.data() + k * block, from, block) == 0);
  }
  return 0;
}
