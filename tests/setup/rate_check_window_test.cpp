// The rate check after a run: the interval the data files get, the "Recording
// Check" window in each mode, and the "Sample Rate Precision" dialog driven as a
// user would.
#include "setup/rate_check_window.h"

#include <limits>
#include <string>

#include "acquisition/state.h"
#include "dialog_steps.h"
#include "kit/state.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {
namespace {

constexpr int16_t W = kRecordingCheckWindow;

int Height(int16_t window) {
  const Rect r = rt::WindowContentRect(window);
  return r.bottom - r.top;
}

TEST(RateCheckRules, TolerancesHeadingsAndValueTexts) {
  const float expected[] = {0.05f, 0.03f, 0.02f, 0.01f, 0.005f, 0.003f, 0.002f, 0.001f};
  for (int16_t b = 11; b <= 18; ++b) EXPECT_EQ(ToleranceForButton(b), expected[b - 11]) << b;
  EXPECT_EQ(ToleranceForButton(10), 0.0f);
  EXPECT_EQ(ToleranceButtonForSlot(4), 14);
  EXPECT_EQ(ToleranceButtonForSlot(0), 12) << "a slot never set shows the 3 % default";
  EXPECT_EQ(ToleranceButtonForSlot(99), 12);

  EXPECT_EQ(RateCheckHeading(1.0f, false).str(), "sample interval");
  EXPECT_EQ(RateCheckHeading(0.1f, false).str(), "  sample rate");
  EXPECT_EQ(RateCheckHeading(0.1f, true).str(), "    sample rate");
  EXPECT_EQ(RecordingCheckHeight(RecordingModeCode::Chart, false), 70);
  EXPECT_EQ(RecordingCheckHeight(RecordingModeCode::ScopeChart, false), 150);
  EXPECT_EQ(RecordingCheckHeight(RecordingModeCode::Chart, true), 167);

  // A requested 0.1 s is spoken of as a rate: 10 per second.
  const RateValue rate = RateValueText(0.1, 0.1);
  EXPECT_EQ(rate.value.str() + rate.unit.str(), " 10/sec");
  const RateValue interval = RateValueText(2.0, 2.5);
  EXPECT_EQ(interval.value.str() + interval.unit.str(), " 2.5 sec");
}

TEST(RateCheckRules, ScopeRateOfASlowSweepAndItsGauge) {
  // 1,000 samples a sweep in 62 ticks: 60,000 / 62 = 967.7, shown as 968, against 1,000.
  const ScopeRates s = ScopeRatesOf(1'000, 62, 0.001);
  EXPECT_TRUE(s.timed);
  EXPECT_EQ(ScopeRateText(s.achieved).str(), " 968");
  EXPECT_EQ(ScopeRateText(s.requested).str(), " 1000");
  EXPECT_FALSE(s.withinThreePercent);
  EXPECT_EQ(GaugeFillEnd(0.968, 220, 13, 233), 225);               // trunc(212.96 + 13)
  EXPECT_TRUE(ScopeRatesOf(1'000, 61, 0.001).withinThreePercent);  // 983.6 -> 984
  EXPECT_FALSE(ScopeRatesOf(1'000, 0, 0.001).timed);
}

// Above 2 s a scope interval's rate is below half a sample per second: compared
// rounded, every such sweep failed against a requested rate of 0.
TEST(RateCheckRules, AScopeIntervalAboveTwoSecondsIsJudgedOnItsTrueRate) {
  struct Row {
    double interval;
    int32_t sweepTicks;  // for 100 samples
    bool within;
    const char* requestedText;
  };
  const Row rows[] = {{5.0, 30'000, true, " 0.2"},  // on time
                      {30.0, 180'000, true, " 0.033333"},
                      {5.0, 31'000, false, " 0.2"},  // 3.2 % slow
                      {2.5, 15'300, true, " 0.4"}};  // 2 % slow
  for (const Row& r : rows) {
    const ScopeRates s = ScopeRatesOf(100, r.sweepTicks, r.interval);
    EXPECT_EQ(s.withinThreePercent, r.within) << r.interval << " s, " << r.sweepTicks << " ticks";
    EXPECT_EQ(ScopeRateText(s.requested).str(), r.requestedText);
  }
}

// A gauge over a rate that is not a number or infinite (no requested scope rate, a
// zero measured interval) must not cast it to a pixel position.
TEST(RateCheckRules, GaugeOfAnUnmeasurableRateStaysInsideTheBar) {
  EXPECT_EQ(GaugeFillEnd(std::numeric_limits<double>::quiet_NaN(), 218, 14, 232), 14);
  EXPECT_EQ(GaugeFillEnd(std::numeric_limits<double>::infinity(), 218, 14, 232), 232);
  EXPECT_EQ(GaugeFillEnd(-3.0, 218, 14, 232), 14);
  const ScopeRates none = ScopeRatesOf(1'000, 62, 0.0);  // no requested rate
  EXPECT_FALSE(none.withinThreePercent);
}

// A chart run of `samples` samples whose last one was taken `seconds` after the first
// was due, with `held` seconds of pause in between.
ChartRunTiming SpanOf(double seconds, int32_t samples, double held = 0) {
  return ChartRunTiming{0.0, seconds, samples, held, held};
}

class RateCheckWindowTest : public test::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    Sound_Is_On = 1;
    RecordingMODE = RecordingModeCode::Chart;
    ChartSampleInterval = 1.0f;
    ChartIntervalInSeconds = 1.0;
    Sample = 3'600;
  }
  const ChartRunTiming anHour = SpanOf(3'654.0, 3'601);  // 1.015 s a sample
};

// 3,600 samples over 3,654 s: 1.015 s a sample, inside 3 %, outside 1 %.
TEST_F(RateCheckWindowTest, AnHourAtOnePointZeroOneFiveSecondsKeepsOneSecondWithinThreePercent) {
  CHECKSAMPLERATE(anHour, 1.0f, 1);
  EXPECT_EQ(SampleInterval, 1.0f);
  ASSERT_TRUE(rt::WindowExists(W));
  EXPECT_EQ(rt::WindowTitle(W), " Recording Check ");
  EXPECT_EQ(Height(W), 70);
  EXPECT_NEAR(Kfloat, 0.015f, 1e-6f);
  EXPECT_EQ(Played("bzot.mp3"), 0);
  EXPECT_TRUE(rt::SaveWindowImage(W, Shot("w33-recording-check.png")));

  SampRateError = 0.01f;
  CHECKSAMPLERATE(anHour, 1.0f, 1);
  EXPECT_EQ(SampleInterval, 1.015f);
  EXPECT_EQ(Height(W), 300) << "the out-of-tolerance page with its warning text";
  EXPECT_EQ(Played("bzot.mp3"), 1);
  EXPECT_TRUE(rt::SaveWindowImage(W, Shot("w33-recording-check-slow.png")));

  CHECKSAMPLERATE(anHour, 1.0f, 0);
  EXPECT_EQ(Played("bzot.mp3"), 1) << "a sound flag of 0 keeps the check quiet";
}

TEST_F(RateCheckWindowTest, PausesAreTakenOffBeforeDividing) {
  SampRateError = 0.001f;
  CHECKSAMPLERATE(SpanOf(4'200.0, 3'601, 600.0), 1.0f, 1);  // 3,600 s of recording
  EXPECT_EQ(SampleInterval, 1.0f);
  EXPECT_EQ(Height(W), 70);
}

// One sample has no interval: the window says that no rate can be measured, and the
// files keep the set interval. Two samples have one, and it is measured.
TEST_F(RateCheckWindowTest, FewerThanTwoSamplesSayNoRateCanBeMeasuredAndKeepTheSetInterval) {
  Sample = 0;  // a run stopped after its first sample
  SampleInterval = 0;
  CHECKSAMPLERATE(SpanOf(0.0, 1), 1.0f, 1);
  ASSERT_TRUE(rt::WindowExists(W));
  EXPECT_EQ(Height(W), 70) << "the plain window, not the slow-rate page";
  EXPECT_EQ(SampleInterval, 1.0f);
  EXPECT_EQ(Played("bzot.mp3"), 0);
  EXPECT_TRUE(rt::SaveWindowImage(W, Shot("w33-recording-check-no-rate.png")));

  Sample = 1;
  CHECKSAMPLERATE(SpanOf(1.5, 2), 1.0f, 1);
  EXPECT_EQ(SampleInterval, 1.5f);
  EXPECT_EQ(Played("bzot.mp3"), 1);
}

TEST_F(RateCheckWindowTest, ARateChangedDuringAPauseShowsOnlyTheRequestedValue) {
  SampleRateChanged = 1;
  CHECKSAMPLERATE(SpanOf(7'200.0, 3'601), 1.0f, 1);  // twice the requested interval
  EXPECT_EQ(Height(W), 167);
  EXPECT_EQ(Played("bzot.mp3"), 0);
  EXPECT_EQ(SampleInterval, 2.0f) << "the decision still takes the measured interval";
  EXPECT_TRUE(rt::SaveWindowImage(W, Shot("w33-recording-check-rate-changed.png")));
}

// A run that lost its serial line for a while says how long under its rate, in place
// of the tick; the window grows by the line.
TEST_F(RateCheckWindowTest, ARunThatLostItsPortSaysHowLong) {
  EXPECT_EQ(LineLostText(4.46).str(), "serial port lost for 4.5 s");
  EXPECT_EQ(LineLostText(22.4).str(), "serial port lost for 22 s");
  EXPECT_EQ(LineLostText(185.0).str(), "serial port lost for 3 min 5 s");
  ChartRunTiming lost = anHour;
  lost.lineLostSeconds = 22.4;
  CHECKSAMPLERATE(lost, 1.0f, 1);
  EXPECT_EQ(Height(W), 70 + kLineLostHeight);
  ASSERT_TRUE(rt::EditFieldExists(kLineLostField));
  EXPECT_EQ(rt::EditText(kLineLostField), "serial port lost for 22 s");
  EXPECT_TRUE(rt::SaveWindowImage(W, Shot("w33-recording-check-port-lost.png")));

  SampRateError = 0.01f;
  CHECKSAMPLERATE(lost, 1.0f, 0);
  EXPECT_EQ(rt::EditText(kLineLostField), "serial port lost for 22 s") << "on the slow-rate page too";

  CHECKSAMPLERATE(anHour, 1.0f, 0);
  EXPECT_FALSE(rt::EditFieldExists(kLineLostField)) << "a run that kept its line says nothing of it";
}

TEST_F(RateCheckWindowTest, ScopeModesShowTheScopeRate) {
  RecordingMODE = RecordingModeCode::ScopeChart;
  ScopeMax = 1'000;
  LastScopeDur = 62;
  ScopeIntervalInSeconds = 0.001;
  CHECKSAMPLERATE(SpanOf(3'600.0, 3'601), 1.0f, 1);
  EXPECT_EQ(Height(W), 150);
  EXPECT_EQ(Played("bzot.mp3"), 1) << "the slow sweep buzzes even with the chart rate in tolerance";
  EXPECT_TRUE(rt::SaveWindowImage(W, Shot("w33-recording-check-scope-chart.png")));

  RecordingMODE = RecordingModeCode::Scope;
  LastScopeDur = 0;
  SampleInterval = 0.25f;
  Sample = 0;
  ChartSampleInterval = 0;
  CHECKSAMPLERATE(SpanOf(0.0, 0), 0.0f, 1);
  EXPECT_EQ(Height(W), 78);
  EXPECT_EQ(SampleInterval, 0.25f) << "a scope run without chart samples keeps the stored interval";
  EXPECT_TRUE(rt::SaveWindowImage(W, Shot("w33-recording-check-scope.png")));

  PrefsArray[PrefsSlot::DT800FastScope] = 1;
  rt::CloseWindow(W);
  CHECKSAMPLERATE(SpanOf(0.0, 0), 0.0f, 1);
  EXPECT_FALSE(rt::WindowExists(W));
}

TEST_F(RateCheckWindowTest, AFiveSecondScopeSweepOnTimeShowsTheCheckMarkAndNoBuzz) {
  RecordingMODE = RecordingModeCode::Scope;
  ScopeMax = 100;
  ScopeIntervalInSeconds = 5.0;
  LastScopeDur = 30'000;  // 100 samples in 500 s
  CHECKSAMPLERATE(SpanOf(0.0, 0), 0.0f, 1);
  ASSERT_TRUE(rt::WindowExists(W));
  EXPECT_EQ(Played("bzot.mp3"), 0) << "a scope that kept its rate is no failure";
  EXPECT_TRUE(rt::SaveWindowImage(W, Shot("w33-recording-check-slow-scope.png")));
}

TEST_F(RateCheckWindowTest, PrecisionDialogChoosesOneTolerance) {
  PrefsArray[kRateToleranceSlot] = 2;
  test::WindowDriver driver;
  driver.WaitFor(kRatePrecisionWindow)
      .Check([] {
        EXPECT_EQ(rt::ControlState(12), 2);
        EXPECT_EQ(rt::ControlState(14), 1);
      })
      .Click(kRatePrecisionWindow, 14)
      .Check([] {
        EXPECT_EQ(rt::ControlState(12), 1);
        EXPECT_EQ(rt::ControlState(14), 2);
      })
      .Click(kRatePrecisionWindow, 15)
      .Shot(kRatePrecisionWindow, Shot("w19-rate-precision.png"))
      .Click(kRatePrecisionWindow, 9);
  RunVoid(driver, [] { SampleRatePRECISION(); });
  EXPECT_FALSE(rt::WindowExists(kRatePrecisionWindow));
  EXPECT_EQ(SampRateError, 0.005f);
  EXPECT_EQ(PrefsArray[kRateToleranceSlot], 5);
  EXPECT_EQ(calls, (std::vector<std::string>{"menus off", "menus on"}));
}

}  // namespace
}  // namespace mv
