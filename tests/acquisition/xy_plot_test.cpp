// The X-Y plot: its size and Y range rules, the point mapping, and the window opened,
// cleared and redrawn as the recording loops do.
// The fixture comes first: it names the hooks these windows are installed into.
// clang-format off
#include "acq_fixture.h"
#include "acquisition/xy_plot.h"
// clang-format on

#include "acquisition/screen.h"
#include "conversions/state.h"

namespace mv::test {
namespace {

constexpr int16_t W = kXYPlotWindowNumber;

TEST(XYPlotRules, SizeNeedsMoreThan106PixelsBesideTheChart) {
  EXPECT_EQ(XYPlotSizeFor(906, 800), 0);
  EXPECT_EQ(XYPlotSizeFor(907, 800), 100);
  EXPECT_EQ(XYPlotSizeFor(1024, 800), 217);
  EXPECT_EQ(XYPlotSizeFor(1920, 800), 360);
}

TEST(XYPlotRules, StretchFlagsExtendTheYRangeByHalf) {
  const auto range = [](bool up, bool down) {
    const XYRange r = XYYRange(0, 10, up, down);
    return std::pair{r.bottom, r.top};
  };
  EXPECT_EQ(range(false, false), (std::pair{0.0f, 10.0f}));
  EXPECT_EQ(range(false, true), (std::pair{-5.0f, 10.0f}));
  EXPECT_EQ(range(true, false), (std::pair{0.0f, 15.0f}));
  EXPECT_EQ(range(true, true), (std::pair{-5.0f, 15.0f}));
}

TEST(XYPlotRules, PointsOutsideTheRangesStayAtThePlotEdge) {
  // Size 100: X 0..10 across 100 pixels, Y 0..17 up 170 (pixel 170 is the bottom).
  const XYRange y{0, 17};
  struct Case {
    const char* what;
    float x, y;
    int px, py;
  };
  const Case cases[] = {
      {"inside on both axes", 5, 8.5f, 50, 85},
      {"X below its minimum", -1, 8.5f, 0, 85},
      {"X above its maximum", 11, 8.5f, 100, 85},
      {"Y below its minimum", 5, -1.7f, 50, 170},
      {"Y above its maximum", 5, 18.7f, 50, 0},
      {"both below", -3, -5, 0, 170},
      {"both above", 30, 40, 100, 0},
  };
  for (const Case& c : cases) {
    const XYPixel p = XYPointPixel(c.x, c.y, 0, 10, y, 100);
    EXPECT_EQ(p.x, c.px) << c.what;
    EXPECT_EQ(p.y, c.py) << c.what;
  }
  // An X channel without a range gives no position: the point stays on the plot's left edge.
  EXPECT_EQ(XYPointPixel(5, 1, 3, 3, y, 100).x, 0);
}

class XYPlotWindowTest : public AcqTest {
 protected:
  void SetUp() override {
    AcqTest::SetUp();
    SetScreenSizeOverride(1024, 768);
    PrefsArray[PrefsSlot::WindowWidth] = 800;
    ShowXYPlot = 1;
    XYaxisChannelX = 1;
    XYaxisChannelY = 2;
    datalabel = Str255("Oxygen") + Str255(24, ' ') + "Carbon dioxide";
    // X 0..1 over the plot; Y -1..1.
    ChannelVariables[2][ChanField::PlotMin] = -1;
    rt::OpenWindow(1, "chart", Rect{0, 0, 800, 600}, 262);
  }
  void TearDown() override {
    SetScreenSizeOverride(0, 0);
    for (int16_t w : {W, int16_t{1}})
      if (rt::WindowExists(w)) rt::CloseWindow(w);
    AcqTest::TearDown();
  }
  static bool Yellowish(RGBColor c) { return c.red > 0x8000 && c.green > 0x8000 && c.blue < 0x8000; }
};

TEST_F(XYPlotWindowTest, OpensBesideTheChartOnceAndDrawsBackOnTheChart) {
  MakeRegressionPlotWindow();
  ASSERT_TRUE(rt::WindowExists(W));
  EXPECT_EQ(XYPlotWindow, 1);
  EXPECT_EQ(XYplotSize, 217.0f);
  EXPECT_EQ(rt::WindowTitle(W).str(), " Interchannel Regression ");
  const Rect r = rt::WindowContentRect(W);
  EXPECT_EQ(r.width(), 207);
  EXPECT_EQ(r.height(), 392);
  EXPECT_EQ(rt::OutputWindow(), 1);
  rt::SetOutputWindow(W);
  EXPECT_EQ(rt::EditText(1), " 1");
  rt::SaveWindowImage(W, (TestOutputDir() / "w22-xy-plot.png").string());
  MakeRegressionPlotWindow();  // open already: nothing new
  EXPECT_EQ(rt::OpenWindows().size(), 2u);
}

TEST_F(XYPlotWindowTest, NoRoomBesideTheChartOpensNothingAndClearingDoesNothing) {
  SetScreenSizeOverride(906, 768);
  MakeRegressionPlotWindow();
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_EQ(XYPlotWindow, 0);
  ClearXYPlot();
  RedrawXY();
  PlotNewestXYPoint();
  EXPECT_FALSE(rt::WindowExists(W));
}

TEST_F(XYPlotWindowTest, AfterClearingOnlySamplesFromTheCountOnArePlotted) {
  MakeRegressionPlotWindow();
  // Samples 1..6 (columns 0..5): the first four at (0.25, 0.5), the last two at (0.75, -0.5).
  for (int32_t c = 0; c < 6; ++c) {
    ChartDataArray.Set(1, c, c < 4 ? 0.25f : 0.75f);
    ChartDataArray.Set(2, c, c < 4 ? 0.5f : -0.5f);
  }
  Sample = 6;
  LastXYClear = 5;
  ClearXYPlot();
  RedrawXY();
  rt::SetOutputWindow(W);
  // Size 217, height 287: (0.25, 0.5) -> (54, 71); (0.75, -0.5) -> (162, 215).
  EXPECT_FALSE(Yellowish(rt::CanvasPixel(54, 71)));
  EXPECT_TRUE(Yellowish(rt::CanvasPixel(162, 215)));
  EXPECT_EQ(miny, -1.0f);
  EXPECT_EQ(maxy, 1.0f);
  rt::SaveWindowImage(W, (TestOutputDir() / "w22-xy-plot-points.png").string());
}

// The window may be gone while the flags say otherwise (closed after a run): the
// points must not be drawn on the chart instead.
TEST_F(XYPlotWindowTest, RedrawWithoutItsWindowLeavesTheChartAlone) {
  XYPlotWindow = 1;
  XYplotSize = 217;
  Sample = 6;
  for (int32_t c = 0; c < 6; ++c) ChartDataArray.Set(1, c, 0.75f);
  rt::SetOutputWindow(1);
  const RGBColor before = rt::CanvasPixel(162, 143);
  RedrawXY();
  PlotNewestXYPoint();
  EXPECT_EQ(rt::CanvasPixel(162, 143).red, before.red);
  EXPECT_EQ(rt::CanvasPixel(162, 143).green, before.green);
}

TEST_F(XYPlotWindowTest, NewestPointUsesTheStretchedRange) {
  MakeRegressionPlotWindow();
  ExpandXYup = 1;  // Y -1..2
  ChartDataArray.Set(1, 0, 0.5f);
  ChartDataArray.Set(2, 0, 0.5f);
  Sample = 1;
  PlotNewestXYPoint();  // one sample: nothing yet
  Sample = 2;
  ChartDataArray.Set(1, 1, 0.5f);
  ChartDataArray.Set(2, 1, 0.5f);
  PlotNewestXYPoint();
  EXPECT_EQ(miny, -1.0f);
  EXPECT_EQ(maxy, 2.0f);
  EXPECT_EQ(rt::OutputWindow(), 1);
  rt::SetOutputWindow(W);
  // x 108.5 -> 108; y |287 - 1.5 x 287 / 3| = 143.5 -> 143.
  EXPECT_TRUE(Yellowish(rt::CanvasPixel(108, 143)));
}

}  // namespace
}  // namespace mv::test
