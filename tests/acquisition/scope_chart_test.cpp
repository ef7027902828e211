// The scope-plus-chart loop and its chart point on the virtual clock: the columns the
// points fill, the gathered mean, the readout of 0, the device zeroing of patterns 5
// and up, a point with nothing gathered, the time-left text, and the keys.
#include <cstdlib>
#include <filesystem>

#include "acq_fixture.h"
#include "acquisition/channel_pipeline.h"
#include "acquisition/scope_chart_loop.h"
#include "acquisition/scope_chart_sample.h"
#include "acquisition/scope_loop.h"
#include "acquisition/screen.h"
#include "files/state.h"

namespace mv::test {
namespace {

namespace fs = std::filesystem;

class ScopeChartTest : public AcqTest {
 protected:
  void SetUp() override {
    AcqTest::SetUp();
    documents_ = MakeTempDir("scope-chart-documents");
    setenv("MV_DOCUMENTS_DIR", documents_.c_str(), 1);
    RecordingMODE = RecordingModeCode::ScopeChart;
    SetChannels(3);
    FirstChan = 2;
    ScopeMax = 100;
    ScopeIntervalInSeconds = 0.01;
    scopeXfactor = 7.0f;
    ChartView = 1;
    OverRangeVolts = 10;
    fast_scope_hooks::Reset();
    OpenAcquisitionWindow();
  }
  void TearDown() override {
    unsetenv("MV_DOCUMENTS_DIR");
    fs::remove_all(documents_);
    AcqTest::TearDown();
  }
  void Gathered(float sum2, float sum3, int16_t steps) {
    DataCache[2] = sum2;
    DataCache[3] = sum3;
    scope2total = steps;
  }
  int64_t Tick() const { return rt::TickCount(); }
  fs::path documents_;
};

TEST_F(ScopeChartTest, FirstPointIsStoredInColumnOneAsTheMeanOfTheSteps) {
  Gathered(3.0f, 1.5f, 3);
  GETDATA3();
  EXPECT_EQ(Sample, 1);
  EXPECT_FLOAT_EQ(ChartDataArray.Get(2, 1), 1.0f);
  EXPECT_FLOAT_EQ(ChartDataArray.Get(3, 1), 0.5f);
  EXPECT_EQ(ChartDataArray.HighestColumn(2), 1) << "column 0 is not written";
  EXPECT_EQ(DataCache[2], 0.0f);
  EXPECT_EQ(scope2total, 0);
  EXPECT_EQ(LastNsCasx, 1);
  // Channel 2's strip: bottom 252 - 1, 100 pixels for 0..1: 1.0 is drawn at 151.
  EXPECT_FLOAT_EQ(ChannelVariables[2][ChanField::BottomCopy], 151.0f);
  EXPECT_EQ(rt::EditText(ValueReadoutField(3)), StringFormatter(0.5f).str());
}

TEST_F(ScopeChartTest, ValueOfZeroReadsAsPlainZero) {
  Gathered(0.0f, 0.3f, 1);
  GETDATA3();
  EXPECT_EQ(rt::EditText(ValueReadoutField(2)), "    0");
}

TEST_F(ScopeChartTest, DevicesAreZeroedOnlyFromPatternFiveOn) {
  ChannelVariables[2][ChanField::Device] = 3;
  DeviceSwitchZeroValue = 0;
  RefChan = 2;
  IO_Line = 0;
  OldChan = 1;
  SwitchingMode = 3;
  Gathered(0.8f, 0.4f, 1);
  GETDATA3();
  EXPECT_FLOAT_EQ(ChartDataArray.Get(2, 1), 0.8f) << "pattern 3 zeroes nothing here";
  SwitchingMode = 5;
  Gathered(0.8f, 0.4f, 1);
  GETDATA3();
  EXPECT_FLOAT_EQ(ChartDataArray.Get(2, 2), 0.0f) << "device 3 is not the one sampled";
  EXPECT_FLOAT_EQ(ChartDataArray.Get(3, 2), 0.4f) << "channel 3 has no device";
  OldChan = 2;  // device 3 - 1: the sampled one
  Gathered(0.8f, 0.4f, 1);
  GETDATA3();
  EXPECT_FLOAT_EQ(ChartDataArray.Get(2, 3), 0.8f);
}

TEST_F(ScopeChartTest, PointWithNoScopeStepHoldsThePreviousValueInsteadOfDividingByZero) {
  Gathered(0.0f, 0.0f, 0);
  GETDATA3();
  EXPECT_EQ(ChartDataArray.Get(2, 1), kBadReading) << "nothing gathered yet in this run";
  Gathered(1.2f, 0.6f, 2);
  GETDATA3();
  Gathered(0.0f, 0.0f, 0);
  GETDATA3();
  EXPECT_FLOAT_EQ(ChartDataArray.Get(2, 3), 0.6f);
  EXPECT_FLOAT_EQ(ChartDataArray.Get(3, 3), 0.3f);
}

TEST_F(ScopeChartTest, TimeLeftTurnsToHoursAbove7200Seconds) {
  EXPECT_EQ(ScopeChartTimeLeftText(7'200).str(), " 120.00 min left");
  EXPECT_EQ(ScopeChartTimeLeftText(7'201).str(), "   2.00 hr left");
  EXPECT_EQ(ScopeChartTimeLeftText(100'000).str(), "  27.78 hr left") << "no days in this mode";
  EXPECT_EQ(ScopeChartTimeLeftText(180).str(), " 180.00 sec left");
}

TEST_F(ScopeChartTest, RunOfTenFillsColumnsOneToElevenWithGatheredMeans) {
  EXPECT_EQ(SCOPEPLUSCHARTSCAN(), 0);
  EXPECT_EQ(Sample, 11);
  EXPECT_GT(TotScopeSample, 50) << "scope points between the chart points";
  for (int col = 1; col <= 11; ++col) {
    for (int ch = 2; ch <= 3; ++ch) {
      // Each step adds 1..400 / 4096: a mean lies within those bounds.
      EXPECT_GE(ChartDataArray.Get(ch, col), 1.0f / 4096) << ch << " " << col;
      EXPECT_LE(ChartDataArray.Get(ch, col), 400.0f / 4096) << ch << " " << col;
    }
  }
  EXPECT_EQ(ChartDataArray.Get(2, 0), 0.0f);
  EXPECT_EQ(ChartDataArray.HighestColumn(3), 11);
}

TEST_F(ScopeChartTest, TabSavesWithADigitMarkerOptionDigitSwitchesAndADigitMarks) {
  MaxSamples = 200;
  PrefsArray[PrefsSlot::Automarkers] = 1;
  const int64_t begin = Tick();
  script = [&] {
    const int64_t t = Tick() - begin;
    if (t == 5) Hold({rt::key::Tab});
    if (t == 8) ReleaseAll();
    if (t == 30) Hold({rt::key::Option, rt::key::N3});
    if (t == 33) ReleaseAll();
    if (t == 50) Hold({rt::key::N3});
    if (t == 53) ReleaseAll();
    if (t == 70) Hold({rt::key::Escape});
  };
  EXPECT_EQ(SCOPEPLUSCHARTSCAN(), 0);
  EXPECT_EQ(ScopeCount, 1);
  EXPECT_EQ(Count("DIRECTSWITCH 3"), 1);
  ASSERT_EQ(Nmarkers, 2);
  EXPECT_EQ(MarkersArray[1].code, '1') << "the sweep's automatic marker";
  EXPECT_EQ(MarkersArray[2].code, '3') << "a typed digit, once";
  EXPECT_EQ(ASCIIvalue, 3);
  EXPECT_LT(Sample, MaxSamples);
}

TEST_F(ScopeChartTest, EachRunStartsItsAutomaticMarkersAtTheFirstDigit) {
  MaxSamples = 200;
  PrefsArray[PrefsSlot::Automarkers] = 1;
  SetScreenSizeOverride(1024, 768);
  screen_hooks::Reset();
  for (int run = 1; run <= 2; ++run) {
    // What a run's preparation does: clear the counts, then draw the screen with the start flag.
    ResetRunCounters();
    DRAWSCREEN(1);
    const int64_t begin = Tick();
    script = [&] {
      const int64_t t = Tick() - begin;
      if (t == 5 || t == 30) Hold({rt::key::Tab});
      if (t == 8 || t == 33) ReleaseAll();
      if (t == 50) Hold({rt::key::Escape});
    };
    EXPECT_EQ(SCOPEPLUSCHARTSCAN(), 0);
    ReleaseAll();
    ASSERT_EQ(Nmarkers, 2) << "run " << run;
    EXPECT_EQ(MarkersArray[1].code, '1') << "run " << run;
    EXPECT_EQ(MarkersArray[2].code, '2') << "run " << run;
  }
  SetScreenSizeOverride(0, 0);
}

}  // namespace
}  // namespace mv::test
