#include "acquisition/state.h"

#include <algorithm>

#include "devices/state.h"
#include "kit/state.h"
#include "setup/state.h"

namespace mv {

int32_t Sample = 0;
int16_t HavePaused = 0;
int16_t LatestSampleFailed = 0;
int16_t NoteWindowIsOpen = 0;
std::array<std::array<float, kXYFields>, 17> XYregressionArray{};
float XYaxisChannelX = 0.0f;
float XYaxisChannelY = 0.0f;
float XYplotSize = 0.0f;
int16_t XYPlotWindow = 0;
int16_t ExpandXYup = 0;
int16_t ExpandXYdown = 0;
int32_t LastXYClear = 0;

float ChartView = 1.0f;
int16_t ScopeScale = 1;
int16_t ScopeViewSTEP = 1;
int32_t Tscope = 0;
float scopeXfactor = 0;
int16_t MarkerCounter = 201;

double CurrentTimeInSeconds = 0.0;
double TimeOfNextChartSample = 0.0;
int32_t timeNow = 0;
int32_t TicsAtLastSample = 0;
int32_t TimeForNextWindowFlush = 0;
int32_t NextMarkerTime = 0;
int32_t NextTimeMoreCASEs = 0;
int32_t timeToCloseRefcheck = 0;
int32_t TimeForNextCursorFix = 0;
int32_t ScSample = 0;
int32_t TotScopeSample = 0;
double NextScopeTimeInSeconds = 0;
int32_t Bscopetics = 0, Escopetics = 0;
int16_t scope2total = 0;
int32_t NscrnCASEs = 0;
int32_t LastNsCasx = 0;
int32_t ScreenCapacity = 0;
StripLayoutBeforeFit ChosenStripLayout;
int16_t ShowDisplays = 0;
int16_t NewScreen = 0;
float donefact = 0.0f;
int16_t SegmentsInProgressBar = 0;
float OverRangeVolts = 5.0f;
int16_t BottomOfPlot = 0;
int16_t UseScopeColors = 0;
float TraceLength = 0.0f;
int16_t minute_units = 0;
std::array<uint8_t, 16> KeystrokeArray{};
int16_t ShiftON = 0;
int16_t ASCIIvalue = 0;
int16_t ControlStripClicked = 0;
int16_t StopIconClicked = 0, PauseIconClicked = 0, ResumeIconClicked = 0, MarkerIconClicked = 0,
        SaveScopeIconClicked = 0, ReplayIconClicked = 0, TimeToRefIconClicked = 0, AddTimeIconClicked = 0,
        BackupIconClicked = 0, SampleIconClicked = 0, ReferenceIconClicked = 0;
int16_t replayTheData = 0;
int16_t ReplayAutoScaling = 0;
int16_t ShowXYPlot = 0;
std::array<MarkerRecord, kMaxMarkers + 1> MarkersArray{};
int16_t Nmarkers = 0;
int16_t markerFlag = 0;
int16_t AutoMarkCount = 0;
std::array<NoteRecord, kMaxNotes + 1> fileRemarks{};
int16_t NumberOfNotes = 0;
int32_t NoteSample = 0;
Str255 notetime;
std::array<float, 17> scanvolts{};
int32_t scanavrg = 0;
std::array<ScannedReadingsStored, 17> ScansStored{};
bool LastChannelScannedInRun = false;
ChartStore ChartDataArray;
std::array<std::array<float, kScopeColumns>, kScopeRows> scopedata{};
std::array<ScopeBlockRow, kScopeBufferRows> ScopeBufferArray{};

void ClearToolbarFlags() {
  ControlStripClicked = 0;
  StopIconClicked = PauseIconClicked = ResumeIconClicked = MarkerIconClicked = SaveScopeIconClicked = 0;
  ReplayIconClicked = TimeToRefIconClicked = AddTimeIconClicked = BackupIconClicked = 0;
  SampleIconClicked = ReferenceIconClicked = 0;
}

float TicIntervalInSeconds = 0;
float ticgap = 0;
float scopeticgap = 0;
float span = 0;
double CustomTic = 0;
double CustomScopeTic = 0;
float firsttic = 0;
float tm = 0;
std::array<float, 17> DataCache{};
int16_t ScopeminimumPixels = 0;
int16_t ScopeHite = 0;
int16_t midPix = 0;
int16_t scbottom = 0;
int16_t hite = 0;
int16_t gridsize = 0;
int16_t StopAlertNotDoneYet = 1;
int16_t NBackUp = 0;
int32_t ToolbarTimeStart = 0;
int32_t TotalToolbarTime = 0;
int16_t MouseWasClicked = 0;
int16_t leftedge = 0;
int16_t VerticalPosition = 0;
int16_t HorizontalPosition = 0;

void ResetScreenValues() {
  TicIntervalInSeconds = 0;
  ticgap = 0;
  scopeticgap = 0;
  span = 0;
  CustomTic = 0;
  CustomScopeTic = 0;
  firsttic = 0;
  tm = 0;
  DataCache.fill(0.0f);
  ScopeminimumPixels = ScopeHite = midPix = scbottom = 0;
  hite = gridsize = 0;
  StopAlertNotDoneYet = 1;
  NBackUp = 0;
  ToolbarTimeStart = TotalToolbarTime = 0;
  MouseWasClicked = 0;
  leftedge = 0;
  VerticalPosition = HorizontalPosition = 0;
}

void ResetRecordingValues() {
  CurrentTimeInSeconds = 0.0;
  TimeOfNextChartSample = 0.0;
  timeNow = TicsAtLastSample = TimeForNextWindowFlush = 0;
  NextMarkerTime = NextTimeMoreCASEs = timeToCloseRefcheck = TimeForNextCursorFix = 0;
  ScSample = NscrnCASEs = LastNsCasx = ScreenCapacity = 0;
  TotScopeSample = Bscopetics = Escopetics = 0;
  NextScopeTimeInSeconds = 0;
  scope2total = 0;
  AutoMarkCount = 0;
  ShowDisplays = 0;
  NewScreen = 0;
  donefact = 0.0f;
  SegmentsInProgressBar = 0;
  OverRangeVolts = 5.0f;
  BottomOfPlot = 0;
  UseScopeColors = 0;
  TraceLength = 0.0f;
  minute_units = 0;
  KeystrokeArray.fill(0);
  ShiftON = 0;
  ASCIIvalue = 0;
  ClearToolbarFlags();
  replayTheData = 0;
  ReplayAutoScaling = 0;
  ShowXYPlot = 0;
  MarkersArray.fill(MarkerRecord{});
  Nmarkers = 0;
  markerFlag = 0;
  fileRemarks.fill(NoteRecord{});
  NumberOfNotes = 0;
  NoteSample = 0;
  notetime.clear();
  scanvolts.fill(0.0f);
  scanavrg = 0;
  ScansStored.fill({});
  LastChannelScannedInRun = false;
  ChartDataArray.Release();
  // The scope tables start as untouched zeros; writing zeros over zeros would only
  // make their 6 MB resident.
  for (auto& row : scopedata) {
    if (std::any_of(row.begin(), row.end(), [](float f) { return f != 0.0f; })) row.fill(0.0f);
  }
  if (std::any_of(ScopeBufferArray.begin(), ScopeBufferArray.end(), [](const ScopeBlockRow& r) {
        return r.raw != 0.0f || r.averaged != 0.0f || r.spare != 0.0f;
      })) {
    ScopeBufferArray.fill(ScopeBlockRow{});
  }
}

int16_t FastScopeCount = 0;
Str255 FastSweepNote;
std::array<std::optional<float>, 17> LastStoredOfRun{};

void MarkScopeTraceUnread() {
  FastSweepNote = Str255();
  if (RecordingMODE != RecordingModeCode::Scope && RecordingMODE != RecordingModeCode::ScopeChart) return;
  const int32_t last = std::clamp<int32_t>(ScopeMax, 0, kScopeColumns - 1);
  std::fill_n(scopedata[1].begin(), last + 1, kBadReading);
}

void ResetAcquisitionState() {
  ResetRecordingValues();
  LastStoredOfRun.fill(std::nullopt);
  ChosenStripLayout = StripLayoutBeforeFit{};
  FastScopeCount = 0;
  FastSweepNote = Str255();
  Sample = 0;
  HavePaused = 0;
  LatestSampleFailed = 0;
  NoteWindowIsOpen = 0;
  for (auto& row : XYregressionArray) row.fill(0.0f);
  XYaxisChannelX = 0.0f;
  XYaxisChannelY = 0.0f;
  XYplotSize = 0.0f;
  XYPlotWindow = 0;
  ExpandXYup = 0;
  ExpandXYdown = 0;
  LastXYClear = 0;
  ChartView = 1.0f;
  ScopeScale = 1;
  ScopeViewSTEP = 1;
  Tscope = 0;
  scopeXfactor = 0;
  MarkerCounter = 201;
  ResetScreenValues();
}

}  // namespace mv
