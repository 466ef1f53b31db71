#include "preview_sound.h"

#include <algorithm>
#include <cstring>

namespace tactoria {
namespace {

std::span<const std::byte> SourceBytes(const PreviewSource& source) {
  return source.data ? source.data->bytes() : std::span<const std::byte>{};
}

}  // namespace

std::variant<std::shared_ptr<const PreviewSound>, RenderFailure> PreviewSound::Render(
    const PreviewSource& source, const RenderSettings& settings, const StretchControl* control) {
  auto made = PlannedRender::Make(SourceBytes(source), source.format, settings, control);
  if (const auto* failure = std::get_if<RenderFailure>(&made)) return *failure;
  auto sound = std::shared_ptr<PreviewSound>(new PreviewSound);
  sound->source_ = source;
  sound->planned_.emplace(std::get<PlannedRender>(std::move(made)));
  sound->plan_ = &sound->planned_->plan();
  return std::shared_ptr<const PreviewSound>(std::move(sound));
}

std::shared_ptr<const PreviewSound> PreviewSound::Original(const PreviewSource& source) {
  auto sound = std::shared_ptr<PreviewSound>(new PreviewSound);
  sound->source_ = source;
  return sound;
}

std::int64_t PreviewSound::bytes() const {
  return plan_ ? plan_->bytes() : static_cast<std::int64_t>(SourceBytes(source_).size());
}

std::int64_t PreviewSound::frames() const {
  return format().blockAlign > 0 ? bytes() / format().blockAlign : 0;
}

void PreviewSound::Gather(std::int64_t byteOffset, std::span<std::byte> dest) const {
  const std::int64_t size = bytes();
  if (byteOffset < 0 || byteOffset >= size) return;
  dest = dest.first(static_cast<std::size_t>(
      std::min<std::int64_t>(static_cast<std::int64_t>(dest.size()), size - byteOffset)));
  if (plan_) {
    plan_->Gather(PlanSource(), byteOffset, dest);
  } else {
    std::memcpy(dest.data(), SourceBytes(source_).data() + byteOffset, dest.size());
  }
}

std::vector<std::byte> PreviewSound::Copy() const {
  std::vector<std::byte> all(static_cast<std::size_t>(bytes()));
  Gather(0, all);
  return all;
}

PeakSummary PreviewSound::Summarize(std::int64_t firstFrame, std::int64_t frameCount, int columns) const {
  const WaveFormat& fmt = format();
  if (!plan_) return SummarizePeaks(SourceBytes(source_), fmt, firstFrame, frameCount, columns);
  PeakSummary summary = SummarizePeaks({}, fmt, 0, 0, columns);
  if (summary.empty()) return summary;
  // The rendered frames of each column are gathered a block at a time and folded in.
  const std::int64_t align = fmt.blockAlign;
  const std::int64_t blockFrames = std::max<std::int64_t>(1, (1 << 20) / align);
  std::vector<std::byte> block(
      static_cast<std::size_t>(std::min(blockFrames, std::max<std::int64_t>(frameCount, 1)) * align));
  const std::int64_t total = frames();
  for (int column = 0; column < columns; ++column) {
    std::int64_t a =
        std::clamp<std::int64_t>(firstFrame + ColumnStart(frameCount, columns, column), 0, total);
    const std::int64_t b =
        std::clamp<std::int64_t>(firstFrame + ColumnStart(frameCount, columns, column + 1), 0, total);
    for (; a < b;) {
      const std::int64_t n = std::min(b - a, blockFrames);
      const std::span<std::byte> part(block.data(), static_cast<std::size_t>(n * align));
      plan_->Gather(PlanSource(), a * align, part);
      const PeakSummary piece = SummarizePeaks(part, fmt, 0, n, 1);
      // The first piece sets the column (float samples may lie beyond an empty column's 1 and -1).
      const bool first = !summary.HasFrames(column);
      for (int c = 0; c < fmt.channels; ++c) {
        summary.Set(c, column, first ? piece.Min(c, 0) : std::min(summary.Min(c, column), piece.Min(c, 0)),
                    first ? piece.Max(c, 0) : std::max(summary.Max(c, column), piece.Max(c, 0)));
      }
      a += n;
    }
  }
  return summary;
}

}  // namespace tactoria
