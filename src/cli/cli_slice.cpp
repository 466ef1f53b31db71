#include "cli_slice.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "beats/beat_math.h"
#include "beats/span_beats.h"
#include "cli_messages.h"
#include "slices/slice_export.h"
#include "slices/slice_fades.h"
#include "slices/slice_points.h"
#include "tempo/field_conversions.h"

namespace tactoria::cli {
namespace {

// Marker frames separated by commas, or none when the text is not such a list.
std::optional<std::vector<std::int64_t>> ParseFrames(std::string_view text) {
  std::vector<std::int64_t> frames;
  while (true) {
    const std::size_t comma = text.find(',');
    const std::string_view item = text.substr(0, comma);
    std::int64_t frame = 0;
    const auto [end, code] = std::from_chars(item.data(), item.data() + item.size(), frame);
    if (item.empty() || code != std::errc() || end != item.data() + item.size()) return std::nullopt;
    frames.push_back(frame);
    if (comma == std::string_view::npos) return frames;
    text.remove_prefix(comma + 1);
  }
}

std::string CheckAt(const std::string& text) {
  if (text == "hits" || text == "grid" || ParseFrames(text)) return {};
  return "expected hits, grid or marker frames separated by commas, such as 22050,44100";
}

// A number of milliseconds from 0 to the longest fade, or the sensitivity from 0 to 1.
CLI::Validator Within(double low, double high) {
  return CLI::Validator(
      [low, high](std::string& text) -> std::string {
        const std::optional<double> value = TextToDouble(text);
        if (!value || !(*value >= low && *value <= high))
          return "expected a number from " + DoubleToText(low) + " to " + DoubleToText(high);
        return {};
      },
      "", "");
}

bool PathExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

}  // namespace

CLI::App* AddSliceCommand(CLI::App& app, CliCommand& command) {
  CLI::App* slice = app.add_subcommand(
      "slice",
      "Render IN, cut it at its hits or beats and write each slice as BASE[n].wav, with sampler files");
  SliceOptions& options = command.slice;
  slice->add_option("IN", command.input, "Wave file to render")->required();
  slice->add_option("BASE", command.output, "Base path of the slice files")->required();
  slice
      ->add_option("--at", options.at,
                   "Where to cut: hits (default), grid (the beats, as span) or frames F1,F2,...")
      ->type_name("WHERE")
      ->check(CLI::Validator(CheckAt, "", ""));
  slice
      ->add_option("--sensitivity", options.sensitivity,
                   "With --at hits: 0 finds only the loudest hits, 1 the faintest (default 0.5)")
      ->type_name("S")
      ->check(Within(0, 1));
  slice->add_flag("--snap", options.snap, "Move each cut to the nearest zero crossing within 2 ms");
  slice->add_option("--fade-in", options.fadeInMs, "Fade-in of each slice in milliseconds (default 0.5)")
      ->type_name("MS")
      ->check(Within(0, kMaxFadeMs));
  slice->add_option("--fade-out", options.fadeOutMs, "Fade-out of each slice in milliseconds (default 4)")
      ->type_name("MS")
      ->check(Within(0, kMaxFadeMs));
  slice->add_flag("--sfz", options.sfz, "Also write BASE.sfz: slice n on key 35 + n, at its own pitch");
  slice->add_flag("--sf2", options.sf2, "Also write BASE.sf2, a SoundFont with the same keys");
  slice->add_flag("--midi", options.midi, "Also write BASE.mid, which plays the loop back from the slices");
  slice->add_flag("--marked", options.marked,
                  "Also write BASE.wav: the whole sound with a cue point per slice");
  return slice;
}

int RunSlice(const CliCommand& command, const JobStreams& streams) {
  const SliceOptions& options = command.slice;
  const EditOptions& edits = command.edits;
  std::ostream& err = streams.err;
  if (options.at == "grid" && (edits.beats < 1 || edits.bars < 1))
    return ReportProblem(err, kExitUsage, kSpanBeatsBelowOne);

  ByteBuffer sound;
  WaveFormat format;
  if (const int status = RenderSound(command, streams, false, sound, format); status != kExitOk)
    return status;
  const std::int64_t frames = static_cast<std::int64_t>(sound.size()) / format.blockAlign;

  std::optional<Slices> slices;
  if (options.at == "hits") {
    slices = SlicesFromHits(sound.bytes(), format, HitOptions{options.sensitivity, HitOptions{}.minGapMs});
  } else if (options.at == "grid") {
    slices = SlicesFromGrid(static_cast<std::int64_t>(sound.size()), format.blockAlign,
                            RoundToLong(edits.beats * edits.bars).value_or(0));
    if (!slices) return ReportProblem(err, kExitFailed, kSpanFailure, kSpanFailureTitle);
  } else {
    MarkedSlices marked = SlicesFromMarkers(frames, *ParseFrames(options.at));
    if (!marked.slices) return ReportProblem(err, kExitFailed, marked.problem);
    slices = std::move(marked.slices);
  }
  if (options.snap) SnapToZeroCrossings(*slices, sound.bytes(), format);

  SliceExport request;
  request.basePath = SpanBasePath(command.output);
  request.sound = sound.bytes();
  request.format = format;
  request.slices = std::move(*slices);
  request.fades = SliceFades{options.fadeInMs, options.fadeOutMs};
  request.tempo = {edits.beats * edits.bars, static_cast<int>(std::lround(edits.beats))};
  request.sfz = options.sfz;
  request.sf2 = options.sf2;
  request.midi = options.midi;
  request.marked = options.marked;

  // Every target is checked before any is written.
  const std::vector<std::string> paths = SliceExportPaths(request);
  if (!command.force) {
    for (const std::string& path : paths) {
      if (PathExists(path)) return ReportProblem(err, kExitFailed, path + " " + kOutputExists);
    }
  }
  const SliceExportOutcome outcome = ExportSlices(request, command.force, streams.sinks);
  if (!outcome.refusal.empty()) return ReportProblem(err, kExitFailed, outcome.refusal);
  if (!outcome.files.ok()) return ReportWriteStatus(err, outcome.files.status, outcome.files.failedPath);
  streams.out << request.slices.count() << " slices: " << paths.front() << " to "
              << paths[request.slices.count() - 1] << "\n";
  return kExitOk;
}

}  // namespace tactoria::cli
