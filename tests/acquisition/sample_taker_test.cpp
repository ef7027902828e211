// The chart sample taker and the per-channel pipeline it shares: reading and
// averaging, over-range, alarms and their sounds, zeroing, the store's choice, the
// readouts and the plot position.
#include <cmath>
#include <limits>
#include <memory>
#include <string_view>

#include "acq_fixture.h"
#include "acquisition/channel_pipeline.h"
#include "acquisition/chart_sample.h"
#include "acquisition/pixel.h"
#include "acquisition/screen_rules.h"
#include "acquisition/time_axis.h"
#include "control/device_outputs.h"
#include "control/switching.h"
#include "control/switching_schedule.h"
#include "conversions/evaluate.h"
#include "conversions/gas_exchange.h"
#include "conversions/state.h"
#include "devices/needs.h"
#include "devices/scripted_port.h"
#include "devices/stream_reader.h"
#include "files/state.h"

namespace mv::test {
namespace {

class SampleTakerTest : public AcqTest {
 protected:
  void SetUp() override {
    AcqTest::SetUp();
    OpenAcquisitionWindow();
    // Readings from an interface that answers with the next value of a list.
    External_AD = ExternalADCode::DT500;
    services::ReadDataTaker500 = [this](int16_t ch, int16_t) {
      volts = readings[ch].empty() ? 0.0f : readings[ch].front();
      if (!readings[ch].empty()) readings[ch].erase(readings[ch].begin());
    };
  }
  std::map<int, std::vector<float>> readings;
};

TEST(PixelY, ValuesInsideAndOutsideTheBand) {
  EXPECT_EQ(PixelY(0.5, 0, 1, 150, 100), 100);
  EXPECT_EQ(PixelY(0.0, 0, 1, 150, 100), 150);
  EXPECT_EQ(PixelY(1.0, 0, 1, 150, 100), 50);
  EXPECT_EQ(PixelY(7.0, 0, 1, 150, 100), 50);
  EXPECT_EQ(PixelY(-7.0, 0, 1, 150, 100), 150);
  EXPECT_EQ(PixelY(0.255, 0, 1, 150, 100), 124);  // truncated toward zero
}

TEST(PixelY, NoNumberInfinityAndZeroRangeStayOnTheBand) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(PixelY(nan, 0, 1, 150, 100), 150);
  EXPECT_EQ(PixelY(inf, 0, 1, 150, 100), 50);
  EXPECT_EQ(PixelY(-inf, 0, 1, 150, 100), 150);
  EXPECT_EQ(PixelY(0.5, 0, 0, 150, 100), 150);
  EXPECT_EQ(PixelY(0.5, 0, 0, 150, 100, ZeroRangeEdge::Top), 50);
  EXPECT_EQ(PixelY(0.5, 0, nan, 150, 100), 150);
  EXPECT_EQ(PixelY(0.5, 0, inf, 150, 100), 150);
  EXPECT_EQ(PixelY(1e30, 0, 1e-30, 150, 100), 50);
}

TEST_F(SampleTakerTest, AveragesTheReadingsOfASample) {
  ChannelVariables[1][ChanField::Averaged] = 4;
  readings[1] = {1.0f, 2.0f, 3.0f, 6.0f};
  readings[2] = {0.25f};
  GETDATA();
  EXPECT_EQ(ChartDataArray.Get(1, 0), 3.0f);
  EXPECT_EQ(ChartDataArray.Get(2, 0), 0.25f);
  EXPECT_EQ(Sample, 1);
  EXPECT_EQ(NscrnCASEs, 1);
  EXPECT_EQ(markerFlag, 0);
}

TEST_F(SampleTakerTest, ChannelWithoutReadingsStillTakesOne) {
  ChannelVariables[1][ChanField::Averaged] = 0;
  readings[1] = {0.5f};
  GETDATA();
  EXPECT_EQ(ChartDataArray.Get(1, 0), 0.5f);
}

// A sample read far later than its place stands when it was read, after a gap of the
// time lost, and the next is due one interval after it: the slots it missed are not
// taken back to back.
TEST_F(SampleTakerTest, ASampleReadFarBehindItsPlaceStandsAfterAGap) {
  StartChartAxis(10.0);
  rt::AdvanceVirtualClock(30);
  const double now = GetCurrentTimeInSeconds();
  GETDATA();
  EXPECT_EQ(Sample, 1);
  EXPECT_NEAR(TimeOfNextChartSample, now + 0.1, 1e-9);
  EXPECT_NE(CumulativePauseContainer.find("Readings failed or lagged for"), std::string::npos);
  EXPECT_NE(CumulativePauseContainer.find(" minutes at case 0"), std::string::npos);
}

TEST_F(SampleTakerTest, FirstTwoSegmentsStartOffTheChartAndRunFlat) {
  rt::FillWindow(RGBColor{65535, 65535, 65535});
  ChartDataColor = RGBColor{0, 0, 0};
  readings[1] = {0.5f, 0.5f, 0.5f};
  GETDATA();
  EXPECT_EQ(LastNsCasx, 1);
  EXPECT_EQ(ChannelVariables[1][ChanField::BottomCopy], 150 - 50);
  EXPECT_EQ(rt::CanvasPixel(0, 100), (RGBColor{0, 0, 0}));  // from x -500
  GETDATA();
  EXPECT_EQ(LastNsCasx, 2);
  rt::SaveWindowImage(1, (TestOutputDir() / "w1-first-segments.png").string());
}

TEST_F(SampleTakerTest, OverRangeIsCountedShownAndSounded) {
  alarmsArray[1][AlarmField::AnyOn] = 1;
  alarmsArray[1][AlarmField::OverRangeOn] = 1;
  AudibleALARM = 1;
  OverRangeVolts = 5.0f;
  readings[1] = {5.0f};
  readings[2] = {6.0f};  // over range but its alarm is off
  Sample = 4;
  GETDATA();
  EXPECT_EQ(alarmsArray[1][AlarmField::OverRangeCount], 1.0f);
  EXPECT_EQ(alarmsArray[1][AlarmField::OverRangeLast], 4.0f);
  EXPECT_EQ(alarmsArray[2][AlarmField::OverRangeCount], 0.0f);
  EXPECT_EQ(rt::EditText(31), " Overrange error");
  EXPECT_EQ(Played("AlarmBUZZ.mp3"), 3);  // the over-range, the alarm, once more after the sample
}

// A UI3 reads +-5.12 V, so 3 V is a good reading and only beyond 5 V is it out of range.
TEST_F(SampleTakerTest, AUI3ReadingOfThreeVoltsIsNoOverRange) {
  alarmsArray[1][AlarmField::AnyOn] = 1;
  alarmsArray[1][AlarmField::OverRangeOn] = 1;
  OverRangeVolts = OverRangeVoltsFor(ExternalADCode::SableUI3);
  readings[1] = {3.0f, 5.1f};
  GETDATA();
  EXPECT_EQ(alarmsArray[1][AlarmField::OverRangeCount], 0.0f);
  EXPECT_EQ(rt::EditText(31), "    no error    ");
  GETDATA();
  EXPECT_EQ(alarmsArray[1][AlarmField::OverRangeCount], 1.0f);
  EXPECT_EQ(rt::EditText(31), " Overrange error");
}

TEST_F(SampleTakerTest, QuietSampleDoesNotBuzz) {
  AudibleALARM = 1;
  alarmsArray[1][AlarmField::AnyOn] = 1;
  alarmsArray[1][AlarmField::UpperOn] = 1;
  alarmsArray[1][AlarmField::UpperLimit] = 0.9f;
  readings[1] = {0.5f, 0.95f};
  GETDATA();
  EXPECT_EQ(Played("AlarmBUZZ.mp3"), 0);
  EXPECT_EQ(rt::EditText(31), "    no error    ");
  GETDATA();
  EXPECT_EQ(Played("AlarmBUZZ.mp3"), 2);
  EXPECT_EQ(rt::EditText(31), " > upper limit!");
  EXPECT_EQ(alarmsArray[1][AlarmField::UpperCount], 1.0f);
  EXPECT_EQ(alarmsArray[1][AlarmField::UpperLast], 1.0f);
}

TEST_F(SampleTakerTest, LowerLimitWinsTheStatusText) {
  alarmsArray[1][AlarmField::AnyOn] = 1;
  alarmsArray[1][AlarmField::LowerOn] = 1;
  alarmsArray[1][AlarmField::UpperOn] = 1;
  alarmsArray[1][AlarmField::LowerLimit] = 0.5f;
  alarmsArray[1][AlarmField::UpperLimit] = 0.1f;  // both fire
  readings[1] = {0.3f};
  GETDATA();
  EXPECT_EQ(rt::EditText(31), " < lower limit!");
  EXPECT_EQ(alarmsArray[1][AlarmField::LowerCount], 1.0f);
  EXPECT_EQ(alarmsArray[1][AlarmField::UpperCount], 1.0f);
}

// A bad reading (-99999: a failed read, an overflow, a conversion with no result) used
// to count and show as "< lower limit!" wherever a lower limit was set: it is no value,
// beyond no limit.
TEST_F(SampleTakerTest, ABadReadingFiresNoLimitAlarm) {
  AudibleALARM = 1;
  for (int16_t ch : {1, 2}) {
    alarmsArray[ch][AlarmField::AnyOn] = 1;
    alarmsArray[ch][AlarmField::LowerOn] = 1;
    alarmsArray[ch][AlarmField::UpperOn] = 1;
    alarmsArray[ch][AlarmField::LowerLimit] = 0.0f;
    alarmsArray[ch][AlarmField::UpperLimit] = 1e30f;
  }
  readings[1] = {kBadReading};
  ChannelVariables[0][2] = ConversionTypeCode::Logarithmic;  // log10 of 0 V has no result
  readings[2] = {0.0f};
  GETDATA();
  EXPECT_EQ(ChartDataArray.Get(1, 0), kBadReading);
  EXPECT_EQ(ChartDataArray.Get(2, 0), kBadReading);
  for (int16_t ch : {1, 2}) {
    EXPECT_EQ(alarmsArray[ch][AlarmField::LowerCount], 0.0f) << ch;
    EXPECT_EQ(alarmsArray[ch][AlarmField::UpperCount], 0.0f) << ch;
  }
  EXPECT_EQ(rt::EditText(31), "    no error    ");
  EXPECT_EQ(Played("AlarmBUZZ.mp3"), 0);
}

// A reading's readout shows the value recorded, not the rounding noise of its
// single-precision binary value ("0.0636100024").
TEST_F(SampleTakerTest, ReadoutsShowTheReadingWithoutRoundingNoise) {
  readings[1] = {0.06361f};
  readings[2] = {0.1218099967f};
  GETDATA();
  EXPECT_EQ(rt::EditText(7), " 0.06361");
  EXPECT_EQ(rt::EditText(8), " 0.12181");
}

TEST_F(SampleTakerTest, SwitchedOffDeviceShowsAndStoresZero) {
  SwitchingMode = SwitchingPatternCode::Keyboard;
  PrefsArray[PrefsSlot::ShowSwitchStatus] = 1;
  rt::NewEditField(51, "", Rect{600, 60, 680, 76}, 5, 0);
  rt::NewEditField(52, "", Rect{600, 160, 680, 176}, 5, 0);
  RefIsON = 0;
  OldChan = 2;
  DeviceSwitchZeroValue = 0;
  ChannelVariables[1][ChanField::Device] = 1;
  ChannelVariables[2][ChanField::Device] = 2;
  readings[1] = {0.7f};
  readings[2] = {0.6f};
  GETDATA();
  EXPECT_EQ(rt::EditText(51), " zeroed ");
  EXPECT_EQ(rt::EditText(7), "   zero");
  EXPECT_EQ(ChartDataArray.Get(1, 0), 0.0f);
  EXPECT_EQ(rt::EditText(52), " 2 ON      ");
  EXPECT_EQ(ChartDataArray.Get(2, 0), 0.6f);
}

TEST_F(SampleTakerTest, ReferenceStatusNamesTheGroupsReference) {
  SwitchingMode = SwitchingPatternCode::Keyboard2;
  PrefsArray[PrefsSlot::ShowSwitchStatus] = 1;
  rt::NewEditField(51, "", Rect{600, 60, 680, 76}, 5, 0);
  rt::NewEditField(52, "", Rect{600, 160, 680, 176}, 5, 0);
  RefIsON = 1;
  nGroups = 2;
  RefChan = 1;
  RefChan2 = 5;
  OldChan = 1;  // each group's reference recorded on, as the switch to the reference leaves it
  OldChan2 = 5;
  ChannelVariables[1][ChanField::Device] = 2;
  ChannelVariables[2][ChanField::Device] = 6;
  readings[1] = {0.7f, 0.7f};
  readings[2] = {0.6f, 0.6f};
  GETDATA();
  EXPECT_EQ(rt::EditText(51), "ref 1    ");
  EXPECT_EQ(rt::EditText(52), "ref 5    ");
  Sample = 1;
  RunChannelPipeline(2, 0.6f, false, 3, kScanStyle);
  EXPECT_EQ(rt::EditText(52), " ref 5");
}

// A reference that leaves a group with every valve shut (no reference device chosen,
// or one without a line) records no device on for that group: the group's channels
// are zeroed for the whole reference, as in a sample period, while the other group's
// reference readings are stored.
TEST_F(SampleTakerTest, AReferenceThatLeavesAGroupShutZeroesItsChannels) {
  const struct {
    const char* what;
    int16_t pattern, ref1, ref2;
    float stored1, stored2;
  } rows[] = {
      {"two groups, both references open", 6, 1, 5, 0.7f, 0.6f},
      {"two groups, group 2 without a reference", 6, 1, 0, 0.7f, 0.0f},
      {"two groups, group 1 without a reference", 4, 0, 5, 0.0f, 0.6f},
      {"one group without a reference", 5, 0, 0, 0.0f, 0.0f},
      {"one group, its reference open", 5, 1, 0, 0.7f, 0.6f},
  };
  External_AD = ExternalADCode::DT800;
  PrefsArray[PrefsSlot::DigitalOutputCoding] = 0;  // a line per device: group 2 has lines
  services::ReadDataTaker800 = services::ReadDataTaker500;
  InstallSerialPort(std::make_unique<ScriptedSerialPort>());
  DeviceSwitchZeroValue = 0;
  ChannelVariables[1][ChanField::Device] = 2;
  ChannelVariables[2][ChanField::Device] = 6;
  for (const auto& row : rows) {
    SwitchingMode = row.pattern;
    nGroups = row.pattern == 5 ? 0 : 2;
    RefChan = row.ref1;
    RefChan2 = row.ref2;
    OldChan = 2;  // the sample devices before the reference
    OldChan2 = 6;
    SWITCHTOREFERENCE();
    readings[1] = {0.7f};
    readings[2] = {0.6f};
    GETDATA();
    EXPECT_EQ(ChartDataArray.Get(1, Sample - 1), row.stored1) << row.what;
    EXPECT_EQ(ChartDataArray.Get(2, Sample - 1), row.stored2) << row.what;
  }
}

// A channel zero-linked to another is zeroed while that channel's device is off, from
// the run's first sample, and only while "Extra Zero Links" is ticked (periodic
// references in a chart); a primary whose device is on and reads exactly the zero value
// leaves the linked channel's readings alone.
TEST_F(SampleTakerTest, ZeroLinkFollowsTheLinkedChannelsDevice) {
  const struct {
    int16_t on, primaryDevice;  // device 2 is on
    float primaryReading, linkedStored;
  } rows[] = {{1, 1, 0.7f, 0.0f}, {0, 1, 0.7f, 0.6f}, {1, 2, 0.0f, 0.6f}};
  for (const auto& row : rows) {
    Sample = 0;
    SwitchingMode = 5;
    RecordingMODE = RecordingModeCode::Chart;
    ChartIntervalInSeconds = 1;
    RefIsON = 0;
    OldChan = 2;
    DeviceSwitchZeroValue = 0;
    ChannelVariables[1][ChanField::Device] = row.primaryDevice;
    zerolink[0] = row.on;
    zerolink[3 * 2 + 2] = 1;  // channel 2 follows channel 1
    readings[1] = {row.primaryReading, row.primaryReading};
    readings[2] = {0.6f, 0.6f};
    GETDATA();
    GETDATA();
    for (int32_t column : {0, 1})
      EXPECT_EQ(ChartDataArray.Get(2, column), row.linkedStored)
          << "box " << row.on << ", device " << row.primaryDevice << ", sample " << column;
  }
}

// A rate whose flow the run has not read yet (a later flow channel at the first
// sample, a channel that is not recorded) is not known: the bad-reading mark.
TEST_F(SampleTakerTest, AFlowNotReadYetGivesNoRate) {
  GasExchangeRecord& gas = SpecialOpsArray[1];
  gas[GasField::Computation] = 3;
  gas[GasField::Case] = 1;
  gas[GasField::FlowSource] = 3;
  gas[GasField::Flow] = 2;  // a later channel: the previous column
  gas[GasField::VapourDensity] = 1;
  gas[GasField::Units] = 2;
  gas[GasField::Save] = 1;
  readings[1] = {0.5f, 0.5f};
  readings[2] = {100.0f, 100.0f};
  GETDATA();
  EXPECT_EQ(ChartDataArray.Get(1, 0), kBadReading) << "no flow read yet";
  GETDATA();
  EXPECT_FLOAT_EQ(ChartDataArray.Get(1, 1), 100.0f * 0.005f);

  gas[GasField::Flow] = 40;  // no such channel
  readings[1] = {0.5f};
  readings[2] = {100.0f};
  GETDATA();
  EXPECT_EQ(ChartDataArray.Get(1, 2), kBadReading);
}

TEST_F(SampleTakerTest, StoreTakesTheConvertedValueUnlessSaved) {
  GasExchangeRecord& gas = SpecialOpsArray[1];
  gas[GasField::Correction] = 1;  // smoothing only
  gas[GasField::Z] = 2;
  gas[GasField::Save] = 0;
  readings[1] = {0.4f, 0.8f, 0.4f, 1.0f};
  GETDATA();
  GETDATA();  // the second sample starts the smoothing from itself
  EXPECT_FLOAT_EQ(ChartDataArray.Get(1, 1), 0.8f);
  GETDATA();
  EXPECT_FLOAT_EQ(ChartDataArray.Get(1, 2), 0.4f);  // not the smoothed 0.6 shown
  EXPECT_EQ(rt::EditText(7), StringFormatter(0.6f));
  gas[GasField::Save] = 1;
  GETDATA();
  EXPECT_FLOAT_EQ(ChartDataArray.Get(1, 3), 0.7f);  // 0.4 + (1.0 - 0.4) / 2
}

TEST_F(SampleTakerTest, DemonstrationReadingsLieInTheirRange) {
  External_AD = ExternalADCode::Demonstration;
  for (int i = 0; i < 50; ++i) GETDATA();
  for (int i = 0; i < 50; ++i) {
    EXPECT_GE(ChartDataArray.Get(1, i), 0.201f);
    EXPECT_LE(ChartDataArray.Get(1, i), 1.0f);
  }
}

TEST_F(SampleTakerTest, StreamingChannelTakesItsVariable) {
  External_AD = ExternalADCode::SerialStream;
  ShowDisplays = 0;
  int reads = 0;
  services::ReadSerialStream = [&](int16_t mode) {
    ++reads;
    EXPECT_EQ(mode, 1);
    serialArray[3][1] = 42.5f;
    serialArray[3][2] = 2;
    serialArray[1][1] = 7.0f;
    serialArray[1][2] = 0;
  };
  GETDATA();
  EXPECT_EQ(ChartDataArray.Get(2, 0), 42.5f);
  EXPECT_EQ(ChartDataArray.Get(1, 0), 7.0f);  // no variable recorded on it: its input's
  EXPECT_EQ(ShowDisplays, 1);
  EXPECT_EQ(reads, 1);  // one line serves every channel of the sample
}

// An instrument that sends one line a second, recorded on four channels at 1 s through
// the real stream reader and the chart loop.
class StreamSampleTest : public AcqTest {
 protected:
  void SetUp() override {
    AcqTest::SetUp();
    auto p = std::make_unique<ScriptedSerialPort>();
    port = p.get();
    InstallSerialPort(std::move(p));
    services::ReadSerialStream = [](int16_t mode) { ReadSerialStream(mode); };
    External_AD = ExternalADCode::SerialStream;
    SetChannels(4);
    for (int n = 1; n <= 16; ++n) serialArray[n][2] = n <= 4 ? static_cast<float>(n) : 0.0f;
    OpenAcquisitionWindow();
  }
  void TearDown() override {
    CloseSerialPort();
    AcqTest::TearDown();
  }
  ScriptedSerialPort* port = nullptr;
};

TEST_F(StreamSampleTest, FourChannelsAtOneSecondReadOneLinePerSample) {
  ChartIntervalInSeconds = 1.0;
  MaxSamples = 4;
  StartChartSchedule();
  const double start = CurrentTimeInSeconds;
  const uint32_t t0 = rt::TickCount();
  // Line i ("10i+1,10i+2,10i+3,10i+4") arrives a tenth of a second after sample i is due.
  for (int i = 0; i <= 6; ++i) {
    std::string line;
    for (int ch = 1; ch <= 4; ++ch) line += (ch > 1 ? "," : "") + std::to_string(10 * i + ch);
    port->DeliverAt(t0 + 12 + 60 * i, line + "\r");
  }
  EXPECT_EQ(Record(), RunEnd::SamplesDone);
  ASSERT_EQ(dues.size(), 5u);
  for (int i = 0; i < 5; ++i) {
    EXPECT_NEAR(dues[i], start + 0.1 + i, 1e-9) << i;
    EXPECT_LT(taken_[i] - dues[i], 0.5) << "sample " << i << " was taken late";
    for (int ch = 1; ch <= 4; ++ch) EXPECT_EQ(ChartDataArray.Get(ch, i), 10.0f * i + ch) << i << " " << ch;
  }
}

// A line that refuses what is written (hung up) until it is back.
class RefusingPort : public ScriptedSerialPort {
 public:
  bool Write(std::string_view bytes) override { return !refusing && ScriptedSerialPort::Write(bytes); }
  bool refusing = true;
};

// A switch due while the line was hung up goes out with the next sample, before its
// readings: no sample stands on valves other than those the run records. Its marker
// stands at that sample, the first whose readings it applies to.
TEST_F(SampleTakerTest, ASampleSendsTheSwitchTheLineRefusedBeforeItsReadings) {
  auto owned = std::make_unique<RefusingPort>();
  RefusingPort* line = owned.get();
  InstallSerialPort(std::move(owned));
  DemonstrationMODE = 0;
  PrefsArray[PrefsSlot::DigitalOutputCoding] = 0;  // a DT500's line per device
  PrefsArray[PrefsSlot::MarkerAtSwitch] = 1;
  SwitchingMode = 3;
  SampleValve = 3;
  RefOffTime = 100;
  RefOnTime = kNeverTick;
  EXPECT_TRUE(SwitchingOnPass(100).empty()) << "not marked while it waits";
  ASSERT_TRUE(SwitchCommandsUnsent());
  Sample = 6;
  line->refusing = false;
  std::string sentBeforeReading;
  services::ReadDataTaker500 = [&](int16_t, int16_t) {
    if (sentBeforeReading.empty()) sentBeforeReading = line->Written() + "|";
    volts = 0.5f;
  };
  GETDATA();
  EXPECT_EQ(sentBeforeReading, "1DSO=1\r2DSO=1\r3DSO=0\r4DSO=1\r|") << "device 3's line, before the readings";
  EXPECT_FALSE(SwitchCommandsUnsent());
  ASSERT_EQ(Nmarkers, 1);
  EXPECT_EQ(MarkersArray[1].code, 'S');
  EXPECT_EQ(MarkersArray[1].sample, 6) << "at the sample just taken, not the next";
  CloseSerialPort();
}

TEST_F(SampleTakerTest, ProgressBarNotTouchedBelowOneSegment) {
  rt::NewProgressBar(899, Rect{471, 19, 790, 23}, 1, 790, 1);
  SegmentsInProgressBar = 790;
  MaxSamples = 10'000;
  Sample = 5;
  rt::SetControlValue(899, 100);
  readings[1] = {0.5f};
  GETDATA();
  EXPECT_EQ(rt::ControlValue(899), 100);
  Sample = 2'000;
  GETDATA();
  EXPECT_EQ(rt::ControlValue(899), 158);
}

TEST_F(SampleTakerTest, ScanStyleMarksTheSlopeTrend) {
  alarmsArray[1][AlarmField::SlopeTrendOn] = 1;
  // A span never set (0) is the 5 points the slope window shows for it.
  alarmsArray[1][AlarmField::SlopeTrendSpan] = 0;
  for (int i = 0; i < 7; ++i) ChartDataArray.Set(1, i, 0.1f * (i + 1));
  Sample = 6;
  RunChannelPipeline(1, 0.9f, false, 10, kScanStyle);
  EXPECT_EQ(rt::EditText(7), StringFormatter(0.9f)) << "a span of 0: not yet more than 5 + 1 samples";
  alarmsArray[1][AlarmField::SlopeTrendSpan] = 5;
  for (int i = 0; i < 7; ++i) ChartDataArray.Set(1, i, 0.1f * (i + 1));
  Sample = 6;  // not yet more than span + 1 samples
  RunChannelPipeline(1, 0.9f, false, 10, kScanStyle);
  EXPECT_EQ(rt::EditText(7), StringFormatter(0.9f));
  Sample = 7;
  RunChannelPipeline(1, 0.9f, false, 10, kScanStyle);
  EXPECT_EQ(rt::EditText(7), StringFormatter(0.9f) + " + ");
  Sample = 8;
  RunChannelPipeline(1, 0.05f, false, 11, kScanStyle);
  EXPECT_EQ(rt::EditText(7), StringFormatter(0.05f) + " -");
  Sample = 9;
  RunChannelPipeline(1, 0.05f, false, 12, kChartStyle);
  EXPECT_EQ(rt::EditText(7), StringFormatter(0.05f));
}

}  // namespace
}  // namespace mv::test
