#include "midi_export.h"

#include <algorithm>
#include <cmath>

#include "slices/slice_keys.h"

namespace tactoria {
namespace {

struct Event {
  std::int64_t tick;
  int order;  // at one tick: note-offs before note-ons
  std::vector<std::uint8_t> bytes;
};

void PutBe(std::vector<std::byte>& out, std::uint32_t value, int width) {
  for (int i = width - 1; i >= 0; --i) out.push_back(static_cast<std::byte>((value >> (8 * i)) & 0xFFu));
}

void PutVarLen(std::vector<std::byte>& out, std::uint32_t value) {
  std::uint8_t groups[5];
  int n = 0;
  do {
    groups[n++] = static_cast<std::uint8_t>(value & 0x7Fu);
    value >>= 7;
  } while (value != 0);
  while (n-- > 0) out.push_back(static_cast<std::byte>(groups[n] | (n > 0 ? 0x80u : 0u)));
}

}  // namespace

std::vector<std::byte> MidiFile(const Slices& slices, std::int32_t sampleRate, const LoopTempo& tempo) {
  const double bpm = tempo.Bpm(slices.soundFrames, sampleRate);
  const auto perQuarter =
      static_cast<std::uint32_t>(std::clamp(std::llround(60e6 / bpm), 1LL, static_cast<long long>(0xFFFFFF)));
  // Ticks from frames through the tempo exactly as written, so a player lands on the frames.
  const auto tick = [&](std::int64_t frame) {
    return static_cast<std::int64_t>(std::llround(static_cast<double>(frame) * 1e6 * kMidiTicksPerQuarter /
                                                  (static_cast<double>(sampleRate) * perQuarter)));
  };

  std::vector<Event> events;
  events.push_back({0,
                    0,
                    {0xFF, 0x51, 0x03, static_cast<std::uint8_t>(perQuarter >> 16),
                     static_cast<std::uint8_t>(perQuarter >> 8), static_cast<std::uint8_t>(perQuarter)}});
  // Numerator, denominator as a power of 2 (quarter notes), 24 clocks a click, 8 32nds a quarter.
  events.push_back(
      {0, 0, {0xFF, 0x58, 0x04, static_cast<std::uint8_t>(std::clamp(tempo.beatsPerBar, 1, 255)), 2, 24, 8}});
  events.push_back({0, 0, {0xC0, 0x00}});
  for (std::size_t k = 0; k < slices.count(); ++k) {
    const auto key = static_cast<std::uint8_t>(std::min(SliceKey(k), kLastKey));
    events.push_back({tick(slices.Start(k)), 2, {0x90, key, 127}});
    events.push_back({tick(slices.End(k)), 1, {0x80, key, 0}});
  }
  std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
    return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
  });

  std::vector<std::byte> track;
  std::int64_t now = 0;
  for (const Event& event : events) {
    PutVarLen(track, static_cast<std::uint32_t>(event.tick - now));
    now = event.tick;
    for (const std::uint8_t b : event.bytes) track.push_back(static_cast<std::byte>(b));
  }
  PutVarLen(track, static_cast<std::uint32_t>(std::max<std::int64_t>(tick(slices.soundFrames) - now, 0)));
  track.insert(track.end(), {std::byte{0xFF}, std::byte{0x2F}, std::byte{0x00}});

  std::vector<std::byte> file;
  for (const char c : {'M', 'T', 'h', 'd'}) file.push_back(static_cast<std::byte>(c));
  PutBe(file, 6, 4);
  PutBe(file, 0, 2);  // format 0: one track
  PutBe(file, 1, 2);
  PutBe(file, kMidiTicksPerQuarter, 2);
  for (const char c : {'M', 'T', 'r', 'k'}) file.push_back(static_cast<std::byte>(c));
  PutBe(file, static_cast<std::uint32_t>(track.size()), 4);
  file.insert(file.end(), track.begin(), track.end());
  return file;
}

}  // namespace tactoria
