#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "wave/media_file.h"

namespace tactoria {

// The loop figures some editors store in an "acid" chunk of 24 bytes, little-endian: flags u32,
// root note u16, two unknown fields (u16, float32), beats u32, meter denominator u16, meter
// numerator u16, tempo float32.
struct AcidInfo {
  std::uint32_t flags = 0;
  int rootNote = 0;
  std::uint32_t beats = 0;  // beats in the whole loop
  int meterDenominator = 0;
  int meterNumerator = 0;
  float tempo = 0.0f;  // beats per minute
};

inline constexpr std::size_t kAcidChunkSize = 24;

// The figures of an "acid" chunk's bytes; none when fewer than 24 bytes are given.
std::optional<AcidInfo> ReadAcidChunk(std::span<const std::byte> bytes);

// The first "acid" chunk of `file` whose tempo is a finite number above 0; none otherwise.
std::optional<AcidInfo> FindAcidChunk(const vbMediaFile& file);

}  // namespace tactoria
