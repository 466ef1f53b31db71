#include "preview/file_tempo.h"

#include <bit>
#include <cmath>
#include <cstring>

#include "wave/four_cc.h"
#include "wave/media_file.h"

namespace tactoria {
namespace {

constexpr std::uint32_t kAcidId = FourCC("acid");
// The tempo is the little-endian 32-bit float at the end of the 24-byte chunk.
constexpr std::size_t kAcidTempoAt = 20;

}  // namespace

TempoOptions FileTempoOptions(const vbMediaFile& file) {
  TempoOptions options;
  options.fileName = file.FileName();
  for (int i = 1; i <= file.Count(); ++i) {
    if (file.TypeId(i) != kAcidId) continue;
    const std::span<const std::byte> bytes = file.Item(i).bytes();
    if (bytes.size() < kAcidTempoAt + 4) continue;
    std::uint32_t bits = 0;
    for (int k = 3; k >= 0; --k)
      bits = bits << 8 | static_cast<std::uint32_t>(bytes[kAcidTempoAt + static_cast<std::size_t>(k)]);
    const auto tempo = std::bit_cast<float>(bits);
    if (std::isfinite(tempo) && tempo > 0) {
      options.acidTempo = tempo;
      break;
    }
  }
  return options;
}

QString TempoText(const TempoEstimate& estimate) {
  return QStringLiteral("Tempo %1 bpm, %2/4 × %3 bar%4 (confidence %5, from the %6)")
      .arg(QString::number(estimate.bpm, 'g', 6))
      .arg(estimate.beats)
      .arg(estimate.bars)
      .arg(estimate.bars == 1 ? QString() : QStringLiteral("s"))
      .arg(estimate.confidence, 0, 'f', 2)
      .arg(QString::fromLatin1(TempoSourceName(estimate.source)));
}

}  // namespace tactoria
