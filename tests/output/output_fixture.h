#pragma once

// The main window as the output commands see it, and the files given to them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStringList>
#include <QWidget>

#include "output/output_commands.h"
#include "support/riff_builder.h"
#include "support/scripted_dialogs.h"
#include "ui/main_window_state.h"
#include "wave/wave_validation.h"

namespace tactoria::testing {

// A real opened file, field texts and render settings; every dialog is a ScriptedDialogs one.
class FakeWindow : public MainWindowState {
 public:
  QWidget widget;
  ScriptedDialogs dialogs;
  std::optional<OpenedWave> open;
  RenderSettings render;
  QString beats = "4", bars = "1", total = "4";
  OutputCommands commands{*this};
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
  QString ShowOpen(const QString& t) override { return Path(dialogs.ChooseOpenFile(&widget, t, {}, {})); }
  QString ShowSave(const QString& t) override { return Path(dialogs.ChooseSaveFile(&widget, t, {}, {})); }
  static QString Path(const ScriptedDialogs::Choice& c) { return c ? c->folder + "/" + c->fileName : ""; }
};

class OutputTest : public ::testing::Test {
 protected:
  void Open(const std::string& name, const Bytes& bytes) {  // writes `name`, opens it as the current file
    WriteBytes(dir / name, bytes);
    OpenResult result = OpenWaveFile(dir / name);
    ASSERT_TRUE(result.wave) << result.problem.message;
    window.open = std::move(result.wave);
  }
  // The answers of the next file dialogs: a name in the test's folder, or "" for Cancel.
  void ChooseOpen(const std::string& name) { window.dialogs.openChoices.push_back(Choice(name)); }
  void ChooseSave(const std::string& name) { window.dialogs.saveChoices.push_back(Choice(name)); }
  ScriptedDialogs::Choice Choice(const std::string& name) const {
    if (name.empty()) return std::nullopt;
    return UserDialogs::FileChoice{QString::fromStdString(dir.path().string()), QString::fromStdString(name)};
  }
  // Every dialog shown since the last call, as "kind|title|text|icon" without empty trailing parts;
  // "+cancel" marks a question with a Cancel button.
  QStringList TakeLog() {
    static const char* const kIcons[] = {"", "critical", "exclamation", "information"};
    QStringList log;
    for (const auto& s : window.dialogs.shown) {
      log << (s.withCancel ? s.kind + "+cancel" : s.kind) + "|" + s.title + "|" + s.text + "|" +
                 kIcons[static_cast<int>(s.icon)];
      while (log.back().endsWith('|')) log.back().chop(1);
    }
    window.dialogs.Clear();
    return log;
  }
  // After every command the window takes input again and the arrow pointer is back.
  bool Released() const { return window.widget.isEnabled() && QApplication::overrideCursor() == nullptr; }
  TempDir dir;
  FakeWindow window;
};

}  // namespace tactoria::testing
