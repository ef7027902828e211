// The menu bar driven the way a user drives it: items chosen through the
// menu-bar window and by key equivalents typed in another window, and both
// quit roads through the guard window.
#include <algorithm>
#include <filesystem>

#include "acquisition/state.h"
#include "devices/state.h"
#include "drive/script.h"
#include "menus_test_support.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/state.h"
#include "shell/kit/protocol.h"

namespace mv {
namespace {

using namespace MenuNumber;
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
  PrefsArray[PrefsSlot::WarnUnsaved] = 1;
  PrefsArray[PrefsSlot::WeirdSounds] = 1;
  Sound_Is_On = 1;
  commands::SETALARMS = Note("SETALARMS");
  commands::TURNVALVESOFF = Note("TURNVALVESOFF");
  const auto shot = test::TestOutputDir() / "w1776-guard.png";
  std::filesystem::remove(shot);
  const std::string script =
      "start\n"
      "until 7\n"
      "menu 3 14\n"   // Large Readouts through the bar
      "key ctrl+l\n"  // and back by its key equivalent
      "menu 3 14\n"
      "key ctrl+w\n"  // Alarms...
      "key ctrl+f\n"  // Test Mode
      "key ctrl+q\n"  // Quit: the guard asks
      "until 1776\n"
      "shot 1776 " +
      shot.string() +
      "\n"
      "key n\n"
      "gone 1776\n"
      "until 7\n"
      "menu 1 12\n"  // Quit from the File menu
      "until 1776\n"
      "click 1776 2\n"
      "expect-exit 0\n";
  drive::ScriptRunner runner(script);
  auto result = runner.Run(WindowWithTheMenuBar);
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  EXPECT_TRUE(std::filesystem::exists(shot));
  EXPECT_EQ(PrefsArray[PrefsSlot::LargeReadouts], 1);
  EXPECT_EQ(DemonstrationMODE, 1);
  EXPECT_EQ(calls, (std::vector<std::string>{"SETALARMS", "TURNVALVESOFF"}));
  const auto played = Played();
  EXPECT_NE(std::find(played.begin(), played.end(), "MVsounds/switch.mp3"), played.end());
  EXPECT_NE(std::find(played.begin(), played.end(), "MVtimerSounds/don't do it.mp3"), played.end());
}

}  // namespace
}  // namespace mv
