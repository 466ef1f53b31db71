#include "preview_placement.h"

#include <algorithm>
#include <array>

namespace tactoria {
namespace {

struct Strip {
  QRect room;   // the free part of the screen on one side of the main window
  bool beside;  // left or right: the window's top follows the main window's top
};

// A size worth keeping: about half the wanted size or more in each direction.
bool Useful(const QSize& size, const QSize& wanted, const QSize& minimum) {
  const QSize enough = QSize(std::max(minimum.width(), wanted.width() / 2),
                             std::max(minimum.height(), wanted.height() * 2 / 3))
                           .boundedTo(wanted);
  return size.width() >= enough.width() && size.height() >= enough.height();
}

QRect PlaceIn(const Strip& strip, const QRect& mainFrame, const QSize& size) {
  QRect place(QPoint(0, 0), size);
  const QRect& room = strip.room;
  if (strip.beside) {
    place.moveLeft(room.left() == mainFrame.right() + 1 + kPreviewGap ? room.left()
                                                                      : room.right() + 1 - size.width());
    place.moveTop(
        std::clamp(mainFrame.top(), room.top(), std::max(room.top(), room.bottom() + 1 - size.height())));
  } else {
    place.moveTop(room.top() == mainFrame.bottom() + 1 + kPreviewGap ? room.top()
                                                                     : room.bottom() + 1 - size.height());
    place.moveLeft(
        std::clamp(mainFrame.left(), room.left(), std::max(room.left(), room.right() + 1 - size.width())));
  }
  return place;
}

}  // namespace

QRect PlacePreview(const QRect& screen, const QRect& mainFrame, const QSize& wanted, const QSize& minimum) {
  const int gap = kPreviewGap;
  const std::array<Strip, 4> strips = {{
      {QRect(QPoint(mainFrame.right() + 1 + gap, screen.top()), screen.bottomRight()), true},
      {QRect(screen.topLeft(), QPoint(mainFrame.left() - 1 - gap, screen.bottom())), true},
      {QRect(QPoint(screen.left(), mainFrame.bottom() + 1 + gap), screen.bottomRight()), false},
      {QRect(screen.topLeft(), QPoint(screen.right(), mainFrame.top() - 1 - gap)), false},
  }};
  const Strip* best = nullptr;
  QSize bestSize;
  for (const Strip& strip : strips) {
    if (strip.room.width() < 1 || strip.room.height() < 1) continue;
    const QSize size = wanted.boundedTo(strip.room.size());
    if (Useful(size, wanted, minimum)) return PlaceIn(strip, mainFrame, size);
    if (size.width() < minimum.width() || size.height() < minimum.height()) continue;
    if (!best || size.width() * size.height() > bestSize.width() * bestSize.height()) {
      best = &strip;
      bestSize = size;
    }
  }
  if (best) return PlaceIn(*best, mainFrame, bestSize);

  // No room beside the main window: the smallest window, away from the main window's middle.
  const QSize size = minimum.boundedTo(screen.size());
  QRect place(QPoint(0, 0), size);
  const QPoint middle = mainFrame.center();
  const QPoint screenMiddle = screen.center();
  place.moveLeft(middle.x() <= screenMiddle.x() ? screen.right() + 1 - size.width() : screen.left());
  place.moveTop(middle.y() <= screenMiddle.y() ? screen.bottom() + 1 - size.height() : screen.top());
  return place;
}

}  // namespace tactoria
