// Installing the ADC-1 group puts its reader behind the dispatcher's hook.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/test_support.h"
#include "devices/dispatcher.h"
#include "devices/scripted_port.h"
#include "devices/state.h"
#include "setup/state.h"
#include "shell/kit/services.h"
#include "shell/wiring.h"

namespace mv::test {
namespace {

using namespace std::string_literals;

class Adc1WiringTest : public ProgramTest {
 protected:
  void TearDown() override {
    CloseSerialPort();
    services::ResetServices();
    ProgramTest::TearDown();
  }
};

TEST_F(Adc1WiringTest, ReadingAnAdc1ChannelReachesTheConverter) {
  auto p = std::make_unique<ScriptedSerialPort>();
  ScriptedSerialPort* port = p.get();
  InstallSerialPort(std::move(p));
  InstallWindows_adc1();
  External_AD = ExternalADCode::ADC1;
  GainSet = 2;
  ChannelVariables[1][1] = 1;
  port->ReplyNext("\x00"s);
  port->ReplyNext("\x1F"s);
  port->ReplyNext("\xFF"s);
  ReadExternalADValue(1, 0);
  EXPECT_EQ(port->Written(), "\x00\xA1\x91"s);
  EXPECT_FLOAT_EQ(volts, 0.4095f);
}

}  // namespace
}  // namespace mv::test
