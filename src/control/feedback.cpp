#include "control/feedback.h"

#include <algorithm>
#include <cmath>

#include "acquisition/state.h"
#include "control/analog_output.h"
#include "control/state.h"
#include "devices/interfaces.h"
#include "devices/state.h"
#include "runtime/clock.h"
#include "setup/state.h"

namespace mv {

namespace {

constexpr int16_t kFeedbackOutput = 2;
constexpr int kLastStep = 99;
constexpr int16_t kEndAfterLastStep = 1;
constexpr float kNoReading = -99999.0f;

int32_t Now() {
  return static_cast<int32_t>(rt::TickCount());
}

// t + d ticks, "never" when that lies past the 32-bit range.
int32_t After(int32_t t, double d) {
  const double sum = std::trunc(d + t);
  if (!(sum < kNeverTick)) return kNeverTick;
  return sum <= -kNeverTick ? -kNeverTick : static_cast<int32_t>(sum);
}

int16_t Whole(float v) {
  if (!(v > -32768.0f)) return 0;
  return v >= 32767.0f ? int16_t{32767} : static_cast<int16_t>(std::trunc(v));
}

// The schedule has ended: the end state the user entered comes into force. Without one
// the output keeps the volts the last step gave it, within that step's limits: no
// further command goes out.
void EndSchedule() {
  NextFeedbackTime = kNeverTick;
  FdBkFrozen = 1;
  if (FdBkEndStateEntered == 0) {
    FdBkActive = 0;
    return;
  }
  setpoint = FdBkEndSetpoint;
  FdBkRange = FdBkEndRange;
  FdBkMinV = FdBkEndMinV;
  FdBkMaxV = FdBkEndMaxV;
  FdBkActive = 1;
}

// The present step's time has passed: the next step comes into force, or the schedule
// has run out of steps and ends now (end mode 1) or holds its last step until its end
// marker (which ends it).
void StepSchedule(int32_t now) {
  const bool valid = FdBkStep >= 1 && FdBkStep <= kLastStep;
  if (valid && FeedbackArray[FdBkStep][5] != 0.0f) {
    const FeedbackStepRow& row = FeedbackArray[FdBkStep];
    setpoint = row[1];
    FdBkMinV = row[2];
    FdBkMaxV = row[3];
    FdBkRange = row[4];
    NextFeedbackTime = After(now, std::fabs(static_cast<double>(row[5])) * 3600.0);
    FdBkStep = Whole(row[6]);
    FdBkActive = 1;
    return;
  }
  if (FeedbackEndMode == kEndAfterLastStep)
    EndSchedule();
  else
    NextFeedbackTime = kNeverTick;
}

bool TwoGroups() {
  return SwitchingMode == 2 || SwitchingMode == 4 || SwitchingMode == 6 || SwitchingMode == 8;
}

// A switched channel whose device is not the one on reads the reference or nothing
// the channel stands for: it must not steer the output.
bool DeviceOff(int16_t ch) {
  if (SwitchingMode == SwitchingPatternCode::Off) return false;
  const int16_t device = Whole(ChannelVariables[ch][ChanField::Device]);
  if (device <= 0) return false;
  if (RefIsON != 0) return true;
  return device != OldChan && !(TwoGroups() && device == OldChan2);
}

// The regulated channel's latest stored value, when there is one to act on. A channel
// the run does not record (a schedule read from the file of a larger set-up) has none:
// its row of the store reads 0, which would drive the output to a limit.
bool Reading(double& v) {
  const int16_t ch = FeedbackChan;
  if (Sample < 1 || ch < 1 || ch > 16 || ch > nChannels || DeviceOff(ch) || LatestSampleFailed) return false;
  const float x = ChartDataArray.Get(ch, Sample - 1);
  if (x == kNoReading || !std::isfinite(x)) return false;
  v = x;
  return true;
}

// Proportional control: the error over the range, within -1..1, moves the output from
// the middle of the step's limits towards one of them (away from the error with
// negative feedback); a range of 0 or less acts on the error's sign alone.
float ControlVolts(double v) {
  const double error = v - setpoint;
  double u = 0;
  if (FdBkRange > 0)
    u = std::clamp(error / FdBkRange, -1.0, 1.0);
  else
    u = error > 0 ? 1.0 : (error < 0 ? -1.0 : 0.0);
  const double lo = std::min(FdBkMinV, FdBkMaxV), hi = std::max(FdBkMinV, FdBkMaxV);
  const double mid = (static_cast<double>(FdBkMinV) + FdBkMaxV) / 2,
               half = (static_cast<double>(FdBkMaxV) - FdBkMinV) / 2;
  const double out = NegativeFEEDBACK == 1 ? mid - u * half : mid + u * half;
  return static_cast<float>(std::clamp(out, lo, hi));
}

void Drive() {
  double v = 0;
  if (FdBkActive != 1 || !Reading(v)) return;  // the output holds its volts
  SetAOvolts(kFeedbackOutput, ControlVolts(v));
}

}  // namespace

bool FeedbackOutputPresent() {
  return External_AD == ExternalADCode::Demonstration || AnalogOutputCount(External_AD) >= kFeedbackOutput;
}

void BeginFdBk() {
  if (!DoFeedback || !FeedbackOutputPresent()) return;
  NextFeedbackTime = Now();
  FdBkStep = 1;
  FdBkFrozen = 0;
  FdBkActive = 0;
}

void checkFEEDBACKLoop() {
  const int32_t now = Now();
  if (DoFeedback != 1 || !FeedbackOutputPresent() || !(now > NextFeedbackUpdateTime)) return;
  NextFeedbackUpdateTime = After(now, std::max(FeedbackUpdateInterval, 1));
  if (FdBkFrozen == 0 && now > NextFeedbackTime) StepSchedule(now);
  Drive();
}

void FeedbackAtEndMarker(int16_t endEvent) {
  if (DoFeedback != 1 || !FeedbackOutputPresent() || FeedbackEndMode != endEvent) return;
  EndSchedule();
  if (FdBkActive != 1) return;
  NextFeedbackUpdateTime = After(Now(), std::max(FeedbackUpdateInterval, 1));
  Drive();
}

}  // namespace mv
