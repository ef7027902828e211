// A failed reading (-99999) is no reading: where a value is the mean of several
// readings (a chart sample's averaged readings, scan averaging over an interval, the
// pause window's refresh) it is the mean of those that succeeded, and -99999 only when
// none did, never a number between.
#include <cstdlib>
#include <map>
#include <utility>

#include "acq_fixture.h"
#include "acquisition/chart_sample.h"
#include "acquisition/pause_window.h"
#include "common/window_steps.h"
#include "devices/needs.h"
#include "kit/format.h"

namespace mv::test {
namespace {

constexpr float kBad = -99999.0f;

enum class Mean { ChartSample, ScanAveraging, PauseRefresh };

struct MeanCase {
  const char* name;
  Mean mean;
};

class FailedReadingMeanTest : public AcqTest,
                              public WindowSteps,
                              public ::testing::WithParamInterface<MeanCase> {
 protected:
  void SetUp() override {
    AcqTest::SetUp();
    setenv("MV_RESOURCES_DIR", SourcePath("resources").c_str(), 1);
    RecordingMODE = RecordingModeCode::Chart;
    OpenAcquisitionWindow();
    // Channel 1 succeeds every other reading (at 2 V), channel 2 never; each reading
    // takes a tenth of a second.
    External_AD = ExternalADCode::DT500;
    services::ReadDataTaker500 = [this](int16_t ch, int16_t) {
      rt::AdvanceVirtualClock(0.1);
      volts = ch == 1 && reads_[ch]++ % 2 == 0 ? 2.0f : kBad;
    };
  }
  void TearDown() override {
    for (int16_t w : {kPauseWindow, int16_t{1}})
      if (rt::WindowExists(w)) rt::CloseWindow(w);
    unsetenv("MV_RESOURCES_DIR");
    AcqTest::TearDown();
  }

  // Takes the values the case's way; gives channel 1's and channel 2's.
  std::pair<double, double> Take(Mean mean) {
    switch (mean) {
      case Mean::ChartSample:
        for (int ch = 1; ch <= 2; ++ch) ChannelVariables[ch][ChanField::Averaged] = 4;
        GETDATA();
        return {ChartDataArray.Get(1, 0), ChartDataArray.Get(2, 0)};
      case Mean::ScanAveraging:
        PrefsArray[PrefsSlot::AverageAllChannels] = 1;
        ChartIntervalInSeconds = 1.0;
        MaxSamples = 2;
        StartChartSchedule();
        Record();
        EXPECT_EQ(Sample, 3);
        return {ChartDataArray.Get(1, 2), ChartDataArray.Get(2, 2)};
      case Mean::PauseRefresh:
        Drive({Until(kPauseWindow), Click(kPauseWindow, 54), Click(kPauseWindow, 51)});
        PAUSE();
        EXPECT_TRUE(ScriptDone());
        return {TextToNumber(TextOf(1, 7)), TextToNumber(TextOf(1, 8))};
    }
    return {};
  }

  std::map<int, int> reads_;
};

TEST_P(FailedReadingMeanTest, AFailedReadingIsNeverAveragedIntoAValue) {
  const auto [channel1, channel2] = Take(GetParam().mean);
  EXPECT_EQ(channel1, 2.0) << "the mean of the readings that succeeded";
  EXPECT_EQ(channel2, kBad) << "none succeeded";
}

INSTANTIATE_TEST_SUITE_P(Means, FailedReadingMeanTest,
                         ::testing::Values(MeanCase{"ChartSampleOfFourReadings", Mean::ChartSample},
                                           MeanCase{"ScanAveragingOverASecond", Mean::ScanAveraging},
                                           MeanCase{"PauseWindowRefresh", Mean::PauseRefresh}),
                         [](const ::testing::TestParamInfo<MeanCase>& info) { return info.param.name; });

}  // namespace
}  // namespace mv::test
