// The ways into the window besides File > Open: a file named at start, a dropped file, Open
// Recent and the shortcuts.
#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QUrl>

#include "desktop/start_options.h"
#include "support/drum_loops.h"
#include "window_fixture.h"

namespace tactoria::testing {
namespace {

class DesktopTest : public WindowTest {
 protected:
  // Every field, the path and whether the output commands are enabled: the window's state.
  QString State() const {
    QStringList parts;
    for (const QLineEdit* field : window->findChildren<QLineEdit*>())
      parts << field->objectName() + "=" + field->text() + (field->isEnabled() ? "" : "(off)");
    parts << window->findChild<QPlainTextEdit*>("TxtDir")->toPlainText();
    parts << (window->findChild<QAction*>("MnuSaveAsWave")->isEnabled() ? "open" : "closed");
    return parts.join(' ');
  }

  // A real drag over `target` and, when it is accepted, the drop; then the event loop runs.
  bool DragAndDrop(QWidget* target, const QList<QUrl>& urls) {
    QMimeData mime;
    mime.setUrls(urls);
    mime.setText(urls.first().toString());  // as file managers offer it; a text field would take it
    QDragEnterEvent enter(target->rect().center(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(target->rect().center(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    QCoreApplication::processEvents();
    return drop.isAccepted();
  }

  // The file `tactoria NAME` opens, started in the test's folder as a shell passes a relative name.
  QString StartFile(const QString& name) const {
    const QString before = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(dir.path().string()));
    const QString file = ParseStartOptions({name}).file;
    QDir::setCurrent(before);
    return file;
  }

  QMenu* RecentMenu() const { return window->findChild<QMenu*>("MnuRecent"); }
  // The paths the submenu offers, in order, without the number and the access key.
  QStringList RecentEntries() const {
    QStringList entries;
    for (const QAction* action : RecentMenu()->actions())
      if (!action->isSeparator() && action->objectName() != "MnuClearRecent")
        entries << action->text().section(' ', 1).replace("&&", "&");
    return entries;
  }
  // Opens the submenu and types the entry's number.
  void ChooseRecent(int number) {
    RecentMenu()->popup(window->geometry().center());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(RecentMenu()));
    QTest::keyClick(RecentMenu(), static_cast<Qt::Key>(Qt::Key_0 + number));
    QCoreApplication::processEvents();
  }
};

TEST(StartOptionsTest, ReadsHelpVersionOneFileAndRefusesTheRest) {
  using Action = StartOptions::Action;
  const QString here = QDir::currentPath();
  const std::tuple<QStringList, Action, QString> cases[] = {
      {{}, Action::Run, ""},
      {{"--", "-dash.wav"}, Action::Run, here + "/-dash.wav"},  // a plain name: the test below
      {{"loop.wav", "--version"}, Action::Version, ""},
      {{"-platform", "offscreen", "-h"}, Action::Help, ""},  // Qt's options are not yet gone
      {{"--bogus", "loop.wav"}, Action::UsageError, ""},
      {{"a.wav", "b.wav"}, Action::UsageError, ""},
      {{""}, Action::UsageError, ""},
  };
  for (const auto& [arguments, action, file] : cases) {
    const StartOptions options = ParseStartOptions(arguments);
    EXPECT_EQ(std::tie(options.action, options.file), std::tie(action, file))
        << qPrintable(arguments.join(' '));
    EXPECT_EQ(options.error.isEmpty(), action != Action::UsageError) << qPrintable(arguments.join(' '));
  }
  EXPECT_EQ(ParseStartOptions({"--bogus"}).error, "unknown option '--bogus'");
}

TEST_F(DesktopTest, AFileNamedAtStartOpensAsTheOpenCommandOpensIt) {
  const QString path = WriteWave("loop.wav", 88200), empty = State();
  Open(path);
  const QString opened = State();

  // A fresh window given the file by a relative name, as a shell passes it; then a refused file
  // leaves a fresh window empty, says why (the text: the open tests) and is not remembered.
  WriteBytes(dir / "bad.wav", RiffBytes({}));  // reads, then fails the format check
  const std::tuple<QString, bool, QString> runs[] = {{StartFile("loop.wav"), true, opened},
                                                     {QString::fromStdString(dir / "bad.wav"), false, empty}};
  for (const auto& [file, fine, state] : runs) {
    Restart();
    dialogs.Clear();
    EXPECT_EQ(window->OpenSoundPath(file), fine);
    EXPECT_EQ(State(), state);
    EXPECT_EQ(dialogs.shown.size(), fine ? 0u : 1u);
  }
  EXPECT_EQ(RecentEntries(), QStringList{path});
}

TEST_F(DesktopTest, ADroppedFileOpensOnTheWindowAndOnItsFields) {
  const QString path = WriteWave("loop.wav", 88200);
  Open(path);
  const QString opened = State(), other = WriteWave("other.wav", 44100);

  Restart();
  // Several files, or a remote one, are refused at the drag.
  EXPECT_FALSE(DragAndDrop(window.get(), {QUrl::fromLocalFile(path), QUrl::fromLocalFile(other)}));
  EXPECT_FALSE(DragAndDrop(Field("TxtBeats"), {QUrl("https://example.org/loop.wav")}));
  EXPECT_EQ(window->CurrentWave(), nullptr);

  EXPECT_TRUE(DragAndDrop(window.get(), {QUrl::fromLocalFile(other)}));
  EXPECT_EQ(Text("TxtOrgSamp"), "44100");
  // On a text field (enabled now) the file opens too, rather than its path being pasted in.
  EXPECT_TRUE(DragAndDrop(Field("TxtBeats"), {QUrl::fromLocalFile(path)}));
  EXPECT_EQ(State(), opened);  // a refused drop is the open's refusal (the open tests)
  EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(DesktopTest, DropsTheStartFileAndOpenRecentImportWhatFileOpenRefuses) {
  const std::vector<double> loop = DrumLoop(1);  // 88200 frames
  const std::string floats = dir / "float.wav", aiff = dir / "loop.aiff";
  ASSERT_TRUE(WriteSoundFile(floats, SF_FORMAT_WAV | SF_FORMAT_FLOAT, loop));
  ASSERT_TRUE(WriteSoundFile(aiff, SF_FORMAT_AIFF | SF_FORMAT_PCM_16, loop));
  auto opened = [this] {
    return window->findChild<QPlainTextEdit*>("TxtDir")->toPlainText() + " " + Texts("TxtOrgSamp TxtAlign") +
           " " + QString::number(window->CurrentFormat().formatTag);
  };

  EXPECT_TRUE(DragAndDrop(Field("TxtBeats"), {QUrl::fromLocalFile(QString::fromStdString(floats))}));
  EXPECT_EQ(opened(), QString::fromStdString(floats) + " 88200 8 3");
  Restart();
  EXPECT_TRUE(window->OpenSoundPath(StartFile("loop.aiff")));
  EXPECT_EQ(opened(), QString::fromStdString(aiff) + " 88200 4 1");
  ChooseRecent(2);
  EXPECT_EQ(opened(), QString::fromStdString(floats) + " 88200 8 3");
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(DesktopTest, OpenRecentHoldsTheLastEightFilesNewestFirst) {
  QStringList paths;
  for (int i = 0; i < 10; ++i) paths << WriteWave("loop&" + std::to_string(i) + ".wav", 1000 + i);
  for (const QString& path : paths) Open(path);
  Open(paths[5]);  // moves up instead of repeating
  const QStringList expected = {paths[5], paths[9], paths[8], paths[7],
                                paths[6], paths[4], paths[3], paths[2]};
  EXPECT_EQ(RecentEntries(), expected);
  EXPECT_TRUE(RecentMenu()->menuAction()->isEnabled());

  // The list outlives the window; its entries open with the open's checks.
  Restart();
  EXPECT_EQ(RecentEntries(), expected);
  ChooseRecent(3);
  EXPECT_EQ(Text("TxtOrgSamp"), "1008");  // paths[8]

  // A file gone from the disk is taken off the list when chosen, with a message.
  std::filesystem::remove(paths[9].toStdString());
  dialogs.Clear();
  ChooseRecent(3);  // paths[9], now behind paths[8] and paths[5]
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_TRUE(dialogs.Messages()[0].text.startsWith(paths[9] + " no longer exists."));
  EXPECT_EQ(RecentEntries(),
            QStringList({paths[8], paths[5], paths[7], paths[6], paths[4], paths[3], paths[2]}));
  EXPECT_EQ(Text("TxtOrgSamp"), "1008");  // the open file stays

  window->findChild<QAction*>("MnuClearRecent")->trigger();
  Restart();
  EXPECT_TRUE(RecentEntries().isEmpty());
  EXPECT_FALSE(RecentMenu()->menuAction()->isEnabled());
}

TEST_F(DesktopTest, ShortcutsRunTheirCommandsAndCollideWithNothing) {
  // Every command has a key of its own. The ones of this program's own choice are no standard key,
  // and a text field with the focus does not claim them for its editing (as it claims Ctrl+A).
  QSet<QKeySequence> seen;
  for (const QString name : {"MnuOpenWave", "MnuSaveAsWave", "MnuExit", "MnuAbout", "MnuSpanAs", "MnuShuffle",
                             "MnuMixTo", "MnuImport", "MnuDetectTempo"}) {
    const QKeySequence key = window->findChild<QAction*>(name)->shortcut();
    EXPECT_FALSE(key.isEmpty() || seen.contains(key)) << qPrintable(name);
    seen.insert(key);
    if (!QStringList{"MnuSpanAs", "MnuShuffle", "MnuMixTo"}.contains(name)) continue;
    for (int standard = QKeySequence::HelpContents; standard <= QKeySequence::Cancel; ++standard)
      EXPECT_FALSE(QKeySequence::keyBindings(QKeySequence::StandardKey(standard)).contains(key))
          << qPrintable(name) << " has standard key " << standard;
    QKeyEvent override(QEvent::ShortcutOverride, key[0].key(), key[0].keyboardModifiers());
    override.ignore();
    QApplication::sendEvent(Field("TxtBeats"), &override);
    EXPECT_FALSE(override.isAccepted()) << qPrintable(name);
  }

  // Typed keys, with the focus in a text field.
  Open(WriteWave("loop.wav", 88200));
  dialogs.Clear();
  Field("TxtBeats")->setFocus();
  dialogs.openChoices = {std::nullopt, std::nullopt};
  QTest::keyClick(Field("TxtBeats"), Qt::Key_O, Qt::ControlModifier);
  QTest::keyClick(Field("TxtBeats"), Qt::Key_M, Qt::ControlModifier);
  ASSERT_EQ(dialogs.shown.size(), 2u);
  EXPECT_EQ(dialogs.shown[0].title + "|" + dialogs.shown[1].title, "Open wave file|Select a file to mix to");
  QTest::keyClick(Field("TxtBeats"), Qt::Key_Q, Qt::ControlModifier);
  EXPECT_FALSE(window->isVisible());
}

}  // namespace
}  // namespace tactoria::testing
