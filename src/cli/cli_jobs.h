#pragma once

#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli_options.h"
#include "wave/byte_buffer.h"
#include "wave/safe_write.h"
#include "wave/wave_format.h"

namespace tactoria::cli {

struct JobStreams {
  std::ostream& out;
  std::ostream& err;
  bool showProgress = false;  // span: "\rbeat k/N" on `err` (only when it is a terminal)
  SinkFactory sinks = {};     // where output files' bytes go; empty for the files themselves
};

// Runs one parsed command and returns the exit status: 0 done, 1 a file or an operation failed,
// 2 a value that is out of range for the file given. Failures are reported on `err`.
int RunJob(const CliCommand& command, const JobStreams& streams);

// Opens IN and renders it with the edits as save would (or, with `original`, takes IN's data
// after the beat order only); failures are reported on `err` with the status returned.
int RenderSound(const CliCommand& command, const JobStreams& streams, bool original, ByteBuffer& sound,
                WaveFormat& format);

// The tool's reports for the subcommands kept in files of their own: "tactoria-cli: message
// (title; path)" on `err`, and the window's message for a failed write with the system's reason.
// Both give `status` (or the write's exit status) back.
int ReportProblem(std::ostream& err, int status, std::string_view message, std::string_view title = {},
                  std::string_view path = {});
int ReportWriteStatus(std::ostream& err, const WriteStatus& status, const std::string& path);
// Refuses an existing OUT (anything at its name) without --force, as save does.
int RefuseExistingOutput(const CliCommand& command, const JobStreams& streams);

// Writes `bytes` as OUT the way save writes its file (temporary file, flush, rename, the same
// refusals) and reports a failure with the system's reason.
int WriteOutputFile(const CliCommand& command, const JobStreams& streams, std::span<const std::byte> bytes);

// The beat order --shuffle gives for these beats and bars and this seed: the Randomize algorithm fed
// by a 64-bit Mersenne Twister, so a run can be repeated with the same seed.
std::vector<std::int32_t> ShuffledOrder(double beats, double bars, std::uint64_t seed);

}  // namespace tactoria::cli
