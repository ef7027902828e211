#include "calculators/world_map.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "calculators/frame.h"
#include "calculators/state.h"
#include "kit/builders.h"
#include "kit/drawing.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/protocol.h"
#include "kit/resources.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/system.h"
#include "runtime/windows.h"

namespace mv::calc {

namespace {

constexpr int16_t kLonLabel = 1, kLonField = 10, kLatLabel = 2, kLatField = 11, kSelLabel = 3, kSelField = 12;
constexpr int16_t kZoomIn = 142, kZoomOut = 143, kHelp = 19, kDone = 20;
constexpr RGBColor kBlack{0, 0, 0};

int16_t Clamp16(int v) {
  return static_cast<int16_t>(std::clamp(v, -32768, 32767));
}

// The picker is laid out for a map window of 1080 by 750 pixels at (10, 50) on the
// screen; on a smaller display every part of it is drawn smaller by one factor, so
// the whole map stays on the screen. Positions below are those of the full-size
// layout; S() gives the window pixel of one, and FullSize() turns a pointer position
// into the full-size layout's once, where it is taken from the window.
constexpr int kScreenLeft = 10, kScreenTop = 50, kFullWidth = 1080, kFullHeight = 750, kBottomMargin = 10;
double gScale = 1;

int16_t S(double fullSize) {
  return Clamp16(static_cast<int>(std::lround(fullSize * gScale)));
}
Rect S(Rect r) {
  return Rect{S(r.left), S(r.top), S(r.right), S(r.bottom)};
}
struct FullPoint {
  double x = 0, y = 0;
};
FullPoint FullSize(Point pixel) {
  return {pixel.h / gScale, pixel.v / gScale};
}

void StripText(int16_t number, const char* text, Rect full, int16_t justification, bool bold) {
  const Rect r = S(full);
  BUILDEF(number, text, r.left, r.top, r.right, r.bottom, 7, justification);
  rt::SetEditColors(number, kBlack, kThemeBackground);
  rt::FontSpec font = KitFont(KestraneFont, 16 * gScale);
  font.bold = bold;
  rt::SetEditFont(number, font);
}

void StripButton(int16_t number, const char* title, Rect full, int16_t state) {
  rt::NewControl(number, rt::ControlType::PushButton, title, S(full), state);
}

void BuildStrip() {
  rt::OpenWindow(kMapStrip, "",
                 Rect{kScreenLeft, kScreenTop, static_cast<int16_t>(kScreenLeft + S(kFullWidth)),
                      static_cast<int16_t>(kScreenTop + S(30))},
                 14);
  rt::SetOutputWindow(kMapStrip);
  rt::SetWindowBackground(kThemeBackground);
  rt::ClearWindow();
  StripText(kLonLabel, "Longitude:", Rect{10, 5, 100, 25}, 3, false);
  StripText(kLonField, "", Rect{104, 5, 198, 25}, 1, true);
  StripText(kLatLabel, "Latitude:", Rect{200, 5, 285, 25}, 3, false);
  StripText(kLatField, "", Rect{289, 5, 385, 25}, 1, true);
  StripText(kSelLabel, "Selected position:", Rect{390, 5, 538, 25}, 3, false);
  StripText(kSelField, "", Rect{540, 5, 725, 25}, 1, true);
  StripButton(kZoomIn, "Zoom in X5", Rect{735, 3, 840, 23}, 1);
  StripButton(kZoomOut, "Zoom out", Rect{850, 3, 940, 23}, 0);
  StripButton(kHelp, "?", Rect{950, 3, 986, 23}, 1);
  StripButton(kDone, "Done", Rect{996, 3, 1070, 23}, 1);
}

void HorizontalLine(int y, int16_t colour, int right = 1080) {
  PlotCG(1, 0, S(y), S(right), S(y), colour);
}

void VerticalLine(int x, int16_t colour) {
  PlotCG(1, S(x), S(30), S(x), S(740), colour);
}

void drawStandardMeridians() {
  rt::SetOutputWindow(kMapWindow);
  PrefsArray[PrefsSlot::DashPattern] = 0;
  HorizontalLine(390, 1);
  PrefsArray[PrefsSlot::DashPattern] = 3;
  VerticalLine(540, 1);
  PrefsArray[PrefsSlot::DashPattern] = 2;
  HorizontalLine(123, 4);
  HorizontalLine(656, 4);
  HorizontalLine(296, 6);
  HorizontalLine(484, 6, 1081);
  PrefsArray[PrefsSlot::DashPattern] = 0;
  rt::FlushWindow();
  rt::PumpEvents(0);
}

void drawEnlargedMeridians(int16_t ox, int16_t oy) {
  rt::SetOutputWindow(kMapWindow);
  PrefsArray[PrefsSlot::DashPattern] = 0;
  if (oy + 1380 >= 30) HorizontalLine(oy + 1380, 1);
  PrefsArray[PrefsSlot::DashPattern] = 3;
  VerticalLine(ox + 2700, 1);
  VerticalLine(ox + 5400, 1);
  PrefsArray[PrefsSlot::DashPattern] = 2;
  HorizontalLine(oy + 382, 4);
  HorizontalLine(oy + 2378, 4);
  HorizontalLine(oy + 1028, 6);
  HorizontalLine(oy + 1732, 6);
  PrefsArray[PrefsSlot::DashPattern] = 0;
  rt::FlushWindow();
  rt::PumpEvents(0);
}

// The map is an equirectangular picture whose width spans 360 degrees of longitude
// from 180 W and whose height spans 180 degrees of latitude from 90 N, so it is drawn
// into exactly the span the pointer mapping gives 360 and 180 degrees: 3 and 4 pixels
// a degree on the standard map, 15 both ways on the enlarged one.
constexpr int kMapTop = 30, kMapWidth = 1080, kMapHeight = 720, kEnlargedWidth = 5400, kEnlargedHeight = 2700;

// Builds the map window (standard, or re-framed as the enlarged map) with its lines.
void buildWorldMapWindow(int16_t zoom, int16_t ox, int16_t oy, rt::ImageHandle& picture) {
  if (!rt::WindowExists(kMapWindow)) {
    rt::OpenWindow(kMapWindow, "World map, Mercator projection         Click to select a position",
                   Rect{kScreenLeft, kScreenTop, static_cast<int16_t>(kScreenLeft + S(kFullWidth)),
                        static_cast<int16_t>(kScreenTop + S(kFullHeight))},
                   6);
  }
  rt::SetOutputWindow(kMapWindow);
  rt::SetWindowBackground(kThemeBackground);
  rt::ClearWindow();
  if (zoom == 0 || !picture) {
    CGdrawBox(0, {}, 1, S(140), S(190), S(530), S(255), 1);
    CGdrawBox(0, {}, 0, S(140), S(190), S(530), S(255), 7);
    rt::DrawText(S(146), S(240), "  Loading map...  ", KitFont(KestraneFont, 42 * gScale), kBlack);
    rt::FlushWindow();
    picture = CreateCGImageFromBundleResource("MVimages", "world map.png");
    rt::ClearWindow();
  }
  if (zoom == 0) {
    DrawThisImage(picture, 0, S(kMapTop), S(kMapWidth), S(kMapTop + kMapHeight));
    drawStandardMeridians();
  } else {
    DrawThisImage(picture, S(ox), S(oy + kMapTop), S(ox + kEnlargedWidth), S(oy + kMapTop + kEnlargedHeight));
    drawEnlargedMeridians(ox, oy);
  }
  rt::SetOutputWindow(kMapWindow);
  rt::SetAreaCursor(S(Rect{0, kMapTop, kMapWidth, kMapTop + kMapHeight}), rt::CursorShape::Cross);
  rt::BringWindowForward(kMapStrip);
  rt::SetOutputWindow(kMapStrip);
}

// Lets the user place the box to enlarge: 0 when a key chose it, 1 when cancelled.
// The chosen corner goes to bx, by.
int16_t FindZoomArea(int& bx, int& by) {
  rt::SetOutputWindow(kMapStrip);
  rt::DisposeControl(kHelp);
  rt::SetControlTitle(kDone, "Cancel Zoom");
  rt::MoveControl(kDone, S(Rect{945, 3, 1070, 23}));
  rt::OpenWindow(kZoomMessageWindow, " ", Rect{390, 35, 840, 75}, 1);
  rt::SetOutputWindow(kZoomMessageWindow);
  WARNINGSTRIPES(6);
  rt::DrawText(20, 27, "Hit the spacebar or <return > key to select an area", KitFont(KestraneFont, 17),
               kBlack);
  rt::FlushWindow();

  rt::SetOutputWindow(kMapWindow);
  rt::FlushEvents();
  Action = 0;
  int px = -1000, py = -1000;
  int16_t result = 1;
  for (int pass = 0;; ++pass) {
    rt::PumpEvents();
    rt::SetOutputWindow(kMapWindow);
    const FullPoint p = FullSize(rt::GetMouse());
    int x = static_cast<int>(p.x), y = static_cast<int>(p.y);
    ClampZoomCorner(x, y);
    if (x != px || y != py) {
      CGInvertBox(S(px), S(py), S(px + 216), S(py + 192));
      CGInvertBox(S(x), S(y), S(x + 216), S(y + 192));
      rt::FlushWindow();
      px = x;
      py = y;
    }
    if (Action == ActionCode::Key || Action == ActionCode::Space) {
      result = 0;
      break;
    }
    if (Action == ActionCode::Click || (Action == ActionCode::WindowActivity && EventID == kMapStrip) ||
        !rt::WindowExists(kMapWindow)) {
      CGInvertBox(S(px), S(py), S(px + 216), S(py + 192));
      rt::FlushWindow();
      break;
    }
    Action = 0;
  }
  Action = 0;
  EventID = 0;
  bx = px;
  by = py;
  if (rt::WindowExists(kZoomMessageWindow)) rt::CloseWindow(kZoomMessageWindow);
  rt::SetOutputWindow(kMapStrip);
  StripButton(kHelp, "?", Rect{950, 3, 986, 23}, 1);
  rt::SetControlTitle(kDone, "Done");
  rt::MoveControl(kDone, S(Rect{996, 3, 1070, 23}));
  return result;
}

}  // namespace

MapReading StandardMapReading(double x, double y) {
  MapReading r;
  const double yy = y - 30;
  r.longitude = std::fabs(static_cast<float>(x / -3.0 + 180.0));
  r.west = x > 540 ? 0 : 1;
  r.latitude = std::fabs(static_cast<float>(yy * -0.25 + 90.0));
  r.north = yy > 360 ? 0 : 1;
  return r;
}

MapReading EnlargedMapReading(double x, double y, int ox, int oy) {
  MapReading r;
  const double dx = x - ox, yy = y - 30 - oy;
  const float a = std::fabs(static_cast<float>(dx / -15.0 + 180.0));
  if (a > 180) {
    r.longitude = 180.0f - std::fabs(180.0f - a);
    r.west = 1;
  } else {
    r.longitude = a;
    r.west = dx >= 2700 ? 0 : 1;
  }
  r.latitude = std::fabs(static_cast<float>(yy / -15.0 + 90.0));
  r.north = yy > 1350 ? 0 : 1;
  return r;
}

double MapScaleFor(int displayWidth, int displayHeight) {
  const double across = static_cast<double>(displayWidth - 2 * kScreenLeft) / kFullWidth;
  const double down = static_cast<double>(displayHeight - kScreenTop - kBottomMargin) / kFullHeight;
  return std::clamp(std::min(across, down), 0.1, 1.0);
}

Str255 LongitudeReadout(const MapReading& r) {
  return PictureFormat(r.longitude, "###.##") + degrees + (r.west ? " W" : " E");
}

Str255 LatitudeReadout(const MapReading& r) {
  return PictureFormat(r.latitude, "##.##") + degrees + (r.north ? " N" : " S");
}

void ZoomOrigin(int bx, int by, int16_t& ox, int16_t& oy) {
  ox = Clamp16(-5 * bx);
  oy = Clamp16(static_cast<int>(std::trunc((by - 30) * -3.75)));
}

void ClampZoomCorner(int& x, int& y) {
  y = std::clamp(y, 30, 558);
  if (x < 0) x = 0;
  if (x > 900) x = 900;
}

int16_t GetMapCoordinates() {
  const HandlerScope callersHandlers;
  gScale = MapScaleFor(rt::DisplayWidth(), rt::DisplayHeight());
  if (rt::WindowExists(kCalculatorWindow)) rt::MoveWindowTo(kCalculatorWindow, -1000, -1000);
  rt::ImageHandle picture;
  BuildStrip();
  buildWorldMapWindow(0, 0, 0, picture);
  InstallDialogHandlers(NoMENU);
  rt::FlushEvents();
  Action = 0;
  EventID = 0;

  // A press on the map is taken up as an event, so a click quicker than one pass of
  // the loop still selects where it was made.
  std::optional<FullPoint> mapClick;
  rt::SetMouseHandler([&mapClick](int clicks) {
    if (clicks != 0 && rt::LastClickWindow() == kMapWindow) mapClick = FullSize(rt::LastClickPosition());
  });
  auto onMap = [](FullPoint p) {
    return p.x >= 0 && p.x <= 1081 && p.y >= kMapTop && p.y <= kMapTop + kMapHeight;
  };
  int16_t zoom = 0, ox = 0, oy = 0;
  auto readingAt = [&](FullPoint p) {
    return zoom == 0 ? StandardMapReading(p.x, p.y) : EnlargedMapReading(p.x, p.y, ox, oy);
  };
  MapReading read = StandardMapReading(540, 390);
  std::optional<MapReading> selected;
  bool ended = false, cancelled = false;
  while (!ended) {
    KillSpinningCursor();
    rt::PumpEvents();
    if (!rt::WindowExists(kMapWindow) || !rt::WindowExists(kMapStrip)) break;
    rt::SetOutputWindow(kMapWindow);
    const FullPoint p = FullSize(rt::GetMouse());
    if (onMap(p)) read = readingAt(p);
    if (mapClick && onMap(*mapClick)) {
      read = readingAt(*mapClick);
      Action = ActionCode::Key;
    } else if (p.y >= kMapTop && rt::Button()) {
      Action = ActionCode::Key;
    }
    mapClick.reset();
    if (MV_ProcessSelected) {
      MV_ProcessSelected = 0;
      if (zoom == 0)
        drawStandardMeridians();
      else
        drawEnlargedMeridians(ox, oy);
    }
    rt::SetOutputWindow(kMapStrip);
    if (Action == ActionCode::Key || Action == ActionCode::Space) {
      selected = read;
      SetFieldText(kSelField, Str255("  ") + LatitudeReadout(read) + ", " + LongitudeReadout(read));
    } else if (Action == ActionCode::Click) {
      switch (EventID) {
        case kHelp:
          DoHelpWindow(177);
          break;
        case kDone:
          ended = true;
          break;
        case kZoomIn: {
          rt::SetControlState(kZoomIn, 0);
          rt::SetControlState(kZoomOut, 1);
          int bx = 0, by = 0;
          const bool chosen = FindZoomArea(bx, by) == 0;
          mapClick.reset();  // clicks while the box is placed choose nothing
          if (chosen) {
            zoom = 1;
            ZoomOrigin(bx, by, ox, oy);
            buildWorldMapWindow(1, ox, oy, picture);
          } else {
            rt::SetOutputWindow(kMapStrip);
            rt::SetControlState(kZoomIn, 1);
            rt::SetControlState(kZoomOut, 0);
          }
          break;
        }
        case kZoomOut:
          rt::SetControlState(kZoomIn, 1);
          rt::SetControlState(kZoomOut, 0);
          zoom = 0;
          ox = oy = 0;
          buildWorldMapWindow(0, 0, 0, picture);
          break;
        default:
          break;
      }
    } else if (Action == ActionCode::CloseBox && EventID == kMapWindow) {
      ended = cancelled = true;
    }
    Action = 0;
    EventID = 0;
    if (!ended && onMap(p)) {
      read = readingAt(p);
      rt::SetOutputWindow(kMapStrip);
      SetFieldText(kLonField, LongitudeReadout(read));
      SetFieldText(kLatField, LatitudeReadout(read));
    }
  }
  // Only Done with a selected position changes the place; the close box cancels.
  const bool picked = !cancelled && selected.has_value();
  if (picked) {
    latitude = selected->latitude;
    longitude = selected->longitude;
    northLatitude = selected->north;
    westLongitude = selected->west;
  }
  for (int16_t w : {kZoomMessageWindow, kMapWindow, kMapStrip})
    if (rt::WindowExists(w)) rt::CloseWindow(w);
  if (rt::WindowExists(kCalculatorWindow)) {
    rt::MoveWindowTo(kCalculatorWindow, 40, 100);
    rt::BringWindowForward(kCalculatorWindow);
    rt::SetOutputWindow(kCalculatorWindow);
  }
  return picked ? 1 : 0;
}

}  // namespace mv::calc
