#pragma once

#include <QObject>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "beats/beat_grid.h"
#include "process/preview_sound.h"
#include "slices/slice_state.h"
#include "waveform/slice_marks.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QUndoStack;
class QWidget;

namespace tactoria {

class WaveformView;
struct WaveformScene;

// The preview's slicing: the cuts ("Grid": the beats of a span, "Hits": the hits found on each
// render), the hit markers edited by hand on the waveform, and the slices' fades. Every edit is
// one command on the window's undo stack.
//
// Once a marker has been edited, a new render (a new tempo or length, an effect, a shuffle)
// keeps the edited markers, scaled to the new length, rather than finding the hits again: the
// user's cuts are not thrown away by a change of tempo. A new file starts afresh.
class PreviewSlices : public QObject {
  Q_OBJECT

 public:
  // What an edit changes, as the undo stack keeps it.
  struct Edit {
    SliceMode mode = SliceMode::Grid;
    std::vector<std::int64_t> markers;
    std::int64_t soundFrames = 0;
    bool edited = false;
    std::optional<int> selected;
  };
  // A slice to be heard alone: its frames with its fades, and where it starts in the sound.
  struct SliceSound {
    std::shared_ptr<const PreviewSound> sound;
    std::int64_t first = 0;
  };

  PreviewSlices(WaveformView& view, QUndoStack* undo, QWidget* parent);

  // The row of controls: "Slices:" Grid or Hits, "Snap", "Fade in", "Fade out".
  QWidget* Bar() const { return bar_; }
  const SliceState& State() const { return state_; }
  // Where the slices start on the rendered sound, as the chosen cuts stand.
  std::vector<std::int64_t> Starts() const { return SliceStarts(state_, grid_); }
  // The hits found on the last render.
  const std::vector<std::int64_t>& Found() const { return found_; }
  std::optional<int> SelectedMarker() const { return selectedMarker_; }
  std::optional<SliceRange> SelectedSlice() const;
  // The hits are the cuts and take the mouse: "Hits" on a render (not the original data).
  bool Editing() const;

  // The hits of a rendered sound, as the worker finds them.
  static std::vector<std::int64_t> FindOn(const PreviewSound& sound);

  // A new file: the markers of its first render are the hits found.
  void Reset();
  // A result is on screen: its sound and grid, the hits found on it when it is a new render,
  // and whether it is the original data.
  void Shown(std::shared_ptr<const PreviewSound> sound, const BeatGrid& grid,
             const std::optional<std::vector<std::int64_t>>& hits, bool original);
  SliceMarks Marks() const;
  SliceSound SelectedSliceSound() const;

  void SetMode(SliceMode mode);
  void MoveMarker(int index, std::int64_t frame);
  void AddMarker(std::int64_t frame);
  void RemoveMarker(int index);
  // Undo and redo put an edit's state back.
  void Restore(const Edit& edit);

 signals:
  void ModeChanged();
  // The slice to hear alone, or its sound, changed.
  void SliceChanged();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Edit Snapshot() const;
  void Apply(const QString& text, const Edit& after);
  std::int64_t Snap(std::int64_t frame) const;
  std::optional<int> MarkerNear(int x) const;
  std::int64_t FrameAt(int x) const;
  void SelectSliceAt(std::optional<std::int64_t> frame);
  void EndDrag();
  void Update();
  bool MouseEvent(QEvent* event);
  bool KeyEvent(QEvent* event);

  WaveformView& view_;
  QUndoStack* undo_;
  SliceState state_;
  std::vector<std::int64_t> found_;
  std::shared_ptr<const PreviewSound> sound_;
  BeatGrid grid_;
  bool original_ = false;
  std::optional<int> selectedMarker_;
  std::optional<int> selectedSlice_;  // in SliceRanges(state_, grid_)
  // A marker being dragged, where it is now, and whether it is off the view (let go there,
  // it is removed).
  std::optional<int> dragging_;
  std::int64_t dragFrame_ = 0;
  bool dragOff_ = false;

  QWidget* bar_ = nullptr;
  QComboBox* mode_ = nullptr;
  QCheckBox* snap_ = nullptr;
  QDoubleSpinBox* fadeIn_ = nullptr;
  QDoubleSpinBox* fadeOut_ = nullptr;
  QLabel* count_ = nullptr;
};

}  // namespace tactoria
