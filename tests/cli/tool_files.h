#pragma once

// Wave files for the tool's tests, and reading back what the tool wrote.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/riff_builder.h"
#include "wave/four_cc.h"
#include "wave/media_file.h"

namespace tactoria::testing {

// A PCM wave file holding `data`, with `extra` chunks before the format chunk.
inline Bytes WaveBytes(const Bytes& data, int channels = 2, int sampleRate = 44100, int bits = 16,
                       std::vector<RiffChunk> extra = {}, const RiffOptions& options = {},
                       unsigned formatTag = 1) {
  extra.push_back({"fmt ", PcmFormat(channels, sampleRate, bits, formatTag), {}});
  extra.push_back({"data", data, {}});
  return RiffBytes(extra, options);
}

// The frames of `source` (frames of `blockAlign` bytes) in the order given.
inline Bytes PickFrames(const Bytes& source, const std::vector<int>& frames, int blockAlign) {
  Bytes out;
  for (int frame : frames) {
    const auto first = source.begin() + static_cast<std::ptrdiff_t>(frame) * blockAlign;
    out.insert(out.end(), first, first + blockAlign);
  }
  return out;
}

// A written file read back: its header ids and chunks (id as text, bytes).
struct WrittenFile {
  std::uint32_t header = 0;
  std::uint32_t form = 0;
  std::vector<std::pair<std::string, Bytes>> chunks;

  const Bytes& Chunk(const std::string& id) const {
    for (const auto& chunk : chunks) {
      if (chunk.first == id) return chunk.second;
    }
    throw std::runtime_error("no chunk " + id);
  }
};

inline WrittenFile ReadWritten(const std::string& path) {
  vbMediaFile file;
  const FileResult result = file.OpenFromFile(path);
  if (result != FileResult::Success) throw std::runtime_error("cannot read back " + path);
  WrittenFile written{file.FileHeader(), file.FileType(), {}};
  for (int i = 1; i <= file.Count(); ++i) {
    const auto bytes = file.Item(i).bytes();
    written.chunks.emplace_back(FourCCText(file.Item(i).typeId), Bytes(bytes.begin(), bytes.end()));
  }
  return written;
}

}  // namespace tactoria::testing
