// The rules of the acquisition screen: tick ladders, texts, geometry, the scroll and
// capacity bar, the toolbar's hit test and pictures, and the run's deadlines.
#include "acquisition/screen_rules.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "control/alarm_log.h"
#include "control/switching_schedule.h"
#include "devices/interfaces.h"
#include "devices/state.h"
#include "kit/format.h"
#include "kit/state.h"

namespace mv {
namespace {

TEST(ScreenTicks, ChartLadderChangesToMinutesJustAboveTenMinutes) {
  const ChartTickChoice at600 = ChartTickLadder(600.0f, 1.0f);
  EXPECT_TRUE(at600.matched);
  EXPECT_EQ(at600.interval, 30.0f);
  EXPECT_EQ(at600.minuteUnits, 0);
  const ChartTickChoice at601 = ChartTickLadder(601.0f, 1.0f);
  EXPECT_EQ(at601.interval, 60.0f);
  EXPECT_EQ(at601.minuteUnits, 1);
}

TEST(ScreenTicks, ChartLadderRowsAndCompression) {
  EXPECT_EQ(ChartTickLadder(0.2f, 1).interval, 0.01f);
  EXPECT_EQ(ChartTickLadder(0.5f, 1).interval, 0.025f);  // 20 divisions of a half-second screen
  EXPECT_EQ(ChartTickLadder(40.0f, 1).interval, 2.0f);
  EXPECT_EQ(ChartTickLadder(43'200.0f, 1).interval, 600.0f);
  EXPECT_EQ(ChartTickLadder(43'201.0f, 1).interval, 1800.0f);
  EXPECT_EQ(ChartTickLadder(5'000.0f, 0).interval, 300.0f);  // no compression: the base value
  // Compression 2 on a 1000 s screen: 120 s ticks, the same spacing in plot points.
  const ChartTickChoice c = ChartTickLadder(1000.0f, 2.0f);
  EXPECT_EQ(c.interval, 120.0f);
  EXPECT_EQ(ChartTicGap(c.interval, 1.25, 2.0f, 0), ChartTicGap(60.0f, 1.25, 1.0f, 0));
  EXPECT_EQ(ChartTicGap(c.interval, 1.25, 2.0f, 0), 48.0f);
  EXPECT_EQ(ChartTicGap(30.0f, 1.0, 1.0f, 0.5), 15.0f);
  EXPECT_FALSE(ChartTickLadder(std::numeric_limits<float>::quiet_NaN(), 1).matched);
}

// Pixels of `seconds` on a trace of d seconds over w pixels.
double Px(double seconds, double d, int w) {
  return seconds * w / d;
}

TEST(ScreenTicks, ScopeLadderPicksTheLargestRoundGapWithinHalfTheWidth) {
  const int w = 800, n = 1000;
  struct Case {
    double trace, tick;
  };
  for (const Case c : {Case{0.5, 0.05}, Case{0.9, 0.1}, Case{0.2, 0.025}, Case{3.0, 0.5}}) {
    const float interval = static_cast<float>(c.trace / n);
    const ScopeTickChoice t = ScopeTickLadder(interval, n, static_cast<float>(w) / n, interval, w);
    EXPECT_NEAR(t.gap, Px(c.tick, c.trace, w), Px(c.tick, c.trace, w) * 1e-3) << c.trace;
    EXPECT_LE(t.gap, w / 2.0f);
  }
}

TEST(ScreenTicks, ZeroOrWildGapDrawsNoTicksAndEnds) {
  // A trace of no duration, or a gap that is 0, negative or no number, must end the
  // tick loops at once instead of looping for ever.
  EXPECT_EQ(ScopeTickLadder(0.0f, 1000, 0.8f, 0.0, 800).gap, 0.0f);
  EXPECT_TRUE(TickPositions(0, 0.0f, 800).empty());
  EXPECT_TRUE(TickPositions(0, -5.0f, 800).empty());
  EXPECT_TRUE(TickPositions(0, std::numeric_limits<float>::quiet_NaN(), 800).empty());
  EXPECT_TRUE(TickPositions(0, std::numeric_limits<float>::infinity(), 800).size() <= 1);
  EXPECT_LE(TickPositions(0, 1e-6f, 800).size(), 802u);
  const auto xs = TickPositions(10.0f, 100.0f, 800);
  ASSERT_EQ(xs.size(), 8u);
  EXPECT_EQ(xs.front(), 10.0f);
  EXPECT_EQ(xs.back(), 710.0f);
}

TEST(ScreenTicks, LabelValuesAndUnits) {
  EXPECT_EQ(TickLabelValue(90, 0, 30), 90);
  EXPECT_EQ(TickLabelValue(120, 1, 60), 2);
  EXPECT_EQ(TickLabelValue(7200, 1, 3600), 2);
  EXPECT_STREQ(TickLabelUnit(0, 30), " sec");
  EXPECT_STREQ(TickLabelUnit(1, 60), " min");
  EXPECT_STREQ(TickLabelUnit(1, 3600), " hr");
}

TEST(ScreenTexts, DurationUnitsBySize) {
  EXPECT_EQ(FindChartDurationText(600, 800, 600).text, StringFormatter(600) + " sec  ");
  const ChartDuration m = FindChartDurationText(601, 800, 601);
  EXPECT_EQ(m.minuteUnits, 1);
  EXPECT_EQ(m.text.str().substr(m.text.size() - 5), " min ");
  EXPECT_EQ(FindChartDurationText(7'200, 800, 100).text, StringFormatter(120) + " min ");
  EXPECT_EQ(FindChartDurationText(7'260, 800, 100).text, StringFormatter(7'260.0f / 3600) + " hr  ");
  const ChartDuration days = FindChartDurationText(259'200, 800, 100);
  EXPECT_EQ(days.text, StringFormatter(3) + " days ");
  EXPECT_FLOAT_EQ(days.traceLength, 259'200.0f / 60 / 24);
  const ChartDuration sec = FindChartDurationText(80, 800, 800);
  EXPECT_FLOAT_EQ(sec.tfact, 0.1f);
  EXPECT_FLOAT_EQ(sec.traceLength, 80);
}

TEST(ScreenTexts, ScreenCountsIndicatorsAndNames) {
  EXPECT_EQ(ScreenCountText(3), "3");
  EXPECT_EQ(ScreenCountText(2.5), PictureFormat(2.5, "##.##"));
  EXPECT_EQ(ScreenCountText(250.5), PictureFormat(250.5, "###.#"));
  EXPECT_EQ(ScreenCountText(2500.5), PictureFormat(2500.5, "#####.#"));
  EXPECT_EQ(BackupIndicatorText(true, true, 0), " backup on");
  EXPECT_EQ(BackupIndicatorText(true, true, 3), " backup3   ");
  EXPECT_EQ(BackupIndicatorText(false, true, 3), " no backup!");
  EXPECT_EQ(BackupIndicatorText(true, false, 0), " backup off") << "chosen, but no file to write";
  EXPECT_STREQ(SwitchPatternName(1), "key switch");
  EXPECT_STREQ(SwitchPatternName(4), "auto switch");
  EXPECT_STREQ(SwitchPatternName(8), "timed key switch");
  EXPECT_STREQ(SwitchPatternName(9), "series switch");
  EXPECT_STREQ(SwitchPatternName(10), "device series");
  EXPECT_STREQ(StepSuffix(2), "nd");
  EXPECT_STREQ(StepSuffix(3), "rd");
  EXPECT_STREQ(StepSuffix(4), "th");
  EXPECT_EQ(OverRangeVoltsFor(ExternalADCode::Demonstration), 5.0f);
  EXPECT_EQ(OverRangeVoltsFor(ExternalADCode::SableUI2), 5.0f);
  EXPECT_EQ(OverRangeVoltsFor(ExternalADCode::DT50), 3.5f);
  EXPECT_EQ(ScopeDurationText(0.5), PictureFormat(0.5, "#.#####"));
  EXPECT_EQ(ScopeDurationText(0.00005), PictureFormat(0.00005, "#.##########"));
  EXPECT_EQ(ScopeDurationText(1500.7), " 1500") << "whole seconds, not padded to a picture's width";
}

// The alarm log states the over-range rule the sample takers apply: a DT800 reading of 5 V
// is no over-range, as its inputs read +-10 V.
TEST(ScreenTexts, OverRangeThresholdIsTheOneTheAlarmLogStates) {
  EXPECT_EQ(OverRangeVoltsFor(ExternalADCode::DT800), 10.0f);
  // An ADAM input's range is its own; a stream's fields are no volts and have none.
  EXPECT_EQ(OverRangeRuleText(ExternalADCode::ADAM).str(), "v beyond its range");
  EXPECT_EQ(OverRangeRuleText(ExternalADCode::SerialStream).str(), "none: not volts");
  EXPECT_EQ(ChannelOverRangeLimit(ExternalADCode::SerialStream, 0), std::nullopt);
  for (int16_t code = 0; code <= 12; ++code) {
    if (code == ExternalADCode::ADAM || code == ExternalADCode::SerialStream) continue;
    const std::string text = OverRangeRuleText(code).str();
    const auto gt = text.rfind("> ");
    ASSERT_NE(gt, std::string::npos) << text;
    float stated = 0.0f;
    const char* first = text.data() + gt + 2;
    ASSERT_EQ(std::from_chars(first, text.data() + text.size(), stated).ec, std::errc()) << text;
    EXPECT_EQ(stated, OverRangeVoltsFor(code)) << "interface " << code << ": " << text;
  }
}

TEST(ScreenTexts, CounterPresetLineHasNoSignBlanks) {
  EXPECT_EQ(CounterPresetLine(7.0f, 100), "7HSC= 100\r");
  EXPECT_EQ(CounterPresetLine(12.0f, 1'000'000), "12HSC= 1000000\r");
  EXPECT_EQ(CounterPresetLine(3.0f, 0), "3HSC= 0\r");
  EXPECT_EQ(CounterPresetLine(3.0f, -25), "3HSC= -25\r");
}

TEST(ScreenGeometry, OffsetGridAndZeroLine) {
  EXPECT_EQ(WindowOffset(1024, 768, 800, 600), 10);
  EXPECT_EQ(WindowOffset(830, 768, 800, 600), 0);
  EXPECT_EQ(WindowOffset(1024, 650, 800, 600), 0);
  EXPECT_EQ(GridIntervals(50, false, false), 2);
  EXPECT_EQ(GridIntervals(60, false, false), 3);
  EXPECT_EQ(GridIntervals(60, false, true), 4);  // three intervals and a zero line give four
  EXPECT_EQ(GridIntervals(76, true, true), 8);
  EXPECT_EQ(StripTop(200, 100), 99);
  // Strip 100..200 showing -1..1: the zero line lies halfway, rounded down after +0.99.
  EXPECT_EQ(ZeroLineY(100, 200, 1.0f, -1.0f), 150);
  EXPECT_EQ(ZeroLineY(100, 200, 3.0f, -1.0f), 175);
}

TEST(ScreenGeometry, ScrollStepsByRedrawOption) {
  const ScrollStep third = ScrollFor(2, 800, 1.0f);
  EXPECT_EQ(third.kept, 266);
  EXPECT_EQ(800 - third.kept, 534);
  EXPECT_EQ(third.samples, 533);
  EXPECT_EQ(ScrollFor(3, 800, 2.0f).kept, 200);
  EXPECT_EQ(ScrollFor(3, 800, 2.0f).samples, 1200);
  EXPECT_EQ(ScrollFor(1, 800, 1.0f).kept, 400);
  EXPECT_EQ(ScrollFor(0, 800, 1.5f).kept, 0);
  EXPECT_EQ(ScrollFor(0, 800, 1.5f).samples, 1200);
}

TEST(ScreenGeometry, CapacityBarDoesNotOverflowOnWideWindows) {
  // 1990 segments x 2,000,000 samples passes 2^31: the bar must still read right.
  EXPECT_EQ(CapacityBarAfterScroll(2'000'000, 2'000, 1.0f, 1'990, 2'000'000), 1'991);
  EXPECT_EQ(CapacityBarStart(false, 2'000, 1'990, 1.0f, 2'000), 1'990);
  EXPECT_EQ(CapacityBarStart(false, 800, 790, 1.0f, 8'000), 79);
  EXPECT_EQ(CapacityBarStart(true, 800, 790, 1.0f, 8'000), 5);
  EXPECT_EQ(CapacityBarStart(false, 800, 790, 1.0f, 0), 790);
}

TEST(ScreenGeometry, LongRunDeadlineStaysNever) {
  // 2,000,000 samples of 30 s in ticks is 3.6e9: past int32, so "never", not negative.
  EXPECT_EQ(ScheduleTick(5.0 + 2'000'000.0 * 30 * 59.999), kNever);
  EXPECT_EQ(ScheduleTick(std::nan("")), kNever);
  EXPECT_EQ(ScheduleTick(1234.9), 1234);
}

TEST(ScreenToolbar, HitTestTable) {
  using RecordingModeCode::Chart;
  using RecordingModeCode::Scope;
  using RecordingModeCode::ScopeChart;
  EXPECT_EQ(ToolbarHit(45, 20, Chart), kPauseIcon);
  EXPECT_EQ(ToolbarHit(45, 20, Scope), kSaveScopeIcon);
  for (int x : {40, 80, 120}) {
    EXPECT_TRUE(ToolbarClickCounts(x, 20, Chart));
    EXPECT_EQ(ToolbarHit(x, 20, Chart), kNoIcon) << x;
  }
  const ToolbarIcon expected[] = {kStopIcon,      kResumeIcon, kNoteIcon,      kAddTimeIcon, kReplayIcon,
                                  kTimeToRefIcon, kBackupIcon, kReferenceIcon, kSampleIcon};
  const int xs[] = {1, 81, 160, 161, 240, 241, 320, 321, 400};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(ToolbarHit(xs[i], 1, Chart), expected[i]) << xs[i];
  EXPECT_EQ(ToolbarHit(39, 39, Chart), kStopIcon);
  EXPECT_FALSE(ToolbarClickCounts(10, 0, Chart));
  EXPECT_FALSE(ToolbarClickCounts(10, 40, Chart));
  EXPECT_FALSE(ToolbarClickCounts(0, 20, Chart));
  EXPECT_EQ(ToolbarHit(420, 20, Chart), kNoIcon);  // column 11 never fires in chart mode
  EXPECT_EQ(ToolbarHit(420, 20, ScopeChart), kSaveScopeIcon);
  EXPECT_EQ(ToolbarHit(441, 20, ScopeChart), kNoIcon);
}

TEST(ScreenToolbar, PicturesHelpTagsAndNoteLength) {
  EXPECT_EQ(ToolbarPictureFor(true, RecordingModeCode::Chart, 0, true).width, 420);
  EXPECT_EQ(ToolbarPictureFor(false, RecordingModeCode::Scope, 0, true).width, 81);
  EXPECT_EQ(ToolbarPictureFor(false, RecordingModeCode::Scope, 0, true).left, 40);
  EXPECT_EQ(ToolbarPictureFor(false, RecordingModeCode::Chart, 5, false).width, 404);
  EXPECT_STREQ(ToolbarPictureFor(false, RecordingModeCode::Chart, 5, false).file, "dark toolbar.png");
  EXPECT_EQ(ToolbarPictureFor(false, RecordingModeCode::ScopeChart, 0, true).width, 442);
  EXPECT_STREQ(ToolbarPictureFor(false, RecordingModeCode::ScopeChart, 3, true).file, "light toolbar b.png");
  EXPECT_EQ(ToolbarHelpTag(10, false).text, "Stop recording");
  EXPECT_EQ(ToolbarHelpTag(90, true).text, "Close replay window");
  EXPECT_EQ(ToolbarHelpTag(90, false).text, "Resume recording");
  EXPECT_EQ(ToolbarHelpTag(380, false).x, 300);
  EXPECT_TRUE(ToolbarHelpTag(40, false).text.empty());
  EXPECT_EQ(NoteBytes(std::string(300, 'a'), 250).size(), 250u);
  EXPECT_EQ(NoteBytes("short", 250), "short");
}

}  // namespace
}  // namespace mv
