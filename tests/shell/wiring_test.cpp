// The dispatcher reaches the ADC-1 reader with the recording's sample beep wired, and
// installing a group of windows puts its parts behind the hooks: the audible timer
// beside the output scripts on the run-start and marker hooks, which keep what they
// already did.
#include "shell/wiring.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "acquisition/install.h"
#include "acquisition/needs.h"
#include "acquisition/screen.h"
#include "acquisition/state.h"
#include "common/test_support.h"
#include "control/state.h"
#include "control/switching_schedule.h"
#include "devices/dispatcher.h"
#include "devices/scripted_port.h"
#include "devices/state.h"
#include "kit/needs.h"
#include "runtime/clock.h"
#include "runtime/sound.h"
#include "setup/state.h"

namespace mv::test {
namespace {

using namespace std::string_literals;

class WiringTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    acq_hooks::ResetAcquisitionHooks();
    setenv("MV_RESOURCES_DIR", SourcePath("resources").c_str(), 1);
    rt::SetSoundSink([this](const std::string& path) { calls.push_back(SoundFileName(path)); });
  }
  void TearDown() override {
    CloseSerialPort();
    services::ResetServices();
    acq_hooks::ResetAcquisitionHooks();
    unsetenv("MV_RESOURCES_DIR");
    ProgramTest::TearDown();
  }
  std::vector<std::string> calls;
};

TEST_F(WiringTest, ReadingAnAdc1ChannelReachesTheConverter) {
  auto p = std::make_unique<ScriptedSerialPort>();
  ScriptedSerialPort* port = p.get();
  InstallSerialPort(std::move(p));
  InstallAcquisitionServices();
  External_AD = ExternalADCode::ADC1;
  GainSet = 2;
  ChannelVariables[1][1] = 1;
  for (const std::string& reply : {"\x00"s, "\x1F"s, "\xFF"s}) port->ReplyNext(reply);
  ReadExternalADValue(1, 0);
  EXPECT_EQ(port->Written(), "\x00\xA1\x91"s);
  EXPECT_FLOAT_EQ(volts, 0.4095f);
}

TEST_F(WiringTest, TheRunStartAndMarkerServicesReachTheTimerWhicheverInstallComesFirst) {
  // The run's services are composed in one written order, not by the order the
  // subsystems' installs happen to run in: the marker hooks hold that composition from
  // the start, and start-up installs nothing over them.
  InstallServices();

  AlertSOUNDS = 1;
  StartALERT = 1;
  StartAlertMODE = 3;
  StopALERTx = 1;
  StopAlertMODE = 2;
  StopAlertSound = 4;  // "quit"
  StopAlertNotDoneYet = 1;
  RunServicesAtStart();
  EXPECT_EQ(StartAlertTime, kNeverTick) << "the timer's run state was set";
  acq_hooks::FirstMarkerCheck();
  EXPECT_EQ(StartAlertTime, static_cast<int32_t>(rt::TickCount()));
  acq_hooks::X_Key_check();
  EXPECT_EQ(calls, (std::vector<std::string>{"quit.mp3"}));
}

}  // namespace
}  // namespace mv::test
