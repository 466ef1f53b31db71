#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli_slice_options.h"

namespace tactoria::cli {

enum class Job { Info, Save, Span, Mix, Play, Waveform, Slice, Analyze };

// The "New Sample" settings and the beat order, as given on the command line. Every value here
// has passed the checks that need no file; the ones that need the open file (the tempo's frame
// count, the phaser's upper bound) are made by the job.
struct EditOptions {
  double beats = 4;
  double bars = 1;
  std::optional<std::vector<std::int32_t>> order;  // beat numbers in their new order
  bool shuffle = false;
  std::optional<std::uint64_t> seed;
  std::optional<std::int32_t> frames;
  std::optional<double> bpm;
  std::optional<double> phaser;
  bool reverse = false;
  bool keepPitch = false;  // the new length keeps the pitch
};

struct CliCommand {
  Job job = Job::Info;
  std::string input;   // IN, or FILE for info
  std::string second;  // mix: the file mixed into
  std::string output;  // save and mix: OUT; span: BASE
  EditOptions edits;
  bool force = false;
  bool json = false;
  // play and waveform
  std::optional<std::int32_t> beat;  // play: beat K alone (1-based)
  bool original = false;             // play: IN's data before the render
  int width = 1200;                  // waveform: picture size in pixels
  int height = 300;
  SliceOptions slice;  // slice
  // analyze
  std::optional<int> analyzeBeats;  // beats per bar when known
  double sensitivity = 0.5;         // of the hit finder, 0 to 1
};

// Exit statuses of the tool.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

struct ParseOutcome {
  std::optional<CliCommand> command;  // set when a job is to run
  int exitCode = kExitOk;             // otherwise: 0 after --help or --version, 2 for a usage error
};

// Parses the arguments; help and version texts go to `out`, usage errors to `err`.
ParseOutcome ParseCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

// The number of shuffle rows: round(bars) x round(beats), as the shuffle list is built.
std::int64_t ShuffleRowCount(double beats, double bars);

}  // namespace tactoria::cli
