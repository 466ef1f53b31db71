#include "process/rendered_output.h"

namespace tactoria {

WaveOutput RenderedOutput(const vbMediaFile& wave, const WaveFormat& format, const RenderPlan& plan,
                          std::span<const std::byte> source) {
  WaveOutput output;
  output.fileHeader = wave.FileHeader();
  output.fileType = wave.FileType();
  output.format = format;
  output.dataBytes = plan.bytes();
  output.data = [plan, source](std::int64_t offset, std::span<std::byte> dest) {
    plan.Gather(source, offset, dest);
  };
  return output;
}

}  // namespace tactoria
