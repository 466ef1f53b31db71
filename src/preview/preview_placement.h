#pragma once

#include <QRect>
#include <QSize>

namespace tactoria {

// Where the Preview opens, as a frame rectangle (title bar and borders included): beside the main
// window (right, then left) or else below or above it, in the first of those strips of the screen
// where it keeps a useful size, shrunk to the strip where the wanted size does not fit. When no
// strip holds even `minimum`, it takes that size in the screen corner farthest from the main
// window. The result never passes an edge of `screen` (the available geometry) unless `minimum`
// itself is larger than the screen.
QRect PlacePreview(const QRect& screen, const QRect& mainFrame, const QSize& wanted, const QSize& minimum);

// The gap left between the main window and the Preview.
inline constexpr int kPreviewGap = 8;

}  // namespace tactoria
