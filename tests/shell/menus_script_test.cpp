// The menu bar driven the way a user drives it: items chosen through the
// menu-bar window and by key equivalents typed in another window, both quit
// roads through the guard window; and a picture of every menu.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>
#include <algorithm>
#include <filesystem>
#include <functional>

#include "acquisition/state.h"
#include "devices/state.h"
#include "drive/script.h"
#include "menus_test_support.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/qt_bridge.h"
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

// Saves the bar and every menu and submenu as the menu-bar window shows them.
TEST_F(MenuScriptTest, PictureOfEveryMenu) {
  nChannels = 3;
  External_AD = ExternalADCode::DT800;
  Sound_Is_On = 1;
  PrefsArray[PrefsSlot::TimeGrids] = 1;
  SignificantFigures = 5;
  MainMENU();
  MENU_100();
  QWidget* barWindow = rt::bridge::MenuBarWindow();
  ASSERT_NE(barWindow, nullptr);
  auto* bar = barWindow->findChild<QMenuBar*>();
  ASSERT_NE(bar, nullptr);
  const auto dir = test::TestOutputDir();
  ASSERT_TRUE(barWindow->grab().save(QString::fromStdString((dir / "menu-bar.png").string())));
  int saved = 0;
  // File names from the titles: lower case, a dash for each blank.
  auto fileName = [](QString title) { return title.trimmed().toLower().replace(' ', '-').toStdString(); };
  std::function<void(QMenu*, const std::string&)> save = [&](QMenu* menu, const std::string& name) {
    menu->adjustSize();
    const auto path = dir / ("menu-" + name + ".png");
    if (menu->grab().save(QString::fromStdString(path.string()))) ++saved;
    for (QAction* a : menu->actions())
      if (a->menu()) save(a->menu(), name + "-" + fileName(a->text()));
  };
  for (QAction* a : bar->actions())
    if (a->menu()) save(a->menu(), fileName(a->text()));
  EXPECT_EQ(bar->actions().size(), 8);
  EXPECT_GE(saved, 8 + 8) << "eight menus and their eight submenus";
}

}  // namespace
}  // namespace mv
