#pragma once

#include <CLI/CLI.hpp>

#include "cli_jobs.h"
#include "cli_options.h"
#include "wave/wave_validation.h"

namespace tactoria::cli {

// The subcommand that finds a loop's hits, meter, bars and tempo.
CLI::App* AddAnalyzeCommand(CLI::App& app, CliCommand& command);

// analyze on an opened and validated IN: the figures as text, or one JSON object with --json.
int RunAnalyze(const CliCommand& command, const JobStreams& streams, const OpenedWave& input);

}  // namespace tactoria::cli
