// Start-up, opening and refusing files, the file dialogs (the Qt ones too, answered by keys), the
// remembered folders and settings, Keep Pitch, About.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTimer>
#include <memory>

#include "output/frm_progress.h"
#include "support/sound_measures.h"
#include "ui/qt_user_dialogs.h"
#include "window/frm_about.h"
#include "window/help_document.h"
#include "window_fixture.h"

namespace tactoria::testing {
namespace {

using OpenTest = WindowTest;

TEST_F(OpenTest, AFileFillsAndUnlocksTheWindowAndRefusalsKeepItOpen) {
  const auto unlocked = [&] {
    QString flags = Field("TxtNewSamp")->isEnabled() ? "+" : "-";
    for (const char* name : {"MnuSaveAsWave", "MnuSpanAs", "MnuExportSlices", "MnuShuffle", "MnuMixTo"})
      flags += window->findChild<QAction*>(name)->isEnabled() ? "+" : "-";
    return flags;
  };
  const auto state = [&] {
    return window->findChild<QPlainTextEdit*>("TxtDir")->toPlainText() + " " + Texts("TxtOrgSamp TxtNewSamp");
  };
  EXPECT_EQ(unlocked(), "------");
  const QString first = WriteWave("first.wav", 88200);
  Open(first);
  EXPECT_TRUE(dialogs.shown.size() == 1 && dialogs.unexpected == 0);  // the open dialog only
  EXPECT_EQ(Texts("TxtOrgSamp TxtOrgBytes TxtOrgBpm TxtFreq TxtTotal TxtChannels TxtAlign TxtNewSamp "
                  "TxtNewBytes TxtNewBpm TxtSpSamp TxtSpBytes"),
            "88200 352800 120 44100 4 2 4 88200 352800 120 22050 88200");
  EXPECT_EQ(unlocked(), "++++++");
  // The same frame count in another format keeps a typed new length, in the new file's terms.
  Retype("TxtNewSamp", "44100");
  const QString mono = WriteWave("mono.wav", 88200, 1, 22050);
  Open(mono);
  EXPECT_EQ(Texts("TxtNewBytes TxtNewBpm"), "88200 120");
  EXPECT_EQ(state(), mono + " 88200 44100");
  const vbMediaFile* opened = window->CurrentWave();

  // A file the checks refuse; every open message, read failures too, takes this path (each message:
  // the wave tests).
  WriteBytes(dir / "bad.wav", PcmWave(Ramp(7)));
  dialogs.Clear();
  Open(QString::fromStdString(dir / "bad.wav"));
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  const auto shown = dialogs.Messages()[0];
  EXPECT_EQ(shown.title + "|" + shown.text,
            "BlockAlign Error|The block alignment in this wave file is invalid.");
  EXPECT_EQ(shown.icon, MessageIcon::Critical);
  EXPECT_EQ(window->CurrentWave(), opened);
  EXPECT_EQ(state(), mono + " 88200 44100");
  // Opening the open file again asks first: No keeps it as it is, Yes reads it again.
  WriteWave("mono.wav", 1000, 1, 22050);
  dialogs.answers = {Answer::No, Answer::Yes};
  Open(mono);
  EXPECT_EQ(dialogs.shown.back().title + "|" + dialogs.shown.back().text,
            "File Already Open|File is already open. Do you wish to reset the current open file?.");
  EXPECT_EQ(state(), mono + " 88200 44100");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  Open(mono);
  EXPECT_EQ(state(), mono + " 1000 1000");
}

TEST_F(OpenTest, FileDialogsBuildPathsAskBeforeOverwritingAndRememberTheirFolders) {
  using Choice = UserDialogs::FileChoice;
  dialogs.openChoices = {Choice{"/music", "loop"}, Choice{"/", "loop.WAV"}};
  EXPECT_EQ(window->ShowOpen(), "/music/loop.wav");
  EXPECT_EQ(window->ShowOpen("Select a file to mix to"), "/loop.WAV");
  const QString folder = QString::fromStdString(dir.path().string()), taken = folder + "/taken.wav";
  WriteWave("taken.wav", 1);
  WriteBytes(dir / "zero.wav", {});
  dialogs.saveChoices = {Choice{folder, "taken"},     Choice{folder, "taken.wav"}, Choice{folder, "zero.wav"},
                         Choice{folder, "taken.wav"}, Choice{folder, "taken.wav"}, std::nullopt};
  dialogs.answers = {Answer::No, Answer::Yes, Answer::No};
  EXPECT_EQ(window->ShowSave(), taken);                            // No asks again, Yes takes it
  EXPECT_EQ(window->ShowSave(), folder + "/zero.wav");             // an empty file counts as absent
  EXPECT_EQ(window->ShowSave("Span File As"), folder + "/taken");  // a span checks its own names
  EXPECT_EQ(window->ShowSave(), "");                               // No, then Cancel
  QStringList log;
  for (const auto& s : dialogs.shown) log << s.title + (s.kind == "question" ? "|" + s.text : "");
  const QString exists = "File Exists|" + taken + " aready exists. Do you want to overwrite file?.";
  EXPECT_EQ(log,
            (QStringList{"Open wave file", "Select a file to mix to", "Save File As", exists, "Save File As",
                         exists, "Save File As", "Span File As", "Save File As", exists, "Save File As"}));
  EXPECT_EQ(dialogs.unexpected, 0);

  // The folders chosen are remembered across a restart; unusable ones open at home.
  Open(WriteWave("loop.wav", 100));
  const QString saved = QString::fromStdString(dir / "saved");
  QDir().mkpath(saved);
  dialogs.saveChoices = {UserDialogs::FileChoice{saved, "out.wav"}};
  window->ShowSave();
  window->close();
  Restart();
  dialogs.Clear();
  dialogs.openChoices = {std::nullopt};
  dialogs.saveChoices = {std::nullopt};
  window->MnuOpenWave_Click();
  window->ShowSave();
  ASSERT_EQ(dialogs.shown.size(), 2u);
  EXPECT_EQ(dialogs.shown[0].text + " " + dialogs.shown[1].text,
            QString::fromStdString(dir.path().string()) + " " + saved);
  // A folder that is gone, a file, or a kernel folder (listing it can hang): the dialog opens
  // at home, and the setting keeps what was chosen.
  const QString file = WriteWave("plain.wav", 1);
  for (const QString& remembered :
       {saved + "/gone", file, QString("/proc/self"), QString("/sys"), QString("/dev/")}) {
    dialogs.Clear();
    dialogs.saveChoices = {UserDialogs::FileChoice{remembered, "x.wav"}, std::nullopt};
    window->ShowSave();
    window->ShowSave();
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[1].text, QDir::homePath()) << qPrintable(remembered);
    window->SaveUserSettings();
    EXPECT_EQ(settings.Value("UserSection", "UserSaveFilePath"), remembered);
  }
}

TEST_F(WindowTest, AboutNamesTheLicenceAndItsAddressOpensTheInstalledHelp) {
  QTimer::singleShot(0, [&] {
    auto* about = qobject_cast<FrmAbout*>(QApplication::activeModalWidget());
    ASSERT_NE(about, nullptr);
    const std::unique_ptr<QDialog, void (*)(QDialog*)> closer(about, [](QDialog* d) { d->reject(); });
    const auto text = [&](const char* name) { return about->findChild<QLabel*>(name)->text(); };
    EXPECT_TRUE(text("LblCopyright").startsWith("Copyright: ") &&
                text("LblCopyright").contains("GPL-3.0-or-later"))
        << text("LblCopyright").toStdString();
    EXPECT_FALSE(text("LblCopyright").contains("All rights reserved"));
    EXPECT_TRUE(text("LblCopyrightlaw").contains("NO WARRANTY") &&
                text("LblCopyrightlaw").contains("redistribute") &&
                text("LblCopyrightlaw").contains("GNU General Public License, version 3"))
        << text("LblCopyrightlaw").toStdString();
    // The address is the installed README; a click and Enter open it through the dialogs.
    auto* address = about->findChild<QLineEdit*>("TxtWebsite");
    EXPECT_TRUE(address->text().startsWith("file:///") &&
                address->text().endsWith("/share/doc/tactoria/README.md"))
        << address->text().toStdString();
    QTest::mouseClick(address, Qt::LeftButton);
    QTest::keyClick(address, Qt::Key_Return);
    EXPECT_TRUE(about->isVisible());
    QTest::keyClick(address, Qt::Key_Escape);  // closes it with the focus in its address
    EXPECT_FALSE(about->isVisible());
  });
  QTest::keyClick(window.get(), Qt::Key_F1);
  ASSERT_EQ(dialogs.shown.size(), 2u);
  for (const auto& shown : dialogs.shown) {
    EXPECT_EQ(shown.kind, "document");
    EXPECT_EQ(QUrl(shown.text).toLocalFile(), HelpDocumentPath());
  }
}

using KeepPitchTest = WindowTest;

TEST_F(KeepPitchTest, CommandIsRememberedInItsOwnSectionAndSaveAsStretchesToTheNewLength) {
  const auto command = [&] {
    return window->findChild<QMenu*>("MnuTools")->findChild<QAction*>("MnuKeepPitch");
  };
  ASSERT_TRUE(command()->text() == "Keep Pitch" && command()->isCheckable() && !command()->isChecked());
  QSignalSpy changes(window.get(), &FrmMain::KeepPitchChanged);
  command()->trigger();
  window->SetKeepPitch(true);  // no change, no signal
  EXPECT_EQ(changes.count(), 1);
  EXPECT_EQ(settings.Value("KeepPitch", "Enabled") + settings.Value("UserSection", "KeepPitch"), "1");
  Restart();
  EXPECT_TRUE(command()->isChecked());
  // 2 s of 440 Hz: 88200 frames, 120 bpm, stretched by the remembered setting.
  WriteBytes(dir / "sine.wav", PcmWave(Stereo16(SineWave(440, 44100, 88200))));
  Open(QString::fromStdString(dir / "sine.wav"));
  Retype("TxtNewSamp", "110250");
  EXPECT_EQ(Texts("TxtNewBytes TxtNewBpm TxtSpSamp"), "441000 96 27562");
  dialogs.saveChoices = {UserDialogs::FileChoice{QString::fromStdString(dir.path().string()), "out.wav"}};
  window->MnuSaveAsWave_Click();
  EXPECT_TRUE(TakeMessages().isEmpty());
  const Bytes out = ReadBytes(dir / "out.wav");
  ASSERT_EQ(out.size(), 44u + 441000);
  EXPECT_NEAR(DominantFrequency(Channel16(out.data() + 44, 441000, 2, 1), 44100), 440, 2);
}

// Runs `answer` on the first modal dialog that comes up.
void WhenModal(std::function<void(QWidget*)> answer) {
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [poll, answer] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      poll->stop();
      poll->deleteLater();
      answer(modal);
    }
  });
  poll->start(10);
}

TEST(RealDialogsTest, OpenFindsANameTypedWithoutItsExtension) {
  TempDir dir;
  WriteBytes(dir / "loop.wav", PcmWave(Ramp(8)));
  const QString folder = QString::fromStdString(dir.path().string());
  WhenModal([](QWidget* dialog) {
    auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    // Refused ("File not found" over the dialog): close whatever is still up.
    auto* sweep = new QTimer(dialog);
    QObject::connect(sweep, &QTimer::timeout, [] {
      if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) modal->reject();
    });
    sweep->start(20);
    QTest::keyClicks(name, "loop");
    QTest::keyClick(name, Qt::Key_Return);
  });
  const auto choice = QtUserDialogs().ChooseOpenFile(nullptr, "Open wave file", folder, "Wave Files (*.wav)");
  ASSERT_TRUE(choice.has_value());
  EXPECT_EQ(choice->folder + "/" + choice->fileName, folder + "/loop.wav");
}

TEST(RealDialogsTest, ABoxOwnedByTheSpanProgressLeavesItsLabelAndBarInView) {
  FrmProgress progress;
  progress.SetLabel("Processing beat: 3");
  progress.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&progress));
  QRect box;
  WhenModal([&](QWidget* dialog) {
    box = dialog->frameGeometry();
    QTest::keyClick(dialog, Qt::Key_Escape);
  });
  QtUserDialogs().Question(&progress, "File Already Exists", "beat[3].wav exists.", true);
  ASSERT_FALSE(box.isNull());
  for (const QWidget* w : std::initializer_list<const QWidget*>{progress.LblProg(), progress.Progbar()})
    EXPECT_FALSE(box.intersects(QRect(w->mapToGlobal(QPoint(0, 0)), w->size())));
}

}  // namespace
}  // namespace tactoria::testing
