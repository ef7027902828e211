// The audible timer shares the run-start and marker hooks with the output scripts:
// installing it must keep what those hooks already do.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "acquisition/entry_points.h"
#include "acquisition/screen.h"
#include "acquisition/state.h"
#include "common/test_support.h"
#include "control/state.h"
#include "runtime/clock.h"
#include "runtime/sound.h"
#include "shell/wiring.h"

namespace mv::test {
namespace {

class TimerWiringTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    acq_hooks::ResetAcquisitionHooks();
    screen_hooks::Reset();
    setenv("MV_RESOURCES_DIR", SourcePath("resources").c_str(), 1);
    rt::SetSoundSink([this](const std::string& path) { calls.push_back(SoundFileName(path)); });
  }
  void TearDown() override {
    acq_hooks::ResetAcquisitionHooks();
    screen_hooks::Reset();
    unsetenv("MV_RESOURCES_DIR");
    ProgramTest::TearDown();
  }
  std::vector<std::string> calls;
};

TEST_F(TimerWiringTest, TheMarkerAndRunStartHooksRunTheTimerAndWhatWasThereBefore) {
  acq_hooks::X_Key_check = [this] { calls.push_back("scripts at x"); };
  acq_hooks::FirstMarkerCheck = [this] { calls.push_back("scripts at first marker"); };
  screen_hooks::StartRunServices = [this] { calls.push_back("scripts at run start"); };
  InstallWindows_timer();

  AlertSOUNDS = 1;
  StartALERT = 1;
  StartAlertMODE = 3;
  StopALERTx = 1;
  StopAlertMODE = 2;
  StopAlertSound = 4;  // "quit"
  StopAlertNotDoneYet = 1;
  screen_hooks::StartRunServices();
  EXPECT_EQ(StartAlertTime, kNeverTick) << "the timer's run state was set";
  acq_hooks::FirstMarkerCheck();
  EXPECT_EQ(StartAlertTime, static_cast<int32_t>(rt::TickCount()));
  acq_hooks::X_Key_check();
  const std::vector<std::string> expected = {"scripts at run start", "scripts at first marker", "quit.mp3",
                                             "scripts at x"};
  EXPECT_EQ(calls, expected);
}

}  // namespace
}  // namespace mv::test
