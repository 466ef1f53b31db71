#include "audio_feed.h"

#include <QMutexLocker>
#include <algorithm>
#include <cstring>

namespace tactoria {
namespace {

int SinkSampleBytes(int bits) {
  return bits == 24 ? 4 : bits / 8;
}

// Bytes of one silent sample: 8-bit data is unsigned, centred on 128.
char SilenceByte(int bits) {
  return bits == 8 ? static_cast<char>(0x80) : 0;
}

}  // namespace

std::optional<QAudioFormat> SinkFormat(const WaveFormat& format) {
  QAudioFormat out;
  switch (format.bitsPerSample) {
    case 8:
      out.setSampleFormat(QAudioFormat::UInt8);
      break;
    case 16:
      out.setSampleFormat(QAudioFormat::Int16);
      break;
    case 24:
    case 32:
      out.setSampleFormat(QAudioFormat::Int32);
      break;
    default:
      return std::nullopt;
  }
  if (format.channels < 1 || format.sampleRate < 1 ||
      format.blockAlign < format.channels * (format.bitsPerSample / 8)) {
    return std::nullopt;
  }
  out.setChannelCount(format.channels);
  out.setSampleRate(format.sampleRate);
  return out;
}

AudioFeed::AudioFeed(QObject* parent) : QIODevice(parent) {}

void AudioFeed::SetRange(std::int64_t firstFrame, std::optional<std::int64_t> endFrame) {
  const std::int64_t frames = sound_ ? sound_->frames() : 0;
  start_ = std::clamp<std::int64_t>(firstFrame, 0, frames);
  end_ = std::clamp<std::int64_t>(endFrame.value_or(frames), start_, frames);
  const WaveFormat& format = sound_ ? sound_->format() : WaveFormat{};
  outFrameBytes_ = format.channels * SinkSampleBytes(format.bitsPerSample);
}

void AudioFeed::Begin(std::shared_ptr<const PreviewSound> sound, std::int64_t firstFrame,
                      std::optional<std::int64_t> endFrame, bool loop, std::int64_t silenceFramesAfter) {
  QMutexLocker lock(&mutex_);
  sound_ = std::move(sound);
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

// Copies `frames` frames from next_ on, converted to the sink's layout.
std::int64_t AudioFeed::CopyFrames(char* out, std::int64_t frames) {
  const WaveFormat& format = sound_->format();
  const int sampleBytes = format.bitsPerSample / 8;
  const std::int64_t align = format.blockAlign;
  const bool direct = format.bitsPerSample != 24 && align == outFrameBytes_;
  if (direct) {
    sound_->Gather(next_ * align,
                   std::span(reinterpret_cast<std::byte*>(out), static_cast<std::size_t>(frames * align)));
    return frames;
  }
  scratch_.resize(static_cast<std::size_t>(frames * align));
  sound_->Gather(next_ * align, scratch_);
  for (std::int64_t f = 0; f < frames; ++f) {
    const std::byte* in = scratch_.data() + f * align;
    char* to = out + f * outFrameBytes_;
    for (int c = 0; c < format.channels; ++c) {
      if (format.bitsPerSample == 24) {
        // The three bytes become the top of a 32-bit sample.
        to[c * 4] = 0;
        std::memcpy(to + c * 4 + 1, in + c * 3, 3);
      } else {
        std::memcpy(to + c * sampleBytes, in + c * sampleBytes, static_cast<std::size_t>(sampleBytes));
      }
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
        std::memset(data + done * outFrameBytes_, SilenceByte(sound_->format().bitsPerSample),
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
