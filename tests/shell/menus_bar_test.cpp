// The main menu bar as built: key equivalents written into item texts, the states
// that follow the switches at start, the per-interface submenus (the External A-D
// Device items, and the digital port choice hung under D-A for the interfaces that
// have it, marked on the port in use and carried out by the full menu handler), the
// switch of the whole bar and the per-channel submenus.
#include <map>
#include <tuple>
#include <utility>

#include "acquisition/state.h"
#include "control/state.h"
#include "devices/connection.h"
#include "devices/state.h"
#include "files/state.h"
#include "runtime/events.h"
#include "runtime/qt_bridge.h"
#include "setup/channel_table.h"
#include "setup/state.h"
#include "shell_test_support.h"

namespace mv {
namespace {

using namespace MenuNumber;
using MenuBarTest = test::MenusTest;

std::string Text(int16_t menu, int16_t item) {
  return rt::MenuItemText(menu, item).str();
}

TEST_F(MenuBarTest, WrittenItemsGiveTheirKeyEquivalents) {
  rt::NewMenu(50, "T");
  for (auto [written, text, key] : {std::tuple{"/SSave Data As...", "Save Data As...", 'S'},
                                    {"Quit/Q", "Quit", 'Q'},
                                    {"/H     Help...", "     Help...", 'H'},  // leading blanks indent
                                    {"2-channel X-Y Plot...", "2-channel X-Y Plot...", '\0'}}) {
    PlaceMenuItem(50, 1, written);
    EXPECT_EQ(Text(50, 1), text) << written;
    EXPECT_EQ(rt::GetMenuItem(50, 1).key, key) << written;
    EXPECT_FALSE(rt::GetMenuItem(50, 1).separator) << written;
  }
  PlaceMenuItem(50, 2, "-");
  EXPECT_TRUE(rt::GetMenuItem(50, 2).separator);
}

TEST_F(MenuBarTest, NoTwoItemsShareAKeyEquivalent) {
  External_AD = ExternalADCode::DT800;
  MainMENU();
  std::map<char, std::pair<int16_t, int16_t>> owner;
  for (int16_t m : {Application, File, Edit, View, AD, DA, Special, Help, Digits, TimeGrids, ScaleGrid,
                    ConversionEquations, WindowSize, SampleAveraging, ExternalADDevice, ConversionOptions})
    for (int16_t i = 1; i <= rt::MenuItemCount(m); ++i)
      if (char k = rt::GetMenuItem(m, i).key) {
        EXPECT_TRUE(owner.emplace(k, std::pair{m, i}).second)
            << "Ctrl+" << k << " of " << m << "/" << i << " is already " << owner[k].first << "/"
            << owner[k].second;
      }
  EXPECT_GT(owner.size(), 15u);
}

TEST_F(MenuBarTest, StatesAtStartFollowTheSwitches) {
  struct Case {
    int32_t sound, timedSave;
    int16_t backupBox, width, soundItem, weirdItem, timedItem, helpDataItem;
  };
  PrefsArray[PrefsSlot::WeirdSounds] = 1;
  PrefsArray[PrefsSlot::ShowSwitchStatus] = 1;
  // "Timed Data Saves..." is ticked only while the backup box is ticked and an interval set.
  for (Case c : {Case{1, 108'000, 1, 640, 2, 2, 2, 0}, Case{0, 0, 1, 1024, 1, 0, 1, 1},
                 Case{1, 108'000, 0, 1024, 2, 2, 1, 1}}) {
    SCOPED_TRACE(c.width);
    Sound_Is_On = c.sound;
    TimedSaveINTERVAL = c.timedSave;
    PrefsArray[PrefsSlot::AutomaticBackup] = c.backupBox;
    PrefsArray[PrefsSlot::WindowWidth] = c.width;
    MainMENU();
    EXPECT_EQ(State(Edit, 10), c.soundItem);
    EXPECT_EQ(State(Edit, 11), c.weirdItem) << "weird sounds are offered only while sounds are on";
    EXPECT_EQ(State(File, 7), c.timedItem);
    EXPECT_EQ(State(View, 17), c.helpDataItem) << "no help data beside a 640-wide window";
    EXPECT_TRUE(rt::MenuItemChecked(View, 13)) << "Show Switch Status is disabled but shows slot 6";
  }
}

TEST_F(MenuBarTest, ExternalADDeviceSubmenuIsMadeForTheInterface) {
  struct Case {
    int16_t code, items;
    bool inputsOffered;
  };
  for (Case c : {Case{1, 2, true}, Case{3, 4, false}, Case{5, 5, false}, Case{8, 5, true}, Case{9, 0, false},
                 Case{0, 0, false}}) {
    SCOPED_TRACE(c.code);
    External_AD = c.code;
    PrefsArray[PrefsSlot::SpikeFilterOn] = 0;
    MainMENU();
    EXPECT_EQ(rt::MenuItemCount(ExternalADDevice), c.items);
    if (c.items > 0) {
      EXPECT_EQ(rt::MenuItemEnabled(ExternalADDevice, 1), c.inputsOffered);
    }
    EXPECT_EQ(PrefsArray[PrefsSlot::SpikeFilterOn], c.code == 5 ? 1 : 0)
        << "the DT800 bar sets the spike filter";
    EXPECT_EQ(rt::MenuItemChecked(AD, 12), c.code == 5);
    EXPECT_EQ(rt::GetMenuItem(AD, 4).separator, c.code != 1) << "serial instruments only with a Sable";
  }
  External_AD = 2;
  MainMENU();
  EXPECT_EQ(Text(AD, 4), "UI3 Serial Instruments...");
}

TEST_F(MenuBarTest, WindowSizesAreOfferedByDisplayWidth) {
  for (auto [display, fits] : {std::pair{"820x700", std::vector<bool>{true, true, false, false, true}},
                               std::pair{"799x600", std::vector<bool>{true, false, false, false, true}}}) {
    setenv("MV_DISPLAY_SIZE", display, 1);
    MainMENU();
    for (int16_t i = 3; i <= 7; ++i)
      EXPECT_EQ(rt::MenuItemEnabled(WindowSize, i), fits[i - 3]) << display << " " << i;
  }
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
  int16_t menu = 0, item = 0;
  EXPECT_FALSE(rt::FindMenuKey('L', menu, item)) << "no key equivalent works while the menus are off";

  // The links item is there while the links act: switched on with the periodic patterns
  // of a chart whose interval leaves time to zero them.
  zerolink[0] = 1;
  RecordingMODE = RecordingModeCode::Chart;
  ChartIntervalInSeconds = 1.0;
  SwitchingMode = 7;
  SetUpMENUs(1);
  EXPECT_FALSE(rt::MenuItemEnabled(AD, 25)) << "links a keyboard pattern does not offer";
  SwitchingMode = 5;
  ChartIntervalInSeconds = 0.02;
  SetUpMENUs(1);
  EXPECT_FALSE(rt::MenuItemEnabled(AD, 25)) << "links an interval this short does not offer";
  ChartIntervalInSeconds = 1.0;
  alarmsArray[2][AlarmField::AnyOn] = 1;
  SetUpMENUs(1);
  EXPECT_TRUE(rt::MenuItemEnabled(Special, 0));
  EXPECT_TRUE(rt::MenuItemEnabled(AD, 25));
  EXPECT_TRUE(rt::MenuItemChecked(AD, 16));
  EXPECT_TRUE(rt::FindMenuKey('l', menu, item));
}

TEST_F(MenuBarTest, ChannelSubmenusNameEachChannelWithItsLabel) {
  MainMENU();
  nChannels = 10;
  BlankChannelLabels();
  SetChannelLabel(1, "O2");
  SetChannelLabel(10, "flow  ");
  MENU_100();
  EXPECT_EQ(rt::MenuItemCount(ConversionEquations), 10);
  EXPECT_EQ(Text(ConversionEquations, 3), "Ch. 3:  ");
  EXPECT_EQ(Text(ConversionOptions, 10), "ch. 10:  flow") << "trailing blanks of the label go";

  nChannels = 2;
  RecordingMODE = RecordingModeCode::ScopeChart;
  MENU_100();
  EXPECT_EQ(rt::MenuItemCount(ConversionOptions), 2) << "the lists follow the channel count";
  EXPECT_FALSE(rt::MenuItemEnabled(ConversionEquations, 1)) << "the scope channel is shown in volts";
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

TEST_F(MenuBarTest, GuardCountTextGroupsThousands) {
  EXPECT_EQ(GuardCountText(12345).str() + kGuardCountSuffix, " 12,345 samples not saved!");
  EXPECT_EQ(GuardCountText(5).str(), " 5");
  EXPECT_EQ(GuardCountText(999999).str(), " 999,999");
  EXPECT_EQ(GuardCountText(1000000).str(), "1,000,000");
  EXPECT_EQ(GuardCountText(2000000).str(), "2,000,000");
}

using DigitalPortTest = test::MenusTest;
constexpr int16_t kDigitalPortItem = 10;

bool Attached() {
  return rt::MenuExists(DigitalPort) && rt::GetMenuItem(DA, kDigitalPortItem).submenu == DigitalPort;
}

void Choose(int16_t menu, int16_t item) {
  rt::bridge::ChooseMenuItem(menu, item);
  for (int i = 0; i < 5 && rt::EventsPending(); ++i) rt::PumpEvents(0);
}

TEST_F(DigitalPortTest, AttachedUnderDAForTheDataTakersOnly) {
  using namespace ExternalADCode;
  for (int16_t code :
       {Demonstration, SableUI2, SableUI3, DT500, DT50, DT800, DT80, DT85, ADAM, ADC1, SerialStream}) {
    const bool dataTaker = code == DT500 || code == DT50 || code == DT800 || code == DT80 || code == DT85;
    SCOPED_TRACE(code);
    External_AD = code;
    MainMENU();
    EXPECT_EQ(Attached(), dataTaker);
    EXPECT_EQ(rt::MenuItemCount(DA), dataTaker ? 10 : 8);
    if (!dataTaker) continue;
    EXPECT_TRUE(rt::GetMenuItem(DA, 9).separator);
    EXPECT_EQ(rt::MenuItemCount(DigitalPort), 2);
    EXPECT_TRUE(rt::MenuItemEnabled(DA, kDigitalPortItem)) << "offered even where the outputs are not";
    EXPECT_TRUE(rt::MenuItemEnabled(DigitalPort, 1) && rt::MenuItemEnabled(DigitalPort, 2));
  }
}

TEST_F(DigitalPortTest, FollowsTheInterfaceWhenTheOutputItemsAreAdjusted) {
  External_AD = ExternalADCode::DT800;
  MainMENU();
  ASSERT_TRUE(Attached());
  External_AD = ExternalADCode::SableUI3;
  AOmenuAdjust();
  EXPECT_FALSE(Attached()) << "a new interface without the choice takes it away";
  EXPECT_EQ(rt::MenuItemCount(DA), 8);
  External_AD = ExternalADCode::DT50;
  AOmenuAdjust();
  AOmenuAdjust();
  EXPECT_TRUE(Attached());
  EXPECT_EQ(rt::MenuItemCount(DA), 10) << "adjusting again adds nothing twice";
}

TEST_F(DigitalPortTest, MarkShowsThePortInUseAndChoicesReachTheMenuHandler) {
  External_AD = ExternalADCode::DT500;
  Digital_Port = 2;
  Sound_Is_On = 1;
  MainMENU();
  EXPECT_TRUE(rt::MenuItemChecked(DigitalPort, 2) && !rt::MenuItemChecked(DigitalPort, 1));
  rt::SetMenuHandler(DoMENU);
  for (auto [chosen, port] : {std::pair<int16_t, int16_t>{1, 0}, {2, 2}}) {
    sounds.clear();
    Choose(DigitalPort, chosen);
    EXPECT_EQ(Digital_Port, port);
    EXPECT_TRUE(rt::MenuItemChecked(DigitalPort, chosen));
    EXPECT_FALSE(rt::MenuItemChecked(DigitalPort, 3 - chosen));
    EXPECT_EQ(Played(), std::vector<std::string>{"MVsounds/tick.mp3"});
  }
}

TEST_F(DigitalPortTest, TestModeDimsTheChoice) {
  External_AD = ExternalADCode::DT85;
  MainMENU();
  DoMENU(AD, 9);
  EXPECT_EQ(External_AD, ExternalADCode::Demonstration);
  EXPECT_FALSE(rt::MenuItemEnabled(DigitalPort, 1));
  EXPECT_FALSE(rt::MenuItemEnabled(DigitalPort, 2));
}
}  // namespace
}  // namespace mv
