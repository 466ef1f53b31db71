#pragma once

#include <QString>

class QWidget;
#include <cstdint>
#include <functional>
#include <vector>

namespace tactoria {

// Lets the Shuffle dialog play a beat order before it is applied: the open data in that order,
// rendered as the window's fields stand, into a sound of its own (the open data is not touched).
class OrderAudition {
 public:
  virtual ~OrderAudition() = default;

  // Plays `order` (1-based beat numbers, as listed); while it plays, a new order takes over at
  // the same place. A long render shows its progress over `owner`, with Cancel. Empty when it plays
  // or the user cancelled the render, else why it cannot play, for the dialog to show.
  virtual QString PlayOrder(const std::vector<std::int32_t>& order, QWidget* owner) = 0;
  virtual void StopOrder() = 0;
  virtual bool PlayingOrder() const = 0;
  // Called when the playing state changes (also when a single play ends by itself).
  virtual void SetPlayingHandler(std::function<void(bool playing)> handler) = 0;
};

}  // namespace tactoria
