#pragma once

#include <QHash>
#include <QMainWindow>
#include <QString>
#include <array>
#include <memory>
#include <optional>

#include "desktop/recent_files.h"
#include "output/output_commands.h"
#include "ui/focus_returning_dialogs.h"
#include "ui/main_window_state.h"
#include "ui/user_dialogs.h"
#include "wave/media_file.h"
#include "wave/wave_format.h"

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QTimer;
class QUndoStack;

namespace tactoria {

class ButtonLabel;
class PreviewWindow;
class SettingsStore;
class ValidationFilter;

// The main window. The texts of its fields are the model: every handler reads the texts it
// needs, converts them, computes and writes texts back, and each write runs the written
// field's change handler at once (QLineEdit::textChanged), so one edit runs a cascade.
// Controls carry their names as object names ("TxtBeats", "LblMinus0", "Lbl12").
class FrmMain : public QMainWindow, public MainWindowState {
  Q_OBJECT

 public:
  FrmMain(UserDialogs& dialogs, SettingsStore& settings, QWidget* parent = nullptr);
  ~FrmMain() override;

  // What the output commands read.
  QWidget* Window() override { return this; }
  UserDialogs& Dialogs() override { return dialogs_; }
  NumberStyle Style() const override { return style_; }
  vbMediaFile* CurrentWave() override { return currentWave_.get(); }
  int DataIndex() const override { return dataIndex_; }
  const WaveFormat& CurrentFormat() const override { return currentFormat_; }
  RenderSettings CurrentRenderSettings() const override;
  QString BeatsText() const override;
  QString BarsText() const override;
  QString TotalText() const override;
  QString ShowOpen(const QString& title = {}) override;
  QString ShowSave(const QString& title = {}) override;
  QUndoStack* UndoStack() override { return undoStack_; }
  void DataChanged() override;

  int FmtIndex() const { return fmtIndex_; }
  // Whether the press-and-hold repeat of LblPlus(index) or LblMinus(index) runs.
  bool HoldRunning(bool plus, int index) const { return holds_.at((plus ? 3 : 0) + index).running; }
  bool InternalChange() const { return bInternalChange; }
  const QString& OpenFolder() const { return openFolder_; }
  const QString& SaveFolder() const { return saveFolder_; }

  // The remembered folders: section "UserSection", keys "UserOpenFilePath", "UserSaveFilePath".
  void LoadUserSettings();
  void SaveUserSettings();

  // Opens `path` as the "Open" command does once its dialog has given the path: the same
  // checks, messages and state. True when the file is open.
  bool OpenWavePath(const QString& path);
  // Opens `path` as OpenWavePath does when File > Open accepts it, and imports it otherwise
  // (any sound file libsndfile reads). Used by Open Recent, file drops and the file named at start.
  bool OpenSoundPath(const QString& path);

  // "Detect Tempo on Open" (Tools menu): every open runs Detect Tempo. Off by default.
  bool DetectTempoOnOpen() const;

  // "Keep Pitch" (Tools menu): a new length is a time-stretch at the same pitch. Off by default.
  bool KeepPitch() const;
  void SetKeepPitch(bool on);

  // True when the file's length can be read and is not 0.
  static bool FileExists(const QString& path);
  // The folder a file dialog starts in: `remembered`, or the home folder when that cannot be
  // listed safely (gone, not a folder, unreadable, or under /proc, /sys or /dev).
  static QString DialogFolder(const QString& remembered);

  // Validation handlers, run when the focus is about to leave the field.
  void TxtBars_Validate(bool& cancel);
  void TxtBeats_Validate(bool& cancel);
  void TxtNewSamp_Validate(bool& cancel);
  void LblPhaser_Validate(bool& cancel);

 public slots:
  void ReleaseCtrls();
  void UpdateDisplay();
  void UpdateSpanProps();

  void TxtBars_Change();
  void TxtBeats_Change();
  void TxtOrgBytes_Change();
  void TxtOrgSamp_Change();
  void TxtTotal_Change();
  void TxtNewSamp_Change();

  void LblEditBpm_Click();
  void LblMinus_Click(int index);
  void LblPlus_Click(int index);
  void LblMinus_DblClick(int index);
  void LblPlus_DblClick(int index);
  void LblMinus_MouseDown(int index, int button, int shift, int x, int y);
  void LblPlus_MouseDown(int index, int button, int shift, int x, int y);
  void LblMinus_MouseUp(int index, int button, int shift, int x, int y);
  void LblPlus_MouseUp(int index, int button, int shift, int x, int y);

  void ChkPhaser_Click();
  void LblPhaser_Change();

  void MnuOpenWave_Click();
  void MnuImport_Click();
  void MnuDetectTempo_Click();
  void MnuSaveAsWave_Click();
  void MnuSpanAs_Click();
  void MnuExportSlices_Click();
  void MnuExit_Click();
  void MnuShuffle_Click();
  void MnuMixTo_Click();
  void MnuAbout_Click();
  void MnuRecent_Click(const QString& path);
  void MnuClearRecent_Click();
  void MnuPreview_Click();

 signals:
  void KeepPitchChanged(bool on);
  // The sound that Save As would write may have changed: a field, a check box, the open file
  // or its data.
  void RenderInputsChanged();

 public:
  PreviewWindow* Preview() const { return preview_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  enum class Arrow { Minus, Plus };

  // Layout (frm_main_layout.cpp).
  void BuildControls();
  void BuildMenus();
  void BuildKeepPitchCommand();
  void BuildExportSlicesCommand();
  void BuildTempoCommands();
  void BuildImportCommand();
  void BuildEditMenu();
  void ConnectHandlers();
  void LinkPreview();
  void SetTabOrder();
  void ShowArrowPressed(ButtonLabel* arrow, bool pressed);
  // Shortcuts, Open Recent and file drops (frm_main_desktop.cpp).
  void AddDesktopCommands();
  void FileOpened(const QString& path);
  void RefreshRecentMenu();

  // Opening (frm_main_files.cpp). Wave: File > Open's reading, checks and messages. Import: a
  // file File > Open accepts as File > Open reads it, any other through libsndfile, refused with
  // Import's message. WaveOrImport: the same, but a file that cannot be opened at all gets File >
  // Open's message (OpenOrImport).
  enum class Reader { Wave, Import, WaveOrImport };
  bool OpenPath(const QString& path, Reader reader);
  // Writes the beats and bars found in the open data into Beat(s) and Bar(s), as typed
  // (frm_main_tempo.cpp).
  void DetectTempo();

  // Field helpers.
  void SetText(QLineEdit* field, const QString& text);
  static void CaretToEnd(QLineEdit* field);
  void RemoveTypedCharacter(QLineEdit* field);
  void RejectNonNumeric(QLineEdit* field);
  void ShowInvalid(const QString& text);
  void ShowMessage(const QString& title, const QString& text, MessageIcon icon);
  std::optional<double> FieldDouble(const QLineEdit* field) const;
  std::optional<float> FieldSingle(const QLineEdit* field) const;
  std::optional<std::int32_t> FieldLong(const QLineEdit* field) const;
  static QString ToText(const std::string& text) { return QString::fromStdString(text); }
  static std::string Std(const QString& text) { return text.toStdString(); }

  void BeatsOrBarsChange(QLineEdit* field, double limit);
  void BeatsOrBarsValidate(QLineEdit* field, const QString& restored, bool& cancel);
  std::optional<QString> NewBpmText() const;
  // Before a menu command: the focused field's validation, then (for the commands that
  // render) a "Samples:" text that is a frame count. False when the command must not run.
  bool ReadyForCommand(bool renders);

  // New length and phaser.
  void NewSampClosingSteps();
  void PhaserClosingSteps();
  ButtonLabel* ArrowLabel(Arrow arrow, int index) const;
  // The press-and-hold repeat of one arrow: its zero-interval timer drives one step per pass,
  // then the event loop runs.
  struct ArrowHold {
    QTimer* timer = nullptr;
    double step = 0;
    bool running = false;
  };
  ArrowHold& Hold(Arrow arrow, int index);
  void ArrowMouseDown(Arrow arrow, int index, int button, int shift);
  void ArrowMouseUp(Arrow arrow, int index);
  void ArrowStep(Arrow arrow, int index, double step);
  void HoldPass(Arrow arrow, int index);

  // Every dialog hands the focus back to the window that owns it.
  FocusReturningDialogs dialogs_;
  SettingsStore& settings_;
  NumberStyle style_;
  OutputCommands output_;
  RecentFiles recent_{settings_};
  ValidationFilter* validation_ = nullptr;

  // The open file; none until the first successful open.
  std::unique_ptr<vbMediaFile> currentWave_;
  int dataIndex_ = 0;
  int fmtIndex_ = 0;
  WaveFormat currentFormat_;
  QString openFolder_;
  QString saveFolder_;

  // Set while the program corrects the new-samples or phaser text itself, and while the
  // new-samples handler writes its derived fields.
  bool bInternalChange = false;
  // The phaser value of the last valid text, used when the field is empty or not a number.
  double lastPhaserValue_ = 1.0;
  // The last text each typed-into field accepted, restored when a rejected text has no
  // character before the caret to remove.
  QHash<const QLineEdit*, QString> lastAccepted_;
  // The field the program is writing: its caret counts as standing at the start.
  const QLineEdit* writing_ = nullptr;
  // LblMinus(0..2), then LblPlus(0..2).
  std::array<ArrowHold, 6> holds_{};

  // Controls.
  QLabel* LblFilePath = nullptr;
  QPlainTextEdit* TxtDir = nullptr;
  QGroupBox* FrmCalc = nullptr;
  QGroupBox* FrmOrg = nullptr;
  QGroupBox* FrmNew = nullptr;
  QGroupBox* FrmSpan = nullptr;
  std::array<QLabel*, 14> Lbl{};
  QLineEdit* TxtBeats = nullptr;
  QLineEdit* TxtBars = nullptr;
  QLineEdit* TxtTotal = nullptr;
  QLineEdit* TxtOrgSamp = nullptr;
  QLineEdit* TxtOrgBytes = nullptr;
  QLineEdit* TxtOrgBpm = nullptr;
  QLineEdit* TxtChannels = nullptr;
  QLineEdit* TxtAlign = nullptr;
  QLineEdit* TxtFreq = nullptr;
  QLineEdit* TxtNewSamp = nullptr;
  QLineEdit* TxtNewBytes = nullptr;
  QLineEdit* TxtNewBpm = nullptr;
  QLineEdit* LblPhaser = nullptr;  // a text box despite its name
  QLineEdit* TxtSpSamp = nullptr;
  QLineEdit* TxtSpBytes = nullptr;
  std::array<ButtonLabel*, 3> LblMinus{};
  std::array<ButtonLabel*, 3> LblPlus{};
  ButtonLabel* LblEditBpm = nullptr;
  QCheckBox* ChkPhaser = nullptr;
  QCheckBox* ChkReverse = nullptr;

  QMenu* MnuFile = nullptr;
  QMenu* MnuTools = nullptr;
  QAction* MnuOpenWave = nullptr;
  QAction* MnuImport = nullptr;
  QAction* MnuFileSep1 = nullptr;
  QAction* MnuSaveAsWave = nullptr;
  QAction* MnuFileSep2 = nullptr;
  QAction* MnuSpanAs = nullptr;
  QAction* MnuExportSlices = nullptr;
  QAction* MnuFileSep3 = nullptr;
  QAction* MnuExit = nullptr;
  QAction* MnuShuffle = nullptr;
  QAction* MnuToolsSep1 = nullptr;
  QAction* MnuMixTo = nullptr;
  QAction* MnuAbout = nullptr;
  QMenu* MnuRecent = nullptr;
  QAction* MnuKeepPitch = nullptr;
  QAction* MnuDetectTempo = nullptr;
  QAction* MnuDetectTempoOnOpen = nullptr;
  QAction* MnuPreview = nullptr;
  PreviewWindow* preview_ = nullptr;
  QUndoStack* undoStack_ = nullptr;
  QMenu* MnuEdit = nullptr;
  QAction* MnuUndo = nullptr;
  QAction* MnuRedo = nullptr;
};

}  // namespace tactoria
