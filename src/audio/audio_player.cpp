#include "audio_player.h"

#include <QMediaDevices>
#include <QThread>
#include <algorithm>

#include "audio/audio_feed.h"
#include "audio/audio_sink_driver.h"

namespace tactoria {

AudioPlayer::AudioPlayer(QObject* parent)
    : QObject(parent), feed_(new AudioFeed(this)), thread_(new QThread(this)) {
  driver_ = new AudioSinkDriver(*feed_);
  driver_->moveToThread(thread_);
  connect(thread_, &QThread::finished, driver_, &QObject::deleteLater);
  connect(driver_, &AudioSinkDriver::Drained, this, [this] {
    if (!playing_) return;
    Stop();
    emit Finished();
  });
  connect(driver_, &AudioSinkDriver::Failed, this, [this](const QString& message) {
    lastError_ = message;
    Stop();
  });
  thread_->setObjectName(QStringLiteral("Sound output"));
  thread_->start(QThread::TimeCriticalPriority);
}

AudioPlayer::~AudioPlayer() {
  Teardown();
  thread_->quit();
  thread_->wait();
}

std::optional<QAudioFormat> SinkFormatFor(const QAudioDevice& device, const WaveFormat& format) {
  for (const QAudioFormat& candidate : SinkFormats(format)) {
    if (device.isFormatSupported(candidate)) return candidate;
  }
  return std::nullopt;
}

QString AudioPlayer::Problem(const WaveFormat& format) const {
  const QAudioDevice device = QMediaDevices::defaultAudioOutput();
  if (device.isNull()) return QStringLiteral("No sound output: playback is not available.");
  if (!SinkFormatFor(device, format)) {
    return QStringLiteral("The sound output cannot play %1 channel(s) of %2-bit%3 samples at %4 Hz.")
        .arg(format.channels)
        .arg(format.bitsPerSample)
        .arg(format.formatTag == 3 ? QStringLiteral(" float") : QString())
        .arg(format.sampleRate);
  }
  return {};
}

void AudioPlayer::SetSound(std::shared_ptr<const PreviewSound> sound, std::int64_t firstFrame,
                           std::optional<std::int64_t> endFrame) {
  const bool sameFormat = sound && sound_ && sound->format() == sound_->format();
  sound_ = std::move(sound);
  first_ = firstFrame;
  end_ = endFrame;
  if (!playing_) return;
  if (!sound_ || !sameFormat) {
    Stop();
    return;
  }
  feed_->Replace(sound_, first_, end_);
}

void AudioPlayer::SetLoop(bool loop) {
  loop_ = loop;
  feed_->SetLoop(loop);
}

bool AudioPlayer::Play() {
  Stop();
  lastError_.clear();
  if (!sound_ || sound_->frames() == 0) {
    lastError_ = QStringLiteral("Nothing to play.");
    return false;
  }
  lastError_ = Problem(sound_->format());
  if (!lastError_.isEmpty()) return false;
  const QAudioDevice device = QMediaDevices::defaultAudioOutput();
  const QAudioFormat format = *SinkFormatFor(device, sound_->format());
  // Silence after a single play lets the output drain what it holds before the sink goes idle.
  const std::int64_t tail = static_cast<std::int64_t>(format.sampleRate()) * (kBufferMs + 400) / 1000;
  feed_->Begin(sound_, first_, end_, loop_, tail, format);
  // Unbuffered: a read-ahead buffer in the device would delay every change by its size.
  feed_->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
  bool started = false;
  QMetaObject::invokeMethod(
      driver_, [&] { started = driver_->Start(device, format, kBufferMs, kFeedMs); },
      Qt::BlockingQueuedConnection);
  if (!started) {
    QMetaObject::invokeMethod(
        driver_, [&] { lastError_ = driver_->LastError(); }, Qt::BlockingQueuedConnection);
    feed_->close();
    return false;
  }
  playing_ = true;
  emit PlayingChanged(true);
  return true;
}

void AudioPlayer::Stop() {
  if (!playing_) return;
  Teardown();
  emit PlayingChanged(false);
}

void AudioPlayer::Teardown() {
  if (playing_) QMetaObject::invokeMethod(driver_, &AudioSinkDriver::Stop, Qt::BlockingQueuedConnection);
  playing_ = false;
  feed_->close();
}

bool AudioPlayer::HeardToEnd() const {
  if (!playing_ || loop_) return false;
  return feed_->NextFrame() >= feed_->RangeEnd() && feed_->SilenceOut() >= driver_->Buffered();
}

std::int64_t AudioPlayer::Playhead() const {
  if (!playing_) return feed_->RangeStart();
  const std::int64_t buffered = driver_->Buffered();
  const std::int64_t start = feed_->RangeStart();
  const std::int64_t length = feed_->RangeEnd() - start;
  if (length <= 0) return start;
  std::int64_t place = feed_->NextFrame() - start - buffered;
  // Once the range is out, the silence after it pushes its last frames through the buffer.
  if (!loop_) place += feed_->SilenceOut();
  if (loop_) {
    place %= length;
    if (place < 0) place += length;
  }
  return start + std::clamp<std::int64_t>(place, 0, length);
}

}  // namespace tactoria
