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

constexpr RGBColor kRed{65535, 0, 0}, kMagenta{65535, 0, 65535}, kCyan{0, 65535, 65535};

TEST(DrawingPalettes, LineBoxAndCirclePalettesDifferOnlyWhereTheyShould) {
  const RGBf white{1, 1, 1}, yellow{1, 1, 0}, darkGreen{0, 0.5, 0}, black{0, 0, 0}, blue{0, 0, 1},
      magenta{1, 0, 1}, red{1, 0, 0}, cyan{0, 1, 1};
  const RGBf line[8] = {white, yellow, darkGreen, black, blue, magenta, red, black};
  for (int16_t c = 0; c < 8; ++c) EXPECT_EQ(LinePalette(c), line[c]) << c;
  for (int16_t c : {-1, 8, 100}) EXPECT_EQ(LinePalette(c), black) << c;

  bool refused = true;
  EXPECT_EQ(BoxPalette(3, &refused), cyan);
  EXPECT_FALSE(refused);
  for (int16_t c : {0, 1, 2, 4, 6, 7}) {
    EXPECT_EQ(BoxPalette(c, &refused), line[c]) << c;
    EXPECT_FALSE(refused) << c;
  }
  for (int16_t c : {5, -1, 8, 32767}) {
    EXPECT_EQ(BoxPalette(c, &refused), black) << c;
    EXPECT_TRUE(refused) << c;
  }
  EXPECT_EQ(CirclePalette(3), cyan);
  EXPECT_EQ(CirclePalette(5), black);
  EXPECT_EQ(CirclePalette(9), black);
  EXPECT_EQ(CirclePalette(-2), black);
}

TEST(DrawingPalettes, DashCodesGivePixelLengthsAndEverythingElseIsSolid) {
  const double table[9][2] = {{0, 0}, {1, 3}, {3, 6}, {8, 2}, {4, 2}, {10, 10}, {2, 4}, {5, 3}, {6, 4}};
  for (int16_t code = 0; code <= 8; ++code) {
    EXPECT_EQ(DashForCode(code).on, table[code][0]) << code;
    EXPECT_EQ(DashForCode(code).off, table[code][1]) << code;
  }
  for (int16_t code : {9, -1, 61}) EXPECT_EQ(DashForCode(code).on, 0) << code;
}

TEST_F(DrawingTest, PlotCGColourSixIsRedOnThePixelRowOfItsCoordinates) {
  WhiteWindow(2, 100, 60);
  PlotCG(1, 10, 20, 60, 20, 6);
  EXPECT_EQ(rt::CanvasPixel(35, 20), kRed);
  EXPECT_EQ(rt::CanvasPixel(35, 19), kWhite) << "a one-pixel line covers one pixel row";
  EXPECT_EQ(rt::CanvasPixel(35, 21), kWhite);
  EXPECT_EQ(QuartzPointsArray[1].x, 10.5f)
      << "the line's ends are stored in points 1 and 2, on pixel centres";
  EXPECT_EQ(QuartzPointsArray[2].y, 20.5f);
}

TEST_F(DrawingTest, WidthZeroDrawsOnePixelAndColourFiveIsMagentaForLines) {
  WhiteWindow(2, 100, 60);
  PlotCG(0, 10, 10, 60, 10, 5);
  EXPECT_EQ(rt::CanvasPixel(30, 10), kMagenta);
  EXPECT_EQ(rt::CanvasPixel(30, 11), kWhite);
  EXPECT_TRUE(sounds.empty()) << "the line palette refuses nothing";
  PlotCGrgb(0, 10, 30, 60, 30, RGBColor{0, 0, 65535});
  EXPECT_EQ(rt::CanvasPixel(30, 30), (RGBColor{0, 0, 65535})) << "width 0 is the thinnest line";
  EXPECT_EQ(rt::CanvasPixel(30, 32), kWhite);
  PlotCG(3, 10, 45, 60, 45, 2);
  EXPECT_EQ(rt::CanvasPixel(30, 44), (RGBColor{0, 32896, 0})) << "a wider line spreads around the centre";
  EXPECT_EQ(rt::CanvasPixel(30, 46), (RGBColor{0, 32896, 0}));
}

TEST_F(DrawingTest, DashCodesZeroAndNineDrawSolidLinesAndOthersLeaveGaps) {
  auto blackRun = [](int y) {
    int count = 0;
    for (int x = 12; x < 58; ++x) count += rt::CanvasPixel(x, y) == RGBColor{0, 0, 0};
    return count;
  };
  WhiteWindow(2, 100, 80);
  PrefsArray[PrefsSlot::DashPattern] = 0;
  PlotCG(1, 10, 10, 60, 10, 3);
  PrefsArray[PrefsSlot::DashPattern] = 9;
  PlotCG(1, 10, 20, 60, 20, 3);
  EXPECT_EQ(DashedLine, 9) << "the slot is copied into DashedLine";
  PrefsArray[PrefsSlot::DashPattern] = 1;
  PlotCG(1, 10, 30, 60, 30, 3);
  PrefsArray[PrefsSlot::DashPattern] = 5;
  PlotCG(1, 10, 40, 60, 40, 3);
  EXPECT_EQ(blackRun(10), 46);
  EXPECT_EQ(blackRun(20), 46);
  EXPECT_LT(blackRun(30), 23) << "1 on, 3 off";
  EXPECT_EQ(rt::CanvasPixel(13, 30), kWhite) << "inside the first gap";
  // 10 on, 10 off from the line's start at x 10.5.
  EXPECT_EQ(rt::CanvasPixel(15, 40), kBlack);
  EXPECT_EQ(rt::CanvasPixel(25, 40), kWhite);
  EXPECT_EQ(rt::CanvasPixel(35, 40), kBlack);
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
  CGdrawBox(0, {}, 1, 50, 10, 80, 40, 3);
  EXPECT_EQ(rt::CanvasPixel(65, 25), kCyan) << "box colour 3 is cyan";
  CGdrawBox(1, RGBColor{1000, 2000, 3000}, 1, 10, 10, 40, 40, 5);
  EXPECT_EQ(Played().size(), 2u) << "an RGB box never looks at the palette";
}

TEST_F(DrawingTest, OutlinedBoxCoversItsEdgePixelsAndLeavesTheInside) {
  WhiteWindow(2, 100, 60);
  CGdrawBox(0, {}, 0, 10, 10, 40, 30, 6);
  EXPECT_EQ(rt::CanvasPixel(25, 10), kRed);
  EXPECT_EQ(rt::CanvasPixel(25, 30), kRed);
  EXPECT_EQ(rt::CanvasPixel(10, 20), kRed);
  EXPECT_EQ(rt::CanvasPixel(40, 20), kRed);
  EXPECT_EQ(rt::CanvasPixel(25, 20), kWhite);
}

TEST_F(DrawingTest, CirclesAroundBufferPointsWithColourFiveBlackAndSilent) {
  WhiteWindow(2, 120, 60);
  QuartzPointsArray[1] = {20, 30};
  QuartzPointsArray[2] = {60, 30};
  CGdrawCircle(0, {}, 1, 8, 5, 2);
  EXPECT_EQ(rt::CanvasPixel(20, 30), kBlack);
  EXPECT_EQ(rt::CanvasPixel(60, 30), kBlack);
  EXPECT_TRUE(sounds.empty());
  QuartzPointsArray[1] = {100, 30};
  CGdrawCircle(0, {}, 0, 10, 1, 1);
  EXPECT_EQ(rt::CanvasPixel(100, 30), kWhite) << "an outline leaves the centre";
  RGBColor ring = rt::CanvasPixel(100, 20);
  EXPECT_TRUE(ring.red > 60000 && ring.green > 60000 && ring.blue < 40000) << "a yellow ring";
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
  CGContext red = BeginCGContextForCurrentPort();
  SetCGChartLinesColor(red, 0);
  QuartzPointsArray[1] = {10.5f, 40.5f};
  QuartzPointsArray[2] = {90.5f, 40.5f};
  drawPaneContent(red, 2);
  EXPECT_EQ(rt::CanvasPixel(50, 40), kRed) << "without the data colour the chart lines are RGBred";
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
