#pragma once

#include <cstdint>
#include <string>

namespace tactoria {

// Four-character codes as the little-endian 32-bit values stored in RIFF files.
constexpr std::uint32_t FourCC(const char (&code)[5]) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(code[0])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(code[1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(code[2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(code[3])) << 24;
}

inline constexpr std::uint32_t kRiffId = FourCC("RIFF");
inline constexpr std::uint32_t kRiffIdLower = FourCC("riff");
inline constexpr std::uint32_t kWaveId = FourCC("WAVE");
inline constexpr std::uint32_t kWaveIdLower = FourCC("wave");
inline constexpr std::uint32_t kFmtId = FourCC("fmt ");
inline constexpr std::uint32_t kFmtIdUpper = FourCC("FMT ");
inline constexpr std::uint32_t kDataId = FourCC("data");
inline constexpr std::uint32_t kDataIdUpper = FourCC("DATA");

// The code as text, with bytes outside printable ASCII shown as '?'.
std::string FourCCText(std::uint32_t code);

}  // namespace tactoria
