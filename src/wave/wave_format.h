#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tactoria {

// The 16-byte PCM format record held in a "fmt " chunk.
struct WaveFormat {
  static constexpr std::size_t kSize = 16;

  std::uint16_t formatTag = 0;  // 1 = PCM
  std::int16_t channels = 0;
  std::int32_t sampleRate = 0;
  std::int32_t avgBytesPerSec = 0;
  std::int16_t blockAlign = 0;
  std::int16_t bitsPerSample = 0;

  // Reads the first 16 bytes of `bytes`; `bytes` must hold at least kSize.
  static WaveFormat FromBytes(std::span<const std::byte> bytes);
  std::array<std::byte, kSize> ToBytes() const;

  friend bool operator==(const WaveFormat&, const WaveFormat&) = default;
};

}  // namespace tactoria
