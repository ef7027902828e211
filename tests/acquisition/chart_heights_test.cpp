// The strip-height window: the band each boundary may take, the fields a walk writes,
// the grid of a strip, and a walk driven with the mouse.
#include "acquisition/chart_heights.h"

#include <QApplication>
#include <QMouseEvent>

#include "acq_fixture.h"
#include "common/window_steps.h"
#include "files/needs.h"

namespace mv::test {
namespace {

constexpr int16_t W = kChartHeightWindow;

class ChartHeightsTest : public AcqTest, public WindowSteps {
 protected:
  void SetUp() override {
    AcqTest::SetUp();
    DEFAULTCOLORS();
    RecordingMODE = RecordingModeCode::Chart;
    // Three strips over a plot from y 35 to 700.
    SetChannels(3);
    const float bottoms[] = {0, 255, 475, 700};
    for (int ch = 1; ch <= 3; ++ch) {
      auto& r = ChannelVariables[ch];
      const float top = ch == 1 ? 35 : bottoms[ch - 1] + 1;
      r[ChanField::StripBottom] = bottoms[ch];
      r[ChanField::StripHeight] = bottoms[ch] - top;
      r[ChanField::StripTop] = top + 10;
      r[ChanField::BottomLess2] = bottoms[ch] - 1;
    }
  }
  void TearDown() override {
    rt::SetPumpHook(nullptr);
    if (rt::WindowExists(W)) rt::CloseWindow(W);
    files_hooks::ResetFilesHooks();
    AcqTest::TearDown();
  }

  // The mouse moved to, pressed and let go at (x, y) of the window, as the user would.
  static void SendMouse(QEvent::Type type, int x, int y) {
    QWidget* w = rt::bridge::WindowWidget(W);
    ASSERT_NE(w, nullptr);
    const QPointF local(x, y);
    const QPointF global = w->mapToGlobal(local);
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    QMouseEvent e(type, local, global, button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
  }
  static std::vector<Step> ClickAt(int x, int y) {
    return {Do([=] { SendMouse(QEvent::MouseMove, x, y); }),
            Do([=] { SendMouse(QEvent::MouseButtonPress, x, y); }),
            Do([=] { SendMouse(QEvent::MouseButtonRelease, x, y); })};
  }
  static float Field(int ch, int f) { return ChannelVariables[ch][f]; }
};

TEST_F(ChartHeightsTest, EveryLaterChannelKeepsTwentyPixels) {
  SetChannels(4);
  const BoundaryBand first = BandFor(1, 700);
  EXPECT_EQ(first.top, 35);
  EXPECT_EQ(first.lowest, 55);
  EXPECT_EQ(first.limit, 640);  // y 55 to 639
  ChannelVariables[2][ChanField::StripBottom] = 400;
  const BoundaryBand third = BandFor(3, 700);
  EXPECT_EQ(third.top, 401);
  EXPECT_EQ(third.lowest, 421);
  EXPECT_EQ(third.limit, 680);
}

TEST_F(ChartHeightsTest, GridDivisionsFollowTheStripHeight) {
  EXPECT_EQ(StripGridDivisions(50), 2);
  EXPECT_EQ(StripGridDivisions(51), 3);
  EXPECT_EQ(StripGridDivisions(75), 3);
  EXPECT_EQ(StripGridDivisions(76), 4);
}

TEST_F(ChartHeightsTest, AWalkWithTheMouseSetsEveryStrip) {
  std::vector<Step> steps = {Until(W), Do([] { EXPECT_EQ(rt::ControlState(4), 0); }), Click(W, 7)};
  for (const Step& s : ClickAt(100, 150)) steps.push_back(s);
  steps.push_back(Do([] { EXPECT_EQ(TextOf(W, 102), "Channel 2"); }));
  // Below the band of channel 2 (which ends at 700 - 20): held at its last row.
  for (const Step& s : ClickAt(100, 695)) steps.push_back(s);
  steps.push_back(Do([] { EXPECT_EQ(rt::ControlState(4), 1); }));
  steps.push_back(Shot(W, "w11-chart-heights.png"));
  steps.push_back(Click(W, 4));
  Drive(steps);
  ChangeCHARTHITE();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_EQ(Field(1, ChanField::StripBottom), 150);
  EXPECT_EQ(Field(1, ChanField::StripHeight), 115);
  EXPECT_EQ(Field(1, ChanField::BottomLess2), 149);
  EXPECT_EQ(Field(1, ChanField::StripTop), 45);
  EXPECT_EQ(Field(2, ChanField::StripBottom), 679);
  EXPECT_EQ(Field(2, ChanField::StripHeight), 528);  // from 151
  EXPECT_EQ(Field(3, ChanField::StripBottom), 700);
  EXPECT_EQ(Field(3, ChanField::StripHeight), 21);
  EXPECT_EQ(Field(3, ChanField::BottomLess2), 699);
  EXPECT_EQ(Field(3, ChanField::StripTop), 689);
}

// Cancel must give back the heights with the boundaries: a height left from the undone
// walk draws the strip over its neighbours.
TEST_F(ChartHeightsTest, CancelRestoresStripHeightsWithTheirBoundaries) {
  Sound_Is_On = 1;
  std::vector<Step> steps = {Until(W), Click(W, 7)};
  for (const Step& s : ClickAt(100, 150)) steps.push_back(s);
  steps.push_back(Click(W, 5));  // during channel 2's boundary: the walk stops there
  steps.push_back(Do([] { EXPECT_EQ(Field(1, ChanField::StripBottom), 150); }));
  steps.push_back(Click(W, 5));  // and undoes it
  steps.push_back(Click(W, 4));
  Drive(steps);
  ChangeCHARTHITE();
  EXPECT_TRUE(ScriptDone());
  EXPECT_EQ(Field(1, ChanField::StripBottom), 255);
  EXPECT_EQ(Field(1, ChanField::StripHeight), 220);
  EXPECT_EQ(Field(1, ChanField::StripTop), 45);
  EXPECT_EQ(Field(2, ChanField::StripBottom), 475);
  EXPECT_EQ(Field(2, ChanField::StripHeight), 219);
  EXPECT_EQ(Played("downvip.mp3"), 1) << "the walk's Cancel";
}

TEST_F(ChartHeightsTest, NormalValuesLayTheStripsOutAgain) {
  int layouts = 0;
  files_hooks::SetChanParams = [&](int16_t oldHeight, int16_t rescale) {
    ++layouts;
    EXPECT_EQ(oldHeight, 0);
    EXPECT_EQ(rescale, 0);
  };
  const Step returnKey = Do([] {
    QWidget* w = rt::bridge::WindowWidget(W);
    w->setFocus(Qt::OtherFocusReason);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QApplication::sendEvent(w, &press);
  });
  Drive({Until(W), Click(W, 3), returnKey});
  ChangeCHARTHITE();
  EXPECT_EQ(layouts, 1);
  EXPECT_FALSE(rt::WindowExists(W));
}

}  // namespace
}  // namespace mv::test
