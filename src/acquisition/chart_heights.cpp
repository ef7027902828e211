#include "acquisition/chart_heights.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "acquisition/pixel.h"
#include "acquisition/state.h"
#include "conversions/conversions_window.h"
#include "conversions/needs.h"
#include "files/needs.h"
#include "kit/builders.h"
#include "kit/drawing.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/protocol.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {
namespace {

constexpr int16_t W = kChartHeightWindow;
constexpr RGBColor kBlack{0, 0, 0};
constexpr RGBColor kScopeLabel{64272, 64272, 0};
constexpr int16_t kSelectButton = 7, kHelpButton = 6, kAgainButton = 2, kNormalButton = 3, kCancelButton = 5,
                  kDoneButton = 4, kNextChannelField = 102;
constexpr int16_t kHelpTopic = 185;
constexpr int16_t kFirstStripTop = 35;
constexpr const char* kArrowKeysNote = "Arrow keys: up = +1; down = -1; home = 0";

// The strip fields the window can undo: height, bottom, top + 10 and bottom - 1.
struct StripCopy {
  std::array<float, 17> height{}, bottom{}, top{}, less1{};
};

int16_t Whole(float v) {
  return PixelCoord(v);
}
float& F(int ch, int field) {
  return ChannelVariables[ch][field];
}
bool ScopeFirstChannel(int ch) {
  return ch == 1 &&
         (RecordingMODE == RecordingModeCode::Scope || RecordingMODE == RecordingModeCode::ScopeChart);
}

StripCopy CopyStrips() {
  StripCopy c;
  for (int ch = 1; ch <= nChannels; ++ch) {
    c.height[ch] = F(ch, ChanField::StripHeight);
    c.bottom[ch] = F(ch, ChanField::StripBottom);
    c.top[ch] = F(ch, ChanField::StripTop);
    c.less1[ch] = F(ch, ChanField::BottomLess2);
  }
  return c;
}

// The heights go back with the boundaries: a height left from the undone walk would
// draw every strip over its neighbours.
void RestoreStrips(const StripCopy& c) {
  for (int ch = 1; ch <= nChannels; ++ch) {
    F(ch, ChanField::StripHeight) = c.height[ch];
    F(ch, ChanField::StripBottom) = c.bottom[ch];
    F(ch, ChanField::StripTop) = c.top[ch];
    F(ch, ChanField::BottomLess2) = c.less1[ch];
  }
}

void Enable(std::initializer_list<int16_t> buttons, int16_t state) {
  for (int16_t b : buttons)
    if (rt::ControlExists(b)) rt::SetControlState(b, state);
}

Str255 StripTitle(int ch) {
  return Str255("Channel") + NumText(ch) + "  Input #" + NumText(F(ch, ChanField::Input)) + "        " +
         StoredChannelLabel(static_cast<int16_t>(ch));
}

void PrintTitle(int ch, int y, RGBColor colour) {
  rt::DrawText(42, y, StripTitle(ch).str(), KitFont(3, 10), colour);
  if (F(ch, ChanField::A) == -9999.0f) {
    rt::FontSpec bold = KitFont(3, 10);
    bold.bold = true;
    const int below = PrefsArray[PrefsSlot::LargeReadouts] ? 34 : 24;
    rt::DrawText(42, y + below, kArrowKeysNote, bold, colour);
  }
}

int16_t StripTopOf(int ch) {
  return ch == 1 ? kFirstStripTop : static_cast<int16_t>(Whole(F(ch - 1, ChanField::StripBottom)) + 1);
}

// Waits for the mouse button to be let go, taking what the click left behind.
void WaitForButtonUp() {
  while (rt::Button() && rt::WindowExists(W)) {
    rt::PumpEvents();
    rt::FlushEvents();
  }
}

// What a click outside the plot during a walk did: Cancel or help, else nothing.
enum class WalkClick { None, Help, Cancel };
WalkClick ReadWalkClick() {
  if (Action != ActionCode::Click) return WalkClick::None;
  if (EventID == kCancelButton) return WalkClick::Cancel;
  if (EventID == kHelpButton) return WalkClick::Help;
  return WalkClick::None;
}

// Tracks one boundary; returns how the walk goes on.
WalkClick TrackBoundary(const BoundaryBand& band) {
  for (;;) {
    Action = 0;
    EventID = 0;
    GetHEIGHT(band.lowest, band.limit);
    if (Action != ActionCode::Click && HorizontalPosition < kStripRight) return WalkClick::None;
    // The click was beside the plot: a button, or nothing at all.
    if (Action != ActionCode::Click) {
      WaitForButtonUp();
      rt::PumpEvents(0);
    }
    const WalkClick c = ReadWalkClick();
    if (c != WalkClick::None || !rt::WindowExists(W)) return c;
  }
}

}  // namespace

BoundaryBand BandFor(int16_t channel, int16_t plotBottom) {
  BoundaryBand b;
  b.top = StripTopOf(channel);
  b.lowest = static_cast<int16_t>(b.top + 20);
  b.limit = static_cast<int16_t>(plotBottom - 20 * (nChannels - channel));
  return b;
}

void SetStripFields(int16_t channel, int16_t y, int16_t top) {
  F(channel, ChanField::StripBottom) = y;
  F(channel, ChanField::StripHeight) = static_cast<float>(y - top);
  F(channel, ChanField::BottomLess2) = static_cast<float>(y - 1);
  F(channel, ChanField::StripTop) = static_cast<float>(y) - F(channel, ChanField::StripHeight) + 10;
}

int16_t StripGridDivisions(int16_t height) {
  if (height < 51) return 2;
  if (height < 76) return 3;
  return 4;
}

void GetHEIGHT(int16_t lowest, int16_t limit) {
  rt::SetOutputWindow(W);
  WaitForButtonUp();
  int16_t shown = -1;
  Point p{};
  while (rt::WindowExists(W)) {
    rt::PumpEvents();
    rt::SetOutputWindow(W);
    p = rt::GetMouse();
    if (rt::Button()) break;
    if (Action == ActionCode::Click) {
      // A button worked from the keyboard ends the tracking too, with no boundary.
      p.h = kStripRight;
      break;
    }
    const bool inBand = p.v >= lowest && p.v < limit && p.h < kStripRight;
    const int16_t want = inBand ? p.v : -1;
    if (want != shown) {
      if (shown >= 0) CGInvertline(1, shown, kStripRight - 1, shown);
      if (want >= 0) CGInvertline(1, want, kStripRight - 1, want);
      shown = want;
      rt::FlushWindow();
    }
  }
  if (shown >= 0) CGInvertline(1, shown, kStripRight - 1, shown);
  rt::FlushWindow();
  TickSound(ChartIntervalInSeconds);
  // A click outside the band still ends the tracking; the boundary stays inside it.
  VerticalPosition =
      std::clamp<int16_t>(p.v, lowest, std::max<int16_t>(lowest, static_cast<int16_t>(limit - 1)));
  HorizontalPosition = p.h;
}

void Draw_A_CHANNEL(int16_t ch) {
  DataCache[ch] = 0;
  const bool scope = ScopeFirstChannel(ch);
  UseScopeColors = scope ? 1 : 0;
  const int16_t bottom = Whole(F(ch, ChanField::StripBottom));
  const int16_t top =
      PixelCoord(std::trunc(F(ch, ChanField::StripBottom) - F(ch, ChanField::StripHeight) - 1));
  BottomOfPlot = bottom;
  RGBColor background;
  if (scope) {
    background = PrefsArray[PrefsSlot::DT800FastScope] == 1 ? FastScopeBackground : ScopeBackgroundColor;
    PlotFrameColor = ScopeFrameColor;
    Pblack = kScopeLabel;
    BottomOfPlot = static_cast<int16_t>(bottom - 1);
  } else {
    background = ChartBackgroundColor;
    PlotFrameColor = ChartFrameColor;
    Pblack = kBlack;
  }
  CGdrawBox(1, background, 1, 0, top, kStripRight, BottomOfPlot, 0);
  CGdrawBox(1, PlotFrameColor, 0, 0, top, kStripRight, BottomOfPlot, 0);
  hite = Whole(F(ch, ChanField::StripHeight));
  if (ch == 1 && RecordingMODE == RecordingModeCode::ScopeChart) {
    hite = static_cast<int16_t>(hite - 12);
    BottomOfPlot = static_cast<int16_t>(BottomOfPlot - 12);
  }
  const int16_t n = StripGridDivisions(hite);
  const float grid = static_cast<float>(hite) / n;
  gridsize = static_cast<int16_t>(grid);
  PrefsArray[PrefsSlot::DashPattern] = PrefsArray[PrefsSlot::DashedGrids] ? 2 : 0;
  for (int k = 1; k < n; ++k) {
    const int16_t y = PixelCoord(std::trunc(BottomOfPlot - k * grid));
    PlotCGrgb(1.0f, 1, y, kStripRight, y, PlotFrameColor);
  }
  PrefsArray[PrefsSlot::DashPattern] = 0;
  float zeroY = 0;
  if (scope && F(1, ChanField::PlotMin) != 0 && F(1, ChanField::PlotMax) != 0) {
    zeroY = static_cast<float>((BottomOfPlot - top) * 0.5 + top);
    const int16_t y = PixelCoord(zeroY);
    PlotCG(1.0f, 22, y, 35, y, 5);
    for (int x = 42; x + 13 <= 415; x += 20)
      PlotCG(1.0f, static_cast<int16_t>(x), y, static_cast<int16_t>(x + 13), y, 5);
  }
  const rt::FontSpec font = KitFont(3, 10);
  if (zeroY != 0) rt::DrawText(3, zeroY + 4, "0", font, PlotFrameColor);
  rt::DrawText(0, top + 11, NumText(F(ch, ChanField::PlotMax)).str(), font, PlotFrameColor);
  PrintTitle(ch, top + 11,
             RecordingMODE != RecordingModeCode::Chart && ch == 1 ? ScopeDataColor : PlotFrameColor);
  rt::DrawText(0, Whole(F(ch, ChanField::BottomLess2)) - 3, NumText(F(ch, ChanField::PlotMin)).str(), font,
               PlotFrameColor);
  rt::FlushWindow();
}

void DrawFakeChannels(int16_t plotBottom) {
  rt::SetOutputWindow(W);
  CGdrawBox(1, ChartBackgroundColor, 1, 0, kFirstStripTop, kStripRight, plotBottom, 0);
  CGdrawBox(1, PlotFrameColor, 0, 0, kFirstStripTop, kStripRight, plotBottom, 0);
  const rt::FontSpec font = KitFont(3, 10);
  for (int ch = 1; ch <= nChannels; ++ch) {
    const int16_t y = Whole(F(ch, ChanField::StripBottom));
    PrefsArray[PrefsSlot::DashPattern] = 1;
    PlotCGrgb(1.0f, 0, y, kStripRight, y, PlotFrameColor);
    PrefsArray[PrefsSlot::DashPattern] = 0;
    rt::DrawText(10, y - 3, (Str255("current boundary for channel") + NumText(ch)).str(), font,
                 PlotFrameColor);
  }
  rt::FlushWindow();
}

void DrawChartHEIGHTS(int16_t plotBottom) {
  DrawFakeChannels(plotBottom);
  for (int16_t ch = 1; ch < nChannels; ++ch) {
    rt::PumpEvents(0);
    rt::SetOutputWindow(W);
    WalkClick click = ReadWalkClick();
    const BoundaryBand band = BandFor(ch, plotBottom);
    if (click == WalkClick::None) {
      const int titleY = ch == 1 ? 45 : Whole(F(ch - 1, ChanField::StripBottom)) + 11;
      PrintTitle(ch, titleY, ScopeFirstChannel(ch) ? ScopeDataColor : PlotFrameColor);
      rt::FlushWindow();
      click = TrackBoundary(band);
    }
    if (click == WalkClick::Cancel) {
      Action = 0;
      EventID = 0;
      downVipSOUND();
      return;
    }
    if (click == WalkClick::Help) {
      DoHelpWindow(kHelpTopic);
      rt::BringWindowForward(W);
      Action = 0;
      EventID = 0;
      rt::FlushEvents();
      break;
    }
    SetStripFields(ch, VerticalPosition, band.top);
    Draw_A_CHANNEL(ch);
    rt::PumpEvents(0);
    rt::SetOutputWindow(W);
    wsst();
    rt::SetEditText(kNextChannelField, (Str255("Channel") + NumText(ch + 1)).str());
    rt::FocusEditField(0);
  }
  // The last strip reaches from the boundary above it to the plot bottom; a single
  // channel fills the plot.
  const int16_t above = nChannels >= 2 ? Whole(F(nChannels - 1, ChanField::StripBottom)) : kFirstStripTop;
  const int16_t n = nChannels;
  if (n >= 1) {
    F(n, ChanField::StripHeight) = static_cast<float>(plotBottom - above);
    F(n, ChanField::BottomLess2) = static_cast<float>(plotBottom - 1);
    F(n, ChanField::StripTop) = static_cast<float>(plotBottom) - F(n, ChanField::StripHeight) + 10;
    Draw_A_CHANNEL(n);
  }
  Enable({kAgainButton, kNormalButton, kDoneButton, kCancelButton}, 1);
}

void ChangeCHARTHITE() {
  const HandlerScope callersHandlers;
  if (nChannels < 1) return;
  const StripCopy saved = CopyStrips();
  int16_t bottom = Whole(F(nChannels, ChanField::StripBottom));
  services::SetUpMENUs(0);
  rt::CloseWindow(W);
  BuildWINDOW(W, "Adjust Chart Height", 5, 1, 640, static_cast<int16_t>(1 + bottom + 19), 262);
  const rt::FontSpec big = KitFont(KestraneFont, 18);
  rt::NewEditField(1, "Channel size adjust", Rect{430, 35, 630, 58}, 5, 0);
  rt::NewEditField(kNextChannelField, "Channel 1", Rect{430, 75, 615, 95}, 5, 0);
  rt::SetEditFont(1, big);
  rt::SetEditFont(kNextChannelField, big);
  using rt::ControlType;
  rt::NewControl(kSelectButton, ControlType::PushButton, "Select channel heights", Rect{460, 250, 620, 270},
                 1);
  rt::NewControl(kHelpButton, ControlType::PushButton, "?", Rect{500, 280, 570, 300}, 1);
  rt::NewControl(kAgainButton, ControlType::PushButton, "Do Again", Rect{460, 310, 620, 330}, 1);
  rt::NewControl(kNormalButton, ControlType::PushButton, "Use Normal Values", Rect{460, 340, 620, 360}, 1);
  rt::NewControl(kCancelButton, ControlType::PushButton, "Cancel", Rect{460, 370, 620, 390}, 1);
  rt::NewControl(kDoneButton, ControlType::DefaultButton, "Plot Heights OK; Done",
                 Rect{455, static_cast<int16_t>(bottom - 20), 625, bottom}, 0);
  PlotFrameColor = ChartFrameColor;
  DrawFakeChannels(bottom);
  InstallDialogHandlers([](int16_t menu, int16_t menuItem) { services::ShortMENU(menu, menuItem); });
  Action = 0;
  EventID = 0;
  bool done = false;
  while (!done && rt::WindowExists(W)) {
    rt::PumpEvents();
    if (!rt::WindowExists(W)) break;
    rt::SetOutputWindow(W);
    if (Action == ActionCode::Key) done = true;
    if (Action == ActionCode::Click) {
      switch (EventID) {
        case kSelectButton:
          Enable({kAgainButton, kNormalButton}, 0);
          DrawChartHEIGHTS(bottom);
          Enable({kAgainButton, kNormalButton}, 1);
          break;
        case kAgainButton:
          Enable({kDoneButton}, 1);
          Enable({kAgainButton, kNormalButton}, 0);
          DrawChartHEIGHTS(bottom);
          break;
        case kNormalButton:
          files_hooks::SetChanParams(0, 0);
          bottom = Whole(F(nChannels, ChanField::StripBottom));
          rt::SetOutputWindow(W);
          for (int16_t ch = 1; ch <= nChannels; ++ch) Draw_A_CHANNEL(ch);
          wsst();
          break;
        case kCancelButton:
          RestoreStrips(saved);
          Enable({kDoneButton}, 1);
          rt::SetOutputWindow(W);
          PlotFrameColor = ChartFrameColor;
          DrawFakeChannels(bottom);
          break;
        case kHelpButton:
          DoHelpWindow(kHelpTopic);
          break;
        case kDoneButton:
          done = true;
          break;
        default:
          break;
      }
    }
    Action = 0;
    EventID = 0;
  }
  rt::CloseWindow(W);
  services::SetUpMENUs(1);
}

}  // namespace mv
