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
#include "runtime/windows.h"

namespace mv::calc {

namespace {

constexpr int16_t kLonLabel = 1, kLonField = 10, kLatLabel = 2, kLatField = 11, kSelLabel = 3, kSelField = 12;
constexpr int16_t kZoomIn = 142, kZoomOut = 143, kHelp = 19, kDone = 20;
constexpr RGBColor kBlack{0, 0, 0};

int16_t Clamp16(int v) { return static_cast<int16_t>(std::clamp(v, -32768, 32767)); }

void StripText(int16_t number, const char* text, Rect r, int16_t justification, bool bold) {
  BUILDEF(number, text, r.left, r.top, r.right, r.bottom, 7, justification);
  rt::SetEditColors(number, kBlack, kThemeBackground);
  rt::FontSpec font = KitFont(KestraneFont, 16);
  font.bold = bold;
  rt::SetEditFont(number, font);
}

void BuildStrip() {
  rt::OpenWindow(kMapStrip, "", Rect{10, 50, 1090, 80}, 14);
  rt::SetOutputWindow(kMapStrip);
  rt::SetWindowBackground(kThemeBackground);
  rt::ClearWindow();
  StripText(kLonLabel, "Longitude:", Rect{10, 5, 100, 25}, 3, false);
  StripText(kLonField, "", Rect{104, 5, 198, 25}, 1, true);
  StripText(kLatLabel, "Latitude:", Rect{200, 5, 285, 25}, 3, false);
  StripText(kLatField, "", Rect{289, 5, 385, 25}, 1, true);
  StripText(kSelLabel, "Selected position:", Rect{390, 5, 538, 25}, 3, false);
  StripText(kSelField, "", Rect{540, 5, 725, 25}, 1, true);
  rt::NewControl(kZoomIn, rt::ControlType::PushButton, "Zoom in X5", Rect{735, 3, 840, 23}, 1);
  rt::NewControl(kZoomOut, rt::ControlType::PushButton, "Zoom out", Rect{850, 3, 940, 23}, 0);
  rt::NewControl(kHelp, rt::ControlType::PushButton, "?", Rect{950, 3, 986, 23}, 1);
  rt::NewControl(kDone, rt::ControlType::PushButton, "Done", Rect{996, 3, 1070, 23}, 1);
}

void HorizontalLine(int y, int16_t colour, int right = 1080) {
  PlotCG(1, 0, Clamp16(y), Clamp16(right), Clamp16(y), colour);
}

void drawStandardMeridians() {
  rt::SetOutputWindow(kMapWindow);
  PrefsArray[PrefsSlot::DashPattern] = 0;
  HorizontalLine(390, 1);
  PrefsArray[PrefsSlot::DashPattern] = 3;
  PlotCG(1, 540, 30, 540, 740, 1);
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
  PlotCG(1, Clamp16(ox + 2700), 30, Clamp16(ox + 2700), 740, 1);
  PlotCG(1, Clamp16(ox + 5400), 30, Clamp16(ox + 5400), 740, 1);
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
                   Rect{10, 50, 1090, 800}, 6);
  }
  rt::SetOutputWindow(kMapWindow);
  rt::SetWindowBackground(kThemeBackground);
  rt::ClearWindow();
  if (zoom == 0 || !picture) {
    CGdrawBox(0, {}, 1, 140, 190, 530, 255, 1);
    CGdrawBox(0, {}, 0, 140, 190, 530, 255, 7);
    rt::DrawText(146, 240, "  Loading map...  ", KitFont(KestraneFont, 42), kBlack);
    rt::FlushWindow();
    picture = CreateCGImageFromBundleResource("MVimages", "world map.png");
    rt::ClearWindow();
  }
  if (zoom == 0) {
    DrawThisImage(picture, 0, kMapTop, kMapWidth, kMapTop + kMapHeight);
    drawStandardMeridians();
  } else {
    DrawThisImage(picture, ox, Clamp16(oy + kMapTop), Clamp16(ox + kEnlargedWidth),
                  Clamp16(oy + kMapTop + kEnlargedHeight));
    drawEnlargedMeridians(ox, oy);
  }
  rt::SetOutputWindow(kMapWindow);
  rt::SetAreaCursor(Rect{0, kMapTop, kMapWidth, kMapTop + kMapHeight}, rt::CursorShape::Cross);
  rt::BringWindowForward(kMapStrip);
  rt::SetOutputWindow(kMapStrip);
}

// Lets the user place the box to enlarge: 0 when a key chose it, 1 when cancelled.
// The chosen corner goes to bx, by.
int16_t FindZoomArea(int& bx, int& by) {
  rt::SetOutputWindow(kMapStrip);
  rt::DisposeControl(kHelp);
  rt::SetControlTitle(kDone, "Cancel Zoom");
  rt::MoveControl(kDone, Rect{945, 3, 1070, 23});
  rt::OpenWindow(kZoomMessageWindow, " ", Rect{390, 35, 840, 75}, 1);
  rt::SetOutputWindow(kZoomMessageWindow);
  WARNINGSTRIPES(6);
  rt::DrawText(20, 27, "Hit the spacebar or <return > key to select an area", KitFont(KestraneFont, 17), kBlack);
  rt::FlushWindow();

  rt::SetOutputWindow(kMapWindow);
  rt::FlushEvents();
  Action = 0;
  int px = -1000, py = -1000;
  int16_t result = 1;
  for (int pass = 0;; ++pass) {
    rt::PumpEvents();
    rt::SetOutputWindow(kMapWindow);
    const Point p = rt::GetMouse();
    int x = p.h, y = p.v;
    ClampZoomCorner(x, y);
    if (x != px || y != py) {
      CGInvertBox(Clamp16(px), Clamp16(py), Clamp16(px + 216), Clamp16(py + 192));
      CGInvertBox(Clamp16(x), Clamp16(y), Clamp16(x + 216), Clamp16(y + 192));
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
      CGInvertBox(Clamp16(px), Clamp16(py), Clamp16(px + 216), Clamp16(py + 192));
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
  rt::NewControl(kHelp, rt::ControlType::PushButton, "?", Rect{950, 3, 986, 23}, 1);
  rt::SetControlTitle(kDone, "Done");
  rt::MoveControl(kDone, Rect{996, 3, 1070, 23});
  return result;
}

}  // namespace

MapReading StandardMapReading(int x, int y) {
  MapReading r;
  const int yy = y - 30;
  r.longitude = std::fabs(static_cast<float>(x) / -3.0f + 180.0f);
  r.west = x >= 541 ? 0 : 1;
  r.latitude = std::fabs(static_cast<float>(yy) * -0.25f + 90.0f);
  r.north = yy >= 361 ? 0 : 1;
  return r;
}

MapReading EnlargedMapReading(int x, int y, int ox, int oy) {
  MapReading r;
  const int dx = x - ox, yy = y - 30 - oy;
  const float a = std::fabs(static_cast<float>(dx) / -15.0f + 180.0f);
  if (a > 180) {
    r.longitude = 180.0f - std::fabs(180.0f - a);
    r.west = 1;
  } else {
    r.longitude = a;
    r.west = dx >= 2700 ? 0 : 1;
  }
  r.latitude = std::fabs(static_cast<float>(yy) / -15.0f + 90.0f);
  r.north = yy >= 1351 ? 0 : 1;
  return r;
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
  std::optional<Point> mapClick;
  rt::SetMouseHandler([&mapClick](int clicks) {
    if (clicks != 0 && rt::LastClickWindow() == kMapWindow) mapClick = rt::LastClickPosition();
  });
  auto onMap = [](Point p) {
    return p.h >= 0 && p.h <= 1081 && p.v >= kMapTop && p.v <= kMapTop + kMapHeight;
  };
  int16_t zoom = 0, ox = 0, oy = 0;
  auto readingAt = [&](Point p) {
    return zoom == 0 ? StandardMapReading(p.h, p.v) : EnlargedMapReading(p.h, p.v, ox, oy);
  };
  MapReading read = StandardMapReading(540, 390);
  std::optional<MapReading> selected;
  bool ended = false, cancelled = false;
  while (!ended) {
    KillSpinningCursor();
    rt::PumpEvents();
    if (!rt::WindowExists(kMapWindow) || !rt::WindowExists(kMapStrip)) break;
    rt::SetOutputWindow(kMapWindow);
    const Point p = rt::GetMouse();
    if (onMap(p)) read = readingAt(p);
    if (mapClick && onMap(*mapClick)) {
      read = readingAt(*mapClick);
      Action = ActionCode::Key;
    } else if (p.v >= kMapTop && rt::Button()) {
      Action = ActionCode::Key;
    }
    mapClick.reset();
    if (MV_ProcessSelected) {
      MV_ProcessSelected = 0;
      if (zoom == 0) drawStandardMeridians();
      else drawEnlargedMeridians(ox, oy);
    }
    rt::SetOutputWindow(kMapStrip);
    if (Action == ActionCode::Key || Action == ActionCode::Space) {
      selected = read;
      SetFieldText(kSelField, Str255("  ") + LatitudeReadout(read) + ", " + LongitudeReadout(read));
    } else if (Action == ActionCode::Click) {
      switch (EventID) {
        case kHelp: DoHelpWindow(177); break;
        case kDone: ended = true; break;
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
        default: break;
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
