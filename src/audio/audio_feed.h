#pragma once

#include <QAudioFormat>
#include <QIODevice>
#include <QMutex>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "process/preview_sound.h"

namespace tactoria {

// The sink's format for a wave format, or none when the sink has no sample type for it: the
// samples' own type, 24-bit samples as 32-bit integers (the sink has no 24-bit type), float as float.
std::optional<QAudioFormat> SinkFormat(const WaveFormat& format);
// The formats a sink may be given for a wave format, best first: its own (above), then the other
// sample types the feed converts to, then the same with 2 channels for a sound of more (mixed
// down). Empty for a format the feed cannot read.
std::vector<QAudioFormat> SinkFormats(const WaveFormat& format);

// The bytes a sink pulls: the frames of one range of a sound, once or looped, converted to the
// sink's sample type. The sound and the range may be replaced while the sink plays; the next
// pull continues from the same place in the new sound.
class AudioFeed : public QIODevice {
  Q_OBJECT

 public:
  explicit AudioFeed(QObject* parent = nullptr);

  // Starts over at the range's first frame. An empty `endFrame` means the sound's end. The frames
  // go out converted to `sink` (one of SinkFormats), by default to SinkFormat.
  void Begin(std::shared_ptr<const PreviewSound> sound, std::int64_t firstFrame,
             std::optional<std::int64_t> endFrame, bool loop, std::int64_t silenceFramesAfter,
             std::optional<QAudioFormat> sink = std::nullopt);
  // Goes on in `sound` at the frame matching the current one (same fraction of the range).
  void Replace(std::shared_ptr<const PreviewSound> sound, std::int64_t firstFrame,
               std::optional<std::int64_t> endFrame);
  void SetLoop(bool loop);

  // The frame of the sound that the next pull hands out, and how many frames went out in all.
  std::int64_t NextFrame() const;
  std::int64_t FramesOut() const;
  // Frames of the silence after a single play handed out so far.
  std::int64_t SilenceOut() const;
  // True once the range (and the silence after it) has been handed out without looping.
  bool Finished() const;
  std::int64_t RangeStart() const;
  std::int64_t RangeEnd() const;

  bool isSequential() const override { return true; }
  qint64 bytesAvailable() const override;
  bool atEnd() const override { return Finished(); }

 protected:
  qint64 readData(char* data, qint64 maxSize) override;
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  void SetRange(std::int64_t firstFrame, std::optional<std::int64_t> endFrame);
  std::int64_t CopyFrames(char* out, std::int64_t frames);

  mutable QMutex mutex_;
  std::shared_ptr<const PreviewSound> sound_;
  std::int64_t start_ = 0;
  std::int64_t end_ = 0;
  std::int64_t next_ = 0;
  bool loop_ = false;
  std::int64_t silenceLeft_ = 0;
  std::int64_t silenceOut_ = 0;
  std::int64_t framesOut_ = 0;
  QAudioFormat::SampleFormat outSample_ = QAudioFormat::Unknown;
  int outChannels_ = 0;
  int outFrameBytes_ = 0;
  std::vector<std::byte> scratch_;
};

}  // namespace tactoria
