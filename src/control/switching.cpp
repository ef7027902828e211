#include "control/switching.h"

#include <cmath>

#include "control/device_outputs.h"
#include "control/state.h"
#include "control/switching_schedule.h"
#include "devices/state.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "setup/state.h"

namespace mv {

namespace {

constexpr uint32_t kMouseUpWaitTicks = 120;

bool TwoGroups() {
  return nGroups == 2;
}

// Patterns whose sample periods are timed (periodic references; the sequential devices
// are spaced the same way: switchint per device, refint per reference).
bool TimedSamplePeriods() {
  return SwitchingMode == 5 || SwitchingMode == 6 || SwitchingMode == 10;
}

// The channel's switched device as a whole number (0 for none or a value that is not one).
int16_t DeviceOf(int ch) {
  const float v = ChannelVariables[ch][ChanField::Device];
  if (!(v > 0.0f)) return 0;
  return v >= 32767.0f ? int16_t{32767} : static_cast<int16_t>(std::trunc(v));
}

// From `from`, the next channel (wrapping from `last` to 1) whose device passes the test;
// 0 when none of the `last` channels does.
template <class Test>
int NextChannel(int from, int last, Test test) {
  if (last < 1) return 0;
  int ch = (from >= 0 && from <= last) ? from : 0;
  for (int i = 0; i < last; ++i) {
    ch = ch % last + 1;
    if (DeviceOf(ch) > 0 && test(DeviceOf(ch))) return ch;
  }
  return 0;
}

void WaitForMouseUp() {
  const uint32_t start = rt::TickCount();
  while (rt::Button() && rt::TickCount() - start < kMouseUpWaitTicks) rt::PumpEvents(0);
}

void Tick() {
  TickSound(ChartIntervalInSeconds);
}

int32_t Now() {
  return static_cast<int32_t>(rt::TickCount());
}

// The devices the sample takers record as on after a switch to a and b, the reference
// as much as a sample device: a device is on only when the command sent switched it. A
// number no line of the interface carries is no device, and where the coding gives
// group 2 no lines (a word names one device) b was never sent. With two groups each
// group's device is one the switch opened among that group's lines: two references in
// one group (a set-up made on an interface that splits the devices elsewhere) open no
// line of the other group, which has no device on (0). A group left with every valve
// shut has its channels zeroed, never stored as read. A switch held back by a lost line
// is recorded at once, but the sample takers zero by the devices the instrument has on
// until its commands go out.
void RecordDevicesOn(int16_t a, int16_t b) {
  const int16_t sentA = DeviceSwitchable(a) ? a : int16_t{0};
  if (!TwoGroups()) {
    OldChan = sentA;
  } else {
    const bool secondSent =
        SecondGroupSwitchable(External_AD, PrefsArray[PrefsSlot::DigitalOutputCoding]) && DeviceSwitchable(b);
    const int16_t sentB = secondSent ? b : int16_t{0};
    const int16_t split = GroupOneLastDevice(External_AD);
    const auto inGroupOne = [split](int16_t d) { return d >= 1 && d <= split; };
    const auto inGroupTwo = [split](int16_t d) { return d > split; };
    OldChan = inGroupOne(sentA) ? sentA : (inGroupOne(sentB) ? sentB : int16_t{0});
    OldChan2 = inGroupTwo(sentB) ? sentB : (inGroupTwo(sentA) ? sentA : int16_t{0});
  }
  NoteDevicesRecordedOn(DevicesOn{RefIsON, OldChan, OldChan2});
}

}  // namespace

int32_t TicksAfter(float minutes, int32_t from) {
  return ScheduleTick(static_cast<double>(minutes) * 3600.0 + static_cast<double>(from));
}

// A group no channel qualifies for gets no sample device (0): no line is opened for a
// device that feeds nothing.
void SELECTNEXTVALVE() {
  if (SwitchingMode == 9 || SwitchingMode == 10) {
    // Positions 1 to 8: channel k is always switched by device k.
    const int k = NextChannel(PresentChan, 8, [](int16_t) { return true; });
    SampleValve = static_cast<int16_t>(k);
    if (k != 0) PresentChan = static_cast<int16_t>(k);
    return;
  }
  const int last = nChannels < 16 ? nChannels : 16;
  if (!TwoGroups()) {
    const int ch = NextChannel(PresentChan, last, [](int16_t) { return true; });
    SampleValve = ch == 0 ? int16_t{0} : DeviceOf(ch);
    if (ch != 0) PresentChan = static_cast<int16_t>(ch);
    return;
  }
  const int16_t split = GroupOneLastDevice(External_AD);
  const int ch1 = NextChannel(PresentChan, last, [split](int16_t d) { return d <= split; });
  SampleValve = ch1 == 0 ? int16_t{0} : DeviceOf(ch1);
  if (ch1 != 0) PresentChan = static_cast<int16_t>(ch1);
  const int ch2 = NextChannel(PresentChan2, last, [split](int16_t d) { return d > split; });
  SampleValve2 = ch2 == 0 ? int16_t{0} : DeviceOf(ch2);
  if (ch2 != 0) PresentChan2 = static_cast<int16_t>(ch2);
}

void SWITCHTOSAMPLE() {
  if (SwitchingMode == 0) return;
  const int16_t a = SampleValve, b = SampleValve2;
  DeviceInUse = a;
  RefIsON = 0;
  DeviceSwitch(SwitchOp::ToSample, a, b);
  RecordDevicesOn(a, b);
  Tick();
  if (SwitchingMode == 5 || SwitchingMode == 6) {
    RefOnTime = TicksAfter(switchint, RefOffTime);
    RefOffTime = TicksAfter(refint, RefOnTime);
  } else {
    RefOffTime = kNeverTick;
  }
}

void CYCLECHANNELS() {
  const int16_t a = SampleValve, b = SampleValve2;
  RefIsON = 0;
  if (TimedSamplePeriods()) {
    RefOnTime = TicksAfter(switchint, tick);
    RefOffTime = TicksAfter(refint, RefOnTime);
  }
  DeviceSwitch(SwitchOp::Cycle, a, b);
  RecordDevicesOn(a, b);
  DeviceInUse = a;
  Tick();
  SELECTNEXTVALVE();
}

void SWITCHTOREFERENCE() {
  if (SwitchingMode == 0) return;
  const int16_t a = RefChan, b = RefChan2;
  RefIsON = 1;
  DeviceInUse = a;
  // Without a reference device every output is off: the reference is not on, and with
  // no later reference period to come none is due again.
  if (!DeviceSwitch(SwitchOp::ToReference, a, b)) {
    RefIsON = 0;
    if (!TimedSamplePeriods()) RefOnTime = kNeverTick;
  }
  RecordDevicesOn(a, b);
  if (TimedSamplePeriods()) RefOnTime = TicksAfter(switchint, RefOffTime);
  Tick();
}

void KeyboardReferenceON() {
  const int16_t a = RefChan, b = RefChan2;
  DeviceInUse = a;
  WaitForMouseUp();
  if (SwitchingMode == 7 || SwitchingMode == 8) {
    tick = Now();
    RefOffTime = TicksAfter(refint, tick);
  }
  if (SwitchingMode != 0) {
    RefIsON = DeviceSwitch(SwitchOp::KeyReference, a, b) ? 1 : 0;
    RecordDevicesOn(a, b);
  } else {
    OldChan = a;
    if (TwoGroups()) OldChan2 = b;
  }
  Tick();
}

void KeyboardSampleON() {
  if (SwitchingMode == 0) return;
  const int16_t a = SampleValve, b = SampleValve2;
  // The switch marker shows the device turned on, as it does for every other switch.
  DeviceInUse = a;
  WaitForMouseUp();
  RefIsON = 0;
  DeviceSwitch(SwitchOp::KeySample, a, b);
  RecordDevicesOn(a, b);
  Tick();
}

bool DIRECTSWITCH(int16_t n) {
  // A digit naming no device the interface switches (0, 9, or one past its lines)
  // sends nothing: the valves stay as they are.
  if (SwitchingMode <= 0 || TwoGroups() || !DeviceSwitchable(n)) return false;
  DeviceSwitch(SwitchOp::Direct, n, 0);
  // A digit key ends the reference as the sample key does: device n is the one on, and
  // the channels of every other device are zeroed as in any sample period. The sample
  // device and the schedule stay as they were.
  RefIsON = 0;
  RecordDevicesOn(n, 0);
  DeviceInUse = n;
  Tick();
  return true;
}

}  // namespace mv
