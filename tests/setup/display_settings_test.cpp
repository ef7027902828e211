// The slope-trend, recording-window-size and status-display dialogs driven as a user would.
#include "setup/display_settings.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ostream>
#include <string>

#include "acquisition/screen.h"
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

// The size dragged to is the size shown in the window and the size the recording window
// then takes, whichever way the drag ends; the window stops at 640 by 400.
struct DragRow {
  const char* name;
  const char* display;
  int16_t channels;
  int dragW, dragH;    // the size dragged to
  int shownW, shownH;  // the size the window shows
  int end;             // 0 the close box, 1 a click, 2 Return
};

void PrintTo(const DragRow& r, std::ostream* out) {
  *out << r.name;
}

class DragSizeTest : public DisplaySettings, public ::testing::WithParamInterface<DragRow> {};

TEST_P(DragSizeTest, TheSizeShownIsTheRecordingWindowsSize) {
  const DragRow& row = GetParam();
  constexpr int16_t W = kWindowSizeExample;
  setenv("MV_DISPLAY_SIZE", row.display, 1);
  nChannels = row.channels;
  PrefsArray[PrefsSlot::WindowWidth] = 800;
  PrefsArray[PrefsSlot::WindowHeight] = 600;
  ScopeMax = 1000;
  if (nChannels > 0) SetChanParams(600, 0);  // equal strips for the 600-pixel window
  const Step end = row.end == 0 ? CloseBox(W) : row.end == 1 ? ClickSurface(W, 300, 300) : Return(W, 2);
  Drive({Until(W), DragSize(W, row.dragW, row.dragH),
         // The slots follow the window while it is dragged, before the loop ends.
         [&row] { return Shown(W, 2) == row.shownW && Shown(W, 3) == row.shownH; }, Do([&row] {
           EXPECT_EQ(PrefsArray[PrefsSlot::WindowWidth], row.shownW);
           EXPECT_EQ(PrefsArray[PrefsSlot::WindowHeight], row.shownH);
         }),
         Shot(W, std::string("w33-window-size-") + row.name + ".png"), end});
  ChartWindowSize();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowWidth], row.shownW);
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowHeight], row.shownH);
  EXPECT_EQ(ScopeMax, std::max(1000, row.shownW))
      << "a scope trace shorter than the window grows to its width";
  EXPECT_FLOAT_EQ(scopeXfactor, static_cast<float>(row.shownW) / static_cast<float>(ScopeMax));
  if (nChannels == 0) return;
  MaxSamples = 100;
  DRAWSCREEN(1);
  const Rect c = rt::WindowContentRect(1);
  EXPECT_EQ(c.width(), row.shownW);
  EXPECT_EQ(c.height(), row.shownH);
  rt::SaveWindowImage(1, (TestOutputDir() / (std::string("w1-after-drag-") + row.name + ".png")).string());
  rt::CloseWindow(1);
}

INSTANTIATE_TEST_SUITE_P(Drags, DragSizeTest,
                         ::testing::Values(DragRow{"taller", "1600x1000", 2, 1200, 800, 1200, 800, 0},
                                           DragRow{"below-the-minimum", "1280x800", 0, 500, 300, 640, 400, 1},
                                           DragRow{"800x500", "1600x1000", 3, 800, 500, 800, 500, 2}),
                         [](const ::testing::TestParamInfo<DragRow>& info) {
                           std::string name = info.param.name;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

}  // namespace
}  // namespace mv::test
