#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "process/render_plan.h"
#include "wave/media_file.h"
#include "wave/wave_output.h"

namespace tactoria {

// The output file of a render: the header ids of `wave`, the format record `format` and the
// data gathered by `plan` from `source` while it is written. `source` must outlive the output.
WaveOutput RenderedOutput(const vbMediaFile& wave, const WaveFormat& format, const RenderPlan& plan,
                          std::span<const std::byte> source);

}  // namespace tactoria
