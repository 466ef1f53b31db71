#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tactoria::testing {

using Bytes = std::vector<std::byte>;

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

}  // namespace tactoria::testing
