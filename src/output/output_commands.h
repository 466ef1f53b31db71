#pragma once

namespace tactoria {

class MainWindowState;
class OrderAudition;
class SettingsStore;
struct SliceState;

// The main window's output commands. Each runs to its end on the user-interface thread,
// reports every failure with a message and lets no exception out.
class OutputCommands {
 public:
  explicit OutputCommands(MainWindowState& window) : window_(window) {}

  void SaveAs();   // File > Save As...
  void SpanAs();   // File > Span As...
  void Shuffle();  // Tools > Shuffle
  void MixTo();    // Tools > Mix To
  // File > Export Slices...: asks its choices (remembered in `settings`) and a base name, and cuts
  // the rendered sound as `shown` (the Preview's slicing) and the choices say.
  void ExportSlices(SettingsStore& settings, const SliceState& shown);

  // What plays the Shuffle dialog's order (none: the dialog has no Play).
  void SetOrderAudition(OrderAudition* audition) { audition_ = audition; }

 private:
  MainWindowState& window_;
  OrderAudition* audition_ = nullptr;
};

}  // namespace tactoria
