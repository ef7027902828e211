// The "2 Channel X-Y Plot" dialog driven as a user would.
#include "setup/xy_plot_dialog.h"

#include "acquisition/screen.h"
#include "acquisition/state.h"
#include "common/window_steps.h"
#include "kit/state.h"
#include "runtime/menus.h"
#include "setup/state.h"
#include "setup_fixture.h"

namespace mv::test {
namespace {

constexpr int16_t W = kXYDialogWindow;

class XYPlotDialog : public SetupTest, public WindowSteps {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    rt::NewMenu(4, "A-D");
    for (int16_t i = 1; i <= 25; ++i) rt::SetMenuItem(4, i, "item");
    nChannels = 3;
    datalabel = Str255("Oxygen") + Str255(24, ' ') + "Carbon dioxide" + Str255(16, ' ') + "Temperature";
    XYaxisChannelX = 1;
    XYaxisChannelY = 3;
  }
};

TEST_F(XYPlotDialog, ChoosesBothAxesAndSwitchesThePlotOn) {
  bool startedMarked = false;
  Drive({Until(W), Do([&] {
           rt::SetOutputWindow(W);
           startedMarked = rt::ControlState(1) == 2 && rt::ControlState(23) == 2 && rt::ControlState(40) == 1;
         }),
         Click(W, 2), Click(W, 22), Click(W, 40), Shot(W, "w200-xy-plot-setup.png"), Click(W, kXYDoneButton)},
        [] { rt::CloseWindow(W); });
  EXPECT_EQ(XYPlotSetup(), 0);
  EXPECT_TRUE(ScriptDone());
  EXPECT_TRUE(startedMarked);
  EXPECT_FALSE(rt::WindowExists(W));
  // Channel 2 for both axes is allowed: both values are kept.
  EXPECT_EQ(XYaxisChannelX, 2.0f);
  EXPECT_EQ(XYaxisChannelY, 2.0f);
  EXPECT_EQ(ShowXYPlot, 1);
  EXPECT_TRUE(rt::MenuItemChecked(4, 23));
  EXPECT_EQ(Action, ActionCode::Redraw);
  EXPECT_EQ(Played("scream.mp3"), 1);
}

// The plot stands beside the chart: asked for on a screen without room for it there, the
// dialog says why no plot will open and the room it needs, until the box is cleared.
TEST_F(XYPlotDialog, APlotTheScreenHasNoRoomForIsExplainedWhileItIsAskedFor) {
  struct Row {
    int screen;
    bool noted;
  };
  PrefsArray[PrefsSlot::WindowWidth] = 800;
  for (const Row row : {Row{906, true}, Row{907, false}, Row{1280, false}}) {
    SCOPED_TRACE(row.screen);
    SetScreenSizeOverride(row.screen, 768);
    ShowXYPlot = 0;
    std::string checked, cleared = "(none)";
    Drive({Until(W), Click(W, kXYShowBox), Do([&] {
             rt::SetOutputWindow(W);
             checked = rt::EditFieldExists(kXYNoRoomField) ? rt::EditText(kXYNoRoomField) : "";
           }),
           Shot(W, "w200-xy-plot-room-" + std::to_string(row.screen) + ".png"), Click(W, kXYShowBox), Do([&] {
             rt::SetOutputWindow(W);
             cleared = rt::EditFieldExists(kXYNoRoomField) ? rt::EditText(kXYNoRoomField) : "";
           }),
           Click(W, kXYDoneButton)},
          [] { rt::CloseWindow(W); });
    XYPlotSetup();
    EXPECT_TRUE(ScriptDone());
    if (row.noted) {
      EXPECT_NE(checked.find("No room for the plot beside the chart"), std::string::npos) << checked;
      EXPECT_NE(checked.find("needs a screen of 907 pixels"), std::string::npos) << checked;
      EXPECT_NE(checked.find("this one has 906"), std::string::npos) << checked;
    } else {
      EXPECT_EQ(checked, "");
    }
    EXPECT_EQ(cleared, "") << "no plot asked for, nothing to explain";
  }
  SetScreenSizeOverride(0, 0);
}

TEST_F(XYPlotDialog, AnAxisNeverChosenOrBeyondTheChannelsOpensOnChannelsOneAndTwo) {
  struct Case {
    int16_t channels;
    float x, y;
    float wantX, wantY;
  };
  const Case cases[] = {
      {3, 0, 0, 1, 2},   // start-up: no axis ever chosen
      {3, 3, 0, 3, 2},   // a chosen axis stays
      {3, 5, -1, 1, 2},  // beyond the channels, or negative
      {1, 0, 0, 1, 1},   // a single channel serves both axes
  };
  for (const Case& c : cases) {
    nChannels = c.channels;
    XYaxisChannelX = c.x;
    XYaxisChannelY = c.y;
    ShowXYPlot = 0;
    int16_t markedX = 0, markedY = 0;
    Drive({Until(W), Do([&] {
             rt::SetOutputWindow(W);
             for (int16_t n = 1; n <= c.channels; ++n) {
               if (rt::ControlState(n) == 2) markedX = n;
               if (rt::ControlState(static_cast<int16_t>(kXYYRadioBase + n)) == 2) markedY = n;
             }
           }),
           Click(W, kXYShowBox), Click(W, kXYDoneButton)},
          [] { rt::CloseWindow(W); });
    XYPlotSetup();
    EXPECT_TRUE(ScriptDone());
    EXPECT_EQ(markedX, c.wantX) << c.x << " / " << c.y;
    EXPECT_EQ(markedY, c.wantY) << c.x << " / " << c.y;
    EXPECT_EQ(XYaxisChannelX, c.wantX) << "switched on, the plot draws channels that exist";
    EXPECT_EQ(XYaxisChannelY, c.wantY);
    EXPECT_EQ(ShowXYPlot, 1);
  }
}

TEST_F(XYPlotDialog, CloseBoxLeavesThePlotOffAndUnchecked) {
  Drive({Until(W), CloseBox(W)}, [] { rt::CloseWindow(W); });
  XYPlotSetup();
  EXPECT_TRUE(ScriptDone());
  EXPECT_EQ(ShowXYPlot, 0);
  EXPECT_FALSE(rt::MenuItemChecked(4, 23));
  EXPECT_EQ(XYaxisChannelX, 1.0f);
}

}  // namespace
}  // namespace mv::test
