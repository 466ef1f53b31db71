#include "cli_analyze.h"

#include <cmath>
#include <iomanip>
#include <nlohmann/json.hpp>

#include "analysis/acid_tempo.h"
#include "analysis/tempo_estimate.h"
#include "tempo/field_conversions.h"

namespace tactoria::cli {
namespace {

double Rounded(double value, double step) {
  return std::round(value / step) * step;
}

}  // namespace

CLI::App* AddAnalyzeCommand(CLI::App& app, CliCommand& command) {
  CLI::App* analyze =
      app.add_subcommand("analyze", "Find the hits, the meter, the bars and the tempo of a loop");
  analyze->add_option("IN", command.input, "Wave file to analyse")->required();
  analyze
      ->add_option("--beats", command.analyzeBeats, "Beats per bar when known: only bars and tempo are found")
      ->type_name("B")
      ->check(CLI::Range(1, 32));
  analyze->add_option("--sensitivity", command.sensitivity, "Of the hit finder, 0 to 1 (default 0.5)")
      ->type_name("S")
      ->check(CLI::Range(0.0, 1.0));
  analyze->add_flag("--json", command.json, "Print one JSON object");
  return analyze;
}

int RunAnalyze(const CliCommand& command, const JobStreams& streams, const OpenedWave& input) {
  const WaveFormat& format = input.validation.format;
  TempoOptions options;
  options.beats = command.analyzeBeats;
  options.hits.sensitivity = command.sensitivity;
  options.fileName = command.input;
  if (const std::optional<AcidInfo> acid = FindAcidChunk(input.file)) {
    options.acidTempo = acid->tempo;
    options.acidBeatsPerBar = acid->meterNumerator;
  }
  const TempoEstimate estimate =
      EstimateTempo(input.file.Item(input.validation.dataIndex).bytes(), format, options);
  const double bpm = Rounded(estimate.bpm, 0.001);
  const double confidence = Rounded(estimate.confidence, 0.01);

  std::ostream& out = streams.out;
  if (command.json) {
    nlohmann::ordered_json object;
    if (bpm == std::trunc(bpm) && std::fabs(bpm) < 1e15) {
      object["bpm"] = static_cast<std::int64_t>(bpm);
    } else {
      object["bpm"] = bpm;
    }
    object["beats"] = estimate.beats;
    object["bars"] = estimate.bars;
    object["confidence"] = confidence;
    object["source"] = TempoSourceName(estimate.source);
    object["onsets"] = estimate.onsets;
    out << object.dump() << "\n";
    return kExitOk;
  }
  out << "Path: " << command.input << "\n"
      << "Bpm: " << DoubleToText(bpm) << "\n"
      << "Beats: " << estimate.beats << "\n"
      << "Bars: " << estimate.bars << "\n"
      << "Confidence: " << DoubleToText(confidence) << "\n"
      << "Source: " << TempoSourceName(estimate.source) << "\n"
      << "Hits: " << estimate.onsets.size() << "\n";
  for (const std::int64_t frame : estimate.onsets) {
    out << "  " << frame << "  " << std::fixed << std::setprecision(3)
        << static_cast<double>(frame) / format.sampleRate << " s\n";
    out << std::defaultfloat;
  }
  return kExitOk;
}

}  // namespace tactoria::cli
