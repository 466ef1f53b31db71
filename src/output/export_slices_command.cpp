// File > Export Slices...: the rendered sound cut at its hits or beats, written as slice files with
// the sampler files chosen, all or nothing; the same files as `tactoria-cli slice` for the same
// choices.
#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <optional>
#include <vector>

#include "beats/beat_math.h"
#include "beats/span_beats.h"
#include "output/command_support.h"
#include "output/frm_export_slices.h"
#include "output/output_commands.h"
#include "output/output_texts.h"
#include "slices/slice_export.h"
#include "slices/slice_keys.h"
#include "slices/slice_points.h"
#include "slices/slice_state.h"
#include "ui/busy_state.h"
#include "ui/focus_return.h"
#include "ui/main_window_state.h"
#include "ui/settings_store.h"
#include "ui/user_dialogs.h"
#include "wave/safe_write.h"

namespace tactoria {
namespace {

const QString kTitle = QStringLiteral("Export Slices");

// The markers edited by hand in the Preview, moved to a sound of `frames` frames as the Preview
// itself would move them for this render; none when its markers are the hits it found.
std::optional<std::vector<std::int64_t>> EditedMarkers(const SliceState& shown, std::int64_t frames) {
  if (!shown.edited || shown.soundFrames < 1) return std::nullopt;
  std::vector<std::int64_t> markers =
      shown.soundFrames == frames ? shown.markers : ScaleMarkers(shown.markers, shown.soundFrames, frames);
  // The first slice starts at the sound's start anyway.
  std::erase(markers, std::int64_t{0});
  return markers;
}

struct Cut {
  std::optional<Slices> slices;
  QString title;
  QString problem;
};

Cut CutSound(const SliceExportChoices& choices, const std::optional<std::vector<std::int64_t>>& edited,
             std::span<const std::byte> sound, const WaveFormat& format, double totalBeats) {
  const std::int64_t frames = static_cast<std::int64_t>(sound.size()) / format.blockAlign;
  if (choices.cut == SliceMode::Grid) {
    std::optional<Slices> grid = SlicesFromGrid(static_cast<std::int64_t>(sound.size()), format.blockAlign,
                                                RoundToLong(totalBeats).value_or(0));
    if (!grid) return {std::nullopt, kSpanFailureTitle, kSpanFailure};
    return {std::move(grid), {}, {}};
  }
  if (edited) {
    MarkedSlices marked = SlicesFromMarkers(frames, *edited);
    if (!marked.slices) return {std::nullopt, kTitle, QString::fromStdString(marked.problem)};
    return {std::move(marked.slices), {}, {}};
  }
  return {SlicesFromHits(sound, format, HitOptions{choices.sensitivity, HitOptions{}.minGapMs}), {}, {}};
}

bool PathExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

// A failed write with the file it concerns and the system's reason.
QString WriteFailureText(const FileSetOutcome& files) {
  const WriteStatus& status = files.status;
  QString text = status.result == FileResult::OutOfMemory   ? QString(kOutOfMemory)
                 : status.result == FileResult::WriteFailed ? QString(kWriteFailed)
                                                            : QString(kCreateFailed);
  const QString reason = status.osError == kNotRegularFile ? QStringLiteral("not a regular file")
                         : status.osError != 0 ? QString::fromLocal8Bit(std::strerror(status.osError))
                                               : QString();
  const QString path = FromFsPath(files.failedPath);
  text += QStringLiteral(" (") + (reason.isEmpty() ? path : reason + QStringLiteral("; ") + path) + ')';
  return text;
}

QString FileName(const std::string& path) {
  return QFileInfo(FromFsPath(path)).fileName();
}

// "Exported 10 slices to /kits: loop[1].wav to loop[10].wav, loop.sfz and loop.mid."
QString DoneText(const std::vector<std::string>& paths, std::size_t slices) {
  QStringList names{FileName(paths.front()) +
                    (slices > 1 ? QStringLiteral(" to ") + FileName(paths[slices - 1]) : QString())};
  for (std::size_t k = slices; k < paths.size(); ++k) names << FileName(paths[k]);
  const QString last = names.size() > 1 ? QStringLiteral(" and ") + names.takeLast() : QString();
  return QStringLiteral("Exported %1 slice%2 to %3: ")
             .arg(slices)
             .arg(slices == 1 ? "" : "s")
             .arg(QFileInfo(FromFsPath(paths.front())).absolutePath()) +
         names.join(QStringLiteral(", ")) + last + '.';
}

}  // namespace

void OutputCommands::ExportSlices(SettingsStore& settings, const SliceState& shown) {
  Guarded(window_, [&] {
    const std::optional<BeatCounts> counts = BeatsAndBarsAtLeastOne(window_);
    if (!counts) return;
    if (!window_.CurrentWave()) return;

    // The cut the Preview shows, once it has shown this file; else the one last chosen.
    SliceExportChoices choices = LoadSliceExportChoices(settings);
    if (shown.soundFrames > 0) choices.cut = shown.mode;
    const std::optional<std::vector<std::int64_t>> shownEdits = EditedMarkers(shown, shown.soundFrames);
    {
      const FocusReturn back(window_.Window());
      FrmExportSlices dialog(choices, shownEdits ? std::optional(shown.markers.size()) : std::nullopt,
                             window_.Window());
      if (dialog.exec() != QDialog::Accepted) return;
      choices = dialog.Choices();
    }
    SaveSliceExportChoices(settings, choices);
    const QString path = window_.ShowSave(kExportSlicesAsTitle);
    vbMediaFile* wave = window_.CurrentWave();
    if (path.isEmpty() || !wave) return;

    QCoreApplication::processEvents();
    const FocusReturn back(window_.Window());  // after the render's progress window, once enabled again
    DisabledWindow disabled(window_.Window());
    BusyPointer busy;
    const std::optional<PlannedRender> planned = PlanShownRender(window_, *wave);
    if (!planned) return;
    std::optional<ByteBuffer> sound = ByteBuffer::Allocate(static_cast<std::size_t>(planned->plan().bytes()));
    if (!sound) {
      busy.Hide();
      ShowOutOfMemory(window_.Dialogs(), window_.Window());
      return;
    }
    planned->plan().Gather(planned->source(), 0, sound->bytes());
    const WaveFormat& format = window_.CurrentFormat();
    const std::int64_t frames = static_cast<std::int64_t>(sound->size()) / format.blockAlign;

    Cut cut =
        CutSound(choices, EditedMarkers(shown, frames), sound->bytes(), format, counts->beats * counts->bars);
    const auto refuse = [&](const QString& title, const QString& text) {
      busy.Hide();
      window_.Dialogs().Message(window_.Window(), title, text, MessageIcon::Exclamation);
    };
    if (!cut.slices) return refuse(cut.title, cut.problem);
    if (choices.snap) SnapToZeroCrossings(*cut.slices, sound->bytes(), format);

    SliceExport request;
    request.basePath = SpanBasePath(ToFsPath(path));
    request.sound = sound->bytes();
    request.format = format;
    request.slices = std::move(*cut.slices);
    request.fades = SliceFades{choices.fadeInMs, choices.fadeOutMs};
    request.tempo = {counts->beats * counts->bars, static_cast<int>(std::lround(counts->beats))};
    request.sfz = choices.sfz;
    request.sf2 = choices.sf2;
    request.midi = choices.midi;
    request.marked = choices.marked;

    // What the export would refuse anyway is said before any question about existing files.
    if (auto problem = CheckFades(request.slices, request.fades, format.sampleRate, "Fade in or Fade out"))
      return refuse(kTitle, QString::fromStdString(*problem));
    if (request.sfz || request.sf2 || request.midi) {
      if (auto problem = CheckSliceKeys(request.slices.count(), "SFZ, SoundFont (SF2) and MIDI"))
        return refuse(kTitle, QString::fromStdString(*problem));
    }
    const std::vector<std::string> paths = SliceExportPaths(request);
    const auto existing = std::count_if(paths.begin(), paths.end(), PathExists);
    if (existing > 0) {
      const std::string first = *std::find_if(paths.begin(), paths.end(), PathExists);
      busy.Hide();
      const QString question = QStringLiteral(
                                   "%1 of the %2 files to write already exist, such as %3.\n"
                                   "Do you want to replace them?")
                                   .arg(existing)
                                   .arg(paths.size())
                                   .arg(FromFsPath(first));
      if (window_.Dialogs().Question(window_.Window(), QStringLiteral("Files Exist"), question, false) !=
          Answer::Yes)
        return;
      busy.Show();
    }

    const SliceExportOutcome outcome = tactoria::ExportSlices(request, existing > 0);
    busy.Hide();
    if (!outcome.refusal.empty()) return refuse(kTitle, QString::fromStdString(outcome.refusal));
    if (!outcome.files.ok()) {
      window_.Dialogs().Message(window_.Window(), {}, WriteFailureText(outcome.files), MessageIcon::None);
      return;
    }
    window_.Dialogs().Message(window_.Window(), kTitle, DoneText(paths, request.slices.count()),
                              MessageIcon::Information);
  });
}

}  // namespace tactoria
