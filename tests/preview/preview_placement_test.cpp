// Where the Preview opens: beside the main window where there is room, shrunk where there is
// not, never past a screen edge; with the main window as the program centres it, with and without
// a window manager's frames and panels.
#include <gtest/gtest.h>

#include "preview/preview_placement.h"

namespace tactoria {
namespace {

// The preview's size (900 x 360) and its smallest size, framed by a window manager or not.
struct Case {
  const char* name;
  QRect screen;  // available geometry
  QSize mainFrame;
  QSize wanted;
  QSize minimum;
};

QRect Centred(const QRect& screen, const QSize& size) {
  QRect r(QPoint(0, 0), size);
  r.moveCenter(screen.center());
  return r;
}

TEST(PreviewPlacementTest, BesideTheCentredMainWindowShrunkToTheScreen) {
  const Case cases[] = {
      {"1280x800 bare", QRect(0, 0, 1280, 800), QSize(324, 481), QSize(900, 360), QSize(420, 220)},
      {"1280x800 framed", QRect(0, 32, 1280, 768), QSize(328, 512), QSize(904, 391), QSize(424, 251)},
      {"1600x1000 bare", QRect(0, 0, 1600, 1000), QSize(324, 481), QSize(900, 360), QSize(420, 220)},
      {"1600x1000 framed", QRect(0, 32, 1600, 968), QSize(328, 512), QSize(904, 391), QSize(424, 251)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QRect main = Centred(c.screen, c.mainFrame);
    const QRect place = PlacePreview(c.screen, main, c.wanted, c.minimum);
    EXPECT_TRUE(c.screen.contains(place))
        << place.x() << "," << place.y() << " " << place.width() << "x" << place.height();
    EXPECT_FALSE(place.intersects(main));
    // To the right, top to top, as wide as the screen allows and as high as wanted.
    EXPECT_EQ(place.left(), main.right() + 1 + kPreviewGap);
    EXPECT_EQ(place.right(), c.screen.right());
    EXPECT_EQ(place.top(), main.top());
    EXPECT_EQ(place.height(), c.wanted.height());
    EXPECT_GE(place.width(), c.wanted.width() / 2);
  }
}

TEST(PreviewPlacementTest, WholeWhereItFitsElseBelowElseTheFreeCorner) {
  const QRect screen(0, 0, 1280, 800);
  const QSize wanted(900, 360), minimum(420, 220);
  // A main window moved to the left edge: the whole preview fits beside it.
  EXPECT_EQ(PlacePreview(screen, QRect(0, 100, 324, 481), wanted, minimum), QRect(332, 100, 900, 360));
  // Moved to the right edge: on its left, its right side towards the main window.
  EXPECT_EQ(PlacePreview(screen, QRect(956, 100, 324, 481), wanted, minimum), QRect(48, 100, 900, 360));
  // A wide main window at the top leaves room only below it.
  EXPECT_EQ(PlacePreview(screen, QRect(100, 0, 1000, 380), wanted, minimum), QRect(100, 388, 900, 360));
  // At the bottom of the screen, the bottom of the preview stays on it.
  EXPECT_EQ(PlacePreview(screen, QRect(0, 600, 324, 200), wanted, minimum), QRect(332, 440, 900, 360));
  // No strip holds even the smallest preview: that size, inside the screen, in a corner.
  const QRect small(0, 0, 800, 600);
  const QRect main = Centred(small, QSize(324, 481));
  const QRect place = PlacePreview(small, main, wanted, minimum);
  EXPECT_EQ(place.size(), minimum);
  EXPECT_TRUE(small.contains(place));
}

}  // namespace
}  // namespace tactoria
