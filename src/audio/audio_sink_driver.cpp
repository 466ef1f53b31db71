#include "audio_sink_driver.h"

#include <pthread.h>
#include <sched.h>

#include <QAudioSink>
#include <QTimer>

#include "audio/audio_feed.h"

namespace tactoria {

AudioSinkDriver::AudioSinkDriver(AudioFeed& feed) : feed_(feed) {}

bool AudioSinkDriver::Start(const QAudioDevice& device, const QAudioFormat& format, int bufferMs,
                            int feedMs) {
  Stop();
  lastError_.clear();
  if (!timer_) {
    // A short buffer needs its refills on time also on a busy machine: ask for real-time
    // scheduling, as audio programs do; without the right to it the thread keeps its priority.
    sched_param param{};
    param.sched_priority = std::max(sched_get_priority_min(SCHED_RR), 10);
    pthread_setschedparam(pthread_self(), SCHED_RR, &param);
    timer_ = new QTimer(this);
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, &AudioSinkDriver::Feed);
  }
  frameBytes_ = format.bytesPerFrame();
  bufferMs_ = bufferMs;
  draining_ = false;
  ++starts_;
  // Push mode, a sink's buffer full at a time: the pull mode reads one fixed period per pass,
  // which a short buffer cannot take.
  sink_ = new QAudioSink(device, format, this);
  sink_->setBufferSize(format.bytesForDuration(static_cast<qint64>(bufferMs) * 1000));
  input_ = sink_->start();
  if (!input_ || sink_->error() != QAudio::NoError || sink_->state() == QAudio::StoppedState) {
    Stop();
    lastError_ = QStringLiteral("The sound output could not be opened.");
    return false;
  }
  connect(sink_, &QAudioSink::stateChanged, this, [this](QAudio::State state) {
    if (state == QAudio::StoppedState && sink_ && sink_->error() == QAudio::FatalError) {
      Stop();
      emit Failed(QStringLiteral("The sound output stopped with an error."));
    }
  });
  Feed();
  timer_->start(feedMs);
  return true;
}

void AudioSinkDriver::Stop() {
  if (timer_) timer_->stop();
  if (sink_) {
    QAudioSink* sink = sink_;
    sink_ = nullptr;
    sink->disconnect(this);
    sink->stop();
    delete sink;
  }
  input_ = nullptr;
  draining_ = false;
  buffered_ = 0;
}

void AudioSinkDriver::Feed() {
  if (!sink_ || !input_ || frameBytes_ < 1) return;
  const qsizetype free = sink_->bytesFree() / frameBytes_ * frameBytes_;
  if (!draining_ && free > 0) {
    if (block_.size() < free) block_.resize(free);
    const qint64 got = feed_.read(block_.data(), free);
    if (got > 0) input_->write(block_.constData(), got);
    if (feed_.Finished()) {
      // Everything, the silence after it included, is with the sink: let it play out.
      draining_ = true;
      QTimer::singleShot(bufferMs_ + 100, this, [this, start = starts_] {
        if (!draining_ || start != starts_) return;
        Stop();
        emit Drained();
      });
    }
  }
  buffered_ = std::max<qsizetype>(sink_->bufferSize() - sink_->bytesFree(), 0) / frameBytes_;
}

}  // namespace tactoria
