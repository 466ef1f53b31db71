#include "preview_sound.h"

#include <algorithm>
#include <cstring>

namespace tactoria {

std::variant<std::shared_ptr<const PreviewSound>, RenderFailure> PreviewSound::Render(
    const PreviewSource& source, const RenderSettings& settings) {
  static const ByteBuffer kEmpty;
  const ByteBuffer& data = source.data ? *source.data : kEmpty;
  RenderResult result = RenderNewSample(data.bytes(), source.format, settings);
  if (result.failure) return *result.failure;
  auto sound = std::shared_ptr<PreviewSound>(new PreviewSound);
  sound->format_ = source.format;
  sound->rendered_ = std::move(result.buffer);
  return std::shared_ptr<const PreviewSound>(std::move(sound));
}

std::shared_ptr<const PreviewSound> PreviewSound::Original(const PreviewSource& source) {
  auto sound = std::shared_ptr<PreviewSound>(new PreviewSound);
  sound->format_ = source.format;
  sound->source_ = source.data;
  return sound;
}

std::span<const std::byte> PreviewSound::Data() const {
  std::span<const std::byte> all = source_ ? source_->bytes() : rendered_.bytes();
  const std::size_t align = format_.blockAlign > 0 ? static_cast<std::size_t>(format_.blockAlign) : 1;
  return all.first(all.size() - all.size() % align);
}

void PreviewSound::Gather(std::int64_t byteOffset, std::span<std::byte> dest) const {
  const std::span<const std::byte> data = Data();
  if (byteOffset < 0 || byteOffset >= static_cast<std::int64_t>(data.size())) return;
  const std::size_t count = std::min(dest.size(), data.size() - static_cast<std::size_t>(byteOffset));
  std::memcpy(dest.data(), data.data() + byteOffset, count);
}

}  // namespace tactoria
