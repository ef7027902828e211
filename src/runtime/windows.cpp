// Numbered windows and drawing on their canvases.
#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QResizeEvent>
#include <QWindow>

#include <algorithm>
#include <cmath>

#include "runtime/internal.h"
#include "runtime/macroman.h"
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

void WindowWidget::paintEvent(QPaintEvent* e) {
  if (WindowRec* r = FindWindow(number_)) {
    QPainter p(this);
    const QRect area = e->rect();
    p.drawImage(area.topLeft(), r->canvas, area);
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
  r.drawnSinceFlush = r.canvas.rect();
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

// A painter on the output window's canvas; nothing happens without a window. Each
// primitive names the box it may touch (with a margin for pens and antialiasing), so
// that only that part of the window is painted again; one that names none touches
// the whole canvas.
struct CanvasPainter {
  WindowRec* rec;
  std::unique_ptr<QPainter> p;
  QRect touched;
  CanvasPainter() : rec(OutputRec()) {
    if (rec && !rec->canvas.isNull()) {
      p = std::make_unique<QPainter>(&rec->canvas);
      p->setRenderHint(QPainter::Antialiasing, true);
      p->setRenderHint(QPainter::TextAntialiasing, true);
    }
  }
  ~CanvasPainter() {
    if (!p) return;
    p.reset();
    const QRect box = touched.isNull() ? rec->canvas.rect() : touched.intersected(rec->canvas.rect());
    if (box.isEmpty()) return;
    rec->drawnSinceFlush |= box;
    if (rec->widget) rec->widget->update(box);
  }
  void Touch(const QRectF& box, double pen = 0) {
    const double m = std::max(pen, 1.0) + 2;
    touched |= box.normalized().adjusted(-m, -m, m, m).toAlignedRect();
  }
  explicit operator bool() const { return p != nullptr; }
};

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

}  // namespace

void OpenWindow(int16_t number, const Str255& title, Rect content, int16_t kind) {
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
  r->drawnSinceFlush = r->canvas.rect();
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
  // Copied before painting: source and destination overlap.
  const QImage part = r->canvas.copy(box);
  CanvasPainter cp;
  if (!cp) return;
  cp.p->setRenderHint(QPainter::Antialiasing, false);
  cp.p->setCompositionMode(QPainter::CompositionMode_Source);
  cp.touched = box;
  cp.p->setClipRect(box);
  cp.p->fillRect(box, ToQColor(r->background));
  cp.p->drawImage(box.topLeft() + QPoint(dx, 0), part);
}

void StrokePolyline(const float* xy, std::size_t points, const StrokeStyle& style) {
  if (!xy || points < 2) return;
  CanvasPainter cp;
  if (!cp) return;
  Prepare(*cp.p, style);
  QPainterPath path(QPointF(xy[0], xy[1]));
  for (std::size_t i = 1; i < points; ++i) path.lineTo(xy[2 * i], xy[2 * i + 1]);
  cp.Touch(path.boundingRect(), style.width);
  cp.p->drawPath(path);
}

void StrokeLine(double x1, double y1, double x2, double y2, const StrokeStyle& style) {
  CanvasPainter cp;
  if (!cp) return;
  Prepare(*cp.p, style);
  cp.Touch(QRectF(QPointF(x1, y1), QPointF(x2, y2)), style.width);
  cp.p->drawLine(QPointF(x1, y1), QPointF(x2, y2));
}

void StrokeRect(double left, double top, double width, double height, const StrokeStyle& style) {
  CanvasPainter cp;
  if (!cp) return;
  Prepare(*cp.p, style);
  cp.Touch(QRectF(left, top, width, height), style.width);
  cp.p->drawRect(QRectF(left, top, width, height));
}

void FillRect(double left, double top, double width, double height, double red, double green, double blue,
              double alpha, bool invert) {
  CanvasPainter cp;
  if (!cp) return;
  cp.Touch(QRectF(left, top, width, height));
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
  Prepare(*cp.p, style);
  cp.Touch(QRectF(cx - rx, cy - ry, 2 * rx, 2 * ry), style.width);
  cp.p->drawEllipse(QPointF(cx, cy), rx, ry);
}

void FillEllipse(double cx, double cy, double rx, double ry, double red, double green, double blue) {
  CanvasPainter cp;
  if (!cp) return;
  cp.Touch(QRectF(cx - rx, cy - ry, 2 * rx, 2 * ry));
  cp.p->setPen(Qt::NoPen);
  cp.p->setBrush(QColor::fromRgbF(red, green, blue));
  cp.p->drawEllipse(QPointF(cx, cy), rx, ry);
}

void DrawTextUtf8(double x, double baselineY, std::string_view utf8, const FontSpec& font, RGBColor color) {
  CanvasPainter cp;
  if (!cp) return;
  const QFont f = ToQFont(font);
  const QString text = QString::fromUtf8(utf8.data(), static_cast<int>(utf8.size()));
  const QFontMetricsF fm(f);
  cp.Touch(QRectF(x, baselineY - fm.ascent(), fm.horizontalAdvance(text), fm.height()), fm.height() / 4);
  cp.p->setFont(f);
  cp.p->setPen(ToQColor(color));
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
  // Only what was drawn since the last flush; with nothing drawn, the whole window
  // (its fields may have changed).
  const QRect box = r->drawnSinceFlush;
  r->drawnSinceFlush = QRect();
  if (box.isEmpty())
    r->widget->repaint();
  else
    r->widget->repaint(box);
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
  cp.p->setRenderHint(QPainter::SmoothPixmapTransform, true);
  cp.Touch(QRectF(where.left, where.top, where.width(), where.height()));
  cp.p->drawImage(QRectF(where.left, where.top, where.width(), where.height()), image->image);
}

}  // namespace mv::rt
