#include "kit/state.h"

namespace mv {

Str255 datalabel;
Str255 datalabel2;
int16_t Action = 0;
int32_t EventID = 0;
int16_t MENUID = 0;
int16_t item = 0;
int16_t EditFieldWasSelected = 0;
int16_t MV_ProcessSelected = 0;
int16_t RecordingLoopRunning = 0;
int16_t CommandQTyped = 0;
uint32_t PreviousUpdateTime = 0;
int16_t MathOperation = 0;
std::array<int16_t, kPrefsSlots> PrefsArray{};
int16_t SignificantDigits = 5;
int16_t RecordingMODE = 1;
int32_t MaximumSamples = 2'000'000;
int32_t MaximumScopeSamples = 16'384;
int32_t MaxSamples = 1024;
int16_t FreeRunSpeed = 17000;
int16_t CPU_is_Fast = 1;
int16_t MENU19toggle = 0;
int32_t nSamples = 0;
int32_t TimeAtStart = 0;
ChartRunTiming ChartTiming;
int16_t StartOver = 0;
int32_t LastScopeDur = 0;
float totalPauseDuration = 0;
int16_t SampleRateChanged = 0;
int32_t TimeForNextAOupdate = 0;
float oldscopex = -1000;
float ScYpos = 0;
float ScopeBase = 0;
float ScopeCalibrationFactor = 0;
float scsf = 5;
int16_t EscapeKeyHit = 0;
int16_t TabKeyHit = 0;
double zz = 0;
float NextTicPosition = 0;
int16_t SignificantFigures = 5;
Str255 version;
int16_t extswitchflag = 0;
int16_t OldScopeOn = 0;
int16_t Nflies = 0;
std::array<std::array<int16_t, 4>, kMaxFlies + 1> FlyPositionArray{};

RGBColor LightGray, gray, DarkGray, veryDarkGray, mediumDarkGray, rgbyellow, sunset, RGBred, RGBblue;
RGBColor lightBlue, zcyan, VeryLightGray, veryLightBlue, extremelyLightGray, manila;
RGBColor Aqua, blueGray, B_red;
RGBColor ChartFrameColor, ChartBackgroundColor, ChartDataColor, MarkerColor, ScopeDataColor,
    ScopeBackgroundColor, FastScopeBackground, ScopeFrameColor;
RGBColor PlotFrameColor, Pblack;
int16_t EFForeColor = 1;
int16_t EFBackColor = 1;
int16_t KestraneFont = 1;
int16_t WindowFont = 8;
Str255 degrees, degC, delta, bullet, piValue, divideBy, copyrightSign;
int32_t Sound_Is_On = 1;
int16_t DashedLine = 0;
int16_t NIBwindowIndex = 0;
std::string CLICKEDSetupFileCFURL;
int16_t FileIconWasClicked = 0;

void SetFixedPaletteColors() {
  LightGray = {58900, 58900, 58900};
  gray = {51200, 51200, 51200};
  DarkGray = {39200, 39200, 39200};
  veryDarkGray = {13110, 13110, 14098};
  mediumDarkGray = {24110, 24110, 25098};
  rgbyellow = {64512, 62333, 1327};
  sunset = {65535, 65299, 25461};
  RGBred = {65535, 0, 0};
  RGBblue = {0, 0, 44098};
}

void DEFAULTCOLORS() {
  ChartFrameColor = {0, 0, 54272};
  ChartBackgroundColor = {577, 43860, 60159};
  ChartDataColor = {0, 0, 0};
  MarkerColor = {65535, 65535, 65535};
  ScopeDataColor = {64512, 62333, 1327};
  ScopeBackgroundColor = {0, 0, 54272};
  FastScopeBackground = {56680, 2242, 1698};
  ScopeFrameColor = {64512, 62333, 1327};
  lightBlue = {56267, 59584, 65535};
  zcyan = {1577, 48860, 63159};
  VeryLightGray = {57600, 57600, 57600};
  veryLightBlue = {59600, 59600, 65535};
  extremelyLightGray = {61400, 61400, 61400};
  manila = {65535, 65399, 50461};
}

namespace {

void ResetColors() {
  SetFixedPaletteColors();
  DEFAULTCOLORS();
  Aqua = {0, 55700, 65535};
  blueGray = {26000, 34000, 42400};
  B_red = {65530, 0, 0};
  PlotFrameColor = {0, 0, 54272};
  Pblack = {0, 0, 0};
}

}  // namespace

void ResetKitState() {
  datalabel.clear();
  datalabel2.clear();
  Action = 0;
  EventID = 0;
  MENUID = 0;
  item = 0;
  EditFieldWasSelected = 0;
  MV_ProcessSelected = 0;
  RecordingLoopRunning = 0;
  CommandQTyped = 0;
  PreviousUpdateTime = 0;
  MathOperation = 0;
  PrefsArray.fill(0);
  SignificantDigits = 5;
  RecordingMODE = 1;
  MaximumSamples = 2'000'000;
  MaximumScopeSamples = 16'384;
  MaxSamples = 1024;
  FreeRunSpeed = 17000;
  CPU_is_Fast = 1;
  MENU19toggle = 0;
  nSamples = 0;
  TimeAtStart = 0;
  ChartTiming = {};
  StartOver = 0;
  LastScopeDur = 0;
  totalPauseDuration = 0;
  SampleRateChanged = 0;
  TimeForNextAOupdate = 0;
  oldscopex = -1000;
  ScYpos = 0;
  ScopeBase = 0;
  ScopeCalibrationFactor = 0;
  scsf = 5;
  EscapeKeyHit = 0;
  TabKeyHit = 0;
  zz = 0;
  NextTicPosition = 0;
  SignificantFigures = 5;
  version = "1 September 2017";
  extswitchflag = 0;
  OldScopeOn = 0;
  Nflies = 0;
  for (auto& row : FlyPositionArray) row.fill(0);
  ResetColors();
  EFForeColor = 1;
  EFBackColor = 1;
  KestraneFont = 1;
  WindowFont = 8;
  degrees = "\xA1";
  degC = degrees + "C";
  delta = "\xC6";
  bullet = "\xA5";
  piValue = "\xB9";
  divideBy = "\xD6";
  copyrightSign = "\xA9";
  Sound_Is_On = 1;
  DashedLine = 0;
  NIBwindowIndex = 0;
  CLICKEDSetupFileCFURL.clear();
  FileIconWasClicked = 0;
}

// The shell's values hold their start-up values before main runs, so code that
// runs before the first reset (and every test) sees them.
namespace {
[[maybe_unused]] const bool kKitValuesSet = (ResetKitState(), true);
}  // namespace

}  // namespace mv
