// The control windows' help pages as a user reads them: every window whose "?"
// opens a page is explained there control by control (each title the window shows
// is named in the page), and every worked example a page gives is what the
// program itself computes.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <fstream>
#include <functional>
#include <optional>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "acquisition/state.h"
#include "common/help_page.h"
#include "common/test_support.h"
#include "common/window_steps.h"
#include "control/alarm_window.h"
#include "control/ao_script_window.h"
#include "control/audible_timer.h"
#include "control/audible_timer_window.h"
#include "control/feedback.h"
#include "control/feedback_window.h"
#include "control/output_scripts.h"
#include "control/state.h"
#include "control/switch_window.h"
#include "control/switching_schedule.h"
#include "control/trigger_window.h"
#include "control/zero_link_window.h"
#include "devices/interfaces.h"
#include "devices/state.h"
#include "kit/help.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/macroman.h"
#include "runtime/menus.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv::test {
namespace {

struct Window {
  const char* name;
  std::function<void()> open;
  int16_t window;
  int16_t topic;              // what its "?" opens
  std::vector<int16_t> done;  // the button that closes each of its screens in turn
};

const Window kWindows[] = {
    {"switching", [] { ExternalDeviceControl(); }, 3, 137, {177}},
    {"switching-sequential",
     [] {
       SwitchingMode = 10, refint = 2, switchint = 10, RefChan = 1;
       ChannelVariables[2][ChanField::Device] = 1;
       ExternalDeviceControl();
     },
     3,
     137,
     {177}},
    {"trigger", [] { TRIGGER(); }, kTriggerWindow, 136, {20}},
    {"audible-timer", [] { AudibleTIMER(); }, kAudibleTimerWindow, 147, {TimerItem::Done}},
    {"zero-links", [] { EXTRAZERO(); }, kZeroLinkWindow, 149, {kZeroLinkOK}},
    {"zero-links-switched",
     [] {
       ChannelVariables[1][ChanField::Device] = 2;
       EXTRAZERO();
     },
     kZeroLinkWindow,
     149,
     {kZeroLinkOK}},
    {"ao-script",
     [] {
       // The ramp of the page's example, as its picture shows it.
       AO1on = 1;
       AOscript[0][1] = 2;
       AOscript[1][1] = 1, AOscript[1][2] = 1, AOscript[1][3] = 2;
       AOscript[2][1] = 4, AOscript[2][2] = -4, AOscript[2][3] = 3;
       AnalogOutputScript(1);
     },
     kAOscriptWindow,
     152,
     {AOItem::Done}},
    {"feedback", [] { AnalogFEEDBACK(); }, kFeedbackWindow, 153, {FeedbackItem::Done}},
    {"feedback-warning",
     [] { AO2on = 1, AnalogFEEDBACK(); },
     kFeedbackWindow,
     153,
     {FeedbackItem::SelectionOK, FeedbackItem::Done}},
    {"alarms", [] { SETALARMS(); }, kAlarmWindow, 189, {0}},
};

void PrintTo(const Window& w, std::ostream* os) {
  *os << w.name;
}

class ControlHelpPageTest : public ProgramTest,
                            public WindowSteps,
                            public ::testing::WithParamInterface<Window> {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    setenv("MV_RESOURCES_DIR", SourcePath("resources").c_str(), 1);
    for (int16_t m = 1; m <= 6; ++m) rt::NewMenu(m, "menu");
    for (int16_t m = 1; m <= 6; ++m)
      for (int16_t i = 1; i <= 13; ++i) rt::SetMenuItem(m, i, "item");
    MaximumChans = 16;
    nChannels = 3;
    datalabel = "O2 analyser                   CO2 analyser                  flow                          ";
    // The plot colours live in acquisition, above the switching window.
    switch_window_hooks::COLORSELECT = [] {};
  }
  // A title with its numbers and the channel labels it shows taken out: the titles of
  // one numbered series ("Device # 1" to "Device # 8", a row per channel) share it, and
  // the page names the series by its first member.
  static std::string SeriesKey(std::string title) {
    for (const char* label : {"CO2 analyser", "O2 analyser", "flow"})
      if (const std::size_t at = title.find(label); at != std::string::npos)
        title.erase(at, std::string(label).size());
    std::string key;
    for (char c : title)
      if (c < '0' || c > '9') key += c;
    return key;
  }
  void TearDown() override {
    switch_window_hooks::ResetSwitchWindowHooks();
    rt::SetPumpHook(nullptr);
    for (const Window& w : kWindows)
      if (rt::WindowExists(w.window)) rt::CloseWindow(w.window);
    unsetenv("MV_RESOURCES_DIR");
    ProgramTest::TearDown();
  }
};

TEST_P(ControlHelpPageTest, NamesEveryControlTheWindowShows) {
  const Window& w = GetParam();
  const std::string page = HelpTopicText(w.topic);
  ASSERT_FALSE(page.empty()) << HelpTopicPage(w.topic);
  std::vector<std::string> titles;
  std::set<std::string> seen;
  std::vector<Step> steps;
  for (int16_t done : w.done) {
    steps.push_back(Until(w.window));
    steps.push_back(Do([&] {
      rt::SetOutputWindow(w.window);
      for (int16_t c : rt::Controls(w.window)) {
        const std::string title = SqueezedText(MacRomanToUtf8(rt::ControlTitle(c).str()));
        if (title.empty() || title == " ") continue;
        const std::string key = SeriesKey(title);
        if (key.find_first_not_of(' ') != std::string::npos && !seen.insert(key).second) continue;
        titles.push_back(title);
      }
    }));
    steps.push_back(
        Shot(w.window, std::string("help-") + w.name + "-" + std::to_string(steps.size()) + ".png"));
    steps.push_back(done == 0 ? CloseBox(w.window) : Click(w.window, done));
  }
  Drive(steps, [&] {
    if (rt::WindowExists(w.window)) rt::CloseWindow(w.window);
  });
  w.open();
  test::ExpectPageNamesEveryTitle(page, titles, HelpTopicPage(w.topic));
}

INSTANTIATE_TEST_SUITE_P(EveryControlWindowWithHelp, ControlHelpPageTest, ::testing::ValuesIn(kWindows),
                         [](const ::testing::TestParamInfo<Window>& info) {
                           std::string name;
                           for (const char* p = info.param.name; *p; ++p) name += *p == '-' ? '_' : *p;
                           return name;
                         });

// ---- worked examples -------------------------------------------------------------------------

// The number a page quotes in the element with the example's id, with its count of
// decimals.
bool QuotedNumber(int16_t topic, const std::string& id, double& value, int& decimals) {
  const std::string text = HelpTopicExampleText(topic, id);
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{}) return false;
  const std::string_view digits(text.data(), static_cast<std::size_t>(end - text.data()));
  const std::size_t point = digits.find('.');
  decimals = point == std::string_view::npos ? 0 : static_cast<int>(digits.size() - point - 1);
  return true;
}

void ExpectPageQuotes(int16_t topic, const std::string& id, double program) {
  double page = 0;
  int decimals = 0;
  ASSERT_TRUE(QuotedNumber(topic, id, page, decimals))
      << HelpTopicPage(topic) << " has no example \"" << id << "\"";
  EXPECT_NEAR(program, page, 0.5 * std::pow(10.0, -decimals) * (1 + 1e-9))
      << id << ": the page says " << page << ", the program gives " << program;
}

void AtTick(int64_t t) {
  rt::SetVirtualMicroseconds((static_cast<uint64_t>(t) * 1'000'000 + 59) / 60);
}

class ControlHelpExampleTest : public ProgramTest {};

// Periodic references, reference 2 min, sequence 10 min, devices 2, 3 and 4: the
// minutes from the run's start at which each sample device comes on, as the switching
// operations schedule them pass by pass.
TEST_F(ControlHelpExampleTest, PeriodicReferencesSwitchWhenThePageSays) {
  External_AD = ExternalADCode::Demonstration;
  nChannels = 3;
  for (int16_t ch = 1; ch <= 3; ++ch) ChannelVariables[ch][ChanField::Device] = static_cast<float>(ch + 1);
  RefChan = 1;
  SwitchingMode = 5;
  nGroups = 0;
  refint = 2;
  switchint = 10;
  MaxSamples = 100'000;
  ChartIntervalInSeconds = 1;
  const int32_t start = 1'000;
  AtTick(start);
  SwitchingAtRunStart(start, true);
  RefIsON = 1;  // a run starts on the reference
  std::vector<double> onAt;
  for (int32_t t = start; t <= start + 30 * 3600; ++t) {
    AtTick(t);
    tick = t;
    const int16_t before = RefIsON;
    SwitchingOnPass(t);
    if (before == 1 && RefIsON == 0) onAt.push_back((t - start) / 3600.0);
  }
  ASSERT_GE(onAt.size(), 3u) << ::testing::PrintToString(onAt);
  ExpectPageQuotes(137, "periodic-second", onAt[1]);
  ExpectPageQuotes(137, "periodic-third", onAt[2]);
}

// "Every" 120 samples at a 30 s sample interval, as a recording turns it into minutes.
TEST_F(ControlHelpExampleTest, RepeatEverySamplesIsTheMinutesThePageSays) {
  AlertSOUNDS = 1;
  ContinueALERT = 1;
  ContAlertMODE = 1;
  ContAlertCount = 120;
  ChartSampleInterval = 30;
  StartAlertRun();
  ExpectPageQuotes(147, "timer-every", ContinueAlertInt);
}

// Step 1 at 1 V for a minute, step 2 a ramp to 4 V over 4 minutes: output 1's volts
// 2.5 minutes after the script starts.
TEST_F(ControlHelpExampleTest, RampIsAtTheVoltsThePageSays) {
  External_AD = ExternalADCode::Demonstration;
  AO1on = 1;
  // Output 1's steps are (volts, minutes, next step) in columns 1 to 3; a ramp's
  // minutes are stored negative.
  AOscript[0][1] = 2;
  AOscript[1][1] = 1, AOscript[1][2] = 1, AOscript[1][3] = 2;
  AOscript[2][1] = 4, AOscript[2][2] = -4, AOscript[2][3] = 3;
  const int64_t start = 100;
  AtTick(start);
  StartOutputScripts();
  const int64_t at = start + static_cast<int64_t>(2.5 * 3600);
  for (int64_t t = start + 1; t <= at; ++t) {
    AtTick(t);
    checkAOscript();
  }
  ExpectPageQuotes(152, "ao-ramp", AO1volts);
}

// The over-range limit the alarm page names for each interface is the one a recording applies.
TEST_F(ControlHelpExampleTest, OverRangeLimitsAreTheOnesThePageNames) {
  const std::pair<int16_t, const char*> rows[] = {
      {ExternalADCode::SableUI2, "overrange-ui2"},      {ExternalADCode::SableUI3, "overrange-ui3"},
      {ExternalADCode::DT500, "overrange-dt500"},       {ExternalADCode::DT50, "overrange-dt500"},
      {ExternalADCode::DT800, "overrange-dt800"},       {ExternalADCode::DT80, "overrange-dt80"},
      {ExternalADCode::DT85, "overrange-dt80"},         {ExternalADCode::ADC1, "overrange-adc1"},
      {ExternalADCode::ADAM, "overrange-adam"},         {ExternalADCode::Demonstration, "overrange-demo"}};
  // An ADAM input left at its usual range (no code chosen) is the one the page names.
  for (const auto& [code, id] : rows) ExpectPageQuotes(189, id, *ChannelOverRangeLimit(code, 0));
  EXPECT_EQ(ChannelOverRangeLimit(ExternalADCode::SerialStream, 0), std::nullopt) << "no volts, no range";
}

// Negative and positive feedback, setpoint 22, range 1, limits 0 to 5 V: the volts
// sent to output 2 at the first update after a stored reading of 22.4.
TEST_F(ControlHelpExampleTest, FeedbackSendsTheVoltsThePageSays) {
  for (const auto& [negative, id] : {std::pair{1, "feedback-negative"}, std::pair{0, "feedback-positive"}}) {
    External_AD = ExternalADCode::Demonstration;
    SwitchingMode = 0;
    DoFeedback = 1;
    nChannels = 2;  // the run records the regulated channel
    FeedbackChan = 2;
    NegativeFEEDBACK = static_cast<int16_t>(negative);
    FeedbackUpdateInterval = 30;
    // A step: setpoint, min volts, max volts, range, minutes, next step.
    FeedbackArray[1][1] = 22, FeedbackArray[1][2] = 0, FeedbackArray[1][3] = 5;
    FeedbackArray[1][4] = 1, FeedbackArray[1][5] = 5, FeedbackArray[1][6] = 2;
    Sample = 1;
    ASSERT_TRUE(ChartDataArray.Set(2, 0, 22.4f));
    AO2volts = 0;
    const int64_t start = negative ? 100 : 1'000;  // each case a run of its own
    AtTick(start);
    BeginFdBk();
    AtTick(start + 1);
    checkFEEDBACKLoop();
    ExpectPageQuotes(153, id, AO2volts);
  }
}

}  // namespace
}  // namespace mv::test
