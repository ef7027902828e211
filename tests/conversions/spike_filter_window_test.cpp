// The real spike-filter window (window 18): presets, typed thresholds, the leaving
// rules with slot 32 and the menu's check mark, and its size on a small display.
#include <gtest/gtest.h>

#include <cstdlib>

#include "conversions/conversions_window.h"
#include "conversions/spike_filter.h"
#include "conversions/state.h"
#include "kit/state.h"
#include "runtime/menus.h"
#include "setup/state.h"
#include "window_fixture.h"

namespace mv {
namespace {

using test::FieldOf;
using test::TypeInto;
using namespace SpikeControl;
constexpr int16_t W = kSpikeFilterWindow;
constexpr int16_t kADMenu = 4, kSpikeFilterItem = 12;

class SpikeFilterWindowTest : public test::ConversionWindowTest {
 protected:
  void SetUp() override {
    ConversionWindowTest::SetUp();
    Sound_Is_On = 1;
    rt::NewMenu(kADMenu, "A-D");
    for (int16_t i = 1; i <= 25; ++i) rt::SetMenuItem(kADMenu, i, "item");
    nChannels = 3;
  }
  void TearDown() override {
    unsetenv("MV_DISPLAY_SIZE");
    ConversionWindowTest::TearDown();
  }
  void Open(test::WindowDriver& driver) {
    Run(driver, [] { SetSpikeFilter(); });
  }
};

TEST_F(SpikeFilterWindowTest, PresetOneAndAHalfThenDoneTurnsEveryChannelOnAndChecksTheMenu) {
  StoreChannelLabel(2, "oxygen");
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Check([] {
        EXPECT_EQ(rt::WindowTitle(W), " Data Spike Filter ");
        EXPECT_EQ(rt::ControlTitle(3), Str255("Chan 3:    spike threshold:"));
        EXPECT_EQ(rt::ControlState(1), 1) << "off at start";
        EXPECT_EQ(FieldOf(W, FirstField + 1), " 0");
        EXPECT_EQ(FieldOf(W, FirstLabel + 2), test::Padded("oxygen"));
        EXPECT_FALSE(rt::ControlExists(4)) << "one row per channel in use";
      })
      .Click(W, FirstPreset + 1)  // "1.5"
      .Check([] {
        for (int16_t ch = 1; ch <= 3; ++ch) {
          EXPECT_EQ(rt::ControlState(ch), 2) << ch;
          EXPECT_EQ(FieldOf(W, FirstField + ch), " 1.5") << ch;
        }
      })
      .Shot(W, Shot("w18-spike-filter.png"))
      .Click(W, Done);
  Open(driver);
  EXPECT_FALSE(rt::WindowExists(W));
  for (int ch = 1; ch <= 3; ++ch) EXPECT_EQ(SpikeFilterArray[ch], 1.5f) << ch;
  EXPECT_EQ(SpikeFilterArray[4], 0.0f) << "a channel not in use keeps its value";
  EXPECT_EQ(PrefsArray[PrefsSlot::SpikeFilterOn], 1);
  EXPECT_TRUE(rt::MenuItemChecked(kADMenu, kSpikeFilterItem));
  EXPECT_EQ(Played("upvip.mp3"), 1);
}

TEST_F(SpikeFilterWindowTest, TypedThresholdsAndBoxesThenAllOffClearsTheSlotAndTheMark) {
  SpikeFilterArray[1] = 2;
  PrefsArray[PrefsSlot::SpikeFilterOn] = 1;
  rt::CheckMenuItem(kADMenu, kSpikeFilterItem, true);
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Check([] { EXPECT_EQ(rt::ControlState(1), 2) << "a threshold above 1 shows checked"; })
      .Then("3 typed", TypeInto(W, FirstField + 2, "3"))
      .Click(W, 2)
      .Then("off typed", TypeInto(W, FirstField + 3, "off"))
      .Click(W, 3)
      .Check([] {
        EXPECT_EQ(rt::ControlState(2), 2);
        EXPECT_EQ(FieldOf(W, FirstField + 2), "3");
        EXPECT_EQ(FieldOf(W, FirstField + 3), "2") << "a box checked without a usable threshold gets 2";
      })
      .Click(W, 1)
      .Check([] {
        EXPECT_EQ(rt::ControlState(1), 1);
        EXPECT_EQ(FieldOf(W, FirstField + 1), "off");
      })
      .Click(W, AllOff)
      .Check([] {
        for (int16_t ch = 1; ch <= 3; ++ch) EXPECT_EQ(FieldOf(W, FirstField + ch), "off") << ch;
      })
      .Click(W, Done);
  Open(driver);
  for (int ch = 1; ch <= 3; ++ch) EXPECT_EQ(SpikeFilterArray[ch], 0.0f) << ch;
  EXPECT_EQ(PrefsArray[PrefsSlot::SpikeFilterOn], 0);
  EXPECT_FALSE(rt::MenuItemChecked(kADMenu, kSpikeFilterItem));
  EXPECT_EQ(Played("upvip.mp3"), 2);
  EXPECT_EQ(Played("downvip.mp3"), 2);
}

// A threshold of 1 or less typed in an active channel is refused, by Done and by the
// close box alike, with a line that gives the range; nothing is dropped unsaid.
TEST_F(SpikeFilterWindowTest, AThresholdOfOneOrLessTypedInAnActiveChannelIsRefusedWithALine) {
  PrefsArray[PrefsSlot::SpikeFilterOn] = 1;
  SpikeFilterArray[1] = 2;
  SpikeFilterArray[2] = 5;
  const auto refused = [] {
    ASSERT_TRUE(rt::WindowExists(W));
    ASSERT_TRUE(rt::EditFieldExists(400));
    EXPECT_EQ(rt::EditText(400), "Channel 1: \"0.5\" is no spike threshold. Type a number greater than 1, "
                                 "or uncheck the channel.");
  };
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Then("0.5 typed", TypeInto(W, FirstField + 1, "0.5"))
      .Then("4 typed", TypeInto(W, FirstField + 3, "4"))  // channel 3 is off: stays off
      .Click(W, DoubleFiltration)
      .Check([] { EXPECT_EQ(rt::ControlState(DoubleFiltration), 2); })
      .Event(4, W)
      .Check(refused)
      .Click(W, Done)
      .Check(refused)
      .Shot(W, Shot("w18-spike-threshold-refused.png"))
      .Then("3 typed", TypeInto(W, FirstField + 1, "3"))
      .Event(4, W);
  Open(driver);
  EXPECT_EQ(SpikeFilterArray[1], 3.0f);
  EXPECT_EQ(SpikeFilterArray[2], 5.0f);
  EXPECT_EQ(SpikeFilterArray[3], 0.0f);
  EXPECT_EQ(PrefsArray[PrefsSlot::SpikeFilterOn], 1) << "channel 2 is still on";
  EXPECT_TRUE(rt::MenuItemChecked(kADMenu, kSpikeFilterItem));
  EXPECT_EQ(PrefsArray[PrefsSlot::SpikeReread], 1);
}

TEST_F(SpikeFilterWindowTest, ItsOwnActivationKeepsItOpenAndAClickInAnotherWindowLeavesIt) {
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Event(3, W)
      .Click(W, FirstPreset + 4)  // "10": still open after its own activation
      .Event(3, 1);
  Open(driver);
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_EQ(SpikeFilterArray[3], 10.0f);
  EXPECT_EQ(PrefsArray[PrefsSlot::SpikeFilterOn], 1);
}

// Sixteen rows would make the window taller than a 480-pixel display: the rows
// close up so that every row and "Done" stay on the screen.
TEST_F(SpikeFilterWindowTest, SixteenChannelsFitOnTheSmallestDisplay) {
  setenv("MV_DISPLAY_SIZE", "640x480", 1);
  nChannels = 16;
  PrefsArray[PrefsSlot::SpikeFilterOn] = 1;
  for (int ch = 1; ch <= 16; ++ch) SpikeFilterArray[ch] = ch % 3 == 0 ? 0.0f : 2.0f;
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Check([] {
        const Rect r = rt::WindowContentRect(W);
        EXPECT_LE(r.bottom, 480);
        for (int16_t ch = 1; ch <= 16; ++ch) {
          EXPECT_TRUE(rt::ControlExists(ch)) << ch;
          EXPECT_EQ(rt::ControlState(ch), ch % 3 == 0 ? 1 : 2) << ch;
        }
      })
      .Shot(W, Shot("w18-spike-filter-16.png"))
      .Click(W, Done);
  Open(driver);
  EXPECT_EQ(SpikeFilterArray[16], 2.0f);
  EXPECT_EQ(SpikeFilterArray[15], 0.0f);
}

// A new set-up stores a threshold of 2 for every channel; whether the readings are
// filtered is the filter's switch (on for a DataTaker). The window opens showing what
// the reader does, and Done without an edit changes nothing.
TEST_F(SpikeFilterWindowTest, ItOpensShowingWhatTheReaderDoesAndDoneWithoutAnEditChangesNothing) {
  for (const int16_t slot : {0, 1}) {
    SCOPED_TRACE(slot);
    PrefsArray[PrefsSlot::SpikeFilterOn] = slot;
    for (int ch = 1; ch <= 16; ++ch) SpikeFilterArray[ch] = 2.0f;
    test::WindowDriver driver;
    driver.WaitFor(W)
        .Check([slot] {
          for (int16_t ch = 1; ch <= 3; ++ch) {
            EXPECT_EQ(rt::ControlState(ch), slot != 0 ? 2 : 1) << ch;
            EXPECT_EQ(FieldOf(W, FirstField + ch), slot != 0 ? " 2" : " 0") << ch;
          }
        })
        .Shot(W, Shot(slot != 0 ? "w18-spike-filter-on.png" : "w18-spike-filter-new-setup.png"))
        .Click(W, Done);
    Open(driver);
    for (int ch = 1; ch <= 16; ++ch) EXPECT_EQ(SpikeFilterArray[ch], 2.0f) << ch;
    EXPECT_EQ(PrefsArray[PrefsSlot::SpikeFilterOn], slot);
    EXPECT_EQ(rt::MenuItemChecked(kADMenu, kSpikeFilterItem), slot != 0);
  }
}

}  // namespace
}  // namespace mv
