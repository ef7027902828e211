// Every window that installs its own handlers gives its caller's back when it closes.
// Without that, a window opened from the options window's menus (Preferences, Plot
// Style, Timed Data Saves, Print Setup Data) left the reduced menu handler behind,
// and the options window's own menu commands did nothing until a button was pressed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "acquisition/view_windows.h"
#include "calculators/frame.h"
#include "calculators/q10.h"
#include "common/window_steps.h"
#include "control/alarm_log.h"
#include "control/alarm_window.h"
#include "control/audible_timer_window.h"
#include "control/trigger_window.h"
#include "control/zero_link_window.h"
#include "conversions/channel_labels_window.h"
#include "conversions/gas_options_window.h"
#include "conversions/spike_filter.h"
#include "files/ascii_warn.h"
#include "files/color_window.h"
#include "files/file_info_window.h"
#include "files/prefs_window.h"
#include "files/save_commands.h"
#include "files/setup_report.h"
#include "kit/protocol.h"
#include "runtime/events.h"
#include "setup/display_settings.h"
#include "setup/rate_check_window.h"
#include "setup/state.h"
#include "setup/xy_plot_dialog.h"
#include "shell/about.h"
#include "shell_test_support.h"

namespace mv {
namespace {

namespace fs = std::filesystem;
using test::WindowSteps;

struct WindowCase {
  const char* name;
  int16_t window;
  std::function<void()> open;
  std::vector<WindowSteps::Step> close;
};

std::vector<WindowCase> Windows() {
  using W = WindowSteps;
  return {
      {"Preferences", kPreferencesWindow, SetPREFERENCES, {W::CloseBox(kPreferencesWindow)}},
      {"Plot Style", kColorWindow, SETCOLORS, {W::CloseBox(kColorWindow)}},
      {"Timed Data Saves", kBackupIntervalWindow, SetTimedSAVE, {W::Click(kBackupIntervalWindow, 20)}},
      {"Print Setup Data", 17, PRINTSETUP, {W::Click(17, 4)}},
      {"Text file caution", kTextCautionWindow, ASCIIWARN, {W::Click(kTextCautionWindow, 1)}},
      {"File information", kFileInfoWindow, GETFILECOMMENTS, {W::Click(kFileInfoWindow, 11)}},
      {"About", kAboutWindow, AboutMV, {W::CloseBox(kAboutWindow)}},
      {"Chart view", kViewWindow, SETCHARTVIEW, {W::CloseBox(kViewWindow)}},
      {"Scope view", kViewWindow, SETSCOPEVIEW, {W::CloseBox(kViewWindow)}},
      {"Alarms", kAlarmWindow, SETALARMS, {W::CloseBox(kAlarmWindow)}},
      {"Alarm log", kAlarmLogWindow, SHOWALARMS, {W::CloseBox(kAlarmLogWindow)}},
      {"Trigger", kTriggerWindow, TRIGGER, {W::CloseBox(kTriggerWindow)}},
      {"Audible timer", kAudibleTimerWindow, AudibleTIMER, {W::CloseBox(kAudibleTimerWindow)}},
      {"Zero links", kZeroLinkWindow, [] { EXTRAZERO(); }, {W::CloseBox(kZeroLinkWindow)}},
      {"Slope trends", kSlopeTrendWindow, [] { SETSLOPETREND(); }, {W::Click(kSlopeTrendWindow, 121)}},
      {"Status displays",
       kStatusDisplayWindow,
       [] { STATUS_DISPLAYS(); },
       {W::Click(kStatusDisplayWindow, 30)}},
      {"Sample rate precision",
       kRatePrecisionWindow,
       SampleRatePRECISION,
       {W::CloseBox(kRatePrecisionWindow)}},
      {"X-Y plot", kXYDialogWindow, [] { XYPlotSetup(); }, {W::CloseBox(kXYDialogWindow)}},
      {"Spike filter", kSpikeFilterWindow, SetSpikeFilter, {W::CloseBox(kSpikeFilterWindow)}},
      {"Channel labels", kChannelLabelsWindow, ChannelLabelsWindow, {W::CloseBox(kChannelLabelsWindow)}},
      {"Gas-exchange options",
       kGasOptionsWindow,
       [] { ConversionOptions(1); },
       {W::CloseBox(kGasOptionsWindow)}},
      {"Q10 calculator", calc::kCalculatorWindow, calc::Q10adjust, {W::CloseBox(calc::kCalculatorWindow)}},
  };
}

class WindowHandlersTest : public test::MenusTest, public WindowSteps {
 protected:
  void SetUp() override {
    MenusTest::SetUp();
    config_ = test::MakeTempDir("handlers-config");
    setenv("MV_CONFIG_DIR", config_.c_str(), 1);
    RecordingMODE = RecordingModeCode::Chart;
    nChannels = 2;
  }
  void TearDown() override {
    rt::SetPumpHook(nullptr);
    rt::SetWindowHandlers({});
    unsetenv("MV_CONFIG_DIR");
    fs::remove_all(config_);
    MenusTest::TearDown();
  }
  // The caller's four handlers, each noting its calls.
  void InstallCallersHandlers() {
    rt::SetWindowHandlers({[this](int16_t, int16_t) { reached.push_back("dialog"); },
                           [this](const std::string&) { reached.push_back("key"); },
                           [this](int16_t, int16_t) { reached.push_back("menu"); },
                           [this](int) { reached.push_back("mouse"); }});
  }
  fs::path config_;
  std::vector<std::string> reached;
};

TEST_F(WindowHandlersTest, EveryWindowLeavesItsCallersHandlersWhenItCloses) {
  for (const WindowCase& c : Windows()) {
    SCOPED_TRACE(c.name);
    InstallCallersHandlers();
    std::vector<Step> steps{Until(c.window)};
    steps.insert(steps.end(), c.close.begin(), c.close.end());
    Drive(steps, [&c] { rt::CloseWindow(c.window); });
    c.open();
    EXPECT_TRUE(ScriptDone());
    EXPECT_FALSE(rt::WindowExists(c.window));
    reached.clear();
    rt::WindowHandlers now = rt::CurrentWindowHandlers();
    ASSERT_TRUE(now.dialog && now.editKey && now.menu && now.mouse);
    now.dialog(1, 1);
    now.editKey("x");
    now.menu(1, 3);
    now.mouse(1);
    EXPECT_EQ(reached, (std::vector<std::string>{"dialog", "key", "menu", "mouse"}));
  }
}

}  // namespace
}  // namespace mv
