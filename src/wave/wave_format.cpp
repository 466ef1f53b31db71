#include "wave_format.h"

#include <algorithm>

namespace tactoria {
namespace {

std::uint32_t ReadLe(const std::array<std::byte, WaveFormat::kSize>& bytes, std::size_t offset,
                     std::size_t width) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < width; ++i) {
    value |= static_cast<std::uint32_t>(bytes[offset + i]) << (8 * i);
  }
  return value;
}

void WriteLe(std::array<std::byte, WaveFormat::kSize>& bytes, std::size_t offset, std::size_t width,
             std::uint32_t value) {
  for (std::size_t i = 0; i < width; ++i) {
    bytes[offset + i] = static_cast<std::byte>((value >> (8 * i)) & 0xFFu);
  }
}

}  // namespace

WaveFormat WaveFormat::FromBytes(std::span<const std::byte> bytes) {
  // A short record reads as if padded with zeros rather than reading past its end.
  std::array<std::byte, kSize> raw{};
  std::copy_n(bytes.begin(), std::min(bytes.size(), kSize), raw.begin());

  WaveFormat format;
  format.formatTag = static_cast<std::uint16_t>(ReadLe(raw, 0, 2));
  format.channels = static_cast<std::int16_t>(ReadLe(raw, 2, 2));
  format.sampleRate = static_cast<std::int32_t>(ReadLe(raw, 4, 4));
  format.avgBytesPerSec = static_cast<std::int32_t>(ReadLe(raw, 8, 4));
  format.blockAlign = static_cast<std::int16_t>(ReadLe(raw, 12, 2));
  format.bitsPerSample = static_cast<std::int16_t>(ReadLe(raw, 14, 2));
  return format;
}

std::array<std::byte, WaveFormat::kSize> WaveFormat::ToBytes() const {
  std::array<std::byte, kSize> raw{};
  WriteLe(raw, 0, 2, formatTag);
  WriteLe(raw, 2, 2, static_cast<std::uint16_t>(channels));
  WriteLe(raw, 4, 4, static_cast<std::uint32_t>(sampleRate));
  WriteLe(raw, 8, 4, static_cast<std::uint32_t>(avgBytesPerSec));
  WriteLe(raw, 12, 2, static_cast<std::uint16_t>(blockAlign));
  WriteLe(raw, 14, 2, static_cast<std::uint16_t>(bitsPerSample));
  return raw;
}

}  // namespace tactoria
