#include "acquisition/scope_loop.h"

#include <algorithm>
#include <cmath>

#include "acquisition/chart_loop.h"
#include "acquisition/fast_scope.h"
#include "acquisition/needs.h"
#include "acquisition/pixel.h"
#include "acquisition/recording_keys.h"
#include "acquisition/time_axis.h"
#include "acquisition/state.h"
#include "acquisition/ticks.h"
#include "acquisition/toolbar.h"
#include "control/state.h"
#include "conversions/state.h"
#include "devices/demonstration.h"
#include "devices/dispatcher.h"
#include "devices/needs.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "files/save_commands.h"
#include "kit/builders.h"
#include "kit/drawing.h"
#include "kit/format.h"
#include "kit/protocol.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {

namespace fast_scope_hooks {
namespace {

int16_t ReadKeysAndToolbarOnce() {
  ReadToolbarOncePerTick();
  if (StopIconClicked) EscapeKeyHit = 1;
  if (SaveScopeIconClicked) TabKeyHit = 1;
  KeystrokeArray = rt::GetKeys();
  const uint16_t w = rt::KeyMapWord(KeystrokeArray, 3);
  const uint64_t now = rt::Microseconds();
  rt::SleepUntilMicroseconds(NextTickStart(now), 20);
  if (w == KeyWord3::Escape || TakeCommandQTyped()) {
    EscapeKeyHit = 1;
    return 27;
  }
  return w == KeyWord3::Tab ? 9 : 0;
}

int16_t DisarmTrigger() {
  TempTriggrON = 0;
  return 0;
}

void TakeFastBlock() {
  ::mv::HIGHSPEEDIO();
}

}  // namespace

Hook<void()> HIGHSPEEDIO{"fast_scope_hooks::HIGHSPEEDIO", TakeFastBlock};
Hook<int16_t()> GETFAST{"fast_scope_hooks::GETFAST", ReadKeysAndToolbarOnce};
Hook<int16_t()> RUNTRIGGER{"fast_scope_hooks::RUNTRIGGER", DisarmTrigger};

void Reset() {
  ResetHooks("fast_scope_hooks::");
}

}  // namespace fast_scope_hooks

namespace {

constexpr int16_t kTabCode = 9, kEscapeCode = 27, kTriggerFiredCode = 999, kTriggerReady = 13;
constexpr int kTopOfTrace = 35;  // a trace never rises above this y
constexpr int kDrawnFloor = 34;  // a stored pixel below this was never drawn
constexpr int kScopeChartLift = 12;

int64_t gToolbarTick = -1;
SampleTimingTap gScopeTap;

bool FastScope() {
  return PrefsArray[PrefsSlot::DT800FastScope] == 1;
}

bool ScopeChartMode() {
  return RecordingMODE == RecordingModeCode::ScopeChart;
}

// Sweep positions the table holds; a wrong ScopeMax never indexes past it.
int32_t SweepLength() {
  return std::clamp<int32_t>(ScopeMax, 1, kScopeColumns - 1);
}

// What the scope loop remembers between passes.
struct ScopeLoopState {
  int16_t remembered = 0;
  uint16_t lastWord = 0;
  // A save by a Tab still held: the next save waits for Tab to come up, so one press
  // writes one file however long the key stays down.
  bool tabHeldSinceSave = false;
};

void SendDT800StartCommands() {
  if (External_AD != ExternalADCode::DT800) return;
  static const char* const kLines[] = {"CLEAR", "P11=1000", "P46=16", "P60=100", "P57=1", "P58=100"};
  SerialPort& port = SerialLine();
  for (int pass = 0; pass < 2; ++pass)
    for (const char* line : kLines) port.Write(std::string(line) + "\r");
  rt::Delay(5);
}

void ReadScopeChannel() {
  switch (External_AD) {
    case ExternalADCode::SableUI2:
    case ExternalADCode::SableUI3:
    case ExternalADCode::ADAM:
    case ExternalADCode::DT800:
    case ExternalADCode::DT80:
    case ExternalADCode::DT85:
      ReadExternalADdevice(1, 1);
      break;
    default:
      if (DemonstrationMODE) DemonstrationScopeReading();
      break;
  }
}

// The frame's side edges, the grid and the ticks, once per sweep.
void DrawSweepFrame() {
  LastScopeDur = Tscope;
  const ChannelVariablesRecord& rec = ChannelVariables[1];
  const int w = PrefsArray[PrefsSlot::WindowWidth];
  int bottom = static_cast<int>(std::trunc(rec[ChanField::StripBottom] - 1));
  PlotCGrgb(1.0f, static_cast<int16_t>(w - 1), kDrawnFloor, static_cast<int16_t>(w - 1),
            static_cast<int16_t>(bottom), ScopeDataColor);
  PlotCGrgb(1.0f, 0, kDrawnFloor, 0, static_cast<int16_t>(bottom), ScopeDataColor);
  int height = static_cast<int>(std::trunc(rec[ChanField::StripHeight]));
  if (ScopeChartMode()) {
    height -= kScopeChartLift;
    bottom -= kScopeChartLift;
  }
  const int g = GridDivisions(height, PrefsArray[PrefsSlot::ManyGridLines] != 0);
  gridsize = static_cast<int16_t>(height / g);
  if (PrefsArray[PrefsSlot::DashedGrids]) PrefsArray[PrefsSlot::DashPattern] = 2;
  for (int k = 1; k < g; ++k) {
    const auto y = static_cast<int16_t>(bottom - k * gridsize);
    PlotCGrgb(1.0f, 0, y, static_cast<int16_t>(w), y, ScopeDataColor);
  }
  COMPUTESCOPETICS();
  if (CustomScopeTic != 0) scopeticgap = static_cast<float>(CustomScopeTic * scopeticgap);
  firsttic = scopeticgap;
  DRAWTICS(1, 0);
  PrefsArray[PrefsSlot::DashPattern] = 0;
}

// The segment to the new point: first the previous sweep's segment between the same
// two positions is painted over, then the new one drawn.
void DrawPoint(int32_t s) {
  const int32_t p = ScSample - s;
  const int16_t x = PixelCoord(std::trunc(scopeXfactor * static_cast<float>(ScSample + s + 1)) + 1);
  const int16_t a = PixelCoord(scopedata[3][p]);
  const int16_t b = PixelCoord(scopedata[3][ScSample]);
  const int16_t fromX = PixelCoord(oldscopex);
  if (a >= kDrawnFloor && b >= kDrawnFloor) CGDrawLineNoAliasing(fromX, a, x, b, ScopeBackgroundColor);
  CGDrawLineNoAliasing(fromX, PixelCoord(scopedata[2][p]), x, PixelCoord(ScYpos), ScopeDataColor);
  scopedata[3][p] = std::trunc(scopedata[2][p]);
  scopedata[2][ScSample] = ScYpos;
  oldscopex = x;
}

void FlushOncePerTick() {
  const int64_t now = rt::TickCount();
  if (now <= TimeForNextWindowFlush) return;
  rt::SetOutputWindow(kAcquisitionWindow);
  rt::FlushWindow();
  TimeForNextWindowFlush = static_cast<int32_t>(now + 1);
}

void ToolbarRequests() {
  if (StopIconClicked) EscapeKeyHit = 1;
  if (SaveScopeIconClicked) {
    TabKeyHit = 1;
    SaveScopeIconClicked = 0;
  }
}

int16_t RealTimePass(ScopeLoopState& s) {
  if (CurrentTimeInSeconds >= NextScopeTimeInSeconds && ScopePointOnTime(CurrentTimeInSeconds)) GETSCOPE();
  KeystrokeArray = rt::GetKeys();
  s.lastWord = rt::KeyMapWord(KeystrokeArray, 3);
  if (TakeCommandQTyped()) s.lastWord = KeyWord3::Escape;  // Ctrl-Q ends a sweep as Escape does
  if (s.lastWord != KeyWord3::Tab) s.tabHeldSinceSave = false;
  if (!s.tabHeldSinceSave) s.remembered = RememberScopeKey(s.lastWord, s.remembered);
  TempTriggrON = 0;
  const int16_t code = s.remembered == kTabCode || s.remembered == kEscapeCode ? s.remembered : 0;
  ReadToolbarOncePerTick();
  ToolbarRequests();
  return code;
}

// "hit 'TAB' to save" and the sweep's length, over a grey box when asked.
void ShowSaveHint(bool box) {
  rt::SetOutputWindow(kAcquisitionWindow);
  if (box) BuildGrayBox(101, 18, PrefsArray[PrefsSlot::WindowWidth] > 831 ? 638 : 465, 33, 0);
  rt::FontSpec font = KitFont(KestraneFont, 10);
  font.bold = box;
  rt::DrawText(110, 30, Str255("hit 'TAB' to save") + NumText(sctracelength) + " sec scope trace", font,
               RGBColor{0, 0, 0});
}

int16_t HighSpeedPass() {
  int16_t code = 0;
  if (TempTriggrON == 0 || TriggerSequence <= 2) {
    fast_scope_hooks::HIGHSPEEDIO();
    ScopeViewSTEP = 1;
    const int16_t tabBefore = TabKeyHit;
    code = fast_scope_hooks::GETFAST();
    if (tabBefore) TabKeyHit = 1;
  }
  if (TempTriggrON != 0) {
    code = fast_scope_hooks::RUNTRIGGER();
    if (code == kTriggerReady) {
      TempTriggrON = 0;
      ShowSaveHint(true);
    }
    return code;
  }
  ToolbarRequests();
  return code;
}

void SaveRequestedSweep(ScopeLoopState& s) {
  TabKeyHit = 0;
  SaveScopeIconClicked = 0;
  // The fast scope's sweep was saved by the block transfer, which scaled it into the
  // sweep in volts: it stays as it is.
  if (!FastScope()) {
    SaveSCOPE();
    s.tabHeldSinceSave = s.lastWord == KeyWord3::Tab;
  }
  rt::SetOutputWindow(kAcquisitionWindow);
  WINDOWCLEAR();
  // The points go on from where they stand on the scope's time axis: one late after
  // the save is taken at once while it may be, and the axis restarts otherwise.
  s.remembered = 0;
}

// After a trigger: the sweeps the trigger saves, and whether it stays armed.
void ArmedTriggerStep(ScopeLoopState& s, int16_t code) {
  switch (TriggerSequence) {
    case 2:
      TempTriggrON = 0;
      ShowSaveHint(false);
      return;
    case 3:
    case 4:
      if (code != kTriggerFiredCode) {
        fast_scope_hooks::HIGHSPEEDIO();
        fast_scope_hooks::GETFAST();
        if (TempTriggrON == 0) ShowSaveHint(false);
        return;
      }
      for (int k = 1; k <= TriggerSaveCount; ++k) {
        fast_scope_hooks::HIGHSPEEDIO();
        // A stopped block was never scaled: the sweep still holds the one before.
        if (EscapeKeyHit) return;
        ScSample = TotScopeSample = ScopeMax;
        SaveFastScopeSweep();
        rt::SetOutputWindow(kAcquisitionWindow);
      }
      s.remembered = 0;
      fast_scope_hooks::GETFAST();
      if (TriggerSequence == 4) {
        TempTriggrON = 0;
        ShowSaveHint(false);
      }
      return;
    default:
      if (TempTriggrON == 0) ShowSaveHint(false);
      return;
  }
}

}  // namespace

float ScopeY(float v, float lo, float hi, int bottom, int height) {
  const float range = hi - lo;
  double y = bottom - (static_cast<double>(v) - lo) * height / range;
  if (std::isnan(y)) y = bottom;
  y = std::min<double>(y, bottom);
  return static_cast<float>(std::max<double>(y, kTopOfTrace));
}

int GridDivisions(int height, bool manyGridLines) {
  const int g = height < 51 ? 2 : (height > 75 ? 4 : 3);
  return manyGridLines ? 2 * g : g;
}

int16_t RememberScopeKey(uint16_t word3, int16_t remembered) {
  if (word3 == KeyWord3::Tab) return kTabCode;
  if (word3 == KeyWord3::Escape) return kEscapeCode;
  return remembered;
}

void ReadToolbarOncePerTick() {
  const int64_t now = rt::TickCount();
  if (now == gToolbarTick) return;
  gToolbarTick = now;
  if (PrefsArray[PrefsSlot::ToolbarHelp]) ShowToolbarHelpWindow();
  services::ReadControlStrip();
}

void SetScopeTimingTap(SampleTimingTap tap) {
  gScopeTap = std::move(tap);
}

int16_t GETSCOPE() {
  TotScopeSample += 1;
  ScSample += 1;
  if (gScopeTap) gScopeTap(NextScopeTimeInSeconds, CurrentTimeInSeconds);
  AdvanceScopeAxis();
  const int64_t t = rt::TickCount();
  TicsAtLastSample = static_cast<int32_t>(t);
  if (static_cast<uint32_t>(t) > static_cast<uint32_t>(TimeForNextCursorFix)) {
    KillSpinningCursor();
    TimeForNextCursorFix = static_cast<int32_t>(rt::TickCount() + 90);
  }
  ReadScopeChannel();

  const ChannelVariablesRecord& rec = ChannelVariables[1];
  int height = static_cast<int>(std::trunc(rec[ChanField::StripHeight]));
  int bottom = static_cast<int>(std::trunc(rec[ChanField::StripBottom] - 1));
  if (ScopeChartMode()) {
    height -= kScopeChartLift;
    bottom -= kScopeChartLift;
  }
  ScopeminimumPixels = static_cast<int16_t>(bottom);
  ScYpos = ScopeY(volts, rec[ChanField::PlotMin], rec[ChanField::PlotMax], bottom, height);
  rt::SetOutputWindow(kAcquisitionWindow);

  if (ScSample > SweepLength()) {
    ScSample = 1;
    Escopetics = static_cast<int32_t>(rt::TickCount());
    Tscope = Escopetics - Bscopetics;
  }
  if (ScSample == 1) {
    oldscopex = -1000;
    Bscopetics = static_cast<int32_t>(rt::TickCount());
  }
  scopedata[1][ScSample] = volts;
  const int32_t s = std::max<int16_t>(ScopeViewSTEP, 1);
  if (ScSample % s == 0) DrawPoint(s);
  if (ScSample == 1) DrawSweepFrame();
  // In scope-plus-chart the recording's own step flushes the window.
  if (!ScopeChartMode()) FlushOncePerTick();
  return 0;
}

int16_t SCOPESCANNING() {
  TabKeyHit = 0;
  EscapeKeyHit = 0;
  gToolbarTick = -1;
  rt::SetOutputWindow(kAcquisitionWindow);
  CurrentTimeInSeconds = GetCurrentTimeInSeconds();
  StartScopeAxis(CurrentTimeInSeconds + 0.000005);
  SendDT800StartCommands();
  ScopeLoopState s;
  for (;;) {
    CurrentTimeInSeconds = GetCurrentTimeInSeconds();
    const bool fast = FastScope();
    const int16_t code = fast ? HighSpeedPass() : RealTimePass(s);
    if (code == kEscapeCode || EscapeKeyHit == 1 || StopIconClicked) return 0;
    if (code == kTabCode || TabKeyHit == 1) SaveRequestedSweep(s);
    TabKeyHit = 0;
    if (TempTriggrON != 0 && fast) ArmedTriggerStep(s, code);
    if (EscapeKeyHit == 1) return 0;
    StopIconClicked = 0;
    PauseIconClicked = 0;
    if (!fast) RestUntil(NextScopeTimeInSeconds);
  }
}

}  // namespace mv
