#include "acquisition/screen.h"

#include <algorithm>

#include "acquisition/channel_panel.h"
#include "acquisition/pixel.h"
#include "acquisition/recording_keys.h"
#include "acquisition/screen_rules.h"
#include "acquisition/state.h"
#include "acquisition/ticks.h"
#include "acquisition/trigger_wait.h"
#include "acquisition/view_colours.h"
#include "acquisition/xy_plot.h"
#include "control/state.h"
#include "control/switching_schedule.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "files/needs.h"
#include "files/save_commands.h"
#include "files/save_names.h"
#include "files/state.h"
#include "kit/builders.h"
#include "kit/drawing.h"
#include "kit/format.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/menus.h"
#include "runtime/sound.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {

namespace {

constexpr RGBColor kBlack{0, 0, 0};
constexpr RGBColor kDisplayBlue{0, 0, 55535};
constexpr RGBColor kDisplayRed{65535, 0, 0};
constexpr RGBColor kWhite{65535, 65535, 65535};
constexpr int16_t kSerialLineField = 197, kMarkersFullField = 196;
constexpr int16_t kBackupField = 199, kDisplaysOffField = 300;
constexpr int kFastScopeWidth = 1024;

int gScreenWidth = 0, gScreenHeight = 0;

int ScreenW() {
  return gScreenWidth > 0 ? gScreenWidth : rt::DisplayWidth();
}
int ScreenH() {
  return gScreenHeight > 0 ? gScreenHeight : rt::DisplayHeight();
}
int PlotWidth() {
  return PrefsArray[PrefsSlot::WindowWidth];
}
int16_t StripBottomOf(int c) {
  return PixelCoord(ChannelVariables[c][ChanField::StripBottom]);
}
bool Mode(int16_t m) {
  return RecordingMODE == m;
}
bool Streaming() {
  return External_AD == ExternalADCode::SerialStream;
}
// The window's height: the last strip's bottom and what lies below it.
int WindowHeight() {
  return nChannels >= 1 ? StripBottomOf(nChannels) + kWindowBelowStrips : 100;
}

void FitStripsToTheDisplay() {
  int16_t& hp = PrefsArray[PrefsSlot::WindowHeight];
  const int b = StripBottomOf(nChannels);
  if (b + 15 > hp) {
    if (b + 15 > ScreenH()) {
      files_hooks::SetChanParams(0, 0);
    } else {
      hp = static_cast<int16_t>(b - 58);
      files_hooks::SetChanParams(static_cast<int16_t>(b + 26), 1);
    }
  }
  if (hp > ScreenH()) {
    hp = static_cast<int16_t>(ScreenH() - 58);
    ChannelVariables[nChannels][ChanField::StripBottom] = hp;
  }
}

StripLayoutBeforeFit::Strips PresentStrips() {
  StripLayoutBeforeFit::Strips s{};
  for (int ch = 1; ch <= 16; ++ch)
    for (int f = 0; f < 5; ++f) s[ch][f] = ChannelVariables[ch][ChanField::StripHeight + f];
  return s;
}

// Keeps what the user chose before the screen was fitted: the layout before this
// fit, unless it is the one an earlier fit left (the choice is older).
void RememberChosenLayout(int16_t heightBefore, const StripLayoutBeforeFit::Strips& before) {
  const int16_t height = PrefsArray[PrefsSlot::WindowHeight];
  const StripLayoutBeforeFit::Strips after = PresentStrips();
  if (height == heightBefore && SameStripLayout(after, before)) return;
  StripLayoutBeforeFit& c = ChosenStripLayout;
  const bool alreadyFitted = c.valid && c.fittedHeight == heightBefore && SameStripLayout(c.fitted, before);
  if (!alreadyFitted) {
    c.chosenHeight = heightBefore;
    c.chosen = before;
  }
  c.fittedHeight = height;
  c.fitted = after;
  c.valid = true;
}

void FitStrips() {
  if (nChannels < 1) return;
  const int16_t heightBefore = PrefsArray[PrefsSlot::WindowHeight];
  const StripLayoutBeforeFit::Strips before = PresentStrips();
  FitStripsToTheDisplay();
  RememberChosenLayout(heightBefore, before);
}

void ScopeGeometry() {
  const int bottom1 = nChannels >= 1 ? StripBottomOf(1) : 0;
  if (Mode(RecordingModeCode::Scope) || Mode(RecordingModeCode::ScopeChart)) {
    ScopeminimumPixels = static_cast<int16_t>(bottom1 - 2);
    const int height1 = nChannels >= 1 ? PixelCoord(ChannelVariables[1][ChanField::StripHeight]) : 0;
    ScopeHite = static_cast<int16_t>(ScopeminimumPixels - (ScopeminimumPixels - height1 - 1));
    midPix = static_cast<int16_t>(ScopeminimumPixels - ScopeHite / 2);
    ScopeBase = midPix;
    ScopeScale = 1;
  }
  ScopeHite = static_cast<int16_t>(bottom1 - 40);
  ScopeCalibrationFactor = scsf != 0 ? static_cast<float>(ScopeGain) * ScopeHite / scsf : 0.0f;
}

void TopBand(int w) {
  const int x1 = Mode(RecordingModeCode::ScopeChart) ? 200 : 350;
  if (w > 831) {
    BuildGrayBox(PixelCoord(x1 + 4), 17, 638, 30, 0);
    DoubleLINE(639, PixelCoord(w), 18);
  } else {
    BuildGrayBox(PixelCoord(x1 + 2), 17, 465, 30, 0);
    DoubleLINE(466, PixelCoord(w), 18);
  }
  ScreenINFO();
}

void StaticField(int16_t number, const Str255& text, Rect where, int16_t justification, rt::FontSpec font,
                 RGBColor fg, RGBColor bg) {
  rt::NewEditField(number, text.str(), where, 5, justification);
  rt::SetEditFont(number, font);
  rt::SetEditColors(number, fg, bg);
}

void BackupIndicator(int w, int16_t d, int h) {
  if (!(Mode(RecordingModeCode::Chart) || Mode(RecordingModeCode::ScopeChart))) return;
  const bool chosen = PrefsArray[PrefsSlot::AutomaticBackup] != 0;
  const bool on = chosen && TimedBackupsWritten();
  BackupFileIndicator = BackupIndicatorText(chosen, on, NBackUp);
  StaticField(kBackupField, BackupFileIndicator,
              Rect{PixelCoord(w + d - 91), PixelCoord(h - 12), PixelCoord(w + d - 3), PixelCoord(h - 1)}, 2,
              KitFont(3, 10), on ? kDisplayBlue : kDisplayRed, rgbyellow);
  PlotCGrgb(1.0f, PixelCoord(w + d - 92), PixelCoord(h - 14), PixelCoord(w + d - 92), PixelCoord(h),
            mediumDarkGray);
}

// Field 198: the next numbered file's name, or what a failed save says, which stands
// out and is as wide as its text needs. The fast scope draws its label over the plot
// itself (ShowNextFileLabel), so there the field stands only while a save has failed.
void NextFileField(const Str255& text, bool failed) {
  if (rt::EditFieldExists(kNextFileField)) rt::DisposeEditField(kNextFileField);
  if (!failed && PrefsArray[PrefsSlot::DT800FastScope] != 0) return;
  const rt::FontSpec font = KitFont(3, 9);
  const int right = std::max(490, 350 + rt::TextWidth(text.str(), font) + 6);
  const bool repeat = PrefsArray[PrefsSlot::Autorepeat] != 0;
  RGBColor fg = repeat ? ChartDataColor : ScopeDataColor,
           bg = repeat ? ChartBackgroundColor : ScopeBackgroundColor;
  if (failed) fg = kDisplayRed, bg = rgbyellow;
  StaticField(kNextFileField, text, Rect{350, 36, PixelCoord(right), 47}, 0, font, fg, bg);
}

void NextFileIndicator() {
  const bool repeat = PrefsArray[PrefsSlot::Autorepeat] != 0;
  if (!(repeat || !Mode(RecordingModeCode::Chart) || SwitchingMode == 9) ||
      PrefsArray[PrefsSlot::DT800FastScope] != 0)
    return;
  // The name the next numbered file really takes: taken numbers are passed over.
  const bool periods = repeat || Mode(RecordingModeCode::Chart);
  NextFileField(NextFileText(filestrings.rootName.str(),
                             NextNumberedCount(periods ? RootKind::Repeat : RootKind::Scope)),
                false);
}

}  // namespace

void ShowSerialLineStatus(bool lost, const std::string& path) {
  if (!rt::WindowExists(kAcquisitionWindow)) return;
  const int16_t previous = rt::OutputWindow();
  rt::SetOutputWindow(kAcquisitionWindow);
  // Beside the backup indicator on the bottom line, where a long run is watched.
  const Rect content = rt::WindowContentRect(kAcquisitionWindow);
  const int w = content.right - content.left, h = content.bottom - content.top;
  const Str255 text(lost ? "Serial port lost: " + path : std::string());
  if (!rt::EditFieldExists(kSerialLineField))
    StaticField(kSerialLineField, text,
                Rect{PixelCoord(w - 330), PixelCoord(h - 12), PixelCoord(w - 96), PixelCoord(h - 1)}, 2,
                KitFont(3, 10), kDisplayRed, rgbyellow);
  else
    rt::SetEditText(kSerialLineField, text.str());
  if (previous != 0 && rt::WindowExists(previous)) rt::SetOutputWindow(previous);
}

void ShowMarkerTableFull() {
  if (!rt::WindowExists(kAcquisitionWindow) || rt::EditFieldExists(kMarkersFullField)) return;
  const int16_t previous = rt::OutputWindow();
  rt::SetOutputWindow(kAcquisitionWindow);
  // On the bottom line, left of the serial line's notice.
  const Rect content = rt::WindowContentRect(kAcquisitionWindow);
  const int w = content.right - content.left, h = content.bottom - content.top;
  StaticField(kMarkersFullField, "Marker table full: no more markers are kept",
              Rect{PixelCoord(w - 580), PixelCoord(h - 12), PixelCoord(w - 335), PixelCoord(h - 1)}, 2,
              KitFont(3, 10), kDisplayRed, rgbyellow);
  if (previous != 0 && rt::WindowExists(previous)) rt::SetOutputWindow(previous);
}

void ShowSaveStatus(int16_t field, const Str255& text, bool failed) {
  if (!rt::WindowExists(kAcquisitionWindow)) return;
  const int16_t previous = rt::OutputWindow();
  rt::SetOutputWindow(kAcquisitionWindow);
  if (field == kNextFileField) {
    if (rt::EditFieldExists(field) || PrefsArray[PrefsSlot::DT800FastScope] != 0) NextFileField(text, failed);
  } else if (rt::EditFieldExists(field)) {
    rt::SetEditText(field, text.str());
    // A failed save must catch the eye: red on the indicator's yellow.
    rt::SetEditColors(field, failed ? kDisplayRed : kDisplayBlue, rgbyellow);
  }
  if (previous != 0 && rt::WindowExists(previous)) rt::SetOutputWindow(previous);
}

namespace {

// One framed segment of the key-hint line; returns the x after it.
int HintSegment(int x, int h, const std::string& text, RGBColor fg, RGBColor bg) {
  const rt::FontSpec font = KitFont(KestraneFont, 10);
  const int width = rt::TextWidth(text, font);
  CGdrawBox(1, bg, 1, static_cast<float>(x), static_cast<float>(h - 13), static_cast<float>(x + width + 4),
            static_cast<float>(h), 0);
  BUILDBOX(PixelCoord(x), PixelCoord(h - 13), PixelCoord(x + width + 4), PixelCoord(h));
  rt::DrawText(x + 2, h - 2, text, font, fg);
  return x + width + 6;
}

void CompressionIndicator(int h) {
  rt::FontSpec font = KitFont(3, 9);
  font.bold = true;
  rt::DrawText(3, h - 3, (StringFormatter(ChartView).mid(2) + "x").str(), font, kBlack);
  CGdrawBox(1, lightBlue, 1, 32, static_cast<float>(h - 9), 72, static_cast<float>(h - 3), 0);
  const double barEnd = 32 + 40.0 / ChartView;
  CGdrawBox(0, kBlack, 1, 33, static_cast<float>(h - 9), static_cast<float>(PixelCoord(barEnd)),
            static_cast<float>(h - 3), 4);
  CGdrawBox(0, kBlack, 0, 32, static_cast<float>(h - 9), 72, static_cast<float>(h - 3), 7);
}

void KeyHints(int w, int h) {
  int x = 50;
  if (ChartView > 1) {
    CompressionIndicator(h);
    x = 79;
  }
  x = HintSegment(x, h,
                  std::string(" 'esc' to stop; ") +
                      (Mode(RecordingModeCode::Scope) ? "'tab' stores screen " : "letters = markers "),
                  kBlack, lightBlue);
  if (SwitchingMode > 0 && !Streaming())
    x = HintSegment(x, h, std::string(" ") + SwitchPatternName(SwitchingMode) + "; '-' ref, '+' sample ",
                    RGBColor{65535, 65535, 0}, RGBblue);
  if (PrefsArray[PrefsSlot::Automarkers]) x = HintSegment(x, h, " Automark ", kWhite, RGBred);
  if (w >= 800 && (Mode(RecordingModeCode::Chart) || Mode(RecordingModeCode::ScopeChart))) {
    x = HintSegment(x, h, " 'ret' adds time ", kBlack, lightBlue);
    x = HintSegment(x, h, " Ctrl-p = pause ", kBlack, manila);
    x = HintSegment(x, h, " Ctrl-b = backup ", kBlack, manila);
    if (Mode(RecordingModeCode::Chart)) {
      x = HintSegment(x, h, " Ctrl-r = review ", kBlack, manila);
      if (!Streaming()) HintSegment(x, h, " Ctrl-n = time to ref ", kBlack, manila);
    }
  }
  PlotCGrgb(1.0f, 0, PixelCoord(h - 13), PixelCoord(w), PixelCoord(h - 13), kBlack);
  DRAWTICLABELS();
  PlotCGrgb(1.0f, 1, PixelCoord(h - 13), PixelCoord(w), PixelCoord(h - 13), PlotFrameColor);
}

void EndOfPeriodMarks(int w) {
  if (!(Mode(RecordingModeCode::Chart) || Mode(RecordingModeCode::ScopeChart)) || !(ChartView > 0)) return;
  const int top = Mode(RecordingModeCode::Chart) ? 47 : (nChannels >= 1 ? StripBottomOf(1) : 47);
  // Every screen drawn here starts a sampling period (a run's start, or the next
  // period of an automatic save): no sample of the period lies before it, so the
  // period ends at x MaxSamples / ChartView, and the mark belongs on this screen only
  // when that lies inside it. A longer period gets its mark when the screen holding
  // its end scrolls in.
  const double end = MaxSamples / static_cast<double>(ChartView);
  const bool shortRun = ChartView == 1 && MaxSamples < w;
  const bool endOnScreen = static_cast<double>(NewScreen) * w * ChartView > MaxSamples;
  if ((shortRun || endOnScreen) && end < w) DrawEndOfPeriodMark(PixelCoord(end), top);
}

void StatusDisplays() {
  if (ShowDisplays == 1) {
    rt::FontSpec font = KitFont(3, 14);
    font.bold = true;
    const int16_t right4 = Mode(RecordingModeCode::ScopeChart) ? 230 : 353;
    StaticField(2, "", Rect{2, 17, 114, 33}, 0, font, kBlack, rgbyellow);
    StaticField(3, "", Rect{114, 17, 222, 33}, 0, font, kDisplayBlue, rgbyellow);
    StaticField(4, "", Rect{222, 17, right4, 33}, 0, font, kDisplayRed, rgbyellow);
  } else if (Mode(RecordingModeCode::Scope) && PrefsArray[PrefsSlot::DT800FastScope] == 1 &&
             External_AD == ExternalADCode::DT800) {
    rt::NewProgressBar(kProgressBarControl, Rect{155, 20, 277, 28}, 1, 100, 1);
  } else if (!Mode(RecordingModeCode::Scope)) {
    rt::FontSpec font = KitFont(3, 11);
    font.bold = true;
    StaticField(kDisplaysOffField, "data panel switched off for sampling speed", Rect{4, 17, 280, 32}, 2,
                font, kDisplayBlue, VeryLightGray);
  }
}

void CapacityBar(int w) {
  if (!(Mode(RecordingModeCode::Chart) || Mode(RecordingModeCode::ScopeChart))) return;
  const int x0 = w < 832 ? 471 : 650;
  const rt::FontSpec font = KitFont(KestraneFont, 12);
  if (static_cast<double>(MaxSamples) > static_cast<double>(w) * ChartView) {
    SegmentsInProgressBar = static_cast<int16_t>(w - 10);
    rt::DrawText(x0 + 4, 12, "data capacity used", font, DarkGray);
    buildProgressBAR(PixelCoord(x0), 19, PixelCoord(w - 10), 23, 0, SegmentsInProgressBar);
    rt::SetControlValue(kProgressBarControl,
                        CapacityBarStart(ShowDisplays == 1 && Mode(RecordingModeCode::Chart), w,
                                         SegmentsInProgressBar, ChartView, MaxSamples));
    if (w >= 831) {
      const char* full = "100% |";
      rt::DrawText(w - 10 - rt::TextWidth(full, font), 13, full, font, DarkGray);
    }
  } else {
    rt::DrawText(x0 + 4, 12, "one screenful available", font, DarkGray);
  }
}

// A new chart screen keeps the last `kept` columns: the chart area (with the time
// labels below it) moves left so that they start at x 0, carrying their traces, marker
// and note lines and labels; the uncovered part is cleared for the new samples.
void ScrollChartArea(int top, int w, int kept) {
  const RGBColor background = COLORSELECT();
  rt::ScrollCanvas(Rect{0, PixelCoord(top), PixelCoord(w), PixelCoord(BottomOfPlot + 12)}, -(w - kept));
  CGdrawBox(1, background, 1, static_cast<float>(kept - 1),
            static_cast<float>(top + (Mode(RecordingModeCode::Chart) ? 12 : 11)), static_cast<float>(w + 1),
            static_cast<float>(BottomOfPlot), 0);
}

// DT500-family loggers count from the preset value, so each counter input is set to it
// at the screen's start. A line that refuses a write stops the rest: the port write
// is bounded, but sixteen bounded failures in a row would still hold the screen up.
void PresetHighSpeedCounters() {
  if (External_AD != ExternalADCode::DT500 && External_AD != ExternalADCode::DT50) return;
  SerialPort& port = SerialLine();
  for (int n = 1; n <= nChannels; ++n) {
    if (DataTakerChannels[n][DataTakerWord::Counter] == 0) continue;
    if (!port.Write(CounterPresetLine(ChannelVariables[n][ChanField::Input], counterstart))) return;
  }
}

void StartRunClocks() {
  const bool newRun = NewScreen <= 1;
  const double t = static_cast<double>(rt::TickCount()) + 5;
  if (newRun) {
    TimeAtStart = ScheduleTick(t);
    NextSAVEtime = ScheduleTick(t + TimedSaveINTERVAL);
    Nmarkers = 0;
    // A new run has no fast-scope block yet: Tab before its first block is in must
    // not save the last block of the run before.
    FastScopeCount = 0;
  }
  DoAO1 = DoAO2 = 0;
  RunServicesAtStart();
  SwitchingAtRunStart(t, newRun);
  rt::StopSounds();
  TimeAtStart = ScheduleTick(static_cast<double>(rt::TickCount()) + 3);
}

}  // namespace

void SetScreenSizeOverride(int width, int height) {
  gScreenWidth = width;
  gScreenHeight = height;
}

int LayoutScreenWidth() {
  return ScreenW();
}

void DrawEndOfPeriodMark(int x, int top) {
  CGdrawBox(1, PlotFrameColor, 1, static_cast<float>(x), static_cast<float>(top), static_cast<float>(x + 2),
            BottomOfPlot, 0);
  const std::string text = std::string(1, static_cast<char>(220)) + "  End of sampling period";
  rt::DrawText(x + 5, top + 35, text, KitFont(KestraneFont, 10), PlotFrameColor);
}

int16_t DRAWSCREEN(int16_t start) {
  if (ShowXYPlot) MakeRegressionPlotWindow();
  FitStrips();
  int w = PlotWidth();
  ScreenCapacity = static_cast<int32_t>(w * ChartView + 1);
  ShowDisplays = Mode(RecordingModeCode::Scope) || Max_Display_Speed < 0 ||
                         Max_Display_Speed / 1'000'000.0 > ChartIntervalInSeconds
                     ? 0
                     : 1;
  for (int16_t m = 1; m <= 6; ++m) rt::EnableMenuItem(m, 0, false);
  if (MaxSamples > w) ++NewScreen;
  ScopeGeometry();
  ScSample = 0;
  NscrnCASEs = 0;
  oldscopex = 0;
  AutoMarkCount = 0;  // the automatic digit markers of a new screen start again at 1
  PrefsArray[PrefsSlot::LastRunSaved] = 0;
  UseScopeColors = Mode(RecordingModeCode::Scope) ? 1 : 0;
  COLORSELECT();
  donefact = MaxSamples != 0 ? 100.0f / static_cast<float>(MaxSamples) : 0.0f;
  // The fast scope's window is 1,024 wide, but never wider than the display.
  if (Mode(RecordingModeCode::Scope) && PrefsArray[PrefsSlot::DT800FastScope] == 1)
    PrefsArray[PrefsSlot::WindowWidth] = static_cast<int16_t>(w = std::min(kFastScopeWidth, ScreenW()));
  const int16_t d = WindowOffset(ScreenW(), ScreenH(), w, PrefsArray[PrefsSlot::WindowHeight]);
  const int h = WindowHeight();
  if (NewScreen <= 1 || !rt::WindowExists(1)) {
    if (rt::WindowExists(1)) rt::CloseWindow(1);
    rt::OpenWindow(1, kAcquisitionTitle, Rect{d, 46, PixelCoord(d + w), PixelCoord(46 + h)}, 262);
    SetWindowBackground(kThemeBackground, true);
  }
  rt::SetOutputWindow(1);
  TopBand(w);
  if (Mode(RecordingModeCode::Scope) || Mode(RecordingModeCode::ScopeChart)) {
    COMPUTESCOPETICS();
    if (CustomScopeTic != 0) scopeticgap = static_cast<float>(scopeticgap * CustomScopeTic);
  }
  if (NewScreen <= 1) COMPUTETICS();
  GetFirstTIC();
  if (NewScreen <= 1) {
    DRAWCHANNELS();
    NBackUp = 0;
  }
  BackupIndicator(w, d, h);
  NextFileIndicator();
  KeyHints(w, h);
  UseScopeColors = Mode(RecordingModeCode::Scope) ? 1 : 0;
  COLORSELECT();
  if (Mode(RecordingModeCode::Chart)) DRAWTICS(0, 1);
  EndOfPeriodMarks(w);
  if (PrefsArray[PrefsSlot::DT800FastScope] == 1 && Mode(RecordingModeCode::Scope)) {
    TempTriggrON = TriggerON ? 1 : 0;
  } else if (NewScreen <= 1 && TriggerON) {
    // The start of a triggered run only waits here; the scope loop, which reads the
    // key that ended the wait, calls RUNTRIGGER itself.
    RUNTRIGGER();
  }
  StatusDisplays();
  CapacityBar(w);
  if (Mode(RecordingModeCode::Chart)) PlotCGrgb(1.0f, 0, 32, PixelCoord(w), 32, PlotFrameColor);
  StopAlertNotDoneYet = 1;
  OverRangeVolts = OverRangeVoltsFor(External_AD);
  PresetHighSpeedCounters();
  rt::FlushWindow();
  if (start == 1) StartRunClocks();
  return 0;
}

int16_t REDRAWSCREEN() {
  const int w = PlotWidth();
  rt::SetOutputWindow(1);
  for (int n = 1; n <= nChannels; ++n) {
    const int top = StripTop(StripBottomOf(n), PixelCoord(ChannelVariables[n][ChanField::StripHeight]));
    if (ShowDisplays == 1 && alarmsArray[n][AlarmField::AnyOn] != 0)
      CGdrawBox(1, ChartBackgroundColor, 1, static_cast<float>(w - 120), static_cast<float>(top),
                static_cast<float>(w), static_cast<float>(top + 21), 0);
    if (SwitchingMode > 0 && ChannelVariables[n][ChanField::Device] != 0 && ShowDisplays == 1 &&
        PrefsArray[PrefsSlot::ShowSwitchStatus] && rt::EditFieldExists(static_cast<int16_t>(n + 50)))
      rt::SetEditText(static_cast<int16_t>(n + 50), "");
  }
  const ScrollStep step = ScrollFor(PrefsArray[PrefsSlot::ChartRedrawOption], w, ChartView);
  const bool chart = Mode(RecordingModeCode::Chart);
  FirstChan = chart ? 1 : 2;
  const int areaTop = chart ? 34 : StripBottomOf(1) - (Mode(RecordingModeCode::ScopeChart) ? 11 : 0);
  UseScopeColors = 0;
  COLORSELECT();
  BottomOfPlot = nChannels >= 1 ? StripBottomOf(nChannels) : 0;
  ScrollChartArea(areaTop, w, step.kept);
  for (int16_t n = FirstChan; n <= nChannels; ++n) RedrawStripAfterScroll(n, step.kept);
  if (static_cast<double>(Sample) + step.samples > MaxSamples)
    DrawEndOfPeriodMark(PixelCoord(w - (static_cast<double>(Sample) + step.samples - MaxSamples) / ChartView),
                        chart ? 47 : StripBottomOf(1));
  NextTicPosition += static_cast<float>(step.kept);
  GetFirstTIC();
  DRAWTICS(0, 1);
  DRAWTICLABELS();
  NscrnCASEs = static_cast<int32_t>(step.kept * ChartView);
  LastNsCasx = step.kept;
  if (ShowDisplays != 1 && SegmentsInProgressBar > 0 && rt::ControlExists(kProgressBarControl))
    rt::SetControlValue(kProgressBarControl,
                        CapacityBarAfterScroll(Sample, w, ChartView, SegmentsInProgressBar, MaxSamples));
  // Not flushed here: the recording's pass paints the new screen in the room after a
  // sample, so that painting it never makes the next sample late.
  return 0;
}

}  // namespace mv
