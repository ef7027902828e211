// Continuous averaging on the real chart and scope-plus-chart loops, on the virtual
// clock, with a DataTaker whose every read takes a set time and answers volts that are
// a function of the clock: every stored value is compared with what the channel's
// setting says it holds (the mean of the interval's readings, of their absolute values
// when asked; one reading otherwise), the over-range alarm is counted when any reading
// averaged reached the limit, and the chart file's averaging field says how many
// readings each value holds.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "acq_fixture.h"
#include "acquisition/scan_averaging.h"
#include "acquisition/scope_chart_loop.h"
#include "acquisition/scope_loop.h"
#include "files/chart_file.h"
#include "files/data_file_model.h"
#include "files/store_view.h"

namespace mv::test {
namespace {

constexpr double kRead = 0.002;  // seconds one read takes
constexpr float kBad = -99999.0f;

// +a for the first 37 ms, -a for the next 37 ms, and so on.
float Toggled(float a) {
  const auto half = static_cast<int64_t>(std::floor(GetCurrentTimeInSeconds() / 0.037));
  return half % 2 == 0 ? a : -a;
}

// The averaging field of channel block i (0 = the file's first channel) of a chart file.
float AveragingField(const std::string& file, int block) {
  const DataFileFacts f = GatherDataFileFacts(RunPhase::Open);
  const std::size_t at = 35 + f.comment.size() + 16 + 50 * static_cast<std::size_t>(block);
  uint32_t bits = 0;
  for (int i = 0; i < 4; ++i) bits = (bits << 8) | static_cast<unsigned char>(file[at + i]);
  float v;
  std::memcpy(&v, &bits, 4);
  return v;
}

enum class Scan { LastChannel, AllChannels };

struct Case {
  const char* name;
  Scan scan;
  bool absolute;
  std::function<float(int16_t ch)> volts;  // what channel ch answers now
  // Channel 2's value in every sample besides the mean of what it answered (none: NaN).
  float channel2;
  bool overRangeEverySample;  // channel 2's over-range alarm counts every stored sample
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

constexpr float kAny = NAN;

float Steady(int16_t) { return 0.25f; }

const Case kCases[] = {
    {"LastChannelMeanOfAbsoluteValuesOfAToggledInput", Scan::LastChannel, true,
     [](int16_t ch) { return ch == 2 ? Toggled(0.7f) : Steady(ch); }, 0.7f, false},
    {"LastChannelSignedMeanOfAToggledInput", Scan::LastChannel, false,
     [](int16_t ch) { return ch == 2 ? Toggled(0.7f) : Steady(ch); }, kAny, false},
    {"OverRangeUnderLastChannelAveraging", Scan::LastChannel, false,
     [](int16_t ch) { return ch == 2 ? Toggled(3.0f) : Steady(ch); }, kAny, true},
    {"OverRangeUnderAllChannelAveraging", Scan::AllChannels, false,
     [](int16_t ch) { return ch == 2 ? Toggled(3.0f) : Steady(ch); }, kAny, true},
    {"WithinRangeUnderAllChannelAveraging", Scan::AllChannels, false,
     [](int16_t ch) { return ch == 2 ? Toggled(2.0f) : Steady(ch); }, kAny, false},
};

class ContinuousAveragingRun : public AcqTest, public ::testing::WithParamInterface<Case> {
 protected:
  void SetUp() override {
    AcqTest::SetUp();
    External_AD = ExternalADCode::DT500;
    DemonstrationMODE = 0;
    OverRangeVolts = 2.5f;
    for (int16_t ch = 1; ch <= 2; ++ch) alarmsArray[ch][AlarmField::OverRangeOn] = 1;
    services::ReadDataTaker500 = [this](int16_t ch, int16_t) {
      ++reads[ch];
      volts = GetParam().volts(ch);
      if (ch == 2) {
        sent += GetParam().absolute ? std::fabs(volts) : volts;
        ++sentCount;
      }
      rt::AdvanceVirtualClock(kRead);
    };
  }
  // Runs the loop, keeping for each stored sample the mean of what channel 2 answered
  // since the sample before (of the absolute values when they are asked).
  RunEnd RecordMeans() {
    SetSampleTimingTap([this](double, double) {
      sentMeans.push_back(static_cast<float>(sent / sentCount));
      sent = 0;
      sentCount = 0;
    });
    return CHARTSCANNING();
  }
  std::array<int, 17> reads{};
  double sent = 0;
  int sentCount = 0;
  std::vector<float> sentMeans;
};

TEST_P(ContinuousAveragingRun, EveryStoredValueHoldsWhatTheAveragingSays) {
  const Case& c = GetParam();
  RecordingMODE = RecordingModeCode::Chart;
  ChartIntervalInSeconds = 1.0;
  MaxSamples = 5;
  if (c.scan == Scan::LastChannel) {
    PrefsArray[PrefsSlot::AverageLastChannel] = 1;
    ChannelVariables[2][ChanField::Averaged] = 0;  // "cont"
    AbsoluteValue = c.absolute ? 1 : 0;
  } else {
    PrefsArray[PrefsSlot::AverageAllChannels] = 1;
  }
  StartChartSchedule();
  EXPECT_EQ(RecordMeans(), RunEnd::SamplesDone);
  const int32_t stored = Sample;
  ASSERT_EQ(stored, MaxSamples + 1);
  ASSERT_EQ(sentMeans.size(), static_cast<std::size_t>(stored));

  int checked = 0, wrong = 0;
  std::ostringstream table;
  for (int16_t ch = 1; ch <= 2; ++ch) {
    for (int32_t i = 0; i < stored; ++i) {
      // Channel 1 takes one reading at each sample; channel 2 holds the mean of its
      // readings of the interval (a float sum: within a few parts in a million).
      const float v = ChartDataArray.Get(ch, i);
      const float want = ch == 1 ? Steady(ch) : sentMeans[static_cast<std::size_t>(i)];
      bool right = ch == 1 ? v == want : std::fabs(v - want) <= 1e-5f;
      if (ch == 2 && !std::isnan(c.channel2)) right = right && std::fabs(v - c.channel2) <= 1e-5f;
      ++checked;
      if (!right) {
        ++wrong;
        table << "channel " << ch << " sample " << i << ": " << v << ", expected " << want << "\n";
      }
    }
  }
  std::cout << "[ values ] " << c.name << ": " << checked << " stored values checked, " << wrong << " wrong\n";
  EXPECT_EQ(wrong, 0) << table.str();

  // Over range is judged on every reading averaged, not on the mean.
  EXPECT_EQ(alarmsArray[2][AlarmField::OverRangeCount], c.overRangeEverySample ? stored : 0);
  EXPECT_EQ(alarmsArray[1][AlarmField::OverRangeCount], 0);

  // The scanned channels were read all through the interval, the others once a sample;
  // the file's averaging field is the readings a value holds: every reading the
  // instrument answered went into one of the stored samples.
  const std::string file = EncodeChartFile(StoreRecordingView{}, GatherDataFileFacts(RunPhase::Open));
  const auto perSample = [&](int16_t ch) {
    return static_cast<float>(static_cast<double>(reads[ch]) / stored);
  };
  EXPECT_GT(perSample(2), 100.0f) << "a scan every few milliseconds over one-second intervals";
  EXPECT_FLOAT_EQ(AveragingField(file, 1), perSample(2));
  if (c.scan == Scan::LastChannel) {
    EXPECT_EQ(reads[1], stored) << "channel 1 takes its one reading at each sample";
    EXPECT_EQ(AveragingField(file, 0), 1.0f);
  } else {
    EXPECT_FLOAT_EQ(AveragingField(file, 0), perSample(1));
  }
}

INSTANTIATE_TEST_SUITE_P(Averaging, ContinuousAveragingRun, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return info.param.name; });

// Scope plus chart: each chart value is the channel's latest single reading, and the
// file says 1 reading, whatever the set-up's scope steps per chart point.
TEST_F(AcqTest, ScopePlusChartFileSaysEachChartValueIsOneReading) {
  RecordingMODE = RecordingModeCode::ScopeChart;
  External_AD = ExternalADCode::DT500;
  DemonstrationMODE = 0;
  SetChannels(3);
  FirstChan = 2;
  ScopeMax = 100;
  ScopeIntervalInSeconds = 0.01;
  scopeXfactor = 7.0f;
  ChartView = 1;
  OverRangeVolts = 10;
  MaxSamples = 6;
  for (int16_t ch = 2; ch <= 3; ++ch) ChannelVariables[ch][ChanField::Averaged] = 10;
  int32_t gather = 0;
  services::ReadDataTaker500 = [&gather](int16_t ch, int16_t) {
    // Each read of a chart channel answers a new value: a mean would show.
    volts = ch == 1 ? 0.5f : static_cast<float>(++gather) * 0.125f;
    rt::AdvanceVirtualClock(0.001);
  };
  OpenAcquisitionWindow();
  StartChartSchedule();
  EXPECT_EQ(SCOPEPLUSCHARTSCAN(), 0);
  ASSERT_GE(Sample, 2);
  int checked = 0, wrong = 0;
  for (int32_t col = 1; col <= Sample; ++col) {
    for (int16_t ch = 2; ch <= 3; ++ch) {
      // One reading: a multiple of 0.125 (a mean of several new readings would not be
      // 0.125 apart from channel 2's to channel 3's).
      const float v2 = ChartDataArray.Get(2, col), v3 = ChartDataArray.Get(3, col);
      ++checked;
      if (ch == 3 && v3 - v2 != 0.125f) ++wrong;
      if (ch == 2 && (v2 <= 0 || std::fmod(v2, 0.125f) != 0.0f)) ++wrong;
    }
  }
  std::cout << "[ values ] ScopePlusChart: " << checked << " stored values checked, " << wrong << " wrong\n";
  EXPECT_EQ(wrong, 0);
  const std::string file = EncodeChartFile(StoreRecordingView{}, GatherDataFileFacts(RunPhase::Open));
  EXPECT_EQ(AveragingField(file, 0), 1.0f) << "channel 2";
  EXPECT_EQ(AveragingField(file, 1), 1.0f) << "channel 3";
}

}  // namespace
}  // namespace mv::test

namespace mv::test {
namespace {

// A streaming instrument's sample is one line: its file says 1 reading a value, even for
// a last channel set to continuous averaging (its scans would be the same line again).
TEST_F(AcqTest, AStreamedChartFileSaysEachValueIsOneReading) {
  RecordingMODE = RecordingModeCode::Chart;
  External_AD = ExternalADCode::SerialStream;
  SetChannels(2);
  ChannelVariables[1][ChanField::Averaged] = 5;
  ChannelVariables[2][ChanField::Averaged] = 0;
  PrefsArray[PrefsSlot::AverageLastChannel] = 1;
  EXPECT_FALSE(LastChannelScanned());
  const std::string file = EncodeChartFile(StoreRecordingView{}, GatherDataFileFacts(RunPhase::Open));
  EXPECT_EQ(AveragingField(file, 0), 1.0f);
  EXPECT_EQ(AveragingField(file, 1), 1.0f);
}

}  // namespace
}  // namespace mv::test
