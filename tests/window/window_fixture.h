#pragma once

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>
#include <memory>

#include "support/riff_builder.h"
#include "support/scripted_dialogs.h"
#include "ui/button_label.h"
#include "ui/qt_user_dialogs.h"
#include "window/frm_main.h"

namespace tactoria::testing {

// Scripted dialogs; with `realBoxes` each message is also shown as a real, modal message box.
class WindowDialogs : public ScriptedDialogs {
 public:
  bool realBoxes = false;
  void Message(QWidget* parent, const QString& title, const QString& text, MessageIcon icon) override {
    ScriptedDialogs::Message(parent, title, text, icon);
    if (realBoxes) QtUserDialogs().Message(parent, title, text, icon);
  }
};

// A shown, active main window with scripted dialogs, and a folder for wave files.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override { Restart(); }
  void Restart() {
    window.reset();
    window = std::make_unique<FrmMain>(dialogs, settings);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }
  // A 16-bit PCM file of `frames` frames, every byte counting up.
  QString WriteWave(const std::string& name, int frames, int channels = 2, int rate = 44100) {
    WriteBytes(dir / name, PcmWave(Ramp(static_cast<std::size_t>(frames * channels * 2)), channels, rate));
    return QString::fromStdString(dir / name);
  }
  void Open(const QString& path) {
    const QFileInfo info(path);
    dialogs.openChoices.push_back(UserDialogs::FileChoice{info.absolutePath(), info.fileName()});
    window->MnuOpenWave_Click();
  }
  QLineEdit* Field(const QString& name) const { return window->findChild<QLineEdit*>(name); }
  QString Text(const QString& name) const { return Field(name)->text(); }
  ButtonLabel* Label(const char* name) const { return window->findChild<ButtonLabel*>(name); }
  QCheckBox* Check(const char* name) const { return window->findChild<QCheckBox*>(name); }
  QString Texts(const QString& names) const {  // "TxtA TxtB": "textA textB"
    QStringList texts;
    for (const QString& name : names.split(' ')) texts << Text(name);
    return texts.join(' ');
  }
  // A paste puts the caret after the text; a retype empties the field, then types one key at a time.
  void Paste(const QString& name, const QString& text) { Field(name)->setText(text); }
  void Retype(const QString& name, const QString& keys) {
    Field(name)->clear();
    QTest::keyClicks(Field(name), keys);
  }
  QStringList TakeMessages() {  // the texts of the messages since the last call
    QStringList texts;
    for (const auto& shown : dialogs.Messages()) texts << shown.text;
    dialogs.Clear();
    return texts;
  }
  // Mouse events as the platform delivers them, at the centre of the label.
  void Mouse(QTest::MouseAction action, const char* label, Qt::KeyboardModifiers keys = {}) {
    QTest::mouseEvent(action, window->windowHandle(), Qt::LeftButton, keys,
                      Label(label)->mapTo(window.get(), Label(label)->rect().center()));
  }
  TempDir dir;
  WindowDialogs dialogs;
  MemorySettings settings;
  std::unique_ptr<FrmMain> window;
};

// The window with 88200 stereo frames at 44100 Hz open (4 beats at 120 bpm), no dialogs shown.
class LoopTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Open(WriteWave("loop.wav", 88200));
    dialogs.Clear();
  }
};

}  // namespace tactoria::testing
