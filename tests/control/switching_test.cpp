// Run-time switching: the choice of the next sample device and the switching schedule
// of each pattern, driven pass by pass on the virtual clock.
#include "control/switching.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/test_support.h"
#include "control/state.h"
#include "control/switching_schedule.h"
#include "devices/state.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "setup/state.h"

namespace mv {
namespace {

struct Change {
  int32_t tick;
  int16_t refOn;
  int16_t device;  // OldChan while the sample is on
  bool operator==(const Change&) const = default;
};

class SwitchingTest : public test::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    External_AD = ExternalADCode::Demonstration;
    ChartIntervalInSeconds = 1.0;
  }
  static void Devices(std::vector<std::pair<int, float>> list, int16_t channels) {
    nChannels = channels;
    for (auto [ch, d] : list) ChannelVariables[ch][ChanField::Device] = d;
  }
  static void AtTick(uint64_t t) { rt::SetVirtualMicroseconds((t * 1'000'000 + 59) / 60); }

  // The start of a chart recording of `samples` one-second samples: reference on, the
  // schedule's run start (times and the first sample device).
  void StartRun(int16_t pattern, float ref, float sw, int32_t samples) {
    SwitchingMode = pattern;
    nGroups = (pattern == 2 || pattern == 4 || pattern == 6 || pattern == 8) ? 2 : 0;
    refint = ref;
    switchint = sw;
    MaxSamples = samples;
    RefIsON = 1;
    t0 = static_cast<int32_t>(rt::TickCount()) + 5;
    SwitchingAtRunStart(t0, true);
  }
  // One pass of a recording loop at tick t: the schedule's own per-pass call.
  void Pass(int32_t t) {
    AtTick(static_cast<uint64_t>(t));
    SwitchingOnPass(t);
  }
  // Passes every tick up to `until`, noting each change of state relative to t0.
  void RunUntil(int32_t until) {
    for (int32_t t = static_cast<int32_t>(rt::TickCount()); t <= until; ++t) {
      Pass(t);
      const Change c{t - t0, RefIsON, RefIsON ? int16_t{0} : OldChan};
      if (changes.empty() || changes.back().refOn != c.refOn || changes.back().device != c.device)
        changes.push_back(c);
    }
  }
  int32_t t0 = 0;
  std::vector<Change> changes;
};

TEST_F(SwitchingTest, NextSampleDevice) {
  Devices({{2, 3.7f}, {4, 1.0f}}, 4);
  SwitchingMode = 1;
  SELECTNEXTVALVE();
  EXPECT_EQ(PresentChan, 2);
  EXPECT_EQ(SampleValve, 3);
  SELECTNEXTVALVE();
  SELECTNEXTVALVE();  // wraps from channel 4 to channel 2
  EXPECT_EQ(PresentChan, 2);

  // Two groups pair 2 with 6 and 3 with 7, alternating.
  Devices({{1, 2}, {2, 3}, {3, 6}, {4, 7}}, 4);
  SwitchingMode = 2;
  nGroups = 2;
  PresentChan = PresentChan2 = 0;
  std::vector<std::pair<int, int>> pairs;
  for (int i = 0; i < 3; ++i) {
    SELECTNEXTVALVE();
    pairs.emplace_back(SampleValve, SampleValve2);
  }
  EXPECT_EQ(pairs, (std::vector<std::pair<int, int>>{{2, 6}, {3, 7}, {2, 6}}));

  // The ADC-1's groups are devices 1-3 and 4-6, as its set-up shows them.
  Devices({{1, 4}, {2, 1}, {3, 0}, {4, 0}}, 2);
  External_AD = ExternalADCode::ADC1;
  PresentChan = PresentChan2 = 0;
  SELECTNEXTVALVE();
  EXPECT_EQ(SampleValve, 1);
  EXPECT_EQ(SampleValve2, 4);
}

TEST_F(SwitchingTest, SequentialPatternsVisitPositions) {
  Devices({{1, 1}, {3, 6}, {5, 2}}, 6);
  SwitchingMode = 10;
  std::vector<int> visited;
  for (int i = 0; i < 4; ++i) {
    SELECTNEXTVALVE();
    visited.push_back(SampleValve);
    EXPECT_EQ(PresentChan, SampleValve);
  }
  EXPECT_EQ(visited, (std::vector<int>{1, 3, 5, 1}));
}

TEST_F(SwitchingTest, AGroupNoChannelUsesGetsNoSampleDevice) {
  // The search ends, and a device left from before is not opened again for nothing.
  nChannels = 4;
  SwitchingMode = 2;
  nGroups = 2;
  SampleValve = 3;
  SampleValve2 = 5;
  SELECTNEXTVALVE();
  EXPECT_EQ(SampleValve, 0);
  EXPECT_EQ(SampleValve2, 0);
  Devices({{1, 2}}, 4);
  SampleValve2 = 6;
  SELECTNEXTVALVE();
  EXPECT_EQ(SampleValve, 2);
  EXPECT_EQ(SampleValve2, 0) << "group 2 has no channel";
  SwitchingMode = 9;
  Devices({{1, 0}}, 4);
  SELECTNEXTVALVE();
  EXPECT_EQ(SampleValve, 0);
}

TEST_F(SwitchingTest, PatternOffSwitchesNothingButKeepsTheReferenceDevice) {
  SwitchingMode = 0;
  RefChan = 4;
  SampleValve = 2;
  RefIsON = 0;
  SWITCHTOREFERENCE();
  KeyboardSampleON();
  DIRECTSWITCH(3);
  EXPECT_EQ(RefIsON, 0);
  EXPECT_EQ(DeviceInUse, 0);
  KeyboardReferenceON();
  EXPECT_EQ(DeviceInUse, 4);
  EXPECT_EQ(RefIsON, 0);
}

TEST_F(SwitchingTest, ReferenceAtStartAndEnd) {
  Devices({{1, 2}}, 1);
  RefChan = 1;
  StartRun(3, 2.0f, 0.0f, 600);  // a 10-minute recording at 1 s
  RunUntil(t0 + 36'000);
  // 600 x 59.999 - 7200 = 28,799.4 ticks after t0.
  EXPECT_EQ(changes, (std::vector<Change>{{-5, 1, 0}, {7'200, 0, 2}, {28'799, 1, 0}}));
}

TEST_F(SwitchingTest, PeriodicReferencesWrapOverTheChannels) {
  Devices({{1, 3}, {3, 5}}, 3);
  RefChan = 1;
  StartRun(5, 1.0f, 4.0f, 100'000);
  RunUntil(t0 + 40'000);
  EXPECT_EQ(changes,
            (std::vector<Change>{
                {-5, 1, 0}, {3'600, 0, 3}, {18'000, 1, 0}, {21'600, 0, 5}, {36'000, 1, 0}, {39'600, 0, 3}}));
}

TEST_F(SwitchingTest, TimedReferenceKeyReturnsToTheSampleDevice) {
  Devices({{2, 4}}, 2);
  RefChan = 1;
  StartRun(7, 1.0f, 0.0f, 100'000);
  RunUntil(t0 + 5'000);
  AtTick(static_cast<uint64_t>(t0 + 5'001));
  KeyboardReferenceON();
  RunUntil(t0 + 10'000);
  EXPECT_EQ(changes, (std::vector<Change>{{-5, 1, 0}, {3'600, 0, 4}, {5'001, 1, 0}, {8'601, 0, 4}}));
}

TEST_F(SwitchingTest, SequentialDevicesSkipReferencesWithinASweep) {
  Devices({{2, 1}, {4, 1}, {6, 1}}, 6);
  RefChan = 8;
  SkipRefsBetweenChannels = 1;
  StartRun(10, 1.0f, 2.0f, 100'000);
  RunUntil(t0 + 30'000);
  EXPECT_EQ(changes,
            (std::vector<Change>{
                {-5, 1, 0}, {3'600, 0, 2}, {10'801, 0, 4}, {18'002, 0, 6}, {25'202, 1, 0}, {28'802, 0, 2}}));
}

TEST_F(SwitchingTest, NeverStaysNeverWhenMinutesAreAdded) {
  // Minutes added to "never" must not wrap into a time long past, which would switch
  // at once on the next pass.
  EXPECT_EQ(TicksAfter(4.0f, kNeverTick), kNeverTick);
  SwitchingMode = 5;
  RefChan = 1;
  switchint = 4.0f;
  RefOffTime = kNeverTick;
  SWITCHTOREFERENCE();
  EXPECT_EQ(RefOnTime, kNeverTick);
}

TEST_F(SwitchingTest, DirectSwitchNeedsOneGroup) {
  std::vector<std::string> sounds;
  SwitchingMode = 2;
  nGroups = 2;
  External_AD = ExternalADCode::DT800;
  DIRECTSWITCH(3);
  EXPECT_EQ(DeviceInUse, 0);
  SwitchingMode = 1;
  nGroups = 0;
  DIRECTSWITCH(3);
  EXPECT_EQ(DeviceInUse, 3);  // the DataTaker path records it
}

// Two references in one group (a set-up from an interface that splits the devices
// elsewhere) open no line of the other group: the "-" key and the timed reference record
// no device on there, so its channels are zeroed rather than stored as read.
TEST_F(SwitchingTest, AReferenceThatOpensNoLineOfAGroupRecordsItOff) {
  DemonstrationMODE = 1;  // the state only: nothing is sent
  PrefsArray[PrefsSlot::DigitalOutputCoding] = 0;
  const struct {
    int16_t iface, ref1, ref2, pattern, groupOne, groupTwo;
  } rows[] = {
      {ExternalADCode::SableUI3, 1, 4, 2, 1, 0},  // both in group 1 (1 to 4)
      {ExternalADCode::DT800, 1, 4, 6, 1, 0},
      {ExternalADCode::ADC1, 4, 5, 2, 0, 5},  // both in group 2 (4 to 6)
      {ExternalADCode::ADC1, 1, 4, 6, 1, 4},  // one in each
  };
  for (const auto& row : rows) {
    External_AD = row.iface;
    SwitchingMode = row.pattern;
    nGroups = 2;
    RefChan = row.ref1;
    RefChan2 = row.ref2;
    OldChan = OldChan2 = 9;
    if (row.pattern == 2)
      KeyboardReferenceON();
    else
      SWITCHTOREFERENCE();
    EXPECT_EQ(OldChan, row.groupOne) << row.iface << " " << row.ref1 << "+" << row.ref2;
    EXPECT_EQ(OldChan2, row.groupTwo) << row.iface << " " << row.ref1 << "+" << row.ref2;
  }
}

}  // namespace
}  // namespace mv
