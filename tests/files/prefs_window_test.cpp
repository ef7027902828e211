// The preferences window, driven from the event pump as a user would, and the
// rules it applies.
#include "files/prefs_window.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "acquisition/state.h"
#include "devices/state.h"
#include "files/needs.h"
#include "files/prefs_file.h"
#include "files/prefs_rules.h"
#include "files/shutdown_message.h"
#include "files/state.h"
#include "files_test_support.h"
#include "kit/help.h"
#include "kit/prefs_slots.h"
#include "kit/state.h"
#include "runtime/help.h"
#include "runtime/menus.h"
#include "setup/state.h"

namespace mv {
namespace {

using test::FilesTest;
constexpr int16_t W = kPreferencesWindow;

class PrefsWindowTest : public FilesTest {
 protected:
  void SetUp() override {
    FilesTest::SetUp();
    setenv("MV_DISPLAY_SIZE", "1440x900", 1);
    PrefsArray = kPrefsInitialValues;
    PrefsArray[PrefsSlot::WindowWidth] = 1024;
    PrefsArray[PrefsSlot::WindowHeight] = 768;
    PrefsArray[PrefsSlot::WindowSizeChoice] = 4;
    Sound_Is_On = 1;
    files_hooks::SetChanParams = [this](int16_t oldHeight, int16_t rescale) {
      rescales.push_back({oldHeight, rescale});
    };
    // The menu items the window marks, as the bar holds them.
    for (int16_t menu : {1, 2, 3, 90, 91, 110}) {
      rt::NewMenu(menu, "m");
      for (int16_t i = 1; i <= 17; ++i) rt::SetMenuItem(menu, i, "item");
    }
  }

  // Opens the window, runs the steps, then "Selections OK".
  void Run(std::vector<Step> steps) {
    steps.insert(steps.begin(), Until(W));
    steps.push_back(Click(W, kPrefsOKButton));
    Drive(steps);
    SetPREFERENCES();
    EXPECT_TRUE(ScriptDone());
    EXPECT_FALSE(rt::WindowExists(W));
  }

  std::vector<std::pair<int16_t, int16_t>> rescales;
};

TEST_F(PrefsWindowTest, ScreenshotsOfTheThreeTabs) {
  PrefsArray[PrefsSlot::MascotPictures] = 1;
  Run({Shot(W, "w13-preferences-appearance.png"), Pick(W, kPrefsTabControl, 2), Do([] {
         EXPECT_FALSE(rt::ControlExists(230)) << "tab 1's buttons leave with it";
         EXPECT_FALSE(rt::EditFieldExists(kCustomWidthField));
         EXPECT_TRUE(rt::ControlExists(kEditShutdownButton));
       }),
       Shot(W, "w13-preferences-interface.png"), Pick(W, kPrefsTabControl, 3),
       Shot(W, "w13-preferences-acquiring.png")});
}

TEST_F(PrefsWindowTest, FillScreenOnA1440By900DisplayGives1410By853) {
  ScopeMax = 2000;
  Run({Pick(W, kWindowSizePopup, 6),
       Do([] { EXPECT_EQ(rt::EditText(kCustomWidthField), " 1410") << "the fields follow the choice"; })});
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowSizeChoice], 6);
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowWidth], 1410);
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowHeight], 853);
  EXPECT_EQ(CountPlayed("tick.mp3"), 1);
  EXPECT_EQ(ScopeMax, 2000);
  EXPECT_FLOAT_EQ(scopeXfactor, 1410.0f / 2000.0f);
  ASSERT_EQ(rescales.size(), 1u);
  EXPECT_EQ(rescales[0], (std::pair<int16_t, int16_t>{768, 1}));
}

TEST_F(PrefsWindowTest, SixForty480WithAScopeOf512PointsGrowsTheSweepTo640) {
  ScopeMax = 512;
  Run({Pick(W, kWindowSizePopup, 1)});
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowWidth], 640);
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowHeight], 480);
  EXPECT_EQ(ScopeMax, 640);
  EXPECT_EQ(scopeXfactor, 1.0f);
}

TEST_F(PrefsWindowTest, ASecondSizeChoiceRescalesFromTheHeightOfTheFirst) {
  Run({Pick(W, kWindowSizePopup, 2), Pick(W, kWindowSizePopup, 3)});
  ASSERT_EQ(rescales.size(), 2u);
  EXPECT_EQ(rescales[0].first, 768);
  EXPECT_EQ(rescales[1].first, 600) << "the strips were laid out for 600 by then";
}

TEST_F(PrefsWindowTest, ATypedSizeTakesEffectOnSelectionsOKWithItsMinimum) {
  Run({Pick(W, kWindowSizePopup, 5), Type(W, kCustomWidthField, "700"), Type(W, kCustomHeightField, "300")});
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowSizeChoice], 5);
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowWidth], 700);
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowHeight], 480);
  ASSERT_EQ(rescales.size(), 2u) << "choosing Current Values, then reading the typed size";
  EXPECT_EQ(rescales[1].first, 768);
}

TEST_F(PrefsWindowTest, TypedFieldsAreIgnoredUnlessTheChoiceIsCurrentValues) {
  Run({Type(W, kCustomWidthField, "700"), Type(W, kCustomHeightField, "500")});
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowWidth], 1024);
  EXPECT_TRUE(rescales.empty());
}

TEST_F(PrefsWindowTest, SwitchesFlipTheirSlotsAndTheMenuMarksFollow) {
  Run({Click(W, 122), Click(W, 123), Click(W, 7), Pick(W, kPrefsTabControl, 3), Click(W, 18), Click(W, 38)});
  EXPECT_EQ(PrefsArray[PrefsSlot::ShowSwitchStatus], 1);
  EXPECT_EQ(PrefsArray[PrefsSlot::LargeReadouts], 1);
  EXPECT_EQ(PrefsArray[PrefsSlot::ZeroLines], 0);
  EXPECT_EQ(PrefsArray[PrefsSlot::AverageAllChannels], 1);
  EXPECT_EQ(PrefsArray[PrefsSlot::ToolbarHelp], 0);
  EXPECT_TRUE(rt::MenuItemChecked(3, 13));
  EXPECT_TRUE(rt::MenuItemChecked(3, 14));
  EXPECT_FALSE(rt::MenuItemChecked(91, 4)) << "zero lines are View submenu 91 item 4";
  EXPECT_FALSE(rt::MenuItemChecked(3, 8)) << "Plot Height is no switch";
  EXPECT_TRUE(rt::MenuItemChecked(110, 3));
  EXPECT_FALSE(rt::MenuItemChecked(4, 15)) << "Beep at Sample is not continuous scanning";
}

TEST_F(PrefsWindowTest, TimeGridsMarkSubmenu90NotTheScaleGridItem) {
  PrefsArray[PrefsSlot::TimeGrids] = 0;
  Run({Click(W, 6)});
  EXPECT_EQ(PrefsArray[PrefsSlot::TimeGrids], 1);
  EXPECT_TRUE(rt::MenuItemChecked(90, 1));
  EXPECT_TRUE(rt::MenuItemEnabled(90, 2));
  EXPECT_FALSE(rt::MenuItemChecked(3, 4));
}

TEST_F(PrefsWindowTest, PlaySoundsAtEventsOffAndOnPlaysUpvipOnceOnTheWayOn) {
  Run({Click(W, 4), Do([] { EXPECT_EQ(Sound_Is_On, 0); }), Click(W, 4)});
  EXPECT_EQ(Sound_Is_On, 1);
  EXPECT_EQ(CountPlayed("upvip.mp3"), 1);
  EXPECT_TRUE(rt::MenuItemChecked(2, 10));
}

TEST_F(PrefsWindowTest, WeirdSoundsSkidThenScreamOnlyWithSoundsOn) {
  Run({Click(W, 5)});
  EXPECT_EQ(PrefsArray[PrefsSlot::WeirdSounds], 1);
  const auto played = Played();
  ASSERT_EQ(played.size(), 2u);
  EXPECT_EQ(played[0], "skid.mp3");
  EXPECT_EQ(played[1], "scream.mp3");
  EXPECT_TRUE(rt::MenuItemChecked(2, 11));

  sounds.clear();
  PrefsArray[PrefsSlot::WeirdSounds] = 0;
  Sound_Is_On = 0;
  Run({Click(W, 5)});
  EXPECT_EQ(PrefsArray[PrefsSlot::WeirdSounds], 1);
  EXPECT_TRUE(sounds.empty());
  EXPECT_FALSE(rt::MenuItemEnabled(2, 11)) << "weird sounds are offered only with sounds on";
}

TEST_F(PrefsWindowTest, StartupSoundsPreviewWhenSwitchedOnAndTheMascotComesAndGoes) {
  Run({Click(W, 230), Click(W, 27), Do([] {
         rt::SetOutputWindow(W);
         EXPECT_NE(rt::CanvasPixel(557, 222), rt::WindowBackgroundColor()) << "the mascot is drawn";
       }),
       Click(W, 27), Do([] { EXPECT_EQ(rt::CanvasPixel(557, 222), rt::WindowBackgroundColor()); })});
  EXPECT_EQ(PrefsArray[PrefsSlot::StartupSounds], 1);
  EXPECT_EQ(PrefsArray[PrefsSlot::MascotPictures], 0);
  EXPECT_EQ(Played(), (std::vector<std::string>{"Guitar.mp3", "VornSound.mp3"}));
}

TEST_F(PrefsWindowTest, RadioGroupsSetTheirSlots) {
  Run({Pick(W, kPrefsTabControl, 2), Click(W, 15), Do([] {
         EXPECT_EQ(rt::ControlState(15), 2);
         EXPECT_EQ(rt::ControlState(13), 1);
       }),
       Click(W, 14), Click(W, 16), Pick(W, kPrefsTabControl, 3), Click(W, 21), Click(W, 36), Click(W, 23)});
  EXPECT_EQ(PrefsArray[PrefsSlot::SaveSable], 0);
  EXPECT_EQ(PrefsArray[PrefsSlot::SaveText], 1);
  EXPECT_TRUE(rt::MenuItemChecked(1, 4));
  EXPECT_FALSE(rt::MenuItemEnabled(2, 13)) << "no file information for text files";
  EXPECT_EQ(PrefsArray[PrefsSlot::DigitalOutputCoding], 0);
  EXPECT_EQ(PrefsArray[PrefsSlot::LightToolbar], 0);
  EXPECT_EQ(PrefsArray[PrefsSlot::BadReadingKeepsLast], 0);
  EXPECT_EQ(SerialWarningBuzz, 0);
  EXPECT_EQ(CountPlayed("AlarmBUZZ.mp3"), 0) << "the buzz plays only when switched on";
}

// The window says which switches "Save Settings..." does not keep: every switch it
// leaves unmarked comes back from the preferences file at the next start, flipped as
// it was saved, and every switch it marks comes back at its start-up value.
TEST_F(PrefsWindowTest, SaveSettingsKeepsEverySwitchTheWindowDoesNotMark) {
  const struct {
    int16_t tab, button;
  } switches[] = {{1, 122}, {1, 123}, {1, 6},   {1, 7},  {1, 9},   {1, 24}, {1, 27},
                  {1, 230}, {1, 4},   {1, 5},   {2, 25}, {2, 125}, {2, 19}, {2, 26},
                  {2, 20},  {3, 8},   {3, 121}, {3, 18}, {3, 124}, {3, 23}, {3, 38}};
  const auto state = [] {
    std::vector<int16_t> v(PrefsArray.begin(), PrefsArray.end());
    v.push_back(Sound_Is_On);
    v.push_back(SerialWarningBuzz);
    return v;
  };
  int marked = 0;
  for (const auto& sw : switches) {
    PrefsArray = kPrefsInitialValues;
    PrefsArray[PrefsSlot::WindowWidth] = 1024;
    PrefsArray[PrefsSlot::WindowHeight] = 768;
    Sound_Is_On = SerialWarningBuzz = 1;
    const std::vector<int16_t> before = state();
    Run({Pick(W, kPrefsTabControl, sw.tab), Click(W, sw.button), Click(W, kPrefsSaveButton)});
    const std::vector<int16_t> saved = state();
    ASSERT_NE(saved, before) << "button " << sw.button << " flips a setting";
    PrefsArray = kPrefsInitialValues;  // the next start
    Sound_Is_On = SerialWarningBuzz = 1;
    ASSERT_EQ(GETSettings(), PrefsLoad::Loaded);
    PrefsArray[PrefsSlot::WindowWidth] = 1024;
    PrefsArray[PrefsSlot::WindowHeight] = 768;
    const bool kept = state() == saved;
    const char* note = KeptNote(sw.button);
    EXPECT_EQ(kept, note == nullptr) << "button " << sw.button << (note ? note : " (unmarked)");
    if (note) {
      ++marked;
      EXPECT_EQ(state(), before) << "button " << sw.button << " is back at its start-up value";
    }
  }
  EXPECT_EQ(marked, 6);
}

TEST_F(PrefsWindowTest, StatusDisplayPopupSetsTheLimit) {
  Run({Pick(W, kPrefsTabControl, 3), Do([] { EXPECT_EQ(rt::ControlValue(kStatusDisplayPopup), 7); }),
       Pick(W, kStatusDisplayPopup, 8)});
  EXPECT_EQ(Max_Display_Speed, 6667);
  Run({Pick(W, kPrefsTabControl, 3), Pick(W, kStatusDisplayPopup, 1)});
  EXPECT_EQ(Max_Display_Speed, -1);
}

// Each rate item of the popup keeps the displays on up to the rate its title names:
// "200 /sec" must not store the limit of 150 per second.
TEST_F(PrefsWindowTest, EachStatusRateItemStoresTheRateItsTitleNames) {
  int checked = 0;
  for (int16_t item = 4; item <= 11; ++item) {
    std::string title;
    Run({Pick(W, kPrefsTabControl, 3), Do([&] { title = rt::MenuItemText(kStatusDisplayMenu, item).str(); }),
         Pick(W, kStatusDisplayPopup, item)});
    double rate = 0;
    const std::size_t digit = title.find_first_of("0123456789");
    ASSERT_NE(digit, std::string::npos) << "item " << item << " \"" << title << "\"";
    std::from_chars(title.data() + digit, title.data() + title.size(), rate);
    EXPECT_EQ(Max_Display_Speed, std::lround(1e6 / rate)) << title;
    ++checked;
  }
  EXPECT_EQ(checked, 8);
  EXPECT_EQ(rt::MenuItemCount(kStatusDisplayMenu), 11) << "Always Off, Always On, a line and eight rates";
}

TEST_F(PrefsWindowTest, SaveSettingsWritesTheFileWithTheTypedSize) {
  Run({Pick(W, kWindowSizePopup, 5), Type(W, kCustomWidthField, "900"), Type(W, kCustomHeightField, "700"),
       Click(W, kPrefsSaveButton)});
  ASSERT_EQ(ReadBytes(configDir / kPreferencesFileName).size(), kPreferencesFileSize);
  PrefsArray[PrefsSlot::WindowWidth] = 0;
  ASSERT_EQ(GETSettings(), PrefsLoad::Loaded);
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowWidth], 900);
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowHeight], 700);
  EXPECT_TRUE(notices.empty());
}

TEST_F(PrefsWindowTest, HelpOpensThePageOfTheTabShown) {
  Run({Pick(W, kPrefsTabControl, 2), Click(W, kPrefsHelpButton)});
  const std::string page = HelpTopicPage(175);
  ASSERT_FALSE(page.empty());
  EXPECT_NE(rt::HelpPageShown().find(page), std::string::npos) << rt::HelpPageShown();
  rt::CloseHelpWindow();
}

TEST_F(PrefsWindowTest, TheShutdownMessageEditorOpensFromTheSecondTab) {
  Run({Pick(W, kPrefsTabControl, 2), Click(W, kEditShutdownButton), Until(kShutdownMessageWindow),
       Do([] { EXPECT_EQ(rt::EditText(kShutdownMessageField), kShutdownMessagePrompt); }),
       Type(kShutdownMessageWindow, kShutdownMessageField, "Back at nine"),
       Click(kShutdownMessageWindow, kShutdownSaveButton), Do([] { EXPECT_TRUE(rt::WindowExists(W)); })});
  EXPECT_EQ(ReadBytes(configDir / kShutdownMessageFileName), "Back at nine\r\r");
}

// ---- rules -----------------------------------------------------------------------------------------

TEST(PrefsRules, StatusDisplayItemsAndLimits) {
  EXPECT_EQ(StatusDisplayLimitOfItem(1), -1);
  EXPECT_EQ(StatusDisplayLimitOfItem(3), 0) << "the separator acts as Always On";
  EXPECT_EQ(StatusDisplayLimitOfItem(8), 6667);
  EXPECT_EQ(StatusDisplayLimitOfItem(11), 1000);
  EXPECT_FALSE(StatusDisplayLimitOfItem(0));
  EXPECT_FALSE(StatusDisplayLimitOfItem(12));
  EXPECT_EQ(StatusDisplayItemOf(0), 2);
  EXPECT_EQ(StatusDisplayItemOf(10000), 7);
  EXPECT_EQ(StatusDisplayItemOf(12345), 1) << "shown as off, as the status display window shows it";
}

TEST(PrefsRules, WindowSizePopupShowsCurrentValuesForAnUnknownChoice) {
  EXPECT_EQ(WindowSizePopupItem(0), 5);
  EXPECT_EQ(WindowSizePopupItem(3), 3);
  EXPECT_EQ(WindowSizePopupItem(7), 5);
}

TEST_F(PrefsWindowTest, ToleranceTextInPercent) {
  SampRateError = 0.03f;
  EXPECT_EQ(RateToleranceText(), "Rate Records Precision is  3%");
  SampRateError = 0.005f;
  EXPECT_EQ(RateToleranceText(), "Rate Records Precision is  0.5%");
}

TEST_F(PrefsWindowTest, ReadScreenDataTakesTheLeadingNumberAndTheMinimum) {
  PrefsArray[PrefsSlot::WindowSizeChoice] = 5;
  EXPECT_TRUE(ReadScreenData("1100 px", "abc"));
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowWidth], 1100);
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowHeight], 480);
  EXPECT_TRUE(ReadScreenData("99999999", "-5"));
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowWidth], 32767) << "a huge number never wraps to a negative width";
}

}  // namespace
}  // namespace mv
