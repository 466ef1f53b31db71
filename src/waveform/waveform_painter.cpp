#include "waveform_painter.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace tactoria {
namespace {

const QColor kBackground(0x1e, 0x22, 0x28);
const QColor kLaneLine(0x3a, 0x40, 0x4a);
const QColor kWave(0x6c, 0xc4, 0xff);
const QColor kRulerBack(0x2a, 0x2f, 0x37);
const QColor kText(0xd8, 0xdc, 0xe2);
const QColor kBeat(0xff, 0xff, 0xff, 60);
const QColor kBar(0xff, 0xc8, 0x40, 200);
const QColor kTail(0x00, 0x00, 0x00, 120);
const QColor kSelected(0xff, 0xc8, 0x40, 40);
const QColor kPlayhead(0xff, 0x50, 0x50);

// A tick step in seconds that leaves at least `minPixels` between labels.
double TickStep(double secondsPerPixel, int minPixels) {
  const double wanted = secondsPerPixel * minPixels;
  for (double step : {0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1.0, 2.0, 5.0, 10.0, 15.0, 30.0,
                      60.0, 120.0, 300.0, 600.0}) {
    if (step >= wanted) return step;
  }
  return 1200.0;
}

// Lines closer than this would only grey the picture.
constexpr double kMinLinePixels = 6;

struct GridSteps {
  bool beats = true;              // beat lines have room
  std::int64_t barStride = 1;     // every n-th bar line is drawn
  std::int64_t numberStride = 1;  // every n-th bar gets its number (a multiple of barStride)
};

GridSteps ChooseGridSteps(double pixelsPerBeat, std::int64_t beatsPerBar, int numberWidth) {
  GridSteps steps;
  steps.beats = pixelsPerBeat >= kMinLinePixels;
  const double pixelsPerBar = pixelsPerBeat * static_cast<double>(std::max<std::int64_t>(beatsPerBar, 1));
  while (pixelsPerBar * static_cast<double>(steps.barStride) < kMinLinePixels &&
         steps.barStride < (1LL << 40))
    steps.barStride *= 2;
  steps.numberStride = steps.barStride;
  while (pixelsPerBar * static_cast<double>(steps.numberStride) < numberWidth + 6 &&
         steps.numberStride < (1LL << 40))
    steps.numberStride *= 2;
  return steps;
}

void PaintRuler(QPainter& painter, const QRect& ruler, const WaveformScene& scene, const QRect& lanes) {
  painter.fillRect(ruler, kRulerBack);
  if (scene.sampleRate < 1 || scene.frameCount < 1 || lanes.width() < 1) return;
  const double secondsPerPixel = static_cast<double>(scene.frameCount) / scene.sampleRate / lanes.width();
  const double step = TickStep(secondsPerPixel, 70);
  const double first = static_cast<double>(scene.firstFrame) / scene.sampleRate;
  const double last = static_cast<double>(scene.firstFrame + scene.frameCount) / scene.sampleRate;
  const int decimals = step >= 1 ? 0 : step >= 0.1 ? 1 : step >= 0.01 ? 2 : 3;
  painter.setPen(kText);
  for (double t = std::ceil(first / step) * step; t <= last; t += step) {
    const double x = XOfFrame(scene, lanes, static_cast<std::int64_t>(std::llround(t * scene.sampleRate)));
    painter.drawLine(QPointF(x, ruler.bottom() - 6), QPointF(x, ruler.bottom()));
    painter.drawText(QPointF(x + 3, ruler.bottom() - 7),
                     QString::number(t, 'f', decimals) + QLatin1Char('s'));
  }
}

void PaintLanes(QPainter& painter, const QRect& lanes, const WaveformScene& scene) {
  const PeakSummary* summary = scene.summary;
  if (!summary || summary->empty()) return;
  const int channels = summary->channels();
  const double laneHeight = static_cast<double>(lanes.height()) / channels;
  for (int c = 0; c < channels; ++c) {
    const double top = lanes.top() + c * laneHeight;
    const double middle = top + laneHeight / 2;
    const double half = laneHeight / 2 - 1;
    painter.setPen(kLaneLine);
    painter.drawLine(QPointF(lanes.left(), middle), QPointF(lanes.right(), middle));
    if (c > 0) painter.drawLine(QPointF(lanes.left(), top), QPointF(lanes.right(), top));
    painter.setPen(kWave);
    const int columns = std::min(summary->columns(), lanes.width());
    for (int x = 0; x < columns; ++x) {
      if (!summary->HasFrames(x)) continue;
      // Float samples beyond full scale are drawn at the lane's edge.
      const double y1 = middle - std::clamp<double>(summary->Max(c, x), -1, 1) * half;
      const double y2 = middle - std::clamp<double>(summary->Min(c, x), -1, 1) * half;
      painter.drawLine(QPointF(lanes.left() + x + 0.5, y1),
                       QPointF(lanes.left() + x + 0.5, std::max(y2, y1 + 1)));
    }
  }
}

void PaintGrid(QPainter& painter, const QRect& area, const QRect& lanes, const WaveformScene& scene) {
  const BeatGrid& grid = scene.grid;
  const std::int64_t viewEnd = scene.firstFrame + scene.frameCount;
  // The tail that no beat file holds.
  const std::int64_t tailStart = grid.empty() ? 0 : grid.GridEnd();
  if (tailStart < viewEnd && tailStart < grid.soundFrames) {
    const double x = std::max<double>(XOfFrame(scene, lanes, tailStart), lanes.left());
    painter.fillRect(QRectF(x, lanes.top(), lanes.right() + 1 - x, lanes.height()), kTail);
  }
  if (grid.empty()) return;
  if (scene.selectedBeat && *scene.selectedBeat >= 0 && *scene.selectedBeat < grid.beats) {
    const double x1 = XOfFrame(scene, lanes, grid.BeatStart(*scene.selectedBeat));
    const double x2 = XOfFrame(scene, lanes, grid.BeatStart(*scene.selectedBeat + 1));
    painter.fillRect(QRectF(x1, lanes.top(), x2 - x1, lanes.height()), kSelected);
  }
  const double pixelsPerBeat = static_cast<double>(grid.beatFrames) * lanes.width() /
                               static_cast<double>(std::max<std::int64_t>(scene.frameCount, 1));
  const GridSteps steps =
      ChooseGridSteps(pixelsPerBeat, grid.beatsPerBar,
                      painter.fontMetrics().horizontalAdvance(QString::number(grid.BarNumber(grid.beats))));
  const std::int64_t firstBeat = std::max<std::int64_t>(scene.firstFrame / grid.beatFrames, 0);
  const std::int64_t lastBeat = std::min(grid.beats, viewEnd / grid.beatFrames + 1);
  for (std::int64_t k = firstBeat; k <= lastBeat; ++k) {
    const bool end = k == grid.beats;
    const bool bar = grid.IsBarStart(k) || end;
    const std::int64_t barIndex = k / grid.beatsPerBar;
    // Only the lines with room between them: beats when they are far enough apart, bars (every
    // one, or every 2nd, 4th ... when they crowd), and the end of the last beat.
    if (!bar && !steps.beats) continue;
    if (bar && !end && barIndex % steps.barStride != 0) continue;
    const double x = XOfFrame(scene, lanes, grid.BeatStart(k));
    if (x < lanes.left() - 1 || x > lanes.right() + 1) continue;
    painter.setPen(QPen(bar ? kBar : kBeat, bar ? 1.5 : 1.0));
    painter.drawLine(QPointF(x, bar ? area.top() : lanes.top()), QPointF(x, lanes.bottom()));
    if (grid.IsBarStart(k) && !end && barIndex % steps.numberStride == 0) {
      painter.setPen(kBar);
      painter.drawText(QPointF(x + 3, lanes.top() + 12), QString::number(grid.BarNumber(k)));
    }
  }
}

}  // namespace

QRect WaveformLanes(const QRect& area) {
  return area.adjusted(0, kRulerHeight, 0, 0);
}

std::int64_t FrameAtX(const WaveformScene& scene, const QRect& lanes, int x) {
  if (lanes.width() < 1) return scene.firstFrame;
  const double t = static_cast<double>(x - lanes.left()) / lanes.width();
  return scene.firstFrame + static_cast<std::int64_t>(std::floor(t * static_cast<double>(scene.frameCount)));
}

double XOfFrame(const WaveformScene& scene, const QRect& lanes, std::int64_t frame) {
  if (scene.frameCount < 1) return lanes.left();
  return lanes.left() + static_cast<double>(frame - scene.firstFrame) * lanes.width() /
                            static_cast<double>(scene.frameCount);
}

void PaintWaveform(QPainter& painter, const QRect& area, const WaveformScene& scene) {
  painter.fillRect(area, kBackground);
  const QRect lanes = WaveformLanes(area);
  PaintRuler(painter, QRect(area.left(), area.top(), area.width(), kRulerHeight), scene, lanes);
  painter.save();
  painter.setClipRect(area);
  PaintLanes(painter, lanes, scene);
  PaintGrid(painter, area, lanes, scene);
  PaintSliceMarks(painter, lanes, scene);
  if (scene.playhead) {
    const double x = XOfFrame(scene, lanes, *scene.playhead);
    painter.setPen(QPen(kPlayhead, 2));
    painter.drawLine(QPointF(x, area.top()), QPointF(x, lanes.bottom()));
  }
  painter.restore();
}

QImage WaveformImage(std::span<const std::byte> sound, const WaveFormat& format, const BeatGrid& grid,
                     int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  const std::int64_t frames =
      format.blockAlign > 0 ? static_cast<std::int64_t>(sound.size()) / format.blockAlign : 0;
  const PeakSummary summary = SummarizePeaks(sound, format, 0, frames, width);
  WaveformScene scene;
  scene.summary = &summary;
  scene.grid = grid;
  scene.frameCount = frames;
  scene.sampleRate = format.sampleRate;
  QPainter painter(&image);
  PaintWaveform(painter, image.rect(), scene);
  return image;
}

}  // namespace tactoria
