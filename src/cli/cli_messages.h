#pragma once

// The window's texts for the same refusals come from the core; these are the tool's own.
#include "beats/shuffle_order.h"
#include "beats/span_beats.h"
#include "tempo/field_messages.h"
#include "wave/file_result.h"

namespace tactoria::cli {

inline constexpr const char* kShuffleNoBlocks =
    "The sound holds fewer frames than beats: the beats cannot be reordered.";
inline constexpr const char* kOutputExists = "already exists; use --force to replace it.";

}  // namespace tactoria::cli
