#pragma once

#include <QAudioDevice>
#include <QAudioFormat>
#include <QByteArray>
#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

#include "process/preview_sound.h"

class QThread;

namespace tactoria {

class AudioFeed;
class AudioSinkDriver;

// The first of SinkFormats(format) that `device` takes, or none.
std::optional<QAudioFormat> SinkFormatFor(const QAudioDevice& device, const WaveFormat& format);

// Plays a preview sound on the default output: the whole sound or one range (a beat), once or
// looped. The sound may be swapped while it plays; playback goes on at the same place.
class AudioPlayer : public QObject {
  Q_OBJECT

 public:
  explicit AudioPlayer(QObject* parent = nullptr);
  ~AudioPlayer() override;

  // Why `format` cannot be played on the default output (no output at all, or a format it
  // does not take); empty when it can.
  QString Problem(const WaveFormat& format) const;

  // The sound to play, and the range of it (an empty end: up to the sound's end). While
  // playing, the new sound is heard from the matching place of the new range.
  void SetSound(std::shared_ptr<const PreviewSound> sound, std::int64_t firstFrame = 0,
                std::optional<std::int64_t> endFrame = std::nullopt);
  void SetLoop(bool loop);
  bool Loop() const { return loop_; }
  std::shared_ptr<const PreviewSound> Sound() const { return sound_; }
  std::int64_t RangeStart() const { return first_; }
  std::optional<std::int64_t> RangeEnd() const { return end_; }

  // False with a message in LastError() when playback cannot start.
  bool Play();
  void Stop();
  bool IsPlaying() const { return playing_; }
  // Played once to the end of its range: what is left of the play is the silence that lets the
  // output drain (a new Play need not wait for it).
  bool HeardToEnd() const;
  QString LastError() const { return lastError_; }

  // The frame of the sound being heard about now.
  std::int64_t Playhead() const;

  // Latency of a change: the sink's buffer, in milliseconds, topped up every kFeedMs.
  static constexpr int kBufferMs = 45;
  static constexpr int kFeedMs = 10;

 signals:
  void PlayingChanged(bool playing);
  // Played once to its end (not looped), and drained.
  void Finished();

 private:
  void Teardown();

  std::shared_ptr<const PreviewSound> sound_;
  std::int64_t first_ = 0;
  std::optional<std::int64_t> end_;
  bool loop_ = true;
  QString lastError_;
  AudioFeed* feed_ = nullptr;
  QThread* thread_ = nullptr;
  AudioSinkDriver* driver_ = nullptr;  // lives on thread_
  bool playing_ = false;
};

}  // namespace tactoria
