#include "audio_feed.h"

#include <QMutexLocker>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace tactoria {
namespace {

// How the sound holds its samples.
enum class InSample { None, UInt8, Int16, Int24, Int32, Float };

InSample InSampleOf(const WaveFormat& format) {
  if (format.channels < 1 || format.sampleRate < 1) return InSample::None;
  InSample sample = InSample::None;
  if (format.formatTag == 3) {
    if (format.bitsPerSample == 32) sample = InSample::Float;
  } else {
    switch (format.bitsPerSample) {
      case 8:
        sample = InSample::UInt8;
        break;
      case 16:
        sample = InSample::Int16;
        break;
      case 24:
        sample = InSample::Int24;
        break;
      case 32:
        sample = InSample::Int32;
        break;
      default:
        break;
    }
  }
  if (format.blockAlign < format.channels * (format.bitsPerSample / 8)) return InSample::None;
  return sample;
}

QAudioFormat::SampleFormat OwnSinkSample(InSample sample) {
  switch (sample) {
    case InSample::UInt8:
      return QAudioFormat::UInt8;
    case InSample::Int16:
      return QAudioFormat::Int16;
    case InSample::Int24:
    case InSample::Int32:
      return QAudioFormat::Int32;
    case InSample::Float:
      return QAudioFormat::Float;
    default:
      return QAudioFormat::Unknown;
  }
}

int SinkSampleBytes(QAudioFormat::SampleFormat sample) {
  switch (sample) {
    case QAudioFormat::UInt8:
      return 1;
    case QAudioFormat::Int16:
      return 2;
    case QAudioFormat::Int32:
    case QAudioFormat::Float:
      return 4;
    default:
      return 0;
  }
}

// Bytes of one silent sample: 8-bit data is unsigned, centred on 128.
char SilenceByte(QAudioFormat::SampleFormat sample) {
  return sample == QAudioFormat::UInt8 ? static_cast<char>(0x80) : 0;
}

// One sample at full scale 1 (float samples as stored, beyond it too). Integers convert exactly.
double Decode(const std::byte* p, InSample sample) {
  const auto b = [p](int k) { return std::to_integer<std::uint32_t>(p[k]); };
  switch (sample) {
    case InSample::UInt8:
      return (static_cast<double>(b(0)) - 128) / 128;
    case InSample::Int16:
      return static_cast<std::int16_t>(b(0) | b(1) << 8) / 32768.0;
    case InSample::Int24:
      return static_cast<std::int32_t>(b(0) << 8 | b(1) << 16 | b(2) << 24) / 2147483648.0;
    case InSample::Int32:
      return static_cast<std::int32_t>(b(0) | b(1) << 8 | b(2) << 16 | b(3) << 24) / 2147483648.0;
    case InSample::Float: {
      float v;
      std::memcpy(&v, p, sizeof v);
      return v;
    }
    default:
      return 0;
  }
}

// Integers rounded to the nearest step and clipped, never wrapped.
template <typename T>
T Scaled(double value, double fullScale) {
  double v = std::nearbyint(value * fullScale);
  if (std::isnan(v)) v = 0;
  return static_cast<T>(std::clamp(v, -fullScale, fullScale - 1));
}

void Encode(double value, QAudioFormat::SampleFormat sample, char* to) {
  switch (sample) {
    case QAudioFormat::UInt8:
      to[0] = static_cast<char>(Scaled<int>(value, 128) + 128);
      break;
    case QAudioFormat::Int16: {
      const auto v = Scaled<std::int16_t>(value, 32768);
      std::memcpy(to, &v, sizeof v);
      break;
    }
    case QAudioFormat::Int32: {
      const auto v = Scaled<std::int32_t>(value, 2147483648.0);
      std::memcpy(to, &v, sizeof v);
      break;
    }
    case QAudioFormat::Float: {
      const auto v = static_cast<float>(value);
      std::memcpy(to, &v, sizeof v);
      break;
    }
    default:
      break;
  }
}

QAudioFormat MakeSinkFormat(QAudioFormat::SampleFormat sample, int channels, int rate) {
  QAudioFormat out;
  out.setSampleFormat(sample);
  out.setChannelCount(channels);
  out.setSampleRate(rate);
  return out;
}

}  // namespace

std::optional<QAudioFormat> SinkFormat(const WaveFormat& format) {
  const InSample sample = InSampleOf(format);
  if (sample == InSample::None) return std::nullopt;
  return MakeSinkFormat(OwnSinkSample(sample), format.channels, format.sampleRate);
}

std::vector<QAudioFormat> SinkFormats(const WaveFormat& format) {
  const InSample sample = InSampleOf(format);
  if (sample == InSample::None) return {};
  std::vector<QAudioFormat::SampleFormat> samples{OwnSinkSample(sample)};
  for (auto other : {QAudioFormat::Float, QAudioFormat::Int32, QAudioFormat::Int16}) {
    if (other != samples.front()) samples.push_back(other);
  }
  std::vector<QAudioFormat> out;
  for (int channels : {int{format.channels}, 2}) {
    if (channels > format.channels || (!out.empty() && channels == format.channels)) continue;
    for (auto type : samples) out.push_back(MakeSinkFormat(type, channels, format.sampleRate));
  }
  return out;
}

AudioFeed::AudioFeed(QObject* parent) : QIODevice(parent) {}

void AudioFeed::SetRange(std::int64_t firstFrame, std::optional<std::int64_t> endFrame) {
  const std::int64_t frames = sound_ ? sound_->frames() : 0;
  start_ = std::clamp<std::int64_t>(firstFrame, 0, frames);
  end_ = std::clamp<std::int64_t>(endFrame.value_or(frames), start_, frames);
  outFrameBytes_ = outChannels_ * SinkSampleBytes(outSample_);
}

void AudioFeed::Begin(std::shared_ptr<const PreviewSound> sound, std::int64_t firstFrame,
                      std::optional<std::int64_t> endFrame, bool loop, std::int64_t silenceFramesAfter,
                      std::optional<QAudioFormat> sink) {
  QMutexLocker lock(&mutex_);
  sound_ = std::move(sound);
  if (!sink && sound_) sink = SinkFormat(sound_->format());
  outSample_ = sink ? sink->sampleFormat() : QAudioFormat::Unknown;
  outChannels_ = sink ? sink->channelCount() : 0;
  SetRange(firstFrame, endFrame);
  next_ = start_;
  loop_ = loop;
  silenceLeft_ = std::max<std::int64_t>(silenceFramesAfter, 0);
  silenceOut_ = 0;
  framesOut_ = 0;
}

void AudioFeed::Replace(std::shared_ptr<const PreviewSound> sound, std::int64_t firstFrame,
                        std::optional<std::int64_t> endFrame) {
  QMutexLocker lock(&mutex_);
  const std::int64_t oldLength = end_ - start_;
  const std::int64_t done = next_ - start_;
  sound_ = std::move(sound);
  SetRange(firstFrame, endFrame);
  const std::int64_t newLength = end_ - start_;
  // The same fraction of the range: a longer or shorter loop goes on at the matching beat.
  const std::int64_t place =
      oldLength > 0 ? static_cast<std::int64_t>(static_cast<long double>(done) * newLength / oldLength) : 0;
  next_ = start_ + std::clamp<std::int64_t>(place, 0, newLength);
}

void AudioFeed::SetLoop(bool loop) {
  QMutexLocker lock(&mutex_);
  loop_ = loop;
}

std::int64_t AudioFeed::NextFrame() const {
  QMutexLocker lock(&mutex_);
  return next_;
}
std::int64_t AudioFeed::FramesOut() const {
  QMutexLocker lock(&mutex_);
  return framesOut_;
}
std::int64_t AudioFeed::SilenceOut() const {
  QMutexLocker lock(&mutex_);
  return silenceOut_;
}
std::int64_t AudioFeed::RangeStart() const {
  QMutexLocker lock(&mutex_);
  return start_;
}
std::int64_t AudioFeed::RangeEnd() const {
  QMutexLocker lock(&mutex_);
  return end_;
}

bool AudioFeed::Finished() const {
  QMutexLocker lock(&mutex_);
  return !loop_ && next_ >= end_ && silenceLeft_ == 0;
}

qint64 AudioFeed::bytesAvailable() const {
  QMutexLocker lock(&mutex_);
  if (loop_ && end_ > start_) return (1 << 20) + QIODevice::bytesAvailable();
  return (end_ - std::min(next_, end_) + silenceLeft_) * outFrameBytes_ + QIODevice::bytesAvailable();
}

// Copies `frames` frames from next_ on, converted to the sink's layout: whole frames as they are
// when the sink takes the samples' own type, otherwise sample by sample, the channels beyond the
// sink's mixed into those it has (channel c into c modulo the sink's count).
std::int64_t AudioFeed::CopyFrames(char* out, std::int64_t frames) {
  const WaveFormat& format = sound_->format();
  const InSample sample = InSampleOf(format);
  const std::int64_t align = format.blockAlign;
  if (OwnSinkSample(sample) == outSample_ && sample != InSample::Int24 && outChannels_ == format.channels &&
      align == outFrameBytes_) {
    sound_->Gather(next_ * align,
                   std::span(reinterpret_cast<std::byte*>(out), static_cast<std::size_t>(frames * align)));
    return frames;
  }
  const int inBytes = format.bitsPerSample / 8;
  const int outBytes = SinkSampleBytes(outSample_);
  std::vector<double> mixed(static_cast<std::size_t>(outChannels_));
  std::vector<int> sources(mixed.size());
  for (int c = 0; c < format.channels; ++c) ++sources[static_cast<std::size_t>(c % outChannels_)];
  scratch_.resize(static_cast<std::size_t>(frames * align));
  sound_->Gather(next_ * align, scratch_);
  for (std::int64_t f = 0; f < frames; ++f) {
    const std::byte* in = scratch_.data() + f * align;
    char* to = out + f * outFrameBytes_;
    std::fill(mixed.begin(), mixed.end(), 0.0);
    for (int c = 0; c < format.channels; ++c) {
      mixed[static_cast<std::size_t>(c % outChannels_)] += Decode(in + c * inBytes, sample);
    }
    for (std::size_t k = 0; k < mixed.size(); ++k) {
      Encode(mixed[k] / std::max(sources[k], 1), outSample_, to + static_cast<std::ptrdiff_t>(k) * outBytes);
    }
  }
  return frames;
}

qint64 AudioFeed::readData(char* data, qint64 maxSize) {
  QMutexLocker lock(&mutex_);
  if (!sound_ || outFrameBytes_ < 1) return 0;
  const std::int64_t wanted = maxSize / outFrameBytes_;
  std::int64_t done = 0;
  while (done < wanted) {
    if (next_ >= end_) {
      if (loop_ && end_ > start_) {
        next_ = start_;
      } else if (silenceLeft_ > 0) {
        const std::int64_t n = std::min(silenceLeft_, wanted - done);
        std::memset(data + done * outFrameBytes_, SilenceByte(outSample_),
                    static_cast<std::size_t>(n * outFrameBytes_));
        silenceLeft_ -= n;
        silenceOut_ += n;
        done += n;
        continue;
      } else {
        break;
      }
    }
    const std::int64_t n = std::min(end_ - next_, wanted - done);
    CopyFrames(data + done * outFrameBytes_, n);
    next_ += n;
    done += n;
  }
  framesOut_ += done;
  return done * outFrameBytes_;
}

}  // namespace tactoria
