#include "preview_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "audio/audio_player.h"
#include "preview/file_tempo.h"
#include "preview/preview_placement.h"
#include "preview/preview_slices.h"
#include "preview/waveform_view.h"
#include "tempo/field_conversions.h"
#include "ui/main_window_state.h"
#include "ui/settings_store.h"

namespace tactoria {

struct PreviewWindow::Result {
  std::uint64_t job = 0;
  std::shared_ptr<const PreviewSound> sound;
  QString failure;
  std::shared_ptr<const PeakSummary> summary;
  std::int64_t first = 0;
  std::int64_t count = 0;
  std::optional<std::vector<std::int64_t>> hits;  // found again on a new render
};

namespace {

constexpr double kMinVisibleFrames = 64;

QString Key(const char* key) {
  return QString::fromLatin1(key);
}

}  // namespace

PreviewWindow::PreviewWindow(MainWindowState& main, SettingsStore& settings, QWidget* parent)
    : QWidget(parent, Qt::Window),
      main_(main),
      settings_(settings),
      latestJob_(std::make_shared<std::atomic<std::uint64_t>>(0)) {
  setObjectName(QStringLiteral("PreviewWindow"));
  setWindowTitle(QStringLiteral("Preview"));
  // Closing the main window ends the program even while the preview is open.
  setAttribute(Qt::WA_QuitOnClose, false);
  resize(900, 360);

  player_ = new AudioPlayer(this);
  view_ = new WaveformView(this);
  scroll_ = new QScrollBar(Qt::Horizontal, this);
  scroll_->setObjectName(QStringLiteral("PreviewScroll"));
  play_ = new QPushButton(QStringLiteral("Play"), this);
  play_->setObjectName(QStringLiteral("PreviewPlay"));
  loop_ = new QCheckBox(QStringLiteral("Loop"), this);
  loop_->setObjectName(QStringLiteral("PreviewLoop"));
  loop_->setChecked(true);
  original_ = new QCheckBox(QStringLiteral("Original"), this);
  original_->setObjectName(QStringLiteral("PreviewOriginal"));
  keepPitch_ = new QCheckBox(QStringLiteral("Keep Pitch"), this);
  keepPitch_->setObjectName(QStringLiteral("PreviewKeepPitch"));
  hover_ = new QLabel(this);
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("PreviewStatus"));
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  status_->setWordWrap(true);
  cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
  cancel_->setObjectName(QStringLiteral("PreviewCancel"));
  cancel_->hide();
  hover_->setObjectName(QStringLiteral("PreviewHover"));
  // A long readout is cut rather than widening the window under the mouse.
  hover_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  hover_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  // The keys belong to the window: a focused button must not take Space for itself.
  for (QWidget* w :
       {static_cast<QWidget*>(play_), static_cast<QWidget*>(loop_), static_cast<QWidget*>(original_),
        static_cast<QWidget*>(keepPitch_), static_cast<QWidget*>(scroll_), static_cast<QWidget*>(cancel_)}) {
    w->setFocusPolicy(Qt::NoFocus);
  }

  auto* bar = new QHBoxLayout;
  bar->addWidget(play_);
  bar->addWidget(loop_);
  bar->addWidget(original_);
  bar->addWidget(keepPitch_);
  bar->addStretch(1);
  bar->addWidget(hover_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(bar);
  layout->addWidget(view_, 1);
  layout->addWidget(scroll_);
  auto* statusRow = new QHBoxLayout;
  statusRow->addWidget(status_, 1);
  BuildTempoControls(statusRow);
  statusRow->addWidget(cancel_);
  layout->addLayout(statusRow);
  LinkSlices();

  playheadTimer_ = new QTimer(this);
  playheadTimer_->setInterval(30);
  connect(playheadTimer_, &QTimer::timeout, this, [this] {
    view_->SetPlayhead(player_->Playhead() + playOffset_);
    // A single play that has been heard to its end: Play, not Stop, is next.
    if (player_->HeardToEnd() != heardToEnd_) {
      heardToEnd_ = !heardToEnd_;
      UpdateControls();
    }
  });
  connect(cancel_, &QPushButton::clicked, this, &PreviewWindow::CancelRender);
  connect(play_, &QPushButton::clicked, this, &PreviewWindow::TogglePlay);
  connect(loop_, &QCheckBox::toggled, player_, &AudioPlayer::SetLoop);
  connect(original_, &QCheckBox::toggled, this, [this] { StartJob(true); });
  connect(keepPitch_, &QCheckBox::toggled, this, &PreviewWindow::KeepPitchToggled);
  connect(player_, &AudioPlayer::PlayingChanged, this, [this](bool playing) {
    playing ? playheadTimer_->start() : playheadTimer_->stop();
    heardToEnd_ = false;
    if (!playing) view_->SetPlayhead(std::nullopt);
    UpdateControls();
  });
  connect(view_, &WaveformView::BeatClicked, this, &PreviewWindow::OnBeatClicked);
  connect(view_, &WaveformView::Hovered, hover_, &QLabel::setText);
  connect(view_, &WaveformView::ZoomAsked, this, &PreviewWindow::ZoomBy);
  connect(view_, &WaveformView::ScrollAsked, this, &PreviewWindow::ScrollBy);
  connect(view_, &WaveformView::ColumnsChanged, this, [this] {
    if (sound_) StartJob(false);
  });
  connect(scroll_, &QScrollBar::valueChanged, this, &PreviewWindow::OnScrollBar);

  const QByteArray geometry =
      QByteArray::fromBase64(settings_.Value(Key(kSection), QStringLiteral("Geometry")).toLatin1());
  if (!geometry.isEmpty()) placed_ = restoreGeometry(geometry);
  view_->setFocus();
  UpdateControls();
}

PreviewWindow::~PreviewWindow() {
  if (renderCancel_) renderCancel_->store(true);  // the worker need not finish a long stretch
  SaveGeometry();
  // The main window may be half gone already (this window is its child): the player's last
  // signals must not reach this window's handlers, which read it.
  player_->disconnect(this);
  player_->Stop();
}

QString PreviewWindow::StatusText() const {
  return status_->text();
}

bool PreviewWindow::ShowsOriginal() const {
  return original_->isChecked();
}

void PreviewWindow::RenderInputsChanged() {
  if (refreshQueued_) return;
  refreshQueued_ = true;
  QTimer::singleShot(0, this, [this] {
    refreshQueued_ = false;
    Refresh();
  });
}

// Keeps the preview's own copy of the data in step with the open file's.
bool PreviewWindow::TakeSource(const vbMediaFile& wave) {
  const int index = main_.DataIndex();
  if (index < 1 || index > wave.Count()) return false;
  const std::span<const std::byte> bytes = wave.Item(index).bytes();
  const WaveFormat& format = main_.CurrentFormat();
  const bool same = source_.data && sourceWave_ == &wave && source_.format == format &&
                    source_.data->size() == bytes.size() &&
                    (bytes.empty() || std::memcmp(source_.data->data(), bytes.data(), bytes.size()) == 0);
  if (same) return true;
  std::optional<ByteBuffer> copy = ByteBuffer::CopyOf(bytes);
  if (!copy) return false;
  source_.data = std::make_shared<const ByteBuffer>(std::move(*copy));
  source_.format = format;
  sourceWave_ = &wave;
  return true;
}

void PreviewWindow::Refresh() {
  const vbMediaFile* wave = main_.CurrentWave();
  if (!wave) {
    status_->setText(QStringLiteral("No file open."));
    return;
  }
  const bool newFile = wave != sourceWave_ || wave->FileName() != sourceName_;
  // A hidden preview keeps no copy of the data and does no work; showing it refreshes it.
  if (!isVisible()) {
    if (newFile && settings_.Value(Key(kSection), QStringLiteral("Visible")) == QLatin1String("1")) show();
    return;
  }
  if (!TakeSource(*wave)) {
    failure_ = QString::fromLatin1(kOutOfMemory);
    UpdateControls();
    return;
  }
  if (newFile) {
    sourceName_ = wave->FileName();
    selectedBeat_.reset();
    slices_->Reset();
    zoom_ = 1.0;
    start_ = 0.0;
  }
  if (newFile || source_.data != tempoData_) StartTempoJob(*wave);
  renderSettings_ = main_.CurrentRenderSettings();
  const NumberStyle style = main_.Style();
  const std::optional<double> beats = TextToDouble(main_.BeatsText().toStdString(), style);
  const std::optional<double> bars = TextToDouble(main_.BarsText().toStdString(), style);
  // Span As counts round(beats x bars) beats, and refuses beats or bars below 1.
  beats_ = beats && bars && *beats >= 1 && *bars >= 1 ? RoundToLong(*beats * *bars).value_or(0) : 0;
  beatsPerBar_ = beats ? std::max<std::int64_t>(RoundToLong(*beats).value_or(1), 1) : 1;
  StartJob(true);
}

void PreviewWindow::StartJob(bool render) {
  if (!source_.data) return;
  render = render || renderPending_ || !sound_;
  renderPending_ = render;
  const std::uint64_t job = ++pendingJob_;
  latestJob_->store(job);
  // The job before this one is superseded: a stretch it runs stops.
  if (renderCancel_) renderCancel_->store(true);
  const auto cancel = std::make_shared<std::atomic<bool>>(false);
  renderCancel_ = cancel;
  if (render) StartRenderProgress(job);
  std::shared_ptr<const PreviewSound> current = render ? nullptr : sound_;
  const PreviewSource source = source_;
  const RenderSettings settings = renderSettings_;
  const bool original = original_->isChecked();
  const double zoom = zoom_;
  const double start = start_;
  const int columns = view_->Columns();
  const auto latest = latestJob_;
  worker_.Submit([this, job, current, source, settings, original, zoom, start, columns, latest, cancel] {
    auto result = std::make_shared<Result>();
    result->job = job;
    result->sound = current;
    if (!result->sound) {
      if (original) {
        result->sound = PreviewSound::Original(source);
      } else {
        StretchControl control;
        control.cancel = cancel.get();
        control.progress = [this, job, last = -1](double done) mutable {
          const int percent = static_cast<int>(done * 100);
          if (percent == last) return;
          last = percent;
          QMetaObject::invokeMethod(
              this, [this, job, percent] { RenderProgressed(job, percent); }, Qt::QueuedConnection);
        };
        auto rendered = PreviewSound::Render(source, settings, &control);
        if (auto* failure = std::get_if<RenderFailure>(&rendered)) {
          result->failure = QString::fromLatin1(RenderFailureMessage(*failure));
        } else {
          result->sound = std::get<std::shared_ptr<const PreviewSound>>(std::move(rendered));
        }
      }
    }
    // A newer change came in meanwhile: its job will draw, this summary would be wasted.
    if (latest->load() != job) return;
    // The player hears a new render at once; the summary of a large sound takes longer.
    if (result->sound && !current) {
      QMetaObject::invokeMethod(
          this, [this, job, sound = result->sound] { HearEarly(job, sound); }, Qt::QueuedConnection);
    }
    if (result->sound && !current && !original) {
      result->hits = PreviewSlices::FindOn(*result->sound);
      if (latest->load() != job) return;  // changed meanwhile: these hits are of an old sound
    }
    if (result->sound) {
      const std::int64_t frames = result->sound->frames();
      result->count = std::clamp<std::int64_t>(std::llround(zoom * static_cast<double>(frames)), 1,
                                               std::max<std::int64_t>(frames, 1));
      result->first = std::clamp<std::int64_t>(std::llround(start * static_cast<double>(frames)), 0,
                                               std::max<std::int64_t>(frames - result->count, 0));
      result->summary = std::make_shared<const PeakSummary>(
          result->sound->Summarize(result->first, result->count, columns));
    }
    QMetaObject::invokeMethod(
        this, [this, result] { Show(result); }, Qt::QueuedConnection);
  });
}

void PreviewWindow::Show(std::shared_ptr<Result> result) {
  if (result->job != pendingJob_) return;  // stale
  shownJob_ = result->job;
  renderPending_ = false;
  EndRenderProgress();
  failure_ = result->failure;
  if (!result->sound) {
    // The render refused: nothing to draw or play until the settings change.
    player_->Stop();
    sound_.reset();
    summary_.reset();
    grid_ = {};
    view_->SetScene({}, nullptr);
    UpdateControls();
    emit Updated();
    return;
  }
  const bool newSound = result->sound != sound_;
  sound_ = result->sound;
  summary_ = result->summary;
  const WaveFormat& format = sound_->format();
  grid_ = MakeBeatGrid(sound_->bytes(), format.blockAlign, beats_, beatsPerBar_);
  if (selectedBeat_ && (grid_.empty() || *selectedBeat_ >= grid_.beats)) selectedBeat_.reset();
  slices_->Shown(sound_, grid_, result->hits, ShowsOriginal());
  WaveformScene scene;
  scene.grid = grid_;
  scene.firstFrame = result->first;
  scene.frameCount = result->count;
  scene.sampleRate = format.sampleRate;
  scene.selectedBeat = selectedBeat_;
  scene.slices = slices_->Marks();
  if (player_->IsPlaying()) scene.playhead = player_->Playhead() + playOffset_;
  view_->SetScene(scene, summary_);
  if (newSound) UpdatePlayer();
  UpdateScrollBar();
  UpdateControls();
  emit Updated();
}

void PreviewWindow::HearEarly(std::uint64_t job, const std::shared_ptr<const PreviewSound>& sound) {
  // A slice heard alone waits for its markers on the new sound.
  if (job != pendingJob_ || !player_->IsPlaying() || slices_->SelectedSlice()) return;
  const BeatGrid grid = MakeBeatGrid(sound->bytes(), sound->format().blockAlign, beats_, beatsPerBar_);
  if (selectedBeat_ && !grid.empty() && *selectedBeat_ < grid.beats) {
    player_->SetSound(sound, grid.BeatStart(*selectedBeat_), grid.BeatStart(*selectedBeat_ + 1));
  } else {
    player_->SetSound(sound);
  }
}

void PreviewWindow::UpdatePlayer() {
  if (PlaySelectedSlice()) return;
  if (selectedBeat_) {
    player_->SetSound(sound_, grid_.BeatStart(*selectedBeat_), grid_.BeatStart(*selectedBeat_ + 1));
  } else {
    player_->SetSound(sound_);
  }
}

void PreviewWindow::UpdateControls() {
  QString text = failure_;
  bool playable = false;
  if (text.isEmpty() && sound_) {
    const WaveFormat& format = sound_->format();
    text = QStringLiteral("%1%2 frames, %3 s")
               .arg(ShowsOriginal() ? QStringLiteral("Original: ") : QString())
               .arg(sound_->frames())
               .arg(static_cast<double>(sound_->frames()) / std::max(format.sampleRate, 1), 0, 'f', 3);
    if (!grid_.empty()) {
      text += QStringLiteral(", %1 beats of %2 frames").arg(grid_.beats).arg(grid_.beatFrames);
      const std::int64_t tail = grid_.soundFrames - grid_.GridEnd();
      if (tail > 0) text += QStringLiteral(", tail %1 frames").arg(tail);
    }
    QString problem = player_->Problem(format);
    playable = problem.isEmpty() && sound_->frames() > 0;
    if (problem.isEmpty()) problem = player_->LastError();
    if (tempo_) text += QStringLiteral(". ") + TempoText(*tempo_);
    if (!problem.isEmpty()) text += QStringLiteral(". ") + problem;
  } else if (text.isEmpty() && !main_.CurrentWave()) {
    text = QStringLiteral("No file open.");
  }
  if (playable) text += QStringLiteral(". ") + SpacePlaysText();
  status_->setText(text);
  play_->setEnabled(playable || player_->IsPlaying());
  useTempo_->setEnabled(tempo_.has_value() && main_.CurrentWave() != nullptr);
  play_->setText(Sounding() ? QStringLiteral("Stop") : QStringLiteral("Play"));
  if (!cancel_->isHidden()) ShowRenderProgress();
}

void PreviewWindow::TogglePlay() {
  // Space right after a single play ended plays again (the output's last silence is not waited for).
  if (Sounding()) {
    player_->Stop();
    return;
  }
  if (!play_->isEnabled()) return;
  UpdatePlayer();
  player_->Play();
  UpdateControls();
}

void PreviewWindow::SetKeepPitch(bool on) {
  const QSignalBlocker quiet(keepPitch_);
  keepPitch_->setChecked(on);
}

void PreviewWindow::SetOriginal(bool original) {
  original_->setChecked(original);
}

void PreviewWindow::OnBeatClicked(std::int64_t beat) {
  if (beat < 0) {
    selectedBeat_.reset();
    UpdatePlayer();
  } else {
    selectedBeat_ = beat;
    UpdatePlayer();
    if (play_->isEnabled() && !player_->IsPlaying()) {
      player_->Play();
    }
  }
  WaveformScene scene = view_->Scene();
  scene.selectedBeat = selectedBeat_;
  view_->SetScene(scene, summary_);
  UpdateControls();
}

void PreviewWindow::ZoomBy(int steps, double atFraction) {
  if (!sound_ || steps == 0) return;
  const double frames = static_cast<double>(std::max<std::int64_t>(sound_->frames(), 1));
  const double minZoom = std::min(1.0, kMinVisibleFrames / frames);
  const double anchor = start_ + zoom_ * std::clamp(atFraction, 0.0, 1.0);
  const double zoom = std::clamp(zoom_ * std::pow(0.5, steps), minZoom, 1.0);
  if (zoom == zoom_) return;
  zoom_ = zoom;
  start_ = std::clamp(anchor - zoom_ * atFraction, 0.0, 1.0 - zoom_);
  StartJob(false);
}

void PreviewWindow::ScrollBy(int steps) {
  if (!sound_ || zoom_ >= 1.0) return;
  start_ = std::clamp(start_ + steps * zoom_ / 8, 0.0, 1.0 - zoom_);
  StartJob(false);
}

void PreviewWindow::UpdateScrollBar() {
  const QSignalBlocker block(scroll_);
  constexpr int kSteps = 100000;
  const int page = std::max(1, static_cast<int>(std::lround(zoom_ * kSteps)));
  scroll_->setRange(0, kSteps - page);
  scroll_->setPageStep(page);
  scroll_->setSingleStep(std::max(1, page / 8));
  scroll_->setValue(static_cast<int>(std::lround(start_ * kSteps)));
  scroll_->setEnabled(zoom_ < 1.0);
}

void PreviewWindow::OnScrollBar(int value) {
  start_ = std::clamp(value / 100000.0, 0.0, 1.0 - zoom_);
  StartJob(false);
}

void PreviewWindow::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Space:
      TogglePlay();
      break;
    case Qt::Key_L:
      loop_->toggle();
      break;
    case Qt::Key_O:
      original_->toggle();
      break;
    case Qt::Key_K:
      keepPitch_->toggle();
      break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
      ZoomBy(1);
      break;
    case Qt::Key_Minus:
      ZoomBy(-1);
      break;
    case Qt::Key_Escape:
      OnBeatClicked(-1);
      break;
    default:
      QWidget::keyPressEvent(event);
      return;
  }
  event->accept();
}

void PreviewWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!placed_ && parentWidget()) {
    // First time: beside the main window where there is room, never past a screen edge.
    const QWidget* main = parentWidget()->window();
    if (const QScreen* screen = main->screen()) {
      // Before the window manager has framed this window, its frame is the main window's.
      QMargins frame(geometry().left() - frameGeometry().left(), geometry().top() - frameGeometry().top(),
                     frameGeometry().right() - geometry().right(),
                     frameGeometry().bottom() - geometry().bottom());
      if (frame.isNull()) {
        frame = QMargins(main->geometry().left() - main->frameGeometry().left(),
                         main->geometry().top() - main->frameGeometry().top(),
                         main->frameGeometry().right() - main->geometry().right(),
                         main->frameGeometry().bottom() - main->geometry().bottom());
      }
      const QSize framing(frame.left() + frame.right(), frame.top() + frame.bottom());
      const QRect place = PlacePreview(screen->availableGeometry(), main->frameGeometry(), size() + framing,
                                       minimumSizeHint().expandedTo(minimumSize()) + framing);
      // The client area, placed inside the frame: move() before the window is framed places the
      // client at the frame's corner, a title bar higher than the main window.
      setGeometry(QRect(place.topLeft() + QPoint(frame.left(), frame.top()), place.size() - framing));
    }
    placed_ = true;
  }
  settings_.SetValue(Key(kSection), QStringLiteral("Visible"), QStringLiteral("1"));
  RenderInputsChanged();
}

void PreviewWindow::closeEvent(QCloseEvent* event) {
  CancelRender();
  player_->Stop();
  SaveGeometry();
  settings_.SetValue(Key(kSection), QStringLiteral("Visible"), QStringLiteral("0"));
  event->accept();
}

void PreviewWindow::SaveGeometry() {
  if (!placed_) return;
  settings_.SetValue(Key(kSection), QStringLiteral("Geometry"),
                     QString::fromLatin1(saveGeometry().toBase64()));
}

}  // namespace tactoria
