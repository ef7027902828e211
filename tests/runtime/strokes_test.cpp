// Level lines and boxes on pixel centres are drawn by the runtime without the
// painter's slow walk along their rows; what they leave on the canvas must be what
// the painter's own stroke of the same figure leaves, pixel for pixel, over any
// background, in any colour, at the canvas's edges and past them.
#include <QColor>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QRegion>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "common/test_support.h"
#include "runtime/events.h"
#include "runtime/qt_bridge.h"
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

QImage CanvasImage(int width = kWidth, int height = kHeight) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
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
      {"a level line to far beyond the canvas", false, 5.5, 31.5, 1e9 + 0.5, 31.5, black},
      {"a box far wider than any canvas", true, 5.5, 62.5, 1e9, 3, black},
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

// What the window was asked to repaint.
class PaintWatch : public QObject {
 public:
  QRegion painted;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(e)->region();
    return false;
  }
};

struct Primitive {
  std::string what;
  std::function<void()> draw;
};

// A primitive marks for repaint every pixel it changed, and not the window: the
// screen shows what was drawn without a copy of the whole canvas per stroke.
TEST_F(StrokeTest, APrimitiveRepaintsWhatItChangedAndNotTheWholeWindow) {
  rt::OpenWindow(2, "Repaint", Rect{0, 0, 400, 300}, 6);
  rt::FillWindow(RGBColor{65535, 65535, 65535});
  QWidget* widget = rt::bridge::WindowWidget(2);
  ASSERT_NE(widget, nullptr);
  PaintWatch watch;
  widget->installEventFilter(&watch);
  rt::StrokeStyle inverted = Pen(1, 1, 1), wide = Pen(0.2, 0.3, 0.9);
  inverted.invert = true;
  inverted.antialias = false;
  wide.width = 3;
  const float trace[] = {20.2f, 40.7f, 20.6f, 70.1f, 21.3f, 35.5f, 22.9f, 52.0f, 24.1f, 47.3f};
  rt::FontSpec italic{"", 28, true, true};
  const std::vector<Primitive> primitives = {
      {"a slanted line", [] { rt::StrokeLine(30.3, 30.7, 70.9, 52.2, Pen(0, 0, 0)); }},
      {"a level line", [] { rt::StrokeLine(40.5, 80.5, 140.5, 80.5, Pen(0, 0.5, 0)); }},
      {"an inverted line", [&] { rt::StrokeLine(10.5, 90.5, 120.5, 90.5, inverted); }},
      {"a trace", [&] { rt::StrokePolyline(trace, 5, Pen(1, 0, 0)); }},
      {"a wide box", [&] { rt::StrokeRect(60.5, 100.5, 40, 30, wide); }},
      {"a filled box", [] { rt::FillRect(150.2, 20.7, 33.4, 12.1, 0.5, 0.5, 0.1); }},
      {"a circle", [] { rt::StrokeEllipse(200, 150, 12.5, 12.5, Pen(0, 0, 1)); }},
      {"a disc", [] { rt::FillEllipse(250.3, 150.6, 6.2, 6.2, 0, 0.6, 0); }},
      {"a large italic text",
       [&] {
         rt::DrawText(100, 200, "\x81\x82Wfjg|Q", italic, RGBColor{0, 0, 0});
       }},
      {"a text at the window's edge",
       [] {
         rt::DrawText(380, 8, "Edge", rt::FontSpec{}, RGBColor{0, 0, 65535});
       }},
  };
  for (const Primitive& primitive : primitives) {
    for (int i = 0; i < 20; ++i) rt::PumpEvents(0);
    const QImage before = CanvasImage(400, 300);
    watch.painted = QRegion();
    primitive.draw();
    for (int i = 0; i < 20 && watch.painted.isEmpty(); ++i) rt::PumpEvents(1);
    const QImage after = CanvasImage(400, 300);
    int changed = 0;
    for (int y = 0; y < 300; ++y)
      for (int x = 0; x < 400; ++x)
        if (before.pixel(x, y) != after.pixel(x, y)) {
          ++changed;
          ASSERT_TRUE(watch.painted.contains(QPoint(x, y)))
              << primitive.what << " changed " << x << ", " << y;
        }
    EXPECT_GT(changed, 0) << primitive.what;
    const QRect bounds = watch.painted.boundingRect();
    EXPECT_LT(bounds.width() * bounds.height(), 400 * 300 / 4)
        << primitive.what << " repainted far around it";
  }
  widget->removeEventFilter(&watch);
}

}  // namespace
}  // namespace mv
