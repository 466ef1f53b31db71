#include "keep_pitch_option.h"

#include <CLI/CLI.hpp>

namespace tactoria::cli {

CLI::Option* AddKeepPitchFlag(CLI::App& command, bool& keepPitch) {
  return command.add_flag(
      "--keep-pitch", keepPitch,
      "Change the length by a time-stretch that keeps the pitch (from 1/16 to 16 times the "
      "length)");
}

}  // namespace tactoria::cli
