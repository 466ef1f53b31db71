// The analysis at its edges: silence, single hits, tiny sounds, unusual formats, damaged and
// shifted loops, and the written tempos that decide or are refused. Every case must come back
// with an answer: analysis never fails on a sound the program opened.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <functional>
#include <optional>

#include "analysis/acid_tempo.h"
#include "analysis/hits.h"
#include "analysis/tempo_estimate.h"
#include "support/drum_loops.h"
#include "wave/four_cc.h"

namespace tactoria {
namespace {

using testing::Drum;
using testing::Loop;
using testing::LoopRecipe;
using testing::MakeLoop;
using testing::Rock;
using enum TempoSource;

// `frames` frames of `value` in 16-bit stereo.
Loop Constant(std::int64_t frames, float value) {
  Loop loop;
  loop.format = testing::MakeFormat(2, 44100, 16);
  loop.frames = frames;
  std::vector<float> plane(static_cast<std::size_t>(frames), value);
  const float* planes[] = {plane.data(), plane.data()};
  loop.pcm.resize(static_cast<std::size_t>(frames) * 4);
  EncodePlanes(planes, plane.size(), loop.format, loop.pcm.data());
  return loop;
}

// One snare at frame 30000 in two seconds of silence.
Loop OneHit() {
  Loop one = Constant(88200, 0.0f);
  std::vector<float> plane(88200, 0.0f);
  std::mt19937 random(3);
  testing::AddStroke(plane, 30000, Drum::Snare, 0.8, 44100, random);
  const float* planes[] = {plane.data(), plane.data()};
  EncodePlanes(planes, plane.size(), one.format, one.pcm.data());
  one.hits = {30000};
  return one;
}

double LengthBpmOf(const Loop& sound, const TempoEstimate& estimate) {
  return 60.0 * sound.format.sampleRate * estimate.beats * estimate.bars / static_cast<double>(sound.frames);
}

// The loop played backwards: its hits become swells that end where they began.
Loop Reversed(Loop loop) {
  const auto align = static_cast<std::size_t>(loop.format.blockAlign);
  for (std::size_t front = 0, back = loop.pcm.size() - align; front < back; front += align, back -= align)
    std::swap_ranges(loop.pcm.begin() + static_cast<std::ptrdiff_t>(front),
                     loop.pcm.begin() + static_cast<std::ptrdiff_t>(front + align),
                     loop.pcm.begin() + static_cast<std::ptrdiff_t>(back));
  loop.hits.clear();
  return loop;
}

// The loop turned by `frames` (positive: its start comes that much later), as a loop cut late.
Loop Turned(Loop loop, std::int64_t frames) {
  const auto bytes = static_cast<std::ptrdiff_t>(frames * loop.format.blockAlign);
  std::rotate(loop.pcm.begin(), loop.pcm.end() - bytes, loop.pcm.end());
  for (std::int64_t& hit : loop.hits) hit = (hit + frames) % loop.frames;
  std::sort(loop.hits.begin(), loop.hits.end());
  return loop;
}

struct Edge {
  const char* name;
  std::function<Loop()> make;
  TempoOptions options;
  std::optional<double> bpm;  // expected within 2%
  TempoSource source;
  std::optional<int> beats = std::nullopt;
  std::optional<std::size_t> hitCount = std::nullopt;  // otherwise: F within 5 ms at least 0.9
};

TEST(Edges, EveryCaseGetsAnAnswer) {
  const auto loop = [](LoopRecipe recipe, const std::function<void(LoopRecipe&)>& change = {}) {
    return [recipe, change]() mutable {
      if (change) change(recipe);
      return MakeLoop(recipe);
    };
  };
  TempoOptions fitsName, contradicts, acid, twoGiven, fitsBareNumber;
  fitsName.fileName = "/loops/Break 96 BPM.wav";
  contradicts.fileName = "loop_97bpm.wav";
  acid.acidTempo = 96.0;
  acid.acidBeatsPerBar = 2;           // the meter stored beside it
  acid.fileName = "loop_120bpm.wav";  // the acid chunk is read first
  twoGiven.beats = 2;
  fitsBareNumber.fileName = "amen_137_.wav";
  LoopRecipe waltz = Rock(150, 4);
  waltz.groove = {"waltz", 3, {{0, Drum::Kick, 1}, {1, Drum::Snare, 0.8}, {2, Drum::Snare, 0.8}}};
  for (double beat : {0.0, 0.5, 1.0, 1.5, 2.0, 2.5}) waltz.groove.bar.push_back({beat, Drum::Hat, 0.4});
  LoopRecipe pickup = Rock(110, 2);
  pickup.groove.bar.erase(pickup.groove.bar.begin());      // no kick on the first beat
  pickup.groove.bar.erase(pickup.groove.bar.begin() + 5);  // nor a hat
  pickup.groove.bar.push_back({0.75, Drum::Ghost, 0.3});   // a soft lead-in to the backbeat

  const Edge edges[] = {
      {"silence", [] { return Constant(88200, 0.0f); }, {}, 120.0, Length, 4, 0},
      {"silence with a DC offset", [] { return Constant(88200, 0.25f); }, {}, 120.0, Length, 4, 0},
      {"one hit", OneHit, {}, 120.0, Length, 4, 1},
      {"one frame", [] { return Constant(1, 0.5f); }, {}, 60.0 * 44100 * 4, Length, 4, 0},
      {"8-bit mono", loop(Rock(120, 2), [](auto& s) { s.bits = 8, s.channels = 1; }), {}, 120.0, Sound},
      {"24-bit, 6 channels",
       loop(Rock(95, 2), [](auto& s) { s.bits = 24, s.channels = 6; }),
       {},
       95.0,
       Sound},
      {"48 kHz with a DC offset",
       loop(Rock(132, 2), [](auto& s) { s.sampleRate = 48000, s.dc = 0.3, s.gain = 0.6; }),
       {},
       132.0,
       Sound},
      // No attack is left: the length decides.
      {"reversed", [] { return Reversed(MakeLoop(Rock(100, 2))); }, {}, 100.0, Length},
      {"32-bit float", loop(Rock(126, 2), [](auto& s) { s.bits = 32, s.format = 3; }), {}, 126.0, Sound},
      {"cut 30 ms late", [] { return Turned(MakeLoop(Rock(118, 2)), 1323); }, {}, 118.0, Sound},
      {"clipped", loop(Rock(104, 4), [](auto& s) { s.gain = 3.0; }), {}, 104.0, Sound},
      {"first hit after a pickup", loop(pickup), {}, 110.0, Sound},
      {"bars of three", loop(waltz), {}, 150.0, Sound, 3},
      {"beats given", loop(Rock(120, 2)), twoGiven, 120.0, Sound, 2},
      {"name fits", loop(Rock(96, 2)), fitsName, 96.0, FileName},
      {"bare number fits", loop(Rock(137, 1)), fitsBareNumber, 137.0, FileName},
      {"name contradicts the length", loop(Rock(120, 2)), contradicts, 120.0, Sound},
      {"acid chunk", loop(Rock(96, 2)), acid, 96.0, AcidChunk, 2},
  };
  for (const Edge& edge : edges) {
    SCOPED_TRACE(edge.name);
    const Loop sound = edge.make();
    const TempoEstimate estimate = EstimateTempo(sound.pcm, sound.format, edge.options);
    if (edge.bpm) {
      EXPECT_NEAR(estimate.bpm / *edge.bpm, 1.0, 0.02) << estimate.bpm;
    }
    EXPECT_EQ(estimate.source, edge.source) << TempoSourceName(estimate.source);
    EXPECT_EQ(estimate.beats, edge.beats.value_or(4));
    EXPECT_NEAR(estimate.bpm, LengthBpmOf(sound, estimate), 1e-6) << "the bpm is the length's";
    EXPECT_GE(estimate.confidence, 0.0);
    EXPECT_LE(estimate.confidence, 1.0);
    if (edge.source == Length) {
      EXPECT_EQ(estimate.confidence, 0.0);
    }
    EXPECT_TRUE(std::is_sorted(estimate.onsets.begin(), estimate.onsets.end()));
    if (edge.hitCount) {
      ASSERT_EQ(estimate.onsets.size(), *edge.hitCount);
      for (std::size_t i = 0; i < sound.hits.size() && i < estimate.onsets.size(); ++i)
        EXPECT_NEAR(static_cast<double>(estimate.onsets[i]), static_cast<double>(sound.hits[i]), 44.0);
    } else if (edge.source == Sound && !sound.hits.empty()) {
      EXPECT_GE(testing::MatchHits(estimate.onsets, sound.hits, sound.format.sampleRate / 200).FMeasure(),
                0.9);
    }
  }
}

// Formats the analysis cannot read, and bytes that end inside a frame, give the length's answer.
TEST(Edges, UnreadableFormatsGiveTheLengthTempo) {
  const Loop loop = MakeLoop(Rock(120, 1));
  WaveFormat twelveBits = loop.format;
  twelveBits.bitsPerSample = 12;
  WaveFormat noRate = loop.format;
  noRate.sampleRate = 0;
  for (const WaveFormat& format : {twelveBits, noRate}) {
    const TempoEstimate estimate = EstimateTempo(loop.pcm, format);
    EXPECT_TRUE(estimate.onsets.empty());
    EXPECT_EQ(estimate.source, Length);
    EXPECT_EQ(estimate.confidence, 0.0);
  }
  std::vector<std::byte> ragged = loop.pcm;
  ragged.resize(ragged.size() - 1);
  EXPECT_NEAR(EstimateTempo(ragged, loop.format).bpm, 120.0, 2.4);
  EXPECT_TRUE(FindHits({}, loop.format).empty());
}

TEST(WrittenTempo, FileNamesAndAcidChunks) {
  const std::pair<const char*, std::vector<double>> names[] = {
      {"loop_120bpm.wav", {120}},
      {"/samples/Break 96 BPM.wav", {96}},
      {"amen_137_.wav", {137}},
      {"bpm140 kit 2 take 90.wav", {140, 90}},  // "bpm" before the number; 2 is no tempo
      {"/loops/120/kick808.wav", {}},           // neither folders nor numbers inside words count
      {"funk 92.5bpm.WAV", {92.5}},
  };
  for (const auto& [name, tempos] : names) EXPECT_EQ(TemposInFileName(name), tempos) << name;

  std::vector<std::byte> chunk(kAcidChunkSize);
  const auto put = [&](std::size_t at, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) chunk[at + i] = static_cast<std::byte>(value >> (8 * i));
  };
  put(0, 1, 4);
  put(4, 60, 2);
  put(12, 8, 4);
  put(16, 4, 2);
  put(18, 3, 2);
  put(20, std::bit_cast<std::uint32_t>(128.5f), 4);
  vbMediaFile file;
  ASSERT_EQ(file.Add(FourCC("acid"), chunk.data(), 23), FileResult::Success);  // too short: skipped
  EXPECT_FALSE(FindAcidChunk(file));
  ASSERT_EQ(file.Add(FourCC("acid"), chunk.data(), static_cast<std::int64_t>(chunk.size())),
            FileResult::Success);
  const std::optional<AcidInfo> info = FindAcidChunk(file);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->tempo, 128.5f);
  EXPECT_EQ(info->beats, 8u);
  EXPECT_EQ(info->meterNumerator, 3);
  EXPECT_EQ(info->meterDenominator, 4);
  EXPECT_EQ(info->rootNote, 60);
}

}  // namespace
}  // namespace tactoria

namespace tactoria {
namespace {

// Clicks at known frames over a quiet hum: each hit lands on its frame, the least gap merges two
// close clicks, and the sensitivity decides whether a faint click counts.
TEST(Hits, FramesGapAndSensitivity) {
  constexpr std::int64_t kFrames = 44100;
  std::vector<float> plane(kFrames);
  for (std::int64_t i = 0; i < kFrames; ++i)
    plane[static_cast<std::size_t>(i)] =
        0.0001f * static_cast<float>(std::sin(0.01 * static_cast<double>(i)));
  std::mt19937 random(5);
  const std::int64_t loud[] = {1000, 11111, 22222, 22222 + 600};  // the last 13.6 ms after the one before
  for (const std::int64_t at : loud) testing::AddStroke(plane, at, Drum::Click, 0.9, 44100, random);
  testing::AddStroke(plane, 33333, Drum::Click, 0.005, 44100, random);  // 45 dB below the others
  const float* planes[] = {plane.data()};
  const WaveFormat mono = testing::MakeFormat(1, 44100, 16);
  std::vector<std::byte> pcm(kFrames * 2);
  EncodePlanes(planes, kFrames, mono, pcm.data());

  const auto near = [](const std::vector<std::int64_t>& found, const std::vector<std::int64_t>& expected) {
    if (found.size() != expected.size()) return false;
    for (std::size_t i = 0; i < found.size(); ++i)
      if (std::llabs(found[i] - expected[i]) > 2) return false;
    return true;
  };
  const std::vector<std::int64_t> standard = FindHits(pcm, mono);
  EXPECT_TRUE(near(standard, {1000, 11111, 22222})) << ::testing::PrintToString(standard);
  const std::vector<std::int64_t> fine = FindHits(pcm, mono, {1.0, 10.0});
  EXPECT_TRUE(near(fine, {1000, 11111, 22222, 22822, 33333})) << ::testing::PrintToString(fine);
  const std::vector<std::int64_t> strict = FindHits(pcm, mono, {0.0, 30.0});
  EXPECT_TRUE(near(strict, {1000, 11111, 22222})) << ::testing::PrintToString(strict);

  // 1500 channels at 8000 Hz: fewer frames than a hop are read at a time.
  const WaveFormat wide = testing::MakeFormat(1500, 8000, 8);
  std::vector<float> clicks(2000, 0.0f);
  clicks[300] = 0.8f;
  clicks[1234] = -0.8f;
  const std::vector<const float*> same(1500, clicks.data());
  std::vector<std::byte> widePcm(clicks.size() * 1500);
  EncodePlanes(same.data(), clicks.size(), wide, widePcm.data());
  const std::vector<std::int64_t> wideHits = FindHits(widePcm, wide);
  EXPECT_TRUE(near(wideHits, {300, 1234})) << ::testing::PrintToString(wideHits);
}

}  // namespace
}  // namespace tactoria
