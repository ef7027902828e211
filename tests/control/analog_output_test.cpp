// The analog outputs: the half-second gate and the commands of each interface, against
// bytes worked out by hand.
#include "control/analog_output.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/test_support.h"
#include "control/state.h"
#include "devices/scripted_port.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "runtime/clock.h"
#include "shell/state.h"

namespace mv {
namespace {

using namespace std::string_literals;

class AnalogOutputTest : public test::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    auto p = std::make_unique<ScriptedSerialPort>();
    port = p.get();
    InstallSerialPort(std::move(p));
  }
  void TearDown() override {
    CloseSerialPort();
    ProgramTest::TearDown();
  }
  // Moves the clock to the start of the tick n ticks on.
  static void Ticks(int n) {
    const uint64_t target = rt::TickCount() + static_cast<uint64_t>(n);
    rt::SetVirtualMicroseconds((target * 1'000'000 + 59) / 60);
  }
  ScriptedSerialPort* port = nullptr;
};

TEST_F(AnalogOutputTest, SableCarriesBothOutputs) {
  External_AD = ExternalADCode::SableUI2;
  AO2volts = -1.0f;
  SetAOvolts(1, 2.5f);
  EXPECT_EQ(port->Written(), "D\xFF\x07\x00\x00\r"s);  // 2047 and 0
  EXPECT_EQ(AO2volts, 0.0f);
  EXPECT_EQ(SableAnalogCommand(6.0f, 0.0f), "D\x32\x13\x00\x00\r"s);  // 4914 = 19 x 256 + 50
}

TEST_F(AnalogOutputTest, OneCommandPerHalfSecond) {
  External_AD = ExternalADCode::SableUI3;
  SetAOvolts(1, 1.0f);
  Ticks(10);
  SetAOvolts(2, 3.0f);  // dropped, value and all
  EXPECT_EQ(AO2volts, 0.0f);
  EXPECT_EQ(port->Writes().size(), 1u);
  Ticks(20);  // 30 ticks after the first: still inside the gate
  SetAOvolts(2, 3.0f);
  EXPECT_EQ(port->Writes().size(), 1u);
  Ticks(1);
  SetAOvolts(2, 3.0f);
  ASSERT_EQ(port->Writes().size(), 2u);
  EXPECT_EQ(port->Writes()[1], "D\x33\x03\x99\x09\r"s);  // 819 and 2457
}

TEST_F(AnalogOutputTest, DataTakerOutputOneOnly) {
  External_AD = ExternalADCode::DT80;
  port->ReplyNext("ok");
  SetAOvolts(1, 1.25f);
  EXPECT_EQ(port->Written(), "VO=1250\r");
  EXPECT_EQ(port->BytesWaiting(), 0);
  Ticks(31);
  SetAOvolts(1, 1.25f);  // the same volts again: nothing
  Ticks(31);
  SetAOvolts(2, 4.0f);  // output 2 never goes to a DataTaker
  Ticks(31);
  const uint32_t before = rt::TickCount();
  SetAOvolts(1, -0.5f);  // no reply: at most 5 ticks of waiting
  EXPECT_LE(rt::TickCount() - before, kDataTakerAOReplyTicks + 1);
  EXPECT_EQ(port->Written(), "VO=1250\rVO=-500\r");

  for (int16_t iface : {ExternalADCode::DT500, ExternalADCode::DT50, ExternalADCode::ADAM}) {
    External_AD = iface;
    Ticks(31);
    SetAOvolts(1, 2.0f);
    EXPECT_EQ(AO1volts, 2.0f);
  }
  EXPECT_EQ(port->Written(), "VO=1250\rVO=-500\r");
}

TEST_F(AnalogOutputTest, FirstZeroVoltsReachTheDataTaker) {
  // Nothing has been sent yet, so 0 V is a change like any other.
  External_AD = ExternalADCode::DT800;
  SetAOvolts(1, 0.0f);
  EXPECT_EQ(port->Written(), "VO=0\r");
}

TEST_F(AnalogOutputTest, VoltsBeyondTheCountRangeDoNotWrap) {
  // 50 V would wrap into a negative count; it stays at the top of the range instead.
  EXPECT_EQ(SableAnalogCommand(50.0f, 0.0f), "D\xFF\x7F\x00\x00\r"s);
  EXPECT_EQ(DataTakerAnalogCommand(40.0f), "VO=32767\r");
}

TEST_F(AnalogOutputTest, DemonstrationModeSendsNothing) {
  DemonstrationMODE = 1;
  External_AD = ExternalADCode::SableUI2;
  SetAOvolts(1, 2.0f);
  EXPECT_EQ(AO1volts, 2.0f);
  EXPECT_EQ(port->Written(), "");
}

}  // namespace
}  // namespace mv
