#pragma once

#include <QAudioDevice>
#include <QAudioFormat>
#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>

class QAudioSink;
class QIODevice;
class QTimer;

namespace tactoria {

class AudioFeed;

// Owns the sink on a thread of its own and keeps its buffer full from the feed, so a busy
// user-interface thread (a paint, a copy of a large file) never leaves the output without data.
class AudioSinkDriver : public QObject {
  Q_OBJECT

 public:
  explicit AudioSinkDriver(AudioFeed& feed);

  // Run on the driver's thread (through a blocking queued call).
  Q_INVOKABLE bool Start(const QAudioDevice& device, const QAudioFormat& format, int bufferMs, int feedMs);
  Q_INVOKABLE void Stop();
  Q_INVOKABLE QString LastError() const { return lastError_; }

  // Frames written to the sink and not yet played, as of the last pass; any thread.
  std::int64_t Buffered() const { return buffered_.load(); }

 signals:
  // The feed ran out and the sink has had the time to play what it held.
  void Drained();
  void Failed(const QString& message);

 private:
  void Feed();

  AudioFeed& feed_;
  QAudioSink* sink_ = nullptr;
  QIODevice* input_ = nullptr;
  QTimer* timer_ = nullptr;
  QByteArray block_;
  int frameBytes_ = 0;
  int bufferMs_ = 0;
  bool draining_ = false;
  unsigned starts_ = 0;
  QString lastError_;
  std::atomic<std::int64_t> buffered_{0};
};

}  // namespace tactoria
