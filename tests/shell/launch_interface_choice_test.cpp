// The "Startup Routines..." window: the remembered interface's button, test mode,
// Quit, a typed key, help, and automatic selection without a window.
#include <gtest/gtest.h>

#include "devices/state.h"
#include "drive/script.h"
#include "launch_test_support.h"
#include "runtime/windows.h"
#include "shell/interface_choice.h"
#include "shell/state.h"

namespace mv {
namespace {

using InterfaceChoiceTest = test::LaunchTest;

drive::ScriptResult RunChoice(const std::string& script) {
  drive::ScriptRunner runner("start\nuntil 9\n" + script);
  return runner.Run([](int, char**) { SelectADconverter(); });
}

TEST_F(InterfaceChoiceTest, TheDefaultButtonNamesAndTakesTheRememberedInterface) {
  PrefsArray[PrefsSlot::InterfaceCode] = 5;
  External_AD = 3;
  const auto shot = test::TestOutputDir() / "w9-startup-routines-dt800.png";
  auto result = RunChoice("shot 9 " + shot.string() + "\nclick-label 9 DataTaker DT800\n");
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  EXPECT_EQ(External_AD, 5);
  EXPECT_EQ(DemonstrationMODE, 0);
}

TEST_F(InterfaceChoiceTest, AnyTypedKeyTakesTheRememberedInterface) {
  PrefsArray[PrefsSlot::InterfaceCode] = 3;
  auto result = RunChoice("key Return\ngone 9\n");
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  EXPECT_EQ(External_AD, 3);
  EXPECT_EQ(DemonstrationMODE, 0);
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

TEST_F(InterfaceChoiceTest, AutomaticSelectionTakesTheRememberedInterfaceWithoutAWindow) {
  PrefsArray[PrefsSlot::AutoInterface] = 1;
  PrefsArray[PrefsSlot::InterfaceCode] = 2;
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
  EXPECT_EQ(External_AD, 2);
}

}  // namespace
}  // namespace mv
