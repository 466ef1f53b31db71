#include "process/time_stretch.h"

#include "process/sample_codec.h"

#include <rubberband/RubberBandStretcher.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <vector>

namespace tactoria {
namespace {

using RubberBand::RubberBandStretcher;

// Frames handed to the stretcher per call, and the size of the float scratch planes.
constexpr std::size_t kBlockFrames = 4096;

double FullScale(int bytesPerSample) {
  return std::ldexp(1.0, 8 * bytesPerSample - 1);
}

float DecodeSample(const std::byte* p, int bytesPerSample) {
  const auto b = [p](int k) { return static_cast<std::uint32_t>(p[k]); };
  switch (bytesPerSample) {
    case 1:
      return static_cast<float>(static_cast<int>(b(0)) - 128) / 128.0f;
    case 2:
      return static_cast<float>(static_cast<std::int16_t>(b(0) | b(1) << 8)) / 32768.0f;
    case 3: {
      // Sign-extend the 24-bit value from the top byte.
      const std::int32_t value = static_cast<std::int32_t>((b(0) << 8 | b(1) << 16 | b(2) << 24)) >> 8;
      return static_cast<float>(value) / 8388608.0f;
    }
    default:
      return static_cast<float>(
          static_cast<double>(static_cast<std::int32_t>(b(0) | b(1) << 8 | b(2) << 16 | b(3) << 24)) /
          2147483648.0);
  }
}

void EncodeSample(float sample, int bytesPerSample, std::byte* p) {
  const double scale = FullScale(bytesPerSample);
  double value = std::nearbyint(static_cast<double>(sample) * scale);  // nearest, halves to even
  if (std::isnan(value)) value = 0;
  value = std::clamp(value, -scale, scale - 1);  // clipped, never wrapped
  auto bits = static_cast<std::uint32_t>(static_cast<std::int64_t>(value));
  if (bytesPerSample == 1) bits += 128;  // unsigned, silence at 128
  for (int k = 0; k < bytesPerSample; ++k) p[k] = static_cast<std::byte>(bits >> (8 * k) & 0xFF);
}

RubberBandStretcher::Options EngineOptions(StretchEngine engine) {
  // Offline, so the whole sound is studied first and the output has an exact start and length.
  // One thread: a render runs beside the rest of the program on a small machine. Channels
  // together keep a stereo image (and the hits on every channel) aligned.
  RubberBandStretcher::Options options = RubberBandStretcher::OptionProcessOffline |
                                         RubberBandStretcher::OptionThreadingNever |
                                         RubberBandStretcher::OptionChannelsTogether;
  if (engine == StretchEngine::Finer) return options | RubberBandStretcher::OptionEngineFiner;
  if (engine == StretchEngine::FinerShortWindow) {
    return options | RubberBandStretcher::OptionEngineFiner | RubberBandStretcher::OptionWindowShort;
  }
  // R2: phase reset at every transient peak, found by the compound detector; laminar phase for
  // the sustained parts between hits.
  return options | RubberBandStretcher::OptionEngineFaster | RubberBandStretcher::OptionTransientsCrisp |
         RubberBandStretcher::OptionDetectorCompound | RubberBandStretcher::OptionPhaseLaminar |
         RubberBandStretcher::OptionWindowStandard | RubberBandStretcher::OptionSmoothingOff;
}

// The float planes of one block, owned together.
struct Planes {
  std::vector<std::vector<float>> storage;
  std::vector<float*> pointers;

  Planes(int channels, std::size_t frames) : storage(static_cast<std::size_t>(channels)) {
    for (auto& plane : storage) {
      plane.resize(frames);
      pointers.push_back(plane.data());
    }
  }
};

class Stretch {
 public:
  Stretch(std::span<const std::byte> source, const WaveFormat& format, std::int32_t newFrames,
          StretchEngine engine, int bytesPerSample, ByteBuffer& output, const StretchControl* control)
      : control_(control),
        source_(source),
        format_(format),
        align_(static_cast<std::size_t>(format.blockAlign)),
        channels_(format.channels),
        bytes_(bytesPerSample),
        sourceFrames_(source.size() / align_),
        newFrames_(static_cast<std::size_t>(newFrames)),
        output_(output),
        in_(channels_, kBlockFrames),
        out_(channels_, kBlockFrames),
        stretcher_(static_cast<std::size_t>(format.sampleRate), static_cast<std::size_t>(channels_),
                   EngineOptions(engine),
                   static_cast<double>(newFrames) / static_cast<double>(sourceFrames_)) {
    stretcher_.setMaxProcessSize(kBlockFrames);
    // Each processing call is kept to about a block of output, so that the stretcher's own buffers
    // need not grow when it lengthens the sound many times.
    const double ratio = static_cast<double>(newFrames) / static_cast<double>(sourceFrames_);
    processFrames_ =
        std::clamp(static_cast<std::size_t>(static_cast<double>(kBlockFrames) / std::max(1.0, ratio)),
                   std::size_t{256}, kBlockFrames);
  }

  // False when cancelled.
  bool Run() {
    for (std::size_t at = 0; at < sourceFrames_; at += kBlockFrames) {
      if (!Report(kStudyShare * static_cast<double>(at) / static_cast<double>(sourceFrames_))) return false;
      const std::size_t frames = Decode(at);
      stretcher_.study(in_.pointers.data(), frames, at + frames >= sourceFrames_);
    }
    for (std::size_t at = 0; at < sourceFrames_; at += processFrames_) {
      if (!Report(kStudyShare +
                  (1 - kStudyShare) * static_cast<double>(at) / static_cast<double>(sourceFrames_)))
        return false;
      const std::size_t frames = Decode(at, processFrames_);
      stretcher_.process(in_.pointers.data(), frames, at + frames >= sourceFrames_);
      Drain();
    }
    Drain();
    // Whatever the stretcher fell short of is silence.
    for (auto& plane : out_.storage) std::fill(plane.begin(), plane.end(), 0.0f);
    while (written_ < newFrames_) Encode(std::min(kBlockFrames, newFrames_ - written_));
    return Report(1.0);
  }

 private:
  std::size_t Decode(std::size_t at, std::size_t most = kBlockFrames) {
    const std::size_t frames = std::min(most, sourceFrames_ - at);
    if (format_.formatTag == 3) {
      DecodePlanes(source_.data() + at * align_, frames, format_, in_.pointers.data());
    } else {
      DecodeFrames(source_.data() + at * align_, frames, channels_, bytes_, in_.pointers.data());
    }
    return frames;
  }

  // Takes what the stretcher has ready; frames beyond the new length are dropped.
  void Drain() {
    for (int ready = stretcher_.available(); ready > 0; ready = stretcher_.available()) {
      const std::size_t frames =
          stretcher_.retrieve(out_.pointers.data(), std::min(kBlockFrames, static_cast<std::size_t>(ready)));
      if (frames == 0) break;
      Encode(std::min(frames, newFrames_ - written_));
    }
  }

  void Encode(std::size_t frames) {
    if (frames == 0) return;
    if (format_.formatTag == 3) {
      EncodePlanes(out_.pointers.data(), frames, format_, output_.data() + written_ * align_);
    } else {
      EncodeFrames(out_.pointers.data(), frames, channels_, bytes_, output_.data() + written_ * align_);
    }
    written_ += frames;
  }

  // The study pass is a small part of the work; the processing pass is the rest.
  static constexpr double kStudyShare = 0.1;

  bool Report(double done) const {
    if (!control_) return true;
    if (control_->cancel && control_->cancel->load(std::memory_order_relaxed)) return false;
    if (control_->progress) control_->progress(done);
    return true;
  }

  const StretchControl* control_;
  std::span<const std::byte> source_;
  WaveFormat format_;
  std::size_t align_;
  int channels_;
  int bytes_;
  std::size_t sourceFrames_;
  std::size_t newFrames_;
  ByteBuffer& output_;
  std::size_t written_ = 0;
  std::size_t processFrames_ = kBlockFrames;
  Planes in_;
  Planes out_;
  RubberBandStretcher stretcher_;
};

}  // namespace

int StretchSampleBytes(const WaveFormat& format) {
  if (format.formatTag == 3) return EncodingOf(format) == SampleEncoding::Float32 ? 4 : 0;
  if (format.channels < 1 || format.blockAlign < 1 || format.blockAlign % format.channels != 0) return 0;
  const int bytes = format.blockAlign / format.channels;
  if (bytes < 1 || bytes > 4 || format.bitsPerSample < 1 || format.bitsPerSample > 8 * bytes) return 0;
  return bytes;
}

void DecodeFrames(const std::byte* pcm, std::size_t frames, int channels, int bytesPerSample,
                  float* const* planes) {
  for (std::size_t i = 0; i < frames; ++i) {
    for (int ch = 0; ch < channels; ++ch) {
      planes[ch][i] = DecodeSample(pcm, bytesPerSample);
      pcm += bytesPerSample;
    }
  }
}

void EncodeFrames(const float* const* planes, std::size_t frames, int channels, int bytesPerSample,
                  std::byte* pcm) {
  for (std::size_t i = 0; i < frames; ++i) {
    for (int ch = 0; ch < channels; ++ch) {
      EncodeSample(planes[ch][i], bytesPerSample, pcm);
      pcm += bytesPerSample;
    }
  }
}

StretchResult StretchKeepingPitch(std::span<const std::byte> source, const WaveFormat& format,
                                  std::int32_t newFrames, StretchEngine engine,
                                  const StretchControl* control) {
  StretchResult result;
  const int bytesPerSample = StretchSampleBytes(format);
  if (bytesPerSample == 0 || format.sampleRate < 1) {
    result.failure = StretchFailure::UnsupportedFormat;
    return result;
  }
  const auto align = static_cast<std::size_t>(format.blockAlign);
  if (newFrames < 1 || source.size() < align) {
    result.failure = StretchFailure::StretcherError;
    return result;
  }
  // Byte sizes stay below 2^31, as for every other working buffer.
  const std::uint64_t size = static_cast<std::uint64_t>(newFrames) * align;
  if (size > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
    result.failure = StretchFailure::OutOfMemory;
    return result;
  }
  const double ratio = static_cast<double>(newFrames) / static_cast<double>(source.size() / align);
  if (ratio < kMinStretchRatio || ratio > kMaxStretchRatio) {
    result.failure = StretchFailure::RatioOutOfRange;
    return result;
  }
  std::optional<ByteBuffer> output = ByteBuffer::Allocate(static_cast<std::size_t>(size));
  if (!output) {
    result.failure = StretchFailure::OutOfMemory;
    return result;
  }
  // The library allocates with new and may throw; nothing of it leaves this function.
  try {
    Stretch stretch(source, format, newFrames, engine, bytesPerSample, *output, control);
    if (!stretch.Run()) {
      result.failure = StretchFailure::Cancelled;
      return result;
    }
  } catch (const std::bad_alloc&) {
    result.failure = StretchFailure::OutOfMemory;
    return result;
  } catch (...) {
    result.failure = StretchFailure::StretcherError;
    return result;
  }
  result.buffer = std::move(*output);
  return result;
}

}  // namespace tactoria
