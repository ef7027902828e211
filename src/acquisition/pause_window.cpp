#include "acquisition/pause_window.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "acquisition/needs.h"
#include "acquisition/recording_keys.h"
#include "acquisition/screen_rules.h"
#include "acquisition/state.h"
#include "acquisition/ticks.h"
#include "acquisition/time_axis.h"
#include "acquisition/toolbar.h"
#include "control/switching_schedule.h"
#include "conversions/evaluate.h"
#include "conversions/state.h"
#include "devices/demonstration.h"
#include "devices/dispatcher.h"
#include "devices/needs.h"
#include "devices/state.h"
#include "devices/stream_reader.h"
#include "files/file_time.h"
#include "files/state.h"
#include "kit/builders.h"
#include "kit/channel_labels.h"
#include "kit/format.h"
#include "kit/popups.h"
#include "kit/protocol.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {
namespace {

constexpr int16_t W = kPauseWindow;
constexpr RGBColor kBlack{0, 0, 0};
constexpr int16_t kPauseWidth = 502, kPauseHeight = 134;
constexpr int16_t kCloseItem = 61;
constexpr std::size_t kLongestNote = 254;

// What the window keeps while it runs.
struct PauseRun {
  int32_t start = 0;
  // When the pause began (microsecond clock in seconds): the schedule is held from
  // there until the run goes on.
  double startSeconds = 0;
  double oldInterval = 0;
  bool scalesOpened = false;
  int64_t lastRefresh = -1'000'000;
  int32_t shownSeconds = -1;
};

bool ScopeModes() {
  return RecordingMODE == RecordingModeCode::Scope || RecordingMODE == RecordingModeCode::ScopeChart;
}
bool Streaming() {
  return External_AD == ExternalADCode::SerialStream;
}
int PlotWidth() {
  return PrefsArray[PrefsSlot::WindowWidth];
}

int32_t PausedSeconds(int32_t start) {
  return static_cast<int32_t>((static_cast<int64_t>(rt::TickCount()) - start) / 60);
}

void ShowPausedSeconds(PauseRun& run) {
  const int32_t s = PausedSeconds(run.start);
  if (s == run.shownSeconds) return;
  run.shownSeconds = s;
  rt::SetEditText(kPauseSecondsField, NumText(s).str());
}

// A click on the toolbar's Resume icon while the pause window is in front.
void PauseToolbarClick() {
  if (rt::LastClickWindow() != kToolbarWindow) return;
  const Point p = rt::LastClickPosition();
  if (ToolbarHit(p.h, p.v, RecordingMODE) == kResumeIcon) ResumeIconClicked = 1;
  if (rt::WindowExists(W)) rt::BringWindowForward(W);
}

void PauseDialog(int16_t kind, int16_t eventItem) {
  doDIALOG(kind, eventItem);
  if (kind == 3 && eventItem == kToolbarWindow) PauseToolbarClick();
}

void PauseMouse(int /*clicks*/) {
  PauseToolbarClick();
}

void BuildResumeAndRefresh() {
  rt::NewControl(kPauseRefresh, rt::ControlType::PushButton, "Refresh", RectOf(305, 55, 388, 76), 1);
  rt::NewControl(kPauseResume, rt::ControlType::DefaultButton, "Resume", RectOf(398, 55, 480, 76), 1);
}

void BuildPauseWindow() {
  const int16_t x = static_cast<int16_t>((rt::DisplayWidth() - 350) / 2 - 185);
  BuildWINDOW(W, "Acquisition Pause...", x, 50, static_cast<int16_t>(x + kPauseWidth), 50 + kPauseHeight, 6);
  BuildResumeAndRefresh();
  rt::NewControl(kPauseScales, rt::ControlType::PushButton, "\xC6 Display Scale...", RectOf(168, 55, 298, 76),
                 1);
  BUILDEF(kPauseNoteField, "", 15, 106, 490, 124, 1, 0);
  BUILDEF(kPauseSecondsField, "", 295, 16, 365, 34, 5, 2);
  rt::FontSpec seconds = KitFont(3, 14);
  seconds.bold = true;
  rt::SetEditFont(kPauseSecondsField, seconds);
  Popup250(kPopupMenu);
  rt::NewPopupControl(kPauseIntervalPopup, kPopupMenu, "", RectOf(15, 55, 161, 76), 1);
  rt::NewProgressBar(kPauseBusy, RectOf(150, 14, 200, 41), 0, 0, 0);  // an endless bar: busy
  const rt::FontSpec font = KitFont(KestraneFont, 14);
  rt::DrawText(20, 96, "Enter a short note if you wish (< 255 characters; text doesn't wrap):", font, kBlack);
  rt::DrawText(200, 31, "paused for", font, kBlack);
  rt::DrawText(376, 31, "seconds", font, kBlack);
  DrawIcon(139, 40, 44);
  rt::FlushWindow();
  rt::FocusEditField(kPauseNoteField);
  rt::SelectEditText(kPauseNoteField, 0, -1);
  if (SoundsOn()) PlaySound("skid.mp3", "MVsounds");
  rt::SetEditKeyHandler(CheckRETURN);
  rt::SetDialogHandler(PauseDialog);
  rt::SetMouseHandler(PauseMouse);
}

// ---- refresh ---------------------------------------------------------------------------------

float StreamFieldValue(int16_t ch) {
  for (int n = 1; n <= 16; ++n)
    if (serialArray[n][2] == static_cast<float>(ch)) return serialArray[n][1];
  return kBadReading;
}

float AbsoluteOf(float v) {
  return std::fabs(v);
}

// The pause's reading of every channel, averaged: the mean of the readings that
// succeeded (a failed reading is no reading), the last channel as an absolute value
// when asked.
std::array<float, 17> PauseReadings(int readings) {
  std::array<float, 17> out{};
  ChannelSweep sweep(0);
  for (int16_t ch : SweepOrder(1, std::min<int16_t>(nChannels, 16))) {
    hardwareADchannel = WholeCode(ChannelVariables[ch][ChanField::Input]);
    for (int i = 0; i < readings; ++i) {
      if (External_AD == ExternalADCode::Demonstration) {
        float v = DemonstrationMODE == 1 ? DemonstrationPauseReading() : volts;
        if (DemonstrationMODE == 1 && ch == 1 && ScopeModes() && ScopeGain != 0) v /= ScopeGain;
        sweep.Keep(ch, v);
      } else if (Streaming()) {
        sweep.Keep(ch, StreamFieldValue(ch));
      } else {
        sweep.Read(ch);
        rt::BringWindowForward(W);
      }
    }
  }
  sweep.Settle();
  for (int16_t ch = 1; ch <= nChannels && ch <= 16; ++ch) {
    const bool absolute = AbsoluteValue == 1 && ch == nChannels;
    const std::optional<float> mean = sweep.MeanOf(ch, absolute ? AbsoluteOf : nullptr);
    out[ch] = mean ? *mean : sweep.FailedValueOf(ch);
  }
  return out;
}

void RefreshChannels() {
  const int readings = External_AD == ExternalADCode::Demonstration ? 5 : (Streaming() ? 1 : 2);
  // One line of the stream serves every channel.
  if (Streaming()) services::ReadSerialStream(1);
  const std::array<float, 17> means = PauseReadings(readings);
  for (int16_t ch = 1; ch <= nChannels && ch <= 16; ++ch) {
    LoadWorkingCoefficients(ch);
    if (ch == 1 && ScopeModes()) bval = 1;
    const float value = EvaluateConversion(ch, means[ch], ASCIIvalue);
    if (ShowDisplays && rt::WindowExists(kAcquisitionWindow)) {
      rt::SetOutputWindow(kAcquisitionWindow);
      rt::SetEditText(static_cast<int16_t>(ch + 6), NumText(value).str());
    }
  }
  rt::SetOutputWindow(W);
}

void TryRefresh(PauseRun& run) {
  const int64_t now = rt::TickCount();
  const int gap = Streaming() ? 60 : 30;
  if (now - run.lastRefresh < gap) return;
  run.lastRefresh = now;
  RefreshChannels();
}

// ---- interval --------------------------------------------------------------------------------

void ChangeInterval() {
  SampleRateChanged = 1;
  if (const auto interval = PauseIntervalForItem(rt::ControlValue(kPauseIntervalPopup)))
    ChartIntervalInSeconds = *interval;
  const PauseDuration d = DurationAfterIntervalChange(ChartIntervalInSeconds, MaxSamples, PlotWidth());
  TraceLength = d.traceLength;
  minute_units = d.minuteUnits;
  tfact = d.tfact;
}

// ---- resume ----------------------------------------------------------------------------------

void ReadBackRanges() {
  rt::SetOutputWindow(W);
  for (int16_t ch = 1; ch <= nChannels; ++ch) {
    if (!rt::EditFieldExists(ch) || !rt::EditFieldExists(static_cast<int16_t>(ch + 16))) continue;
    miny = static_cast<float>(TextToNumber(rt::EditText(ch)));
    maxy = static_cast<float>(TextToNumber(rt::EditText(static_cast<int16_t>(ch + 16))));
    ChannelVariables[ch][ChanField::PlotMin] = miny;
    ChannelVariables[ch][ChanField::PlotMax] = maxy;
  }
}

void Resume(const PauseRun& run) {
  rt::PumpEvents(0);
  rt::SetOutputWindow(W);
  rt::DisposeControl(kPauseBusy);
  std::string note = rt::EditText(kPauseNoteField);
  if (note.size() > kLongestNote) note.resize(kLongestNote);
  rt::CloseWindow(W);
  rt::FlushEvents();
  // The run goes on: the serial readers' waits serve the toolbar and notes again.
  HavePaused = 0;
  // The keys as they are now: the pause keys read before the pause must not pause again.
  KeystrokeArray = rt::GetKeys();
  if (rt::WindowExists(kAcquisitionWindow)) rt::BringWindowForward(kAcquisitionWindow);
  // Sampling starts again now: the next sample is due at once and the schedule goes on
  // from there, so the paused time is neither sampled nor caught up. The pause records
  // the time the schedule really skipped: from the later of the pause's start and the
  // next due time.
  const double now = GetCurrentTimeInSeconds();
  CurrentTimeInSeconds = now;
  // A sample stands only on readings of its own interval: the lines a streaming
  // instrument sent while paused wait at the port, and the next sample must not take
  // one of them.
  if (Streaming()) ForgetStreamLinesSoFar();
  const double skipped = HoldChartAxis(run.startSeconds, now);
  // A new interval runs from the next sample on; the samples taken keep theirs, and the
  // log records which they stand on.
  const double oldInterval =
      SampleRateChanged == 1 ? ChangeChartInterval(ChartIntervalInSeconds) : run.oldInterval;
  const int64_t ticks = rt::TickCount();
  // The scope of scope-plus-chart goes on from now too, or it would make up the
  // paused time in a burst of points read back to back. The sweep under way starts
  // that much later: its measured length, which a saved sweep's interval and the rate
  // check are taken from, counts the time it swept, not the pause.
  if (RecordingMODE == RecordingModeCode::ScopeChart)
    HoldScopeAxis(now, static_cast<int32_t>(ticks - run.start));
  const double minutes = skipped / 60.0;
  totalPauseDuration += static_cast<float>(minutes);
  CumulativePauseContainer +=
      PauseLogEntry({minutes, Sample, note, SampleRateChanged == 1, oldInterval, ChartIntervalInSeconds});
  if (SampleRateChanged == 1) COMPUTETICS();
  if (TimedBackupsOn() && int64_t{NextSAVEtime} < ticks) NextSAVEtime = ScheduleTick(ticks + 3600.0);
  acq_hooks::ScreenINFO();
}

enum class PauseStep { Stay, Resume, ResumeAtOnce };

PauseStep HandlePauseEvent(PauseRun& run) {
  if (ResumeIconClicked) {
    ResumeIconClicked = 0;
    return PauseStep::Resume;
  }
  if (Action == ActionCode::Key) return PauseStep::Resume;
  if (Action == ActionCode::CloseBox && EventID == W) return PauseStep::ResumeAtOnce;
  if (Action != ActionCode::Click) return PauseStep::Stay;
  switch (EventID) {
    case kPauseResume:
      return PauseStep::Resume;
    case kCloseItem:
      return PauseStep::ResumeAtOnce;
    case kPauseScales:
      run.scalesOpened = true;
      rt::SizeWindow(W, kPauseWidth, static_cast<int16_t>(20 * nChannels + 164));
      rt::SetControlState(kPauseScales, 0);
      ResetChannelDisplayScale(run.start);
      break;
    case kPauseRefresh:
      TryRefresh(run);
      break;
    case kPauseIntervalPopup:
      ChangeInterval();
      break;
    default:
      break;
  }
  return PauseStep::Stay;
}

}  // namespace

std::optional<double> PauseIntervalForItem(int item) {
  static constexpr std::array<double, 13> kIntervals = {
      0.002, 0.004, 0.008, 0.016667, 0.033333, 0.066667, 0.1, 0.25, 0.5, 1, 2, 5, 10};
  if (item < 2 || item > static_cast<int>(kIntervals.size()) + 1) return std::nullopt;
  return kIntervals[static_cast<std::size_t>(item - 2)];
}

std::string PauseLogEntry(const PauseLogFacts& f) {
  constexpr int kIntervalDigits = 10;
  std::string s = "   ----------\r";
  s += " *  Acquisition paused for" + LoggedMinutesText(f.minutes) + " minutes at case" +
       NumText(f.sample).str() + "\r";
  if (!f.note.empty()) s += f.note + "\r";
  if (f.intervalChanged) {
    // Ten digits, so that a reader times every sample from these lines exactly.
    s +=
        "        CAUTION:  old sample interval = " + NumText(f.oldInterval, kIntervalDigits).str() + " sec\r";
    s += "                         new sample interval = " + NumText(f.newInterval, kIntervalDigits).str() +
         " sec from case" + NumText(f.sample).str() + "\r";
  }
  return s;
}

PauseDuration DurationAfterIntervalChange(double interval, int32_t maxSamples, int w) {
  PauseDuration d;
  d.traceLength = static_cast<float>(interval * maxSamples);
  d.minuteUnits = d.traceLength > 600 ? 1 : 0;
  if (d.minuteUnits) d.traceLength /= 60;
  if (maxSamples > 0 && w > 0)
    d.tfact =
        (d.traceLength / static_cast<float>(w)) * static_cast<float>(w) / static_cast<float>(maxSamples);
  return d;
}

void ResetChannelDisplayScale(int32_t pauseStart) {
  rt::PumpEvents(0);
  rt::FlushEvents();
  rt::SetOutputWindow(W);
  const rt::FontSpec font = KitFont(KestraneFont, 12);
  rt::DrawText(13, 152, "Channels", font, kBlack);
  rt::DrawText(285, 152, "minimum Y   maximum Y", font, kBlack);
  rt::DisposeControl(kPauseResume);
  rt::DisposeControl(kPauseRefresh);
  rt::NewControl(kPauseResume, rt::ControlType::PushButton, "Done With Scales", RectOf(305, 55, 480, 76), 1);
  for (int16_t ch = 1; ch <= nChannels; ++ch) {
    const int row = 176 + 20 * (ch - 1);
    rt::DrawText(ch < 10 ? 13 : 1, row - 3, (NumText(ch) + ":").str(), font, kBlack);
    BUILDEF(static_cast<int16_t>(100 + ch), ChannelLabel(ch), 40, row - 15, 270, row - 2, 5, 0);
    BUILDBOX(39, row - 16, 271, row - 1);
    BUILDEF(ch, NumText(ChannelVariables[ch][ChanField::PlotMin]), 275, row - 15, 355, row - 2, 1, 2);
    BUILDEF(static_cast<int16_t>(ch + 16), NumText(ChannelVariables[ch][ChanField::PlotMax]), 360, row - 15,
            440, row - 2, 1, 2);
  }
  rt::FlushWindow();
  PauseRun shown;
  shown.start = pauseStart;
  Action = 0;
  EventID = 0;
  while (rt::WindowExists(W)) {
    rt::PumpEvents();
    rt::SetOutputWindow(W);
    ShowPausedSeconds(shown);
    const bool done = Action == ActionCode::Click && EventID == kPauseResume;
    Action = 0;
    EventID = 0;
    if (done) break;
  }
  if (!rt::WindowExists(W)) return;
  rt::FocusEditField(0);
  rt::DisposeControl(kPauseResume);
  BuildResumeAndRefresh();
}

void PAUSE() {
  const HandlerScope callersHandlers;
  PauseRun run;
  run.oldInterval = ChartIntervalInSeconds;
  ControlStripClicked = 0;
  ResumeIconClicked = 0;
  SampleRateChanged = 0;
  rt::PumpEvents(0);
  rt::FlushEvents();
  // While paused, the pause window takes the events: a serial read (Refresh) must not
  // serve the toolbar or the notes.
  HavePaused = 1;
  run.start = static_cast<int32_t>(rt::TickCount());
  run.startSeconds = GetCurrentTimeInSeconds();
  BuildPauseWindow();
  Action = 0;
  EventID = 0;
  PauseStep step = PauseStep::Stay;
  while (step == PauseStep::Stay) {
    rt::PumpEvents();
    if (!rt::WindowExists(W)) {
      BuildPauseWindow();  // closed behind the loop's back: the pause goes on
      continue;
    }
    rt::SetOutputWindow(W);
    ShowPausedSeconds(run);
    step = HandlePauseEvent(run);
    Action = 0;
    EventID = 0;
  }
  if (step == PauseStep::Resume && run.scalesOpened) ReadBackRanges();
  Resume(run);
}

}  // namespace mv
