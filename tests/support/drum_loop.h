#pragma once

// A drum loop made of noise bursts at known frames, and sound files of it written by libsndfile.
#include <sndfile.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numbers>
#include <string>
#include <vector>

namespace tactoria::testing {

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

// Writes `mono` to both channels of a file of libsndfile's `format`; true when written.
inline bool WriteSoundFile(const std::string& path, int format, const std::vector<double>& mono,
                           int rate = 44100) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = 2;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) return false;
  std::vector<double> frames;
  for (const double sample : mono) frames.insert(frames.end(), {sample, sample});
  const auto count = static_cast<sf_count_t>(mono.size());
  const bool written = sf_writef_double(file, frames.data(), count) == count;
  return sf_close(file) == 0 && written;
}

}  // namespace tactoria::testing
