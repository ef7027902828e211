// Numbered windows and drawing on their canvases.
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QResizeEvent>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "runtime/internal.h"
#include "runtime/macroman.h"
#include "runtime/system.h"
#include "runtime/windows.h"

namespace mv::rt {

class Image {
 public:
  QImage image;
};

namespace detail {
namespace {

int16_t gOutput = 0;
uint64_t gActivationCounter = 0;
std::string gDisplayFont = "DejaVu Sans";

Qt::WindowFlags FlagsForKind(int16_t kind) {
  switch (kind) {
    case 6:
    case kResizableWindow:
      return Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint;
    case 262:
      return Qt::Window | Qt::WindowTitleHint | Qt::CustomizeWindowHint;
    case 1:
    case 13:
      return Qt::Window | Qt::FramelessWindowHint;
    case 14:
      return Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
    default:
      return Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint;
  }
}

}  // namespace

WindowWidget::WindowWidget(int16_t number, Qt::WindowFlags flags) : QWidget(nullptr, flags), number_(number) {
  setAttribute(Qt::WA_DeleteOnClose, false);
  setAttribute(Qt::WA_OpaquePaintEvent, true);
  setMouseTracking(true);
  setFocusPolicy(Qt::ClickFocus);
}

void WindowWidget::paintEvent(QPaintEvent*) {
  if (WindowRec* r = FindWindow(number_)) {
    r->awaitingRepaint = QRect();
    QPainter p(this);
    p.drawImage(0, 0, r->canvas);
  }
}

// The window system changed the size (the user dragged an edge): the canvas follows
// and the program is asked to draw what is new.
void WindowWidget::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  WindowRec* r = FindWindow(number_);
  if (r && r->kind == kResizableWindow && FitCanvasToWidget(*r))
    Enqueue({QueuedEvent::Dialog, 5, number_, {}, number_});
}

void WindowWidget::mouseMoveEvent(QMouseEvent* e) {
  UpdateCursor(e->position().toPoint());
  QWidget::mouseMoveEvent(e);
}

void WindowWidget::UpdateCursor(QPoint local) {
  const WindowRec* r = FindWindow(number_);
  const Rect a = r ? r->cursorArea : Rect{};
  const bool inside =
      a.width() > 0 && a.height() > 0 && QRect(a.left, a.top, a.width(), a.height()).contains(local);
  if (inside && r->cursorShape == CursorShape::Cross) setCursor(Qt::CrossCursor);
  else unsetCursor();
}

bool FitCanvasToWidget(WindowRec& r) {
  if (!r.widget) return false;
  const QSize size = r.widget->size().expandedTo(QSize(1, 1));
  if (r.canvas.size() == size) return false;
  QImage canvas(size, QImage::Format_RGB32);
  canvas.fill(ToQColor(r.background));
  {
    QPainter p(&canvas);
    p.drawImage(0, 0, r.canvas);
  }
  r.canvas = canvas;
  r.widget->update();
  return true;
}

void WindowWidget::closeEvent(QCloseEvent* e) {
  // The program decides whether a close box closes its window.
  e->ignore();
  Enqueue({QueuedEvent::Dialog, 4, number_, {}, number_});
}

std::map<int16_t, std::unique_ptr<WindowRec>>& Windows() {
  static std::map<int16_t, std::unique_ptr<WindowRec>> windows;
  return windows;
}

WindowRec* FindWindow(int16_t number) {
  auto it = Windows().find(number);
  return it == Windows().end() ? nullptr : it->second.get();
}

WindowRec* OutputRec() { return FindWindow(gOutput); }

int16_t WindowNumberOf(const QWidget* w) {
  if (!w) return 0;
  const QWidget* top = w->window();
  if (auto* ww = qobject_cast<const WindowWidget*>(top)) return ww->number();
  return 0;
}

WindowRec* RecOfWidget(const QWidget* w) { return FindWindow(WindowNumberOf(w)); }

// Puts a window in front of the program's order.
void NoteBroughtForward(int16_t number) {
  if (WindowRec* r = FindWindow(number)) r->activationOrder = ++gActivationCounter;
}

// Strips, tags, overlays and messages (the frameless kinds and the untitled panels
// 10 and 11) stand beside the window whose loop they serve and never take its place
// in front.
bool IsCompanion(const WindowRec& r) {
  switch (r.kind) {
    case 1: case 10: case 11: case 13: case 14:
      return true;
    default:
      return false;
  }
}

WindowRec* FrontRec(const WindowRec* showing) {
  // isHidden, not isVisible: a window being hidden deactivates before it stops
  // counting as visible, and by then it is no longer the front window. Companions
  // are the front only while no other window shows (the start-up pictures).
  WindowRec* best = nullptr;
  WindowRec* bestCompanion = nullptr;
  for (auto& [n, r] : Windows()) {
    if (!r->widget || (r->widget->isHidden() && r.get() != showing)) continue;
    WindowRec*& slot = IsCompanion(*r) ? bestCompanion : best;
    if (!slot || r->activationOrder > slot->activationOrder) slot = r.get();
  }
  return best ? best : bestCompanion;
}

void ReactivateFrontWindow() {
  if (WindowRec* front = FrontRec()) RequestActivation(front->number, front->widget);
}

// Shows a window. One that will stand behind the front window (a companion beside
// it, or a window shown again behind it) is shown without asking for the keyboard:
// a window manager (X11) would otherwise give it the focus as it maps, after the
// program's request for the front window was granted, and that change would look
// like the user's. The property is the one Qt::WA_ShowWithoutActivating sets on
// the native window, set here for this one show only (the attribute itself is
// read when the native window is made, and a window shown again keeps its own).
void ShowWidget(WindowRec& r) {
  QWidget* w = r.widget;
  if (!w) return;
  const bool behind = FrontRec(&r) != &r;
  if (behind) {
    w->winId();
    w->windowHandle()->setProperty("_q_showWithoutActivating", true);
  }
  w->show();
  if (behind) w->windowHandle()->setProperty("_q_showWithoutActivating", QVariant());
}

void CloseAllWindows() {
  for (auto& [n, r] : Windows()) {
    if (r->widget) {
      r->widget->hide();
      delete r->widget.data();
    }
  }
  Windows().clear();
  gOutput = 0;
}

QColor ToQColor(RGBColor c) { return QColor::fromRgbF(c.red / 65535.0, c.green / 65535.0, c.blue / 65535.0); }

QString ToQString(std::string_view macRoman) { return QString::fromStdString(MacRomanToUtf8(macRoman)); }

std::string FromQString(const QString& s) { return Utf8ToMacRoman(s.toStdString()); }

QFont ToQFont(const FontSpec& f) {
  QFont font(QString::fromStdString(f.family.empty() ? gDisplayFont : f.family));
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(f.pixelSize))));
  font.setBold(f.bold);
  font.setItalic(f.italic);
  return font;
}

}  // namespace detail

using namespace detail;

namespace {

// Marks part of a window's canvas to be shown at the window's next paint.
void MarkForRepaint(WindowRec& rec, const QRect& area) {
  if (!rec.widget) return;
  const QRect r = area.intersected(rec.canvas.rect());
  if (r.isEmpty() || rec.awaitingRepaint.contains(r)) return;
  rec.awaitingRepaint |= r;
  rec.widget->update(rec.awaitingRepaint);
}

// A painter on the output window's canvas; nothing happens without a window. What it
// painted is marked for the next repaint of the window: the whole window unless the
// primitive says where it drew (Touch), so that a stroke in a recording's strip
// copies its own neighbourhood to the screen, not the window.
struct CanvasPainter {
  WindowRec* rec;
  std::unique_ptr<QPainter> p;
  QRectF touched;
  bool whole = true;
  CanvasPainter() : rec(OutputRec()) {
    if (rec && !rec->canvas.isNull()) {
      p = std::make_unique<QPainter>(&rec->canvas);
      p->setRenderHint(QPainter::Antialiasing, true);
      p->setRenderHint(QPainter::TextAntialiasing, true);
    }
  }
  // The primitive drew within area, widened by margin pixels on every side (pen
  // widths, antialiased edges and rounding to pixels). Coordinates far out (a scale
  // gone wrong) leave the whole window marked.
  void Touch(const QRectF& area, double margin) {
    const QRectF a = area.normalized();
    const double far =
        std::max({std::abs(a.left()), std::abs(a.right()), std::abs(a.top()), std::abs(a.bottom())});
    if (!(far < 1e6)) return;
    touched = touched.united(a.adjusted(-margin, -margin, margin, margin));
    whole = false;
  }
  ~CanvasPainter() {
    p.reset();
    if (rec) MarkForRepaint(*rec, whole ? rec->canvas.rect() : touched.toAlignedRect());
  }
  explicit operator bool() const { return p != nullptr; }
};

// The margin around a stroke's points that holds everything it paints.
double StrokeMargin(const StrokeStyle& s) {
  return std::max(1.0, s.width) + 2;
}

QRectF BoundsOf(const float* xy, std::size_t points) {
  float left = xy[0], right = xy[0], top = xy[1], bottom = xy[1];
  for (std::size_t i = 1; i < points; ++i) {
    left = std::min(left, xy[2 * i]);
    right = std::max(right, xy[2 * i]);
    top = std::min(top, xy[2 * i + 1]);
    bottom = std::max(bottom, xy[2 * i + 1]);
  }
  return QRectF(QPointF(left, top), QPointF(right, bottom));
}

QPen MakePen(const StrokeStyle& s) {
  QPen pen(s.invert ? QColor(255, 255, 255) : QColor::fromRgbF(s.red, s.green, s.blue, s.alpha));
  pen.setWidthF(s.width <= 0 ? 0.0 : s.width);
  pen.setCapStyle(Qt::FlatCap);
  pen.setJoinStyle(Qt::MiterJoin);
  if (s.dashOn > 0 && s.dashOff > 0 && s.width > 0) {
    // Qt measures dashes in line widths; the program gives them in pixels.
    double w = s.width;
    pen.setDashPattern({s.dashOn / w, s.dashOff / w});
    pen.setDashOffset(0);
  } else if (s.dashOn > 0 && s.dashOff > 0) {
    pen.setDashPattern({s.dashOn, s.dashOff});
  }
  return pen;
}

void Prepare(QPainter& p, const StrokeStyle& s) {
  // Inverted lines are drawn aliased, so that drawing one twice restores every pixel.
  p.setRenderHint(QPainter::Antialiasing, s.antialias && !s.invert);
  if (s.invert) p.setCompositionMode(QPainter::CompositionMode_Difference);
  p.setPen(MakePen(s));
  p.setBrush(Qt::NoBrush);
}

// Qt's antialiased stroker is slow on an exactly level 1-pixel line on pixel centres:
// a frame's edge across a window costs it a quarter of a millisecond, ten times the
// same line a fraction of a pixel off level. Its pixels are known: every pixel
// between the end columns is covered whole, so an opaque pen leaves its own colour
// there, which a fill paints at once. The painter strokes the figure again clipped to
// each end column, where the partial coverage at the ends and the corners of a box
// are its own to work out; clipped away, the rest of the row costs it next to nothing.
// Far-out coordinates (beyond any canvas, or not numbers) are never on a centre.
bool PixelCentre(double v) {
  return std::abs(v) < 1e6 && v - std::floor(v) == 0.5;
}

bool PlainOpaquePen(const StrokeStyle& s) {
  return s.antialias && !s.invert && s.alpha >= 1.0 && s.width == 1.0 && !(s.dashOn > 0 && s.dashOff > 0);
}

// A level stretch of a stroke: row y, end columns x1 < x2.
struct LevelRun {
  int y, x1, x2;
};

// Draws a figure whose level stretches are the given runs (and which has no other
// pixels outside the runs' end columns) the quick way; stroke draws the figure.
template <typename Stroke>
void StrokeWithLevelRuns(QPainter& p, const QRect& canvas, std::initializer_list<LevelRun> runs,
                         const QColor& colour, const Stroke& stroke) {
  std::vector<int> columns;
  for (const LevelRun& r : runs)
    for (int x : {r.x1, r.x2})
      if (std::find(columns.begin(), columns.end(), x) == columns.end()) columns.push_back(x);
  for (int x : columns) {
    if (x < canvas.left() || x > canvas.right()) continue;  // nothing of it shows
    p.setClipRect(QRect(x, canvas.top(), 1, canvas.height()));
    stroke(p, 0);
  }
  p.setClipping(false);
  p.setRenderHint(QPainter::Antialiasing, false);
  for (const LevelRun& r : runs)
    if (r.x2 - r.x1 > 1) p.fillRect(QRect(r.x1 + 1, r.y, r.x2 - r.x1 - 1, 1), colour);
}

// The stroker keeps a figure's coordinates as they are up to a pixel past the canvas
// (a box one pixel wider than its window, as replay frames its strips); further out
// it cuts the line first, and the pixels left at the cut are its own.
bool NearCanvas(const QRect& canvas, const LevelRun& r) {
  const QRect near = canvas.adjusted(-1, -1, 1, 1);
  return near.contains(r.x1, r.y) && near.contains(r.x2, r.y);
}

// An inverted line is drawn aliased, with difference blending against white, which
// the blender takes a pixel at a time: a level line across a window costs it 0.3 ms.
// Every pixel it touches becomes its complement. Which pixels those are, dashes
// included, the stroker works out quickly drawing the same line in plain white on a
// black scratch row; each run of them is then inverted at once. Returns false, having
// drawn nothing, when the scratch row shows anything but whole pixels on one row.
template <typename Stroke>
bool InvertLevelLine(QPainter& p, const QRect& canvas, int row, const Stroke& stroke) {
  if (row < canvas.top() || row > canvas.bottom()) return false;
  QImage scratch(canvas.width(), 3, QImage::Format_RGB32);
  const QRgb black = qRgb(0, 0, 0), white = qRgb(255, 255, 255);
  scratch.fill(black);
  {
    QPainter s(&scratch);
    s.setPen(p.pen());
    s.setBrush(Qt::NoBrush);
    stroke(s, 1 - row);  // the line moved onto the scratch's middle row
  }
  const int w = scratch.width();
  for (int y = 0; y < 3; ++y) {
    const auto* bits = reinterpret_cast<const QRgb*>(scratch.constScanLine(y));
    for (int x = 0; x < w; ++x)
      if (bits[x] != black && (y != 1 || bits[x] != white)) return false;
  }
  const auto* bits = reinterpret_cast<const QRgb*>(scratch.constScanLine(1));
  for (int x = 0; x < w;) {
    int end = x;
    while (end < w && bits[end] == white) ++end;
    if (end > x) p.fillRect(QRect(canvas.left() + x, row, end - x, 1), QColor(255, 255, 255));
    x = std::max(end, x + 1);
  }
  return true;
}

// Strokes a two-point figure, the quick way when it is a level line on pixel centres.
// stroke(painter, dy) draws the figure moved dy rows down.
template <typename Stroke>
void StrokeSegment(QPainter& p, const QRect& canvas, QPointF a, QPointF b, const StrokeStyle& s,
                   const Stroke& stroke) {
  const bool level = a.y() == b.y() && a.x() != b.x() && PixelCentre(a.y());
  if (level && s.invert && s.width == 1.0 &&
      InvertLevelLine(p, canvas, static_cast<int>(std::floor(a.y())), stroke))
    return;
  if (level && PlainOpaquePen(s) && PixelCentre(a.x()) && PixelCentre(b.x())) {
    const LevelRun run{static_cast<int>(std::floor(a.y())),
                       static_cast<int>(std::floor(std::min(a.x(), b.x()))),
                       static_cast<int>(std::floor(std::max(a.x(), b.x())))};
    if (NearCanvas(canvas, run)) return StrokeWithLevelRuns(p, canvas, {run}, p.pen().color(), stroke);
  }
  stroke(p, 0);
}

// Where a window's content goes on a display of this size (see OpenWindow). The menu
// bar and a title bar stand above the highest content top.
Rect PlacedOnDisplay(Rect content, int displayWidth, int displayHeight) {
  constexpr int kHighestTop = 40;
  const int right = content.right - std::max(0, std::min<int>(content.right - displayWidth, content.left));
  const int lowestTop = std::min<int>(content.top, kHighestTop);
  const int bottom =
      content.bottom - std::max(0, std::min<int>(content.bottom - displayHeight, content.top - lowestTop));
  const auto left = static_cast<int16_t>(right - content.width());
  const auto top = static_cast<int16_t>(bottom - content.height());
  return Rect{left, top, static_cast<int16_t>(right), static_cast<int16_t>(bottom)};
}

}  // namespace

void OpenWindow(int16_t number, const Str255& title, Rect content, int16_t kind) {
  content = PlacedOnDisplay(content, DisplayWidth(), DisplayHeight());
  if (WindowRec* old = FindWindow(number)) {
    if (old->widget) {
      old->widget->hide();
      old->widget->deleteLater();
    }
    Windows().erase(number);
  }
  auto rec = std::make_unique<WindowRec>();
  rec->number = number;
  rec->kind = kind;
  int w = std::max(1, content.width()), h = std::max(1, content.height());
  rec->canvas = QImage(w, h, QImage::Format_RGB32);
  rec->canvas.fill(ToQColor(rec->background));
  rec->widget = new WindowWidget(number, FlagsForKind(kind));
  rec->widget->setWindowTitle(ToQString(title));
  rec->widget->setGeometry(content.left, content.top, w, h);
  if (kind == kResizableWindow)
    rec->widget->setMinimumSize(w, h);
  else
    rec->widget->setFixedSize(w, h);
  WindowRec* r = rec.get();
  Windows()[number] = std::move(rec);
  gOutput = number;
  // In front first, so the activation changes that follow agree with the program's order.
  NoteBroughtForward(number);
  ShowWidget(*r);
  // A companion shows beside the front window, which keeps the keyboard.
  if (FrontRec() != r) ReactivateFrontWindow();
  else RequestActivation(number, r->widget);
  Enqueue({QueuedEvent::Dialog, 5, number, {}, number});
}

void CloseWindow(int16_t number) {
  auto it = Windows().find(number);
  if (it == Windows().end()) return;
  // Out of the registry before it hides, so its deactivation is nobody's event.
  const bool wasFront = FrontRec() == it->second.get();
  QPointer<WindowWidget> widget = it->second->widget;
  Windows().erase(it);
  if (gOutput == number) gOutput = 0;
  if (wasFront) ExpectApplicationBlink();
  if (widget) {
    widget->hide();
    // Windows are often closed from inside their own handlers: delete later.
    widget->deleteLater();
  }
  if (wasFront || !QApplication::activeWindow()) ReactivateFrontWindow();
}

bool WindowExists(int16_t number) { return FindWindow(number) != nullptr; }

void ShowWindow(int16_t number) {
  WindowRec* r = FindWindow(number);
  if (!r || !r->widget || !r->widget->isHidden()) return;
  // The window system may activate a window as it appears all the same (offscreen
  // does); the front window takes the keyboard back, and neither change is the user's.
  ShowWidget(*r);
  if (FrontRec() != r) ReactivateFrontWindow();
}

void HideWindow(int16_t number) {
  if (WindowRec* r = FindWindow(number); r && r->widget) {
    const bool wasFront = FrontRec() == r;
    if (wasFront) ExpectApplicationBlink();
    r->widget->hide();
    if (wasFront) ReactivateFrontWindow();
  }
}

bool WindowVisible(int16_t number) {
  WindowRec* r = FindWindow(number);
  return r && r->widget && r->widget->isVisible();
}

void BringWindowForward(int16_t number) {
  if (WindowRec* r = FindWindow(number); r && r->widget) {
    NoteBroughtForward(number);
    r->widget->show();
    RequestActivation(number, r->widget);
  }
}

void SetWindowTitle(int16_t number, const Str255& title) {
  if (WindowRec* r = FindWindow(number); r && r->widget) r->widget->setWindowTitle(ToQString(title));
}

Str255 WindowTitle(int16_t number) {
  WindowRec* r = FindWindow(number);
  return r && r->widget ? Str255(FromQString(r->widget->windowTitle())) : Str255();
}

void MoveWindowTo(int16_t number, int16_t left, int16_t top) {
  if (WindowRec* r = FindWindow(number); r && r->widget) r->widget->move(left, top);
}

void SizeWindow(int16_t number, int16_t width, int16_t height) {
  WindowRec* r = FindWindow(number);
  if (!r || !r->widget) return;
  int w = std::max<int>(1, width), h = std::max<int>(1, height);
  if (r->kind == kResizableWindow) {
    r->widget->resize(QSize(w, h).expandedTo(r->widget->minimumSize()));
    FitCanvasToWidget(*r);
    return;
  }
  QImage canvas(w, h, QImage::Format_RGB32);
  canvas.fill(ToQColor(r->background));
  {
    QPainter p(&canvas);
    p.drawImage(0, 0, r->canvas);
  }
  r->canvas = canvas;
  r->widget->setFixedSize(w, h);
  r->widget->update();
}

void SetWindowMinimumSize(int16_t number, int16_t width, int16_t height) {
  WindowRec* r = FindWindow(number);
  if (!r || !r->widget || r->kind != kResizableWindow) return;
  r->widget->setMinimumSize(std::max<int>(1, width), std::max<int>(1, height));
  FitCanvasToWidget(*r);
}

Rect WindowContentRect(int16_t number) {
  WindowRec* r = FindWindow(number);
  if (!r || !r->widget) return {};
  QRect g = r->widget->geometry();
  return Rect{static_cast<int16_t>(g.left()), static_cast<int16_t>(g.top()),
              static_cast<int16_t>(g.left() + g.width()), static_cast<int16_t>(g.top() + g.height())};
}

int16_t FrontWindow() {
  WindowRec* front = FrontRec();
  return front ? front->number : 0;
}

std::vector<int16_t> OpenWindows() {
  std::vector<int16_t> v;
  for (auto& [n, r] : Windows()) v.push_back(n);
  return v;
}

int16_t NextFreeWindowNumber() {
  int16_t n = 1;
  while (FindWindow(n)) ++n;
  return n;
}

void SetOutputWindow(int16_t number) {
  if (FindWindow(number)) gOutput = number;
}

int16_t OutputWindow() { return FindWindow(gOutput) ? gOutput : 0; }

// ---- drawing --------------------------------------------------------------------------

void SetWindowBackground(RGBColor color) {
  if (WindowRec* r = OutputRec()) r->background = color;
}

RGBColor WindowBackgroundColor() {
  WindowRec* r = OutputRec();
  return r ? r->background : RGBColor{};
}

void FillWindow(RGBColor color) {
  CanvasPainter cp;
  if (cp) cp.p->fillRect(cp.rec->canvas.rect(), ToQColor(color));
}

void ClearWindow() {
  if (WindowRec* r = OutputRec()) FillWindow(r->background);
}

void ScrollCanvas(Rect area, int dx) {
  WindowRec* r = OutputRec();
  if (!r || r->canvas.isNull()) return;
  const QRect box = QRect(area.left, area.top, area.width(), area.height()).intersected(r->canvas.rect());
  if (box.isEmpty() || dx == 0) return;
  // A new screen of a recording moves most of the window: each row (of 32-bit
  // pixels, as every canvas is made) moves within itself, with no copy of the area
  // first, and only the columns it uncovers are cleared.
  const int shift = std::min(std::abs(dx), box.width()), kept = box.width() - shift;
  if (kept > 0) {
    const auto bytes = static_cast<std::size_t>(kept) * sizeof(QRgb);
    for (int y = box.top(); y <= box.bottom(); ++y) {
      QRgb* row = reinterpret_cast<QRgb*>(r->canvas.scanLine(y)) + box.left();
      if (dx < 0)
        std::memmove(row, row + shift, bytes);
      else
        std::memmove(row + shift, row, bytes);
    }
  }
  const QRect uncovered(dx < 0 ? box.left() + kept : box.left(), box.top(), shift, box.height());
  {
    QPainter p(&r->canvas);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(uncovered, ToQColor(r->background));
  }
  MarkForRepaint(*r, box);
}

void StrokePolyline(const float* xy, std::size_t points, const StrokeStyle& style) {
  if (!xy || points < 2) return;
  CanvasPainter cp;
  if (!cp) return;
  cp.Touch(BoundsOf(xy, points), StrokeMargin(style));
  Prepare(*cp.p, style);
  if (points == 2) {
    const QPointF a(xy[0], xy[1]), b(xy[2], xy[3]);
    return StrokeSegment(*cp.p, cp.rec->canvas.rect(), a, b, style, [&](QPainter& p, double dy) {
      QPainterPath path(a + QPointF(0, dy));
      path.lineTo(b + QPointF(0, dy));
      p.drawPath(path);
    });
  }
  QPainterPath path(QPointF(xy[0], xy[1]));
  for (std::size_t i = 1; i < points; ++i) path.lineTo(xy[2 * i], xy[2 * i + 1]);
  cp.p->drawPath(path);
}

void StrokeLine(double x1, double y1, double x2, double y2, const StrokeStyle& style) {
  CanvasPainter cp;
  if (!cp) return;
  Prepare(*cp.p, style);
  const QPointF a(x1, y1), b(x2, y2);
  cp.Touch(QRectF(a, b), StrokeMargin(style));
  StrokeSegment(*cp.p, cp.rec->canvas.rect(), a, b, style,
                [&](QPainter& p, double dy) { p.drawLine(a + QPointF(0, dy), b + QPointF(0, dy)); });
}

void StrokeRect(double left, double top, double width, double height, const StrokeStyle& style) {
  CanvasPainter cp;
  if (!cp) return;
  Prepare(*cp.p, style);
  const QRectF box(left, top, width, height);
  cp.Touch(box, StrokeMargin(style));
  const auto draw = [&](QPainter& p, double) { p.drawRect(box); };
  // A box on pixel centres, whole pixels wide and high: its top and bottom are level runs.
  if (PlainOpaquePen(style) && PixelCentre(left) && PixelCentre(top) && width >= 1 && height >= 1 &&
      width < 1e6 && height < 1e6 && width == std::floor(width) && height == std::floor(height)) {
    const int x1 = static_cast<int>(std::floor(left)), y1 = static_cast<int>(std::floor(top));
    const LevelRun upper{y1, x1, x1 + static_cast<int>(width)},
        lower{y1 + static_cast<int>(height), x1, x1 + static_cast<int>(width)};
    const QRect canvas = cp.rec->canvas.rect();
    if (NearCanvas(canvas, upper) && NearCanvas(canvas, lower))
      return StrokeWithLevelRuns(*cp.p, canvas, {upper, lower}, cp.p->pen().color(), draw);
  }
  draw(*cp.p, 0);
}

void FillRect(double left, double top, double width, double height, double red, double green, double blue,
              double alpha, bool invert) {
  CanvasPainter cp;
  if (!cp) return;
  cp.Touch(QRectF(left, top, width, height), 1);
  if (invert) {
    cp.p->setCompositionMode(QPainter::CompositionMode_Difference);
    cp.p->fillRect(QRectF(left, top, width, height), QColor(255, 255, 255));
  } else {
    cp.p->setRenderHint(QPainter::Antialiasing, false);
    cp.p->fillRect(QRectF(left, top, width, height), QColor::fromRgbF(red, green, blue, alpha));
  }
}

void StrokeEllipse(double cx, double cy, double rx, double ry, const StrokeStyle& style) {
  CanvasPainter cp;
  if (!cp) return;
  cp.Touch(QRectF(cx - rx, cy - ry, 2 * rx, 2 * ry), StrokeMargin(style));
  Prepare(*cp.p, style);
  cp.p->drawEllipse(QPointF(cx, cy), rx, ry);
}

void FillEllipse(double cx, double cy, double rx, double ry, double red, double green, double blue) {
  CanvasPainter cp;
  if (!cp) return;
  cp.Touch(QRectF(cx - rx, cy - ry, 2 * rx, 2 * ry), 2);
  cp.p->setPen(Qt::NoPen);
  cp.p->setBrush(QColor::fromRgbF(red, green, blue));
  cp.p->drawEllipse(QPointF(cx, cy), rx, ry);
}

void DrawTextUtf8(double x, double baselineY, std::string_view utf8, const FontSpec& font, RGBColor color) {
  CanvasPainter cp;
  if (!cp) return;
  cp.p->setFont(ToQFont(font));
  cp.p->setPen(ToQColor(color));
  const QString text = QString::fromUtf8(utf8.data(), static_cast<int>(utf8.size()));
  // A band the text's ink cannot leave, found without shaping the text a second time:
  // at most its widest glyph per character, and an italic's overhang on either side.
  const QFontMetricsF fm = cp.p->fontMetrics();
  const double overhang = fm.ascent();
  cp.Touch(QRectF(x - overhang, baselineY - fm.ascent(), text.size() * fm.maxWidth() + 2 * overhang,
                  fm.ascent() + fm.descent()),
           2);
  cp.p->drawText(QPointF(x, baselineY), text);
}

void DrawText(double x, double baselineY, std::string_view macRoman, const FontSpec& font, RGBColor color) {
  DrawTextUtf8(x, baselineY, MacRomanToUtf8(macRoman), font, color);
}

int TextWidth(std::string_view macRoman, const FontSpec& font) {
  QFontMetrics fm(ToQFont(font));
  return fm.horizontalAdvance(ToQString(macRoman));
}

int FontAscent(const FontSpec& font) { return QFontMetrics(ToQFont(font)).ascent(); }

void FlushWindow() {
  WindowRec* r = OutputRec();
  if (!r || !r->widget) return;
  // Paints now what changed since the window last painted, and only that: what was
  // drawn on the canvas and the controls and fields that changed (each asked for its
  // own repaint as it changed). With nothing changed nothing is painted.
  QEvent update(QEvent::UpdateRequest);
  QCoreApplication::sendEvent(r->widget, &update);
}

void SetTextFont(const FontSpec& font) {
  if (WindowRec* r = OutputRec()) r->textFont = font;
}
FontSpec TextFont() {
  WindowRec* r = OutputRec();
  return r ? r->textFont : FontSpec{};
}
void SetTextColor(RGBColor color) {
  if (WindowRec* r = OutputRec()) r->textColor = color;
}
RGBColor TextColor() {
  WindowRec* r = OutputRec();
  return r ? r->textColor : RGBColor{};
}
void MovePenTo(int16_t x, int16_t y) {
  if (WindowRec* r = OutputRec()) r->pen = Point{x, y};
}
Point PenPosition() {
  WindowRec* r = OutputRec();
  return r ? r->pen : Point{};
}
void DrawString(std::string_view macRoman) {
  WindowRec* r = OutputRec();
  if (!r) return;
  DrawText(r->pen.h, r->pen.v, macRoman, r->textFont, r->textColor);
  r->pen.h = static_cast<int16_t>(r->pen.h + TextWidth(macRoman, r->textFont));
}

void SetAreaCursor(Rect area, CursorShape shape) {
  WindowRec* r = OutputRec();
  if (!r) return;
  r->cursorArea = area;
  r->cursorShape = shape;
  // The pointer may already be over the area: it takes the shape without waiting to move.
  if (r->widget) r->widget->UpdateCursor(r->widget->mapFromGlobal(QCursor::pos()));
}

bool FontFamilyAvailable(const std::string& family) {
  return QFontDatabase::hasFamily(QString::fromStdString(family));
}
void SetDisplayFontFamily(const std::string& family) { gDisplayFont = family; }
std::string DisplayFontFamily() { return gDisplayFont; }

RGBColor CanvasPixel(int x, int y) {
  WindowRec* r = OutputRec();
  if (!r || !r->canvas.valid(x, y)) return {};
  QColor c = r->canvas.pixelColor(x, y);
  return RGBColor{static_cast<uint16_t>(c.red() * 257), static_cast<uint16_t>(c.green() * 257),
                  static_cast<uint16_t>(c.blue() * 257)};
}

bool SaveWindowImage(int16_t number, const std::string& path) {
  WindowRec* r = FindWindow(number);
  if (!r || !r->widget) return false;
  return r->widget->grab().save(QString::fromStdString(path), "PNG");
}

// ---- images ---------------------------------------------------------------------------

ImageHandle LoadImage(const std::string& path) {
  QImageReader reader(QString::fromStdString(path));
  QImage img = reader.read();
  if (img.isNull()) return nullptr;
  auto h = std::make_shared<Image>();
  h->image = std::move(img);
  return h;
}

int ImageWidth(const ImageHandle& image) { return image ? image->image.width() : 0; }
int ImageHeight(const ImageHandle& image) { return image ? image->image.height() : 0; }

void DrawImage(const ImageHandle& image, Rect where) {
  if (!image) return;
  CanvasPainter cp;
  if (!cp) return;
  const QRectF box(where.left, where.top, where.width(), where.height());
  cp.Touch(box, 1);
  cp.p->setRenderHint(QPainter::SmoothPixmapTransform, true);
  cp.p->drawImage(box, image->image);
}

}  // namespace mv::rt
