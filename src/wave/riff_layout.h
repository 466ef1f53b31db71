#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>

namespace tactoria {

// The fixed parts of a RIFF file: a 12-byte header, then chunks of an 8-byte header, the data
// and a zero pad byte after odd data.
inline constexpr std::uint64_t kRiffHeaderSize = 12;
inline constexpr std::uint64_t kChunkHeaderSize = 8;
// The size field holds the file length minus 8 in 32 bits.
inline constexpr std::uint64_t kMaxRiffLength = std::uint64_t{std::numeric_limits<std::uint32_t>::max()} + 8;
inline constexpr std::byte kPadByteValue{0};
inline constexpr std::span<const std::byte> kPadByte{&kPadByteValue, 1};

inline std::uint32_t LoadLe32(const std::byte* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

inline void StoreLe32(std::byte* bytes, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::byte>((value >> (8 * i)) & 0xFFu);
}

// The 12-byte header of a file `length` bytes long.
inline std::array<std::byte, kRiffHeaderSize> RiffHeader(std::uint32_t fileHeader, std::uint64_t length,
                                                         std::uint32_t fileType) {
  std::array<std::byte, kRiffHeaderSize> header;
  StoreLe32(header.data(), fileHeader);
  StoreLe32(header.data() + 4, static_cast<std::uint32_t>(length - 8));
  StoreLe32(header.data() + 8, fileType);
  return header;
}

inline std::array<std::byte, kChunkHeaderSize> ChunkHeader(std::uint32_t typeId, std::uint64_t size) {
  std::array<std::byte, kChunkHeaderSize> header;
  StoreLe32(header.data(), typeId);
  StoreLe32(header.data() + 4, static_cast<std::uint32_t>(size));
  return header;
}

}  // namespace tactoria
