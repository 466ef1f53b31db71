#include "process/sound_routines.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "process/frame_choice.h"
#include "process/frame_copy.h"
#include "wave/block_copy.h"

namespace tactoria {
namespace {

// Sizes and offsets in a wave file are 32-bit signed, so no result may reach 2^31 bytes.
constexpr std::int64_t kMaxBytes = std::int64_t{1} << 31;

template <typename Copy>
void PickFrames(const std::byte* from, std::byte* to, std::int64_t lastSource, std::int64_t lastResult,
                Copy copy) {
  const std::size_t n = copy.size();
  FrameChooser chooser(lastSource, lastResult);
  for (std::int64_t i = 0; i <= lastResult; ++i, to += n) {
    copy(to, from + static_cast<std::size_t>(chooser.Next()) * n);
  }
}

// Reverses the order of the Lane-byte lanes of an 8-byte word (the same in memory whatever the
// byte order of the machine, since lanes move whole).
template <std::size_t Lane>
std::uint64_t ReverseLanes(std::uint64_t x) {
  if constexpr (Lane == 1) {
    return __builtin_bswap64(x);
  } else if constexpr (Lane == 2) {
    x = (x >> 32) | (x << 32);
    return ((x & 0xFFFF0000FFFF0000ull) >> 16) | ((x & 0x0000FFFF0000FFFFull) << 16);
  } else if constexpr (Lane == 4) {
    return (x >> 32) | (x << 32);
  } else {
    static_assert(Lane == 8);
    return x;
  }
}

std::uint64_t Load8(const std::byte* p) {
  std::uint64_t x;
  std::memcpy(&x, p, 8);
  return x;
}

void Store8(std::byte* p, std::uint64_t x) {
  std::memcpy(p, &x, 8);
}

// Reverses `blocks` blocks of B bytes (B divides 8) 16 bytes from each end at a time.
template <std::size_t B>
void ReverseSmallBlocks(std::byte* data, std::size_t blocks) {
  std::byte* lo = data;
  std::byte* hi = data + blocks * B;
  while (hi - lo >= 32) {
    hi -= 16;
    const std::uint64_t a0 = Load8(lo), a1 = Load8(lo + 8);
    const std::uint64_t b0 = Load8(hi), b1 = Load8(hi + 8);
    Store8(lo, ReverseLanes<B>(b1));
    Store8(lo + 8, ReverseLanes<B>(b0));
    Store8(hi, ReverseLanes<B>(a1));
    Store8(hi + 8, ReverseLanes<B>(a0));
    lo += 16;
  }
  // What is left in the middle is a run of whole blocks centred in the buffer.
  while (hi - lo >= static_cast<std::ptrdiff_t>(2 * B)) {
    hi -= B;
    std::swap_ranges(lo, lo + B, hi);
    lo += B;
  }
}

// Block sizes known when compiling swap through two small temporaries.
template <std::size_t B>
void ReverseFixedBlocks(std::byte* data, std::size_t blocks) {
  for (std::byte *lo = data, *hi = data + (blocks - 1) * B; lo < hi; lo += B, hi -= B) {
    std::byte a[B], b[B];
    vbmovsb(a, lo, B);
    vbmovsb(b, hi, B);
    vbmovsb(lo, b, B);
    vbmovsb(hi, a, B);
  }
}

void ReverseAnyBlocks(std::byte* data, std::size_t blocks, std::size_t blockSize) {
  for (std::size_t lo = 0, hi = blocks - 1; lo < hi; ++lo, --hi) {
    std::swap_ranges(data + lo * blockSize, data + (lo + 1) * blockSize, data + hi * blockSize);
  }
}

}  // namespace

std::int64_t ReferenceFrameChoice(std::int64_t lastSourceFrame, std::int64_t lastResultFrame,
                                  std::int64_t i) {
  if (i <= 0 || lastResultFrame <= 0) return 0;
  const double q = static_cast<double>(lastResultFrame) / static_cast<double>(i);
  const double r = static_cast<double>(lastSourceFrame) / q;
  return static_cast<std::int64_t>(std::rint(r));  // default rounding: halves to even
}

bool ChangeSoundLength(std::span<const std::byte> source, std::int16_t blockAlign, std::int32_t newFrames,
                       ByteBuffer& result) {
  if (blockAlign < 1 || newFrames < 1 || source.size() < static_cast<std::size_t>(blockAlign)) return false;
  const std::int64_t resultBytes = std::int64_t{newFrames} * blockAlign;
  if (resultBytes >= kMaxBytes) return false;
  auto buffer = ByteBuffer::Allocate(static_cast<std::size_t>(resultBytes));
  if (!buffer) return false;

  const auto align = static_cast<std::size_t>(blockAlign);
  const auto lastSource = static_cast<std::int64_t>(source.size() / align) - 1;
  const std::int64_t lastResult = newFrames - 1;
  if (lastSource == lastResult) {
    // Every frame maps onto itself.
    vbmovsb(buffer->data(), source.data(), static_cast<std::size_t>(resultBytes));
  } else {
    WithFrameCopy(
        align, [&](auto copy) { PickFrames(source.data(), buffer->data(), lastSource, lastResult, copy); });
  }
  result = std::move(*buffer);
  return true;
}

bool SetPhaser(std::span<std::byte> buffer, const WaveFormat& format, std::int32_t offsetFrames) {
  if (offsetFrames < 1 || format.blockAlign < 1) return false;
  const auto align = static_cast<std::size_t>(format.blockAlign);
  // Whole frames only: a trailing part frame is never read, so frame j + D - 1 <= frames - 1.
  const auto frames = static_cast<std::int64_t>(buffer.size() / align);
  const std::int64_t last = frames - offsetFrames;
  // With D = 1 every odd frame would be copied onto itself.
  if (last < 1 || offsetFrames == 1) return true;

  const std::size_t shift = static_cast<std::size_t>(offsetFrames - 1) * align;
  WithFrameCopy(align, [&](auto copy) {
    std::byte* to = buffer.data() + align;
    // Every read lies ahead of every write so far: forward order equals an out-of-place copy.
    for (std::int64_t j = 1; j <= last; j += 2, to += 2 * align) copy(to, to + shift);
  });
  return true;
}

bool ReverseSample(std::span<std::byte> buffer, std::int16_t blockSize) {
  if (blockSize < 1) return false;
  const auto size = static_cast<std::size_t>(blockSize);
  const std::size_t blocks = buffer.size() / size;
  if (blocks < 2) return true;
  switch (size) {
    case 1:
      ReverseSmallBlocks<1>(buffer.data(), blocks);
      break;
    case 2:
      ReverseSmallBlocks<2>(buffer.data(), blocks);
      break;
    case 4:
      ReverseSmallBlocks<4>(buffer.data(), blocks);
      break;
    case 8:
      ReverseSmallBlocks<8>(buffer.data(), blocks);
      break;
    case 3:
      ReverseFixedBlocks<3>(buffer.data(), blocks);
      break;
    case 6:
      ReverseFixedBlocks<6>(buffer.data(), blocks);
      break;
    default:
      ReverseAnyBlocks(buffer.data(), blocks, size);
      break;
  }
  return true;
}

bool MixSamples(std::span<std::byte> target, std::span<const std::byte> source, std::int16_t blockSize) {
  if (source.empty() || target.empty() || blockSize < 1) return false;
  const auto size = static_cast<std::size_t>(blockSize);
  // Only blocks that are whole in both buffers are copied.
  const std::size_t blocks = std::min(target.size(), source.size()) / size;
  WithFrameCopy(size, [&](auto copy) {
    for (std::size_t k = 0; k < blocks; k += 2) copy(target.data() + k * size, source.data() + k * size);
  });
  return true;
}

}  // namespace tactoria
