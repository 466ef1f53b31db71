#pragma once

// Drum loops made in the tests: synthesized kicks (a falling sine with a click), snares (a noise
// burst over a short tone), closed and open hats (high noise) and clicks, placed by pattern at
// known frames with swing, a player's timing, velocities and overlapping tails; a plainer loop on
// the eighths, noise bursts at given frames, and sound files of them written by libsndfile.
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "process/sample_codec.h"
#include "wave/wave_format.h"

namespace tactoria::testing {

enum class Drum { Kick, Snare, Ghost, Hat, OpenHat, Click };

struct Stroke {
  double beat;  // place in the bar, in beats (0.5 the second eighth, 0.25 a sixteenth)
  Drum drum;
  double velocity;
};

struct Groove {
  std::string name;
  int beats = 4;
  std::vector<Stroke> bar;
  bool triplets = false;  // the off places are eighth triplets (a shuffle)
};

inline std::vector<Groove> Grooves() {
  using enum Drum;
  std::vector<Groove> grooves;
  const auto hats = [](std::vector<Stroke>& bar, int perBeat, int beats, double level) {
    for (int i = 0; i < beats * perBeat; ++i)
      bar.push_back({static_cast<double>(i) / perBeat, Hat, i % perBeat == 0 ? level : level * 0.7});
  };
  Groove rock{
      "rock eighths", 4, {{0, Kick, 1}, {1, Snare, 0.9}, {2, Kick, 0.9}, {2.5, Kick, 0.7}, {3, Snare, 0.9}}};
  hats(rock.bar, 2, 4, 0.45);
  grooves.push_back(rock);
  Groove sixteen{"sixteenths",
                 4,
                 {{0, Kick, 1}, {1, Snare, 0.95}, {1.75, Kick, 0.7}, {2.5, Kick, 0.85}, {3, Snare, 0.95}}};
  hats(sixteen.bar, 4, 4, 0.4);
  grooves.push_back(sixteen);
  Groove funk{"funk",
              4,
              {{0, Kick, 1},
               {0.75, Kick, 0.75},
               {1, Snare, 1},
               {1.75, Ghost, 0.3},
               {2.5, Kick, 0.85},
               {3, Snare, 1},
               {3.25, Ghost, 0.3}}};
  for (double b : {0.0, 0.5, 1.5, 2.0, 2.25, 3.5}) funk.bar.push_back({b, Hat, 0.4});
  grooves.push_back(funk);
  Groove house{"four to the floor",
               4,
               {{0, Kick, 1}, {1, Kick, 1}, {2, Kick, 1}, {3, Kick, 1}, {1, Snare, 0.7}, {3, Snare, 0.7}}};
  for (double b : {0.5, 1.5, 2.5, 3.5}) house.bar.push_back({b, OpenHat, 0.5});
  grooves.push_back(house);
  Groove shuffle{"shuffle",
                 4,
                 {{0, Kick, 1}, {1, Snare, 0.9}, {2, Kick, 0.9}, {2 + 2.0 / 3, Kick, 0.6}, {3, Snare, 0.9}},
                 true};
  for (int i = 0; i < 4; ++i) {
    shuffle.bar.push_back({static_cast<double>(i), Hat, 0.45});
    shuffle.bar.push_back({i + 2.0 / 3, Hat, 0.3});
  }
  grooves.push_back(shuffle);
  Groove breaks{"break",
                4,
                {{0, Kick, 1},
                 {0.5, Kick, 0.8},
                 {1, Snare, 1},
                 {1.75, Ghost, 0.35},
                 {2.25, Snare, 0.5},
                 {2.5, Kick, 0.9},
                 {3, Snare, 1},
                 {3.75, Ghost, 0.35}}};
  hats(breaks.bar, 2, 4, 0.35);
  grooves.push_back(breaks);
  return grooves;
}

struct LoopRecipe {
  Groove groove;
  double bpm = 120;
  int bars = 2;
  double swing = 0.0;     // delay of the off sixteenths, in beats (0.083 is a triplet feel)
  double jitterMs = 3.0;  // standard deviation of the player's timing
  unsigned seed = 1;
  int sampleRate = 44100;
  int channels = 2;
  int bits = 16;
  std::uint16_t format = 1;  // 3: 32-bit float
  double dc = 0.0;           // added to every sample
  double gain = 0.9;         // peak level before the DC; above 1 clips
};

struct Loop {
  WaveFormat format;
  std::vector<std::byte> pcm;
  std::vector<std::int64_t> hits;  // where each stroke (or strokes played together) begins
  std::int64_t frames = 0;
};

inline WaveFormat MakeFormat(int channels, int sampleRate, int bits, std::uint16_t tag = 1) {
  WaveFormat format;
  format.formatTag = tag;
  format.channels = static_cast<std::int16_t>(channels);
  format.sampleRate = sampleRate;
  format.blockAlign = static_cast<std::int16_t>(channels * bits / 8);
  format.avgBytesPerSec = sampleRate * format.blockAlign;
  format.bitsPerSample = static_cast<std::int16_t>(bits);
  return format;
}

// Adds one stroke's sound from `at` on (its tail cut at the loop's end).
inline void AddStroke(std::vector<float>& mono, std::int64_t at, Drum drum, double velocity, int rate,
                      std::mt19937& random) {
  std::normal_distribution<float> noise(0.0f, 0.35f);
  const double length = drum == Drum::Kick      ? 0.5
                        : drum == Drum::OpenHat ? 0.4
                        : drum == Drum::Click   ? 0.003
                                                : 0.25;
  const auto count = std::min<std::int64_t>(static_cast<std::int64_t>(length * rate),
                                            static_cast<std::int64_t>(mono.size()) - at);
  double phase = 0.0;
  float lastNoise = 0.0f;
  for (std::int64_t i = 0; i < count; ++i) {
    const double t = static_cast<double>(i) / rate;
    double v = 0.0;
    switch (drum) {
      case Drum::Kick: {
        const double frequency = 50.0 + 110.0 * std::exp(-t / 0.03);
        phase += 2.0 * std::numbers::pi * frequency / rate;
        v = std::sin(phase) * std::exp(-t / 0.15) + (t < 0.002 ? 0.3 * noise(random) : 0.0);
        break;
      }
      case Drum::Snare:
      case Drum::Ghost:
        phase += 2.0 * std::numbers::pi * 190.0 / rate;
        v = noise(random) * 1.6 * std::exp(-t / 0.06) + 0.5 * std::sin(phase) * std::exp(-t / 0.04);
        break;
      case Drum::Hat:
      case Drum::OpenHat: {
        const float n = noise(random);
        v = (n - lastNoise) * 1.2 * std::exp(-t / (drum == Drum::Hat ? 0.025 : 0.12));
        lastNoise = n;
        break;
      }
      case Drum::Click:
        v = i == 0 ? 1.0 : -0.5 * std::exp(-static_cast<double>(i));
        break;
    }
    const double fade = std::min(1.0, (length - t) / 0.02);  // no click where the tail is cut
    mono[static_cast<std::size_t>(at + i)] += static_cast<float>(velocity * v * fade);
  }
}

// The loop of `recipe`: whole bars at its tempo, every hit where the pattern and the player put it.
inline Loop MakeLoop(const LoopRecipe& recipe) {
  Loop loop;
  loop.format = MakeFormat(recipe.channels, recipe.sampleRate, recipe.bits, recipe.format);
  const double beatFrames = 60.0 * recipe.sampleRate / recipe.bpm;
  loop.frames = std::llround(beatFrames * recipe.groove.beats * recipe.bars);
  std::vector<float> mono(static_cast<std::size_t>(loop.frames), 0.0f);
  std::mt19937 random(recipe.seed);
  std::normal_distribution<double> timing(0.0, recipe.jitterMs / 1000.0 * recipe.sampleRate);
  std::uniform_real_distribution<double> loudness(0.85, 1.0);
  // Strokes at one place of the pattern (a kick under a hat) begin one hit, at the earliest.
  std::vector<std::pair<double, std::int64_t>> starts;
  for (int bar = 0; bar < recipe.bars; ++bar) {
    for (const Stroke& stroke : recipe.groove.bar) {
      double beat = stroke.beat;
      const bool offSixteenth =
          std::fabs(beat * 4 - std::round(beat * 4)) < 1e-6 && std::llround(beat * 4) % 2 == 1;
      if (offSixteenth && !recipe.groove.triplets) beat += recipe.swing;
      const double nominal = (bar * recipe.groove.beats + beat) * beatFrames;
      const auto at = std::clamp<std::int64_t>(std::llround(nominal + (nominal > 0 ? timing(random) : 0.0)),
                                               0, loop.frames - 1);
      AddStroke(mono, at, stroke.drum, stroke.velocity * loudness(random), recipe.sampleRate, random);
      starts.emplace_back(nominal, at);
    }
  }
  std::sort(starts.begin(), starts.end());
  for (std::size_t i = 0; i < starts.size(); ++i) {
    if (i > 0 && starts[i].first - starts[i - 1].first < 1.0) {
      loop.hits.back() = std::min(loop.hits.back(), starts[i].second);
    } else {
      loop.hits.push_back(starts[i].second);
    }
  }
  std::sort(loop.hits.begin(), loop.hits.end());

  float peak = 1e-9f;
  for (const float v : mono) peak = std::max(peak, std::fabs(v));
  std::vector<std::vector<float>> planes(static_cast<std::size_t>(recipe.channels));
  std::vector<float*> pointers;
  for (int c = 0; c < recipe.channels; ++c) {
    planes[static_cast<std::size_t>(c)].resize(mono.size());
    const double pan = recipe.channels > 1 ? 0.8 + 0.4 * c / (recipe.channels - 1) : 1.0;
    for (std::size_t i = 0; i < mono.size(); ++i)
      planes[static_cast<std::size_t>(c)][i] =
          std::clamp(static_cast<float>(mono[i] / peak * recipe.gain * pan / 1.2 + recipe.dc), -1.0f, 1.0f);
    pointers.push_back(planes[static_cast<std::size_t>(c)].data());
  }
  loop.pcm.resize(mono.size() * static_cast<std::size_t>(loop.format.blockAlign));
  EncodePlanes(pointers.data(), mono.size(), loop.format, loop.pcm.data());
  return loop;
}

// The corpus the goals are measured on: every groove at tempos from 70 to 175 bpm, 1 to 4 bars,
// straight and swung, each with its own player.
inline std::vector<LoopRecipe> Corpus(int count, unsigned seed) {
  std::vector<LoopRecipe> recipes;
  const std::vector<Groove> grooves = Grooves();
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> tempo(70.0, 175.0);
  std::uniform_int_distribution<int> bars(1, 4);
  std::uniform_real_distribution<double> swing(0.0, 0.08);
  for (int i = 0; i < count; ++i) {
    LoopRecipe recipe;
    recipe.groove = grooves[static_cast<std::size_t>(i) % grooves.size()];
    recipe.bpm = tempo(random);
    recipe.bars = bars(random);
    recipe.swing = i % 2 == 0 ? 0.0 : swing(random);
    recipe.jitterMs = 2.0 + 3.0 * (i % 3) / 2.0;
    recipe.seed = seed * 1000 + static_cast<unsigned>(i);
    recipes.push_back(recipe);
  }
  return recipes;
}

// `bars` bars of the first groove (rock eighths) at `bpm`, with the default player.
inline LoopRecipe Rock(double bpm, int bars) {
  LoopRecipe recipe;
  recipe.groove = Grooves()[0];
  recipe.bpm = bpm;
  recipe.bars = bars;
  return recipe;
}

// Of the hits found, how many lie within `tolerance` frames of a true hit (each true hit matched once).
struct Score {
  int truePositives = 0, found = 0, expected = 0;
  double FMeasure() const { return found + expected == 0 ? 1.0 : 2.0 * truePositives / (found + expected); }
};

inline Score MatchHits(const std::vector<std::int64_t>& found, const std::vector<std::int64_t>& expected,
                       std::int64_t tolerance) {
  Score score{0, static_cast<int>(found.size()), static_cast<int>(expected.size())};
  std::size_t j = 0;
  for (const std::int64_t hit : found) {
    while (j < expected.size() && expected[j] < hit - tolerance) ++j;
    if (j < expected.size() && std::llabs(expected[j] - hit) <= tolerance) {
      ++score.truePositives;
      ++j;
    }
  }
  return score;
}

// `bars` bars of 4/4 at `bpm` (mono, in [-1, 1]): a kick (a falling 60 Hz thump with a noise
// click) on beats 1 and 3, a snare (noise, 120 ms) on 2 and 4, a closed hat (quiet noise, 30 ms)
// on every eighth. Hits start exactly at k x half a beat.
inline std::vector<double> DrumLoop(int bars = 2, double bpm = 120, int rate = 44100) {
  const auto eighth = static_cast<std::size_t>(std::lround(30.0 * rate / bpm));
  std::vector<double> out(eighth * 8 * static_cast<std::size_t>(bars), 0.0);
  std::uint32_t seed = 12345;
  auto noise = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<double>(seed >> 8) / 8388608.0 - 1.0;
  };
  auto hit = [&](std::size_t at, double seconds, double decay, double level, bool thump) {
    for (std::size_t i = 0; i < static_cast<std::size_t>(seconds * rate) && at + i < out.size(); ++i) {
      const double t = static_cast<double>(i) / rate;
      const double body =
          thump ? std::sin(2 * std::numbers::pi * 60 * t * (1 + 2 * std::exp(-t / 0.02))) : noise();
      out[at + i] += level * std::exp(-t / decay) * (thump && i < 40 ? 0.5 * (body + noise()) : body);
    }
  };
  for (std::size_t k = 0; k < out.size() / eighth; ++k) {
    if (k % 4 == 0) hit(k * eighth, 0.25, 0.06, 0.7, true);   // beats 1 and 3
    if (k % 4 == 2) hit(k * eighth, 0.12, 0.04, 0.5, false);  // beats 2 and 4
    hit(k * eighth, 0.03, 0.008, 0.2, false);
  }
  return out;
}

// Writes `mono` to every channel of a file of libsndfile's `format`; true when written.
inline bool WriteSoundFile(const std::string& path, int format, const std::vector<double>& mono,
                           int rate = 44100, int channels = 2) {
  SF_INFO info{0, rate, channels, format, 0, 0};
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) return false;
  std::vector<double> frames;
  for (const double sample : mono) frames.insert(frames.end(), static_cast<std::size_t>(channels), sample);
  const auto count = static_cast<sf_count_t>(mono.size());
  const bool written = sf_writef_double(file, frames.data(), count) == count;
  return sf_close(file) == 0 && written;
}

// `frames` frames of 16-bit stereo silence with a decaying noise burst (3000 frames, falling by e
// every 600) at each of `starts`, the same in both channels.
inline std::vector<std::byte> NoiseBursts(std::size_t frames, const std::vector<std::int64_t>& starts,
                                          std::uint32_t seed = 1) {
  std::vector<std::int16_t> samples(frames * 2, 0);
  for (const std::int64_t start : starts) {
    for (std::size_t i = 0; i < 3000; ++i) {
      seed = seed * 1664525u + 1013904223u;
      const double level = 20000.0 * std::exp(-static_cast<double>(i) / 600.0);
      const auto at = (static_cast<std::size_t>(start) + i) * 2;
      samples[at] = samples[at + 1] = static_cast<std::int16_t>((seed >> 31) ? level : -level);
    }
  }
  std::vector<std::byte> data(samples.size() * 2);
  std::memcpy(data.data(), samples.data(), data.size());
  return data;
}

}  // namespace tactoria::testing
