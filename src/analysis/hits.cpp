#include "analysis/hits.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "process/sample_codec.h"

namespace tactoria {
namespace {

// Samples decoded at once: the sound is read in blocks, never decoded whole.
constexpr std::size_t kBlockSamples = std::size_t{1} << 15;

// Per hop of a few milliseconds: the peak of the DC-free sound and of its first difference (the
// high band, where noisy hits such as snares and hats stand out above a kick's tail).
struct HopPeaks {
  std::size_t hop = 0;
  std::vector<float> full;
  std::vector<float> high;
  std::vector<float> low;  // below about 150 Hz, for telling kicks
};

bool Analysable(const WaveFormat& format) {
  return EncodingOf(format) != SampleEncoding::None && format.sampleRate > 0 && format.blockAlign > 0;
}

std::size_t HopFrames(const WaveFormat& format) {
  return std::clamp<std::size_t>(static_cast<std::size_t>(std::lround(format.sampleRate * 0.0029)), 16, 4096);
}

// Decodes `count` frames from `first` into `store`, one plane of `count` floats per channel.
void DecodeRange(std::span<const std::byte> pcm, const WaveFormat& format, std::size_t first,
                 std::size_t count, std::vector<float>& store, std::vector<float*>& planes) {
  const auto channels = static_cast<std::size_t>(format.channels);
  store.resize(count * channels);
  planes.resize(channels);
  for (std::size_t c = 0; c < channels; ++c) planes[c] = store.data() + c * count;
  DecodePlanes(pcm.data() + first * static_cast<std::size_t>(format.blockAlign), count, format,
               planes.data());
}

HopPeaks MeasureHops(std::span<const std::byte> pcm, const WaveFormat& format, std::size_t frames) {
  HopPeaks peaks;
  peaks.hop = HopFrames(format);
  const std::size_t hops = (frames + peaks.hop - 1) / peaks.hop;
  peaks.full.assign(hops, 0.0f);
  peaks.high.assign(hops, 0.0f);
  peaks.low.assign(hops, 0.0f);
  const auto channels = static_cast<std::size_t>(format.channels);
  // Blocks of whole hops when they fit, else of fewer frames (a sound of very many channels).
  const std::size_t blockFrames = kBlockSamples / channels >= peaks.hop
                                      ? kBlockSamples / channels / peaks.hop * peaks.hop
                                      : std::max<std::size_t>(1, kBlockSamples / channels);
  // A DC blocker (about 20 Hz) per channel, started at the level the sound starts with.
  const auto pole = static_cast<float>(1.0 - 2.0 * std::numbers::pi * 20.0 / format.sampleRate);
  const auto smooth = static_cast<float>(1.0 - std::exp(-2.0 * std::numbers::pi * 150.0 / format.sampleRate));
  std::vector<float> lastIn(channels), lastOut(channels, 0.0f), previous(channels), lastLow(channels, 0.0f);
  std::vector<float> store;
  std::vector<float*> planes;
  for (std::size_t start = 0; start < frames; start += blockFrames) {
    const std::size_t count = std::min(blockFrames, frames - start);
    DecodeRange(pcm, format, start, count, store, planes);
    if (start == 0) {
      const std::size_t lead = std::min<std::size_t>(count, 64);
      for (std::size_t c = 0; c < channels; ++c) {
        float sum = 0.0f;
        for (std::size_t i = 0; i < lead; ++i) sum += planes[c][i];
        lastIn[c] = sum / static_cast<float>(lead);
        previous[c] = planes[c][0];
      }
    }
    for (std::size_t c = 0; c < channels; ++c) {
      const float* x = planes[c];
      float in = lastIn[c], out = lastOut[c], before = previous[c], below = lastLow[c];
      for (std::size_t at = 0, end = 0; at < count; at = end) {
        end = std::min(count, ((start + at) / peaks.hop + 1) * peaks.hop - start);
        float full = 0.0f, high = 0.0f, low = 0.0f;
        for (std::size_t i = at; i < end; ++i) {
          out = x[i] - in + pole * out;
          in = x[i];
          below += smooth * (out - below);
          low = std::max(low, std::fabs(below));
          full = std::max(full, std::fabs(out));
          high = std::max(high, std::fabs(x[i] - before));
          before = x[i];
        }
        const std::size_t h = (start + at) / peaks.hop;
        peaks.full[h] = std::max(peaks.full[h], full);
        peaks.high[h] = std::max(peaks.high[h], high);
        peaks.low[h] = std::max(peaks.low[h], low);
      }
      lastIn[c] = in;
      lastOut[c] = out;
      previous[c] = before;
      lastLow[c] = below;
    }
  }
  return peaks;
}

struct Candidate {
  std::size_t hop = 0;
  bool highBand = false;
  float rise = 0.0f;
};

// Hops where a band's level jumps above what it held just before (a peak follower that lets a
// kick's slow cycles pass without a jump).
std::vector<Candidate> RisingHops(const HopPeaks& peaks, const WaveFormat& format, double sensitivity) {
  std::vector<Candidate> candidates;
  const std::size_t hops = peaks.full.size();
  if (hops == 0) return candidates;
  const float topFull = *std::max_element(peaks.full.begin(), peaks.full.end());
  const float topHigh = *std::max_element(peaks.high.begin(), peaks.high.end());
  if (topFull < 1e-5f && topHigh < 1e-5f) return candidates;  // silence
  const double s = std::clamp(sensitivity, 0.0, 1.0);
  const auto floorGain = static_cast<float>(std::pow(10.0, -(24.0 + 30.0 * s) / 20.0));
  const float epsFull = std::max(topFull * floorGain, 1e-6f);
  const float epsHigh = std::max(topHigh * floorGain, 1e-6f);
  const auto threshold = static_cast<float>(std::log(1.35 + 2.0 * (1.0 - s)));
  const auto decay =
      static_cast<float>(std::exp(-static_cast<double>(peaks.hop) / format.sampleRate / 0.030));

  std::vector<float> rise(hops, 0.0f);
  std::vector<unsigned char> high(hops, 0);
  float holdFull = 0.0f, holdHigh = 0.0f;
  for (std::size_t h = 0; h < hops; ++h) {
    const std::size_t next = std::min(h + 1, hops - 1);
    const float full =
        std::log(std::max(peaks.full[h], peaks.full[next]) + epsFull) - std::log(holdFull + epsFull);
    const float hi =
        std::log(std::max(peaks.high[h], peaks.high[next]) + epsHigh) - std::log(holdHigh + epsHigh);
    rise[h] = std::max(full, hi);
    high[h] = hi > full ? 1 : 0;
    holdFull = std::max(peaks.full[h], holdFull * decay);
    holdHigh = std::max(peaks.high[h], holdHigh * decay);
  }
  for (std::size_t h = 0; h < hops; ++h) {
    if (rise[h] <= threshold) continue;
    if (h > 0 && rise[h - 1] > rise[h]) continue;
    if (h + 1 < hops && rise[h + 1] > rise[h]) continue;
    candidates.push_back({h, high[h] != 0, rise[h]});
  }
  return candidates;
}

// The first frame of the hit found at `candidate`: where its band leaves the level held before it,
// walked back over the attack's rising start while that stays above the level before.
std::int64_t RefineHit(std::span<const std::byte> pcm, const WaveFormat& format, std::size_t frames,
                       std::size_t hop, const Candidate& candidate, std::vector<float>& store,
                       std::vector<float*>& planes, std::vector<float>& level) {
  const std::size_t searchStart = candidate.hop > 0 ? (candidate.hop - 1) * hop : 0;
  const std::size_t searchEnd = std::min(frames, (candidate.hop + 2) * hop);
  const std::size_t first = searchStart > 2 * hop ? searchStart - 2 * hop : 0;
  const std::size_t count = searchEnd - first;
  const std::size_t lead = searchStart - first;
  const auto channels = static_cast<std::size_t>(format.channels);
  // Decoded a few frames at a time, so that a sound of many channels needs no large buffer.
  const std::size_t step = std::max<std::size_t>(1, kBlockSamples / channels);
  std::vector<double> mean(channels, 0.0);
  for (std::size_t at = 0; at < lead; at += step) {
    const std::size_t n = std::min(step, lead - at);
    DecodeRange(pcm, format, first + at, n, store, planes);
    for (std::size_t c = 0; c < channels; ++c)
      for (std::size_t i = 0; i < n; ++i) mean[c] += planes[c][i];
  }
  if (lead > 0)
    for (double& m : mean) m /= static_cast<double>(lead);
  level.assign(count, 0.0f);
  std::vector<float> before(channels, 0.0f);
  for (std::size_t at = 0; at < count; at += step) {
    const std::size_t n = std::min(step, count - at);
    DecodeRange(pcm, format, first + at, n, store, planes);
    for (std::size_t c = 0; c < channels; ++c) {
      const float* x = planes[c];
      const auto centre = static_cast<float>(mean[c]);
      float last = at > 0 ? before[c] : x[0];
      for (std::size_t i = 0; i < n; ++i) {
        const float v = candidate.highBand ? x[i] - last : x[i] - centre;
        last = x[i];
        level[at + i] = std::max(level[at + i], std::fabs(v));
      }
      before[c] = last;
    }
  }
  float background = 0.0f;
  for (std::size_t i = 0; i < lead; ++i) background = std::max(background, level[i]);
  std::size_t peakAt = lead;
  for (std::size_t i = lead; i < count; ++i)
    if (level[i] > level[peakAt]) peakAt = i;
  if (level[peakAt] <= background) return static_cast<std::int64_t>(candidate.hop * hop);
  const float threshold = background + 0.15f * (level[peakAt] - background);
  std::size_t at = lead;
  while (at < peakAt && level[at] <= threshold) ++at;
  const std::size_t stop = at > lead + hop / 2 ? at - hop / 2 : lead;
  while (at > stop && level[at - 1] < level[at] && level[at - 1] > background) --at;
  return static_cast<std::int64_t>(first + at);
}

}  // namespace

std::vector<Hit> FindHitDetails(std::span<const std::byte> pcm, const WaveFormat& format,
                                const HitOptions& options) {
  std::vector<Hit> hits;
  if (!Analysable(format)) return hits;
  const std::size_t frames = pcm.size() / static_cast<std::size_t>(format.blockAlign);
  if (static_cast<double>(frames) < kShortestMs * format.sampleRate / 1000.0) return hits;
  const HopPeaks peaks = MeasureHops(pcm, format, frames);
  const std::vector<Candidate> candidates = RisingHops(peaks, format, options.sensitivity);
  const std::size_t hops = peaks.full.size();
  const auto gap =
      std::max<std::int64_t>(1, std::llround(std::max(0.0, options.minGapMs) * format.sampleRate / 1000.0));

  std::vector<float> store, level;
  std::vector<float*> planes;
  std::vector<float> rises;
  for (const Candidate& candidate : candidates) {
    Hit hit;
    hit.frame = RefineHit(pcm, format, frames, peaks.hop, candidate, store, planes, level);
    float full = 0.0f, high = 0.0f, low = 0.0f;
    for (std::size_t h = candidate.hop; h < std::min(hops, candidate.hop + 4); ++h) {
      full = std::max(full, peaks.full[h]);
      high = std::max(high, peaks.high[h]);
    }
    for (std::size_t h = candidate.hop; h < std::min(hops, candidate.hop + 8); ++h)
      low = std::max(low, peaks.low[h]);
    hit.thump = low;
    hit.strength = full;
    hit.snap = high;
    // Of two hits closer than the gap, the one with the larger jump stays.
    if (!hits.empty() && hit.frame - hits.back().frame < gap) {
      if (candidate.rise > rises.back()) {
        hits.back() = hit;
        rises.back() = candidate.rise;
      }
      continue;
    }
    hits.push_back(hit);
    rises.push_back(candidate.rise);
  }
  std::sort(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) { return a.frame < b.frame; });
  float loudest = 0.0f, snappiest = 0.0f, deepest = 0.0f;
  for (const Hit& hit : hits) {
    loudest = std::max(loudest, hit.strength);
    snappiest = std::max(snappiest, hit.snap);
    deepest = std::max(deepest, hit.thump);
  }
  for (Hit& hit : hits) {
    if (loudest > 0.0f) hit.strength /= loudest;
    if (snappiest > 0.0f) hit.snap /= snappiest;
    if (deepest > 0.0f) hit.thump /= deepest;
  }
  return hits;
}

std::vector<std::int64_t> FindHits(std::span<const std::byte> pcm, const WaveFormat& format,
                                   const HitOptions& options) {
  std::vector<std::int64_t> frames;
  for (const Hit& hit : FindHitDetails(pcm, format, options)) frames.push_back(hit.frame);
  return frames;
}

}  // namespace tactoria
