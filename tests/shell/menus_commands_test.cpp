// The full menu handler on the menu model: every toggle and state rule, the
// commands that open other windows (as fakes), and the common ending.
#include <tuple>

#include "acquisition/state.h"
#include "calculators/frame.h"
#include "control/state.h"
#include "conversions/state.h"
#include "devices/state.h"
#include "files/needs.h"
#include "files/setup_commands.h"
#include "files/state.h"
#include "kit/help.h"
#include "runtime/events.h"
#include "runtime/help.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/channel_dialogs.h"
#include "setup/channel_table.h"
#include "setup/interval_rules.h"
#include "setup/needs.h"
#include "setup/state.h"
#include "shell_test_support.h"

namespace mv {
namespace {

using namespace MenuNumber;

// The sample-rate window's interval field, its "use other interval" button and OK.
constexpr int16_t kIntervalField = 101, kUseOtherInterval = 13, kIntervalOK = 14;

class MenuCommandTest : public test::MenusTest {
 protected:
  void SetUp() override {
    MenusTest::SetUp();
    setup_hooks::ResetSetupHooks();
    MainMENU();
  }
  void TearDown() override {
    setup_hooks::ResetSetupHooks();
    MenusTest::TearDown();
  }
  void Choose(int16_t menu, int16_t item) {
    sounds.clear();
    DoMENU(menu, item);
  }
  // Notes the number and title of each window a command opens, and ends it with its
  // close box as a user would.
  void CloseEachWindowThatOpens() {
    const std::vector<int16_t> before = rt::OpenWindows();
    rt::SetPumpHook([this, before] {
      for (int16_t w : rt::OpenWindows()) {
        if (std::find(before.begin(), before.end(), w) != before.end()) continue;
        const std::string note = "window " + std::to_string(w) + rt::WindowTitle(w).str();
        if (std::find(calls.begin(), calls.end(), note) == calls.end()) calls.push_back(note);
        doDIALOG(ActionCode::CloseBox, w);
      }
    });
  }
};

TEST_F(MenuCommandTest, FileFormatsSetTheSlotsMarksAndDataFileInfo) {
  struct Case {
    int16_t item, sable, text;
    bool fileInfo;
    const char* sound;
  };
  Sound_Is_On = 1;
  for (Case c : {Case{4, 0, 1, false, "MVsounds/downvip.mp3"}, Case{5, 1, 0, true, "MVsounds/downvip.mp3"},
                 Case{3, 0, 0, true, "MVsounds/upvip.mp3"}}) {
    SCOPED_TRACE(c.item);
    Choose(File, c.item);
    EXPECT_EQ(PrefsArray[PrefsSlot::SaveSable], c.sable);
    EXPECT_EQ(PrefsArray[PrefsSlot::SaveText], c.text);
    for (int16_t i = 3; i <= 5; ++i) EXPECT_EQ(State(File, i), i == c.item ? 2 : 1) << i;
    EXPECT_EQ(State(Edit, 13), c.fileInfo ? 1 : 0) << "ASCII text has no file information";
    EXPECT_EQ(Played(), std::vector<std::string>{c.sound});
  }
  Sound_Is_On = 0;
  Choose(File, 4);
  EXPECT_TRUE(Played().empty()) << "confirmation cues only with sounds on";
}

TEST_F(MenuCommandTest, FormatMarksFollowTheFormatASetupFileLoads) {
  const std::string path = (test::TestOutputDir() / "format-marks.MVsetup").string();
  nChannels = 1;
  RecordingMODE = RecordingModeCode::Chart;
  files_hooks::FileNotice = [](const std::string& title, const std::string& why) {
    ADD_FAILURE() << title << why;
  };
  // The strips fill the window, so the load asks nothing about the screen size.
  files_hooks::SetChanParams = [](int16_t, int16_t) {
    ChannelVariables[nChannels][ChanField::StripBottom] = PrefsArray[PrefsSlot::WindowHeight] - 10.0f;
  };
  files_hooks::SetupLoadedMaxAverage = [] { MAXAVERAGE(); };
  for (int16_t saved : {5, 4, 3}) {
    SCOPED_TRACE(saved);
    Choose(File, saved);
    ASSERT_TRUE(WriteSetupFile(path));
    Choose(File, saved == 3 ? 5 : 3);  // another format chosen before the load
    ASSERT_TRUE(LoadSetupFile(path));
    for (int16_t i = 3; i <= 5; ++i) EXPECT_EQ(State(File, i), i == saved ? 2 : 1) << i;
    EXPECT_EQ(State(Edit, 13), saved == 4 ? 0 : 1) << "ASCII text has no file information";
  }
}

TEST_F(MenuCommandTest, SoundSwitchesFlipAndOfferWeirdSoundsOnlyWithSounds) {
  Sound_Is_On = 1;
  PrefsArray[PrefsSlot::WeirdSounds] = 0;
  MainMENU();
  Choose(Edit, 10);
  EXPECT_EQ(State(Edit, 11), 0);
  EXPECT_TRUE(Played().empty()) << "the falling cue is silent once sounds are off";
  Choose(Edit, 10);
  EXPECT_EQ(State(Edit, 11), 1);
  EXPECT_EQ(Played(), std::vector<std::string>{"MVsounds/upvip.mp3"});
  Choose(Edit, 11);
  EXPECT_EQ(PrefsArray[PrefsSlot::WeirdSounds], 1);
  EXPECT_EQ(Played(), (std::vector<std::string>{"MVsounds/rip.mp3", "MVsounds/scream.mp3"}));
  Choose(Edit, 10);
  Choose(Edit, 10);
  EXPECT_EQ(State(Edit, 11), 2) << "turned on again, weird sounds show their slot";
}

TEST_F(MenuCommandTest, RearrangeLeavesTheRebuildToTheCallingWindow) {
  nChannels = 2;
  // The re-arrange window is cancelled by closing it as soon as it is up.
  rt::SetPumpHook([] {
    if (rt::WindowExists(6)) rt::CloseWindow(6);
  });
  Choose(Edit, 2);
  rt::SetPumpHook(nullptr);
  EXPECT_EQ(Action, 99) << "the calling window rebuilds its channel list";
  EXPECT_EQ(nChannels, 2);
}

TEST_F(MenuCommandTest, SampleRateInsideTheSetupWindowAsksTheWindow) {
  // A sample-rate window that opens here is noted and closed.
  rt::SetPumpHook([this] {
    if (!rt::WindowExists(kIntervalWindow)) return;
    calls.push_back("rate");
    doDIALOG(ActionCode::Click, kIntervalOK);
  });
  DispSetupON = 1;
  for (auto [item, mode, code] : {std::tuple{16, 1, 1}, {17, 1, 1}, {16, 3, 1}, {17, 3, 8}}) {
    RecordingMODE = static_cast<int16_t>(mode);
    Action = 0;
    EventID = 0;
    Choose(Edit, static_cast<int16_t>(item));
    EXPECT_EQ(Action, 1) << item << " mode " << mode;
    EXPECT_EQ(EventID, code) << item << " mode " << mode;
  }
  rt::SetPumpHook(nullptr);
  EXPECT_TRUE(calls.empty());
}

TEST_F(MenuCommandTest, ChartRateCommandSetsAveraging) {
  nChannels = 3;
  setup_hooks::MAXAVERAGE = [] { MaxAvrg = 7; };
  // Half a second typed into the sample-rate window as another interval, then OK.
  const auto chooseHalfASecond = [] {
    test::LoopDriver driver;
    driver.WaitFor(kIntervalWindow)
        .Check([] {
          rt::SetOutputWindow(kIntervalWindow);
          rt::SetEditText(kIntervalField, "0.5");
        })
        .Click(kUseOtherInterval)
        .Click(kIntervalOK);
    DoMENU(Edit, 16);
    EXPECT_TRUE(driver.Finished());
  };
  chooseHalfASecond();
  EXPECT_DOUBLE_EQ(ChartIntervalInSeconds, 0.5);
  for (int ch = 1; ch <= 3; ++ch) EXPECT_EQ(ChannelVariables[ch][ChanField::Averaged], 7) << ch;
  PrefsArray[PrefsSlot::AverageLastChannel] = 1;
  chooseHalfASecond();
  EXPECT_EQ(ChannelVariables[2][ChanField::Averaged], 7);
  EXPECT_EQ(ChannelVariables[3][ChanField::Averaged], 0) << "the last channel averages continuously";
  PrefsArray[PrefsSlot::AverageLastChannel] = 0;
  PrefsArray[PrefsSlot::DT800FastScope] = 1;
  chooseHalfASecond();
  // With slot 40 the window sets the fast scope's averaging, and the command keeps it.
  EXPECT_EQ(ChannelVariables[1][ChanField::Averaged], 1);
  EXPECT_EQ(ChannelVariables[2][ChanField::Averaged], 10) << "slot 40 keeps every channel's averaging";
}

TEST_F(MenuCommandTest, RateWindowThatChangesNothingKeepsTheIntervals) {
  ChartIntervalInSeconds = 2.0;
  ScopeIntervalInSeconds = 0.02;
  // The window opens on the intervals it last accepted.
  OldChartSpeed = 2.0;
  OldScopeSpeed = 0.02;
  SampleIntervalinSeconds = 0;
  // Each window is answered OK as it opens, nothing chosen.
  {
    test::LoopDriver driver;
    driver.WaitFor(kIntervalWindow).Click(kIntervalOK);
    Choose(Edit, 16);
    EXPECT_TRUE(driver.Finished());
  }
  EXPECT_DOUBLE_EQ(ChartIntervalInSeconds, 2.0);
  {
    test::LoopDriver driver;
    driver.WaitFor(kIntervalWindow).Click(kIntervalOK);
    Choose(Edit, 17);
    EXPECT_TRUE(driver.Finished());
  }
  EXPECT_DOUBLE_EQ(ScopeIntervalInSeconds, 0.02);
  EXPECT_FLOAT_EQ(scopeinterval, 0.02f);
}

TEST_F(MenuCommandTest, WindowSizeCommandsSetTheSizeScopeAndStrips) {
  nChannels = 2;
  PrefsArray[PrefsSlot::WindowHeight] = 0;
  SetChanParams(0, 0);  // 768 high, 354 pixels a strip
  ASSERT_EQ(PrefsArray[PrefsSlot::WindowHeight], 768);
  const float before = ChannelVariables[1][ChanField::StripHeight];
  ScopeMax = 500;
  Choose(WindowSize, 7);
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowHeight], 753);
  EXPECT_EQ(ScopeMax, 1250) << "a wider window widens the sweep";
  EXPECT_NEAR(ChannelVariables[1][ChanField::StripHeight], before * (753 - 60) / (768 - 60), 1.0)
      << "the strips keep their share of the new height";

  Choose(WindowSize, 3);
  EXPECT_EQ(ScopeMax, 1250) << "a narrower window squeezes the sweep";
  EXPECT_FLOAT_EQ(scopeXfactor, 640.0f / 1250.0f);
}

TEST_F(MenuCommandTest, BeepAtSampleTurnsItselfOffBelowTwoTenths) {
  SetMenuItemState(AD, 15, 1);
  ChartIntervalInSeconds = 0.5;
  Choose(AD, 15);
  EXPECT_EQ(PrefsArray[PrefsSlot::BeepEverySample], 1);
  EXPECT_EQ(State(AD, 15), 2);
  EXPECT_EQ(Played(), std::vector<std::string>{"MVsounds/Sample.mp3"});
  ChartIntervalInSeconds = 0.15;
  Choose(AD, 15);
  EXPECT_EQ(PrefsArray[PrefsSlot::BeepEverySample], 0) << "too fast to beep";
  EXPECT_EQ(State(AD, 15), 0);
}

TEST_F(MenuCommandTest, AutorepeatFlipsTheSlotOfTheMode) {
  RecordingMODE = RecordingModeCode::Chart;
  Choose(AD, 19);
  EXPECT_EQ(PrefsArray[PrefsSlot::Autorepeat], 1);
  RecordingMODE = RecordingModeCode::ScopeChart;
  Choose(AD, 19);
  EXPECT_EQ(PrefsArray[PrefsSlot::Autorepeat], 1);
  EXPECT_EQ(PrefsArray[PrefsSlot::Automarkers], 1) << "scope plus chart sets automatic markers instead";
  EXPECT_TRUE(rt::MenuItemChecked(AD, 19));
}

TEST_F(MenuCommandTest, ConversionEquationsWindowEditsTheChannelsOwnCoefficients) {
  nChannels = 2;
  External_AD = ExternalADCode::SableUI2;
  CloseEachWindowThatOpens();
  bool changed = true;
  setup_hooks::ConversionsWindow = [&](int16_t ch) {
    calls.push_back("CONVERT " + std::to_string(ch));
    if (changed) std::tie(aval, bval, exponent) = std::tuple{1.5f, 2.5f, 3.5f};
    return changed;
  };
  ChannelVariables[2][ChanField::Input] = 10;
  ChannelVariables[1][ChanField::Input] = 15;
  Choose(ConversionEquations, 2);
  EXPECT_EQ(Action, 5);
  changed = false;  // aval, bval and exponent still hold channel 2's values
  ChannelVariables[1][ChanField::A] = 19;
  Choose(ConversionEquations, 1);
  EXPECT_EQ(calls, (std::vector<std::string>{"window 12 UI2 Temperature Channel ", "CONVERT 2",
                                             "window 11 Select Serial Input, Channel 1 ", "CONVERT 1"}));
  EXPECT_EQ(ChannelVariables[2][ChanField::A], 1.5f);
  EXPECT_EQ(ChannelVariables[2][ChanField::C], 3.5f);
  EXPECT_EQ(ChannelVariables[1][ChanField::A], 19);
  calls.clear();
  Action = 0;
  Choose(ConversionEquations, 3);
  EXPECT_TRUE(calls.empty()) << "no channel 3";
  EXPECT_EQ(Action, 0);
}

TEST_F(MenuCommandTest, SerialInstrumentsKeepTheInterfaceInUse) {
  External_AD = ExternalADCode::SableUI3;
  DemonstrationMODE = 0;
  MainMENU();
  OldScopeOn = 3;
  RecordingMODE = 1;
  CloseEachWindowThatOpens();
  Choose(AD, 4);
  EXPECT_EQ(calls, std::vector<std::string>{"window 44 Serial Instrument Options "});
  EXPECT_EQ(External_AD, ExternalADCode::SableUI3);
  EXPECT_EQ(RecordingMODE, 3) << "the saved mode comes back";
  OldScopeOn = 0;  // nothing saved: the mode stays
  Choose(AD, 4);
  EXPECT_EQ(RecordingMODE, 3);
}

// Each row a distinct rule of the handler: the interface picks the window of an
// External A-D Device item, a command leaves the caller's code or asks for a redraw
// (a window's own loop ends with nothing pending), the view windows redraw by
// themselves, and some items pass a number on.
TEST_F(MenuCommandTest, ChoicesReachTheirWindows) {
  setup_hooks::DATATAKERSTATUS = Note("DATATAKERSTATUS");
  setup_hooks::ConversionsWindow = [this](int16_t ch) {
    calls.push_back("CONVERT " + std::to_string(ch));
    return false;
  };
  CloseEachWindowThatOpens();
  const std::tuple<int16_t, int16_t, int16_t, std::vector<std::string>, int16_t> cases[] = {
      {ExternalADDevice, 1, 3, {"DATATAKERSTATUS"}, 77},
      {ExternalADDevice, 1, 8, {"window 11 Sensor Type Selection For ADAM-4019 "}, 0},
      {ExternalADDevice, 1, 1, {"window 8 UI2Temperature Channels ", "CONVERT 0"}, 0},
      {View, 9, 0, {"window 6 Chart Display Conditions "}, 0},
      {AD, 16, 0, {"window 5 Alarms "}, 5},
      {DA, 4, 0, {"window 788 Voltage output script, AO channel 2 "}, 0}};
  for (const auto& [menu, menuItem, external, expected, action] : cases) {
    SCOPED_TRACE(testing::Message() << menu << "/" << menuItem << " interface " << external);
    External_AD = external;
    calls.clear();
    Action = 77;
    Choose(menu, menuItem);
    EXPECT_EQ(calls, expected);
    EXPECT_EQ(Action, action);
  }
  // The unit conversions, with a help page (window 18) opened while they are up.
  test::LoopDriver driver;
  driver.WaitFor(calc::kCalculatorWindow)
      .Check([] {
        rt::OpenWindow(18, "help", Rect{10, 10, 100, 100}, 5);
      })
      .Check([] { doDIALOG(ActionCode::CloseBox, calc::kCalculatorWindow); });
  Choose(Special, 19);
  EXPECT_TRUE(driver.Finished());
  EXPECT_FALSE(rt::WindowExists(18)) << "window 18 closes after the unit conversions";
}

TEST_F(MenuCommandTest, EveryCommandEndsTheSameWay) {
  rt::EnableMenuItem(AD, 3, true);
  extswitchflag = 0;
  rt::OpenWindow(33, "About", Rect{10, 10, 200, 200}, 6);
  Choose(View, 14);
  EXPECT_FALSE(rt::WindowExists(33)) << "the About window closes before a command";
  EXPECT_FALSE(rt::MenuItemEnabled(AD, 3));
  EXPECT_EQ(extswitchflag, 1);
  EXPECT_EQ(MENUID, View);
  EXPECT_EQ(item, 14);
}

TEST_F(MenuCommandTest, HelpItemsOpenTheBookAndTheAddresses) {
  std::vector<std::string> urls;
  rt::SetURLOpener([&](const std::string& url) { urls.push_back(url); });
  Choose(Help, 3);
  Choose(Help, 4);
  EXPECT_EQ(urls, (std::vector<std::string>{OutsideAddress(1), OutsideAddress(2)}));
  rt::SetURLOpener(nullptr);
  Choose(View, 18);
  EXPECT_NE(rt::HelpPageShown().find("Mirevant help book.html"), std::string::npos);
  rt::CloseHelpWindow();
}

}  // namespace
}  // namespace mv
