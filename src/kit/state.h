// Program-wide values that every floor reads: the window protocol codes, the preference
// slots, the recording mode, the run the control loop starts, colours, fonts and texts.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "runtime/str255.h"
#include "runtime/types.h"

namespace mv {

// ---- window protocol codes -------------------------------------------------------
// Window action codes (ActionCode): what the last handled event asks of a window.
namespace ActionCode {
constexpr int16_t Nothing = 0, Click = 1, WindowActivity = 3, CloseBox = 4, Redraw = 5, Tab = 7, Key = 16,
                  Application = 19, CommandKey = 24, ChannelsChanged = 99, Space = -990;
}

extern int16_t Action;
extern int32_t EventID;
extern int16_t MENUID;
extern int16_t item;
extern int16_t EditFieldWasSelected;
extern int16_t MV_ProcessSelected;
extern uint32_t PreviousUpdateTime;
extern int16_t MathOperation;
// Set while a recording loop runs: Ctrl-Q then belongs to the recording (a "Q"
// marker and the end of the run), and no window may open from the recording's pump.
extern int16_t RecordingLoopRunning;
// Ctrl-Q typed during a recording and not yet taken by the recording's key decode.
extern int16_t CommandQTyped;

// ---- preference slots --------------------------------------------------------------
constexpr int kPrefsSlots = 71;
extern std::array<int16_t, kPrefsSlots> PrefsArray;

// Slot numbers (PrefsSlot) with the meaning each holds.
namespace PrefsSlot {
constexpr int WeirdSounds = 2, DigitalOutputCoding = 3, ChartRedrawOption = 4, LargeReadouts = 5,
              ShowSwitchStatus = 6, CheckBackupName = 7, WindowSizeChoice = 8, AlwaysShowHelpData = 10,
              WindowWidth = 11, WindowHeight = 12, AquaLabels = 14, LightToolbar = 15, SaveSable = 16,
              SaveText = 17, BadReadingKeepsLast = 18, Unread19 = 19, MascotPictures = 21, TimeGrids = 22,
              DashedGrids = 23, ZeroLines = 24, ScaleGrid = 25, ManyGridLines = 26, DashedMarkers = 27,
              AutomaticBackup = 28, MarkersInReplay = 29, AverageAllChannels = 30, WarnUnsaved = 31,
              SpikeFilterOn = 32, SpikeReread = 33, Range512 = 34, LabelFont = 35, AverageLastChannel = 36,
              SerialPortOpen = 37, TimeColumn = 38, MarkerAtSwitch = 39, DT800FastScope = 40,
              LastRunSaved = 41, BeepEverySample = 42, GuardAnswer = 43, Autorepeat = 44,
              SetupKnownAtStart = 45, Automarkers = 46, Adam16Inputs = 47, LiveTestReadings = 48,
              TestUpdateOption = 49, HardwareInputs = 50, ToolbarHelp = 51, AddExtensions = 52,
              AutoSerialPort = 53, InterfaceCode = 54, DT800MainsFilter = 55, SimulateBlockTransfer = 56,
              AutoInterface = 57, RedoInterface = 58, ShutdownMessage = 59, StartupSounds = 60,
              DashPattern = 61;
}

// ---- recording mode --------------------------------------------------------------------
// 1 chart, 2 oscilloscope, 3 scope plus chart; 0 sends the control loop back to the
// mode choice (which takes it as 1).
namespace RecordingModeCode {
constexpr int16_t Chart = 1, Scope = 2, ScopeChart = 3;
}
extern int16_t RecordingMODE;

// ---- the run the control loop starts ---------------------------------------------------
// The samples of the run that ended, as the savers write them (Sample is lowered to
// one less when the options window opens, never below 0).
extern int32_t nSamples;
// Tick count at the start of the run (and after each options-window command).
extern int32_t TimeAtStart;
// How the chart schedule of the run (or of the sampling period) was kept, on the
// microsecond clock in seconds: the first sample's due time, the place on the grid of
// the latest sample, the samples stored, and the time recorded as held (pauses and
// gaps) in all and before the latest sample; and the grid's interval when it follows
// an interface slower than the interval asked for (0 otherwise). The time axis keeps
// it; the rate check and every save measure the run's interval from it.
struct ChartRunTiming {
  double firstDue = 0;
  double lastTaken = 0;
  int32_t samples = 0;
  double heldSeconds = 0;
  double heldBeforeLast = 0;
  float grid = 0;
  // How long the serial line was lost (hung up) during the run, in seconds.
  double lineLostSeconds = 0;
};
extern ChartRunTiming ChartTiming;
// Set by the set-up window when the user starts over: the control loop discards the
// set-up and goes back to the mode choice.
extern int16_t StartOver;
// Ticks of the last scope sweep; pause minutes of the run; the sample rate changed by
// the pause window; the next analog-output update (ticks).
extern int32_t LastScopeDur;
extern float totalPauseDuration;
extern int16_t SampleRateChanged;
extern int32_t TimeForNextAOupdate;
// The scope trace: x of the last drawn point (-1000 before the first), the y of the
// resting position and the plot's midline and pixels per volt.
extern float oldscopex;
extern float ScYpos;
extern float ScopeBase;
extern float ScopeCalibrationFactor;
// Full-scale volts of the scope plot's calibration.
extern float scsf;
// The scope loops' Escape and Tab flags.
extern int16_t EscapeKeyHit;
extern int16_t TabKeyHit;
// The time ticks' bookkeeping of the chart.
extern double zz;
extern float NextTicPosition;

// ---- capacity limits and the display speed ---------------------------------------------
// Chart samples per channel and scope samples per trace the program accepts at most.
extern int32_t MaximumSamples;
extern int32_t MaximumScopeSamples;
// Chart samples of one recording (end of the sampling period); the recording window
// width (slot 11) at start-up.
extern int32_t MaxSamples;
// The start-up speed test's figure (17000 divided by the measured count) and whether
// it reached 221.
extern int16_t FreeRunSpeed;
extern int16_t CPU_is_Fast;
// Toggle of the options window's A-D item 19.
extern int16_t MENU19toggle;
// Digits chosen in the View menu (4, 5 or 6).
extern int16_t SignificantFigures;
// The build date shown by the About window.
extern Str255 version;
// Set to 1 by every menu command, so windows that keep their own state across
// menu commands (the switching set-up) learn that one was chosen.
extern int16_t extswitchflag;
// The recording mode the A-D menu's serial instrument command restores (0 none).
extern int16_t OldScopeOn;

// ---- number text ---------------------------------------------------------------------
// Significant digits of the plain number-to-text rule; 5 at start-up, changed
// only by the windows that ask for other digits and set it back.
extern int16_t SignificantDigits;

// ---- colours -------------------------------------------------------------------------
// Fixed palette colours of the drawing kit and the views.
extern RGBColor LightGray, gray, DarkGray, veryDarkGray, mediumDarkGray, rgbyellow, sunset, RGBred, RGBblue;
// Light palette colours: start-up defaults here; the preferences file and the
// colour window may replace them.
extern RGBColor lightBlue, zcyan, VeryLightGray, veryLightBlue, extremelyLightGray, manila;
// Colours of the embossed labels and a few windows.
extern RGBColor Aqua, blueGray, B_red;
// The stored chart and scope colours: start-up defaults here; the preferences
// file and the colour window replace them.
extern RGBColor ChartFrameColor, ChartBackgroundColor, ChartDataColor, MarkerColor, ScopeDataColor,
    ScopeBackgroundColor, FastScopeBackground, ScopeFrameColor;
// Frame and label colours of the present view (chart or scope colours).
extern RGBColor PlotFrameColor, Pblack;
// The eight stored colours and the light palette colours to their defaults.
void DEFAULTCOLORS();
// The fixed palette colours of the kit and the views.
void SetFixedPaletteColors();

// Edit-field colour codes applied by SetEditFieldColors (text, background).
extern int16_t EFForeColor;
extern int16_t EFBackColor;

// ---- fonts, special characters, sounds ----------------------------------------------
// Font numbers: KestraneFont stands for the display font chosen at start-up;
// WindowFont is the font code of appearance buttons (control kind WindowFont + 32).
extern int16_t KestraneFont;
extern int16_t WindowFont;
// One-character Mac Roman strings (degC is the degree sign and "C").
extern Str255 degrees, degC, delta, bullet, piValue, divideBy, copyrightSign;
// Sounds switched on (Edit menu "Play Sounds"; kept in the preferences file).
extern int32_t Sound_Is_On;

// ---- drawing kit -----------------------------------------------------------------------
// The dash code last applied by the line primitives (a copy of slot 61).
extern int16_t DashedLine;
// Which layout the scrolling text window uses: 2 the chart-mode layout.
extern int16_t NIBwindowIndex;

// ---- flies of the start-up and About windows --------------------------------------------
// Rows 1..Nflies: x, y, horizontal step, vertical step (pixels of the fly layer).
constexpr int kMaxFlies = 10;
extern int16_t Nflies;
extern std::array<std::array<int16_t, 4>, kMaxFlies + 1> FlyPositionArray;

// ---- document handed over at launch ---------------------------------------------------
// The path of the last document handed over (empty: none), and 1 when that
// document is a set-up file.
extern std::string CLICKEDSetupFileCFURL;
extern int16_t FileIconWasClicked;

// Channel labels, 30-character blank-padded fields: channels 1-8 and 9-16 (read and
// written through kit/channel_labels.h).
extern Str255 datalabel;
extern Str255 datalabel2;

void ResetKitState();

}  // namespace mv
