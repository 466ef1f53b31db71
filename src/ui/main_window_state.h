#pragma once

#include <QString>

#include "process/render.h"
#include "tempo/field_conversions.h"
#include "wave/media_file.h"
#include "wave/wave_format.h"

class QUndoStack;
class QWidget;

namespace tactoria {

class UserDialogs;

// What the output commands (Save As, Span As, Shuffle, Mix To) need of the main window.
// FrmMain implements it; tests of the commands may use a fake.
class MainWindowState {
 public:
  virtual ~MainWindowState() = default;

  virtual QWidget* Window() = 0;
  virtual UserDialogs& Dialogs() = 0;
  virtual NumberStyle Style() const = 0;

  // The open file; null before the first successful open.
  virtual vbMediaFile* CurrentWave() = 0;
  virtual int DataIndex() const = 0;
  virtual const WaveFormat& CurrentFormat() const = 0;

  // The render settings as the window's fields stand: the new length only when the texts of
  // the new and original byte counts differ, the phaser value (the last valid one when the
  // field is empty or not a number) when "Phaser" is checked, and "Reverse".
  virtual RenderSettings CurrentRenderSettings() const = 0;

  // Texts of the beats, bars and total fields.
  virtual QString BeatsText() const = 0;
  virtual QString BarsText() const = 0;
  virtual QString TotalText() const = 0;

  // The window's file dialogs, with the remembered folders; the empty string when cancelled.
  virtual QString ShowOpen(const QString& title = {}) = 0;
  virtual QString ShowSave(const QString& title = {}) = 0;

  // The window's undo stack (Edit > Undo and Redo), or none.
  virtual QUndoStack* UndoStack() { return nullptr; }
  // The open data was changed in memory (an undone or redone Shuffle).
  virtual void DataChanged() {}
};

}  // namespace tactoria
