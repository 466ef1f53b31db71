#include "analysis/acid_tempo.h"

#include <bit>
#include <cmath>

#include "wave/four_cc.h"

namespace tactoria {
namespace {

std::uint32_t Le(std::span<const std::byte> bytes, std::size_t at, int width) {
  std::uint32_t value = 0;
  for (int i = 0; i < width; ++i) value |= std::to_integer<std::uint32_t>(bytes[at + i]) << (8 * i);
  return value;
}

}  // namespace

std::optional<AcidInfo> ReadAcidChunk(std::span<const std::byte> bytes) {
  if (bytes.size() < kAcidChunkSize) return std::nullopt;
  AcidInfo info;
  info.flags = Le(bytes, 0, 4);
  info.rootNote = static_cast<int>(Le(bytes, 4, 2));
  info.beats = Le(bytes, 12, 4);
  info.meterDenominator = static_cast<int>(Le(bytes, 16, 2));
  info.meterNumerator = static_cast<int>(Le(bytes, 18, 2));
  info.tempo = std::bit_cast<float>(Le(bytes, 20, 4));
  return info;
}

std::optional<AcidInfo> FindAcidChunk(const vbMediaFile& file) {
  for (int i = 1; i <= file.Count(); ++i) {
    if (file.TypeId(i) != FourCC("acid") || file.Size(i) < static_cast<std::int32_t>(kAcidChunkSize))
      continue;
    const std::optional<AcidInfo> info = ReadAcidChunk(file.Item(i).bytes());
    if (info && std::isfinite(info->tempo) && info->tempo > 0.0f) return info;
  }
  return std::nullopt;
}

}  // namespace tactoria
