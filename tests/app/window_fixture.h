#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>
#include <memory>

#include "app/button_label.h"
#include "app/frm_main.h"
#include "support/riff_builder.h"
#include "support/scripted_dialogs.h"

namespace tactoria::testing {

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

  // A PCM file of `frames` frames, every byte counting up.
  QString WriteWave(const std::string& name, int frames, int channels = 2, int rate = 44100, int bits = 16) {
    const Bytes format = PcmFormat(channels, rate, bits);
    const auto align = static_cast<std::size_t>(channels * bits / 8);
    WriteBytes(dir / name,
               RiffBytes({{"fmt ", format}, {"data", Ramp(static_cast<std::size_t>(frames) * align)}}));
    return QString::fromStdString(dir / name);
  }

  void Open(const QString& path) {
    const QFileInfo info(path);
    dialogs.openChoices.push_back(UserDialogs::FileChoice{info.absolutePath(), info.fileName()});
    window->MnuOpenWave_Click();
  }

  QLineEdit* Field(const char* name) const { return window->findChild<QLineEdit*>(name); }
  QString Text(const char* name) const { return Field(name)->text(); }
  ButtonLabel* Label(const char* name) const { return window->findChild<ButtonLabel*>(name); }
  QCheckBox* Check(const char* name) const { return window->findChild<QCheckBox*>(name); }

  // Replaces the text as a paste would (the caret ends up after it).
  void Paste(const char* name, const QString& text) { Field(name)->setText(text); }
  // Empties the field, then types `keys` one by one.
  void Retype(const char* name, const QString& keys) {
    Field(name)->clear();
    QTest::keyClicks(Field(name), keys);
  }

  // The texts of the messages shown since the last call.
  QStringList TakeMessages() {
    QStringList texts;
    for (const auto& shown : dialogs.Messages()) texts << shown.text;
    dialogs.Clear();
    return texts;
  }

  // Mouse events as the platform delivers them, at the centre of the label.
  void Mouse(QTest::MouseAction action, const char* label, Qt::KeyboardModifiers keys = {}) {
    QWidget* target = Label(label);
    const QPoint at = target->mapTo(window.get(), target->rect().center());
    QTest::mouseEvent(action, window->windowHandle(), Qt::LeftButton, keys, at);
  }

  TempDir dir;
  ScriptedDialogs dialogs;
  MemorySettings settings;
  std::unique_ptr<FrmMain> window;
};

}  // namespace tactoria::testing

// Readable QStrings in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}
