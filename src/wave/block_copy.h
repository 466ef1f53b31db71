#pragma once

#include <cstddef>
#include <cstring>

namespace tactoria {

// The one block copy through which byte moves between buffers go. Overlapping ranges are
// allowed and give the result of a copy through a temporary. Inline, so that a copy of a
// size known when compiling (one sample frame) becomes a few plain moves.
inline void vbmovsb(void* destination, const void* source, std::size_t count) {
  // memmove with a null pointer is undefined even for zero bytes, and empty buffers have none.
  if (count == 0) return;
  std::memmove(destination, source, count);
}

}  // namespace tactoria
