#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "safe_write.h"
#include "wave_format.h"

namespace tactoria {

// What Save As, Span As and the command-line tool write: the open file's header id and form
// type, a 16-byte "fmt " chunk and a "data" chunk. The data is asked for piece by piece, so it
// can be rendered straight into the file's writes.
struct WaveOutput {
  std::uint32_t fileHeader = 0;
  std::uint32_t fileType = 0;
  WaveFormat format;
  std::int64_t dataBytes = 0;
  // Fills `dest` with data bytes [offset, offset + dest.size()).
  std::function<void(std::int64_t offset, std::span<std::byte> dest)> data;
  // Asked once all the data was: 0, or an errno that fails the write (the data's own source could
  // not be read in full). Empty (the default, so initialisers that stop at `data` stay complete):
  // nothing to ask.
  std::function<int()> complete = {};
};

// Writes the file of data bytes [offset, offset + length) of `output` into `file`, without
// flushing; the failure is kept as the file's status.
const WriteStatus& WriteWave(PendingFile& file, const WaveOutput& output, std::int64_t offset,
                             std::int64_t length);

// Writes the whole output to `path` safely (temporary file, flush, rename, folder flush).
// Without `overwrite` an existing target gives CannotCreate.
WriteStatus SaveWave(const WaveOutput& output, const std::string& path, bool overwrite,
                     const SinkFactory& sinks = {});

}  // namespace tactoria
