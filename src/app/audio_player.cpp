#include "audio_player.h"

#include <QAudioSink>
#include <QMediaDevices>
#include <QTimer>
#include <algorithm>

#include "app/audio_feed.h"

namespace tactoria {

AudioPlayer::AudioPlayer(QObject* parent)
    : QObject(parent), feed_(new AudioFeed(this)), feedTimer_(new QTimer(this)) {
  // The player writes to the sink itself (push mode), a sink's buffer full at a time: the
  // pull mode reads one fixed period per pass, which a short buffer cannot take.
  feedTimer_->setTimerType(Qt::PreciseTimer);
  feedTimer_->setInterval(kFeedMs);
  connect(feedTimer_, &QTimer::timeout, this, &AudioPlayer::Feed);
}

AudioPlayer::~AudioPlayer() {
  Teardown();
}

QString AudioPlayer::Problem(const WaveFormat& format) const {
  const QAudioDevice device = QMediaDevices::defaultAudioOutput();
  if (device.isNull()) return QStringLiteral("No sound output: playback is not available.");
  const std::optional<QAudioFormat> sinkFormat = SinkFormat(format);
  if (!sinkFormat || !device.isFormatSupported(*sinkFormat)) {
    return QStringLiteral("The sound output cannot play %1 channel(s) of %2-bit samples at %3 Hz.")
        .arg(format.channels)
        .arg(format.bitsPerSample)
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
  if (!sink_) return;
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
  const QAudioFormat format = *SinkFormat(sound_->format());
  sinkFrameBytes_ = format.bytesPerFrame();
  // Silence after a single play lets the output drain what it holds before the sink goes idle.
  const std::int64_t tail = static_cast<std::int64_t>(format.sampleRate()) * (kBufferMs + 400) / 1000;
  feed_->Begin(sound_, first_, end_, loop_, tail);
  // Unbuffered: a read-ahead buffer in the device would delay every change by its size.
  feed_->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
  sink_ = new QAudioSink(QMediaDevices::defaultAudioOutput(), format, this);
  sink_->setBufferSize(format.bytesForDuration(kBufferMs * 1000));
  connect(sink_, &QAudioSink::stateChanged, this, &AudioPlayer::OnSinkState);
  sinkInput_ = sink_->start();
  if (!sinkInput_ || sink_->error() != QAudio::NoError || sink_->state() == QAudio::StoppedState) {
    Teardown();
    lastError_ = QStringLiteral("The sound output could not be opened.");
    return false;
  }
  draining_ = false;
  ++plays_;
  Feed();
  feedTimer_->start();
  emit PlayingChanged(true);
  return true;
}

void AudioPlayer::Feed() {
  if (!sink_ || !sinkInput_ || draining_) return;
  const qsizetype free = sink_->bytesFree() / sinkFrameBytes_ * sinkFrameBytes_;
  if (free <= 0) return;
  if (block_.size() < free) block_.resize(free);
  const qint64 got = feed_->read(block_.data(), free);
  if (got > 0) sinkInput_->write(block_.constData(), got);
  if (feed_->Finished()) {
    // Everything, the silence after it included, is with the sink: let it play out.
    draining_ = true;
    QTimer::singleShot(kBufferMs + 100, this, [this, play = plays_] {
      if (!draining_ || play != plays_) return;
      Stop();
      emit Finished();
    });
  }
}

void AudioPlayer::Stop() {
  if (!sink_) return;
  Teardown();
  emit PlayingChanged(false);
}

void AudioPlayer::Teardown() {
  if (sink_) {
    QAudioSink* sink = sink_;
    sink_ = nullptr;
    sink->disconnect(this);
    sink->stop();
    delete sink;
  }
  sinkInput_ = nullptr;
  draining_ = false;
  feedTimer_->stop();
  feed_->close();
}

void AudioPlayer::OnSinkState() {
  if (!sink_) return;
  const QAudio::State state = sink_->state();
  if (state == QAudio::StoppedState && sink_->error() != QAudio::NoError) {
    lastError_ = QStringLiteral("The sound output stopped with an error.");
    Stop();
  }
}

std::int64_t AudioPlayer::Playhead() const {
  if (!sink_ || sinkFrameBytes_ < 1) return feed_->RangeStart();
  const std::int64_t buffered =
      std::max<qsizetype>(sink_->bufferSize() - sink_->bytesFree(), 0) / sinkFrameBytes_;
  const std::int64_t start = feed_->RangeStart();
  const std::int64_t length = feed_->RangeEnd() - start;
  if (length <= 0) return start;
  std::int64_t place = feed_->NextFrame() - start - buffered;
  if (loop_) {
    place %= length;
    if (place < 0) place += length;
  }
  return start + std::clamp<std::int64_t>(place, 0, length);
}

}  // namespace tactoria
