#pragma once

#include <cstddef>

namespace tactoria {

// The one block copy through which byte moves between buffers go. Overlapping
// ranges are allowed and give the result of a copy through a temporary.
void vbmovsb(void* destination, const void* source, std::size_t count);

}  // namespace tactoria
