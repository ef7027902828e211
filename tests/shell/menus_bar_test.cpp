// The main menu bar as built: its menus, texts, key equivalents and states at
// start, the per-interface submenu, the switch of the whole bar and the
// per-channel submenus.
#include <map>
#include <set>
#include <tuple>
#include <utility>

#include "acquisition/state.h"
#include "control/state.h"
#include "devices/state.h"
#include "files/state.h"
#include "menus_test_support.h"
#include "setup/channel_table.h"
#include "setup/state.h"

namespace mv {
namespace {

using namespace MenuNumber;
using MenuBarTest = test::MenusTest;

std::string Text(int16_t menu, int16_t item) {
  return rt::MenuItemText(menu, item).str();
}

TEST_F(MenuBarTest, WrittenItemsGiveTheirKeyEquivalents) {
  rt::NewMenu(50, "T");
  PlaceMenuItem(50, 1, "/SSave Data As...");
  PlaceMenuItem(50, 2, "Quit/Q");
  PlaceMenuItem(50, 3, "/H     Open Help Window...");
  PlaceMenuItem(50, 4, "-");
  PlaceMenuItem(50, 5, "2-channel X-Y Plot...");
  PlaceMenuItem(50, 6, "640 X 480");
  EXPECT_EQ(Text(50, 1), "Save Data As...");
  EXPECT_EQ(rt::GetMenuItem(50, 1).key, 'S');
  EXPECT_EQ(Text(50, 2), "Quit");
  EXPECT_EQ(rt::GetMenuItem(50, 2).key, 'Q');
  EXPECT_EQ(Text(50, 3), "     Open Help Window...") << "leading blanks indent the item";
  EXPECT_EQ(rt::GetMenuItem(50, 3).key, 'H');
  EXPECT_TRUE(rt::GetMenuItem(50, 4).separator);
  EXPECT_EQ(rt::GetMenuItem(50, 5).key, 0);
  EXPECT_EQ(Text(50, 6), "640 X 480");
  EXPECT_EQ(rt::GetMenuItem(50, 6).key, 0);
}

TEST_F(MenuBarTest, BarHoldsEveryMenuWithExactlyTheListedKeyEquivalents) {
  MainMENU();
  EXPECT_EQ(rt::MenuBar(), (std::vector<int16_t>{Application, File, Edit, View, AD, DA, Special, Help}));
  const std::map<std::pair<int16_t, int16_t>, char> expected = {
      {{File, 1}, 'S'},  {{File, 7}, 'T'},      {{File, 8}, 'B'},
      {{File, 10}, 'M'}, {{File, 11}, 'P'},     {{File, 12}, 'Q'},
      {{Edit, 13}, 'I'}, {{Edit, 16}, 'R'},     {{Edit, 19}, 'E'},
      {{View, 9}, 'G'},  {{View, 12}, 'D'},     {{View, 14}, 'L'},
      {{View, 18}, 'H'}, {{ScaleGrid, 1}, 'Y'}, {{AD, 9}, 'F'},
      {{AD, 16}, 'W'},   {{AD, 20}, 'K'},       {{SampleAveraging, 3}, 'N'},
      {{DA, 7}, 'O'}};
  std::map<std::pair<int16_t, int16_t>, char> found;
  for (int16_t m : {Application, File, Edit, View, AD, DA, Special, Help, Digits, TimeGrids, ScaleGrid,
                    ConversionEquations, WindowSize, SampleAveraging, ExternalADDevice, ConversionOptions})
    for (int16_t i = 1; i <= rt::MenuItemCount(m); ++i)
      if (char k = rt::GetMenuItem(m, i).key) found[{m, i}] = k;
  EXPECT_EQ(found, expected);
  EXPECT_EQ(Text(Application, 1), "About Mirevant...");
  EXPECT_EQ(Text(Help, 3), "     Kestrane Website");
  EXPECT_EQ(Text(Help, 4), "     Send Me an Email...");
  EXPECT_EQ(Text(File, 12), "Quit");
  EXPECT_EQ(Text(Edit, 21), "Preferences...");
  EXPECT_EQ(Text(AD, 7), "    Configure Serial Port...");
  EXPECT_EQ(Text(AD, 9), "Test Mode ['DEMO']");
  EXPECT_EQ(Text(View, 17), "Always Show Help Data");
  EXPECT_EQ(Text(Special, 19), "   Unit Conversions...");
  EXPECT_EQ(rt::MenuItemCount(Special), 19);
  for (int16_t i = 1; i <= 19; ++i)
    EXPECT_EQ(rt::GetMenuItem(Special, i).separator, i == 4 || i == 10 || i == 16) << "Special item " << i;
  for (auto [menu, item, sub] : {std::tuple{View, 3, TimeGrids},
                                 {View, 4, ScaleGrid},
                                 {View, 6, WindowSize},
                                 {View, 20, Digits},
                                 {AD, 1, ConversionEquations},
                                 {AD, 2, ConversionOptions},
                                 {AD, 6, ExternalADDevice},
                                 {AD, 11, SampleAveraging}})
    EXPECT_EQ(rt::GetMenuItem(menu, static_cast<int16_t>(item)).submenu, sub) << menu << "/" << item;
}

TEST_F(MenuBarTest, StatesAtStartFollowTheSlotsAndValues) {
  commands::SetSpikeFilter = [] {};  // its window is part of the program (else dimmed)
  for (int s : {2, 5, 6, 22, 23, 26}) PrefsArray[s] = 1;
  PrefsArray[PrefsSlot::WindowWidth] = 640;
  Sound_Is_On = 1;
  SignificantFigures = 6;
  DemonstrationMODE = 1;
  TimedSaveINTERVAL = 108'000;
  MainMENU();
  const std::vector<std::tuple<int16_t, int16_t, int16_t>> states = {{File, 1, 0},
                                                                     {File, 3, 2},
                                                                     {File, 4, 1},
                                                                     {File, 5, 1},
                                                                     {File, 7, 2},
                                                                     {File, 10, 0},
                                                                     {File, 11, 0},
                                                                     {File, 12, 1},
                                                                     {Edit, 1, 1},
                                                                     {Edit, 2, 0},
                                                                     {Edit, 10, 2},
                                                                     {Edit, 11, 2},
                                                                     {Edit, 13, 1},
                                                                     {Edit, 16, 0},
                                                                     {Edit, 17, 0},
                                                                     {Edit, 19, 0},
                                                                     {Edit, 21, 1},
                                                                     {View, 6, 0},
                                                                     {View, 8, 0},
                                                                     {View, 9, 0},
                                                                     {View, 10, 0},
                                                                     {View, 13, 0},
                                                                     {View, 14, 2},
                                                                     {View, 17, 0},
                                                                     {AD, 9, 2},
                                                                     {AD, 12, 1},
                                                                     {AD, 15, 0},
                                                                     {AD, 16, 1},
                                                                     {AD, 20, 0},
                                                                     {AD, 21, 0},
                                                                     {AD, 25, 0},
                                                                     {TimeGrids, 1, 2},
                                                                     {TimeGrids, 2, 2},
                                                                     {TimeGrids, 4, 1},
                                                                     {ScaleGrid, 1, 1},
                                                                     {ScaleGrid, 2, 0},
                                                                     {ScaleGrid, 4, 1},
                                                                     {Digits, 1, 1},
                                                                     {Digits, 2, 1},
                                                                     {Digits, 3, 2},
                                                                     {SampleAveraging, 1, 1},
                                                                     {SampleAveraging, 2, 1},
                                                                     {SampleAveraging, 3, 2}};
  for (auto [m, i, s] : states) EXPECT_EQ(State(m, i), s) << "menu " << m << " item " << i;
  EXPECT_TRUE(rt::MenuItemChecked(View, 13)) << "Show Switch Status is disabled but shows slot 6";

  Sound_Is_On = 0;
  TimedSaveINTERVAL = 0;
  PrefsArray[PrefsSlot::WindowWidth] = 1024;
  MainMENU();
  EXPECT_EQ(State(Edit, 10), 1);
  EXPECT_EQ(State(Edit, 11), 0) << "weird sounds are offered only while sounds are on";
  EXPECT_EQ(State(File, 7), 1);
  EXPECT_EQ(State(View, 17), 1);
}

TEST_F(MenuBarTest, StoredSableFormatIsCheckedAtStart) {
  struct Case {
    int16_t sable, text, checked;
    bool fileInfo;
  };
  for (Case c : {Case{0, 0, 3, true}, Case{0, 1, 4, false}, Case{1, 0, 5, true}, Case{1, 1, 5, true}}) {
    PrefsArray[PrefsSlot::SaveSable] = c.sable;
    PrefsArray[PrefsSlot::SaveText] = c.text;
    MainMENU();
    for (int16_t i = 3; i <= 5; ++i)
      EXPECT_EQ(rt::MenuItemChecked(File, i), i == c.checked)
          << "slots " << c.sable << c.text << " item " << i;
    EXPECT_EQ(rt::MenuItemEnabled(Edit, 13), c.fileInfo) << "slots " << c.sable << c.text;
  }
}

TEST_F(MenuBarTest, ExternalADDeviceSubmenuIsMadeForTheInterface) {
  struct Case {
    int16_t code;
    std::vector<std::pair<int16_t, const char*>> items;  // real items, in order
    std::set<int16_t> disabled;
  };
  const std::vector<Case> cases = {
      {1, {{1, "    Sable Temperature Channels..."}, {2, "    UI2 or UI3 Firmware..."}}, {}},
      {2, {{1, "    Sable Temperature Channels..."}, {2, "    UI2 or UI3 Firmware..."}}, {}},
      {3, {{1, "    DataTaker Inputs..."}, {3, "    Reset DataTaker"}, {4, "    DT500 Firmware..."}}, {1}},
      {4, {{1, "    DataTaker Inputs..."}, {3, "    Reset DataTaker"}, {4, "    DT50 Firmware..."}}, {1}},
      {5,
       {{1, "    DataTaker Inputs..."},
        {2, "    DT800 Acquisition Mode..."},
        {3, "    Reset DataTaker"},
        {4, "    DT800 Firmware..."},
        {5, "    Flush DT800 Buffer..."}},
       {1}},
      {6, {{1, "    DataTaker Inputs..."}, {3, "    Reset DataTaker"}, {4, "    DT8x Firmware..."}}, {1}},
      {7, {{1, "    DataTaker Inputs..."}, {3, "    Reset DataTaker"}, {4, "    DT8x Firmware..."}}, {1}},
      {8,
       {{1, "    ADAM-4019 Inputs..."},
        {3, "    ADAM Firmware and CJC..."},
        {5, "    Set ADAM Module Address..."}},
       {}},
      {9, {}, {}},
      {0, {}, {}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    External_AD = c.code;
    PrefsArray[PrefsSlot::SpikeFilterOn] = 0;
    MainMENU();
    int16_t last = 0;
    for (auto [i, text] : c.items) {
      EXPECT_EQ(Text(ExternalADDevice, i), text);
      EXPECT_EQ(rt::MenuItemEnabled(ExternalADDevice, i), !c.disabled.count(i)) << i;
      last = i;
    }
    for (int16_t i = 1; i <= rt::MenuItemCount(ExternalADDevice); ++i) {
      bool real = false;
      for (auto [k, text] : c.items) real = real || k == i;
      if (!real) {
        EXPECT_TRUE(rt::GetMenuItem(ExternalADDevice, i).separator) << "item " << i;
      }
    }
    EXPECT_EQ(rt::MenuItemCount(ExternalADDevice), last);
    EXPECT_EQ(rt::MenuItemChecked(ExternalADDevice, 1), c.code >= 1 && c.code <= 3);
    EXPECT_EQ(PrefsArray[PrefsSlot::SpikeFilterOn], c.code == 5 ? 1 : 0)
        << "the DT800 bar sets the spike filter";
    EXPECT_EQ(rt::MenuItemChecked(AD, 12), c.code == 5);
    const bool sable = c.code == 1 || c.code == 2;
    EXPECT_EQ(Text(AD, 4), c.code == 1   ? "UI2 Serial Instruments..."
                           : c.code == 2 ? "UI3 Serial Instruments..."
                                         : "-");
    EXPECT_EQ(rt::GetMenuItem(AD, 4).separator, !sable);
  }
}

TEST_F(MenuBarTest, WindowSizesAreOfferedByDisplayWidth) {
  for (auto [display, fits] : {std::pair{"820x700", std::vector<bool>{true, true, false, false, true}},
                               std::pair{"799x600", std::vector<bool>{true, false, false, false, true}},
                               std::pair{"1280x800", std::vector<bool>{true, true, true, true, true}}}) {
    setenv("MV_DISPLAY_SIZE", display, 1);
    MainMENU();
    for (int16_t i = 3; i <= 7; ++i)
      EXPECT_EQ(rt::MenuItemEnabled(WindowSize, i), fits[i - 3]) << display << " " << i;
  }
  auto fill = WindowSizeForItem(7, 1280, 800);
  ASSERT_TRUE(fill);
  EXPECT_EQ(fill->width, 1250);
  EXPECT_EQ(fill->height, 753);
  EXPECT_FALSE(WindowSizeForItem(2, 1280, 800));
}

TEST_F(MenuBarTest, SetUpMenusSwitchesTheSixMenusAndRefreshesZeroLinksAndAlarms) {
  MainMENU();
  nChannels = 2;
  alarmsArray[3][AlarmField::AnyOn] = 1;  // beyond the channel count: no alarm
  zerolink[0] = 0;
  SetUpMENUs(0);
  for (int16_t m = File; m <= Special; ++m) EXPECT_FALSE(rt::MenuItemEnabled(m, 0)) << m;
  EXPECT_TRUE(rt::MenuItemEnabled(Application, 0));
  EXPECT_TRUE(rt::MenuItemEnabled(Help, 0));
  EXPECT_FALSE(rt::MenuItemChecked(AD, 16));
  int16_t menu = 0, item = 0;
  EXPECT_FALSE(rt::FindMenuKey('L', menu, item)) << "no key equivalent works while the menus are off";

  zerolink[0] = 1;
  alarmsArray[2][AlarmField::AnyOn] = 1;
  SetUpMENUs(1);
  for (int16_t m = File; m <= Special; ++m) EXPECT_TRUE(rt::MenuItemEnabled(m, 0)) << m;
  EXPECT_TRUE(rt::MenuItemEnabled(AD, 25));
  EXPECT_TRUE(rt::MenuItemChecked(AD, 16));
  ASSERT_TRUE(rt::FindMenuKey('l', menu, item));
  EXPECT_EQ(menu, View);
  EXPECT_EQ(item, 14);

  zerolink[0] = 0;
  alarmsArray[2][AlarmField::AnyOn] = 0;
  SetUpMENUs(1);
  EXPECT_FALSE(rt::MenuItemEnabled(AD, 25));
  EXPECT_FALSE(rt::MenuItemChecked(AD, 16));
}

TEST_F(MenuBarTest, ChannelSubmenusNameEachChannelWithItsLabel) {
  commands::ConversionOptions = [](int16_t) {};  // its window is part of the program (else dimmed)
  MainMENU();
  nChannels = 10;
  BlankChannelLabels();
  SetChannelLabel(1, "O2");
  SetChannelLabel(2,
                  "temperature (\xA1"
                  "C)");
  SetChannelLabel(10, "flow  ");
  MENU_100();
  EXPECT_EQ(rt::MenuItemCount(ConversionEquations), 10);
  EXPECT_EQ(Text(ConversionEquations, 1), "Ch. 1:  O2");
  EXPECT_EQ(Text(ConversionEquations, 2),
            "Ch. 2:  temperature (\xA1"
            "C)");
  EXPECT_EQ(Text(ConversionEquations, 3), "Ch. 3:  ");
  EXPECT_EQ(Text(ConversionEquations, 10), "Ch. 10:  flow");
  EXPECT_EQ(Text(ConversionOptions, 1), "ch. 1:  O2");
  EXPECT_EQ(Text(ConversionOptions, 10), "ch. 10:  flow");
  EXPECT_TRUE(rt::MenuItemEnabled(ConversionEquations, 1));
  EXPECT_TRUE(rt::MenuItemEnabled(AD, 1));
  EXPECT_TRUE(rt::MenuItemEnabled(AD, 20));

  nChannels = 2;
  RecordingMODE = RecordingModeCode::ScopeChart;
  MENU_100();
  EXPECT_EQ(rt::MenuItemCount(ConversionEquations), 2) << "the lists follow the channel count";
  EXPECT_EQ(rt::MenuItemCount(ConversionOptions), 2);
  EXPECT_FALSE(rt::MenuItemEnabled(ConversionEquations, 1)) << "the scope channel is shown in volts";
  EXPECT_TRUE(rt::MenuItemEnabled(ConversionOptions, 1));
  EXPECT_EQ(rt::GetMenuItem(AD, 1).submenu, ConversionEquations) << "the submenu stays attached";
}

TEST_F(MenuBarTest, QuitIsFoundByItsRoleInEitherBar) {
  // A start-up bar with Quit at item 14.
  rt::NewMenu(File, "File");
  for (int16_t i = 1; i <= 13; ++i) PlaceMenuItem(File, i, "Item");
  PlaceMenuItem(File, 12, "/MSomething Else...");
  PlaceMenuItem(File, 14, "Quit/Q");
  EXPECT_TRUE(IsQuitItem(File, 14));
  EXPECT_FALSE(IsQuitItem(File, 12));
  MainMENU();
  EXPECT_TRUE(IsQuitItem(File, 12));
  EXPECT_FALSE(IsQuitItem(File, 14));
  EXPECT_FALSE(IsQuitItem(Edit, 12));
}

TEST_F(MenuBarTest, ScopeSweepFitsTheNewWidth) {
  ScopeMax = 2000;
  FitScopeToWidth(1000);
  EXPECT_EQ(ScopeMax, 2000);
  EXPECT_FLOAT_EQ(scopeXfactor, 0.5f);
  ScopeMax = 1000;
  FitScopeToWidth(1000);
  EXPECT_FLOAT_EQ(scopeXfactor, 1.0f);
  ScopeMax = 500;
  FitScopeToWidth(640);
  EXPECT_EQ(ScopeMax, 640);
  EXPECT_FLOAT_EQ(scopeXfactor, 1.0f);
}

TEST_F(MenuBarTest, GuardCountTextGroupsThousands) {
  EXPECT_EQ(GuardCountText(12345).str() + kGuardCountSuffix, " 12,345 samples not saved!");
  EXPECT_EQ(GuardCountText(5).str(), " 5");
  EXPECT_EQ(GuardCountText(123456).str(), " 123,456");
  EXPECT_EQ(GuardCountText(999999).str(), " 999,999");
  EXPECT_EQ(GuardCountText(1000000).str(), "1,000,000");
  EXPECT_EQ(GuardCountText(2000000).str(), "2,000,000");
}

}  // namespace
}  // namespace mv
