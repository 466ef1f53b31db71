#include "process/render_plan.h"

#include <algorithm>
#include <array>
#include <limits>

#include "process/frame_choice.h"
#include "process/frame_copy.h"
#include "wave/block_copy.h"

namespace tactoria {
namespace {

// Sizes and offsets in a wave file are 32-bit signed, so no result may reach 2^31 bytes.
constexpr std::int64_t kMaxBytes = std::int64_t{1} << 31;
// Frames whose source indices are worked out in one go: small enough to stay in the first-level cache.
constexpr std::int64_t kBlockFrames = 2048;

}  // namespace

std::variant<RenderPlan, RenderFailure> RenderPlan::Make(std::int64_t sourceBytes, const WaveFormat& format,
                                                         const RenderSettings& settings) {
  RenderPlan plan;
  const std::int64_t align = format.blockAlign;
  plan.align_ = align;
  if (settings.newFrames) {
    const std::int64_t newFrames = *settings.newFrames;
    if (align < 1 || newFrames < 1 || sourceBytes < align) return RenderFailure::LengthChange;
    plan.bytes_ = newFrames * align;
    if (plan.bytes_ >= kMaxBytes) return RenderFailure::LengthChange;
    plan.lastSource_ = sourceBytes / align - 1;
    plan.lastResult_ = newFrames - 1;
    plan.resample_ = plan.lastSource_ != plan.lastResult_;
  } else {
    // An empty data chunk is a copy of 0 bytes, which fails as an allocation.
    if (sourceBytes < 1) return RenderFailure::CopyMemory;
    plan.bytes_ = sourceBytes;
  }
  plan.frames_ = align >= 1 ? plan.bytes_ / align : 0;

  if (settings.phaserValue) {
    const std::int64_t offset = PhaserOffset(*settings.phaserValue, format.blockAlign);
    if (offset < 1 || align < 1) return RenderFailure::Phaser;
    const std::int64_t last = plan.frames_ - offset;
    // With D = 1 every odd frame would take itself.
    if (last >= 1 && offset != 1) {
      plan.phaserOffset_ = offset;
      plan.phaserLast_ = last;
    }
  }
  if (settings.reverse) {
    if (align < 1) return RenderFailure::Reverse;
    plan.reverse_ = plan.frames_ >= 2;
  }
  return plan;
}

std::int64_t RenderPlan::SourceFrame(std::int64_t outputFrame) const {
  const std::int64_t r = reverse_ ? frames_ - 1 - outputFrame : outputFrame;
  std::int64_t frame;
  SourceFrames(r, 1, &frame);
  return frame;
}

std::pair<std::int64_t, std::int64_t> RenderPlan::SourceBytes(std::int64_t outputByteOffset,
                                                              std::int64_t length) const {
  if (length <= 0) return {0, 0};
  const std::int64_t end = outputByteOffset + length;
  const std::int64_t frameBytes = frames_ * align_;
  std::int64_t low = std::numeric_limits<std::int64_t>::max(), high = 0;
  if (end > frameBytes) {
    // Bytes after the last whole frame map onto themselves.
    low = std::max(outputByteOffset, frameBytes);
    high = end;
  }
  if (outputByteOffset < frameBytes) {
    const std::int64_t first = outputByteOffset / align_;
    const std::int64_t last = (std::min(end, frameBytes) - 1) / align_;
    const std::int64_t from = reverse_ ? frames_ - 1 - last : first;
    const std::int64_t to = reverse_ ? frames_ - 1 - first : last;
    // Positions take source frames in order; the phaser takes frames at most D positions on.
    const auto plain = [&](std::int64_t position) {
      return resample_ ? FrameChooser(lastSource_, lastResult_, position).Next() : position;
    };
    low = std::min(low, plain(from) * align_);
    high = std::max(high, (plain(std::min(to + phaserOffset_, frames_ - 1)) + 1) * align_);
  }
  return {low, high};
}

void RenderPlan::SourceFrames(std::int64_t r, std::int64_t count, std::int64_t* out) const {
  const std::int64_t end = r + count;
  const std::int64_t d = phaserOffset_;
  if (!resample_) {
    for (std::int64_t p = r; p < end; ++p)
      *out++ = (d != 0 && (p & 1) != 0 && p <= phaserLast_) ? p + d - 1 : p;
    return;
  }
  FrameChooser plain(lastSource_, lastResult_, r);
  if (d == 0 || r > phaserLast_) {
    for (std::int64_t p = r; p < end; ++p) *out++ = plain.Next();
    return;
  }
  // Odd positions within the phaser's reach take the frame D - 1 further on: a second walk, D - 1
  // ahead of the first, gives those.
  FrameChooser ahead(lastSource_, lastResult_, r + d - 1);
  for (std::int64_t p = r; p < end; ++p) {
    const std::int64_t own = plain.Next();
    if (p > phaserLast_) {
      *out++ = own;
      continue;
    }
    const std::int64_t moved = ahead.Next();
    *out++ = (p & 1) != 0 ? moved : own;
  }
}

void RenderPlan::GatherFrames(const std::byte* source, std::int64_t first, std::int64_t count,
                              std::byte* out) const {
  const auto align = static_cast<std::size_t>(align_);
  if (Identity()) {
    vbmovsb(out, source + static_cast<std::size_t>(first) * align, static_cast<std::size_t>(count) * align);
    return;
  }
  if (!resample_ && phaserOffset_ == 0) {
    // The reverse alone: one walk backwards through the source.
    WithFrameCopy(align, [&](auto copy) {
      const std::byte* from = source + static_cast<std::size_t>(frames_ - 1 - first) * align;
      for (std::int64_t i = 0; i < count; ++i, out += align, from -= align) copy(out, from);
    });
    return;
  }
  if (phaserOffset_ == 0) {
    // The length change, reversed or not: one walk of the frame choice straight into the output.
    WithFrameCopy(align, [&](auto copy) {
      FrameChooser chooser(lastSource_, lastResult_, reverse_ ? frames_ - first - count : first);
      if (reverse_) {
        for (auto i = static_cast<std::size_t>(count); i-- > 0;)
          copy(out + i * align, source + static_cast<std::size_t>(chooser.Next()) * align);
      } else {
        for (std::int64_t i = 0; i < count; ++i, out += align)
          copy(out, source + static_cast<std::size_t>(chooser.Next()) * align);
      }
    });
    return;
  }
  std::array<std::int64_t, kBlockFrames> index;
  WithFrameCopy(align, [&](auto copy) {
    for (std::int64_t done = 0; done < count;) {
      const std::int64_t n = std::min(kBlockFrames, count - done);
      const std::int64_t k = first + done;
      if (reverse_) {
        // Output frames k .. k + n - 1 are positions frames - k - n .. frames - 1 - k, backwards.
        SourceFrames(frames_ - k - n, n, index.data());
        for (std::int64_t i = 0; i < n; ++i, out += align)
          copy(out, source + static_cast<std::size_t>(index[static_cast<std::size_t>(n - 1 - i)]) * align);
      } else {
        SourceFrames(k, n, index.data());
        for (std::int64_t i = 0; i < n; ++i, out += align)
          copy(out, source + static_cast<std::size_t>(index[static_cast<std::size_t>(i)]) * align);
      }
      done += n;
    }
  });
}

void RenderPlan::Gather(std::span<const std::byte> source, std::int64_t outputByteOffset,
                        std::span<std::byte> dest) const {
  std::int64_t position = outputByteOffset;
  std::byte* out = dest.data();
  auto left = static_cast<std::int64_t>(dest.size());
  const std::int64_t frameBytes = frames_ * align_;
  while (left > 0) {
    if (position >= frameBytes) {
      // Bytes after the last whole frame are never moved by any step.
      vbmovsb(out, source.data() + position, static_cast<std::size_t>(left));
      return;
    }
    const std::int64_t frame = position / align_;
    const std::int64_t within = position % align_;
    std::int64_t n;
    if (within != 0 || left < align_) {
      n = std::min(align_ - within, left);
      vbmovsb(out, source.data() + SourceFrame(frame) * align_ + within, static_cast<std::size_t>(n));
    } else {
      const std::int64_t count = std::min(left / align_, frames_ - frame);
      GatherFrames(source.data(), frame, count, out);
      n = count * align_;
    }
    out += n;
    position += n;
    left -= n;
  }
}

}  // namespace tactoria
