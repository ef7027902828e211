#include "control/output_scripts.h"

#include <cmath>

#include "acquisition/state.h"
#include "control/analog_output.h"
#include "control/feedback.h"
#include "control/state.h"
#include "control/switching.h"
#include "runtime/clock.h"

namespace mv {

namespace {

constexpr int16_t kStartFirstSample = 1, kStartFirstMarker = 2, kStartMarkerS = 3;
constexpr int16_t kEndAtX = 2;

// One output's settings and run state: columns first, first+1 and first+2 of the table
// hold its volts, minutes and next-step numbers; column 0 row endRow its end volts.
struct Output {
  int16_t out;
  int col;
  int endRow;
  int16_t &on, &run, &step, &ramping, &endMode, &firstMarker, &stopX;
  int32_t &next, &start;
  float &lastv, &nextv;
};

Output OutputOf(int16_t out) {
  if (out == 1)
    return {1,        1,           2,
            AO1on,    DoAO1,       AO1step,
            ramping1, AO1endMode,  AO1firstMarker,
            AO1stopX, NextAO1time, AO1stepStart,
            lastv,    nextvolts};
  return {2,        4,           5,
          AO2on,    DoAO2,       AO2step,
          ramping2, AO2endMode,  AO2firstMarker,
          AO2stopX, NextAO2time, AO2stepStart,
          lastv2,   nextvolts2};
}

int32_t Now() {
  return static_cast<int32_t>(rt::TickCount());
}

int16_t Whole(float v) {
  if (!(v > -32768.0f)) return 0;
  return v >= 32767.0f ? int16_t{32767} : static_cast<int16_t>(std::trunc(v));
}

// trunc(minutes x 3600) as a tick count within the 32-bit range.
int32_t StepTicks(float minutes) {
  const double d = std::trunc(static_cast<double>(minutes) * 3600.0);
  if (std::isnan(d)) return 0;
  if (d >= kNeverTick) return kNeverTick;
  if (d <= -kNeverTick) return -kNeverTick;
  return static_cast<int32_t>(d);
}

int32_t AddTicks(int32_t t, int32_t d) {
  const int64_t sum = static_cast<int64_t>(t) + d;
  return sum >= kNeverTick ? kNeverTick : static_cast<int32_t>(sum);
}

// Whether an output's end volts went out since its script last began: the script's end
// (its last step or its end marker) sends them once, and neither a second end marker nor
// the end of the run sends them again.
bool gEndVoltsSent[3] = {false, false, false};

void SendEndVolts(Output o) {
  if (o.endMode == 0 || gEndVoltsSent[o.out]) return;
  SetAOvolts(o.out, AOscript[o.endRow][0]);
  gEndVoltsSent[o.out] = true;
}

void Begin(Output o) {
  if (o.on != 1 || o.run != 1) return;
  gEndVoltsSent[o.out] = false;
  const int32_t now = Now();
  o.next = TicksAfter(AOscript[1][o.col + 1], now);
  // A restart must not go on ramping from the step that ran before it.
  o.ramping = 0;
  SetAOvolts(o.out, AOscript[1][o.col]);
  o.step = 1;
  o.start = now;
}

void Stop(Output o) {
  o.run = 0;
  o.ramping = 0;
  SendEndVolts(o);
}

void NextStep(Output o, int32_t t) {
  o.lastv = AOscript[o.step][o.col];
  const int16_t step = Whole(AOscript[o.step][o.col + 2]);
  // A next number past the steps ends the script; so does one below 1, which names no step.
  if (step < 1 || step >= kAOscriptRows || AOscript[0][o.col] < step) {
    o.step = step;
    Stop(o);
    return;
  }
  o.step = step;
  const int32_t d = StepTicks(AOscript[step][o.col + 1]);
  o.next = AddTicks(t, d < 0 ? -d : d);
  o.ramping = d <= 0 ? 1 : 0;
  o.nextv = AOscript[step][o.col];
  o.start = t;
  if (d > 0) SetAOvolts(o.out, o.nextv);
}

void Ramp(Output o, int32_t t) {
  const double span = static_cast<double>(o.next) - o.start;
  // A ramp shorter than a tick goes straight to its end volts.
  double f = span > 0 ? (static_cast<double>(t) - o.start) / span : 1.0;
  if (f < 0) f = 0;
  if (f > 1) f = 1;
  SetAOvolts(o.out, static_cast<float>(o.lastv + (o.nextv - o.lastv) * f));
}

void Pass(Output o, int32_t t) {
  if (o.on != 1 || o.run != 1) return;
  if (t > o.next) NextStep(o, t);
  if (o.ramping) Ramp(o, t);
}

// Markers already looked at for an "s" (lower case only: the switch marker "S" is not one).
int16_t gMarkersSeen = 0;

bool MarkerSInsertedSinceLastPass() {
  if (Nmarkers < gMarkersSeen) gMarkersSeen = 0;
  bool found = false;
  for (int i = gMarkersSeen + 1; i <= Nmarkers && i <= kMaxMarkers; ++i)
    if (MarkersArray[i].code == 's') found = true;
  gMarkersSeen = Nmarkers;
  return found;
}

}  // namespace

void StartOutputScripts() {
  DoAO1 = DoAO2 = 0;
  gMarkersSeen = Nmarkers;
  gEndVoltsSent[1] = gEndVoltsSent[2] = false;
  if (AO1on == 1 || AO2on == 1) {
    AO1firstMarker = Whole(AOscript[7][0]);
    AO1stopX = Whole(AOscript[8][0]);
    AO2firstMarker = Whole(AOscript[9][0]);
    AO2stopX = Whole(AOscript[10][0]);
    DoAO1 = AO1on == 1 && AO1firstMarker == kStartFirstSample ? 1 : 0;
    DoAO2 = AO2on == 1 && AO2firstMarker == kStartFirstSample ? 1 : 0;
    BeginAOscript();
  }
  if (FeedbackON) BeginFdBk();
}

void BeginAOscript(bool output1, bool output2) {
  if (output1) Begin(OutputOf(1));
  if (output2) Begin(OutputOf(2));
}

void checkAOscript() {
  const int32_t t = Now();
  timeNow = t;
  Pass(OutputOf(1), t);
  Pass(OutputOf(2), t);
  if (!MarkerSInsertedSinceLastPass()) return;
  // Only the outputs that wait for the "s" (re)start; a script running from another
  // start event goes on undisturbed.
  bool start[3] = {false, false, false};
  for (int16_t k = 1; k <= 2; ++k) {
    Output o = OutputOf(k);
    if (o.on == 1 && o.firstMarker == kStartMarkerS) {
      o.run = 1;
      start[k] = true;
    }
  }
  if (start[1] || start[2]) BeginAOscript(start[1], start[2]);
}

void ScriptsAtFirstMarker() {
  for (int16_t k = 1; k <= 2; ++k) {
    Output o = OutputOf(k);
    if (o.on == 1 && o.firstMarker == kStartFirstMarker && o.run == 0) {
      o.run = 1;
      BeginAOscript(k == 1, k == 2);
    }
  }
}

void ScriptsAtEndMarker(int16_t endEvent) {
  for (int16_t k = 1; k <= 2; ++k) {
    Output o = OutputOf(k);
    if (o.on == 1 && o.stopX == endEvent) Stop(o);
  }
  FeedbackAtEndMarker(endEvent);
}

void SetEndVoltsAfterRun() {
  // "Keep Existing Voltage" (end mode 0) keeps the output as the run left it.
  for (int16_t k = 1; k <= 2; ++k) {
    const Output o = OutputOf(k);
    if (o.on == 1 && o.stopX == kEndAtX) SendEndVolts(o);
  }
  FlushAOvolts();
}

}  // namespace mv
