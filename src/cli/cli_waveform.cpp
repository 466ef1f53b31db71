#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <algorithm>
#include <memory>
#include <span>

#include "beats/beat_grid.h"
#include "cli_messages.h"
#include "cli_play.h"
#include "tempo/field_conversions.h"
#include "waveform/waveform_painter.h"

namespace tactoria::cli {

int RunWaveform(const CliCommand& command, const JobStreams& streams) {
  if (int status = RefuseExistingOutput(command, streams); status != kExitOk) return status;
  ByteBuffer sound;
  WaveFormat format;
  if (int status = RenderSound(command, streams, false, sound, format); status != kExitOk) return status;

  // Text needs a font database, which needs a platform; no display is used.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int argc = 1;
  char name[] = "tactoria-cli";
  char* argv[] = {name, nullptr};
  // A caller that runs this inside its own application (a test) keeps it.
  std::unique_ptr<QGuiApplication> app;
  if (!QCoreApplication::instance()) app = std::make_unique<QGuiApplication>(argc, argv);

  const std::int64_t beats = RoundToLong(command.edits.beats * command.edits.bars).value_or(0);
  const std::int64_t beatsPerBar = std::max<std::int64_t>(RoundToLong(command.edits.beats).value_or(1), 1);
  const BeatGrid grid =
      MakeBeatGrid(static_cast<std::int64_t>(sound.size()), format.blockAlign, beats, beatsPerBar);
  // The picture is made in memory and written as save writes a file, never straight onto OUT.
  QByteArray png;
  {
    const QImage image = WaveformImage(sound.bytes(), format, grid, command.width, command.height);
    QBuffer buffer(&png);
    if (image.isNull() || !buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
      streams.err << "tactoria-cli: " << kOutOfMemory << " (the picture could not be drawn; "
                  << command.output << ")\n";
      return kExitFailed;
    }
  }
  sound = ByteBuffer();
  return WriteOutputFile(command, streams,
                         std::as_bytes(std::span(png.constData(), static_cast<std::size_t>(png.size()))));
}

}  // namespace tactoria::cli
