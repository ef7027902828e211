// The data-loss guard, the Quit procedure and the reduced menu handler, with real key
// presses and clicks delivered to the guard window; and the menu bar driven the way a
// user drives it: items chosen through the menu-bar window and by key equivalents typed
// in another window, and both quit roads through the guard window.
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "acquisition/state.h"
#include "calculators/frame.h"
#include "devices/state.h"
#include "drive/script.h"
#include "files/held_periods.h"
#include "kit/needs.h"
#include "kit/protocol.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/help.h"
#include "runtime/qt_bridge.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/state.h"
#include "shell_test_support.h"

namespace mv {
namespace {

using namespace MenuNumber;

class GuardTest : public test::MenusTest {
 protected:
  void SetUp() override {
    MenusTest::SetUp();
    MainMENU();
    PrefsArray[PrefsSlot::WarnUnsaved] = 1;
    PrefsArray[PrefsSlot::LastRunSaved] = 0;
    RecordingMODE = RecordingModeCode::Chart;
    Sample = 12345;  // a stopped run: its files hold one more
    nSamples = 12346;
    Sound_Is_On = 1;
  }
  // Each step runs once, on a pump pass while the guard window is up.
  using Step = std::function<void()>;
  void Answer(std::deque<Step> steps) {
    pending = std::move(steps);
    rt::SetPumpHook([this] {
      if (!rt::WindowExists(kGuardWindow) || pending.empty()) return;
      sawGuard = true;
      Step s = pending.front();
      pending.pop_front();
      s();
    });
  }
  static Step Key(char c) {
    return [c] { QTest::keyClick(rt::bridge::WindowWidget(kGuardWindow), c); };
  }
  static Step Button(int16_t n) {
    return [n] {
      QWidget* b = rt::bridge::ControlWidget(kGuardWindow, n);
      QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
    };
  }
  bool MenusOn() const {
    for (int16_t m = File; m <= Special; ++m)
      if (!rt::MenuItemEnabled(m, 0)) return false;
    return true;
  }

  std::deque<Step> pending;
  bool sawGuard = false;
};

TEST_F(GuardTest, NothingToLoseProceedsUnaskedAndSwitchesTheMenusBackOn) {
  struct Case {
    const char* what;
    int16_t warn, mode;
    int32_t sample;  // the samples the stopped run's files hold
    int16_t saved, kind, action;
  };
  for (Case c : {Case{"warning off", 0, 1, 500, 0, 1, 5}, Case{"no samples", 1, 1, 0, 0, 10, 7},
                 Case{"negative count", 1, 3, -1, 0, 10, 7}, Case{"scope mode", 1, 2, 500, 0, 10, 7},
                 Case{"saved", 1, 1, 500, 1, 10, 7}}) {
    SCOPED_TRACE(c.what);
    PrefsArray[PrefsSlot::WarnUnsaved] = c.warn;
    RecordingMODE = c.mode;
    nSamples = c.sample;
    Sample = std::max(c.sample - 1, 0);
    PrefsArray[PrefsSlot::LastRunSaved] = c.saved;
    PrefsArray[PrefsSlot::GuardAnswer] = 0;
    Action = 7;
    Answer({Key('n')});
    MAKESURE(c.kind);
    EXPECT_FALSE(sawGuard);
    EXPECT_EQ(PrefsArray[PrefsSlot::GuardAnswer], 1);
    EXPECT_EQ(Action, c.action) << "a redraw only where a command proceeds";
    EXPECT_TRUE(MenusOn());
    EXPECT_TRUE(Played().empty());
  }
}

// A period whose automatic save failed is held in memory only: whatever the present
// run's state says, the guard asks until a save has written it.
TEST_F(GuardTest, APeriodWhoseSaveFailedKeepsTheGuardAsking) {
  struct Case {
    const char* what;
    int16_t mode;
    int32_t sample;
    int16_t saved;
  };
  HeldPeriods.push_back(HeldPeriod{});
  for (Case c : {Case{"present run saved", 1, 500, 1}, Case{"no samples yet", 1, 0, 0},
                 Case{"scope mode", 2, 500, 0}}) {
    SCOPED_TRACE(c.what);
    RecordingMODE = c.mode;
    nSamples = c.sample;
    Sample = std::max(c.sample - 1, 0);
    PrefsArray[PrefsSlot::LastRunSaved] = c.saved;
    sawGuard = false;
    Answer({Key('n')});
    MAKESURE(10);
    EXPECT_TRUE(sawGuard);
    EXPECT_EQ(PrefsArray[PrefsSlot::GuardAnswer], 0);
  }
  HeldPeriods.clear();
}

// The guard names the samples a "yes" would lose: the held periods' and, while it is
// unsaved, the stopped run's as its files hold them (one more than Sample after the
// stop); never the run's own samples once a save has written them. A run of one sample
// (Sample 0 after the stop) used to be dropped unasked.
TEST_F(GuardTest, TheCountIsOfTheSamplesThatWouldReallyBeLost) {
  struct Case {
    const char* what;
    int16_t mode, saved;
    int held;  // periods of 100 samples
    int64_t count;
    int32_t runSamples = 100;
    bool recording = false;  // the run still records: Sample counts its samples
  };
  for (Case c :
       {Case{"run saved, three periods held", 1, 1, 3, 300}, Case{"run unsaved, periods held", 1, 0, 3, 400},
        Case{"run unsaved", 3, 0, 0, 100}, Case{"scope mode, one period held", 2, 0, 1, 100},
        Case{"a run of one sample", 1, 0, 0, 1, 1}, Case{"a run still recording", 1, 0, 0, 7, 7, true}}) {
    SCOPED_TRACE(c.what);
    RecordingMODE = c.mode;
    RecordingLoopRunning = c.recording ? 1 : 0;
    nSamples = c.recording ? 0 : c.runSamples;
    Sample = c.recording ? c.runSamples : c.runSamples - 1;
    PrefsArray[PrefsSlot::LastRunSaved] = c.saved;
    HeldPeriods.clear();
    for (int i = 0; i < c.held; ++i) {
      HeldPeriods.push_back(HeldPeriod{});
      HeldPeriods.back().facts.samples = 100;
    }
    EXPECT_EQ(SamplesNotSaved(), c.count);
  }
  RecordingLoopRunning = 0;
  HeldPeriods.clear();
}

TEST_F(GuardTest, ButtonsAndLettersAnswer) {
  struct Case {
    const char* what;
    Step step;
    int16_t answer;
    int32_t eventID;
  };
  const std::vector<Case> cases = {{"NO button", Button(1), 0, 1},
                                   {"Yes button", Button(2), 1, 2},
                                   {"N", Key('N'), 0, 1},
                                   {"y", Key('y'), 1, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sawGuard = false;
    Answer({c.step});
    MAKESURE(1);
    EXPECT_TRUE(sawGuard);
    EXPECT_EQ(PrefsArray[PrefsSlot::GuardAnswer], c.answer);
    EXPECT_EQ(EventID, c.eventID);
    EXPECT_EQ(Action, 5);
    EXPECT_FALSE(rt::WindowExists(kGuardWindow));
    EXPECT_TRUE(MenusOn());
  }
}

TEST_F(GuardTest, OtherKeysAndTheCloseBoxAreNoAnswer) {
  Answer({Key('x'), Key('q'), Key('1'), [] { doDIALOG(4, kGuardWindow); }, Key('y')});
  MAKESURE(1);
  EXPECT_TRUE(pending.empty()) << "every step ran before the answer";
  EXPECT_EQ(PrefsArray[PrefsSlot::GuardAnswer], 1);
}

TEST_F(GuardTest, SoundsOfEachRoad) {
  struct Case {
    const char* what;
    int16_t kind, weird;
    int32_t sound;
    Step answer;
    std::vector<std::string> played;
  };
  const std::string scream = "MVsounds/scream.mp3", dont = "MVtimerSounds/don't do it.mp3";
  const std::vector<Case> cases = {
      {"asked, no", 1, 1, 1, Key('n'), {scream, dont}},
      {"quit, yes", 0, 1, 1, Key('y'), {scream, dont, "MVsounds/skid.mp3", "MVsounds/cat.mp3"}},
      {"mode change, yes", 10, 1, 1, Key('y'), {scream, dont, "MVsounds/rip.mp3"}},
      {"plain sounds: the beep, and nothing on yes", 0, 0, 1, Key('y'), {"SysBeep"}},
      {"sounds off", 0, 1, 0, Key('y'), {"SysBeep"}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PrefsArray[PrefsSlot::WeirdSounds] = c.weird;
    Sound_Is_On = c.sound;
    sounds.clear();
    Answer({c.answer});
    MAKESURE(c.kind);
    EXPECT_EQ(Played(), c.played);
  }
}

TEST_F(GuardTest, QuitSwitchesDevicesOffOnlyWithAnInterfaceOrDemonstration) {
  commands::TURNVALVESOFF = Note("TURNVALVESOFF");
  struct Case {
    int16_t code, demo;
    char answer;
    bool off;
  };
  for (Case c : {Case{1, 0, 'n', false}, Case{1, 0, 'y', true}, Case{0, 1, 'y', true}, Case{0, 0, 'y', false},
                 Case{8, 0, 'y', true}}) {
    SCOPED_TRACE(testing::Message() << c.code << " " << c.demo << " " << c.answer);
    External_AD = c.code;
    DemonstrationMODE = c.demo;
    calls.clear();
    Answer({Key(c.answer)});
    EXPECT_EQ(test::ExitStatusOf(QuitProgram), c.answer == 'y' ? 0 : -1) << "a no leaves everything running";
    EXPECT_EQ(calls.size(), c.off ? 1u : 0u);
  }
}

// Ctrl-Q in the guard window, whichever road asked: through Quit, or straight from the
// options window's Quit, record-again and change-mode buttons. The guard asked from
// the options window used to open a second guard over itself; after that one's "N",
// the first took the next click of any window as its answer.
TEST_F(GuardTest, QuitWhileTheGuardAsksIsNoSecondQuestionNorAnswer) {
  struct Road {
    const char* what;
    std::function<void()> ask;
  };
  const std::vector<Road> roads = {{"Quit", [] { QuitProgram(); }},
                                   {"options window's Quit", [] { MAKESURE(0); }},
                                   {"record again", [] { MAKESURE(1); }},
                                   {"change of mode", [] { MAKESURE(10); }}};
  for (const Road& road : roads) {
    SCOPED_TRACE(road.what);
    sounds.clear();
    int quitsInside = 0;
    Answer({[&] {
              ++quitsInside;
              services::Quit();  // Ctrl-Q in the guard window
              EXPECT_TRUE(rt::WindowExists(kGuardWindow));
            },
            Key('n'), Key('y')});
    EXPECT_NO_THROW(road.ask());
    EXPECT_EQ(quitsInside, 1);
    EXPECT_EQ(pending.size(), 1u) << "one guard, answered once";
    EXPECT_EQ(PrefsArray[PrefsSlot::GuardAnswer], 0);
    const std::vector<std::string> played = Played();
    EXPECT_EQ(std::count(played.begin(), played.end(), "MVsounds/scream.mp3") +
                  std::count(played.begin(), played.end(), "SysBeep"),
              1)
        << "one question";
  }
}

// The guard answers only from its own window: a click on button 1 or 2 of the window
// in front once the guard's has gone is no answer (and a guard without its window
// loses nothing).
TEST_F(GuardTest, AGuardWithoutItsWindowAnswersNo) {
  Answer({[] {
    rt::CloseWindow(kGuardWindow);
    doDIALOG(1, 2);  // "Save Data" of the options window, say
  }});
  MAKESURE(0);
  EXPECT_EQ(PrefsArray[PrefsSlot::GuardAnswer], 0);
}

TEST_F(GuardTest, ShortMenuOpensOnlyTheCalculatorsItNamesButNotesEveryChoice) {
  commands::SAVEFILES = Note("SAVEFILES");
  for (int16_t i = 1; i <= 19; ++i) {
    SCOPED_TRACE(i);
    // A calculator that opens is noted by its item and its window's title, then closed.
    test::LoopDriver driver;
    driver.WaitFor(calc::kCalculatorWindow)
        .Check([this, i] {
          calls.push_back(std::to_string(i) + ":" + rt::WindowTitle(calc::kCalculatorWindow).str());
        })
        .Check([] { doDIALOG(ActionCode::CloseBox, calc::kCalculatorWindow); });
    MENUID = 0;
    ShortMENU(Special, i);
    EXPECT_FALSE(rt::WindowExists(calc::kCalculatorWindow));
    if (driver.Finished()) {
      EXPECT_EQ(MENUID, 255) << "a calculator run is a menu command carried out";
    }
  }
  ShortMENU(File, 1);
  extswitchflag = 0;
  ShortMENU(View, 14);
  ASSERT_EQ(calls.size(), 4u);
  const std::pair<std::string, std::string> opened[] = {{"1:", "Simple Math"},
                                                        {"5:", "Flow System STP Converter"},
                                                        {"6:", "Altitude and Pressure"},
                                                        {"12:", "Minimum Flowrate"}};
  for (std::size_t k = 0; k < calls.size(); ++k) {
    EXPECT_EQ(calls[k].rfind(opened[k].first, 0), 0u) << calls[k];
    EXPECT_NE(calls[k].find(opened[k].second), std::string::npos) << calls[k];
  }
  EXPECT_EQ(PrefsArray[PrefsSlot::LargeReadouts], 0);
  EXPECT_EQ(MENUID, View);
  EXPECT_EQ(extswitchflag, 1);
}

TEST_F(GuardTest, ShortMenuHelpAndAbout) {
  ShortMENU(Help, 1);
  EXPECT_NE(rt::HelpPageShown().find("Mirevant help book.html"), std::string::npos);
  rt::CloseHelpWindow();
  // The About window ends on its Close button.
  rt::SetPumpHook([] {
    if (QWidget* b = rt::bridge::ControlWidget(33, 112))
      QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
  });
  Action = 5;
  ShortMENU(Application, 1);
  EXPECT_EQ(MENUID, 255);
  EXPECT_EQ(Action, 0) << "the calling window has nothing to redraw";
}

using MenuScriptTest = test::MenusTest;

constexpr int16_t kWindow = 7;

// A window with the full menu bar, as the mode window has it: it re-installs
// the dispatcher after every pass and ends on its close box.
void WindowWithTheMenuBar(int, char**) {
  InstallMenuServices();
  MainMENU();
  rt::OpenWindow(kWindow, " Menus ", Rect{60, 60, 460, 260}, 6);
  rt::FillWindow(RGBColor{0xEEEE, 0xEEEE, 0xEEEE});
  Action = 0;
  EventID = 0;
  for (;;) {
    InstallDialogHandlers(DoMENU);
    rt::PumpEvents();
    if (Action == ActionCode::CloseBox && EventID == kWindow) break;
    Action = 0;
  }
  rt::ExitProgram(3);
}

TEST_F(MenuScriptTest, ItemsChosenThroughTheBarAndByKeysAndBothQuitRoads) {
  rt::UseVirtualClock(false);
  RecordingMODE = RecordingModeCode::Chart;
  Sample = 12345;
  nSamples = 12346;
  PrefsArray[PrefsSlot::WarnUnsaved] = 1;
  PrefsArray[PrefsSlot::WeirdSounds] = 1;
  Sound_Is_On = 1;
  commands::TURNVALVESOFF = Note("TURNVALVESOFF");
  const auto shot = test::TestOutputDir() / "w1776-guard.png";
  std::filesystem::remove(shot);
  // Large Readouts through the bar, back by its key equivalent and on again through the
  // bar; Alarms... (its window answered OK) and Test Mode by their keys; Quit by its key,
  // which the guard's No answers; then Quit from the File menu, which the guard's Yes
  // lets through.
  const std::string script =
      "start\nuntil 7\nmenu 3 14\nkey ctrl+l\nmenu 3 14\nkey ctrl+w\nuntil 5\nclick 5 991\ngone 5\n"
      "until 7\nkey ctrl+f\n"
      "key ctrl+q\nuntil 1776\nshot 1776 " +
      shot.string() +
      "\nkey n\ngone 1776\n"
      "until 7\nmenu 1 12\nuntil 1776\nclick 1776 2\nexpect-exit 0\n";
  drive::ScriptRunner runner(script);
  auto result = runner.Run(WindowWithTheMenuBar);
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  EXPECT_TRUE(std::filesystem::exists(shot));
  EXPECT_EQ(PrefsArray[PrefsSlot::LargeReadouts], 1);
  EXPECT_EQ(DemonstrationMODE, 1);
  EXPECT_EQ(calls, (std::vector<std::string>{"TURNVALVESOFF"}));
  EXPECT_TRUE(PlayedFile("MVsounds/switch.mp3"));
  EXPECT_TRUE(PlayedFile("MVtimerSounds/don't do it.mp3"));
}
}  // namespace
}  // namespace mv
