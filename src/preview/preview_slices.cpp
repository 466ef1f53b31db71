#include "preview/preview_slices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QSignalBlocker>
#include <QUndoCommand>
#include <QUndoStack>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "analysis/hits.h"
#include "preview/waveform_view.h"
#include "slices/slice_fades.h"
#include "slices/slice_points.h"

namespace tactoria {
namespace {

// How near (in pixels) a press must be to a marker to take it.
constexpr int kGrab = 4;

// Every command puts a whole edit state back, so redo right after the push is harmless.
class SliceCommand : public QUndoCommand {
 public:
  SliceCommand(PreviewSlices& slices, const QString& text, PreviewSlices::Edit before,
               PreviewSlices::Edit after)
      : QUndoCommand(text), slices_(&slices), before_(std::move(before)), after_(std::move(after)) {}
  void undo() override {
    if (slices_) slices_->Restore(before_);
  }
  void redo() override {
    if (slices_) slices_->Restore(after_);
  }

 private:
  QPointer<PreviewSlices> slices_;
  PreviewSlices::Edit before_;
  PreviewSlices::Edit after_;
};

QDoubleSpinBox* FadeBox(const char* name, double value, QWidget* parent) {
  auto* box = new QDoubleSpinBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setRange(0.0, 1000.0);
  box->setDecimals(1);
  box->setSingleStep(0.5);
  box->setSuffix(QStringLiteral(" ms"));
  box->setValue(value);
  return box;
}

}  // namespace

PreviewSlices::PreviewSlices(WaveformView& view, QUndoStack* undo, QWidget* parent)
    : QObject(parent), view_(view), undo_(undo) {
  setObjectName(QStringLiteral("PreviewSlices"));
  bar_ = new QWidget(parent);
  mode_ = new QComboBox(bar_);
  mode_->setObjectName(QStringLiteral("SliceMode"));
  mode_->addItems({QStringLiteral("Grid"), QStringLiteral("Hits")});
  snap_ = new QCheckBox(QStringLiteral("Snap"), bar_);
  snap_->setObjectName(QStringLiteral("SliceSnap"));
  snap_->setChecked(state_.snap);
  snap_->setToolTip(QStringLiteral("A marker placed by hand goes to the nearest zero crossing within 2 ms"));
  fadeIn_ = FadeBox("SliceFadeIn", state_.fadeInMs, bar_);
  fadeOut_ = FadeBox("SliceFadeOut", state_.fadeOutMs, bar_);
  count_ = new QLabel(bar_);
  count_->setObjectName(QStringLiteral("SliceCount"));
  // The count gives way before the controls do, so the row never widens the Preview.
  count_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  count_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  for (QWidget* w : {static_cast<QWidget*>(mode_), static_cast<QWidget*>(snap_)})
    w->setFocusPolicy(Qt::NoFocus);

  // Two short rows rather than one long one, so the Preview still fits beside the main window.
  auto* rows = new QVBoxLayout(bar_);
  rows->setContentsMargins(0, 0, 0, 0);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(QStringLiteral("Slices:"), bar_));
  row->addWidget(mode_);
  row->addWidget(snap_);
  row->addStretch(1);
  row->addWidget(count_, 1);
  rows->addLayout(row);
  auto* fades = new QHBoxLayout;
  fades->addWidget(new QLabel(QStringLiteral("Fade in:"), bar_));
  fades->addWidget(fadeIn_);
  fades->addWidget(new QLabel(QStringLiteral("Fade out:"), bar_));
  fades->addWidget(fadeOut_);
  fades->addStretch(1);
  rows->addLayout(fades);

  connect(mode_, &QComboBox::currentIndexChanged, this,
          [this](int index) { SetMode(index == 1 ? SliceMode::Hits : SliceMode::Grid); });
  connect(snap_, &QCheckBox::toggled, this, [this](bool on) { state_.snap = on; });
  connect(fadeIn_, &QDoubleSpinBox::valueChanged, this, [this](double ms) {
    state_.fadeInMs = ms;
    emit SliceChanged();
  });
  connect(fadeOut_, &QDoubleSpinBox::valueChanged, this, [this](double ms) {
    state_.fadeOutMs = ms;
    emit SliceChanged();
  });
  view_.installEventFilter(this);
  Update();
}

bool PreviewSlices::Editing() const {
  return state_.mode == SliceMode::Hits && sound_ && !original_;
}

std::optional<SliceRange> PreviewSlices::SelectedSlice() const {
  if (!Editing() || !selectedSlice_) return std::nullopt;
  const std::vector<SliceRange> slices = SliceRanges(state_, grid_);
  if (*selectedSlice_ < 0 || *selectedSlice_ >= static_cast<int>(slices.size())) return std::nullopt;
  return slices[static_cast<std::size_t>(*selectedSlice_)];
}

std::vector<std::int64_t> PreviewSlices::FindOn(const PreviewSound& sound) {
  // The cuts the export makes of the same hits: a hit within the least gap of either end starts
  // no slice of its own, so the Preview's slice numbers are the files' numbers.
  const std::vector<std::byte> pcm = sound.Copy();
  const Slices slices = SlicesFromHits(pcm, sound.format(), HitOptions{});
  return {slices.starts.begin() + 1, slices.starts.end()};
}

void PreviewSlices::Reset() {
  state_.markers.clear();
  state_.soundFrames = 0;
  state_.edited = false;
  found_.clear();
  selectedMarker_.reset();
  selectedSlice_.reset();
  dragging_.reset();
  Update();
}

void PreviewSlices::Shown(std::shared_ptr<const PreviewSound> sound, const BeatGrid& grid,
                          const std::optional<std::vector<std::int64_t>>& hits, bool original) {
  sound_ = std::move(sound);
  grid_ = grid;
  original_ = original;
  if (hits && sound_) {
    dragging_.reset();  // the markers it held may be gone
    const std::int64_t frames = sound_->frames();
    found_ = *hits;
    if (!state_.edited) {
      state_.markers = found_;
    } else if (state_.soundFrames != frames) {
      state_.markers = ScaleMarkers(state_.markers, state_.soundFrames, frames);
    }
    state_.soundFrames = frames;
  }
  if (selectedMarker_ && *selectedMarker_ >= static_cast<int>(state_.markers.size())) selectedMarker_.reset();
  if (selectedSlice_ && !SelectedSlice()) selectedSlice_.reset();
  Update();
}

SliceMarks PreviewSlices::Marks() const {
  SliceMarks marks;
  if (!sound_ || original_) return marks;
  marks.markers = state_.markers;
  marks.editable = state_.mode == SliceMode::Hits;
  marks.selectedMarker = selectedMarker_;
  if (dragging_ && *dragging_ < static_cast<int>(marks.markers.size())) {
    const auto at = marks.markers.begin() + *dragging_;
    if (dragOff_) {
      marks.markers.erase(at);
      marks.selectedMarker.reset();
    } else {
      *at = dragFrame_;
    }
  }
  if (const std::optional<SliceRange> slice = SelectedSlice()) {
    marks.sliceFirst = slice->first;
    marks.sliceEnd = slice->end;
  }
  return marks;
}

PreviewSlices::SliceSound PreviewSlices::SelectedSliceSound() const {
  const std::optional<SliceRange> slice = SelectedSlice();
  if (!slice || !sound_) return {};
  const WaveFormat& format = sound_->format();
  std::optional<ByteBuffer> bytes =
      ByteBuffer::Allocate(static_cast<std::size_t>((slice->end - slice->first) * format.blockAlign));
  if (!bytes) return {};
  sound_->Gather(slice->first * format.blockAlign, bytes->bytes());
  // Played as it will be written; a slice shorter than its fades (which the export refuses) is
  // heard with both shortened in proportion.
  const std::int64_t frames = slice->end - slice->first;
  std::int64_t fadeIn = FadeFrames(state_.fadeInMs, format.sampleRate);
  std::int64_t fadeOut = FadeFrames(state_.fadeOutMs, format.sampleRate);
  if (fadeIn + fadeOut > frames) {
    fadeIn = fadeIn * frames / (fadeIn + fadeOut);
    fadeOut = frames - fadeIn;
  }
  ApplyFades(bytes->bytes(), format, fadeIn, fadeOut);
  PreviewSource source;
  source.data = std::make_shared<const ByteBuffer>(std::move(*bytes));
  source.format = format;
  return {PreviewSound::Original(source), slice->first};
}

PreviewSlices::Edit PreviewSlices::Snapshot() const {
  return {state_.mode, state_.markers, state_.soundFrames, state_.edited, selectedMarker_};
}

void PreviewSlices::Apply(const QString& text, const Edit& after) {
  if (undo_) {
    undo_->push(new SliceCommand(*this, text, Snapshot(), after));
  } else {
    Restore(after);
  }
}

void PreviewSlices::Restore(const Edit& edit) {
  const bool modeChanged = edit.mode != state_.mode;
  const bool hadSlice = SelectedSlice().has_value();
  state_.mode = edit.mode;
  state_.edited = edit.edited;
  if (!edit.edited) {
    state_.markers = found_;
  } else if (state_.soundFrames > 0 && edit.soundFrames != state_.soundFrames) {
    state_.markers = ScaleMarkers(edit.markers, edit.soundFrames, state_.soundFrames);
  } else {
    state_.markers = edit.markers;
    if (state_.soundFrames == 0) state_.soundFrames = edit.soundFrames;
  }
  selectedMarker_ = edit.selected && *edit.selected < static_cast<int>(state_.markers.size()) ? edit.selected
                                                                                              : std::nullopt;
  selectedSlice_.reset();
  dragging_.reset();
  {
    const QSignalBlocker quiet(mode_);
    mode_->setCurrentIndex(state_.mode == SliceMode::Hits ? 1 : 0);
  }
  Update();
  if (modeChanged) emit ModeChanged();
  if (hadSlice) emit SliceChanged();
}

void PreviewSlices::SetMode(SliceMode mode) {
  if (mode == state_.mode) return;
  Edit after = Snapshot();
  after.mode = mode;
  after.selected.reset();
  Apply(mode == SliceMode::Hits ? QStringLiteral("Slice at Hits") : QStringLiteral("Slice at Grid"), after);
}

void PreviewSlices::MoveMarker(int index, std::int64_t frame) {
  if (index < 0 || index >= static_cast<int>(state_.markers.size())) return;
  Edit after = Snapshot();
  after.markers[static_cast<std::size_t>(index)] = frame;
  std::sort(after.markers.begin(), after.markers.end());
  after.markers.erase(std::unique(after.markers.begin(), after.markers.end()), after.markers.end());
  after.edited = true;
  after.selected = static_cast<int>(std::lower_bound(after.markers.begin(), after.markers.end(), frame) -
                                    after.markers.begin());
  Apply(QStringLiteral("Move Marker"), after);
}

void PreviewSlices::AddMarker(std::int64_t frame) {
  if (!sound_ || frame < 0 || frame >= sound_->frames()) return;
  Edit after = Snapshot();
  const auto at = std::lower_bound(after.markers.begin(), after.markers.end(), frame);
  if (at != after.markers.end() && *at == frame) return;
  after.selected = static_cast<int>(at - after.markers.begin());
  after.markers.insert(at, frame);
  after.edited = true;
  Apply(QStringLiteral("Add Marker"), after);
}

void PreviewSlices::RemoveMarker(int index) {
  if (index < 0 || index >= static_cast<int>(state_.markers.size())) return;
  Edit after = Snapshot();
  after.markers.erase(after.markers.begin() + index);
  after.edited = true;
  after.selected.reset();
  Apply(QStringLiteral("Delete Marker"), after);
}

std::int64_t PreviewSlices::Snap(std::int64_t frame) const {
  if (!state_.snap || !sound_) return frame;
  const WaveFormat& format = sound_->format();
  const std::int64_t radius = FadeFrames(kSnapWindowMs, format.sampleRate);
  const std::int64_t first = std::max<std::int64_t>(frame - radius - 1, 0);
  const std::int64_t end = std::min(frame + radius + 2, sound_->frames());
  if (end <= first) return frame;
  std::vector<std::byte> pcm(static_cast<std::size_t>((end - first) * format.blockAlign));
  sound_->Gather(first * format.blockAlign, pcm);
  return first + NearestZeroCrossing(pcm, format, frame - first, radius, 0, end - first - 1);
}

std::optional<int> PreviewSlices::MarkerNear(int x) const {
  std::optional<int> best;
  int distance = kGrab + 1;
  for (std::size_t i = 0; i < state_.markers.size(); ++i) {
    const int d = std::abs(view_.XOf(state_.markers[i]) - x);
    if (d < distance) {
      distance = d;
      best = static_cast<int>(i);
    }
  }
  return best;
}

std::int64_t PreviewSlices::FrameAt(int x) const {
  return FrameAtX(view_.Scene(), WaveformLanes(view_.rect()), x);
}

void PreviewSlices::SelectSliceAt(std::optional<std::int64_t> frame) {
  selectedMarker_.reset();
  selectedSlice_.reset();
  if (frame) {
    const int index = SliceIndexAt(SliceRanges(state_, grid_), *frame);
    if (index >= 0) selectedSlice_ = index;
  }
  Update();
  emit SliceChanged();
}

void PreviewSlices::EndDrag() {
  const int index = *dragging_;
  const bool off = dragOff_;
  const std::int64_t frame = dragFrame_;
  dragging_.reset();
  dragOff_ = false;
  if (index >= static_cast<int>(state_.markers.size())) return;
  if (off) {
    RemoveMarker(index);
    return;
  }
  const std::int64_t snapped = Snap(frame);
  if (snapped != state_.markers[static_cast<std::size_t>(index)]) {
    MoveMarker(index, snapped);
  } else {
    Update();
  }
}

void PreviewSlices::Update() {
  view_.SetSliceMarks(Marks());
  count_->setText(sound_ && !original_ ? QStringLiteral("%1 hits, %2 slices")
                                             .arg(state_.markers.size())
                                             .arg(SliceRanges(state_, grid_).size())
                                       : QString());
}

bool PreviewSlices::eventFilter(QObject* watched, QEvent* event) {
  if (watched != &view_) return false;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
      return MouseEvent(event);
    case QEvent::KeyPress:
      return KeyEvent(event);
    default:
      return false;
  }
}

bool PreviewSlices::MouseEvent(QEvent* event) {
  auto* mouse = static_cast<QMouseEvent*>(event);
  const QPoint pos = mouse->position().toPoint();
  const QRect lanes = WaveformLanes(view_.rect());
  if (event->type() == QEvent::MouseMove) {
    if (!dragging_ || !sound_ || *dragging_ >= static_cast<int>(state_.markers.size())) return false;
    dragOff_ = pos.y() < 0 || pos.y() >= view_.height();
    const auto index = static_cast<std::size_t>(*dragging_);
    const std::int64_t low = index > 0 ? state_.markers[index - 1] + 1 : 0;
    const std::int64_t high =
        index + 1 < state_.markers.size() ? state_.markers[index + 1] - 1 : sound_->frames() - 1;
    dragFrame_ = std::clamp(FrameAt(pos.x()), low, std::max(low, high));
    Update();
    return true;
  }
  if (event->type() == QEvent::MouseButtonRelease) {
    if (!dragging_ || mouse->button() != Qt::LeftButton) return dragging_.has_value();
    EndDrag();
    return true;
  }
  if (!Editing() || mouse->button() != Qt::LeftButton) return false;
  view_.setFocus(Qt::MouseFocusReason);
  const std::optional<int> near = pos.y() >= lanes.top() ? MarkerNear(pos.x()) : std::nullopt;
  if (event->type() == QEvent::MouseButtonDblClick) {
    if (!near && lanes.contains(pos)) AddMarker(Snap(FrameAt(pos.x())));
    return true;
  }
  if (near) {
    selectedMarker_ = near;
    selectedSlice_.reset();
    dragging_ = near;
    dragFrame_ = state_.markers[static_cast<std::size_t>(*near)];
    dragOff_ = false;
    Update();
    return true;
  }
  if (!lanes.contains(pos)) return false;
  SelectSliceAt(FrameAt(pos.x()));
  return true;
}

bool PreviewSlices::KeyEvent(QEvent* event) {
  if (!Editing()) return false;
  const int key = static_cast<QKeyEvent*>(event)->key();
  if ((key == Qt::Key_Delete || key == Qt::Key_Backspace) && selectedMarker_) {
    RemoveMarker(*selectedMarker_);
    return true;
  }
  if (key == Qt::Key_Escape) {
    SelectSliceAt(std::nullopt);
    return true;
  }
  return false;
}

}  // namespace tactoria
