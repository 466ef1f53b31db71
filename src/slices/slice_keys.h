#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tactoria {

// Slice k (0-based) plays on key kFirstSliceKey + k, at its own pitch; keys end at 127.
inline constexpr int kFirstSliceKey = 36;  // C1
inline constexpr int kLastKey = 127;
inline constexpr std::size_t kMaxKeyedSlices = kLastKey - kFirstSliceKey + 1;  // 92

inline int SliceKey(std::size_t k) {
  return kFirstSliceKey + static_cast<int>(k);
}

// The refusal for more slices than keys, or none. `keyedFiles` names the choices that map slices
// to keys, as the user gave them.
inline std::optional<std::string> CheckSliceKeys(std::size_t slices,
                                                 std::string_view keyedFiles = "--sfz, --sf2 and --midi") {
  if (slices <= kMaxKeyedSlices) return std::nullopt;
  return "The sound has " + std::to_string(slices) + " slices, but only " + std::to_string(kMaxKeyedSlices) +
         " keys from 36 (C1) to 127 can take one each. Cut fewer slices, or leave out " +
         std::string(keyedFiles) + ".";
}

}  // namespace tactoria
