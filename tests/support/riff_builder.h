#pragma once

// Helpers for tests that need RIFF files: build the bytes of a file from chunks, write and read
// files, and make a temporary folder that is removed afterwards.
#include <stdlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "wave/file_result.h"

namespace tactoria {

// Result codes print as their numbers in test failures.
inline void PrintTo(FileResult result, std::ostream* os) {
  *os << Code(result);
}

}  // namespace tactoria

namespace tactoria::testing {

using Bytes = std::vector<std::byte>;

// Writes `value` little-endian into `width` bytes at `at`.
inline void SetLe(Bytes& bytes, std::size_t at, std::uint32_t value, int width = 4) {
  for (int i = 0; i < width; ++i) bytes.at(at + i) = static_cast<std::byte>((value >> (8 * i)) & 0xFFu);
}

inline void AppendLe(Bytes& out, std::uint32_t value, int width = 4) {
  for (int i = 0; i < width; ++i) out.push_back(static_cast<std::byte>((value >> (8 * i)) & 0xFFu));
}

// `count` bytes counting up from `first` (wrapping), so that misplaced bytes show.
inline Bytes Ramp(std::size_t count, unsigned first = 1) {
  Bytes bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::byte>((first + i) & 0xFFu);
  return bytes;
}

// `frames` frames of `align` bytes followed by `extra` loose bytes; every byte differs from
// its neighbours and frames differ from each other for the sizes used in the tests.
inline Bytes MakeFrames(std::size_t frames, std::size_t align, std::size_t extra = 0) {
  Bytes bytes(frames * align + extra);
  for (std::size_t k = 0; k < bytes.size(); ++k)
    bytes[k] = static_cast<std::byte>((k * 37 + k / 251 + 1) & 0xFF);
  return bytes;
}

// The frames of `source` listed in `order`, each `align` bytes.
inline Bytes PickFrames(const Bytes& source, std::size_t align, const std::vector<std::int64_t>& order) {
  Bytes out;
  for (const std::int64_t frame : order) {
    const auto from = source.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(frame) * align);
    out.insert(out.end(), from, from + static_cast<std::ptrdiff_t>(align));
  }
  return out;
}

inline Bytes ToBytes(std::span<const std::byte> bytes) {
  return Bytes(bytes.begin(), bytes.end());
}

struct RiffChunk {
  std::string id;
  Bytes data;
  std::optional<std::uint32_t> declaredSize = std::nullopt;  // a size field that differs from data.size()
};

struct RiffOptions {
  std::string header = "RIFF";
  std::string form = "WAVE";
  bool pad = true;                                        // a zero byte after each odd-sized chunk
  std::optional<std::uint32_t> sizeField = std::nullopt;  // default: the file length minus 8
};

inline Bytes RiffBytes(const std::vector<RiffChunk>& chunks, const RiffOptions& options = {}) {
  Bytes out;
  const auto appendId = [&out](const std::string& id) {
    for (std::size_t i = 0; i < 4; ++i) out.push_back(static_cast<std::byte>(i < id.size() ? id[i] : ' '));
  };
  appendId(options.header);
  AppendLe(out, 0);
  appendId(options.form);
  for (const auto& chunk : chunks) {
    appendId(chunk.id);
    AppendLe(out, chunk.declaredSize.value_or(static_cast<std::uint32_t>(chunk.data.size())));
    out.insert(out.end(), chunk.data.begin(), chunk.data.end());
    if (options.pad && chunk.data.size() % 2 != 0) out.push_back(std::byte{0});
  }
  SetLe(out, 4, options.sizeField.value_or(static_cast<std::uint32_t>(out.size() - 8)));
  return out;
}

// A 16-byte PCM format record; block align and byte rate follow from the other figures.
inline Bytes PcmFormat(int channels, int sampleRate, int bitsPerSample, unsigned formatTag = 1) {
  const int blockAlign = channels * ((bitsPerSample + 7) / 8);
  Bytes out;
  AppendLe(out, formatTag, 2);
  AppendLe(out, static_cast<std::uint32_t>(channels), 2);
  AppendLe(out, static_cast<std::uint32_t>(sampleRate));
  AppendLe(out, static_cast<std::uint32_t>(sampleRate * blockAlign));
  AppendLe(out, static_cast<std::uint32_t>(blockAlign), 2);
  AppendLe(out, static_cast<std::uint32_t>(bitsPerSample), 2);
  return out;
}

// A PCM wave file of "fmt " and "data" only, as Save As writes it.
inline Bytes PcmWave(const Bytes& data, int channels = 2, int sampleRate = 44100, int bits = 16,
                     const RiffOptions& options = {}) {
  return RiffBytes({{"fmt ", PcmFormat(channels, sampleRate, bits)}, {"data", data}}, options);
}

inline void WriteBytes(const std::filesystem::path& path, std::span<const std::byte> bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

inline Bytes ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  Bytes bytes(in ? std::filesystem::file_size(path) : 0);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())))
    throw std::runtime_error("cannot read " + path.string());
  return bytes;
}

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tactoria-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }

  const std::filesystem::path& path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }
  // The sorted names in the folder, for checking that nothing was left behind.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::filesystem::path path_;
};

}  // namespace tactoria::testing
