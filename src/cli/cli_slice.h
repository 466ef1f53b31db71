#pragma once

#include <CLI/CLI.hpp>

#include "cli_jobs.h"
#include "cli_options.h"

namespace tactoria::cli {

// The subcommand that cuts the rendered sound into slices; the edit options are added by the caller.
CLI::App* AddSliceCommand(CLI::App& app, CliCommand& command);

// Renders IN, cuts it and writes the slice files (and the SFZ, SoundFont, MIDI and marked files
// asked for) all or nothing.
int RunSlice(const CliCommand& command, const JobStreams& streams);

}  // namespace tactoria::cli
