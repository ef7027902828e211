// The replay window: its title, ranges and pixel rules, the window after a run driven
// as a user would, and the window drawn during a recording.
// The fixture comes first: it names the hooks these windows are installed into.
// clang-format off
#include "acq_fixture.h"
#include "acquisition/replay.h"
// clang-format on

#include <QApplication>
#include <QKeyEvent>

#include "acquisition/recording_keys.h"
#include "common/window_steps.h"
#include "files/state.h"

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
  // Channel 2 is flat under full-range scaling: drawn along its strip's top (y 265,
  // strip 65..265 in the window), red during a recording.
  int reddest = 0;
  for (int y = 264; y <= 266; ++y) {
    const RGBColor c = rt::CanvasPixel(400, y);
    reddest = std::max(reddest, c.red - c.green);
  }
  EXPECT_GT(reddest, 0x4000);
  const RGBColor below = rt::CanvasPixel(400, 300);
  EXPECT_LT(below.red - below.green, 0x1000) << "nothing of the trace lower in the strip";
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

}  // namespace
}  // namespace mv::test
