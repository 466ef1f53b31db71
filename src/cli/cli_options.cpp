#include "cli_options.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

#include "beats/shuffle_order.h"
#include "cli_analyze.h"
#include "cli_messages.h"
#include "cli_play_options.h"
#include "cli_slice.h"
#include "keep_pitch_option.h"
#include "tempo/field_conversions.h"
#include "tempo/limits.h"

#ifndef TACTORIA_VERSION
#define TACTORIA_VERSION "unknown"
#endif

namespace tactoria::cli {
namespace {

// The edit options as typed; numbers are converted after parsing so that the window's texts
// can be given for each refusal.
struct RawEdits {
  std::string beats = "4";
  std::string bars = "1";
  std::string order;
  bool shuffle = false;
  std::string seed;
  std::string frames;
  std::string bpm;
  std::string phaser;
  bool reverse = false;
  bool keepPitch = false;

  CLI::Option* orderOption = nullptr;
  CLI::Option* seedOption = nullptr;
  CLI::Option* framesOption = nullptr;
  CLI::Option* bpmOption = nullptr;
  CLI::Option* phaserOption = nullptr;
};

struct UsageError {
  std::string text;
};

void AddBeatsAndBars(CLI::App& command, RawEdits& raw) {
  command.add_option("--beats", raw.beats, "Beats per bar, in (0, 32] (default 4)")->type_name("B");
  command.add_option("--bars", raw.bars, "Number of bars, in (0, 4096] (default 1)")->type_name("N");
}

void AddEdits(CLI::App& command, RawEdits& raw, bool& force) {
  AddBeatsAndBars(command, raw);
  raw.orderOption =
      command.add_option("--order", raw.order, "New beat order, e.g. 3,1,4,2")->type_name("LIST");
  CLI::Option* shuffle = command.add_flag("--shuffle", raw.shuffle, "Put the beats in a random order");
  raw.seedOption =
      command.add_option("--seed", raw.seed, "Seed of --shuffle (printed when not given)")->type_name("S");
  raw.seedOption->needs(shuffle);
  raw.orderOption->excludes(shuffle);
  raw.framesOption =
      command.add_option("--frames", raw.frames, "New length in sample frames")->type_name("N");
  raw.bpmOption =
      command.add_option("--bpm", raw.bpm, "New length given as a tempo in beats per minute")->type_name("T");
  raw.framesOption->excludes(raw.bpmOption);
  raw.phaserOption =
      command.add_option("--phaser", raw.phaser, "Phaser value, in [1, frames / 8]")->type_name("V");
  command.add_flag("--reverse", raw.reverse, "Reverse the sound");
  AddKeepPitchFlag(command, raw.keepPitch);
  command.add_flag("--force", force, "Replace existing output files");
}

std::optional<double> ParseNumber(const std::string& option, const std::string& text, UsageError& error) {
  std::optional<double> value = TextToDouble(text);
  if (!value || !std::isfinite(*value)) {
    error.text = option + ": " + kInvalidNumeric;
    return std::nullopt;
  }
  return value;
}

// Beats and bars: above 0 and at most `limit`, as the calculator's fields accept them.
std::optional<double> ParseBeatsOrBars(const std::string& option, const std::string& text, int limit,
                                       UsageError& error) {
  std::optional<double> value = ParseNumber(option, text, error);
  if (!value) return std::nullopt;
  if (*value < 0) {
    error.text = option + ": " + kMustBeAboveZero;
  } else if (*value == 0) {
    error.text = option + ": " + kInvalidBeatsValue;
  } else if (*value > limit) {
    error.text = option + ": " + kCannotBeGreaterThan + std::to_string(limit) + ".";
  } else {
    return value;
  }
  return std::nullopt;
}

std::optional<std::int32_t> ParseFrames(const std::string& text, UsageError& error) {
  std::optional<double> value = ParseNumber("--frames", text, error);
  if (!value) return std::nullopt;
  if (*value <= 0) {
    error.text = std::string("--frames: ") + kSamplesMustBeAboveZero;
  } else if (*value > kMaxFrames) {
    error.text = std::string("--frames: ") + kSamplesOverflow;
  } else if (*value != std::floor(*value)) {
    error.text = "--frames: the frame count must be a whole number.";
  } else {
    return static_cast<std::int32_t>(*value);
  }
  return std::nullopt;
}

// A seed is any 64-bit unsigned number, written in decimal digits only: no sign, no wrap-around.
std::optional<std::uint64_t> ParseSeed(const std::string& text, UsageError& error) {
  std::uint64_t seed = 0;
  const auto [end, code] = std::from_chars(text.data(), text.data() + text.size(), seed);
  if (text.empty() || code != std::errc() || end != text.data() + text.size()) {
    error.text = "--seed: the seed must be a whole number from 0 to " +
                 std::to_string(std::numeric_limits<std::uint64_t>::max()) + ".";
    return std::nullopt;
  }
  return seed;
}

std::optional<std::vector<std::int32_t>> ParseOrder(const std::string& text, UsageError& error) {
  std::vector<std::int32_t> order;
  std::string_view rest = text;
  while (true) {
    const std::size_t comma = rest.find(',');
    std::string_view item = rest.substr(0, comma);
    while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
    while (!item.empty() && item.back() == ' ') item.remove_suffix(1);
    std::int32_t number = 0;
    const auto [end, code] = std::from_chars(item.data(), item.data() + item.size(), number);
    if (item.empty() || code != std::errc() || end != item.data() + item.size()) {
      error.text = "--order: expected beat numbers separated by commas, such as 3,1,4,2.";
      return std::nullopt;
    }
    order.push_back(number);
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  return order;
}

// The Shuffle command's limits on beats x bars, and the rows its list is built with.
bool CheckShuffleLimits(const EditOptions& edits, std::int64_t& rows, UsageError& error) {
  const std::optional<std::int32_t> total = RoundToLong(edits.beats * edits.bars);
  rows = ShuffleRowCount(edits.beats, edits.bars);
  if (!total || *total < 1 || rows < 1) {
    error.text = kShuffleTotalZero;
    return false;
  }
  if (*total > kMaxShuffleBeats) {
    error.text = std::string(kShuffleTotalAbove) + std::to_string(kMaxShuffleBeats) + ".";
    return false;
  }
  return true;
}

bool IsPermutation(const std::vector<std::int32_t>& order) {
  std::vector<bool> seen(order.size(), false);
  for (std::int32_t number : order) {
    if (number < 1 || static_cast<std::size_t>(number) > order.size() || seen[number - 1]) return false;
    seen[number - 1] = true;
  }
  return true;
}

std::optional<EditOptions> ConvertEdits(const RawEdits& raw, Job job, UsageError& error) {
  EditOptions edits;
  const std::optional<double> beats = ParseBeatsOrBars("--beats", raw.beats, kMaxBeatsPerBar, error);
  if (!beats) return std::nullopt;
  const std::optional<double> bars = ParseBeatsOrBars("--bars", raw.bars, kMaxBars, error);
  if (!bars) return std::nullopt;
  edits.beats = *beats;
  edits.bars = *bars;
  if (job == Job::Info) return edits;

  if (job == Job::Span && (edits.beats < 1 || edits.bars < 1)) {
    error.text = kSpanBeatsBelowOne;
    return std::nullopt;
  }
  edits.shuffle = raw.shuffle;
  if (raw.seedOption->count() > 0) {
    edits.seed = ParseSeed(raw.seed, error);
    if (!edits.seed) return std::nullopt;
  }
  if (raw.orderOption->count() > 0 || edits.shuffle) {
    std::int64_t rows = 0;
    if (!CheckShuffleLimits(edits, rows, error)) return std::nullopt;
    if (raw.orderOption->count() > 0) {
      edits.order = ParseOrder(raw.order, error);
      if (!edits.order) return std::nullopt;
      if (static_cast<std::int64_t>(edits.order->size()) != rows || !IsPermutation(*edits.order)) {
        error.text = "--order: list each beat number from 1 to " + std::to_string(rows) + " once.";
        return std::nullopt;
      }
    }
  }
  if (raw.framesOption->count() > 0) {
    edits.frames = ParseFrames(raw.frames, error);
    if (!edits.frames) return std::nullopt;
  }
  if (raw.bpmOption->count() > 0) {
    edits.bpm = ParseNumber("--bpm", raw.bpm, error);
    if (!edits.bpm) return std::nullopt;
    if (*edits.bpm <= 0) {
      error.text = std::string("--bpm: ") + kSamplesMustBeAboveZero;
      return std::nullopt;
    }
  }
  if (raw.phaserOption->count() > 0) {
    edits.phaser = ParseNumber("--phaser", raw.phaser, error);
    if (!edits.phaser) return std::nullopt;
    if (*edits.phaser < 1) {
      error.text = std::string("--phaser: ") + kSamplesMustBeAboveZero;
      return std::nullopt;
    }
  }
  edits.reverse = raw.reverse;
  edits.keepPitch = raw.keepPitch;
  return edits;
}

}  // namespace

std::int64_t ShuffleRowCount(double beats, double bars) {
  const std::optional<std::int32_t> roundedBars = RoundToLong(bars);
  const std::optional<std::int32_t> roundedBeats = RoundToLong(beats);
  if (!roundedBars || !roundedBeats || *roundedBars < 0 || *roundedBeats < 0) return 0;
  return static_cast<std::int64_t>(*roundedBars) * *roundedBeats;
}

ParseOutcome ParseCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  CLI::App app{"Changes the length and tempo of wave loops, cuts them into beats, reorders and mixes them."};
  app.name("tactoria-cli");
  app.set_version_flag("--version", std::string("tactoria-cli ") + TACTORIA_VERSION);
  app.require_subcommand(1);
  app.footer(
      "Example: tactoria-cli save loop.wav slower.wav --beats 4 --bars 2 --bpm 100 --reverse\n"
      "Exit status: 0 done, 1 a file or an operation failed, 2 a usage error.");

  CliCommand command;
  // One set per subcommand: each holds that subcommand's own option objects.
  RawEdits infoRaw, saveRaw, spanRaw, mixRaw;

  CLI::App* info = app.add_subcommand("info", "Show the figures and the format of a sound file");
  info->add_option("FILE", command.input, "Wave file")->required();
  AddBeatsAndBars(*info, infoRaw);
  info->add_flag("--json", command.json, "Print one JSON object");

  CLI::App* save = app.add_subcommand("save", "Render IN and save it as OUT");
  save->add_option("IN", command.input, "Sound file to render (WAV, AIFF, FLAC, Ogg, MP3, ...)")->required();
  save->add_option("OUT", command.output, "Wave file to write")->required();
  AddEdits(*save, saveRaw, command.force);

  CLI::App* span = app.add_subcommand("span", "Render IN and write each beat as BASE[n].wav");
  span->add_option("IN", command.input, "Sound file to render (WAV, AIFF, FLAC, Ogg, MP3, ...)")->required();
  span->add_option("BASE", command.output, "Base path of the beat files")->required();
  AddEdits(*span, spanRaw, command.force);

  CLI::App* mix = app.add_subcommand("mix", "Render IN, interleave it with SECOND and write OUT");
  mix->add_option("IN", command.input, "Sound file to render (WAV, AIFF, FLAC, Ogg, MP3, ...)")->required();
  mix->add_option("SECOND", command.second, "Wave file of the same format to mix into")->required();
  mix->add_option("OUT", command.output, "Wave file to write")->required();
  AddEdits(*mix, mixRaw, command.force);

  RawEdits playRaw, waveformRaw;
  bool playForce = false;  // play writes nothing
  CLI::App* play = AddPlayCommand(app, command);
  AddEdits(*play, playRaw, playForce);
  CLI::App* waveform = AddWaveformCommand(app, command);
  AddEdits(*waveform, waveformRaw, command.force);
  RawEdits sliceRaw;
  CLI::App* slice = AddSliceCommand(app, command);
  AddEdits(*slice, sliceRaw, command.force);
  CLI::App* analyze = AddAnalyzeCommand(app, command);

  // CLI11 keeps its own copies of the texts; it wants a non-const argv.
  std::vector<std::string> args(argv, argv + argc);
  std::vector<char*> pointers;
  for (std::string& arg : args) pointers.push_back(arg.data());
  try {
    app.parse(static_cast<int>(pointers.size()), pointers.data());
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e, out, err);
    return {std::nullopt, code == 0 ? kExitOk : kExitUsage};
  }

  if (analyze->parsed()) {
    command.job = Job::Analyze;
    return {std::move(command), kExitOk};
  }
  const RawEdits* raw = &mixRaw;
  command.job = Job::Mix;
  if (info->parsed()) {
    command.job = Job::Info;
    raw = &infoRaw;
  } else if (save->parsed()) {
    command.job = Job::Save;
    raw = &saveRaw;
  } else if (span->parsed()) {
    command.job = Job::Span;
    raw = &spanRaw;
  } else if (play->parsed()) {
    command.job = Job::Play;
    raw = &playRaw;
  } else if (waveform->parsed()) {
    command.job = Job::Waveform;
    raw = &waveformRaw;
  } else if (slice->parsed()) {
    command.job = Job::Slice;
    raw = &sliceRaw;
  }
  UsageError error;
  std::optional<EditOptions> edits = ConvertEdits(*raw, command.job, error);
  if (!edits) {
    err << "tactoria-cli: " << error.text << "\n";
    return {std::nullopt, kExitUsage};
  }
  command.edits = std::move(*edits);
  return {std::move(command), kExitOk};
}

}  // namespace tactoria::cli
