#include "output/shuffle_undo.h"

#include <QUndoCommand>
#include <QUndoStack>
#include <algorithm>

#include "ui/main_window_state.h"

namespace tactoria {
namespace {

// Undo and redo both exchange the open data with the bytes held here.
class ShuffleCommand : public QUndoCommand {
 public:
  ShuffleCommand(MainWindowState& window, ByteBuffer other)
      : QUndoCommand(QStringLiteral("Shuffle")),
        window_(window),
        wave_(window.CurrentWave()),
        other_(std::move(other)) {}

  void undo() override { Exchange(); }
  void redo() override {
    // Pushed after Apply has run: the data already holds the new order.
    if (first_) {
      first_ = false;
      return;
    }
    Exchange();
  }

 private:
  void Exchange() {
    vbMediaFile* wave = window_.CurrentWave();
    // Opening a file clears the stack, so this is a safety net only.
    if (!wave || wave != wave_) return;
    const std::span<std::byte> data = wave->Item(window_.DataIndex()).bytes();
    if (data.size() != other_.size()) return;
    std::swap_ranges(data.begin(), data.end(), other_.bytes().begin());
    window_.DataChanged();
  }

  MainWindowState& window_;
  const vbMediaFile* wave_;
  ByteBuffer other_;
  bool first_ = true;
};

}  // namespace

ShuffleUndoMark::ShuffleUndoMark(MainWindowState& window) : window_(window) {
  vbMediaFile* wave = window_.CurrentWave();
  if (wave && window_.UndoStack()) before_ = ByteBuffer::CopyOf(wave->Item(window_.DataIndex()).bytes());
}

void ShuffleUndoMark::Applied() {
  if (!before_ || !window_.UndoStack()) return;
  window_.UndoStack()->push(new ShuffleCommand(window_, std::move(*before_)));
  before_.reset();
}

}  // namespace tactoria
