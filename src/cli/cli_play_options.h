#pragma once

#include <CLI/CLI.hpp>

#include "cli_options.h"

namespace tactoria::cli {

// The subcommands that play and draw the rendered sound; the edit options are added by the caller.
CLI::App* AddPlayCommand(CLI::App& app, CliCommand& command);
CLI::App* AddWaveformCommand(CLI::App& app, CliCommand& command);

}  // namespace tactoria::cli
