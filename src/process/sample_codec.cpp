#include "process/sample_codec.h"

#include <cstring>

#include "process/time_stretch.h"

namespace tactoria {

SampleEncoding EncodingOf(const WaveFormat& format) {
  if (format.channels <= 0) return SampleEncoding::None;
  const int bytes = format.bitsPerSample / 8;
  if (format.bitsPerSample % 8 != 0 || format.blockAlign != format.channels * bytes)
    return SampleEncoding::None;
  if (format.formatTag == 3) return bytes == 4 ? SampleEncoding::Float32 : SampleEncoding::None;
  if (format.formatTag != 1) return SampleEncoding::None;
  switch (bytes) {
    case 1:
      return SampleEncoding::UInt8;
    case 2:
      return SampleEncoding::Int16;
    case 3:
      return SampleEncoding::Int24;
    case 4:
      return SampleEncoding::Int32;
    default:
      return SampleEncoding::None;
  }
}

bool DecodePlanes(const std::byte* pcm, std::size_t frames, const WaveFormat& format, float* const* planes) {
  const SampleEncoding encoding = EncodingOf(format);
  if (encoding == SampleEncoding::None) return false;
  const int channels = format.channels;
  if (encoding != SampleEncoding::Float32) {
    DecodeFrames(pcm, frames, channels, format.bitsPerSample / 8, planes);
    return true;
  }
  for (std::size_t frame = 0; frame < frames; ++frame) {
    for (int c = 0; c < channels; ++c) {
      std::memcpy(&planes[c][frame], pcm + (frame * static_cast<std::size_t>(channels) + c) * 4, 4);
    }
  }
  return true;
}

bool EncodePlanes(const float* const* planes, std::size_t frames, const WaveFormat& format, std::byte* pcm) {
  const SampleEncoding encoding = EncodingOf(format);
  if (encoding == SampleEncoding::None) return false;
  const int channels = format.channels;
  if (encoding != SampleEncoding::Float32) {
    EncodeFrames(planes, frames, channels, format.bitsPerSample / 8, pcm);
    return true;
  }
  for (std::size_t frame = 0; frame < frames; ++frame) {
    for (int c = 0; c < channels; ++c) {
      std::memcpy(pcm + (frame * static_cast<std::size_t>(channels) + c) * 4, &planes[c][frame], 4);
    }
  }
  return true;
}

}  // namespace tactoria
