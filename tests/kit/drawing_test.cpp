// The drawing primitives on a real canvas under the offscreen platform: colours
// by palette, lines on pixel centres, inversion, boxes, the point buffer and
// subscripted labels.
#include "kit/drawing.h"

#include <gtest/gtest.h>

#include <climits>

#include "kit/kit_test_support.h"
#include "kit/state.h"
#include "kit/subscript.h"

namespace mv {
namespace {

using DrawingTest = test::KitTest;

constexpr RGBColor kRed{65535, 0, 0}, kMagenta{65535, 0, 65535};

TEST_F(DrawingTest, LinesLieOnPixelCentresAndWiderLinesSpreadAroundThem) {
  WhiteWindow(2, 100, 60);
  PlotCG(1, 10, 20, 60, 20, 6);
  EXPECT_EQ(rt::CanvasPixel(35, 20), kRed);
  EXPECT_EQ(rt::CanvasPixel(35, 21), kWhite) << "a one-pixel line covers one pixel row";
  EXPECT_EQ(QuartzPointsArray[1].x, 10.5f)
      << "the line's ends are stored in points 1 and 2, on pixel centres";
  PlotCG(0, 10, 10, 60, 10, 5);
  EXPECT_EQ(rt::CanvasPixel(30, 10), kMagenta) << "width 0 is one pixel; colour 5 is magenta for lines";
  EXPECT_TRUE(sounds.empty()) << "the line palette refuses nothing";
  PlotCG(3, 10, 45, 60, 45, 2);
  EXPECT_EQ(rt::CanvasPixel(30, 44), (RGBColor{0, 32896, 0}));
  EXPECT_EQ(rt::CanvasPixel(30, 46), (RGBColor{0, 32896, 0}));
}

TEST_F(DrawingTest, InvertedLineAndBoxDrawnTwiceRestoreEveryPixel) {
  WhiteWindow(2, 80, 60);
  CGdrawBox(1, RGBColor{10000, 40000, 20000}, 1, 5, 5, 70, 50, 0);
  PlotCG(2, 0, 30, 79, 30, 6);
  PlotCGrgb(1, 40, 0, 40, 59, RGBColor{30000, 30000, 60000});
  auto before = Snapshot(80, 60);
  for (int16_t dash : {0, 4}) {
    PrefsArray[PrefsSlot::DashPattern] = dash;
    CGInvertline(3, 2, 77, 55);
    EXPECT_NE(Snapshot(80, 60), before) << "the first stroke shows";
    CGInvertline(3, 2, 77, 55);
    for (int i = 0; i < 2; ++i) CGInvertBox(10, 10, 60, 45);
    EXPECT_EQ(Snapshot(80, 60), before) << "a second stroke undoes the first, dash " << dash;
  }
}

TEST_F(DrawingTest, BoxColourFiveScreamsWhateverTheSoundSwitchAndDrawsBlack) {
  WhiteWindow(2, 100, 60);
  Sound_Is_On = 0;
  CGdrawBox(0, {}, 1, 10, 10, 40, 40, 5);
  EXPECT_EQ(rt::CanvasPixel(25, 25), kBlack);
  CGdrawBox(0, {}, 1, 50, 10, 80, 40, 12);
  EXPECT_EQ(rt::CanvasPixel(65, 25), kBlack) << "numbers outside 0..7 are refused the same way";
  EXPECT_EQ(Played(), (std::vector<std::string>{"ZQsounds/scream.mp3", "ZQsounds/scream.mp3"}));
  CGdrawBox(1, RGBColor{1000, 2000, 3000}, 1, 10, 10, 40, 40, 5);
  EXPECT_EQ(Played().size(), 2u) << "an RGB box never looks at the palette";
  WhiteWindow(2, 100, 60);
  CGdrawBox(0, {}, 0, 10, 10, 40, 30, 6);
  EXPECT_EQ(rt::CanvasPixel(25, 10), kRed);
  EXPECT_EQ(rt::CanvasPixel(25, 20), kWhite) << "an outline leaves the inside";
}

TEST_F(DrawingTest, PointCountsBeyondTheBufferAreClampedNotReadPastItsEnd) {
  WhiteWindow(2, 40, 40);
  QuartzPointsArray.fill({});
  QuartzPointsArray[1] = {5.5f, 5.5f};
  QuartzPointsArray[2] = {35.5f, 5.5f};
  CGContext ctx = BeginCGContextForCurrentPort();
  SetCGlinecolor(ctx, 6, 0);
  EXPECT_EQ(ctx.style.width, 1) << "width 0 means 1";
  drawPaneContent(ctx, INT32_MAX);  // every point after the second lies at 0, 0
  EXPECT_EQ(rt::CanvasPixel(20, 5), kRed);
  CGdrawCircle(0, {}, 1, 0.5f, 6, -INT32_MAX);  // a count below 1 draws nothing
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

// Columns of the canvas that hold ink in rows top..bottom.
std::pair<int, int> InkColumns(int top, int bottom) {
  int first = -1, last = -1;
  for (int x = 0; x < 200; ++x)
    for (int y = top; y <= bottom; ++y)
      if (rt::CanvasPixel(x, y).red < 20000) {
        if (first < 0) first = x;
        last = x;
        break;
      }
  return {first, last};
}

TEST_F(DrawingTest, SubscriptSitsBetweenThePiecesAndDropsBelowTheBaseline) {
  WhiteWindow(2, 200, 60);
  rt::SetTextFont(rt::FontSpec{"", 14});
  DoSubscript(10, 30, "O", "2", " max", 6);
  const int wO = rt::TextWidth("O", rt::TextFont()), w2 = rt::TextWidth("2", rt::TextFont());
  // Below the main baseline only the subscript has ink (the letters sit on it).
  auto [first, last] = InkColumns(32, 36);
  EXPECT_GE(first, 10 + wO - 1);
  EXPECT_LE(last, 10 + wO + w2 + 1);
  // The trailing piece continues after the subscript on the first baseline.
  auto [mfirst, mlast] = InkColumns(20, 29);
  EXPECT_EQ(mfirst, InkColumns(18, 29).first);
  EXPECT_GT(mlast, 10 + wO + w2 + 10);
}

}  // namespace
}  // namespace mv
