#include "control/switching_schedule.h"

#include <cmath>

#include "control/audible_timer.h"
#include "control/device_outputs.h"
#include "control/output_scripts.h"
#include "control/state.h"
#include "control/switching.h"
#include "devices/state.h"
#include "kit/format.h"
#include "kit/state.h"
#include "setup/state.h"

namespace mv {

namespace {

constexpr double kTicksPerMinute = 3'600;  // switching intervals are in minutes

bool MarkersWanted() {
  return PrefsArray[PrefsSlot::MarkerAtSwitch] != 0;
}

// A switch whose commands the line refused waits with them: its marker goes with the
// last of them and is drawn once it has gone out (a switch the instrument never got is
// never marked).
// `at` is when the switch began: its command went out then, unless the line refused it.
void Mark(std::vector<SwitchMarker>& out, double at, char label, bool digit = false) {
  if (!MarkersWanted()) return;
  // Earlier switches this one's commands sent out ahead of it are marked first, at the
  // same sample: the last marker is the switch the valves stand at.
  out.insert(out.end(), SwitchMarkersSent.begin(), SwitchMarkersSent.end());
  SwitchMarkersSent.clear();
  if (SwitchCommandsUnsent())
    UnsentSwitchCommands.back().markers.push_back(SwitchMarker{label, digit});
  else
    out.push_back(SwitchMarker{label, digit, at});
}

double Now() {
  return GetCurrentTimeInSeconds();
}

// Patterns with a reference at the start and the end and one sample period between.
bool StartEndPattern(int16_t p) {
  return p == 3 || p == 4 || p == 7 || p == 8 || p == 9;
}
bool CyclingPattern(int16_t p) {
  return p == 5 || p == 6 || p == 10;
}

// Whether the sequential sweep has switched devices both before the present position and
// from it on: a skipped reference then moves straight to the next device.
bool DevicesOnBothSides() {
  bool below = false, from = false;
  for (int ch = 1; ch <= 8; ++ch) {
    if (ChannelVariables[ch][ChanField::Device] <= 0.0f) continue;
    if (ch < PresentChan)
      below = true;
    else
      from = true;
  }
  return below && from;
}

void ClearUnusedTimes();

// The reference and cycle times from a start tick; ticksPerSecond is the run's or the
// period's rate for the closing reference.
void SetTimes(double t0, double ticksPerSecond) {
  RefOffTime = ScheduleTick(t0 + static_cast<double>(refint) * kTicksPerMinute);
  RefOnTime = ScheduleTick(t0 + static_cast<double>(MaxSamples) * ChartIntervalInSeconds * ticksPerSecond -
                           static_cast<double>(refint) * kTicksPerMinute);
  CycleTime =
      ScheduleTick(static_cast<double>(RefOffTime) + static_cast<double>(switchint) * kTicksPerMinute);
  ClosingReferenceLeftByKey = false;
  ClearUnusedTimes();
}

// A key that puts a sample device on once the closing reference is due (the cycling
// patterns move the reference time on at each switch, and have none) is the user's
// choice over the schedule's: the reference does not come back over it.
void KeyLeavesClosingReference() {
  if (!CyclingPattern(SwitchingMode) && tick >= RefOnTime) ClosingReferenceLeftByKey = true;
}

// Times the pattern has no use for are "never".
void ClearUnusedTimes() {
  const int16_t p = SwitchingMode;
  if (p == 1 || p == 2 || p == 7 || p == 8 || p == 9) CycleTime = kNeverTick;
  if (p == 0) RefOffTime = RefOnTime = CycleTime = kNeverTick;
}

// The devices recorded as on stay those the reference switch just before opened: the
// sample device is not on until its switch, and a reference that left a group's valves
// shut must keep that group's channels zeroed.
void FirstSampleDevice(bool restartSweep) {
  if (SwitchingMode == 0) return;
  if (restartSweep) PresentChan = 0;
  SELECTNEXTVALVE();
}

}  // namespace

int32_t ScheduleTick(double ticks) {
  if (std::isnan(ticks) || ticks >= static_cast<double>(kNeverTick)) return kNeverTick;
  if (ticks <= -2'147'483'648.0) return INT32_MIN;
  return static_cast<int32_t>(std::trunc(ticks));
}

void SwitchingAtRunStart(double t0, bool newRun) {
  // Commands an earlier run could not send still go out first, but their switches
  // belong to that run: this one does not mark them.
  for (UnsentSwitchCommand& c : UnsentSwitchCommands) c.markers.clear();
  SwitchMarkersSent.clear();
  if (newRun) {
    // 59.999 ticks a second: the closing reference falls just inside the run's last sample.
    SetTimes(t0, 59.999);
    FirstSampleDevice(true);
  } else {
    ClearUnusedTimes();
  }
}

void SwitchingAtPeriodStart(double now) {
  if (SwitchingMode != 0 && RefIsON == 0) SWITCHTOREFERENCE();
  SetTimes(now, 59.99);
  // The sequential files pattern keeps its position: each period records the next one.
  FirstSampleDevice(SwitchingMode != 9);
}

std::vector<SwitchMarker> SwitchingBeforeSample() {
  SendUnsentSwitches();
  std::vector<SwitchMarker> out = std::move(SwitchMarkersSent);
  SwitchMarkersSent.clear();
  return out;
}

std::vector<SwitchMarker> SwitchingOnPass(int32_t now) {
  // Switches that waited for the line and have gone out since the last pass.
  std::vector<SwitchMarker> out = std::move(SwitchMarkersSent);
  SwitchMarkersSent.clear();
  const int16_t p = SwitchingMode;
  if (p == 0) return out;
  tick = now;
  if (StartEndPattern(p) && now >= RefOffTime) {
    const double at = Now();
    SWITCHTOSAMPLE();
    Mark(out, at, 'S');
  } else if (CyclingPattern(p) && now >= RefOffTime) {
    const int16_t device = SampleValve;
    const double at = Now();
    CYCLECHANNELS();
    if (p == 10)
      Mark(out, at, static_cast<char>('0' + device), true);
    else
      Mark(out, at, 'S');
  }
  if (now < RefOnTime || ClosingReferenceLeftByKey) return out;
  if (p == 10 && SkipRefsBetweenChannels && DevicesOnBothSides()) {
    RefOffTime = now;
  } else if (RefIsON == 0) {
    const double at = Now();
    SWITCHTOREFERENCE();
    Mark(out, at, 'R');
  }
  return out;
}

std::vector<SwitchMarker> SwitchingOnKeySample() {
  std::vector<SwitchMarker> out;
  const double at = Now();
  KeyboardSampleON();
  // With no switching pattern the key sends nothing: no switch is marked.
  if (SwitchingMode != 0) {
    KeyLeavesClosingReference();
    Mark(out, at, 'S');
  }
  return out;
}

std::vector<SwitchMarker> SwitchingOnKeyReference() {
  std::vector<SwitchMarker> out;
  const double at = Now();
  KeyboardReferenceON();
  if (SwitchingMode != 0) Mark(out, at, 'R');
  return out;
}

std::vector<SwitchMarker> SwitchingOnDirectSwitch(int16_t n) {
  std::vector<SwitchMarker> out;
  const double at = Now();
  if (DIRECTSWITCH(n)) {
    KeyLeavesClosingReference();
    Mark(out, at, 'S');
  }
  return out;
}

void SwitchingOnAddTime(int32_t w) {
  if (!StartEndPattern(SwitchingMode)) return;
  const double later = static_cast<double>(w) * 60.0 * ChartIntervalInSeconds;
  RefOnTime = ScheduleTick(static_cast<double>(RefOnTime) + std::trunc(later));
  ClosingReferenceLeftByKey = false;
  SWITCHTOSAMPLE();
}

void SwitchingAtRunEnd() {
  SWITCHTOREFERENCE();
  RefOffTime = RefOnTime = CycleTime = kNeverTick;
}

void RunServicesAtStart() {
  StartAlertRun();
  StartOutputScripts();
}

void RunServicesAtFirstMarker() {
  AlertsAtFirstMarker();
  ScriptsAtFirstMarker();
}

void RunServicesAtEndMarker(char key) {
  if (key == 'x') {
    AlertsAtXMarker();
    ScriptsAtEndMarker(2);
  } else {
    ScriptsAtEndMarker(3);
  }
}

}  // namespace mv
