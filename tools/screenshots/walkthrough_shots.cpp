// The pictures of the README's walkthrough: one session in the real main window on a drum loop
// made here, with the program's own Qt dialogs answered the way a user would answer them.
//   xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" app_screenshot --walkthrough docs
// Every step checks the figures the window shows and the files it writes, so a picture of a
// misbehaving window fails the run instead of landing in the README.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>
#include <functional>
#include <numbers>
#include <span>

#include "output/frm_progress.h"
#include "output/frm_shuffle.h"
#include "support/riff_builder.h"
#include "support/scripted_dialogs.h"
#include "ui/button_label.h"
#include "ui/qt_user_dialogs.h"
#include "window/frm_main.h"

namespace tactoria::testing {

namespace {

constexpr int kRate = 44100;
constexpr int kBars = 8;
constexpr int kBeats = 4;
constexpr int kBeatFrames = kRate / 2;  // 120 bpm
constexpr int kFrames = kBars * kBeats * kBeatFrames;

// 8 bars of 4/4 at 120 bpm, stereo 16-bit: a kick on 1 and 3, a snare on 2 and 4, a hi-hat on
// every eighth, the hat a little to the right.
Bytes DrumLoop() {
  std::uint32_t seed = 0x2545F491u;
  auto noise = [&seed] {
    seed ^= seed << 13;
    seed ^= seed >> 17;
    seed ^= seed << 5;
    return static_cast<double>(seed) / 2147483648.0 - 1.0;
  };
  constexpr double kTwoPi = 2 * std::numbers::pi;
  Bytes data;
  data.reserve(static_cast<std::size_t>(kFrames) * 4);
  double lastNoise = 0;
  for (int frame = 0; frame < kFrames; ++frame) {
    const int beat = frame / kBeatFrames;
    const double sinceBeat = static_cast<double>(frame % kBeatFrames) / kRate;
    const double sinceEighth = static_cast<double>(frame % (kBeatFrames / 2)) / kRate;
    const double white = noise();
    const double bright = white - lastNoise;  // a crude high-pass for the hat
    lastNoise = white;

    double drums = 0;
    if (beat % 2 == 0) {  // kick: a falling sine
      const double pitch = 50 + 70 * std::exp(-sinceBeat / 0.03);
      drums += 0.8 * std::sin(kTwoPi * pitch * sinceBeat) * std::exp(-sinceBeat / 0.15);
    } else {  // snare: a tone and a burst of noise
      drums += (0.25 * std::sin(kTwoPi * 190 * sinceBeat) + 0.45 * white) * std::exp(-sinceBeat / 0.07);
    }
    const double hat = 0.12 * bright * std::exp(-sinceEighth / 0.02);
    for (const double sample : {drums + 0.7 * hat, drums + hat}) {
      const auto value = static_cast<std::int32_t>(std::lround(std::clamp(sample, -1.0, 1.0) * 32767));
      AppendLe(data, static_cast<std::uint32_t>(value) & 0xFFFFu, 2);
    }
  }
  return PcmWave(data, 2, kRate);
}

// The program's real dialogs, each answered by the next step the session queued for it. No
// message or question is expected in this session: they are recorded and answered No or
// Cancel without a box, so that a fault fails the run rather than waiting for a click.
class SessionDialogs : public UserDialogs {
 public:
  using Step = std::function<void(QWidget* dialog)>;

  std::deque<Step> steps;
  QStringList surprises;

  void Message(QWidget*, const QString& title, const QString& text, MessageIcon) override {
    surprises << QStringLiteral("message \"%1\": %2").arg(title, text);
  }
  Answer Question(QWidget*, const QString& title, const QString& text, bool withCancel) override {
    surprises << QStringLiteral("question \"%1\": %2").arg(title, text);
    return withCancel ? Answer::Cancel : Answer::No;
  }
  std::optional<QString> InputBox(QWidget* parent, const QString& title, const QString& prompt,
                                  const QString& proposed) override {
    Arm(title);
    return real_.InputBox(parent, title, prompt, proposed);
  }
  std::optional<FileChoice> ChooseOpenFile(QWidget* parent, const QString& title, const QString& folder,
                                           const QString& filter) override {
    Arm(title);
    return real_.ChooseOpenFile(parent, title, folder, filter);
  }
  std::optional<FileChoice> ChooseSaveFile(QWidget* parent, const QString& title, const QString& folder,
                                           const QString& filter) override {
    Arm(title);
    return real_.ChooseSaveFile(parent, title, folder, filter);
  }

 private:
  // The step runs once the dialog's own modal loop is running, that is once it is shown.
  void Arm(const QString& title) {
    if (steps.empty()) {
      surprises << QStringLiteral("dialog \"%1\" with nothing to answer it").arg(title);
      QTimer::singleShot(0, [] {
        if (QWidget* dialog = QApplication::activeModalWidget()) dialog->close();
      });
      return;
    }
    Step step = std::move(steps.front());
    steps.pop_front();
    QTimer::singleShot(0, [step = std::move(step)] { step(QApplication::activeModalWidget()); });
  }

  QtUserDialogs real_;
};

// Where a top-level window stands on the screen.
QRect ScreenRect(const QWidget* window) {
  return {window->mapToGlobal(QPoint(0, 0)), window->size()};
}

// The windows as the screen shows them, the first one at the bottom: each drawn from its own
// grab at its place, the picture cropped to the windows. There is no window manager under
// Xvfb and so no window frames; a thin outline marks the edge of each window drawn on top.
QImage OnScreen(std::initializer_list<QWidget*> windows) {
  QRect area;
  for (const QWidget* window : windows) area |= ScreenRect(window);
  QImage image(area.size(), QImage::Format_RGB32);
  image.fill(QColor(0x6e, 0x6e, 0x6e));
  QPainter painter(&image);
  bool bottom = true;
  for (QWidget* window : windows) {
    const QRect at = ScreenRect(window).translated(-area.topLeft());
    painter.drawPixmap(at.topLeft(), window->grab());
    if (!bottom) {
      painter.setPen(QColor(0x40, 0x40, 0x40));
      painter.drawRect(at.adjusted(0, 0, -1, -1));
    }
    bottom = false;
  }
  return image;
}

class Session {
 public:
  Session(const QString& docs, const QString& loops)
      : docs_(docs), loops_(loops), settings_(Remembered(loops)), window_(dialogs_, settings_) {}

  int Run();

 private:
  // Both dialogs start in the loops folder, as after earlier sessions there.
  static MemorySettings Remembered(const QString& folder) {
    MemorySettings settings;
    settings.SetValue(QStringLiteral("UserSection"), QStringLiteral("UserOpenFilePath"), folder);
    settings.SetValue(QStringLiteral("UserSection"), QStringLiteral("UserSaveFilePath"), folder);
    return settings;
  }

  QLineEdit* Field(const char* name) { return window_.findChild<QLineEdit*>(QLatin1String(name)); }
  QString Text(const char* name) {
    const QLineEdit* field = Field(name);
    return field ? field->text() : QStringLiteral("(no such field)");
  }
  void Trigger(const char* command) {
    if (auto* action = window_.findChild<QAction*>(QLatin1String(command)))
      action->trigger();
    else
      failures_ << QStringLiteral("no command ") + QLatin1String(command);
  }

  void Check(bool ok, const QString& what) {
    if (!ok) failures_ << what;
  }
  void Expect(const char* field, const QString& text) {
    Check(Text(field) == text,
          QStringLiteral("%1 shows \"%2\", expected \"%3\"").arg(field, Text(field), text));
  }
  void Save(const QString& name, const QImage& image) {
    // Quality 0 is the PNG writer's strongest compression.
    Check(image.save(QDir(docs_).filePath(name), "PNG", 0), QStringLiteral("cannot write ") + name);
    qInfo("%s %dx%d", qPrintable(name), image.width(), image.height());
  }
  // Chooses `name` in the real file dialog, waits for its list to fill, then accepts it.
  static void ChooseFile(QWidget* dialog, const QString& name,
                         const std::function<void(QFileDialog*)>& shoot) {
    auto* files = qobject_cast<QFileDialog*>(dialog);
    if (!files) {
      if (dialog) dialog->close();
      return;
    }
    files->selectFile(name);
    QTest::qWait(400);
    if (shoot) shoot(files);
    static_cast<QDialog*>(files)->accept();  // QFileDialog keeps its override protected
  }

  void Open();
  void SetBars();
  void EnterTempo();
  void CheckReverse();
  void SaveAs();
  void SpanAs();
  void ShuffleBeats();

  QString docs_;
  QString loops_;
  MemorySettings settings_;
  SessionDialogs dialogs_;
  FrmMain window_;
  QStringList failures_;
};

void Session::Open() {
  dialogs_.steps.push_back([](QWidget* dialog) { ChooseFile(dialog, QStringLiteral("funk_8bars.wav"), {}); });
  Trigger("MnuOpenWave");
  QTest::qWait(50);
  Expect("TxtOrgSamp", QString::number(kFrames));
  Expect("TxtOrgBpm", QStringLiteral("15"));
  Save(QStringLiteral("walkthrough-1-open.png"), OnScreen({&window_}));
}

// Typed as a user types: click into the field, select its text, type the new one.
void Session::SetBars() {
  QLineEdit* bars = Field("TxtBars");
  QTest::mouseClick(bars, Qt::LeftButton);
  QTest::keyClick(bars, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(bars, QString::number(kBars));
  QTest::qWait(50);
  Expect("TxtTotal", QString::number(kBars * kBeats));
  Expect("TxtOrgBpm", QStringLiteral("120"));
  Expect("TxtNewBpm", QStringLiteral("120"));
  Expect("TxtSpSamp", QString::number(kBeatFrames));
  Save(QStringLiteral("walkthrough-2-bars.png"), OnScreen({&window_}));
}

void Session::EnterTempo() {
  dialogs_.steps.push_back([this](QWidget* dialog) {
    auto* box = qobject_cast<QInputDialog*>(dialog);
    QLineEdit* answer = box ? box->findChild<QLineEdit*>() : nullptr;
    if (!answer) {
      if (dialog) dialog->close();
      return;
    }
    answer->selectAll();
    QTest::keyClicks(answer, QStringLiteral("100"));
    QTest::qWait(50);
    Save(QStringLiteral("walkthrough-3-tempo.png"), OnScreen({&window_, box}));
    QTest::keyClick(answer, Qt::Key_Return);
  });
  QTest::mouseClick(window_.findChild<QLabel*>(QStringLiteral("LblEditBpm")), Qt::LeftButton);
  QTest::qWait(50);
  // 8 bars of 4 beats at 100 bpm: 60 * 44100 * 32 / 100 frames.
  Expect("TxtNewSamp", QStringLiteral("846720"));
  Expect("TxtNewBytes", QStringLiteral("3386880"));
  // The tempo shown is worked out again from the whole frame count, in single precision.
  Expect("TxtNewBpm", QStringLiteral("99.99999"));
  Expect("TxtSpSamp", QStringLiteral("26460"));
}

void Session::CheckReverse() {
  auto* reverse = window_.findChild<QCheckBox*>(QStringLiteral("ChkReverse"));
  QTest::mouseClick(reverse, Qt::LeftButton);
  QTest::qWait(50);
  Check(reverse->isChecked(), QStringLiteral("Reverse is not checked after a click"));
  Save(QStringLiteral("walkthrough-4-reverse.png"), OnScreen({&window_}));
}

void Session::SaveAs() {
  dialogs_.steps.push_back([this](QWidget* dialog) {
    ChooseFile(dialog, QStringLiteral("funk_100bpm_reversed.wav"), [this](QFileDialog* files) {
      // The dialog is larger than the window it covers: it is shown alone.
      Save(QStringLiteral("walkthrough-5-save-as.png"), OnScreen({files}));
    });
  });
  Trigger("MnuSaveAsWave");
  const QFileInfo saved(loops_ + QStringLiteral("/funk_100bpm_reversed.wav"));
  Check(saved.size() == 44 + 3386880, QStringLiteral("Save As wrote %1 bytes").arg(saved.size()));
}

void Session::SpanAs() {
  dialogs_.steps.push_back([](QWidget* dialog) { ChooseFile(dialog, QStringLiteral("drum"), {}); });
  // The span lets the event loop run once after each beat: the picture is taken at the pass
  // after beat 12 of 32.
  bool shot = false;
  QTimer watch;
  watch.setInterval(0);
  QObject::connect(&watch, &QTimer::timeout, [&] {
    auto* progress = window_.findChild<FrmProgress*>();
    if (shot || !progress || progress->Progbar()->value() < 12) return;
    shot = true;
    Check(!window_.isEnabled(), QStringLiteral("the main window is enabled during the span"));
    Save(QStringLiteral("walkthrough-6-span.png"), OnScreen({&window_, progress}));
  });
  watch.start();
  Trigger("MnuSpanAs");
  watch.stop();
  Check(shot, QStringLiteral("no picture of the span's progress"));
  for (int beat = 1; beat <= kBars * kBeats; ++beat) {
    const QFileInfo file(loops_ + QStringLiteral("/drum[%1].wav").arg(beat));
    Check(file.size() == 44 + 105840, QStringLiteral("%1: %2 bytes").arg(file.fileName()).arg(file.size()));
  }
  Check(!QFileInfo::exists(loops_ + QStringLiteral("/drum[33].wav")), QStringLiteral("a 33rd beat file"));
}

// Bar 2 selected (click, Shift+click) and moved up once: it swaps places with bar 1.
// The Shuffle dialog is the program's own window, not one of the user dialogs: the step is
// armed here and runs once the dialog's modal loop is running.
void Session::ShuffleBeats() {
  QTimer::singleShot(0, [this] {
    QWidget* dialog = QApplication::activeModalWidget();
    auto* shuffle = qobject_cast<FrmShuffle*>(dialog);
    if (!shuffle) {
      if (dialog) dialog->close();
      return;
    }
    QListWidget* list = shuffle->LstShuffle();
    QTest::qWait(50);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(4)).center());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      list->visualItemRect(list->item(7)).center());
    QTest::mouseClick(shuffle->LblUp(), Qt::LeftButton);
    QTest::qWait(50);
    Check(list->item(0)->text() == QLatin1String("Bar(2)::::Beat(1)") &&
              list->item(4)->text() == QLatin1String("Bar(1)::::Beat(1)") &&
              list->selectedItems().size() == 4,
          QStringLiteral("bar 2 did not move up as a block"));
    Check(shuffle->CmdOK()->isEnabled(), QStringLiteral("Apply is not enabled after a move"));
    Save(QStringLiteral("walkthrough-7-shuffle.png"), OnScreen({&window_, shuffle}));
    QTest::mouseClick(shuffle->CmdOK(), Qt::LeftButton);
  });
  const Bytes before = ReadBytes(QString(loops_ + QStringLiteral("/funk_8bars.wav")).toStdString());
  Trigger("MnuShuffle");
  Check(QApplication::activeModalWidget() == nullptr, QStringLiteral("the Shuffle dialog stayed open"));
  // Applied in memory: the sound now starts with the old bar 2, then the old bar 1.
  if (!window_.CurrentWave()) return Check(false, QStringLiteral("no file open"));
  const auto data = window_.CurrentWave()->Item(window_.DataIndex()).bytes();
  const std::size_t bar = std::size_t{kBeats} * kBeatFrames * 4;
  const auto oldData = std::span(before).subspan(44);
  Check(data.size() == oldData.size() && std::ranges::equal(data.first(bar), oldData.subspan(bar, bar)) &&
            std::ranges::equal(data.subspan(bar, bar), oldData.first(bar)),
        QStringLiteral("Apply did not swap bars 1 and 2"));
}

int Session::Run() {
  window_.adjustSize();
  if (const QScreen* screen = window_.screen()) {
    QRect frame = window_.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window_.move(frame.topLeft());
  }
  window_.show();
  window_.activateWindow();
  if (!QTest::qWaitForWindowActive(&window_)) {
    qWarning("the main window did not become active (run under xvfb-run)");
    return 1;
  }

  // Every command ends with the window enabled and the arrow pointer back.
  const auto idle = [this](const char* after) {
    Check(window_.isEnabled() && !QApplication::overrideCursor(),
          QStringLiteral("the window is left disabled or busy after ") + QLatin1String(after));
  };
  Open();
  SetBars();
  EnterTempo();
  CheckReverse();
  SaveAs();
  idle("Save As");
  SpanAs();
  idle("Span As");
  ShuffleBeats();
  idle("Shuffle");

  failures_ << dialogs_.surprises;
  if (!dialogs_.steps.empty())
    failures_ << QStringLiteral("%1 dialog(s) never shown").arg(dialogs_.steps.size());
  for (const QString& failure : failures_) qWarning("%s", qPrintable(failure));
  return failures_.isEmpty() ? 0 : 1;
}

}  // namespace

int RunWalkthrough(const QString& docs) {
  const QString root = QDir::temp().filePath(QStringLiteral("tactoria-walkthrough"));
  QDir(root).removeRecursively();
  const QString loops = root + QStringLiteral("/loops");
  QDir().mkpath(loops);
  const QString loop = loops + QStringLiteral("/funk_8bars.wav");
  WriteBytes(loop.toStdString(), DrumLoop());
  // A fixed date for the file dialog's list, so that a second run draws the same pictures.
  QFile file(loop);
  if (!file.open(QIODevice::ReadWrite) ||
      !file.setFileTime(QDateTime(QDate(2024, 5, 17), QTime(21, 30)), QFileDevice::FileModificationTime))
    qWarning("cannot set the date of %s", qPrintable(loop));
  file.close();
  int status = 0;
  {
    Session session(docs, loops);
    status = session.Run();
  }
  QDir(root).removeRecursively();
  return status;
}

}  // namespace tactoria::testing
