#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tactoria {

// An SFZ instrument with one region per slice file (names relative to the SFZ file's folder):
// slice k on key 36 + k at its own pitch, played once to its end whatever the note's length.
std::string SfzText(const std::vector<std::string>& sliceFiles);

}  // namespace tactoria
