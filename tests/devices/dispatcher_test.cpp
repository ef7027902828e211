// The read dispatcher and the spike filter, with the other interfaces' readers
// replaced by scripted ones.
#include "devices/dispatcher.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "acquisition/state.h"
#include "common/test_support.h"
#include "conversions/state.h"
#include "devices/needs.h"
#include "devices/state.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "setup/state.h"

namespace mv {
namespace {

class DispatcherTest : public test::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    // A DT500 stands in for any interface: each read takes the next scripted value.
    External_AD = ExternalADCode::DT500;
    PrefsArray[PrefsSlot::SpikeFilterOn] = 1;
    services::ReadDataTaker500 = [this](int16_t channel, int16_t flag) {
      calls.push_back("dt500 " + std::to_string(channel) + " " + std::to_string(flag));
      if (!readings.empty()) {
        volts = readings.front();
        readings.pop_front();
      }
    };
  }

  std::deque<float> readings;
  std::vector<std::string> calls;
};

TEST_F(DispatcherTest, EachCodeGoesToItsReader) {
  std::vector<std::string> seen;
  services::ReadDataTaker500 = [&](int16_t c, int16_t f) { seen.push_back("dt500"); };
  services::ReadDataTaker800 = [&](int16_t c, int16_t f) { seen.push_back("dt800"); };
  services::ReadADAM = [&](int16_t c, int16_t f) { seen.push_back("adam " + std::to_string(f)); };
  services::ReadADC1 = [&](int16_t c) { seen.push_back("adc1 " + std::to_string(c)); };
  services::ReadSerialStream = [&](int16_t mode) { seen.push_back("stream " + std::to_string(mode)); };
  for (int16_t code : {3, 4, 5, 6, 7, 8, 9, 11}) {
    External_AD = code;
    ReadExternalADValue(2, 1);
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"dt500", "dt500", "dt800", "dt800", "dt800", "adam 1", "adc1 2",
                                            "stream 1"}));
}

TEST_F(DispatcherTest, DemonstrationAndUnknownCodesLeaveVoltsAlone) {
  for (int16_t code : {0, 10, 12, -1}) {
    External_AD = code;
    volts = 0.5f;
    ReadExternalADValue(1, 1);
    EXPECT_FLOAT_EQ(volts, 0.5f) << code;
  }
}

TEST_F(DispatcherTest, TheLastChannelClearsSerialWasRead) {
  nChannels = 3;
  serialWasRead = 1;
  ReadExternalADValue(2, 1);
  EXPECT_EQ(serialWasRead, 1);
  ReadExternalADValue(3, 1);
  EXPECT_EQ(serialWasRead, 0);
}

TEST_F(DispatcherTest, StreamChannelGetsItsOwnVariableNotTheLastField) {
  External_AD = ExternalADCode::SerialStream;
  services::ReadSerialStream = [](int16_t) {
    for (int n = 1; n <= 16; ++n) serialArray[n][1] = 10.0f * n;
    serialArray[16][1] = kBadReading;
    volts = kBadReading;  // the reader leaves the last field behind
    Action = 1;
    EventID = 7;  // a click while it waited
  };
  serialArray[4][2] = 2;  // variable 4 is recorded on channel 2
  ReadExternalADValue(2, 1);
  EXPECT_FLOAT_EQ(volts, 40.0f);
  EXPECT_EQ(Action, 0);
  EXPECT_EQ(EventID, 0);

  ChannelVariables[3][1] = 6;  // no variable assigned: the hardware input names it
  ReadExternalADValue(3, 1);
  EXPECT_FLOAT_EQ(volts, 60.0f);
}

TEST_F(DispatcherTest, AStreamSweepOfFourChannelsReadsOneLine) {
  External_AD = ExternalADCode::SerialStream;
  nChannels = 4;
  int lines = 0;
  services::ReadSerialStream = [&](int16_t) {
    ++lines;
    for (int n = 1; n <= 4; ++n) serialArray[n][1] = 10.0f * lines + n;
  };
  for (int n = 1; n <= 4; ++n) serialArray[n][2] = n;
  for (int sweep = 1; sweep <= 2; ++sweep) {
    for (int16_t ch = 1; ch <= 4; ++ch) {
      ReadExternalADdevice(ch, 1);
      EXPECT_FLOAT_EQ(volts, 10.0f * sweep + ch);
    }
    EXPECT_EQ(lines, sweep);
  }
}

TEST_F(DispatcherTest, SpikeIsReplacedByTheReference) {
  Sample = 5;
  SpikeFilterArray[1] = 1.5f;
  LastVoltageArray[1 + 17] = 2.0f;
  SpikeReferenceHeld[1] = true;
  readings = {4.0f, 2.1f};
  const uint64_t before = rt::Microseconds();
  ReadExternalADdevice(1, 1);
  EXPECT_FLOAT_EQ(volts, 2.0f);
  EXPECT_EQ(voltagespikes[1], 1);
  EXPECT_FLOAT_EQ(LastVoltageArray[1 + 17], 4.0f) << "the first reading becomes the reference";
  EXPECT_FLOAT_EQ(LastVoltageArray[1 + 34], 2.0f) << "the old reference moves one entry on";
  EXPECT_FLOAT_EQ(SpikeFilterRatio, 1.5f);
  EXPECT_EQ(rt::Microseconds() - before, 10'000u) << "one 10 ms pause before the re-read";
  EXPECT_EQ(calls, (std::vector<std::string>{"dt500 1 1", "dt500 1 1"}));
}

// The spike count is the run's: a reading outside a recording (the conversion test or
// a calibration after a run) is filtered all the same, but adds nothing to the count
// the run's files report.
TEST_F(DispatcherTest, ASpikeOutsideARecordingIsFilteredButNotCountedForTheRun) {
  Sample = 5;
  SpikeFilterArray[1] = 1.5f;
  LastVoltageArray[1 + 17] = 2.0f;
  SpikeReferenceHeld[1] = true;
  readings = {4.0f, 2.1f};
  ReadExternalADdevice(1, 0);
  EXPECT_FLOAT_EQ(volts, 2.0f);
  EXPECT_EQ(voltagespikes[1], 0);
}

TEST_F(DispatcherTest, ARealJumpIsKept) {
  Sample = 5;
  SpikeFilterArray[1] = 1.5f;
  LastVoltageArray[1 + 17] = 2.0f;
  SpikeReferenceHeld[1] = true;
  readings = {4.0f, 3.9f};
  ReadExternalADdevice(1, 0);
  EXPECT_FLOAT_EQ(volts, 3.9f);
  EXPECT_EQ(voltagespikes[1], 0);
  EXPECT_FLOAT_EQ(LastVoltageArray[1 + 17], 4.0f);
}

TEST_F(DispatcherTest, BothComparisonsAreStrict) {
  Sample = 5;
  SpikeFilterArray[2] = 1.5f;
  LastVoltageArray[2 + 17] = 2.0f;
  SpikeReferenceHeld[2] = true;
  readings = {3.5f, 100.0f};  // a difference equal to the ratio is no reason to re-read
  ReadExternalADdevice(2, 0);
  EXPECT_FLOAT_EQ(volts, 3.5f);
  EXPECT_EQ(calls.size(), 1u);

  LastVoltageArray[2 + 17] = 2.0f;

  SpikeReferenceHeld[2] = true;
  readings = {4.0f, 3.0f};  // the re-read lies as far from both: it stands
  ReadExternalADdevice(2, 0);
  EXPECT_FLOAT_EQ(volts, 3.0f);
  EXPECT_EQ(voltagespikes[2], 0);
}

TEST_F(DispatcherTest, DoubleSpikeReadDecidesOnTheThirdReading) {
  Sample = 5;
  PrefsArray[PrefsSlot::SpikeReread] = 1;
  SpikeFilterArray[1] = 1.5f;
  LastVoltageArray[1 + 17] = 2.0f;
  SpikeReferenceHeld[1] = true;
  readings = {4.0f, 4.1f, 2.1f};
  const uint64_t before = rt::Microseconds();
  ReadExternalADdevice(1, 1);
  EXPECT_FLOAT_EQ(volts, 2.0f);
  EXPECT_EQ(voltagespikes[1], 1);
  EXPECT_EQ(calls.size(), 3u);
  EXPECT_EQ(rt::Microseconds() - before, 16'000u);
}

TEST_F(DispatcherTest, FilterOffOrFirstSampleChangesNothing) {
  Sample = 5;
  SpikeFilterArray[1] = 1.0f;
  LastVoltageArray[1 + 17] = 2.0f;
  SpikeReferenceHeld[1] = true;
  readings = {1002.0f};
  ReadExternalADdevice(1, 1);
  EXPECT_FLOAT_EQ(volts, 1002.0f);
  EXPECT_FLOAT_EQ(LastVoltageArray[1 + 17], 2.0f);
  EXPECT_FLOAT_EQ(SpikeFilterRatio, 1.0f);

  // In a run's first sample nothing is compared: each reading becomes the reference.
  SpikeFilterArray[1] = 1.5f;
  for (int32_t s : {0, 1}) {
    Sample = s;
    readings = {40.0f + s};
    ReadExternalADdevice(1, 1);
    EXPECT_FLOAT_EQ(volts, 40.0f + s);
    EXPECT_FLOAT_EQ(LastVoltageArray[1 + 17], 40.0f + s);
  }
  EXPECT_EQ(calls.size(), 3u);
}

// A run starts with no reference: neither 0 from the program's start nor the last run's
// reading is compared with, and a failed reading never becomes the reference. Its
// first good reading does, and the filter works from it.
TEST_F(DispatcherTest, TheReferenceIsTheChannelsFirstReadingOfTheRun) {
  SpikeFilterArray[1] = 2.0f;
  LastVoltageArray[1 + 17] = 3.5f;  // the last run's
  SpikeReferenceHeld[1] = true;
  ForgetSpikeReferences();
  Sample = 2;
  readings = {kBadReading, 0.5f};
  ReadExternalADdevice(1, 1);
  EXPECT_FLOAT_EQ(volts, kBadReading);
  EXPECT_FALSE(SpikeReferenceHeld[1]) << "a failed reading is no reference";
  Sample = 3;
  ReadExternalADdevice(1, 1);
  EXPECT_FLOAT_EQ(volts, 0.5f) << "3 V from the last run's reading, yet not read again";
  EXPECT_FLOAT_EQ(LastVoltageArray[1 + 17], 0.5f);
  Sample = 4;
  readings = {5.0f, 0.6f};
  ReadExternalADdevice(1, 1);
  EXPECT_FLOAT_EQ(volts, 0.5f) << "a spike against this run's reading";
  EXPECT_EQ(calls.size(), 4u);
}

// The menu's check mark (slot 32) says whether readings are filtered; a new set-up
// gives every channel a threshold of 2 without turning the filter on.
TEST_F(DispatcherTest, WithTheFilterSwitchedOffAFarReadingIsNeverReadAgain) {
  PrefsArray[PrefsSlot::SpikeFilterOn] = 0;
  Sample = 5;
  SpikeFilterArray[1] = 2.0f;
  LastVoltageArray[1 + 17] = 0.0f;
  SpikeReferenceHeld[1] = true;
  readings = {40.0f, 0.1f};
  ReadExternalADdevice(1, 1);
  EXPECT_FLOAT_EQ(volts, 40.0f);
  EXPECT_EQ(calls.size(), 1u);
  EXPECT_EQ(voltagespikes[1], 0);
}

TEST_F(DispatcherTest, InDemonstrationModeTheFilterJudgesTheUnchangedValue) {
  External_AD = ExternalADCode::Demonstration;
  Sample = 3;
  SpikeFilterArray[5] = 1.5f;
  LastVoltageArray[5 + 17] = 0.0f;
  SpikeReferenceHeld[5] = true;
  volts = 9.0f;
  ReadExternalADdevice(5, 1);
  EXPECT_FLOAT_EQ(volts, 9.0f) << "the re-read is also 9, so it stands";
  EXPECT_FLOAT_EQ(LastVoltageArray[5 + 17], 9.0f);
}

TEST_F(DispatcherTest, ChannelsOutsideTheTableAreIgnored) {
  volts = 1.0f;
  readings = {5.0f};
  ReadExternalADdevice(0, 1);
  ReadExternalADdevice(17, 1);
  EXPECT_FLOAT_EQ(volts, 1.0f);
  EXPECT_TRUE(calls.empty());
}

}  // namespace
}  // namespace mv
