#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

#include "analysis/tempo_estimate.h"
#include "beats/beat_grid.h"
#include "preview/preview_worker.h"
#include "process/peak_summary.h"
#include "process/preview_sound.h"

class QBoxLayout;
class QCheckBox;
class QLabel;
class QPushButton;
class QScrollBar;
class QTimer;

namespace tactoria {

class AudioPlayer;
class MainWindowState;
class PreviewSlices;
class SettingsStore;
class WaveformView;
class vbMediaFile;

// A modeless window that draws and plays what Save As would write right now: the open data
// rendered with the main window's settings, its beat grid as Span As cuts it. It only reads
// the main window; renders and summaries run on a worker thread and stale results are dropped.
class PreviewWindow : public QWidget {
  Q_OBJECT

 public:
  PreviewWindow(MainWindowState& main, SettingsStore& settings, QWidget* parent = nullptr);
  ~PreviewWindow() override;

  // Settings section "Preview": keys "Geometry" and "Visible".
  static constexpr const char* kSection = "Preview";

  AudioPlayer& Player() { return *player_; }
  WaveformView& View() { return *view_; }
  const BeatGrid& Grid() const { return grid_; }
  PreviewSlices& Slices() { return *slices_; }
  std::shared_ptr<const PreviewSound> Sound() const { return sound_; }
  std::shared_ptr<const PeakSummary> Summary() const { return summary_; }
  QString StatusText() const;
  bool ShowsOriginal() const;
  std::optional<std::int64_t> SelectedBeat() const { return selectedBeat_; }
  // True while a render or summary is on its way.
  bool Busy() const { return refreshQueued_ || pendingJob_ != shownJob_; }
  // The tempo found in the open data (before the render), once its analysis is done.
  const std::optional<TempoEstimate>& Tempo() const { return tempo_; }

 public slots:
  // The main window's fields, check boxes, data or file changed: refresh on the next pass of
  // the event loop (a cascade of field changes gives one refresh).
  void RenderInputsChanged();
  void TogglePlay();
  void SetOriginal(bool original);
  void ZoomBy(int steps, double atFraction = 0.5);
  // Shows the main window's Keep Pitch choice (without asking to change it).
  void SetKeepPitch(bool on);
  // Stops the render under way (a long Keep Pitch stretch); the status says it was cancelled.
  void CancelRender();

 signals:
  // A new sound or summary is on screen.
  void Updated();
  // The user switched Keep Pitch here (K or the box); the main window holds the choice.
  void KeepPitchToggled(bool on);
  // "Use Tempo": the main window's Detect Tempo is asked for.
  void UseTempoAsked();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  struct Result;

  void Refresh();
  bool TakeSource(const vbMediaFile& wave);
  void StartJob(bool render);
  void Show(std::shared_ptr<Result> result);
  void OnBeatClicked(std::int64_t beat);
  void ScrollBy(int steps);
  void OnScrollBar(int value);
  void HearEarly(std::uint64_t job, const std::shared_ptr<const PreviewSound>& sound);
  void UpdatePlayer();
  void UpdateControls();
  void UpdateScrollBar();
  void SaveGeometry();
  // Slices (preview_window_slices.cpp).
  void LinkSlices();
  void OnSliceChanged();
  bool PlaySelectedSlice();
  // A long render's progress in the status line, with Cancel (preview_window_render.cpp).
  void StartRenderProgress(std::uint64_t job);
  void RenderProgressed(std::uint64_t job, int percent);
  void ShowRenderProgress();
  void EndRenderProgress();
  // The tempo of the open data, on a worker of its own (preview_window_tempo.cpp).
  void BuildTempoControls(QBoxLayout* statusRow);
  void StartTempoJob(const vbMediaFile& wave);
  // What Space plays, for the status line and the Play button.
  QString SpacePlaysText() const;
  bool Sounding() const;

  MainWindowState& main_;
  SettingsStore& settings_;
  PreviewWorker worker_;

  // The copy of the open data, and what it was copied from.
  PreviewSource source_;
  const vbMediaFile* sourceWave_ = nullptr;
  std::string sourceName_;
  bool refreshQueued_ = false;
  // A render was asked for and has not been shown yet: view changes must not drop it.
  bool renderPending_ = false;

  RenderSettings renderSettings_;
  std::int64_t beats_ = 0;
  std::int64_t beatsPerBar_ = 1;
  std::shared_ptr<const PreviewSound> sound_;
  std::shared_ptr<const PeakSummary> summary_;
  BeatGrid grid_;
  QString failure_;
  std::optional<std::int64_t> selectedBeat_;
  // The view as fractions of the sound, kept across length changes.
  double zoom_ = 1.0;
  double start_ = 0.0;
  std::uint64_t pendingJob_ = 0;
  std::uint64_t shownJob_ = 0;
  std::shared_ptr<std::atomic<std::uint64_t>> latestJob_;

  AudioPlayer* player_ = nullptr;
  WaveformView* view_ = nullptr;
  QScrollBar* scroll_ = nullptr;
  QPushButton* play_ = nullptr;
  QCheckBox* loop_ = nullptr;
  QCheckBox* original_ = nullptr;
  QCheckBox* keepPitch_ = nullptr;
  QLabel* hover_ = nullptr;
  QLabel* status_ = nullptr;
  QPushButton* cancel_ = nullptr;
  // The running render's cancel flag; a newer job or Cancel sets it.
  std::shared_ptr<std::atomic<bool>> renderCancel_;
  QElapsedTimer renderClock_;
  std::uint64_t renderJob_ = 0;
  int renderPercent_ = 0;
  bool heardToEnd_ = false;
  QTimer* playheadTimer_ = nullptr;
  bool placed_ = false;
  PreviewSlices* slices_ = nullptr;
  // Where the sound the player holds starts in the shown one (a slice heard alone).
  std::int64_t playOffset_ = 0;

  // The tempo analysis: its own worker, so that a render does not replace it; a result of any
  // job but the newest is of data that has changed since and is dropped.
  PreviewWorker tempoWorker_;
  std::uint64_t tempoJob_ = 0;
  std::shared_ptr<const ByteBuffer> tempoData_;  // what the newest job analyses
  std::optional<TempoEstimate> tempo_;
  QPushButton* useTempo_ = nullptr;
};

}  // namespace tactoria
