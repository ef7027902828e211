// The scope and chart view windows driven as a user would: density steps, compression,
// scrolling step and custom tick units.
#include "acquisition/view_windows.h"

#include <cstdlib>

#include "acq_fixture.h"
#include "acquisition/ticks.h"
#include "common/window_steps.h"

namespace mv::test {
namespace {

constexpr int16_t W = kViewWindow;

class ViewWindowsTest : public AcqTest, public WindowSteps {
 protected:
  void SetUp() override {
    AcqTest::SetUp();
    setenv("MV_RESOURCES_DIR", SourcePath("resources").c_str(), 1);
    DEFAULTCOLORS();
    RecordingMODE = RecordingModeCode::Chart;
    PrefsArray[PrefsSlot::WindowWidth] = 800;
    ChartView = 1;
    CustomTic = 0;
  }
  void TearDown() override {
    rt::SetPumpHook(nullptr);
    if (rt::WindowExists(W)) rt::CloseWindow(W);
    unsetenv("MV_RESOURCES_DIR");
    AcqTest::TearDown();
  }
  static int16_t State(int16_t control) {
    rt::SetOutputWindow(W);
    return rt::ControlState(control);
  }
};

TEST_F(ViewWindowsTest, CustomUnitOfTwoOverHalfASecondStoresFourAndSpacesTicksFourGapsApart) {
  ChartIntervalInSeconds = 0.01;  // 800 points of 0.01 s: an 8 s screen, default ticks every 0.5 s
  MaxSamples = 4000;              // five screens: the wide window with the scrolling panel
  PrefsArray[PrefsSlot::ChartRedrawOption] = 0;
  ChartDataColor = {0, 65535, 0};  // the preview's trace on its black box
  Drive({Until(W), Do([] { EXPECT_EQ(Shown(W, 104), 0.5); }), Do([] { EXPECT_TRUE(rt::ControlExists(33)); }),
         Click(W, 13), Type(W, 105, "2"), Click(W, 31), Shot(W, "w6-chart-view.png"), Click(W, 11)});
  SETCHARTVIEW();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_DOUBLE_EQ(CustomTic, 4.0);
  EXPECT_EQ(PrefsArray[PrefsSlot::ChartRedrawOption], 1);
  EXPECT_EQ(leftedge, 633);
  COMPUTETICS();
  EXPECT_FLOAT_EQ(ticgap, 200.0f);  // 2 s between ticks / 0.01 s per point
}

TEST_F(ViewWindowsTest, OneScreenRecordingGetsTheNarrowWindowAndOnlyCompressionOne) {
  ChartIntervalInSeconds = 0.1;
  MaxSamples = 800;  // exactly one screen
  ChartView = 4;     // more than the recording holds: back to 1
  CustomTic = 3;
  Drive({Until(W), Do([] {
           EXPECT_EQ(rt::WindowContentRect(W).right - rt::WindowContentRect(W).left, 486);
           EXPECT_FALSE(rt::ControlExists(30));
           EXPECT_EQ(State(1), 2);
           for (int16_t b : {2, 3, 4, 5, 10}) EXPECT_EQ(State(b), 0) << b;
           EXPECT_EQ(State(13), 2);
         }),
         Shot(W, "w6-chart-view-one-screen.png"), Click(W, 12), Type(W, 105, "7"), Click(W, 11)});
  SETCHARTVIEW();
  EXPECT_FLOAT_EQ(ChartView, 1.0f);
  EXPECT_EQ(CustomTic, 0.0) << "the default unit wins whatever the field holds";
  EXPECT_EQ(leftedge, 563);
}

TEST_F(ViewWindowsTest, CompressionButtonsSetSamplesPerPoint) {
  ChartIntervalInSeconds = 0.1;
  MaxSamples = 100'000;
  Drive({Until(W), Click(W, 3), Do([] { EXPECT_FLOAT_EQ(ChartView, 2.5f); }), Click(W, 10), Click(W, 11)});
  SETCHARTVIEW();
  EXPECT_FLOAT_EQ(ChartView, 10.0f);
  EXPECT_EQ(ChartButtonFor(2.5f), 3);
  EXPECT_EQ(ChartButtonFor(10.0f), 10);
}

TEST_F(ViewWindowsTest, ScopeStepAndCustomUnitAreTaken) {
  RecordingMODE = RecordingModeCode::Scope;
  ScopeMax = 1600;
  scopeinterval = 0.001f;
  ScopeIntervalInSeconds = 0.001;
  sctracelength = 1.6f;
  ScopeViewSTEP = 0;  // below 1: raised to 1
  Drive({Until(W), Do([] {
           EXPECT_EQ(State(1), 2);
           EXPECT_EQ(ScopeViewSTEP, 1);
         }),
         Click(W, 10), Click(W, 23), Do([] { EXPECT_EQ(rt::FocusedEditField(), 105); }),
         Do([] { rt::SetEditText(105, (NumText(2 * Shown(W, 104))).str()); }), Shot(W, "w6-scope-view.png"),
         Click(W, 31)});
  SETSCOPEVIEW();
  EXPECT_TRUE(ScriptDone());
  EXPECT_EQ(ScopeViewSTEP, 10);
  EXPECT_NEAR(CustomScopeTic, 2.0, 1e-4);
  EXPECT_FLOAT_EQ(scopeXfactor, 0.5f);
}

// A zero, negative or unreadable custom unit would leave the time axis with a gap of
// 0 or less, which draws no usable ticks: the default ladder stays instead.
TEST_F(ViewWindowsTest, ANonPositiveCustomTickUnitKeepsTheDefaultTicks) {
  EXPECT_EQ(CustomTickFactor(0, 0.5), 0.0);
  EXPECT_EQ(CustomTickFactor(-1, 0.5), 0.0);
  EXPECT_EQ(CustomTickFactor(2, 0), 0.0);
  EXPECT_DOUBLE_EQ(CustomTickFactor(2, 0.5), 4.0);
  ChartIntervalInSeconds = 0.01;
  MaxSamples = 4000;
  Drive({Until(W), Click(W, 13), Type(W, 105, "abc"), Click(W, 11)});
  SETCHARTVIEW();
  EXPECT_EQ(CustomTic, 0.0);
}

}  // namespace
}  // namespace mv::test
