// The slope-trend, recording-window-size and status-display dialogs driven as a user would.
#include "setup/display_settings.h"

#include <cmath>
#include <cstdlib>

#include "acquisition/state.h"
#include "common/window_steps.h"
#include "control/state.h"
#include "files/state.h"
#include "kit/state.h"
#include "setup/channel_table.h"
#include "setup/state.h"
#include "setup_fixture.h"

namespace mv::test {
namespace {

class DisplaySettings : public SetupTest, public WindowSteps {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    RecordingMODE = RecordingModeCode::Chart;
    nChannels = 3;
    datalabel = Str255("Oxygen") + Str255(24, ' ') + "Carbon dioxide" + Str255(16, ' ') + "Temperature";
  }
  void TearDown() override {
    rt::SetPumpHook(nullptr);
    for (int16_t w : {kSlopeTrendWindow, kWindowSizeExample, kStatusDisplayWindow})
      if (rt::WindowExists(w)) rt::CloseWindow(w);
    unsetenv("MV_DISPLAY_SIZE");
    SetupTest::TearDown();
  }
};

TEST_F(DisplaySettings, ClearAllKeepsPointCountsAndOnlyAnEditedSpanChanges) {
  constexpr int16_t W = kSlopeTrendWindow;
  alarmsArray[1][AlarmField::SlopeTrendOn] = 1;
  alarmsArray[1][AlarmField::SlopeTrendSpan] = 12;
  alarmsArray[3][AlarmField::SlopeTrendOn] = 1;
  alarmsArray[3][AlarmField::SlopeTrendSpan] = -4;
  Drive({Until(W), Do([] {
           EXPECT_EQ(TextOf(W, 17), " 12");
           EXPECT_EQ(TextOf(W, 18), " 5");
           EXPECT_EQ(TextOf(W, 19), " 5");
           EXPECT_EQ(rt::ControlState(101), 2);
         }),
         Click(W, 102), Do([] { EXPECT_EQ(alarmsArray[2][AlarmField::SlopeTrendOn], 1.0f); }), Click(W, 122),
         Type(W, 19, "7.9"), Shot(W, "w15-slope-trends.png"), Click(W, 121)});
  SETSLOPETREND();
  EXPECT_TRUE(ScriptDone());
  for (int ch = 1; ch <= 3; ++ch) EXPECT_EQ(alarmsArray[ch][AlarmField::SlopeTrendOn], 0.0f) << ch;
  EXPECT_EQ(alarmsArray[1][AlarmField::SlopeTrendSpan], 12.0f);
  EXPECT_EQ(alarmsArray[2][AlarmField::SlopeTrendSpan], 0.0f) << "shown as the default 5, left as it was";
  EXPECT_EQ(alarmsArray[3][AlarmField::SlopeTrendSpan], 7.0f) << "edited";
  EXPECT_EQ(MENUID, 255);
  EXPECT_EQ(Count("menus on"), 1);
}

TEST_F(DisplaySettings, ASpanSurvivesOpeningAndClosingTheSlopeWindowUnedited) {
  constexpr int16_t W = kSlopeTrendWindow;
  struct Case {
    float span;
    const char* shown;
  };
  const Case cases[] = {{0, " 5"}, {-4, " 5"}, {12, " 12"}};
  for (int ch = 1; ch <= 3; ++ch) alarmsArray[ch][AlarmField::SlopeTrendSpan] = cases[ch - 1].span;
  for (bool byReturn : {false, true}) {
    SCOPED_TRACE(byReturn ? "Return" : "Slope Setup OK");
    Drive({Until(W), Do([&cases] {
             for (int16_t ch = 1; ch <= 3; ++ch) EXPECT_EQ(TextOf(W, 16 + ch), cases[ch - 1].shown) << ch;
           }),
           byReturn ? Return(W, 17) : Click(W, 121)});
    SETSLOPETREND();
    EXPECT_TRUE(ScriptDone());
    for (int ch = 1; ch <= 3; ++ch)
      EXPECT_EQ(alarmsArray[ch][AlarmField::SlopeTrendSpan], cases[ch - 1].span) << ch;
  }
}

TEST_F(DisplaySettings, SlopeTrendsOpenNothingOutsideChartMode) {
  RecordingMODE = RecordingModeCode::ScopeChart;
  EXPECT_EQ(SETSLOPETREND(), 0);
  EXPECT_EQ(Count("menus off"), 0);
  EXPECT_FALSE(rt::WindowExists(kSlopeTrendWindow));
}

TEST_F(DisplaySettings, AnUnlistedLimitShowsOffAndSurvivesSelectionOK) {
  constexpr int16_t W = kStatusDisplayWindow;
  Max_Display_Speed = 12345;
  Drive({Until(W), Do([] { EXPECT_EQ(rt::ControlState(19), 2); }), Shot(W, "w20-status-displays.png"),
         Click(W, 30)});
  STATUS_DISPLAYS();
  EXPECT_EQ(Max_Display_Speed, 12345);
  EXPECT_EQ(Action, ActionCode::Redraw);

  Drive(
      {Until(W), Click(W, 14), Do([] { EXPECT_EQ(Max_Display_Speed, 10000); }), Click(W, 19), Click(W, 30)});
  STATUS_DISPLAYS();
  EXPECT_EQ(Max_Display_Speed, -1);
  EXPECT_EQ(StatusButtonFor(0), 20);
  EXPECT_EQ(StatusButtonFor(6667), 15);
  EXPECT_EQ(StatusButtonFor(-1), 19);
}

TEST_F(DisplaySettings, ADraggedSizeBecomesTheRecordingWindowAndTheStripsFollow) {
  constexpr int16_t W = kWindowSizeExample;
  setenv("MV_DISPLAY_SIZE", "1600x1000", 1);
  nChannels = 2;
  PrefsArray[PrefsSlot::WindowWidth] = 800;
  PrefsArray[PrefsSlot::WindowHeight] = 600;
  ScopeMax = 2000;
  SetChanParams(600, 0);  // equal strips for the 600-pixel window
  const float oldBottom = ChannelVariables[2][ChanField::StripBottom];
  ASSERT_LT(oldBottom, 600.0f);
  Drive({Until(W), Do([] {
           const Rect c = rt::WindowContentRect(W);
           EXPECT_EQ(c.width(), 1600 - 34) << "opens as wide as the screen allows";
           EXPECT_EQ(c.height(), 1000 - 75);
         }),
         DragSize(W, 1200, 800),
         // The slots follow the window while it is dragged, before the loop ends.
         [] { return PrefsArray[PrefsSlot::WindowWidth] == 1214; }, Do([] {
           EXPECT_EQ(PrefsArray[PrefsSlot::WindowHeight], 814);
           EXPECT_EQ(Shown(W, 2), 1200);
           EXPECT_EQ(Shown(W, 3), 800);
         }),
         Shot(W, "w33-window-size.png"), CloseBox(W)});
  ChartWindowSize();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowWidth], 1214) << "the close box keeps the dragged size";
  EXPECT_EQ(ScopeMax, 2000);
  EXPECT_FLOAT_EQ(scopeXfactor, 1214.0f / 2000.0f);
  const float lastBottom = ChannelVariables[2][ChanField::StripBottom];
  EXPECT_GT(lastBottom, oldBottom + 150) << "the strips were stretched to the taller window";
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowHeight], static_cast<int16_t>(std::trunc(lastBottom)) + 30);
}

TEST_F(DisplaySettings, TheExampleWindowStopsAt640By400AndAClickTakesTheSize) {
  constexpr int16_t W = kWindowSizeExample;
  setenv("MV_DISPLAY_SIZE", "1280x800", 1);
  nChannels = 0;  // no set-up yet: the height is the window's own
  ScopeMax = 100;
  Drive({Until(W), Shot(W, "w33-window-size-1280x800.png"), DragSize(W, 500, 300),
         [] { return PrefsArray[PrefsSlot::WindowWidth] == 654; },
         Do([] { EXPECT_EQ(rt::WindowContentRect(W).height(), 400); }), ClickSurface(W, 300, 300)});
  ChartWindowSize();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowWidth], 654);
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowHeight], 414);
  EXPECT_EQ(ScopeMax, 654) << "a scope trace shorter than the window grows to its width";
  EXPECT_FLOAT_EQ(scopeXfactor, 1.0f);
}

}  // namespace
}  // namespace mv::test
