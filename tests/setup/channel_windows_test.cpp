// The real "Delete Channel(s)", "Re-arrange Channels" and status-strip windows under
// the offscreen platform: clicks and keys go to their widgets, screenshots go to the
// test output folder.
#include <string>
#include <vector>

#include "acquisition/state.h"
#include "devices/state.h"
#include "kit/state.h"
#include "runtime/menus.h"
#include "runtime/windows.h"
#include "setup/channel_heading.h"
#include "setup/channel_table.h"
#include "setup/delete_channels.h"
#include "setup/rearrange_channels.h"
#include "setup/state.h"
#include "setup_fixture.h"
#include "window_driver.h"

namespace mv {
namespace {

constexpr int16_t kWindow = 6;
const char* const kLabels[] = {"", "O2 (%)", "CO2 (%)", "Flow (ml/min)", "Chamber temperature"};

std::string Padded(const std::string& label) {
  return label + std::string(30 - label.size(), ' ');
}

class ChannelWindowsTest : public test::SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    rt::NewMenu(4, "A-D");
    for (int16_t i = 1; i <= 25; ++i) rt::SetMenuItem(4, i, "item");
    BlankChannelLabels();
    nChannels = 4;
    for (int16_t c = 1; c <= 4; ++c) {
      SetChannelLabel(c, kLabels[c]);
      ChannelVariables[c][ChanField::Input] = c;
      ChannelVariables[c][ChanField::A] = 10.0f * c;
    }
  }
  std::string Shot(const char* name) { return (test::TestOutputDir() / name).string(); }
  template <typename Fn>
  auto Run(test::WindowDriver& driver, Fn window) {
    try {
      auto result = window();
      EXPECT_TRUE(driver.Finished()) << "the window ended before every step ran";
      return result;
    } catch (const test::DriverStuck& s) {
      ADD_FAILURE() << s.what;
      return decltype(window())();
    }
  }
};

TEST_F(ChannelWindowsTest, DeleteWindowDeletesTheTickedChannel) {
  test::WindowDriver driver;
  driver.WaitFor(kWindow)
      .Click(kWindow, 2)
      .Check([] { EXPECT_EQ(rt::ControlState(2), 2) << "ticked"; })
      .Click(kWindow, 4)
      .Click(kWindow, 4)
      .Check([] { EXPECT_EQ(rt::ControlState(4), 1) << "a second click unticks"; })
      .Shot(kWindow, Shot("w6-delete-channels.png"))
      .Click(kWindow, 23);
  const bool deleted = Run(driver, [] { return CutCHANNELS(); });
  EXPECT_TRUE(deleted);
  EXPECT_FALSE(rt::WindowExists(kWindow));
  EXPECT_EQ(nChannels, 3);
  EXPECT_EQ(ChannelLabel(2), Padded(kLabels[3]));
  EXPECT_EQ(ChannelVariables[2][ChanField::A], 30.0f);
  EXPECT_EQ(ChannelVariables[4][ChanField::Input], 0.0f);
  EXPECT_EQ(Played("bzot.mp3"), 1) << "the buzz as the window opens";
  EXPECT_EQ(Played("rip.mp3"), 1);
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.front(), "menus off");
  EXPECT_EQ(calls.back(), "menus on");
}

TEST_F(ChannelWindowsTest, DeleteWindowRefusesDeletingEveryChannelAndCancelChangesNothing) {
  const auto table = ChannelVariables;
  const auto labels = datalabel;
  test::WindowDriver driver;
  driver.WaitFor(kWindow);
  for (int16_t c = 1; c <= 4; ++c) driver.Click(kWindow, c);
  driver.Click(kWindow, 23)
      .Key(kWindow, Qt::Key_Return, "\r")
      .Check([] { EXPECT_TRUE(rt::WindowExists(kWindow)) << "refused: the window stays"; })
      .Event(18, -kWindow)  // the window merely loses the focus
      .Event(18, kWindow)
      .Check([] { EXPECT_TRUE(rt::WindowExists(kWindow)) << "focus changes apply nothing"; })
      .Click(kWindow, 22);
  EXPECT_FALSE(Run(driver, [] { return CutCHANNELS(); }));
  EXPECT_EQ(Played("bzot.mp3"), 3) << "opening, Proceed and Return";
  EXPECT_EQ(nChannels, 4);
  EXPECT_EQ(ChannelVariables, table);
  EXPECT_EQ(datalabel, labels);
  EXPECT_EQ(Played("rip.mp3"), 0);
  EXPECT_FALSE(rt::WindowExists(kWindow));
  EXPECT_EQ(calls.back(), "menus on") << "Cancel switches the menus on again";
}

TEST_F(ChannelWindowsTest, ReturnProceedsAndTheLastChartChannelDimsCut) {
  External_AD = ExternalADCode::DT80;
  nChannels = 2;
  test::WindowDriver driver;
  driver.WaitFor(kWindow).Click(kWindow, 1).Key(kWindow, Qt::Key_Return, "\r");
  EXPECT_TRUE(Run(driver, [] { return CutCHANNELS(); }));
  EXPECT_EQ(nChannels, 1);
  EXPECT_EQ(ChannelVariables[1][ChanField::A], 20.0f);
  EXPECT_FALSE(rt::MenuItemEnabled(4, 20)) << "Cut Channels with one chart channel left";
  EXPECT_EQ(Count("DATATAKERSTATUS"), 1) << "a DataTaker's input modes are shown again";
}

TEST_F(ChannelWindowsTest, DeleteWindowCloseBoxChangesNothing) {
  test::WindowDriver driver;
  driver.WaitFor(kWindow).Click(kWindow, 3).Event(4, kWindow);
  EXPECT_FALSE(Run(driver, [] { return CutCHANNELS(); }));
  EXPECT_EQ(nChannels, 4);
  EXPECT_EQ(calls.back(), "menus on");
}

TEST_F(ChannelWindowsTest, ScopePlusChartKeepsChannelOneFixedInTheDeleteWindow) {
  RecordingMODE = RecordingModeCode::ScopeChart;
  nChannels = 3;
  test::WindowDriver driver;
  driver.WaitFor(kWindow)
      .Check([] { EXPECT_EQ(rt::ControlState(1), 0) << "the scope channel is dimmed"; })
      .Click(kWindow, 2)
      .Click(kWindow, 3)
      .Click(kWindow, 23)
      .Check([] { EXPECT_TRUE(rt::WindowExists(kWindow)) << "every chart channel ticked: refused"; })
      .Click(kWindow, 3)
      .Click(kWindow, 23);
  EXPECT_TRUE(Run(driver, [] { return CutCHANNELS(); }));
  EXPECT_EQ(nChannels, 2);
  EXPECT_EQ(ChannelVariables[2][ChanField::A], 30.0f) << "old channel 3 is channel 2";
  EXPECT_FALSE(rt::MenuItemEnabled(4, 20));
}

TEST_F(ChannelWindowsTest, RearrangeWindowAppliesTheClickedOrder) {
  XYaxisChannelX = 3;
  XYaxisChannelY = 1;
  PrefsArray[PrefsSlot::WindowHeight] = 768;
  SetChanParams(1, 0);
  calls.clear();
  test::WindowDriver driver;
  driver.WaitFor(kWindow)
      .Check([] { EXPECT_EQ(rt::ControlState(30), 0) << "nothing to apply yet"; })
      .Click(kWindow, 3)
      .Click(kWindow, 1)
      .Click(kWindow, 2)
      .Check([] {
        EXPECT_EQ(rt::ControlState(30), 1);
        EXPECT_TRUE(rt::EditFieldExists(124 + 3)) << "channel 3's label in the new order";
      })
      .Shot(kWindow, Shot("w6-rearrange-channels.png"))
      .Click(kWindow, 30);
  EXPECT_TRUE(Run(driver, [] { return REARRANGE(); }));
  EXPECT_EQ(nChannels, 4) << "channel 4, never clicked, follows the placed ones";
  EXPECT_EQ(ChannelVariables[1][ChanField::A], 30.0f);
  EXPECT_EQ(ChannelVariables[2][ChanField::A], 10.0f);
  EXPECT_EQ(ChannelVariables[3][ChanField::A], 20.0f);
  EXPECT_EQ(ChannelVariables[4][ChanField::A], 40.0f);
  EXPECT_EQ(ChannelLabel(1), Padded(kLabels[3]));
  EXPECT_EQ(XYaxisChannelX, 1.0f);
  EXPECT_EQ(XYaxisChannelY, 2.0f);
  EXPECT_EQ(calls.front(), "menus off");
  EXPECT_EQ(calls.back(), "menus on");
}

TEST_F(ChannelWindowsTest, RearrangeKeepsTheScopeChannelFirstAndArrangeAgainStartsOver) {
  RecordingMODE = RecordingModeCode::ScopeChart;
  nChannels = 3;
  PrefsArray[PrefsSlot::WindowHeight] = 768;
  test::WindowDriver driver;
  driver.WaitFor(kWindow)
      .Check([] {
        EXPECT_EQ(rt::ControlState(1), 0) << "the scope channel keeps position 1";
        EXPECT_TRUE(rt::EditFieldExists(25));
      })
      .Click(kWindow, 3)
      .Click(kWindow, 2)
      .Check([] {
        for (int16_t k = 1; k <= 3; ++k) EXPECT_EQ(rt::ControlState(k), 0) << "every channel placed";
      })
      .Click(kWindow, 28)
      .Check([] {
        EXPECT_EQ(rt::ControlState(30), 0);
        EXPECT_EQ(rt::ControlState(2), 1);
        EXPECT_EQ(rt::ControlState(3), 1);
        EXPECT_FALSE(rt::EditFieldExists(124 + 3));
      })
      .Click(kWindow, 3)
      .Click(kWindow, 30);
  EXPECT_TRUE(Run(driver, [] { return REARRANGE(); }));
  EXPECT_EQ(nChannels, 3);
  EXPECT_EQ(ChannelVariables[1][ChanField::A], 10.0f);
  EXPECT_EQ(ChannelVariables[2][ChanField::A], 30.0f);
  EXPECT_EQ(ChannelVariables[3][ChanField::A], 20.0f);
}

TEST_F(ChannelWindowsTest, RearrangeNeverPlacesAChannelTwiceNorDropsOne) {
  struct Case {
    const char* what;
    std::vector<int16_t> clicks;
    std::vector<float> order;  // old channel numbers at positions 1..4
  };
  const Case cases[] = {
      {"a second click on a placed channel is refused", {3, 3, 1}, {3, 1, 2, 4}},
      {"the unplaced follow in their old order", {4, 2}, {4, 2, 1, 3}},
      {"every channel placed", {2, 4, 3, 1}, {2, 4, 3, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (int16_t k = 1; k <= 4; ++k) ChannelVariables[k][ChanField::A] = 10.0f * k;
    nChannels = 4;
    test::WindowDriver driver;
    driver.WaitFor(kWindow);
    for (int16_t k : c.clicks) {
      driver.Click(kWindow, k).Check([k] {
        EXPECT_EQ(rt::ControlState(k), 0) << "channel " << k << " placed";
      });
    }
    driver.Click(kWindow, 30);
    EXPECT_TRUE(Run(driver, [] { return REARRANGE(); }));
    EXPECT_EQ(nChannels, 4);
    for (int16_t p = 1; p <= 4; ++p)
      EXPECT_EQ(ChannelVariables[p][ChanField::A], 10.0f * c.order[p - 1]) << p;
  }
}

TEST_F(ChannelWindowsTest, RearrangeCancelReturnAndFocusChangesChangeNothing) {
  const auto table = ChannelVariables;
  for (int kind : {1, 2, 3}) {
    SCOPED_TRACE(kind);
    test::WindowDriver driver;
    driver.WaitFor(kWindow).Click(kWindow, 4);
    if (kind == 1) driver.Click(kWindow, 29);
    if (kind == 2) driver.Key(kWindow, Qt::Key_Return, "\r");
    if (kind == 3) driver.Event(18, -kWindow);
    EXPECT_FALSE(Run(driver, [] { return REARRANGE(); }));
    EXPECT_EQ(nChannels, 4);
    EXPECT_EQ(ChannelVariables, table);
    EXPECT_FALSE(rt::WindowExists(kWindow));
    EXPECT_EQ(calls.back(), "menus on");
  }
}

int DarkPixels(int16_t window, int left, int top, int right, int bottom) {
  rt::SetOutputWindow(window);
  int dark = 0;
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) {
      const RGBColor c = rt::CanvasPixel(x, y);
      if (c.red < 20000 && c.green < 20000 && c.blue < 20000) ++dark;
    }
  return dark;
}

// The pixels of the strip's visible area that differ between two drawings of it.
std::vector<RGBColor> StripPixels() {
  rt::SetOutputWindow(kStatusStripWindow);
  const Rect r = rt::WindowContentRect(kStatusStripWindow);
  std::vector<RGBColor> pixels;
  for (int y = 0; y < r.bottom - r.top; ++y)
    for (int x = 0; x < r.right - r.left; ++x) pixels.push_back(rt::CanvasPixel(x, y));
  return pixels;
}

int Differing(const std::vector<RGBColor>& a, const std::vector<RGBColor>& b) {
  int n = 0;
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
    if (a[i].red != b[i].red || a[i].green != b[i].green || a[i].blue != b[i].blue) ++n;
  return n;
}

TEST_F(ChannelWindowsTest, StatusStripShowsTheChannelBeingSetUp) {
  nChannels = 5;
  External_AD = ExternalADCode::DT800;
  CHANNELNUMBER(3);
  const std::vector<RGBColor> withLogger = StripPixels();
  sounds.clear();
  External_AD = ExternalADCode::SableUI3;
  CHANNELNUMBER(3);
  ASSERT_TRUE(rt::WindowExists(kStatusStripWindow));
  EXPECT_TRUE(rt::WindowVisible(kStatusStripWindow));
  EXPECT_GT(DarkPixels(kStatusStripWindow, 95, 6, 500, 30), 200) << "the heading is drawn";
  // The interface in use can be told from the strip: its small picture (44 by 44) shows
  // whole inside the strip, not as a sliver along its edge.
  EXPECT_GT(Differing(withLogger, StripPixels()), 44 * 44 / 3)
      << "the interface's picture shows in the strip";
  EXPECT_EQ(Played("bup.mp3"), 1);
  EXPECT_TRUE(rt::SaveWindowImage(kStatusStripWindow, Shot("w25-channel-heading.png")));

  RecordingMODE = RecordingModeCode::Scope;
  nChannels = 1;
  CHANNELNUMBER(1);
  EXPECT_TRUE(rt::SaveWindowImage(kStatusStripWindow, Shot("w25-channel-heading-scope.png")));
}

}  // namespace
}  // namespace mv
