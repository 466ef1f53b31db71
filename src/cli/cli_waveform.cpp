#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <filesystem>

#include "beats/beat_grid.h"
#include "cli_messages.h"
#include "cli_play.h"
#include "tempo/field_conversions.h"
#include "waveform/waveform_painter.h"

namespace tactoria::cli {

int RunWaveform(const CliCommand& command, const JobStreams& streams) {
  std::error_code error;
  if (!command.force && std::filesystem::exists(command.output, error)) {
    streams.err << "tactoria-cli: " << command.output << " " << kOutputExists << "\n";
    return kExitFailed;
  }
  ByteBuffer sound;
  WaveFormat format;
  if (int status = RenderSound(command, streams, false, sound, format); status != kExitOk) return status;

  // Text needs a font database, which needs a platform; no display is used.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int argc = 1;
  char name[] = "tactoria-cli";
  char* argv[] = {name, nullptr};
  QGuiApplication app(argc, argv);

  const std::int64_t beats = RoundToLong(command.edits.beats * command.edits.bars).value_or(0);
  const std::int64_t beatsPerBar = std::max<std::int64_t>(RoundToLong(command.edits.beats).value_or(1), 1);
  const BeatGrid grid =
      MakeBeatGrid(static_cast<std::int64_t>(sound.size()), format.blockAlign, beats, beatsPerBar);
  const QImage image = WaveformImage(sound.bytes(), format, grid, command.width, command.height);
  if (image.isNull() || !image.save(QString::fromStdString(command.output), "PNG")) {
    streams.err << "tactoria-cli: could not write " << command.output << "\n";
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace tactoria::cli
