#pragma once

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace tactoria::cli {

// "--keep-pitch" on a command that renders: a new length (--frames, --bpm) becomes a time-stretch at
// the same pitch instead of a resampling. Every rendering command adds it through here.
CLI::Option* AddKeepPitchFlag(CLI::App& command, bool& keepPitch);

}  // namespace tactoria::cli
