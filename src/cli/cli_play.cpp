#include "cli_play.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "audio/audio_player.h"
#include "beats/beat_grid.h"
#include "process/preview_sound.h"
#include "tempo/field_conversions.h"

namespace tactoria::cli {
namespace {

int Fail(const JobStreams& streams, int status, const QString& message) {
  streams.err << "tactoria-cli: " << message.toStdString() << "\n";
  return status;
}

}  // namespace

int RunPlay(const CliCommand& command, const JobStreams& streams) {
  ByteBuffer sound;
  WaveFormat format;
  if (int status = RenderSound(command, streams, command.original, sound, format); status != kExitOk)
    return status;
  PreviewSource source{std::make_shared<const ByteBuffer>(std::move(sound)), format};
  std::shared_ptr<const PreviewSound> preview = PreviewSound::Original(source);

  std::int64_t first = 0;
  std::int64_t end = preview->frames();
  if (command.beat) {
    const std::int64_t beats = RoundToLong(command.edits.beats * command.edits.bars).value_or(0);
    const BeatGrid grid = MakeBeatGrid(preview->bytes(), format.blockAlign, beats, 1);
    if (grid.empty() || *command.beat > grid.beats) {
      return Fail(streams, kExitUsage,
                  QStringLiteral("--beat: the sound has %1 beat(s) of at least one frame.")
                      .arg(grid.empty() ? 0 : grid.beats));
    }
    first = grid.BeatStart(*command.beat - 1);
    end = grid.BeatStart(*command.beat);
  }

  int argc = 1;
  char name[] = "tactoria-cli";
  char* argv[] = {name, nullptr};
  QCoreApplication app(argc, argv);
  AudioPlayer player;
  player.SetLoop(false);
  player.SetSound(preview, first, end);
  if (!player.Play()) return Fail(streams, kExitFailed, player.LastError());

  QEventLoop loop;
  bool heard = false;
  QObject::connect(&player, &AudioPlayer::Finished, &loop, [&] {
    heard = true;
    loop.quit();
  });
  QObject::connect(&player, &AudioPlayer::PlayingChanged, &loop, [&](bool playing) {
    if (!playing) loop.quit();
  });
  // A stalled output must not hang the tool: the sound's length and some seconds more.
  const std::int64_t ms = (end - first) * 1000 / std::max(format.sampleRate, 1) + 5000;
  QTimer::singleShot(static_cast<int>(std::min<std::int64_t>(ms, 24LL * 3600 * 1000)), &loop,
                     &QEventLoop::quit);
  loop.exec();
  player.Stop();
  if (!heard) {
    return Fail(streams, kExitFailed,
                player.LastError().isEmpty() ? QStringLiteral("The sound output stopped before the end.")
                                             : player.LastError());
  }
  return kExitOk;
}

void EndAfterPlay(int status) {
  // Qt Multimedia keeps its sound server connection in a static object whose destructor
  // disconnects while the connection's own thread may still be handling a message from the server
  // (the sink's state change after the stream ended): 1 exit in 10 aborts or crashes there. The
  // stream is closed and every Qt object of play is gone by now, so the process ends without
  // static destructors and the system closes the connection, which the server sees as a client
  // that left.
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  std::_Exit(status);
}

}  // namespace tactoria::cli
