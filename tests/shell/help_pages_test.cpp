// The help pages of the program's own windows and menus as a user reads them: every
// window whose "?" opens one of these pages is explained there control by control
// (each title the window shows is named in the page), every item of a menu is named
// on that menu's page, and the worked examples are what the program computes.
#include <gtest/gtest.h>

#include <charconv>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "acquisition/chart_loop.h"
#include "acquisition/state.h"
#include "common/help_page.h"
#include "devices/state.h"
#include "files/prefs_file.h"
#include "files/prefs_rules.h"
#include "files/prefs_window.h"
#include "files/save_commands.h"
#include "files/save_names.h"
#include "files/state.h"
#include "kit/help.h"
#include "kit/state.h"
#include "runtime/macroman.h"
#include "runtime/menus.h"
#include "runtime/windows.h"
#include "setup/display_settings.h"
#include "setup/interval_rules.h"
#include "setup/state.h"
#include "shell/interface_choice.h"
#include "shell/menus.h"
#include "shell/mode_window.h"
#include "shell/options_window.h"
#include "shell_test_support.h"

namespace mv {
namespace {

using namespace MenuNumber;

// The window's control titles; the window as it stands is kept for its page's picture.
std::vector<std::string> TitlesOf(int16_t window, const std::string& picture) {
  EXPECT_TRUE(rt::SaveWindowImage(window, (test::TestOutputDir() / ("help-" + picture + ".png")).string()));
  std::vector<std::string> titles;
  rt::SetOutputWindow(window);
  for (int16_t c : rt::Controls(window)) {
    const std::string title = test::SqueezedText(MacRomanToUtf8(rt::ControlTitle(c).str()));
    if (!title.empty()) titles.push_back(title);
  }
  return titles;
}

class ProgramHelpPageTest : public test::ControlLoopTest {
 protected:
  void ExpectPageNames(int16_t topic, const std::vector<std::string>& titles) {
    const std::string page = HelpTopicPage(topic);
    const std::string text = test::HelpPageText(page);
    ASSERT_FALSE(text.empty()) << page;
    ASSERT_FALSE(titles.empty()) << page;
    for (const std::string& t : titles)
      EXPECT_NE(text.find(t), std::string::npos) << page << " does not name \"" << t << "\"";
  }
};

TEST_F(ProgramHelpPageTest, TheStartWindowIsExplainedOnTheOverview) {
  std::vector<std::string> titles;
  test::LoopDriver driver;
  driver.WaitFor(kInterfaceChoiceWindow)
      .Check([&] { titles = TitlesOf(kInterfaceChoiceWindow, "MVoverview-start"); })
      .Click(InterfaceChoiceButton::TestMode);
  SelectADconverter();
  ExpectPageNames(kInterfaceChoiceHelpTopic, titles);
  // The remembered interface's name is the default button's title; every one of them.
  std::vector<std::string> names;
  for (int16_t code = 0; code <= 11; ++code)
    if (!DefaultInterfaceName(code).empty()) names.push_back(DefaultInterfaceName(code).str());
  ExpectPageNames(kInterfaceChoiceHelpTopic, names);
}

TEST_F(ProgramHelpPageTest, TheModeWindowIsExplainedOnItsPage) {
  std::vector<std::string> titles;
  test::LoopDriver driver;
  driver.WaitFor(kModeWindow)
      .Check([&] { titles = TitlesOf(kModeWindow, "MirevantModes-window"); })
      .Click(ModeControl::FirstChannel + 1)
      .Click(ModeControl::SelectionOK);
  SelectRecordingModeTabWindow();
  ExpectPageNames(kModeHelpTopic, titles);
}

TEST_F(ProgramHelpPageTest, TheOptionsWindowIsExplainedOnItsPage) {
  RecordingMODE = RecordingModeCode::Chart;
  nChannels = 2;
  Sample = 40;
  TimedSaveINTERVAL = 0;
  commands::CHECKSAMPLERATE = [](float, int16_t) {};
  commands::SHOWROOTFILE = [] {};
  PrefsArray[PrefsSlot::Autorepeat] = 1;  // the root name button shows too
  std::vector<std::string> titles;
  test::LoopDriver driver;
  driver.WaitFor(kOptionsWindow)
      .Check([&] { titles = TitlesOf(kOptionsWindow, "options-window"); })
      .Click(OptionsButton::ChangeMode);
  OPTIONSWINDOW();
  ExpectPageNames(kOptionsHelpTopic, titles);
}

TEST_F(ProgramHelpPageTest, TheBackupIntervalWindowIsExplainedOnItsPage) {
  std::vector<std::string> titles;
  test::LoopDriver driver;
  driver.WaitFor(kBackupIntervalWindow)
      .Check([&] { titles = TitlesOf(kBackupIntervalWindow, "timedBackups-open"); })
      .Click(20);
  SetTimedSAVE();
  ExpectPageNames(142, titles);
}

// Each tab of the preferences window is explained on the page its "?" opens.
TEST_F(ProgramHelpPageTest, EachPreferencesTabIsExplainedOnItsPage) {
  const char* pictures[] = {"preferences-appearance", "preferences-interface", "preferences-acquiring"};
  for (int16_t tab = 1; tab <= 3; ++tab) {
    std::vector<std::string> titles;
    test::LoopDriver driver;
    driver.WaitFor(kPreferencesWindow)
        .Check([&] {
          rt::SetOutputWindow(kPreferencesWindow);
          rt::SetControlValue(kPrefsTabControl, tab);
          doDIALOG(ActionCode::Click, kPrefsTabControl);
        })
        .Check([&] { titles = TitlesOf(kPreferencesWindow, pictures[tab - 1]); })
        .Click(kPrefsOKButton);
    SetPREFERENCES();
    ExpectPageNames(static_cast<int16_t>(173 + tab), titles);
  }
}

TEST_F(ProgramHelpPageTest, TheStatusDisplaysWindowIsExplainedOnItsPage) {
  std::vector<std::string> titles;
  test::LoopDriver driver;
  driver.WaitFor(kStatusDisplayWindow)
      .Check([&] { titles = TitlesOf(kStatusDisplayWindow, "StatusDisplays-window"); })
      .Click(30);
  STATUS_DISPLAYS();
  ExpectPageNames(184, titles);
}

// Every item of a menu and of its submenus, as the menu model holds them.
std::vector<std::string> MenuItems(int16_t menu) {
  std::vector<std::string> items;
  for (int16_t i = 1; i <= rt::MenuItemCount(menu); ++i) {
    const rt::MenuItem m = rt::GetMenuItem(menu, i);
    if (m.separator) continue;
    const std::string text = test::SqueezedText(m.text);
    if (!text.empty()) items.push_back(text);
    if (m.submenu != 0)
      for (const std::string& s : MenuItems(m.submenu)) items.push_back(s);
  }
  return items;
}

TEST_F(ProgramHelpPageTest, EveryMenuItemIsNamedOnItsMenusPage) {
  const std::pair<int16_t, int16_t> pages[] = {{File, 162}, {Edit, 163}, {View, 164}, {AD, 165}, {DA, 166}};
  for (const auto& [menu, topic] : pages) ExpectPageNames(topic, MenuItems(menu));
}

// The A-D menu's device items change with the interface; the page names them all.
TEST_F(ProgramHelpPageTest, EveryInterfacesADMenuIsNamedOnItsPage) {
  for (int16_t code :
       {ExternalADCode::SableUI2, ExternalADCode::SableUI3, ExternalADCode::DT500, ExternalADCode::DT50,
        ExternalADCode::DT800, ExternalADCode::DT80, ExternalADCode::DT85, ExternalADCode::ADAM}) {
    External_AD = code;
    MainMENU();
    ExpectPageNames(165, MenuItems(AD));
  }
}

double NumberOn(int16_t topic, const std::string& id) {
  const std::string quoted = test::HelpTopicExampleText(topic, id);
  double value = -1;
  const std::size_t at = quoted.find_first_of("0123456789");
  if (at != std::string::npos) std::from_chars(quoted.data() + at, quoted.data() + quoted.size(), value);
  return value;
}

// The timed backup page's example: 15 minutes doubled twice, then one taken away.
TEST_F(ProgramHelpPageTest, TheBackupExampleIsWhatTheWindowTakes) {
  test::LoopDriver driver;
  driver.WaitFor(kBackupIntervalWindow).Click(3).Click(11).Click(11).Click(14).Check([] {
    EXPECT_TRUE(rt::SaveWindowImage(kBackupIntervalWindow,
                                    (test::TestOutputDir() / "help-timedBackups-window.png").string()));
  });
  driver.Click(20);
  SetTimedSAVE();
  EXPECT_EQ(TimedSaveINTERVAL / 3'600.0, NumberOn(142, "backup-minutes"));
  // The shortest preset and the longest the program keeps, in minutes.
  EXPECT_EQ(BackupMinutesAfter(15, 0), NumberOn(142, "backup-shortest"));
  EXPECT_EQ(BackupTicksFor(1e9) / 3'600.0 / 60.0, NumberOn(142, "backup-longest-hours"));
}

// The preferences pages' examples: "Fill Screen" on a 1440 by 900 display, and the
// slowest chart interval the status displays run at with the rate chosen at start.
TEST_F(ProgramHelpPageTest, ThePreferencesExamplesAreWhatTheProgramSets) {
  const StoredWindowSize fill = WindowSizeForChoice(6, 1440, 900);
  EXPECT_EQ(fill.width, NumberOn(174, "prefs-fill-width"));
  EXPECT_EQ(fill.height, NumberOn(174, "prefs-fill-height"));
  const std::optional<int32_t> limit = StatusDisplayLimitOfItem(StatusDisplayItemOf(Max_Display_Speed));
  ASSERT_TRUE(limit.has_value());
  EXPECT_DOUBLE_EQ(*limit / 1e6, NumberOn(176, "prefs-status-interval"));
}

// The status fields of a chart of 3600 samples at 1 s, 600 samples in.
TEST_F(ProgramHelpPageTest, TheStatusExampleIsWhatTheRecordingScreenShows) {
  const std::string done = PercentDoneText(600, 100.0f / 3600).str();
  const std::string left = TimeLeftText((3600 - 600) * 1.0).str();
  EXPECT_NE(done.find(test::HelpTopicExampleText(184, "status-done") + " % done"), std::string::npos) << done;
  EXPECT_NE(left.find(test::HelpTopicExampleText(184, "status-left") + " min left"), std::string::npos)
      << left;
}

// The longest chart runs the recording page lists: the interval window's "Maximum
// time" for the program's sample capacity.
TEST_F(ProgramHelpPageTest, TheCapacityTableIsWhatTheIntervalWindowShows) {
  const std::pair<const char*, double> rows[] = {
      {"capacity-1s", 1.0}, {"capacity-0.1s", 0.1}, {"capacity-0.01s", 0.01}};
  for (const auto& [id, seconds] : rows) {
    const std::string quoted = test::HelpTopicExampleText(138, id);
    ASSERT_FALSE(quoted.empty()) << id;
    const std::string shown = MaximumTimeText(MaximumSamples, seconds).str();
    EXPECT_NE(shown.find(quoted), std::string::npos)
        << id << ": the page says " << quoted << ", the window \"" << shown << "\"";
  }
  EXPECT_EQ(MaximumSamples, 2'000'000);
}

}  // namespace
}  // namespace mv
