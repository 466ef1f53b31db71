#pragma once

#include "cli_jobs.h"
#include "cli_options.h"

namespace tactoria::cli {

// play: the rendered sound (or one beat of it) once through the default output; returns when
// the output has played it. 1 with a message when there is no output that can play it.
int RunPlay(const CliCommand& command, const JobStreams& streams);

// Ends the process once play has stopped and destroyed its sink, its thread and the application,
// without the static destructors of Qt Multimedia (see cli_play.cpp).
[[noreturn]] void EndAfterPlay(int status);

// waveform: the picture the preview draws of the whole rendered sound, with its beat grid.
int RunWaveform(const CliCommand& command, const JobStreams& streams);

}  // namespace tactoria::cli
