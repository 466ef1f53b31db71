#include "analysis/tempo_estimate.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <numeric>

namespace tactoria {
namespace {

constexpr double kLowestBpm = 40.0;
constexpr double kHighestBpm = 320.0;
constexpr double kLengthFit = 0.02;      // a written tempo fits when the length is whole bars within this
constexpr double kTimingSigma = 0.012;   // seconds: how far a played hit strays from its grid place
constexpr std::size_t kMostHits = 1024;  // hits weighed (the strongest of a long sound)
constexpr double kSnappy = 0.6;          // a hit this snappy (of the snappiest) may be a backbeat
constexpr double kBackbeatWeight = 1.5;
constexpr double kKickWeight = 2.5;
constexpr double kFitWeight = 4.0;
constexpr double kUsualBpm = 115.0;  // the prior's centre
constexpr double kPriorWidth = 0.6;  // in octaves
constexpr double kTripleMetrePenalty = 0.4;
constexpr double kLeadIn = 0.040;         // seconds a loop may be cut before or after its downbeat
constexpr double kClearRepetition = 0.2;  // three beats a bar must repeat this much better than four

double LengthBpm(double frames, int sampleRate, int beats, int bars) {
  return 60.0 * sampleRate * beats * bars / frames;
}

// The bar count whose tempo is nearest 120.
int BarsNearest120(double frames, int sampleRate, int beats) {
  int best = 1;
  for (int bars = 1; bars < 1 << 20; ++bars) {
    const double bpm = LengthBpm(frames, sampleRate, beats, bars);
    if (std::fabs(std::log2(bpm / 120.0)) <
        std::fabs(std::log2(LengthBpm(frames, sampleRate, beats, best) / 120.0)))
      best = bars;
    if (bpm > 240.0) break;
  }
  return best;
}

// The whole bars a written tempo gives the loop, when its length fits them.
std::optional<int> BarsAtTempo(double tempo, double frames, int sampleRate, int beats) {
  if (!std::isfinite(tempo) || tempo <= 0.0) return std::nullopt;
  const double bars = tempo * frames / (60.0 * sampleRate * beats);
  const double whole = std::round(bars);
  if (whole < 1.0 || whole > 1e6 || std::fabs(bars - whole) > kLengthFit * whole) return std::nullopt;
  return static_cast<int>(whole);
}

// Places of a beat where a played hit may fall: sixteenths straight and swung, eighth triplets.
struct Grid {
  std::array<double, 4> places;
  int count;
  double bonus;
};
constexpr std::array<Grid, 5> kGrids{{
    {{0.0, 0.25, 0.5, 0.75}, 4, 0.0},
    {{0.0, 0.28, 0.5, 0.78}, 4, -0.01},
    {{0.0, 0.305, 0.5, 0.805}, 4, -0.01},
    {{0.0, 1.0 / 3.0, 0.5, 5.0 / 6.0}, 4, -0.01},
    {{0.0, 1.0 / 3.0, 2.0 / 3.0, 0.0}, 3, -0.02},
}};

struct Weighed {
  double frame;
  double strength;
  double snap;
  double thump;
  double weight;
};

struct Candidate {
  int beats = 4;
  int bars = 1;
  double bpm = 0.0;
  double fit = 0.0;
  double score = -1e300;
};

// How the hits sit on the grid of `total` beats over the loop, and how their accents fall on it.
Candidate Weigh(const std::vector<Weighed>& hits, double weightSum, double frames, int sampleRate, int beats,
                int bars) {
  Candidate candidate{beats, bars, LengthBpm(frames, sampleRate, beats, bars)};
  const int total = beats * bars;
  const double period = frames / total;  // frames per beat
  const double sigmaBeats = kTimingSigma * sampleRate / period;
  double bestFit = -1.0;
  for (const Grid& grid : kGrids) {
    double fit = 0.0;
    for (const Weighed& hit : hits) {
      const double position = hit.frame / period;
      const double fraction = position - std::floor(position);
      double distance = 1.0 - fraction;
      for (int i = 0; i < grid.count; ++i)
        distance = std::min(distance, std::fabs(fraction - grid.places[i]));
      const double z = distance / sigmaBeats;
      fit += hit.weight * std::exp(-0.5 * z * z);
    }
    fit = fit / weightSum + grid.bonus;
    bestFit = std::max(bestFit, fit);
  }
  candidate.fit = std::clamp(bestFit, 0.0, 1.0);

  // Accents. The backbeat: the snappiest hits (snares, claps) fall on the second and fourth beats
  // of a bar, not between them (half the tempo) nor on the third (twice the tempo). The pulse: a
  // kick on every beat, not on every other one (twice the tempo).
  std::vector<double> kickOnBeat(static_cast<std::size_t>(total), 0.0);
  const double near = 2.0 * sigmaBeats;
  double backbeat = 0.0, snaps = 0.0;
  for (const Weighed& hit : hits) {
    const double position = hit.frame / period;
    const double fraction = position - std::floor(position);
    const bool snappy = hit.snap > kSnappy;
    if (snappy) snaps += hit.snap;
    if (fraction < near || 1.0 - fraction < near) {
      const auto index = static_cast<std::size_t>(static_cast<long long>(std::round(position)) % total);
      kickOnBeat[index] = std::max(kickOnBeat[index], hit.thump);
      if (snappy && beats % 2 == 0 && index % 2 == 1) backbeat += hit.snap;
    }
  }
  const double backbeatShare = snaps > 0.0 ? backbeat / snaps : 0.0;
  const double kicks = std::accumulate(kickOnBeat.begin(), kickOnBeat.end(), 0.0) / total;

  // Drummers' tempos: most loops lie between 80 and 160 bpm.
  const double octaves = std::log2(candidate.bpm / kUsualBpm) / kPriorWidth;
  const double prior = -0.5 * octaves * octaves;
  candidate.score = kFitWeight * candidate.fit + kBackbeatWeight * backbeatShare + kKickWeight * kicks +
                    prior - (beats == 3 ? kTripleMetrePenalty : 0.0);
  return candidate;
}

// How much of the hits' weight comes back one `shift` (in frames) later, around the loop, as a
// hit of the same kind (as deep and as loud).
double Repetition(const std::vector<Weighed>& hits, double frames, double shift, double tolerance) {
  std::vector<const Weighed*> sorted;
  sorted.reserve(hits.size());
  for (const Weighed& hit : hits) sorted.push_back(&hit);
  std::sort(sorted.begin(), sorted.end(),
            [](const Weighed* a, const Weighed* b) { return a->frame < b->frame; });
  const auto alike = [](const Weighed& a, const Weighed& b) {
    return std::fabs(a.thump - b.thump) < 0.3 && std::fabs(a.strength - b.strength) < 0.3;
  };
  double found = 0.0, all = 0.0;
  for (const Weighed& hit : hits) {
    all += hit.strength;
    for (const double target :
         {std::fmod(hit.frame + shift, frames), std::fmod(hit.frame + shift, frames) - frames}) {
      auto at = std::lower_bound(sorted.begin(), sorted.end(), target - tolerance,
                                 [](const Weighed* a, double frame) { return a->frame < frame; });
      bool back = false;
      for (; at != sorted.end() && (*at)->frame <= target + tolerance; ++at) back = back || alike(hit, **at);
      if (back) {
        found += hit.strength;
        break;
      }
    }
  }
  return all > 0.0 ? found / all : 0.0;
}

bool Related(int a, int b) {
  const int high = std::max(a, b), low = std::min(a, b);
  return high % low == 0 && (high / low == 1 || high / low == 2 || high / low == 3 || high / low == 4);
}

bool FromSound(const std::vector<Hit>& hits, double frames, int sampleRate, const TempoOptions& options,
               TempoEstimate& estimate) {
  if (hits.size() < 2) return false;
  std::vector<Weighed> weighed;
  weighed.reserve(hits.size());
  for (const Hit& hit : hits)
    weighed.push_back(
        {static_cast<double>(hit.frame), hit.strength, hit.snap, hit.thump, 0.3 + hit.strength});
  if (weighed.size() > kMostHits) {
    std::nth_element(weighed.begin(), weighed.begin() + kMostHits, weighed.end(),
                     [](const Weighed& a, const Weighed& b) { return a.strength > b.strength; });
    weighed.resize(kMostHits);
  }
  // A loop cut a little before or after its first downbeat: its grids start at the strongest hit
  // within kLeadIn of the loop's start, when there is one.
  double lead = 0.0, leadStrength = 0.0;
  const double leadIn = kLeadIn * sampleRate;
  for (const Weighed& hit : weighed) {
    const double offset = hit.frame > frames / 2 ? hit.frame - frames : hit.frame;
    if (std::fabs(offset) <= leadIn && hit.strength > leadStrength) {
      lead = offset;
      leadStrength = hit.strength;
    }
  }
  for (Weighed& hit : weighed) hit.frame = std::fmod(hit.frame - lead + frames, frames);
  const double weightSum = std::accumulate(weighed.begin(), weighed.end(), 0.0,
                                           [](double sum, const Weighed& w) { return sum + w.weight; });

  std::vector<int> meters;
  if (options.beats) {
    meters.push_back(*options.beats);
  } else {
    meters = {4, 3};
  }
  std::vector<Candidate> candidates;
  for (const int beats : meters) {
    for (int bars = 1;; ++bars) {
      const double bpm = LengthBpm(frames, sampleRate, beats, bars);
      if (bpm > kHighestBpm && bars > 1) break;
      if (bpm < kLowestBpm) continue;
      candidates.push_back(Weigh(weighed, weightSum, frames, sampleRate, beats, bars));
    }
  }
  if (candidates.empty()) return false;
  const auto best =
      std::max_element(candidates.begin(), candidates.end(),
                       [](const Candidate& a, const Candidate& b) { return a.score < b.score; });
  // Bars of three beats rather than four only when the hits repeat clearly better every three beats.
  Candidate chosen = *best;
  const int total = best->beats * best->bars;
  if (!options.beats && total % 12 == 0) {
    const double period = frames / total;
    const double tolerance = 2.0 * kTimingSigma * sampleRate;
    const double three = Repetition(weighed, frames, 3 * period, tolerance);
    const double four = Repetition(weighed, frames, 4 * period, tolerance);
    chosen.beats = three > four + kClearRepetition ? 3 : 4;
    chosen.bars = total / chosen.beats;
  }
  double rival = -1e300;
  for (const Candidate& other : candidates) {
    if (!Related(other.beats * other.bars, best->beats * best->bars)) rival = std::max(rival, other.score);
  }
  estimate.beats = chosen.beats;
  estimate.bars = chosen.bars;
  estimate.bpm = best->bpm;
  const double margin = rival > -1e299 ? best->score - rival : 1.0;
  estimate.confidence = std::clamp(best->fit * (1.0 - std::exp(-3.0 * std::max(0.0, margin))), 0.0, 1.0);
  estimate.source = TempoSource::Sound;
  return true;
}

}  // namespace

const char* TempoSourceName(TempoSource source) {
  switch (source) {
    case TempoSource::FileName:
      return "file name";
    case TempoSource::AcidChunk:
      return "acid chunk";
    case TempoSource::Sound:
      return "sound";
    case TempoSource::Length:
      return "length";
  }
  return "length";
}

std::vector<double> TemposInFileName(std::string_view path) {
  std::string_view name =
      path.substr(path.find_last_of('/') == std::string_view::npos ? 0 : path.find_last_of('/') + 1);
  if (const std::size_t dot = name.find_last_of('.'); dot != std::string_view::npos && dot > 0)
    name = name.substr(0, dot);
  const auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
  const auto saysBpm = [&](std::size_t at) {
    return at + 3 <= name.size() && lower(name[at]) == 'b' && lower(name[at + 1]) == 'p' &&
           lower(name[at + 2]) == 'm';
  };
  std::vector<double> marked, apart;
  std::size_t i = 0;
  while (i < name.size()) {
    if (!std::isdigit(static_cast<unsigned char>(name[i]))) {
      ++i;
      continue;
    }
    const std::size_t start = i;
    while (i < name.size() && std::isdigit(static_cast<unsigned char>(name[i]))) ++i;
    if (i + 1 < name.size() && (name[i] == '.' || name[i] == ',') &&
        std::isdigit(static_cast<unsigned char>(name[i + 1]))) {
      ++i;
      while (i < name.size() && std::isdigit(static_cast<unsigned char>(name[i]))) ++i;
    }
    std::string number(name.substr(start, i - start));
    std::replace(number.begin(), number.end(), ',', '.');
    const double value = std::strtod(number.c_str(), nullptr);
    std::size_t after = i;
    while (after < name.size() && (name[after] == ' ' || name[after] == '_' || name[after] == '-')) ++after;
    std::size_t before = start;
    while (before > 0 && (name[before - 1] == ' ' || name[before - 1] == '_' || name[before - 1] == '-'))
      --before;
    const bool bpmAfter = saysBpm(after);
    const bool bpmBefore = before >= 3 && saysBpm(before - 3);
    const bool letterAfter = i < name.size() && std::isalpha(static_cast<unsigned char>(name[i]));
    const bool letterBefore = start > 0 && std::isalpha(static_cast<unsigned char>(name[start - 1]));
    if ((bpmAfter || bpmBefore) && value >= 20.0 && value <= 999.0) {
      marked.push_back(value);
    } else if (!letterAfter && !letterBefore && value >= 40.0 && value <= 300.0) {
      apart.push_back(value);
    }
  }
  marked.insert(marked.end(), apart.begin(), apart.end());
  return marked;
}

TempoEstimate EstimateTempo(std::span<const std::byte> pcm, const WaveFormat& format,
                            const TempoOptions& options) {
  TempoEstimate estimate;
  estimate.beats = options.beats.value_or(4);
  if (estimate.beats < 1) estimate.beats = 4;
  const std::vector<Hit> hits = FindHitDetails(pcm, format, options.hits);
  for (const Hit& hit : hits) estimate.onsets.push_back(hit.frame);
  if (format.blockAlign <= 0 || format.sampleRate <= 0) return estimate;
  const auto frames = static_cast<double>(pcm.size() / static_cast<std::size_t>(format.blockAlign));
  if (frames <= 0) return estimate;
  const int rate = format.sampleRate;

  // A written tempo decides when the loop is whole bars of it.
  const auto written = [&](double tempo, TempoSource source, int beats) {
    const std::optional<int> bars = BarsAtTempo(tempo, frames, rate, beats);
    if (!bars) return false;
    estimate.beats = beats;
    estimate.bars = *bars;
    estimate.bpm = LengthBpm(frames, rate, beats, *bars);
    estimate.confidence = 1.0;
    estimate.source = source;
    return true;
  };
  const bool acidMeter = !options.beats && options.acidBeatsPerBar >= 1 && options.acidBeatsPerBar <= 32;
  if (options.acidTempo && written(*options.acidTempo, TempoSource::AcidChunk,
                                   acidMeter ? options.acidBeatsPerBar : estimate.beats))
    return estimate;
  for (const double tempo : TemposInFileName(options.fileName))
    if (written(tempo, TempoSource::FileName, estimate.beats)) return estimate;

  if (FromSound(hits, frames, rate, options, estimate)) return estimate;
  estimate.bars = BarsNearest120(frames, rate, estimate.beats);
  estimate.bpm = LengthBpm(frames, rate, estimate.beats, estimate.bars);
  estimate.confidence = 0.0;
  estimate.source = TempoSource::Length;
  return estimate;
}

}  // namespace tactoria
