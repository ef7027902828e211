// The "2 Channel X-Y Plot" dialog driven as a user would.
#include "setup/xy_plot_dialog.h"

#include "acquisition/state.h"
#include "common/window_steps.h"
#include "runtime/menus.h"
#include "setup/state.h"
#include "setup_fixture.h"
#include "shell/state.h"

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
