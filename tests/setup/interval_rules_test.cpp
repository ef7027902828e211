// The rules of the Sample Rate window and the stored-interval decision, checked
// against values worked out by hand from the window's rules.
#include "setup/interval_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <map>
#include <vector>

#include "devices/state.h"
#include "kit/format.h"
#include "kit/state.h"
#include "setup/rate_decision.h"
#include "setup/state.h"
#include "setup_fixture.h"

namespace mv {
namespace {

constexpr int32_t M = 2'000'000, W = 700;

std::map<int16_t, int16_t> Final(const std::vector<StateChange>& changes) {
  std::map<int16_t, int16_t> m;
  for (const auto& [control, state] : changes) m[control] = state;
  return m;
}

TEST(IntervalPresets, ButtonsCarryTheirIntervalsAndLabels) {
  EXPECT_EQ(PresetInterval(9), 1.0);
  EXPECT_EQ(PresetInterval(2), 0.01666667);
  EXPECT_EQ(PresetInterval(4), 3 * 0.01666667);
  EXPECT_EQ(PresetInterval(31), 30.0);
  EXPECT_EQ(PresetInterval(1), 0.008);
  EXPECT_EQ(PresetInterval(20), 0.004);
  EXPECT_EQ(PresetInterval(24), 0.0002);
  EXPECT_FALSE(PresetInterval(13).has_value()) << "the typed interval has no preset";
  EXPECT_FALSE(PresetInterval(14).has_value());
  EXPECT_EQ(RateButtonLabel(6, false), " 1/10 second");
  EXPECT_EQ(RateButtonLabel(9, false), "  1 second");
  EXPECT_EQ(RateButtonLabel(1, false), "1/125 second");
  EXPECT_EQ(RateButtonLabel(1, true), ".008 second (1/125)");
  EXPECT_EQ(RateButtonLabel(23, true), ".0005 sec   (500 \xB5sec)");
  EXPECT_EQ(RateButtonLabel(13, false), "Use Other Interval");
}

TEST(IntervalPresets, EachInterfaceGetsItsExtraButtonsAndNotes) {
  using namespace ExternalADCode;
  EXPECT_EQ(LayoutFor(false, SableUI2, 0, 1).extraButtons, (std::vector<int16_t>{67, 1}));
  EXPECT_EQ(LayoutFor(false, DT50, 0, 1).extraButtons, (std::vector<int16_t>{68, 67, 1}));
  EXPECT_EQ(LayoutFor(false, Demonstration, 1, 1).extraButtons, (std::vector<int16_t>{68, 67, 1}));
  const IntervalLayout dt800 = LayoutFor(false, DT800, 0, 1);
  EXPECT_TRUE(dt800.extraButtons.empty());
  EXPECT_TRUE(dt800.cautionIcon);
  EXPECT_STREQ(dt800.note.at(1), "rate is about 1/50 second");
  EXPECT_STREQ(LayoutFor(false, DT85, 0, 1).note.at(1), "rate is about 1/25 second");

  const IntervalLayout scopeDt800 = LayoutFor(true, DT800, 0, 2);
  EXPECT_TRUE(scopeDt800.highSpeedColumn);
  EXPECT_STREQ(scopeDt800.picture, "DT800.gif");
  EXPECT_EQ(LayoutFor(true, DT800, 0, 3).scopeChartNote,
            "High-speed sampling is not usable in 'Scope plus Chart' mode with a DT800");
  EXPECT_EQ(LayoutFor(true, DT500, 0, 3).scopeChartNote,
            "High-speed sampling is not usable in 'Scope plus Chart' mode");
  EXPECT_FALSE(LayoutFor(true, DT500, 0, 3).highSpeedColumn);
  const IntervalLayout scopeUi2 = LayoutFor(true, SableUI2, 0, 2);
  EXPECT_EQ(scopeUi2.extraButtons, (std::vector<int16_t>{67, 1}));
  EXPECT_STREQ(scopeUi2.picture, "UI3.gif");
  EXPECT_STREQ(scopeUi2.note.at(0), "Maximum UI2 sample");
  EXPECT_TRUE(LayoutFor(true, Demonstration, 1, 2).demoNote);
}

TEST(IntervalCounts, MinusFiftyAtThirtyFloorsAtTenWithTheBuzz) {
  const int32_t s = CountAfterButton(45, 30, M, W);
  EXPECT_EQ(s, -20);
  const CountRefresh r = RefreshCountButtons(s, M, W);
  EXPECT_EQ(r.samples, 10);
  EXPECT_TRUE(r.refused);
  const auto st = Final(r.states);
  for (int16_t b : {40, 41, 45, 46, 47}) EXPECT_EQ(st.at(b), 0) << b;
  for (int16_t b : {42, 43, 48, 49, 50}) EXPECT_EQ(st.at(b), 1) << b;
}

TEST(IntervalCounts, TimesTenCapsAtTheCapacityAndDimsTheFactors) {
  const int32_t s = CountAfterButton(65, 300'000, M, W);
  EXPECT_EQ(s, M);
  const CountRefresh r = RefreshCountButtons(s, M, W);
  EXPECT_EQ(r.samples, M);
  EXPECT_FALSE(r.refused);
  const auto st = Final(r.states);
  EXPECT_EQ(st.at(63), 0);
  EXPECT_EQ(st.at(65), 0);
  EXPECT_EQ(st.at(43), 0) << "no room for another screen";
  EXPECT_EQ(st.at(64), 1);
}

TEST(IntervalCounts, ButtonArithmetic) {
  EXPECT_EQ(CountAfterButton(167, 5'000, M, W), W);
  EXPECT_EQ(CountAfterButton(41, 5'000, M, 701), 5'000 - 350) << "half a screen, truncated";
  EXPECT_EQ(CountAfterButton(42, 5'000, M, 701), 5'350);
  EXPECT_EQ(CountAfterButton(44, 5'000, M, W), M);
  EXPECT_EQ(CountAfterButton(48, M, M, W), M) << "+1 only below the capacity";
  EXPECT_EQ(CountAfterButton(50, M - 10, M, W), M);
  EXPECT_EQ(CountAfterButton(63, 1'500'000, M, W), M);
  EXPECT_EQ(CountAfterButton(64, 999, M, W), 499);
  EXPECT_EQ(CountAfterButton(66, 999, M, W), 99);
  // A count above the capacity (from a set-up file) is brought back by the refresh.
  EXPECT_EQ(RefreshCountButtons(M + 5, M, W).samples, M);
}

TEST(IntervalCounts, OpeningStatesFollowTheCount) {
  auto st = Final(InitialCountStates(W, M, W));
  EXPECT_EQ(st.at(40), 0) << "one screen: nothing to take away";
  st = Final(InitialCountStates(M, M, W));
  EXPECT_EQ(st.at(43), 0);
  EXPECT_EQ(st.at(44), 0);
  st = Final(InitialCountStates(19, M, W));
  EXPECT_EQ(st.at(64), 0);
  EXPECT_EQ(st.at(66), 0);
}

TEST(IntervalDurations, ButtonsGiveTheirSampleCounts) {
  EXPECT_EQ(DurationSamples(59, 1.0, M), 3'600);
  EXPECT_EQ(DurationSamples(51, 0.01666667, M), 300);
  EXPECT_EQ(DurationSamples(62, 0.01666667, M), M) << "24 h at 1/60 s is beyond the capacity";
  EXPECT_EQ(DurationLabel(59), "1 hr");
}

TEST(IntervalDurations, TinyTypedIntervalNeverOverflowsTheCount) {
  EXPECT_EQ(DurationSamples(62, 1e-9, M), M);
  EXPECT_EQ(DurationSamples(62, 0.0, M), M);
}

TEST(IntervalDurations, OfferedOnlyWithAHundredSamplesAndWithinTheCapacity) {
  EXPECT_TRUE(DurationOffered(59, 1.0, M));
  EXPECT_FALSE(DurationOffered(59, 40.0, M)) << "100 samples take 4,000 s";
  EXPECT_TRUE(DurationOffered(51, 0.05, M));
  EXPECT_FALSE(DurationOffered(51, 0.06, M));
  EXPECT_TRUE(DurationOffered(62, 0.05, M)) << "D = 100,000 s";
  EXPECT_FALSE(DurationOffered(62, 0.04, M)) << "D = 80,000 s";
  EXPECT_FALSE(DurationOffered(54, 0.00002, M)) << "the longest recording is 40 s";
}

TEST(IntervalScopeTrace, StepsOfOneScreenBetweenTheLimits) {
  TraceStep t = ScopeTraceStep(17, 5'000, W, 16'384);
  EXPECT_EQ(t.scopeMax, W);
  EXPECT_EQ(Final(t.states), (std::map<int16_t, int16_t>{{17, 0}, {18, 0}, {19, 1}, {39, 1}}));
  t = ScopeTraceStep(18, 2 * W, W, 16'384);
  EXPECT_EQ(t.scopeMax, W);
  EXPECT_EQ(Final(t.states).at(18), 0);
  t = ScopeTraceStep(18, 2 * W - 1, W, 16'384);
  EXPECT_EQ(t.scopeMax, 2 * W - 1) << "less than two screens: unchanged";
  t = ScopeTraceStep(19, 16'384 - W, W, 16'384);
  EXPECT_EQ(t.scopeMax, 16'384);
  EXPECT_EQ(Final(t.states).at(19), 0);
  t = ScopeTraceStep(19, 16'000, W, 16'384);
  EXPECT_EQ(t.scopeMax, 16'000);
  EXPECT_EQ(ScopeTraceStep(39, W, W, 16'384).scopeMax, 16'384);
}

TEST(IntervalScopeTrace, DataTakerLimitsAndDownloadTime) {
  EXPECT_EQ(Dt800TraceLimit(0.008), 2'048);
  EXPECT_EQ(Dt800TraceLimit(0.004), 4'096);
  EXPECT_EQ(Dt800TraceLimit(0.002), 8'192);
  EXPECT_EQ(Dt800TraceLimit(0.001), 16'384);
  EXPECT_EQ(DownloadSeconds(4'096, 0.004f), 52);  // 13 blocks of 300 x 4
  EXPECT_EQ(DownloadSeconds(16'384, 0.001f), 54);
  EXPECT_EQ(DownloadSeconds(16'384, 0.0005f), 54);
}

TEST(IntervalTexts, DurationLineAndLongestRecording) {
  EXPECT_EQ(DurationLineText(172'600.0f).text, "  Duration  2 days") << "days from 172,400 s";
  EXPECT_EQ(MaximumTimeText(M, 172'600.0 / M), "Maximum time =  47.9 hours") << "days only from 172,800 s";
  EXPECT_EQ(MaximumTimeText(M, 1.0), "Maximum time =  23.1 days");
  EXPECT_EQ(MaximumTimeText(M, 0.01666667), "Maximum time =  9.26 hours");
  EXPECT_EQ(MaximumTimeText(M, 0.0004), "Maximum time =  13.3 min ");
  EXPECT_EQ(MaximumTimeText(M, 0.0001), "Maximum time =  200 sec  ");
  EXPECT_EQ(MaximumTimeText(M, 100.0), "Maximum time =  2315 days") << "whole, never an exponent";
  EXPECT_EQ(DurationLineText(600.0f).text, "  Duration  600 sec  ");
  EXPECT_EQ(DurationLineText(600.0f).minuteUnits, 0);
  const DurationLine minutes = DurationLineText(700.0f);
  EXPECT_EQ(minutes.text, "  Duration  11.7 min ");
  EXPECT_EQ(minutes.minuteUnits, 1);
  EXPECT_EQ(DurationLineText(7'300.0f).text, "  Duration  2.03 hours");
}

TEST(IntervalSpeed, LimitsByInterfaceAndChannels) {
  using namespace ExternalADCode;
  const double sixtieth = 0.01666667, thirtieth = 2 * 0.01666667;
  EXPECT_TRUE(TooFast(SpeedLimit(SableUI2, 0, 4, 17'000, sixtieth, 10'000), sixtieth)) << "limit 0.02 s";
  EXPECT_TRUE(TooFast(SpeedLimit(SableUI3, 0, 1, 17'000, sixtieth, 10'000), sixtieth)) << "limit 0.0167 s";
  EXPECT_FALSE(TooFast(SpeedLimit(SableUI3, 0, 1, 17'000, thirtieth, 10'000), thirtieth));
  // An interval equal to the limit is fine, also when typed (held as a float).
  const double typed = static_cast<double>(0.005f);
  EXPECT_FALSE(TooFast(SpeedLimit(SableUI2, 0, 1, 17'000, typed, 10'000), typed));
  EXPECT_FALSE(TooFast(SpeedLimit(DT800, 0, 2, 17'000, 0.05, 10'000), 0.05));
  EXPECT_TRUE(TooFast(SpeedLimit(DT50, 0, 2, 17'000, 0.1, 10'000), 0.1));
  EXPECT_TRUE(TooFast(SpeedLimit(ADC1, 0, 1, 17'000, 0.1, 10'000), 0.1)) << "0.167 s per channel";
  EXPECT_EQ(CautionChannelsText(1), "for 1 channel !");
  EXPECT_EQ(CautionChannelsText(4), "for 4 channels !");
}

// The interval a measured sweep keeps: a quarter more, at least 5 ms more, to the whole
// millisecond up (so a typed figure taken from the caution is kept exactly).
TEST(IntervalSpeed, MeasuredSweepKeepsAQuarterOrFiveMillisecondsMore) {
  const struct {
    double sweep, kept;
  } cases[] = {
      {0.0128, 0.018},  // 5 ms is more than a quarter
      {0.0144, 0.020},  // 19.4 ms, up
      {0.020, 0.025},   // a quarter and 5 ms are equal
      {0.0401, 0.051},  // 50.125 ms, up
      {0.3, 0.375},
      {0.0016, 0.007},
  };
  for (const auto& c : cases) EXPECT_EQ(ShortestKeptInterval(c.sweep), c.kept) << c.sweep;
  EXPECT_EQ(ShortestKeptInterval(0.0128), TextToNumber(" 0.018")) << "as the typed text reads back";
  EXPECT_EQ(MeasuredCautionText(16, 0.01276, 0.018),
            "CAUTION: too fast. 16 channels take 12.8 ms a sweep; shortest interval kept: 0.018 s");
  EXPECT_EQ(MeasuredCautionText(1, 0.0031, 0.009),
            "CAUTION: too fast. 1 channel takes 3.1 ms a sweep; shortest interval kept: 0.009 s");
  EXPECT_EQ(UseKeptIntervalTitle(0.018), "Use 0.018 s");
}

TEST(IntervalSpeed, DemonstrationLimitUsesTheSpeedFigure) {
  using namespace ExternalADCode;
  EXPECT_EQ(SpeedLimit(Demonstration, 1, 4, 2, 1.0, 10'000), 2.0f) << "4 div 2";
  EXPECT_EQ(SpeedLimit(Demonstration, 1, 4, 5, 1.0, 10'000), 0.0f) << "F above n never warns";
  // Below the display speed the figure counts 2.5 times: trunc(2 x 2.5) = 5.
  EXPECT_EQ(SpeedLimit(Demonstration, 1, 4, 2, 0.001, 10'000), 0.0f);
}

TEST(IntervalSpeed, DemonstrationLimitWithoutASpeedFigureNeverDividesByZero) {
  EXPECT_EQ(SpeedLimit(ExternalADCode::Demonstration, 1, 4, 0, 1.0, 10'000), 0.0f);
  EXPECT_EQ(SpeedLimit(ExternalADCode::Demonstration, 1, 4, -3, 0.001, 10'000), 0.0f);
}

TEST(IntervalBackup, MinutesBecomeTicks) {
  EXPECT_EQ(BackupTicksSwitchedOn(15.0, 0), 54'000);
  EXPECT_EQ(BackupTicksSwitchedOn(0.0, 7'200), 7'200) << "a positive interval stays";
  EXPECT_EQ(BackupTicksSwitchedOn(-3.0, 0), 36'000) << "else ten minutes";
  EXPECT_EQ(BackupTicksOnClose("(off)", 54'000), 0);
  EXPECT_EQ(BackupTicksOnClose(" 2.5", 0), 9'000);
}

TEST(IntervalBackup, AbsurdBackupMinutesAreClampedNotWrapped) {
  EXPECT_EQ(BackupTicksSwitchedOn(1e9, 0), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(BackupTicksSwitchedOn(1e-9, 0), 1) << "a positive entry never switches the backup off";
}

TEST(IntervalBackup, BackupMinutesOfZeroOnClosingKeepTheLastInterval) {
  EXPECT_EQ(BackupTicksOnClose(" 0", 18'000), 18'000);
  EXPECT_EQ(BackupTicksOnClose("-5", 0), 36'000);
  EXPECT_EQ(BackupTicksOnClose("soon", 0), 36'000);
}

TEST(MaxAverage, LimitFromIntervalAndChannels) {
  EXPECT_EQ(MaxAverageFor(1.0, 4, ExternalADCode::SableUI2), 1);
  EXPECT_EQ(MaxAverageFor(10.0, 2, ExternalADCode::DT800), 17);
  EXPECT_EQ(MaxAverageFor(1.0, 1, ExternalADCode::Demonstration), 84) << "(1.2 - 0.012) / 0.014";
  EXPECT_EQ(MaxAverageFor(0.01666667, 1, ExternalADCode::Demonstration), 1);
}

TEST(MaxAverage, NoChannelsCountAsOneInsteadOfDividingByZero) {
  EXPECT_EQ(MaxAverageFor(10.0, 0, ExternalADCode::DT800), 34);
}

TEST(MaxAverage, LongTypedIntervalIsClampedToTheSixteenBitLimit) {
  EXPECT_EQ(MaxAverageFor(10'000.0, 1, ExternalADCode::DT800), 32'767);
  EXPECT_EQ(MaxAverageFor(1e300, 1, ExternalADCode::DT800), 32'767);
}

TEST(RateDecision, WithinToleranceKeepsTheRequestedInterval) {
  RateDecision d = decideSampleInterval(3'654.0, 0.0, 3'600, 1.0f, 0.03f);
  EXPECT_EQ(d.measured, 1.015f);
  EXPECT_EQ(d.interval, 1.0f);
  d = decideSampleInterval(3'654.0, 0.0, 3'600, 1.0f, 0.01f);
  EXPECT_EQ(d.interval, 1.015f);
  // Ten minutes of pause are taken off as 600 s.
  d = decideSampleInterval(4'254.0, 10.0, 3'600, 1.0f, 0.01f);
  EXPECT_EQ(d.interval, 1.015f);
  EXPECT_EQ(d.measured, 1.015f);
}

TEST(RateDecision, BoundsAreIncluded) {
  EXPECT_EQ(decideSampleInterval(150.0, 0.0, 100, 1.0f, 0.5f).interval, 1.0f);
  EXPECT_EQ(decideSampleInterval(50.0, 0.0, 100, 1.0f, 0.5f).interval, 1.0f);
  EXPECT_EQ(decideSampleInterval(151.0, 0.0, 100, 1.0f, 0.5f).interval, 1.51f);
}

class RunIntervalTest : public test::SetupTest {};

// A run of `samples` samples whose last one was taken `seconds` after the first was
// due, with `held` seconds of pause in between.
ChartRunTiming SpanOf(double seconds, int32_t samples, double held = 0) {
  return ChartRunTiming{0.0, seconds, samples, held, held};
}

TEST_F(RunIntervalTest, RateCheckWithoutSamplesNeverStoresANonFiniteInterval) {
  RecordingMODE = RecordingModeCode::Chart;
  SampleInterval = 7.0f;
  DecideRunInterval(SpanOf(10.0, 0), 0.5f);
  EXPECT_EQ(SampleInterval, 0.5f) << "a chart run keeps the requested interval";
  DecideRunInterval(SpanOf(0.0, 2), 0.5f);
  EXPECT_EQ(SampleInterval, 0.5f) << "no time elapsed";
  DecideRunInterval(SpanOf(10.0, 11, 30.0), 0.5f);
  EXPECT_EQ(SampleInterval, 0.5f) << "the pause took longer than the run";
  DecideRunInterval(SpanOf(10.0, 11), 0.0f);
  EXPECT_EQ(SampleInterval, 0.5f) << "no requested interval: no zero interval is stored";

  RecordingMODE = RecordingModeCode::Scope;
  SampleInterval = 7.0f;
  DecideRunInterval(SpanOf(10.0, 0), 0.5f);
  EXPECT_EQ(SampleInterval, 7.0f) << "an oscilloscope run leaves it as it was";
  DecideRunInterval(SpanOf(10.0, 21), 0.5f);
  EXPECT_EQ(SampleInterval, 0.5f);
}

TEST_F(RunIntervalTest, ChartRunUsesTheProgramTolerance) {
  RecordingMODE = RecordingModeCode::ScopeChart;
  SampRateError = 0.01f;
  DecideRunInterval(SpanOf(3'654.0, 3'601), 1.0f);
  EXPECT_EQ(SampleInterval, 1.015f);
  SampRateError = 0.03f;
  DecideRunInterval(SpanOf(3'654.0, 3'601), 1.0f);
  EXPECT_EQ(SampleInterval, 1.0f);
}

}  // namespace
}  // namespace mv
