// The chart and scope colour window.
#include "files/color_window.h"

#include <gtest/gtest.h>

#include <QWidget>
#include <cmath>

#include "files/prefs_file.h"
#include "files_test_support.h"
#include "kit/prefs_slots.h"
#include "kit/state.h"
#include "runtime/panels.h"
#include "runtime/system.h"

namespace mv {
namespace {

using test::FilesTest;
constexpr int16_t W = kColorWindow;

// A colour as the 8-bit canvas keeps it.
RGBColor OnCanvas(RGBColor c) {
  auto q = [](uint16_t v) { return static_cast<uint16_t>(std::lround(v / 257.0) * 257); };
  return RGBColor{q(c.red), q(c.green), q(c.blue)};
}

class ColorWindowTest : public FilesTest {
 protected:
  void SetUp() override {
    FilesTest::SetUp();
    rt::SetScriptedPanels(true);  // a picker without a queued answer is cancelled, never shown
  }
  void TearDown() override {
    rt::SetScriptedPanels(false);
    FilesTest::TearDown();
  }
  void Run(std::vector<Step> steps, bool closeWithOK = true) {
    steps.insert(steps.begin(), Until(W));
    if (closeWithOK) steps.push_back(Click(W, kColorsOKButton));
    Drive(steps);
    SETCOLORS();
    EXPECT_TRUE(ScriptDone());
    EXPECT_FALSE(rt::WindowExists(W));
  }
  static Step Answer(std::optional<RGBColor> c) {
    return Do([c] { rt::QueueColorAnswer(c); });
  }
  static Step PixelIs(int x, int y, const RGBColor* color) {
    return Do([x, y, color] {
      rt::SetOutputWindow(W);
      EXPECT_EQ(rt::CanvasPixel(x, y), OnCanvas(*color)) << "at " << x << ", " << y;
    });
  }
};

TEST_F(ColorWindowTest, ScreenshotOfTheWindow) {
  rt::SeedRandom(7);
  Run({Shot(W, "w19-colors.png"), PixelIs(60, 340, &ChartBackgroundColor),
       PixelIs(300, 150, &ScopeBackgroundColor)});
}

TEST_F(ColorWindowTest, AnAcceptedColourReplacesTheStoredOneAndTheCancelledOneChangesNothing) {
  const RGBColor before = ChartDataColor;
  Run({Answer(RGBColor{577, 43860, 60159}), Click(W, 2), Answer(std::nullopt), Click(W, 3),
       PixelIs(60, 340, &ChartBackgroundColor)});
  EXPECT_EQ(ChartBackgroundColor, (RGBColor{577, 43860, 60159})) << "all sixteen bits of each component";
  EXPECT_EQ(ChartDataColor, before);
}

TEST_F(ColorWindowTest, HighSpeedModeEditsOnlyTheFastScopeBackgroundStartingFromIt) {
  const RGBColor continuous = ScopeBackgroundColor;
  const RGBColor picked{100, 200, 300};
  Run({Click(W, kHighSpeedScopeRadio), Do([] {
         EXPECT_EQ(rt::ControlState(kHighSpeedScopeRadio), 2);
         EXPECT_EQ(rt::ControlState(kContinuousScopeRadio), 1);
       }),
       PixelIs(300, 150, &FastScopeBackground), Answer(picked), Click(W, 6)});
  EXPECT_EQ(FastScopeBackground, picked);
  EXPECT_EQ(ScopeBackgroundColor, continuous);
  const auto choice = ColorChoiceFor(6, kHighSpeedScopeMode);
  ASSERT_TRUE(choice);
  EXPECT_EQ(choice->color, &FastScopeBackground);
}

TEST_F(ColorWindowTest, ButtonsPickTheirColoursWithTheirPrompts) {
  const std::pair<int16_t, const char*> expected[] = {
      {1, "pick chart frame color"},     {2, "pick chart background color"}, {3, "pick chart data color"},
      {4, "pick markers color"},         {5, "pick scope frame color"},      {11, "pick scope data color"},
      {6, "pick scope background color"}};
  for (const auto& [button, prompt] : expected) {
    const auto choice = ColorChoiceFor(button, kContinuousScopeMode);
    ASSERT_TRUE(choice) << button;
    EXPECT_EQ(choice->prompt, prompt);
  }
  EXPECT_EQ(ColorChoiceFor(5, 0)->color, &ScopeFrameColor);
  EXPECT_EQ(ColorChoiceFor(11, 0)->color, &ScopeDataColor);
  EXPECT_FALSE(ColorChoiceFor(7, 0));
}

TEST_F(ColorWindowTest, DefaultColoursAndStoredPreferences) {
  ChartFrameColor = {1, 2, 3};
  ASSERT_TRUE(SavePreferencesFile());
  PrefsArray[PrefsSlot::LargeReadouts] = 1;  // not yet saved
  Run({Click(W, kDefaultColorsButton), Do([] {
         EXPECT_EQ(ChartFrameColor, (RGBColor{0, 0, 54272}));
       }),
       Click(W, kStoredPrefsButton)});
  EXPECT_EQ(ChartFrameColor, (RGBColor{1, 2, 3}));
  EXPECT_EQ(PrefsArray[PrefsSlot::LargeReadouts], 0) << "the stored slots come back too";
}

TEST_F(ColorWindowTest, StoredPreferencesWithoutAFileGiveTheDefaultColours) {
  MarkerColor = {9, 9, 9};
  Run({Click(W, kStoredPrefsButton)});
  EXPECT_EQ(MarkerColor, (RGBColor{65535, 65535, 65535}));
  EXPECT_TRUE(notices.empty());
}

TEST_F(ColorWindowTest, ClosingTheWindowKeepsTheAcceptedColours) {
  Run({Answer(RGBColor{7, 7, 7}), Click(W, 4), Do([] { rt::bridge::WindowWidget(W)->close(); })}, false);
  EXPECT_EQ(MarkerColor, (RGBColor{7, 7, 7}));
}

}  // namespace
}  // namespace mv
