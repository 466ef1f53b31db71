// The preview's long renders (progress and Cancel in the status line) and what Space plays.
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

#include "audio/audio_player.h"
#include "preview/preview_slices.h"
#include "preview/preview_window.h"

namespace tactoria {

namespace {
// A render that takes longer than this shows its progress.
constexpr int kQuietRenderMs = 500;
}  // namespace

void PreviewWindow::StartRenderProgress(std::uint64_t job) {
  renderJob_ = job;
  renderPercent_ = 0;
  renderClock_.start();
  QTimer::singleShot(kQuietRenderMs, this, [this, job] {
    if (job == renderJob_ && renderPending_ && renderClock_.isValid()) ShowRenderProgress();
  });
}

void PreviewWindow::RenderProgressed(std::uint64_t job, int percent) {
  if (job != renderJob_ || !renderClock_.isValid()) return;
  renderPercent_ = percent;
  if (renderClock_.elapsed() >= kQuietRenderMs) ShowRenderProgress();
}

void PreviewWindow::ShowRenderProgress() {
  status_->setText(QStringLiteral("Rendering the new length with the pitch kept: %1%").arg(renderPercent_));
  cancel_->show();
}

void PreviewWindow::EndRenderProgress() {
  renderClock_.invalidate();
  cancel_->hide();
}

void PreviewWindow::CancelRender() {
  if (renderCancel_) renderCancel_->store(true);
}

bool PreviewWindow::Sounding() const {
  return player_->IsPlaying() && !player_->HeardToEnd();
}

QString PreviewWindow::SpacePlaysText() const {
  if (const std::optional<SliceRange> slice = slices_->SelectedSlice()) {
    const std::vector<std::int64_t> starts = slices_->Starts();
    const auto at = std::find(starts.begin(), starts.end(), slice->first);
    return QStringLiteral("Space plays slice %1 alone; Escape or a click outside the slices: the whole sound")
        .arg(at - starts.begin() + 1);
  }
  if (selectedBeat_ && *selectedBeat_ < grid_.beats) {
    return QStringLiteral(
               "Space plays beat %1 alone (bar %2, beat %3); Escape or a click outside the beats: "
               "the whole sound")
        .arg(*selectedBeat_ + 1)
        .arg(grid_.BarNumber(*selectedBeat_))
        .arg(grid_.BeatInBar(*selectedBeat_));
  }
  return ShowsOriginal() ? QStringLiteral("Space plays the original")
                         : QStringLiteral("Space plays the whole sound");
}

}  // namespace tactoria
