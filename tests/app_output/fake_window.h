#pragma once

#include <QString>
#include <QWidget>
#include <optional>

#include "app/main_window_state.h"
#include "app/output_commands.h"
#include "support/scripted_dialogs.h"
#include "wave/wave_validation.h"

namespace tactoria::testing {

// The main window as the output commands see it: a real opened file, field texts, render
// settings and file dialogs answered by ScriptedDialogs.
class FakeWindow : public MainWindowState {
 public:
  QWidget widget;
  ScriptedDialogs dialogs;
  std::optional<OpenedWave> open;
  RenderSettings render;
  QString beats = "4", bars = "1", total = "4";
  OutputCommands commands{*this};

  // Opens `path` as the current file; false (and nothing changed) when it is refused.
  bool Open(const QString& path) {
    OpenResult result = OpenWaveFile(path.toStdString());
    if (!result.wave) return false;
    open = std::move(result.wave);
    return true;
  }
  // Queues the answer of the next file dialog ("" = cancelled).
  void ChooseSave(const QString& path) { Queue(dialogs.saveChoices, path); }
  void ChooseOpen(const QString& path) { Queue(dialogs.openChoices, path); }
  void SetBeats(int perBar, int barCount) {
    beats = QString::number(perBar);
    bars = QString::number(barCount);
    total = QString::number(perBar * barCount);
  }

  QWidget* Window() override { return &widget; }
  UserDialogs& Dialogs() override { return dialogs; }
  NumberStyle Style() const override { return {}; }
  vbMediaFile* CurrentWave() override { return open ? &open->file : nullptr; }
  int DataIndex() const override { return open->validation.dataIndex; }
  const WaveFormat& CurrentFormat() const override { return open->validation.format; }
  RenderSettings CurrentRenderSettings() const override { return render; }
  QString BeatsText() const override { return beats; }
  QString BarsText() const override { return bars; }
  QString TotalText() const override { return total; }

  QString ShowOpen(const QString& title) override {
    auto choice = dialogs.ChooseOpenFile(&widget, title.isEmpty() ? "Open wave file" : title, {}, {});
    return choice ? choice->folder + "/" + choice->fileName : QString();
  }
  // The "Span" title rule of the real dialog; the overwrite question is the window's business.
  QString ShowSave(const QString& title) override {
    auto choice = dialogs.ChooseSaveFile(&widget, title.isEmpty() ? "Save File As" : title, {}, {});
    if (!choice) return {};
    QString path = choice->folder + "/" + choice->fileName;
    if (title.startsWith("Span") && path.right(4).toLower() == ".wav") path.chop(4);
    return path;
  }

 private:
  static void Queue(std::deque<std::optional<UserDialogs::FileChoice>>& queue, const QString& path) {
    if (path.isEmpty()) {
      queue.push_back(std::nullopt);
      return;
    }
    const auto slash = path.lastIndexOf('/');
    queue.push_back(UserDialogs::FileChoice{path.left(slash), path.mid(slash + 1)});
  }
};

}  // namespace tactoria::testing
