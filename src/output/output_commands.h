#pragma once

namespace tactoria {

class MainWindowState;

// The main window's output commands. Each runs to its end on the user-interface thread,
// reports every failure with a message and lets no exception out.
class OutputCommands {
 public:
  explicit OutputCommands(MainWindowState& window) : window_(window) {}

  void SaveAs();   // File > Save As...
  void SpanAs();   // File > Span As...
  void Shuffle();  // Tools > Shuffle
  void MixTo();    // Tools > Mix To

 private:
  MainWindowState& window_;
};

}  // namespace tactoria
