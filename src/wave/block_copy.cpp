#include "block_copy.h"

#include <cstring>

namespace tactoria {

void vbmovsb(void* destination, const void* source, std::size_t count) {
  // memmove with a null pointer is undefined even for zero bytes, and empty buffers have none.
  if (count == 0) return;
  std::memmove(destination, source, count);
}

}  // namespace tactoria
