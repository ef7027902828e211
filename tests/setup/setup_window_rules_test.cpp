// The set-up window's rules as plain functions: read-back, counts, the averaged
// column, enabling, the input check, layout on low displays and the texts.
#include "setup/setup_window_rules.h"

#include <gtest/gtest.h>

#include <string>

#include "acquisition/screen_rules.h"
#include "devices/state.h"
#include "kit/state.h"
#include "setup/state.h"

namespace mv {
namespace {

using AvgKind = AveragingCell::Kind;
constexpr int16_t kChart = RecordingModeCode::Chart, kScope = RecordingModeCode::Scope,
                  kScopeChart = RecordingModeCode::ScopeChart;

TEST(SetupWindowReadBack, CoefficientAndRangeTextThatIsNoNumberReadsAsZero) {
  EXPECT_EQ(ReadBackValue("abc"), 0.0f);
  EXPECT_EQ(ReadBackValue(""), 0.0f);
  EXPECT_EQ(ReadBackValue("1e999"), 0.0f) << "beyond single precision is no number either";
  EXPECT_EQ(ReadBackValue(" -2.5 volts"), -2.5f);
  EXPECT_EQ(ReadBackValue("0.1"), 0.1f);
}

TEST(SetupWindowReadBack, AveragedKeepsTheOldValueForZeroNegativeTextAndCountsNotAveraged) {
  EXPECT_EQ(ReadBackAveraged("0", 12.0f), 12.0f);
  EXPECT_EQ(ReadBackAveraged("-4", 12.0f), 12.0f);
  EXPECT_EQ(ReadBackAveraged("many", 12.0f), 12.0f);
  EXPECT_EQ(ReadBackAveraged("0.9", 12.0f), 12.0f) << "truncated first: 0";
  EXPECT_EQ(ReadBackAveraged("7.9", 12.0f), 7.0f);
  EXPECT_EQ(ReadBackAveraged("1", 12.0f), 1.0f);
  EXPECT_EQ(ReadBackAveraged("32767", 1.0f), 32767.0f);
  EXPECT_EQ(ReadBackAveraged("40000", 12.0f), 12.0f) << "refused: one reading would be averaged";
  EXPECT_EQ(ReadBackAveraged("1e30", 12.0f), 12.0f);
}

TEST(SetupWindowReadBack, ThreeWayAndBreakpointRowsKeepTheirCoefficients) {
  ChannelVariablesRecord r{};
  r[ChanField::A] = 1.5f;
  EXPECT_TRUE(CoefficientsReadBack(r, 1.0f));
  EXPECT_TRUE(CoefficientsReadBack(r, 9.0f));
  EXPECT_FALSE(CoefficientsReadBack(r, 5.0f)) << "breakpoint rows show a button";
  EXPECT_FALSE(CoefficientsReadBack(r, 6.0f)) << "three-way rows show a button";
  r[ChanField::A] = 9999.0f;
  EXPECT_FALSE(CoefficientsReadBack(r, 1.0f)) << "the 9999 marker keeps a, b, c";
}

TEST(SetupWindowCounts, ForwardStopsAtTwoMillion) {
  constexpr int32_t W = 1280, M = 2'000'000;
  int32_t samples = W;
  int clicks = 0;
  while (ChartCountStates(samples, W, M).more != 0 && clicks < 5000) {
    samples = ChartCountAfter(SetupItem::ChartMore, samples, W, M);
    ++clicks;
  }
  EXPECT_EQ(samples, 2'000'000);
  EXPECT_EQ(clicks, 1562) << "1,561 full steps from one screen, then the last part step";
  EXPECT_EQ(ChartCountAfter(SetupItem::ChartMore, samples, W, M), 2'000'000);
  EXPECT_EQ(ChartCountStates(samples, W, M).less, 1);
  EXPECT_EQ(ChartCountAfter(SetupItem::LastScreen, 5'000, W, M), 2'000'000);
  EXPECT_EQ(ChartCountAfter(SetupItem::FirstScreen, 5'000, W, M), 1'280);
}

TEST(SetupWindowCounts, ChartBackNeverGoesBelowOneScreen) {
  constexpr int32_t W = 1280, M = 2'000'000;
  EXPECT_EQ(ChartCountAfter(SetupItem::ChartLess, 3'000, W, M), 1'720);
  EXPECT_EQ(ChartCountAfter(SetupItem::ChartLess, 2'000, W, M), 1'280) << "not 720";
  EXPECT_EQ(ChartCountAfter(SetupItem::ChartLess, 1'280, W, M), 1'280);
  EXPECT_EQ(ChartCountAfter(SetupItem::ChartLess, 100, W, M), 100) << "a short count set elsewhere stays";
  EXPECT_EQ(ChartCountStates(1'280, W, M).less, 0);
  EXPECT_EQ(ChartCountStates(100, W, M).less, 0);
  EXPECT_EQ(ChartCountStates(2'000, W, M).less, 1);
}

TEST(SetupWindowCounts, Dt800ScopeTraceStopsAt4096AtFourMilliseconds) {
  constexpr int32_t W = 1280;
  const int32_t limit = ScopeTraceLimit(ExternalADCode::DT800, 0.004, 16'384);
  EXPECT_EQ(limit, 4'096);
  int32_t scopeMax = W;
  for (int i = 0; i < 10; ++i) scopeMax = ScopeCountAfter(SetupItem::ScopeMore, scopeMax, W, limit);
  EXPECT_EQ(scopeMax, 4'096);
  EXPECT_EQ(ScopeCountStates(scopeMax, W, limit).more, 0);
  EXPECT_EQ(ScopeTraceLimit(ExternalADCode::DT800, 0.008, 16'384), 2'048);
  EXPECT_EQ(ScopeTraceLimit(ExternalADCode::DT800, 0.01, 16'384), 16'384);
  EXPECT_EQ(ScopeTraceLimit(ExternalADCode::SableUI2, 0.004, 16'384), 16'384);
}

TEST(SetupWindowCounts, ScopeBackClampsAtOneWidthSoTheXFactorStaysFinite) {
  constexpr int32_t W = 1280, limit = 16'384;  // the width does not divide the limit
  int32_t scopeMax = limit;
  for (int i = 0; i < 40; ++i) scopeMax = ScopeCountAfter(SetupItem::ScopeLess, scopeMax, W, limit);
  EXPECT_EQ(scopeMax, W);
  EXPECT_EQ(ScopeCountStates(scopeMax, W, limit).less, 0);
  EXPECT_EQ(ScopeCountAfter(SetupItem::ScopeLess, 2'000, W, limit), W) << "720 would be below one width";
  EXPECT_EQ(ScopeCountAfter(SetupItem::ScopeMaximum, W, W, limit), limit);
  EXPECT_EQ(ScopeCountAfter(SetupItem::ScopeMin, limit, W, limit), W);
}

TEST(SetupWindowAveraging, ScopePlusChartShowsOneAndFiftyNine) {
  // 1 s over 1/60 s: 59.9998..., truncated.
  EXPECT_EQ(OpeningScopeChartAveraged(1.0f, 0.0166667f), 59.0f);
  const int32_t k = ScopeSamplesPerChartSample(1.0, 0.0166667, false, 1280, 0.0166667f);
  EXPECT_EQ(k, 59);
  const AveragingCell first = AveragingCellFor(1, 5, kScopeChart, false, 7.0f, 30, k);
  EXPECT_EQ(first.kind, AvgKind::Text);
  EXPECT_EQ(first.text.str(), "1");
  const AveragingCell other = AveragingCellFor(3, 5, kScopeChart, false, 7.0f, 30, k);
  EXPECT_EQ(other.kind, AvgKind::Text);
  EXPECT_EQ(other.text.str(), "59");
  EXPECT_EQ(ScopeSamplesPerChartSample(2.0, 0.5, false, 1280, 0.5f), 4);
  EXPECT_EQ(ScopeSamplesPerChartSample(1.0, 0.0, false, 1280, 0.0f), 1) << "no interval: no division";
  EXPECT_EQ(ScopeSamplesPerChartSample(1.0, 0.004, true, 1280, 0.004f), 10) << "fast scope block";
}

TEST(SetupWindowAveraging, ChartColumnShowsValuesContAndScan) {
  const AveragingCell typed = AveragingCellFor(2, 4, kChart, false, 25.0f, 99, 0);
  EXPECT_EQ(typed.kind, AvgKind::Field);
  EXPECT_EQ(typed.text.str(), "25");
  EXPECT_EQ(AveragingCellFor(2, 4, kChart, false, 0.0f, 99, 0).text.str(), "99") << "0: the most that fit";
  const AveragingCell last = AveragingCellFor(4, 4, kChart, false, 0.0f, 99, 0);
  EXPECT_EQ(last.kind, AvgKind::Button);
  EXPECT_EQ(last.text.str(), "cont");
  EXPECT_EQ(AveragingCellFor(4, 4, kChart, false, 8.0f, 99, 0).text.str(), "8");
  const AveragingCell scan = AveragingCellFor(2, 4, kChart, true, 25.0f, 99, 0);
  EXPECT_EQ(scan.kind, AvgKind::Text);
  EXPECT_EQ(scan.text.str(), " scan");
  EXPECT_EQ(AveragingCellFor(1, 1, kScope, false, 1.0f, 99, 0).text.str(), "N.A.");
}

TEST(SetupWindowEnabling, AddCutAndScreenViewAtOneAndSixteenChannels) {
  const SetupEnabling one = SetupEnablingFor(kChart, 1, ExternalADCode::SableUI2, 1.0, 0);
  EXPECT_TRUE(one.add);
  EXPECT_FALSE(one.cut);
  EXPECT_FALSE(one.screenView);
  EXPECT_FALSE(one.rearrange);
  const SetupEnabling sixteen = SetupEnablingFor(kChart, 16, ExternalADCode::SableUI2, 1.0, 0);
  EXPECT_FALSE(sixteen.add);
  EXPECT_TRUE(sixteen.cut);
  EXPECT_TRUE(sixteen.screenView);
  EXPECT_TRUE(sixteen.rearrange);
  const SetupEnabling five = SetupEnablingFor(kScopeChart, 5, ExternalADCode::SableUI2, 1.0, 0);
  EXPECT_FALSE(five.add);
  EXPECT_TRUE(five.cut);
  const SetupEnabling two = SetupEnablingFor(kScopeChart, 2, ExternalADCode::SableUI2, 1.0, 0);
  EXPECT_TRUE(two.add);
  EXPECT_FALSE(two.cut) << "the scope channel alone is no scope-plus-chart set-up";
  EXPECT_FALSE(two.rearrange);
  const SetupEnabling stream = SetupEnablingFor(kChart, 4, ExternalADCode::SerialStream, 1.0, 0);
  EXPECT_FALSE(stream.add);
  EXPECT_FALSE(stream.cut);
  const SetupEnabling scope = SetupEnablingFor(kScope, 1, ExternalADCode::SableUI2, 1.0, 0);
  EXPECT_FALSE(scope.add);
  EXPECT_FALSE(scope.beep);
}

TEST(SetupWindowEnabling, BeepBelowTwoTenthsAndRestartOnlyBeforeTheFirstSample) {
  EXPECT_FALSE(SetupEnablingFor(kChart, 2, 0, 0.1999, 0).beep);
  EXPECT_TRUE(SetupEnablingFor(kChart, 2, 0, 0.2, 0).beep);
  EXPECT_TRUE(SetupEnablingFor(kChart, 2, 0, 1.0, 0).restart);
  EXPECT_FALSE(SetupEnablingFor(kChart, 2, 0, 1.0, 1).restart);
}

TEST(SetupWindowInputs, ChannelThreeOnInputNineWithEightInputs) {
  std::array<ChannelVariablesRecord, kChannelRows> table{};
  for (int c = 1; c <= 4; ++c) table[c][ChanField::Input] = static_cast<float>(c);
  table[3][ChanField::Input] = 9.0f;
  table[6][ChanField::Input] = 12.0f;  // beyond the channel count: not counted
  EXPECT_EQ(InputsOutOfRange(table, 4, 8), 1);
  EXPECT_EQ(InputsOutOfRange(table, 4, 9), 0);
  table[1][ChanField::Input] = 10.0f;
  EXPECT_EQ(InputsOutOfRange(table, 4, 8), 2);

  const InputWarningText one = InputWarningTexts(1, 8);
  EXPECT_EQ(one.title.str(), "AD input out of range");
  EXPECT_EQ(one.caution.str(), "CAUTION:  ");
  EXPECT_EQ(one.assignment.str(), "an A-D input assignment exceeds");
  EXPECT_EQ(one.range.str(), "the range of hardware A-D inputs  (1 - 8)");
  EXPECT_EQ(one.fixThis.str(), "Fix this, ");
  EXPECT_EQ(one.consequence.str(), "or Mirevant may crash or freeze!");
  const InputWarningText two = InputWarningTexts(2, 16);
  EXPECT_EQ(two.title.str(), "AD inputs out of range");
  EXPECT_EQ(two.assignment.str(), " 2 A-D input assignments exceed");
  EXPECT_EQ(two.range.str(), "the range of hardware A-D inputs  (1 - 16)");
}

TEST(SetupWindowLayout, TitlesByModeAndInterface) {
  EXPECT_EQ(SetupWindowTitle(kChart, 1).str(), "CHART Mode Acquisition Parameters");
  EXPECT_EQ(SetupWindowTitle(kScope, 1).str(), "OSCILLOSCOPE Mode Acquisition Parameters");
  EXPECT_EQ(SetupWindowTitle(kScopeChart, 1).str(), "SCOPE plus CHART Mode Acquisition Parameters");
  EXPECT_EQ(SetupWindowTitle(kChart, ExternalADCode::SerialStream).str(),
            "CHART Mode  (read serial stream) Acquisition Parameters");
}

TEST(SetupWindowLayout, SixteenRowsOnALargeDisplayAndPagedRowsOnLowOnes) {
  const SetupLayout large = SetupLayoutFor(kChart, 16, 800);
  EXPECT_EQ(large.extra, 105);
  EXPECT_EQ(large.height, 604);
  EXPECT_EQ(large.statusBaseline, 573) << "468 + the extra height";
  EXPECT_EQ(large.visibleRows, 16);
  EXPECT_EQ(SetupLayoutFor(kChart, 12, 800).height, 499);
  EXPECT_EQ(SetupLayoutFor(kScopeChart, 16, 800).extra, 0);

  for (int display : {480, 600, 700, 768, 800, 1200}) {
    for (int16_t mode : {kChart, kScope, kScopeChart}) {
      const SetupLayout l = SetupLayoutFor(mode, display == 480 ? 12 : 16, display);
      SCOPED_TRACE("display " + std::to_string(display) + " mode " + std::to_string(mode));
      EXPECT_LE(kSetupTop + l.height, display) << "the window ends on the display";
      EXPECT_EQ(l.lowerTop + 114, l.height);
      const int rowsEnd = mode == kScopeChart ? l.scopeTop : l.lowerTop;
      EXPECT_LT(RowBaseline(l.visibleRows), rowsEnd) << "the last row shown clears what lies below";
      EXPECT_GE(RowBaseline(static_cast<int16_t>(l.visibleRows + 1)), rowsEnd - 4) << "as many rows as fit";
      if (mode == kScopeChart) {
        EXPECT_LE(l.scopeTop + 63, l.lowerTop);
        EXPECT_GE(l.visibleRows, 5) << "all five channels";
      }
      EXPECT_GT(l.statusBaseline, l.lowerTop);
    }
  }
  EXPECT_EQ(SetupLayoutFor(kChart, 16, 600).visibleRows, 14);
  EXPECT_EQ(SetupLayoutFor(kChart, 12, 480).visibleRows, 8);
}

TEST(SetupWindowLayout, PagingKeepsTheLastPageFull) {
  EXPECT_EQ(ClampFirstRow(1, 14, 16), 1);
  EXPECT_EQ(ClampFirstRow(9, 14, 16), 3);
  EXPECT_EQ(ClampFirstRow(0, 14, 3), 1);
  EXPECT_EQ(PagedFirstRow(1, 1, 14, 16), 3);
  EXPECT_EQ(PagedFirstRow(3, -1, 14, 16), 1);
  EXPECT_EQ(PagedFirstRow(1, 1, 8, 16), 8) << "one row of the previous page stays";
  EXPECT_EQ(PagedFirstRow(8, 1, 8, 16), 9);
}

TEST(SetupWindowTexts, DurationUnitsAtTheirBoundaries) {
  EXPECT_EQ(FindChartDurationText(600, 1280, 600).text.str(), " 600 sec  ");
  const ChartDuration m = FindChartDurationText(601, 1280, 601);
  EXPECT_EQ(m.minuteUnits, 1);
  EXPECT_EQ(m.text.str(), "  10.0167 min ") << "the readout rule's picture keeps its width";
  EXPECT_FLOAT_EQ(m.traceLength, 601.0f / 60);
  EXPECT_EQ(FindChartDurationText(7'200, 1280, 7'200).text.str(), " 120 min ");
  EXPECT_EQ(FindChartDurationText(7'260, 1280, 7'260).text.str(), "  2.01667 hr  ");
  const ChartDuration days = FindChartDurationText(259'200, 1280, 259'200);
  EXPECT_EQ(days.text.str(), " 3 days ");
  EXPECT_FLOAT_EQ(days.traceLength, 259'200.0f / 60 / 24);
  EXPECT_FLOAT_EQ(FindChartDurationText(60, 1280, 600).tfact, 0.1f) << "seconds per sample";
  EXPECT_EQ(SampleEveryText(false, 1.0).str(), " Chart sample every  1 sec  ");
  EXPECT_EQ(SampleEveryText(true, 0.01).str(), " Scope sample every  0.01 sec  ");
}

TEST(SetupWindowTexts, ScopeLinesAndStatus) {
  const ScopeLines s = ScopeLinesFor(0.01, 1'000);
  EXPECT_EQ(s.every.str(), "Scope sample every  0.01 sec ");
  EXPECT_EQ(s.duration.str(), "Scope duration is  10 sec ");
  EXPECT_EQ(ScopeLinesFor(1.0, 1'200).duration.str(), "Scope duration is  20 min ");

  auto chart = StatusTexts(kChart, 1, 0, 2.0f);
  ASSERT_EQ(chart.size(), 3u);
  EXPECT_EQ(chart[0].text.str(), "Trigger ON");
  EXPECT_TRUE(chart[0].alert);
  EXPECT_EQ(chart[1].text.str(), "    No Switching");
  EXPECT_EQ(chart[2].text.str(), "   Compressed");
  auto scope = StatusTexts(kScope, 0, 5, 1.0f);
  ASSERT_EQ(scope.size(), 1u);
  EXPECT_EQ(scope[0].text.str(), "No Trigger");
  auto both = StatusTexts(kScopeChart, 0, 5, 1.0f);
  ASSERT_EQ(both.size(), 2u);
  EXPECT_EQ(both[1].text.str(), "    Switching ON");
  EXPECT_EQ(StatusTexts(kChart, 0, 0, 1.0f)[2].text.str(), "       Normal    ");
}

}  // namespace
}  // namespace mv
