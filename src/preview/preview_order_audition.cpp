#include "preview_order_audition.h"

#include <exception>
#include <variant>

#include "audio/audio_player.h"
#include "beats/shuffle_order.h"
#include "process/preview_sound.h"
#include "ui/busy_state.h"
#include "ui/main_window_state.h"
#include "ui/render_progress.h"

namespace tactoria {

PreviewOrderAudition::PreviewOrderAudition(MainWindowState& window, AudioPlayer& player, QObject* parent)
    : QObject(parent), window_(window), player_(&player) {
  connect(&player, &AudioPlayer::PlayingChanged, this, [this](bool playing) {
    if (!playing) SetPlaying(false);
  });
}

void PreviewOrderAudition::SetPlaying(bool playing) {
  if (playing_ == playing) return;
  playing_ = playing;
  if (handler_) handler_(playing);
}

QString PreviewOrderAudition::PlayOrder(const std::vector<std::int32_t>& order, QWidget* owner) {
  const vbMediaFile* wave = window_.CurrentWave();
  if (!wave || !player_) return QStringLiteral("No file open.");
  try {
    BusyPointer busy;
    // The open data stays as it is: the order goes into a copy.
    std::optional<ByteBuffer> copy = ByteBuffer::CopyOf(wave->Item(window_.DataIndex()).bytes());
    if (!copy) return QStringLiteral("Out of memory.");
    if (ReorderBeats(copy->bytes(), order, window_.CurrentFormat().blockAlign) != ReorderResult::Done)
      return QStringLiteral("The beats could not be reordered.");
    PreviewSource source{std::make_shared<const ByteBuffer>(std::move(*copy)), window_.CurrentFormat()};
    std::variant<std::shared_ptr<const PreviewSound>, RenderFailure> rendered = RenderFailure::Cancelled;
    {
      const RenderProgress progress(owner);
      rendered = PreviewSound::Render(source, window_.CurrentRenderSettings(), progress.Control());
    }
    if (const auto* failure = std::get_if<RenderFailure>(&rendered))
      return *failure == RenderFailure::Cancelled ? QString()
                                                  : QString::fromLatin1(RenderFailureMessage(*failure));
    player_->SetSound(std::get<std::shared_ptr<const PreviewSound>>(std::move(rendered)));
    // Playing already: the new order goes on at the same place.
    if (playing_ && player_->IsPlaying()) return {};
    if (!player_->Play()) return player_->LastError();
  } catch (const std::exception&) {
    return QStringLiteral("Out of memory.");
  }
  SetPlaying(true);
  return {};
}

void PreviewOrderAudition::StopOrder() {
  if (playing_ && player_) player_->Stop();
  SetPlaying(false);
}

}  // namespace tactoria
