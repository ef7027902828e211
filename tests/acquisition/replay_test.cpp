// The replay window: its title, ranges and pixel rules, the window after a run driven
// as a user would, and the window drawn during a recording.
// The fixture comes first: it names the hooks these windows are installed into.
// clang-format off
#include "acq_fixture.h"
#include "acquisition/replay.h"
// clang-format on

#include <QApplication>
#include <QKeyEvent>
#include <cmath>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "acquisition/recording_keys.h"
#include "common/window_steps.h"
#include "files/state.h"
#include "kit/builders.h"
#include "kit/channel_labels.h"
#include "kit/drawing.h"
#include "kit/state.h"

namespace mv::test {
namespace {

constexpr int16_t W = kReplayWindow;

TEST(ReplayRules, TitleSwitchesToMinutesAbove300AndHoursAbove7200Seconds) {
  EXPECT_EQ(ReplayTitle(100, 10.0).str(), "Replay Recorded Data    (Sample 100;   10 seconds)");
  EXPECT_EQ(ReplayTitle(300, 300.0).str(), "Replay Recorded Data    (Sample 300;   300 seconds)");
  // 301 s = 5.01667 min; 7201 s = 2.00028 h, five significant digits.
  EXPECT_EQ(ReplayTitle(301, 301.0).str(), "Replay Recorded Data    (Sample 301;   5.0167 minutes)");
  EXPECT_EQ(ReplayTitle(7201, 7201.0).str(), "Replay Recorded Data    (Sample 7201;   2.0003 hours)");
}

TEST(ReplayRules, PointsAtOrAboveTheTopAndNonNumbersStayInTheStrip) {
  // Strip 10..110 showing 1..5: 25 pixels per unit.
  EXPECT_EQ(ReplayPointY(3.0f, 5.0f, 25.0f, 10, 110), 60);
  EXPECT_EQ(ReplayPointY(5.0f, 5.0f, 25.0f, 10, 110), 10);
  EXPECT_EQ(ReplayPointY(9.0f, 5.0f, 25.0f, 10, 110), 10);
  EXPECT_EQ(ReplayPointY(-50.0f, 5.0f, 25.0f, 10, 110), 110);
  EXPECT_EQ(ReplayPointY(std::nanf(""), 5.0f, 25.0f, 10, 110), 10);
  // All values equal under full-range scaling: an infinite scale, every point on top.
  EXPECT_EQ(ReplayPointY(2.0f, 2.0f, std::numeric_limits<float>::infinity(), 10, 110), 10);
}

TEST(ReplayRules, MarkersStayInsideTheWindowAndNumberedOnesShowTheirNumber) {
  // W 800: 750 pixels for 100 samples, 7.5 per sample.
  EXPECT_EQ(ReplayMarkerX(40, ReplayStep(800, 100), 800), 300);
  // A marker at the column after the last sample (a run's final "Q") ends at the edge.
  EXPECT_EQ(ReplayMarkerX(101, ReplayStep(800, 100), 800), 750);
  EXPECT_EQ(ReplayStep(800, 0), 0.0);
  EXPECT_EQ(ReplayMarkerLabel('a').str(), "a");
  EXPECT_EQ(ReplayMarkerLabel(212).str(), "12");
}

TEST(ReplayRules, ThinningKeepsEachColumnsFirstLowestHighestAndLastInOrder) {
  struct Case {
    std::vector<QuartzPoint> in, kept;
  };
  const Case cases[] = {
      {{}, {}},
      // Five points in column 0 (high before low): the extremes between its first and
      // last fill the column, so they stand at its middle. One point in column 1, two
      // equal in column 2.
      {{{0.0f, 5}, {0.2f, 9}, {0.4f, 1}, {0.6f, 7}, {0.8f, 6}, {1.1f, 3}, {2.0f, 4}, {2.5f, 4}},
       {{0.0f, 5}, {0.5f, 9}, {0.5f, 1}, {0.8f, 6}, {1.1f, 3}, {2.0f, 4}, {2.5f, 4}}},
      // Low before high, the first point the highest and the last the lowest.
      {{{3.0f, 2}, {3.3f, 0}, {3.5f, 8}, {3.9f, 5}}, {{3.0f, 2}, {3.3f, 0}, {3.5f, 8}, {3.9f, 5}}},
      {{{4.0f, 9}, {4.2f, 5}, {4.4f, 6}, {4.9f, 1}}, {{4.0f, 9}, {4.9f, 1}}},
  };
  for (const Case& c : cases) {
    std::vector<QuartzPoint> points = c.in;
    const int32_t n = ReplayColumns(points);
    ASSERT_EQ(n, static_cast<int32_t>(c.kept.size()));
    for (int32_t i = 0; i < n; ++i) {
      EXPECT_EQ(points[i].x, c.kept[i].x) << i;
      EXPECT_EQ(points[i].y, c.kept[i].y) << i;
    }
  }
}

// The road of every sample: each column's point from its value, thinned per pixel column.
std::vector<QuartzPoint> EverySampleThinned(int ch, int32_t sample, double step, const ReplayScale& scale) {
  std::vector<QuartzPoint> points;
  for (int32_t c = 2; c <= sample - 1; ++c)
    points.push_back({static_cast<float>(c * step), static_cast<float>(scale.Y(ChartDataArray.Get(ch, c)))});
  points.resize(static_cast<std::size_t>(ReplayColumns(points)));
  return points;
}

// A wave with noise on it: every pixel column of a long recording has a different shape.
float NoisyWave(int32_t c) {
  return static_cast<float>(std::sin(c * 2e-5) + 0.1 * ((c * 37) % 11) - 0.3 * ((c * 13) % 7 == 0));
}

TEST_F(AcqTest, ReplayFromTheSummariesKeepsTheSamePointsAsFromEverySample) {
  constexpr float nan = std::numeric_limits<float>::quiet_NaN();
  constexpr float inf = std::numeric_limits<float>::infinity();
  struct Case {
    const char* what;
    int32_t samples;
    int width;
    std::function<float(int32_t)> value;
    std::optional<std::pair<float, float>> userSet;  // plot minimum and maximum
  };
  const Case cases[] = {
      {"2,000,000 samples of a noisy wave", 2'000'000, 800, NoisyWave, {}},
      {"spikes at the first and last sample of columns and one alone",
       2'000'000,
       1366,
       [](int32_t c) {
         return c % 2663 == 0 ? 9.0f : c % 2663 == 2662 ? -9.0f : c == 777'777 ? 30.0f : 0.0f;
       },
       {}},
      {"long steps, every column's extremes tied on one row",
       2'000'000,
       800,
       [](int32_t c) { return static_cast<float>((c / 50'000) % 5) + (c % 3) * 1e-7f; },
       {}},
      {"no numbers and infinities among the values", 1'000'000, 800,
       [](int32_t c) {
         return c % 100'003 == 5 ? nan : c % 70'001 == 9 ? inf : c % 90'001 == 3 ? -inf : NoisyWave(c);
       },
       std::pair{-2.0f, 2.0f}},
      {"user-set scaling narrower than the values", 2'000'000, 800, NoisyWave, std::pair{0.0f, 0.5f}},
      {"user-set scaling upside down", 500'000, 800, NoisyWave, std::pair{1.0f, -1.0f}},
      {"about the samples to a column below which columns are read whole", 100'000, 800, NoisyWave, {}},
      {"fewer samples than pixel columns", 1'000, 800, NoisyWave, {}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    ChartDataArray.Release();
    for (int32_t c = 0; c < k.samples; ++c) ChartDataArray.Set(1, c, k.value(c));
    const ReplayRange range =
        k.userSet ? ReplayRange{k.userSet->first, k.userSet->second} : ChartReplayRange(1, k.samples);
    const ReplayScale scale{range.max, 200.0f / (range.max - range.min), 65, 265};
    const double step = ReplayStep(k.width, k.samples);
    const std::vector<QuartzPoint> every = EverySampleThinned(1, k.samples, step, scale);
    std::vector<QuartzPoint> summarised(every.size() + 8);
    const int32_t n = ChartReplayTrace(1, k.samples, step, scale, summarised);
    ASSERT_EQ(n, static_cast<int32_t>(every.size()));
    int differing = 0;
    for (int32_t i = 0; i < n; ++i)
      if (summarised[i].x != every[i].x || summarised[i].y != every[i].y) {
        if (++differing <= 3)
          ADD_FAILURE() << "point " << i << ": " << summarised[i].x << "," << summarised[i].y
                        << " instead of " << every[i].x << "," << every[i].y;
      }
    EXPECT_EQ(differing, 0);
  }
}

class ReplayWindow : public AcqTest, public WindowSteps {
 protected:
  void SetUp() override {
    AcqTest::SetUp();
    RecordingMODE = RecordingModeCode::Chart;
    PrefsArray[PrefsSlot::WindowWidth] = 800;
    PrefsArray[PrefsSlot::ZeroLines] = 1;
    PrefsArray[PrefsSlot::ScaleGrid] = 1;
    PrefsArray[PrefsSlot::MarkersInReplay] = 1;
    ChartSampleInterval = 1.0f;
    filestrings.startTime = "10:20:30";
    // Strips 200 pixels high ending at 300 and 500 on the acquisition screen.
    for (int ch = 1; ch <= 2; ++ch) {
      ChannelVariables[ch][ChanField::StripHeight] = 200;
      ChannelVariables[ch][ChanField::StripBottom] = static_cast<float>(100 + 200 * ch);
      ChannelVariables[ch][ChanField::BottomCopy] = static_cast<float>(100 + 200 * ch);
      ChannelVariables[ch][ChanField::PlotMin] = -1;
      ChannelVariables[ch][ChanField::PlotMax] = 1;
    }
    // Channel 1 a sine-like ramp; channel 2 constant. Columns 0 and 1 hold wild values
    // that full-range scaling must not take.
    Sample = 200;
    for (int32_t c = 0; c < Sample; ++c) {
      ChartDataArray.Set(1, c, c < 2 ? 1000.0f : static_cast<float>((c % 50) - 25) / 10.0f);
      ChartDataArray.Set(2, c, c < 2 ? -1000.0f : 0.5f);
    }
    Nmarkers = 2;
    MarkersArray[1] = {0, 50, 'a'};
    MarkersArray[2] = {0, 150, 203};
    BottomOfPlot = 500;
  }
  void TearDown() override {
    for (int16_t w : {W, int16_t{1}})
      if (rt::WindowExists(w)) rt::CloseWindow(w);
    AcqTest::TearDown();
  }
  // A key typed while no field has the focus, as the window receives it.
  static Step TypeOnWindow(int16_t window, Qt::Key key, QString text) {
    return [window, key, text] {
      QWidget* w = rt::bridge::WindowWidget(window);
      w->setFocus(Qt::OtherFocusReason);
      QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
      QApplication::sendEvent(w, &press);
      return true;
    };
  }
};

TEST_F(ReplayWindow, FullRangeIgnoresTheFirstTwoSamples) {
  const ReplayRange r = ChartReplayRange(1, Sample);
  EXPECT_FLOAT_EQ(r.min, -2.5f);
  EXPECT_FLOAT_EQ(r.max, 2.4f);
  const ReplayRange flat = ChartReplayRange(2, Sample);
  EXPECT_FLOAT_EQ(flat.min, 0.5f);
  EXPECT_FLOAT_EQ(flat.max, 0.5f);
  EXPECT_TRUE(ChartReplayRange(1, 2).Empty());
}

TEST_F(ReplayWindow, AfterARunSwitchesScalingAndClosesOnReturn) {
  ReplayAutoScaling = 0;
  bool sawUserTitle = false, sawFullTitle = false;
  Drive({Until(W), Shot(W, "w321-replay-user-set.png"), Do([&] {
           sawUserTitle = rt::ControlTitle(kReplaySwitchButton).str() == "Switch to Full-range Scaling";
           EXPECT_EQ(ReplayAutoScaling, 1);
         }),
         Click(W, kReplaySwitchButton), Do([&] {
           sawFullTitle = rt::ControlTitle(kReplaySwitchButton).str() == "Switch to User-set Scaling";
         }),
         Shot(W, "w321-replay-full-range.png"), TypeOnWindow(W, Qt::Key_Return, "\r")},
        [] { rt::CloseWindow(W); });
  EXPECT_EQ(REPLAY(1), 0);
  EXPECT_TRUE(ScriptDone());
  EXPECT_TRUE(sawUserTitle);
  EXPECT_TRUE(sawFullTitle);
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_EQ(ReplayAutoScaling, 0);  // two draws, two flips
  EXPECT_EQ(BottomOfPlot, 500);
  EXPECT_EQ(Action, 0);
}

TEST_F(ReplayWindow, AfterARunTheCloseBoxEndsIt) {
  Drive({Until(W), CloseBox(W)}, [] { rt::CloseWindow(W); });
  REPLAY(1);
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(W));
}

TEST_F(ReplayWindow, DuringARecordingTheWindowStaysAndDrawingGoesBackToTheChart) {
  rt::OpenWindow(1, "chart", Rect{0, 0, 900, 700}, 262);
  ReplayAutoScaling = 1;
  REPLAY(0);
  ASSERT_TRUE(rt::WindowExists(W));
  EXPECT_EQ(rt::OutputWindow(), 1);
  EXPECT_NE(rt::WindowTitle(W).str().find("seconds)    Click 'Resume' Icon (Triangle) to Exit"),
            std::string::npos);
  EXPECT_FALSE(rt::ControlExists(kReplaySwitchButton));
  rt::SetOutputWindow(W);
  // Channel 1's ramp is drawn red during a recording; channel 2 is flat under
  // full-range scaling (strip 265..465 in the window): no trace at all.
  int reddest = 0, flatRed = 0;
  for (int y = 66; y < 265; ++y) {
    const RGBColor c = rt::CanvasPixel(400, y);
    reddest = std::max(reddest, c.red - c.green);
  }
  for (int y = 264; y < 465; ++y) {
    const RGBColor c = rt::CanvasPixel(400, y);
    flatRed = std::max(flatRed, c.red - c.green);
  }
  EXPECT_GT(reddest, 0x4000);
  EXPECT_LT(flatRed, 0x1000) << "a flat channel has no trace";
  rt::SaveWindowImage(W, (TestOutputDir() / "w321-replay-recording.png").string());
  // A second call (the switch key) draws into the same window.
  REPLAY(0);
  EXPECT_EQ(rt::OpenWindows().size(), 2u);
}

TEST_F(ReplayWindow, FewerThanThreeSamplesDrawOnlyFramesAndLabels) {
  Sample = 2;
  ReplayAutoScaling = 1;
  rt::OpenWindow(1, "chart", Rect{0, 0, 900, 700}, 262);
  REPLAY(0);
  EXPECT_TRUE(rt::WindowExists(W));
  rt::SaveWindowImage(W, (TestOutputDir() / "w321-replay-empty.png").string());
}

// The widest stretch of background between two inked columns of the strip's label
// row, from the channel name's start on.
int WidestGapInLabelRow(int top) {
  rt::SetOutputWindow(kReplayWindow);
  const RGBColor ground = rt::CanvasPixel(700, top + 6);
  int widest = 0, lastInk = -1;
  for (int x = 60; x < 700; ++x) {
    bool ink = false;
    for (int y = top + 1; y <= top + 13 && !ink; ++y) {
      const RGBColor c = rt::CanvasPixel(x, y);
      ink = std::abs(c.red - ground.red) + std::abs(c.green - ground.green) + std::abs(c.blue - ground.blue) >
            0x3000;
    }
    if (!ink) continue;
    if (lastInk >= 0) widest = std::max(widest, x - lastInk - 1);
    lastInk = x;
  }
  return widest;
}

TEST_F(ReplayWindow, AStripsLabelNeverRunsIntoItsInputNumber) {
  struct Case {
    float input;
    const char* label;
  };
  const int blanks = rt::TextWidth("    ", KitFont(KestraneFont, 10));  // twice the name's own two-blank gaps
  PrefsArray[PrefsSlot::ZeroLines] = PrefsArray[PrefsSlot::ScaleGrid] = 0;
  PrefsArray[PrefsSlot::MarkersInReplay] = 0;
  ReplayAutoScaling = 1;  // channel 2 is flat: no trace crosses its label row
  rt::OpenWindow(1, "chart", Rect{0, 0, 900, 700}, 262);
  for (const Case& c : {Case{1, "volts"}, Case{12, "O2 (%)"}, Case{123, "Chamber temperature"}}) {
    SCOPED_TRACE(c.label);
    ChannelVariables[2][ChanField::Input] = c.input;
    SetChannelLabel(2, c.label);
    REPLAY(0);
    EXPECT_GE(WidestGapInLabelRow(265), blanks);
  }
  rt::SaveWindowImage(W, (TestOutputDir() / "w321-replay-labels.png").string());
}

TEST_F(ReplayWindow, TwoPointsToAPixelColumnLookTheSameAsEveryPointStroked) {
  // 750 pixels for 1500 samples: two points to each pixel column, values -50..50.
  Sample = 1500;
  for (int32_t c = 2; c < Sample; ++c) ChartDataArray.Set(1, c, static_cast<float>((c * 37) % 101 - 50));
  nChannels = 1;
  PrefsArray[PrefsSlot::ZeroLines] = PrefsArray[PrefsSlot::ScaleGrid] = 0;
  PrefsArray[PrefsSlot::MarkersInReplay] = 0;
  ReplayAutoScaling = 1;
  rt::OpenWindow(1, "chart", Rect{0, 0, 900, 700}, 262);
  REPLAY(0);
  // The strip (65..265 in the window) stroked point by point into a second window.
  constexpr int16_t kEvery = 400;
  rt::OpenWindow(kEvery, "every point", Rect{10, 81, 760, 565}, 6);
  CGdrawBox(1, gray, 1, 0, 65, 750, 265, 0);
  CGContext context = BeginCGContextForCurrentPort();
  SetCGChartLinesColor(context, 0);
  for (int32_t c = 2; c < Sample; ++c)
    QuartzPointsArray[c - 1] = {c * 0.5f,
                                static_cast<float>(ReplayPointY(ChartDataArray.Get(1, c), 50, 2, 65, 265))};
  drawPaneContent(context, Sample - 2);
  // Between the labels of the strip's top and bottom.
  int differing = 0, red = 0;
  for (int y = 80; y < 250; ++y)
    for (int x = 2; x < 748; ++x) {
      rt::SetOutputWindow(kEvery);
      const RGBColor every = rt::CanvasPixel(x, y);
      rt::SetOutputWindow(W);
      const RGBColor thinned = rt::CanvasPixel(x, y);
      differing += every.red != thinned.red || every.green != thinned.green || every.blue != thinned.blue;
      red += every.red - every.green > 0x4000;
    }
  rt::CloseWindow(kEvery);
  EXPECT_GT(red, 1000) << "the reference drew a trace";
  EXPECT_EQ(differing, 0);
}

TEST_F(ReplayWindow, TwoMillionSamplesDrawTheSamePictureAsEverySampleThinned) {
  Sample = 2'000'000;
  for (int32_t c = 0; c < Sample; ++c) {
    ChartDataArray.Set(1, c, NoisyWave(c));
    ChartDataArray.Set(2, c, static_cast<float>((c / 300'000) % 3) + 0.2f * ((c * 7) % 5 == 0));
  }
  Nmarkers = 3;
  MarkersArray[1] = {0, 400'000, 'a'};
  MarkersArray[2] = {0, 1'200'000, 166};
  MarkersArray[3] = {0, 1'900'000, 205};
  ReplayAutoScaling = 1;
  rt::OpenWindow(1, "chart", Rect{0, 0, 900, 700}, 262);
  REPLAY(0);
  rt::SaveWindowImage(W, (TestOutputDir() / "w321-replay-2000000-samples.png").string());

  // The traces alone, against the same strips stroked from every sample thinned.
  PrefsArray[PrefsSlot::ZeroLines] = PrefsArray[PrefsSlot::ScaleGrid] = 0;
  PrefsArray[PrefsSlot::MarkersInReplay] = 0;
  ReplayAutoScaling = 1;
  REPLAY(0);
  constexpr int16_t kEvery = 400;
  rt::OpenWindow(kEvery, "every sample", Rect{10, 81, 760, 565}, 6);
  for (int ch = 1; ch <= 2; ++ch) {
    const int top = 65 + 200 * (ch - 1), bottom = top + 200;
    CGdrawBox(1, gray, 1, 0, static_cast<float>(top), 750, static_cast<float>(bottom), 0);
    const ReplayRange r = ChartReplayRange(ch, Sample);
    const std::vector<QuartzPoint> points = EverySampleThinned(
        ch, Sample, ReplayStep(800, Sample), ReplayScale{r.max, 200.0f / (r.max - r.min), top, bottom});
    std::copy(points.begin(), points.end(), QuartzPointsArray.begin() + 1);
    CGContext context = BeginCGContextForCurrentPort();
    SetCGChartLinesColor(context, 0);
    drawPaneContent(context, static_cast<int32_t>(points.size()));
  }
  int differing = 0, red = 0;
  for (int y = 80; y < 450; ++y)
    for (int x = 2; x < 748; ++x) {
      if (y > 250 && y < 280) continue;  // the labels between the strips
      rt::SetOutputWindow(kEvery);
      const RGBColor every = rt::CanvasPixel(x, y);
      rt::SetOutputWindow(W);
      const RGBColor drawn = rt::CanvasPixel(x, y);
      differing += every.red != drawn.red || every.green != drawn.green || every.blue != drawn.blue;
      red += every.red - every.green > 0x4000;
    }
  rt::CloseWindow(kEvery);
  EXPECT_GT(red, 20'000) << "the reference drew both traces";
  EXPECT_EQ(differing, 0);
}

}  // namespace
}  // namespace mv::test
