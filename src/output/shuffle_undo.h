#pragma once

#include <optional>

#include "wave/byte_buffer.h"

namespace tactoria {

class MainWindowState;

// The open data as it stood before a Shuffle. Once Apply has rewritten the data, Applied()
// puts a command on the window's undo stack that gives the former bytes back (and the
// shuffled ones again on redo). Without the memory for the copy, Shuffle simply cannot be undone.
class ShuffleUndoMark {
 public:
  explicit ShuffleUndoMark(MainWindowState& window);
  void Applied();

 private:
  MainWindowState& window_;
  std::optional<ByteBuffer> before_;
};

}  // namespace tactoria
