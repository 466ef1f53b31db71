#pragma once

#include <cstddef>

#include "wave/block_copy.h"

namespace tactoria {

// A frame copy whose size is known when compiling, so that it becomes a few plain moves.
template <std::size_t N>
struct FixedCopy {
  static constexpr std::size_t size() { return N; }
  void operator()(std::byte* to, const std::byte* from) const { vbmovsb(to, from, N); }
};

struct AnyCopy {
  std::size_t n;
  std::size_t size() const { return n; }
  void operator()(std::byte* to, const std::byte* from) const { vbmovsb(to, from, n); }
};

// Runs `work` with the copy that suits frames of `align` bytes.
template <typename Work>
void WithFrameCopy(std::size_t align, Work&& work) {
  switch (align) {
    case 1:
      return work(FixedCopy<1>{});
    case 2:
      return work(FixedCopy<2>{});
    case 3:
      return work(FixedCopy<3>{});
    case 4:
      return work(FixedCopy<4>{});
    case 6:
      return work(FixedCopy<6>{});
    case 8:
      return work(FixedCopy<8>{});
    default:
      return work(AnyCopy{align});
  }
}

}  // namespace tactoria
