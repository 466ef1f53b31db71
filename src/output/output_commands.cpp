#include "output_commands.h"

#include <QApplication>
#include <QStringList>
#include <exception>
#include <memory>
#include <new>

#include "beats/beat_math.h"
#include "beats/span_beats.h"
#include "output/command_support.h"
#include "output/frm_progress.h"
#include "output/frm_shuffle.h"
#include "output/output_texts.h"
#include "output/shuffle_undo.h"
#include "process/render.h"
#include "process/render_plan.h"
#include "process/rendered_output.h"
#include "process/sound_routines.h"
#include "process/time_stretch_render.h"
#include "tempo/field_conversions.h"
#include "ui/busy_state.h"
#include "ui/focus_return.h"
#include "ui/main_window_state.h"
#include "ui/render_progress.h"
#include "ui/user_dialogs.h"
#include "wave/wave_validation.h"

namespace tactoria {

namespace {

constexpr const char* kDeleteSpannedTitle = "Spanned Cancelled";
constexpr const char* kDeleteSpannedText = "Do you wish to delete all the spanned files you just created?.";

// Renders the open sound as the window's fields describe it; shows the failure, if any (a render
// the user cancelled in its progress window ends without a message).
std::optional<ByteBuffer> Render(MainWindowState& window, const vbMediaFile& wave) {
  const RenderProgress progress(window.Window());
  RenderResult result = RenderNewSample(wave.Item(window.DataIndex()).bytes(), window.CurrentFormat(),
                                        window.CurrentRenderSettings(), progress.Control());
  if (result.failure == RenderFailure::Cancelled) return std::nullopt;
  if (result.failure) {
    window.Dialogs().Message(window.Window(), kRenderFailureTitle, RenderFailureMessage(*result.failure),
                             MessageIcon::Critical);
    return std::nullopt;
  }
  return std::move(result.buffer);
}

// The output file of the open sound as rendered, gathered while it is written.
WaveOutput Rendered(MainWindowState& window, const vbMediaFile& wave, const PlannedRender& planned) {
  return RenderedOutput(wave, window.CurrentFormat(), planned.plan(), planned.source());
}

// The deletion question of a span that did not run to its end. On Yes the progress dialog
// goes first, then the files this span wrote; any that stay are named to the user.
void OfferSpanDeletion(MainWindowState& window, std::unique_ptr<FrmProgress>& progress,
                       const std::vector<SpannedFile>& written) {
  QWidget* parent = progress ? static_cast<QWidget*>(progress.get()) : window.Window();
  if (window.Dialogs().Question(parent, kDeleteSpannedTitle, kDeleteSpannedText, false) != Answer::Yes)
    return;
  progress.reset();
  std::vector<std::string> kept;
  {
    BusyPointer busy;
    kept = DeleteSpannedFiles(written);
  }
  if (kept.empty()) return;
  QStringList names;
  for (const std::string& path : kept) names << FromFsPath(path);
  window.Dialogs().Message(window.Window(), {},
                           QStringLiteral("These spanned files could not be deleted:\n") + names.join('\n'),
                           MessageIcon::Exclamation);
}

}  // namespace

std::optional<BeatCounts> BeatsAndBarsAtLeastOne(MainWindowState& window) {
  const NumberStyle style = window.Style();
  const std::optional<double> beats = TextToDouble(window.BeatsText().toStdString(), style);
  const std::optional<double> bars = TextToDouble(window.BarsText().toStdString(), style);
  if (beats && bars && *beats >= 1 && *bars >= 1) return BeatCounts{*beats, *bars};
  window.Dialogs().Message(window.Window(), {}, kSpanBeatsBelowOne, MessageIcon::None);
  return std::nullopt;
}

std::optional<PlannedRender> PlanShownRender(MainWindowState& window, const vbMediaFile& wave) {
  const RenderProgress progress(window.Window());
  auto made = PlannedRender::Make(wave.Item(window.DataIndex()).bytes(), window.CurrentFormat(),
                                  window.CurrentRenderSettings(), progress.Control());
  if (const auto* failure = std::get_if<RenderFailure>(&made)) {
    if (*failure == RenderFailure::Cancelled) return std::nullopt;
    window.Dialogs().Message(window.Window(), kRenderFailureTitle, RenderFailureMessage(*failure),
                             MessageIcon::Critical);
    return std::nullopt;
  }
  return std::get<PlannedRender>(std::move(made));
}

void OutputCommands::SaveAs() {
  Guarded(window_, [this] {
    const QString path = window_.ShowSave();
    vbMediaFile* wave = window_.CurrentWave();
    if (path.isEmpty() || !wave) return;

    const FocusReturn back(window_.Window());  // after the render's progress window, once enabled again
    DisabledWindow disabled(window_.Window());
    BusyPointer busy;
    const std::optional<PlannedRender> plan = PlanShownRender(window_, *wave);
    if (!plan) return;
    ShowSaveFailure(window_.Dialogs(), window_.Window(),
                    SaveWave(Rendered(window_, *wave, *plan), ToFsPath(path), true).result);
  });
}

void OutputCommands::SpanAs() {
  Guarded(window_, [this] {
    const std::optional<BeatCounts> counts = BeatsAndBarsAtLeastOne(window_);
    if (!counts) return;
    const QString path = window_.ShowSave(QStringLiteral("Span File As"));
    vbMediaFile* wave = window_.CurrentWave();
    if (path.isEmpty() || !wave) return;

    QCoreApplication::processEvents();
    const FocusReturn backAfterAll(
        window_.Window());  // after the render's progress window, once enabled again
    DisabledWindow disabled(window_.Window());
    BusyPointer busy;
    const std::optional<PlannedRender> plan = PlanShownRender(window_, *wave);
    if (!plan) return;
    const SpanRequest request =
        MakeSpanRequest(ToFsPath(path), counts->beats, counts->bars, Rendered(window_, *wave, *plan));

    const FocusReturn back(window_.Window());  // declared first: it acts once the progress window is gone
    std::unique_ptr<FrmProgress> progress;
    SpanHooks hooks;
    hooks.beatStarting = [&](int k) {
      if (!progress) {
        progress = std::make_unique<FrmProgress>(window_.Window());
        progress->SetRange(0, request.beats);
        progress->SetValue(1);
        progress->SetRunning(true);
        progress->show();
      }
      progress->SetLabel(QStringLiteral("Processing beat: %1").arg(k));
    };
    hooks.askOverwrite = [&](const std::string& name) {
      const QString text =
          FromFsPath(name) + QStringLiteral(" already exists.\r\nWould you like to overwrite this file?.");
      switch (window_.Dialogs().Question(progress.get(), QStringLiteral("File Already Exists"), text, true)) {
        case Answer::Yes:
          return OverwriteAnswer::Yes;
        case Answer::No:
          return OverwriteAnswer::No;
        case Answer::Cancel:
          break;
      }
      return OverwriteAnswer::Cancel;
    };
    hooks.beatDone = [&](int handled) {
      if (!progress) return false;
      progress->SetValue(handled);
      QCoreApplication::processEvents();
      return progress->Cancelled();
    };

    const SpanOutcome outcome = SpanBeats(request, hooks);
    if (progress) progress->SetRunning(false);
    switch (outcome.status) {
      case SpanStatus::NoBeats:
        window_.Dialogs().Message(window_.Window(), kSpanFailureTitle, kSpanFailure, MessageIcon::None);
        break;
      case SpanStatus::Completed:
        break;
      case SpanStatus::Failed:
        ShowSaveFailure(window_.Dialogs(),
                        progress ? static_cast<QWidget*>(progress.get()) : window_.Window(),
                        outcome.failure == FileResult::Success ? FileResult::WriteFailed : outcome.failure);
        OfferSpanDeletion(window_, progress, outcome.written);
        break;
      case SpanStatus::Cancelled:
        OfferSpanDeletion(window_, progress, outcome.written);
        break;
    }
  });
}

void OutputCommands::Shuffle() {
  Guarded(window_, [this] {
    const std::int32_t total = TextToLong(window_.TotalText().toStdString(), window_.Style()).value_or(0);
    if (total < 1) {
      window_.Dialogs().Message(window_.Window(), kShuffleLimitTitle, kShuffleTotalZero,
                                MessageIcon::Information);
      return;
    }
    if (total > kMaxShuffleBeats) {
      window_.Dialogs().Message(
          window_.Window(), kShuffleLimitTitle,
          QString(kShuffleTotalAbove) + QString::number(kMaxShuffleBeats) + QLatin1Char('.'),
          MessageIcon::Information);
      return;
    }
    if (!window_.CurrentWave()) return;
    const FocusReturn back(window_.Window());
    ShuffleUndoMark undo(window_);
    FrmShuffle dialog(window_, window_.Window(), audition_);
    if (dialog.exec() == QDialog::Accepted) undo.Applied();
  });
}

void OutputCommands::MixTo() {
  Guarded(window_, [this] {
    const QString secondPath = window_.ShowOpen(QStringLiteral("Select a file to mix to"));
    vbMediaFile* wave = window_.CurrentWave();
    if (secondPath.isEmpty() || !wave) return;
    OpenResult opened = OpenWaveFile(ToFsPath(secondPath));
    if (!opened.wave) {
      window_.Dialogs().Message(window_.Window(), QString::fromStdString(opened.problem.title),
                                QString::fromStdString(opened.problem.message), MessageIcon::Critical);
      return;
    }
    vbMediaFile& second = opened.wave->file;
    const WaveValidation& checked = opened.wave->validation;

    BusyPointer busy;
    if (!SameMixFormat(window_.CurrentFormat(), checked.format)) {
      window_.Dialogs().Message(window_.Window(), kMixFormatTitle, kMixFormatMessage,
                                MessageIcon::Exclamation);
      return;
    }
    busy.Hide();  // the arrow while the user picks the target
    const QString target = window_.ShowSave(QStringLiteral("Select a file to save the mix"));
    if (target.isEmpty()) return;
    busy.Show();

    // A long render lets events through for its progress window: the window takes no command meanwhile,
    // and has its focus back afterwards.
    const FocusReturn back(window_.Window());
    DisabledWindow disabled(window_.Window());
    std::optional<ByteBuffer> working = Render(window_, *wave);
    if (!working) return;
    if (!MixSamples(second.Item(checked.dataIndex).bytes(), working->bytes(), checked.format.blockAlign)) {
      window_.Dialogs().Message(window_.Window(), kNoMixTitle, kNoMixMessage, MessageIcon::Critical);
      return;
    }
    working.reset();
    ShowSaveFailure(window_.Dialogs(), window_.Window(), second.SaveToFile(ToFsPath(target), true));
  });
}

}  // namespace tactoria
