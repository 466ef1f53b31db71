#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tactoria {

// The byte length of one beat when `size` bytes of whole frames are cut into `count` parts:
// size / count with the fraction dropped, then cut down to whole frames of `blockAlign` bytes.
// 0 when count or blockAlign is below 1.
std::int64_t BeatLength(std::int64_t size, std::int64_t count, std::int16_t blockAlign);

// The base path of a span: `path` with every ".wav" (exact lower case) removed from its file
// name; the folders keep theirs.
std::string SpanBasePath(std::string_view path);

// The file of beat n (1-based): base + "[" + n + "]" + ".wav".
std::string BeatFileName(std::string_view base, int n);

}  // namespace tactoria
