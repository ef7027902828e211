// The whole program in demonstration mode, where a modal window must answer only
// its own window and a recording must never open one: the roads by which a user
// could lose a recording through the data-loss guard itself.
#include <gtest/gtest.h>

#include <string>

#include "acquisition/state.h"
#include "drive/script.h"
#include "e2e/program_run_fixture.h"
#include "kit/state.h"
#include "runtime/windows.h"
#include "shell/main_body.h"

namespace mv {
namespace {

using ModalRoadE2E = test::ProgramRunTest;

// Launch, Test Mode, a chart of one channel, its dialogs and the set-up window.
std::string ToARecording() {
  return "start\nuntil 5\nmouse 5 270 150\ngone 15\nuntil 9\nclick-label 9 Test Mode\ngone 9\n"
         "until 310\nclick 310 101\nkey Return\ngone 310\nuntil 9\nclick 9 14\n" +
         test::ChannelDialogs() + "until 104\nclick 104 203\ngone 104\npanel cancel\nuntil 1\nwait 0.3\n";
}

std::string StopWithEscape() {
  return "hold Escape\nuntil 112\nrelease Escape\n";
}

// Quit from the options window, through the guard (the run is not saved).
std::string QuitThroughTheGuard() {
  return "click 112 6\nuntil 1776\nclick 1776 2\nexpect-exit 0\n";
}

drive::ScriptResult RunProgram(const std::string& script) {
  drive::ScriptRunner runner(script);
  return runner.Run([](int argc, char** argv) { MainBody(argc, argv); });
}

int32_t LastMarkerCode() {
  return Nmarkers > 0 ? MarkersArray[Nmarkers].code : 0;
}

TEST_F(ModalRoadE2E, AClickOnTheWindowBehindTheGuardLeavesTheGuardAsking) {
  // "Record again" opens the guard; "Save data" of the options window behind it is
  // clicked (the click that used to answer "yes" and throw the run away), then the
  // guard is answered "no" with the key, and the options window still works.
  const auto result = RunProgram(ToARecording() + StopWithEscape() +
                                 "click 112 1\nuntil 1776\n"
                                 "click 112 2\nwait 0.3\nuntil 1776 0.1\n"
                                 "key n\ngone 1776\nuntil 112\n" +
                                 QuitThroughTheGuard());
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  EXPECT_GT(nSamples, 0);
}

TEST_F(ModalRoadE2E, CtrlQInARecordingEndsItWithAQMarkerAndOpensNoWindowInside) {
  // A tap of Ctrl-Q (too short for the key map's look) ends the run with a "Q"
  // marker and brings the options window; the guard never opens inside the run.
  const auto result = RunProgram(ToARecording() + "key ctrl+q\nuntil 112 5\n" + QuitThroughTheGuard());
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  EXPECT_EQ(LastMarkerCode(), 'Q');
  EXPECT_EQ(RecordingLoopRunning, 0);
}

TEST_F(ModalRoadE2E, AboutClosedByAMenuCommandLeavesTheOptionsWindowWorking) {
  // About from the options window, then View > Large Readouts closes About under
  // its loop: the loop ends, and the options window answers its key "r" (the guard
  // asks, "n" keeps the run) and Quit.
  const auto result = RunProgram(ToARecording() + StopWithEscape() +
                                 "menu 254 1\nuntil 33\nmenu 3 14\ngone 33\n"
                                 "key r\nuntil 1776\nkey n\ngone 1776\nuntil 112\n" +
                                 QuitThroughTheGuard());
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
}

TEST_F(ModalRoadE2E, ACalculatorOpenedFromTheOptionsWindowsMenuLeavesTheMenuBarWorking) {
  // Simple Math from the Special menu over the options window, closed with Done;
  // then Altitude from the same menu, closed; then File > Quit asks the guard.
  const auto result = RunProgram(ToARecording() + StopWithEscape() +
                                 "menu 6 1\nuntil 8\nclick 8 41\ngone 8\n"
                                 "menu 6 6\nuntil 8 2\nclick 8 4\ngone 8\n"
                                 "menu 1 12\nuntil 1776 2\nclick 1776 2\nexpect-exit 0\n");
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
}

TEST_F(ModalRoadE2E, AHeldPressOnRecordAgainNeverOpensTheGuardBeforeItIsReleased) {
  // The press rests on the left of the "Record again" picture button: nothing
  // happens until it is released, when the button's click opens the guard once.
  const auto result = RunProgram(ToARecording() + StopWithEscape() +
                                 "press 112 1\nwait 0.3\ngone 1776 0.1\nunpress 112 1\nuntil 1776\n"
                                 "key n\ngone 1776\nuntil 112\n" +
                                 QuitThroughTheGuard());
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
}

}  // namespace
}  // namespace mv
