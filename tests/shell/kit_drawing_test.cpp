// The drawing primitives on a real canvas under the offscreen platform: colours
// by palette, lines on pixel centres, dashes, inversion, boxes and circles.
#include <gtest/gtest.h>

#include <climits>

#include "kit_test_support.h"
#include "shell/kit/drawing.h"
#include "shell/state.h"

namespace mv {
namespace {

using DrawingTest = test::KitTest;

constexpr RGBColor kRed{65535, 0, 0}, kMagenta{65535, 0, 65535};

TEST_F(DrawingTest, LinesLieOnPixelCentresAndWiderLinesSpreadAroundThem) {
  WhiteWindow(2, 100, 60);
  PlotCG(1, 10, 20, 60, 20, 6);
  EXPECT_EQ(rt::CanvasPixel(35, 20), kRed);
  EXPECT_EQ(rt::CanvasPixel(35, 19), kWhite) << "a one-pixel line covers one pixel row";
  EXPECT_EQ(rt::CanvasPixel(35, 21), kWhite);
  EXPECT_EQ(QuartzPointsArray[1].x, 10.5f) << "the line's ends are stored in points 1 and 2, on pixel centres";
  EXPECT_EQ(QuartzPointsArray[2].y, 20.5f);
  PlotCG(0, 10, 10, 60, 10, 5);
  EXPECT_EQ(rt::CanvasPixel(30, 10), kMagenta) << "width 0 is one pixel; colour 5 is magenta for lines";
  EXPECT_EQ(rt::CanvasPixel(30, 11), kWhite);
  EXPECT_TRUE(sounds.empty()) << "the line palette refuses nothing";
  PlotCG(3, 10, 45, 60, 45, 2);
  EXPECT_EQ(rt::CanvasPixel(30, 44), (RGBColor{0, 32896, 0}));
  EXPECT_EQ(rt::CanvasPixel(30, 46), (RGBColor{0, 32896, 0}));
}

TEST_F(DrawingTest, DashCodesZeroAndNineDrawSolidLinesAndOthersLeaveGaps) {
  WhiteWindow(2, 100, 80);
  for (int16_t code : {0, 9, 5}) {
    PrefsArray[PrefsSlot::DashPattern] = code;
    PlotCG(1, 10, 10 + code * 2, 60, 10 + code * 2, 3);
  }
  int gaps = 0;
  for (int x = 12; x < 58; ++x) {
    EXPECT_EQ(rt::CanvasPixel(x, 10), kBlack) << x;
    EXPECT_EQ(rt::CanvasPixel(x, 28), kBlack) << x;
    gaps += rt::CanvasPixel(x, 20) == kWhite;
  }
  EXPECT_GT(gaps, 12) << "10 on, 10 off";
}

TEST_F(DrawingTest, InvertedLineAndBoxDrawnTwiceRestoreEveryPixel) {
  WhiteWindow(2, 80, 60);
  CGdrawBox(1, RGBColor{10000, 40000, 20000}, 1, 5, 5, 70, 50, 0);
  PlotCG(2, 0, 30, 79, 30, 6);
  PlotCGrgb(1, 40, 0, 40, 59, RGBColor{30000, 30000, 60000});
  auto before = Snapshot(80, 60);
  CGInvertline(3, 2, 77, 55);
  EXPECT_NE(Snapshot(80, 60), before) << "the first stroke shows";
  CGInvertline(3, 2, 77, 55);
  EXPECT_EQ(Snapshot(80, 60), before);
  PrefsArray[PrefsSlot::DashPattern] = 4;
  for (int i = 0; i < 2; ++i) {
    CGInvertline(0, 59, 79, 0);
    CGInvertBox(10, 10, 60, 45);
  }
  EXPECT_EQ(Snapshot(80, 60), before) << "dashed inverted lines and boxes undo themselves too";
}

TEST_F(DrawingTest, NoAliasingLineHasOnlyItsOwnColourAndTheBackground) {
  WhiteWindow(2, 80, 60);
  const RGBColor trace{64512, 62333, 1327};
  CGDrawLineNoAliasing(2, 5, 70, 50, trace);
  int onLine = 0;
  for (RGBColor c : Snapshot(80, 60)) {
    EXPECT_TRUE(c == OnCanvas(trace) || c == kWhite);
    onLine += c == OnCanvas(trace);
  }
  EXPECT_GT(onLine, 60);
}

TEST_F(DrawingTest, BoxColourFiveScreamsWhateverTheSoundSwitchAndDrawsBlack) {
  WhiteWindow(2, 100, 60);
  Sound_Is_On = 0;
  CGdrawBox(0, {}, 1, 10, 10, 40, 40, 5);
  EXPECT_EQ(rt::CanvasPixel(25, 25), kBlack);
  ASSERT_EQ(Played().size(), 1u);
  EXPECT_EQ(Played()[0], "ZQsounds/scream.mp3");
  CGdrawBox(0, {}, 1, 50, 10, 80, 40, 12);
  EXPECT_EQ(rt::CanvasPixel(65, 25), kBlack);
  EXPECT_EQ(Played().size(), 2u) << "numbers outside 0..7 are refused the same way";
  CGdrawBox(1, RGBColor{1000, 2000, 3000}, 1, 10, 10, 40, 40, 5);
  EXPECT_EQ(Played().size(), 2u) << "an RGB box never looks at the palette";
  WhiteWindow(2, 100, 60);
  CGdrawBox(0, {}, 0, 10, 10, 40, 30, 6);
  EXPECT_EQ(rt::CanvasPixel(25, 10), kRed);
  EXPECT_EQ(rt::CanvasPixel(25, 20), kWhite) << "an outline leaves the inside";
}

TEST_F(DrawingTest, CirclesAroundBufferPointsWithColourFiveBlackAndSilent) {
  WhiteWindow(2, 120, 60);
  QuartzPointsArray[1] = {20, 30};
  QuartzPointsArray[2] = {60, 30};
  CGdrawCircle(0, {}, 1, 8, 5, 2);
  EXPECT_EQ(rt::CanvasPixel(20, 30), kBlack);
  EXPECT_EQ(rt::CanvasPixel(60, 30), kBlack);
  EXPECT_TRUE(sounds.empty());
  auto before = Snapshot(120, 60);
  CGdrawCircle(0, {}, 1, 8, 6, 0);
  CGdrawCircle(0, {}, 1, 8, 6, -5);
  EXPECT_EQ(Snapshot(120, 60), before) << "a count of 0 or less draws nothing";
}

TEST_F(DrawingTest, ContextStrokesTheBufferAsOnePolylineInTheChosenColour) {
  WhiteWindow(2, 100, 60);
  ChartDataColor = RGBColor{0, 0, 65535};
  for (int i = 1; i <= 3; ++i) QuartzPointsArray[i] = {10.5f + 30 * (i - 1), 20.5f};
  CGContext ctx = BeginCGContextForCurrentPort();
  ASSERT_TRUE(ctx.valid);
  SetCGChartLinesColor(ctx, 1);
  SetLineDashPattern(ctx);
  drawPaneContent(ctx, 3);
  EXPECT_FALSE(ctx.valid) << "drawing ends the context";
  EXPECT_EQ(rt::CanvasPixel(25, 20), (RGBColor{0, 0, 65535}));
  EXPECT_EQ(rt::CanvasPixel(55, 20), (RGBColor{0, 0, 65535}));
  CGContext width = BeginCGContextForCurrentPort();
  SetCGlinecolor(width, 4, 0);
  EXPECT_EQ(width.style.width, 1) << "width 0 means 1";
}

TEST_F(DrawingTest, PointCountsBeyondTheBufferAreClampedNotReadPastItsEnd) {
  WhiteWindow(2, 40, 40);
  QuartzPointsArray.fill({});
  QuartzPointsArray[1] = {5.5f, 5.5f};
  QuartzPointsArray[2] = {35.5f, 5.5f};
  CGContext ctx = BeginCGContextForCurrentPort();
  SetCGlinecolor(ctx, 6, 1);
  drawPaneContent(ctx, INT32_MAX);  // every point after the second lies at 0, 0
  EXPECT_EQ(rt::CanvasPixel(20, 5), kRed);
  CGdrawCircle(0, {}, 1, 0.5f, 6, -INT32_MAX);
  EXPECT_EQ(kQuartzPointsSize, 2'000'003);
}

TEST_F(DrawingTest, NothingIsDrawnWithoutAWindow) {
  CGContext ctx = BeginCGContextForCurrentPort();
  EXPECT_FALSE(ctx.valid);
  PlotCG(1, 0, 0, 10, 10, 6);
  CGdrawBox(0, {}, 1, 0, 0, 10, 10, 2);
  drawPaneContent(ctx, 2);
  SUCCEED();
}

}  // namespace
}  // namespace mv
