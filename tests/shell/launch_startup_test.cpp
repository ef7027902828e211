// The start-up road: the comment header, the start-up menu bar and its Quit, the
// start-up screen with its flies (the Alt key, a click, the deadline, sounds), the
// speed test (its figure, verdicts and window on the virtual clock), the "Startup
// Routines..." window (the remembered interface, test mode, Quit, help, automatic
// selection), the interface set-up, and a set-up file handed over at launch.
#include <gtest/gtest.h>

#include <fstream>

#include "devices/state.h"
#include "drive/script.h"
#include "files/setup_file.h"
#include "files/state.h"
#include "kit/date_text.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/menus.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "shell/about.h"
#include "shell/interface_choice.h"
#include "shell/main_body.h"
#include "shell/speed_test.h"
#include "shell/startup.h"
#include "shell_test_support.h"

namespace mv {
namespace {

using StartupTest = test::LaunchTest;

TEST_F(StartupTest, CommentHeaderAndDateTexts) {
  std::tm when{};
  when.tm_year = 99;
  when.tm_mon = 5;
  when.tm_mday = 30;
  when.tm_hour = 14;
  when.tm_min = 5;
  when.tm_sec = 9;
  EXPECT_EQ(DateText(when).str(), "06/30/99");
  EXPECT_EQ(TimeText(when).str(), "14:05:09");
  EXPECT_EQ(StartupCommentHeader("06/30/25", "14:05:09"), "\xA5 Recorded 06/30/25 at 14:05:09:  \r");
}

TEST_F(StartupTest, StartupMenuBarKeepsOnlyQuitAndQuitEndsAtOnce) {
  BuildStartupMenuBar();
  SplashScreenJPEG();
  rt::SetKeyDown(rt::key::Option, true);  // the flies end at once
  StartupScreen();
  for (int16_t m = 2; m <= 6; ++m) EXPECT_FALSE(rt::MenuItemEnabled(m, 0)) << "menu " << m;
  for (int16_t i = 1; i <= 13; ++i) EXPECT_FALSE(rt::MenuItemEnabled(1, i)) << "File item " << i;
  EXPECT_TRUE(rt::MenuItemEnabled(1, kStartupQuitItem));
  int16_t menu = 0, menuItem = 0;
  EXPECT_TRUE(rt::FindMenuKey('Q', menu, menuItem));
  startupMENU(3, 2);
  EXPECT_EQ(MENUID, 3) << "other choices are only noted";
  EXPECT_EQ(test::ExitStatusOf([] { startupMENU(1, kStartupQuitItem); }), 0);
}

TEST_F(StartupTest, AltAloneDuringTheFliesSwitchesAutomaticSelectionOff) {
  PrefsArray[PrefsSlot::AutoInterface] = 1;
  SplashScreenJPEG();
  rt::SetKeyDown(rt::key::Option, true);
  const uint32_t start = rt::TickCount();
  StartupScreen();
  EXPECT_EQ(PrefsArray[PrefsSlot::AutoInterface], 0);
  EXPECT_LT(rt::TickCount() - start, 60u) << "the flies end at once";
  ASSERT_TRUE(rt::WindowExists(kAutoSelectNoticeWindow)) << "the notice told the user about the key";
  EXPECT_TRUE(rt::SaveWindowImage(kAutoSelectNoticeWindow,
                                  (test::TestOutputDir() / "w1782-auto-select.png").string()));
  EXPECT_FALSE(rt::WindowExists(kStartupOverlayWindow));
  EXPECT_EQ(rt::FrontWindow(), kSplashWindow);
}

TEST_F(StartupTest, AltWithAnotherModifierDoesNotCountAndTheFliesRunTheirTime) {
  PrefsArray[PrefsSlot::AutoInterface] = 1;
  SplashScreenJPEG();
  rt::SetKeyDown(rt::key::Option, true);
  rt::SetKeyDown(rt::key::Shift, true);
  const uint32_t start = rt::TickCount();
  StartupScreen();
  EXPECT_EQ(PrefsArray[PrefsSlot::AutoInterface], 1);
  EXPECT_GE(rt::TickCount() - start, kFliesTicks);
  EXPECT_LT(rt::TickCount() - start, kFliesTicks + 60);
  EXPECT_TRUE(PlayedFile("shortflies.mp3") || PlayedFile("shortflies2.mp3") ||
              PlayedFile("shortflies3.mp3") || PlayedFile("shortflies4.mp3"));
  EXPECT_FALSE(PlayedFile("Guitar.mp3")) << "start-up sounds are off";
}

TEST_F(StartupTest, StartupSoundsPlayTheGuitarFirst) {
  PrefsArray[PrefsSlot::StartupSounds] = 1;
  SplashScreenJPEG();
  rt::SetKeyDown(rt::key::Option, true);
  StartupScreen();
  ASSERT_FALSE(Played().empty());
  EXPECT_EQ(Played().front(), "MVsounds/Guitar.mp3");
}

TEST_F(StartupTest, InterfaceSetUpInTestModeBuildsTheHiddenStatusStrip) {
  PrefsArray[PrefsSlot::StartupSounds] = 1;
  drive::ScriptRunner runner("start\nuntil 9\nclick 9 3\ngone 9\n");
  auto result = runner.Run([](int, char**) { SETUP_AD_DEVICE(); });
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  EXPECT_EQ(DemonstrationMODE, 1);
  ASSERT_TRUE(rt::WindowExists(kStatusStripWindow));
  EXPECT_FALSE(rt::WindowVisible(kStatusStripWindow));
  EXPECT_TRUE(PlayedFile("MVsounds/switch.mp3"));
}

// The whole road from launch to the control loop, with a document on the command line.
drive::ScriptResult Launch(const std::string& document, const std::string& script) {
  return drive::ScriptRunner("start " + document + "\n" + script).Run([](int argc, char** argv) {
    MainBody(argc, argv);
  });
}

TEST_F(StartupTest, ALoadedSetupFileSkipsTheStartupScreenAndTheInterfaceChoice) {
  const auto file = documents_ / "chamber.MVsetup";
  // A one-channel chart set-up; with the X-Y plot on, its strips are laid out for
  // this screen without asking.
  SetupRecord setup;
  setup.channels = 1;
  setup.chartTicks = 60;
  setup.scopeTicks = 1;
  setup.showXYPlot = 1;
  std::ofstream(file, std::ios::binary) << EncodeSetup(setup);
  auto run = Launch(file.string(), "until 4\ngone 4\nwait 0.3\n");
  ASSERT_TRUE(run.ok) << drive::FormatFailure(run);
  EXPECT_EQ(SetupFileName.str(), "chamber.MVsetup");
  EXPECT_EQ(PrefsArray[PrefsSlot::SetupKnownAtStart], 1);
  EXPECT_EQ(FreeRunSpeed, 3400) << "the speed test ran";
  EXPECT_FALSE(PlayedFile("shortflies.mp3")) << "no start-up screen";
  // "Startup Routines..." waits until a button is clicked, so it would still be open.
  EXPECT_FALSE(rt::WindowExists(9)) << "the External A/D Device road, not the start-up choice";
  EXPECT_NE(LastControlLoopEntry, static_cast<int16_t>(LoopEntry::ModeChoice));
}

TEST_F(StartupTest, ASetupFileThatDoesNotLoadLeavesTheNormalRoad) {
  const auto file = documents_ / "broken.MVsetup";
  std::ofstream(file) << "-9999\rgarbage\r";
  // The loader says why the file does not load, then the start-up goes on.
  auto run =
      Launch(file.string(),
             "until 668\nclick 668 1\nuntil 5\nmouse 5 100 100\nuntil 9\nclick 9 3\ngone 9\nwait 0.3\n");
  ASSERT_TRUE(run.ok) << drive::FormatFailure(run);
  EXPECT_TRUE(SetupFileName.empty());
  EXPECT_EQ(PrefsArray[PrefsSlot::SetupKnownAtStart], 0);
  EXPECT_EQ(LastControlLoopEntry, static_cast<int16_t>(LoopEntry::ModeChoice));
}

using SpeedTest = test::LaunchTest;

TEST_F(SpeedTest, SpeedFigureFromTheElapsedTicks) {
  EXPECT_EQ(SpeedFromTicks(23), 1700);
  EXPECT_EQ(SpeedFromTicks(300), 130);
  EXPECT_EQ(SpeedFromTicks(5), 8500);
  EXPECT_EQ(SpeedFromTicks(2300), 17);
  for (int ticks : {4, 3, 1, 0}) EXPECT_EQ(SpeedFromTicks(ticks), 17000) << ticks << " ticks";
  EXPECT_EQ(SpeedFromTicks(65536 + 23), 1700) << "the count is a signed 16-bit value";
  EXPECT_EQ(SpeedFromTicks(40000), 17000) << "a count that reads negative counts as one step";
}

TEST_F(SpeedTest, VerdictsChangeJustAboveTheirLimitsAndTheFastFlag) {
  for (auto [speed, verdict] : {std::pair{150, " sluglike..."},
                                {151, "  kinda slow..."},
                                {220, "  kinda slow..."},
                                {221, "  not too bad..."},
                                {370, "  not too bad..."},
                                {371, "  pretty fast..."},
                                {500, "  pretty fast..."},
                                {501, " REALLY fast..."}})
    EXPECT_EQ(SpeedVerdict(static_cast<int16_t>(speed)).str(), verdict) << speed;
  EXPECT_FALSE(SpeedIsFast(220));
  EXPECT_TRUE(SpeedIsFast(221));
}

TEST_F(SpeedTest, TheTestWindowTimesItsBurstAndCloses) {
  PrefsArray[PrefsSlot::BadReadingKeepsLast] = 1;
  Str255 title;
  int progressMaximum = 0;
  rt::SetPumpHook([&] {
    if (!rt::WindowExists(kSpeedTestWindow) || !title.empty()) return;
    title = rt::WindowTitle(kSpeedTestWindow);
    rt::SetOutputWindow(kSpeedTestWindow);
    progressMaximum = rt::ControlExists(899) ? 1 : 0;
  });
  GetSpeedEstimate();
  // On the virtual clock only the two 100 ms waits take time: 12 ticks.
  EXPECT_EQ(FreeRunSpeed, 3400);
  EXPECT_EQ(CPU_is_Fast, 1);
  EXPECT_EQ(title.str(), " Initializing... ");
  EXPECT_EQ(progressMaximum, 1) << "the progress bar stays until the window closes";
  EXPECT_FALSE(rt::WindowExists(kSpeedTestWindow));
  EXPECT_TRUE(PlayedFile("MVsounds/upvip.mp3"));
}

using InterfaceChoiceTest = test::LaunchTest;

drive::ScriptResult RunChoice(const std::string& script) {
  drive::ScriptRunner runner("start\nuntil 9\n" + script);
  return runner.Run([](int, char**) { SelectADconverter(); });
}

TEST_F(InterfaceChoiceTest, TheDefaultButtonOrAnyTypedKeyTakesTheRememberedInterface) {
  const auto shot = test::TestOutputDir() / "w9-startup-routines-dt800.png";
  for (auto [remembered, script] :
       {std::pair<int16_t, std::string>{5, "shot 9 " + shot.string() + "\nclick-label 9 DataTaker DT800\n"},
        {3, "key Return\ngone 9\n"}}) {
    SCOPED_TRACE(script);
    PrefsArray[PrefsSlot::InterfaceCode] = remembered;
    External_AD = 1;
    auto result = RunChoice(script);
    ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
    EXPECT_EQ(External_AD, remembered);
    EXPECT_EQ(DemonstrationMODE, 0);
  }
}

TEST_F(InterfaceChoiceTest, QuitEndsTheProgramWithStatusZero) {
  auto result = RunChoice("click 9 1\nexpect-exit 0\n");
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
}

// Help opens its page and leaves the window waiting; Test Mode then runs the simulation.
TEST_F(InterfaceChoiceTest, HelpLeavesTheWindowWaiting) {
  auto result = RunChoice("click 9 5\nwait 0.1\nuntil 9\nclick 9 3\ngone 9\n");
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  EXPECT_EQ(DemonstrationMODE, 1);
}

// Test Mode remembered (interface 0) starts in Test Mode: nothing is contacted, not a
// UI2 read from the 0.
TEST_F(InterfaceChoiceTest, AutomaticSelectionTakesTheRememberedInterfaceWithoutAWindow) {
  const struct { int16_t remembered, demonstration; } rows[] = {{2, 0}, {0, 1}};
  for (const auto& row : rows) {
    PrefsArray[PrefsSlot::AutoInterface] = 1;
    PrefsArray[PrefsSlot::InterfaceCode] = row.remembered;
    DemonstrationMODE = 0;
    bool choiceWindowSeen = false;
    // The interface is contacted at once; its own windows are the connection's.
    drive::ScriptRunner runner("start\nwait 0.2\n");
    auto result = runner.Run([&](int, char**) {
      rt::SetOutputWindow(0);
      SelectADconverter();
      choiceWindowSeen = rt::WindowExists(kInterfaceChoiceWindow);
    });
    ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
    EXPECT_FALSE(choiceWindowSeen);
    EXPECT_EQ(External_AD, row.remembered);
    EXPECT_EQ(DemonstrationMODE, row.demonstration) << "remembered " << row.remembered;
  }
}
}  // namespace
}  // namespace mv
