#include "shell/initial_values.h"

#include <algorithm>
#include <cstdio>

#include "acquisition/state.h"
#include "control/state.h"
#include "conversions/state.h"
#include "devices/state.h"
#include "files/prefs_file.h"
#include "files/state.h"
#include "kit/prefs_slots.h"
#include "kit/state.h"
#include "runtime/system.h"
#include "setup/state.h"

namespace mv {

namespace {

constexpr int kFullWidth = 1024;
constexpr int kFullHeight = 768;
constexpr int kDisplayMargin = 50;
constexpr double kScopeInterval = 0.0166667;

// Step 1: the flags of the windows and the preference slots of the table.
void SetFlagsAndSlots(int displayHeight) {
  EditFieldWasSelected = 0;
  MENU19toggle = 0;
  AnimationDoneAlready = 0;
  backupfile.clear();
  appendDATE = 0;
  PrefsArray = kPrefsInitialValues;
  PrefsArray[PrefsSlot::WindowHeight] = static_cast<int16_t>(std::clamp(displayHeight, 0, 32767));
}

// Step 2: interface, device, switching, output, feedback and alert defaults.
void SetDeviceAndOutputDefaults() {
  ActiveSerialPort = -1;
  baudrate = 9600;
  Digital_Port = 2;
  counterstart = 0;
  mainsfrequency = 60;
  DT800FastAcquisitionMode = 0;
  SerialWarningBuzz = 1;
  GainSet = 1;
  for (int c = 1; c <= 16; ++c) DataTakerChannels[c][DataTakerWord::Kind] = 1;
  MarkerCounter = 201;
  SetOutputAndAlertDefaults();
  AudibleALARM = 0;
  SampRateError = 0.03f;
  // Kept in the preferences file, so set before it is read.
  Max_Display_Speed = 10'000;
}

// Step 2, continued: triggers and views.
void SetTriggerAndViewDefaults() {
  TriggerSequence = 1;
  TriggerSaveCount = 1;
  ScopeViewSTEP = 1;
  Tscope = 0;
  AltChartInt = 0;
  AltScopeInt = 0;
  XYPlotWindow = 0;
  ExpandXYup = 0;
  ExpandXYdown = 0;
}

// Step 5: edit-field colours, conversion types, custom buttons, breakpoint rows.
void SetConversionDefaults() {
  EFForeColor = 1;
  EFBackColor = 1;
  for (int c = 1; c <= 16; ++c) ChannelVariables[0][c] = 1.0f;
  WriteCustomConversionPresets();
  WriteBreakpointStartValues();
}

// Step 9: intervals, views, channel count, experiment conditions and the font code.
void SetIntervalDefaults() {
  MaxSamples = PrefsArray[PrefsSlot::WindowWidth];
  ChartIntervalInSeconds = 1.0;
  OldChartSpeed = 1.0;
  OldChartSpeedBut = 9;
  ScopeIntervalInSeconds = kScopeInterval;
  OldScopeSpeed = kScopeInterval;
  scopeinterval = static_cast<float>(kScopeInterval);
  OldScopeSpeedBut = 2;
  ChartView = 1.0f;
  TimedSaveINTERVAL = 108'000;
  nChannels = 0;
  LastChanModified = 0;
  SpikeFilterRatio = 2.0f;
  BarometricPressure = 760.0f;
  flowrate = 100.0f;
  WindowFont = 8;
}

}  // namespace

WindowSize RecordingWindowSizeForDisplay(int displayWidth, int displayHeight) {
  int width = kFullWidth;
  int height = std::min(kFullHeight, displayHeight - kDisplayMargin);
  if (displayWidth < kFullWidth) {
    width = displayWidth - kDisplayMargin;
    height = displayHeight - kDisplayMargin;
  }
  return WindowSize{static_cast<int16_t>(std::clamp(width, 1, 32767)),
                    static_cast<int16_t>(std::clamp(height, 1, 32767))};
}

int16_t MaximumChansForDisplayHeight(int displayHeight) {
  return displayHeight == kMinimumDisplayHeight ? 12 : 16;
}

bool DisplayTooLow(int displayHeight) {
  return displayHeight < kMinimumDisplayHeight;
}

int16_t SetInitialVariableValues() {
  const int displayWidth = rt::DisplayWidth();
  const int displayHeight = rt::DisplayHeight();

  SetFlagsAndSlots(displayHeight);
  MaximumChans = MaximumChansForDisplayHeight(displayHeight);
  DEFAULTCOLORS();
  SetDeviceAndOutputDefaults();
  SetTriggerAndViewDefaults();

  PrefsArray[PrefsSlot::WindowWidth] = static_cast<int16_t>(std::clamp(displayWidth, 0, 32767));
  MaximumSamples = 2'000'000;
  MaximumScopeSamples = 16'384;

  if (DisplayTooLow(displayHeight)) {
    // No window can open yet, so the reason goes to standard error; a refusal is
    // never reported as success.
    std::fputs("Mirevant needs a display at least 480 pixels high; this display is lower.\n", stderr);
    rt::ExitProgram(1);
  }

  SetConversionDefaults();
  SetInitialColorValues();
  RecordingMODE = RecordingModeCode::Chart;
  ScopeScale = 1;

  // A size chosen in the preferences window takes effect at this start, fitted
  // to the display; otherwise the display decides.
  WindowSize size = RecordingWindowSizeForDisplay(displayWidth, displayHeight);
  if (auto stored = StartupWindowSize(LastPreferencesLoad(), PrefsArray[PrefsSlot::WindowSizeChoice],
                                      PrefsArray[PrefsSlot::WindowWidth], PrefsArray[PrefsSlot::WindowHeight],
                                      displayWidth, displayHeight))
    size = WindowSize{stored->width, stored->height};
  PrefsArray[PrefsSlot::WindowWidth] = size.width;
  PrefsArray[PrefsSlot::WindowHeight] = size.height;
  SetIntervalDefaults();
  return 0;
}

}  // namespace mv
