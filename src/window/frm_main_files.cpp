// Opening a wave file, the file dialogs and the controls a file unlocks.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QUndoStack>
#include <new>

#include <dirent.h>

#include "import/sound_import.h"
#include "output/output_texts.h"
#include "tempo/field_conversions.h"
#include "ui/busy_state.h"
#include "ui/button_label.h"
#include "wave/wave_validation.h"
#include "window/frm_main.h"
#include "window/window_texts.h"

namespace tactoria {

namespace {

// A span's save dialog: its title begins with "Span" (case-sensitive); the slice export's names its
// files the same way.
bool NamesSpanFiles(const QString& title) {
  return title.left(4) == QLatin1String("Span") || title == QLatin1String(kExportSlicesAsTitle);
}

// Folders whose entries are the kernel's: listing or reading them can block.
bool InPseudoFileSystem(const QString& canonical) {
  for (const char* root : {"/proc", "/sys", "/dev"}) {
    const QString top = QLatin1String(root);
    if (canonical == top || canonical.startsWith(top + QLatin1Char('/'))) return true;
  }
  return false;
}

// Folder and file name as one path, with ".wav" added unless the name ends in it (any case).
QString ChosenPath(const UserDialogs::FileChoice& choice) {
  QString path = choice.folder;
  if (!path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
  path += choice.fileName;
  if (choice.fileName.right(4).toLower() != QLatin1String(".wav")) path += QStringLiteral(".wav");
  return path;
}

}  // namespace

QString FrmMain::DialogFolder(const QString& remembered) {
  // No remembered folder: the dialog's own default, as before.
  if (remembered.isEmpty()) return remembered;
  const QFileInfo info(remembered);
  const QString canonical = info.canonicalFilePath();
  if (!info.isDir() || canonical.isEmpty() || InPseudoFileSystem(canonical)) return QDir::homePath();
  DIR* listing = ::opendir(QFile::encodeName(canonical).constData());
  if (listing == nullptr) return QDir::homePath();
  ::closedir(listing);
  return remembered;
}

QString FrmMain::ShowOpen(const QString& title) {
  const QString caption = title.isEmpty() ? QString::fromLatin1(kOpenTitle) : title;
  const auto choice =
      dialogs_.ChooseOpenFile(this, caption, DialogFolder(openFolder_), QString::fromLatin1(kWaveFilter));
  if (!choice) return {};
  const QString path = ChosenPath(*choice);
  openFolder_ = choice->folder;
  return path;
}

QString FrmMain::ShowSave(const QString& title) {
  const QString caption = title.isEmpty() ? QString::fromLatin1(kSaveTitle) : title;
  // A span names its files itself (base path, beat number, ".wav") and checks each one.
  const bool span = NamesSpanFiles(title);
  QString folder = DialogFolder(saveFolder_);
  for (;;) {
    const auto choice = dialogs_.ChooseSaveFile(this, caption, folder, kWaveFilter);
    if (!choice) return {};
    QString path = ChosenPath(*choice);
    if (span) {
      path.chop(4);  // ChosenPath made it end in ".wav"
    } else if (FileExists(path)) {
      const Answer answer = dialogs_.Question(this, kFileExistsTitle, path + kFileExistsQuestion, false);
      if (answer != Answer::Yes) {
        folder = choice->folder;  // shown again where the user was
        continue;
      }
    }
    saveFolder_ = choice->folder;
    return path;
  }
}

void FrmMain::ReleaseCtrls() {
  LblPlus[0]->setEnabled(true);
  LblMinus[0]->setEnabled(true);
  LblPlus[1]->setEnabled(true);
  LblMinus[1]->setEnabled(true);
  TxtBeats->setEnabled(true);
  TxtBars->setEnabled(true);
  TxtTotal->setEnabled(true);
  MnuSaveAsWave->setEnabled(true);
  MnuSpanAs->setEnabled(true);
  MnuExportSlices->setEnabled(true);
  MnuShuffle->setEnabled(true);
  MnuMixTo->setEnabled(true);
  TxtNewBytes->setEnabled(true);
  TxtNewBpm->setEnabled(true);
  TxtNewSamp->setEnabled(true);
  LblEditBpm->setEnabled(true);
  ChkReverse->setEnabled(true);
  ChkPhaser->setEnabled(true);
  TxtSpSamp->setEnabled(true);
  TxtSpBytes->setEnabled(true);
  MnuDetectTempo->setEnabled(true);
}

void FrmMain::MnuOpenWave_Click() {
  if (!ReadyForCommand(false)) return;
  const QString path = ShowOpen();
  if (path.isEmpty()) return;
  OpenWavePath(path);
}

bool FrmMain::OpenWavePath(const QString& path) {
  return OpenPath(path, Reader::Wave);
}

bool FrmMain::OpenSoundPath(const QString& path) {
  return OpenPath(path, Reader::WaveOrImport);
}

bool FrmMain::OpenPath(const QString& path, Reader reader) {
  if (currentWave_ && FromFsPath(currentWave_->FileName()) == path) {
    const Answer answer = dialogs_.Question(this, kAlreadyOpenTitle, kAlreadyOpenQuestion, false);
    if (answer != Answer::Yes) return false;
  }

  BusyPointer busy;
  // Read and check the file completely before anything of the open file changes.
  std::unique_ptr<vbMediaFile> file;
  WaveValidation validation;
  Problem problem;
  auto take = [&](auto&& result) {
    if (result.wave) {
      file = std::make_unique<vbMediaFile>(std::move(result.wave->file));
      validation = result.wave->validation;
    } else {
      problem = std::move(result.problem);
    }
  };
  try {
    const std::string fsPath = ToFsPath(path);
    if (reader == Reader::WaveOrImport) {
      take(OpenOrImport(fsPath));
    } else {
      take(OpenWaveFile(fsPath));
      // Import speaks for every file it is given that File > Open refuses.
      if (!file && reader == Reader::Import) take(ImportSound(fsPath));
    }
  } catch (const std::bad_alloc&) {
    file.reset();
    problem = ReadFailureProblem(FileResult::OutOfMemory);
  }
  if (!file) {
    busy.Hide();
    ShowMessage(ToText(problem.title), ToText(problem.message), MessageIcon::Critical);
    return false;
  }

  undoStack_->clear();  // its edits belong to the file before
  currentWave_ = std::move(file);
  dataIndex_ = validation.dataIndex;
  fmtIndex_ = validation.fmtIndex;
  currentFormat_ = validation.format;

  SetText(TxtAlign, ToText(LongToText(currentFormat_.blockAlign)));
  SetText(TxtChannels, ToText(LongToText(currentFormat_.channels)));
  TxtDir->setPlainText(path);
  SetText(LblPhaser, QStringLiteral("1"));
  ReleaseCtrls();
  UpdateDisplay();
  // The copies above run only for figures that changed. A file with the same frame count as
  // the one before keeps the new length, whose byte count and tempo must follow this file's
  // block alignment and sample rate.
  TxtNewSamp_Change();
  emit RenderInputsChanged();
  FileOpened(path);
  busy.Hide();
  if (DetectTempoOnOpen()) DetectTempo();
  return true;
}

}  // namespace tactoria
