// Level lines and boxes on pixel centres are drawn by the runtime without the
// painter's slow walk along their rows; what they leave on the canvas must be what
// the painter's own stroke of the same figure leaves, pixel for pixel, over any
// background, in any colour, at the canvas's edges and past them.
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <functional>
#include <string>
#include <vector>

#include "common/test_support.h"
#include "runtime/windows.h"

namespace mv {
namespace {

using StrokeTest = test::ProgramTest;

constexpr int kWidth = 160, kHeight = 90;

// A background of small blocks in many colours, so that every blend shows.
void PaintMottledBackground() {
  uint32_t seed = 12345;
  const auto next = [&seed] { return (seed = seed * 1664525u + 1013904223u) >> 24; };
  for (int y = 0; y < kHeight; y += 3)
    for (int x = 0; x < kWidth; x += 4)
      rt::FillRect(x, y, 4, 3, next() / 255.0, next() / 255.0, next() / 255.0);
}

QImage CanvasImage() {
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const RGBColor c = rt::CanvasPixel(x, y);
      image.setPixel(x, y, qRgb(c.red / 257, c.green / 257, c.blue / 257));
    }
  return image;
}

// The painter's own stroke with the pen the runtime makes of a style.
void PainterStroke(QImage& image, const rt::StrokeStyle& s, const std::function<void(QPainter&)>& draw) {
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, s.antialias && !s.invert);
  if (s.invert) p.setCompositionMode(QPainter::CompositionMode_Difference);
  QPen pen(s.invert ? QColor(255, 255, 255) : QColor::fromRgbF(s.red, s.green, s.blue, s.alpha));
  pen.setWidthF(s.width);
  pen.setCapStyle(Qt::FlatCap);
  pen.setJoinStyle(Qt::MiterJoin);
  if (s.dashOn > 0 && s.dashOff > 0) pen.setDashPattern({s.dashOn / s.width, s.dashOff / s.width});
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  draw(p);
}

rt::StrokeStyle Pen(double red, double green, double blue, double alpha = 1) {
  rt::StrokeStyle s;
  s.red = red;
  s.green = green;
  s.blue = blue;
  s.alpha = alpha;
  s.width = 1;
  return s;
}

struct Figure {
  std::string what;
  bool box;  // else a line from (x1, y1) to (x2, y2)
  double x1, y1, x2, y2;
  rt::StrokeStyle style;
};

std::vector<Figure> Figures() {
  const rt::StrokeStyle slate = Pen(0.2, 0.4, 0.6), pale = Pen(0.93, 0.91, 0.87), black = Pen(0, 0, 0);
  rt::StrokeStyle dashed = Pen(0.1, 0.5, 0.1), seeThrough = Pen(0.8, 0.1, 0.1, 0.5), thin = slate;
  dashed.dashOn = 3;
  dashed.dashOff = 6;
  thin.width = 0.5;
  rt::StrokeStyle inverted = Pen(1, 1, 1), invertedDashed = inverted;
  inverted.invert = invertedDashed.invert = true;
  inverted.antialias = invertedDashed.antialias = false;
  invertedDashed.dashOn = 8;
  invertedDashed.dashOff = 2;
  return {
      {"a level line left to right", false, 3.5, 5.5, 150.5, 5.5, slate},
      {"a level line right to left", false, 140.5, 12.5, 2.5, 12.5, pale},
      {"a level line two pixels long", false, 20.5, 20.5, 21.5, 20.5, black},
      {"a level line along the top and the left edge", false, 0.5, 0.5, 159.5, 0.5, slate},
      {"a level line running past the right edge", false, 100.5, 30.5, 400.5, 30.5, pale},
      {"a level line ending a pixel past each edge", false, -0.5, 33.5, 160.5, 33.5, black},
      {"a level line a pixel above the canvas", false, 5.5, -0.5, 60.5, -0.5, slate},
      {"a level line off the pixel centres", false, 10, 40, 90, 40, slate},
      {"a dashed level line", false, 10.5, 44.5, 150.5, 44.5, dashed},
      {"a see-through level line", false, 10.5, 47.5, 150.5, 47.5, seeThrough},
      {"a thin level line", false, 10.5, 49.5, 150.5, 49.5, thin},
      {"an inverted level line", false, 3.5, 36.5, 150.5, 36.5, inverted},
      {"an inverted level line off the pixel centres", false, 3.2, 37.5, 150.7, 37.5, inverted},
      {"an inverted dashed level line", false, 12.5, 38.5, 159.5, 38.5, invertedDashed},
      {"an inverted dashed level line over the last", false, 12.5, 38.5, 159.5, 38.5, invertedDashed},
      {"an inverted line running past both edges", false, -30.5, 41.5, 300.5, 41.5, invertedDashed},
      {"an inverted line below the canvas", false, 5.5, 95.5, 100.5, 95.5, inverted},
      {"a box", true, 4.5, 52.5, 120, 20, slate},
      {"a box of one pixel", true, 130.5, 52.5, 1, 1, black},
      {"a box over another", true, 30.5, 55.5, 60, 14, pale},
      {"a box on the canvas's edges", true, 0.5, 0.5, 159, 89, black},
      {"a box reaching past the bottom", true, 50.5, 80.5, 20, 30, slate},
      {"a box a pixel wider and higher than the canvas", true, 0.5, 2.5, 160, 88, pale},
      {"a box with its left edge a pixel outside", true, -0.5, 70.5, 30, 5, slate},
      {"a box off the pixel centres", true, 12, 60, 40, 10, pale},
  };
}

TEST_F(StrokeTest, LevelLinesAndBoxesLeaveThePaintersOwnPixels) {
  rt::OpenWindow(2, "Strokes", Rect{0, 0, kWidth, kHeight}, 6);
  PaintMottledBackground();
  QImage expected = CanvasImage();
  for (const Figure& f : Figures()) {
    // Each figure three ways: the line and polyline primitives and the painter.
    if (f.box) {
      rt::StrokeRect(f.x1, f.y1, f.x2, f.y2, f.style);
      PainterStroke(expected, f.style, [&](QPainter& p) { p.drawRect(QRectF(f.x1, f.y1, f.x2, f.y2)); });
    } else {
      rt::StrokeLine(f.x1, f.y1, f.x2, f.y2, f.style);
      PainterStroke(expected, f.style,
                    [&](QPainter& p) { p.drawLine(QPointF(f.x1, f.y1), QPointF(f.x2, f.y2)); });
      const float xy[] = {static_cast<float>(f.x1), static_cast<float>(f.y1) + 1, static_cast<float>(f.x2),
                          static_cast<float>(f.y2) + 1};
      rt::StrokePolyline(xy, 2, f.style);
      PainterStroke(expected, f.style, [&](QPainter& p) {
        QPainterPath path(QPointF(xy[0], xy[1]));
        path.lineTo(xy[2], xy[3]);
        p.drawPath(path);
      });
    }
    ASSERT_TRUE(CanvasImage() == expected) << f.what;
  }
  rt::SaveWindowImage(2, (test::TestOutputDir() / "runtime_level_strokes.png").string());
}

}  // namespace
}  // namespace mv
