// The analog outputs: the half-second gate and the commands of each interface, against
// bytes worked out by hand.
#include "control/analog_output.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include "common/test_support.h"
#include "control/state.h"
#include "devices/connection.h"
#include "devices/scripted_port.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/menus.h"

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
}

// The Sable converters are 12-bit: 4,095 counts (5 V) is the top, whatever is asked.
TEST_F(AnalogOutputTest, SableCountsStayWithinTwelveBits) {
  EXPECT_EQ(SableAnalogCommand(5.0f, 0.0f), "D\xFF\x0F\x00\x00\r"s);   // 4095
  EXPECT_EQ(SableAnalogCommand(6.0f, 0.0f), "D\xFF\x0F\x00\x00\r"s);   // not 4914
  EXPECT_EQ(SableAnalogCommand(0.0f, 50.0f), "D\x00\x00\xFF\x0F\r"s);  // not 32767
}

// At most one command per half second, and no value lost to that gate: a value asked
// for inside it is stored at once and goes out on the first pass after it opens.
TEST_F(AnalogOutputTest, AValueInsideTheGateIsSentWhenItOpens) {
  External_AD = ExternalADCode::SableUI3;
  SetAOvolts(1, 1.0f);
  Ticks(10);
  SetAOvolts(2, 3.0f);
  EXPECT_EQ(AO2volts, 3.0f);
  EXPECT_TRUE(AOvoltsPending());
  EXPECT_EQ(port->Writes().size(), 1u);
  Ticks(20);  // 30 ticks after the first: still inside the gate
  PumpAOvolts();
  EXPECT_EQ(port->Writes().size(), 1u);
  Ticks(1);
  PumpAOvolts();
  ASSERT_EQ(port->Writes().size(), 2u);
  EXPECT_EQ(port->Writes()[1], "D\x33\x03\x99\x09\r"s);  // 819 and 2457: both outputs
  EXPECT_FALSE(AOvoltsPending());
  PumpAOvolts();  // nothing waits: nothing more is sent
  Ticks(40);
  PumpAOvolts();
  EXPECT_EQ(port->Writes().size(), 2u);
}

// The run's end and Quit do not wait on a pass that will never come: the flush waits
// at most for the gate, then sends.
TEST_F(AnalogOutputTest, FlushSendsThePendingValueWithinTheGate) {
  External_AD = ExternalADCode::SableUI2;
  SetAOvolts(1, 1.0f);
  const uint32_t first = rt::TickCount();
  Ticks(3);
  SetAOvolts(1, 2.0f);
  FlushAOvolts();
  ASSERT_EQ(port->Writes().size(), 2u);
  EXPECT_EQ(port->Writes()[1], "D\x66\x06\x00\x00\r"s);  // 1638
  EXPECT_GE(rt::TickCount(), first + kAOUpdateGapTicks + 1);
  EXPECT_LE(rt::TickCount(), first + kAOUpdateGapTicks + 2);
}

// Every value is brought within the interface's output range before it is stored and
// sent: 5 V either way, 10 V on the DT800.
TEST_F(AnalogOutputTest, EveryValueIsLimitedToTheOutputRange) {
  struct Case {
    int16_t iface;
    float asked;
    std::string sent;
  };
  const Case cases[] = {
      {ExternalADCode::SableUI3, 24.0f, "D\xFF\x0F\x00\x00\r"s},  // 5 V, not 19,656 counts
      {ExternalADCode::DT800, 24.0f, "VO=10000\r"},
      {ExternalADCode::DT800, -12.0f, "VO=-10000\r"},
      {ExternalADCode::DT80, 7.5f, "VO=5000\r"},
      {ExternalADCode::DT85, -7.5f, "VO=-5000\r"},
  };
  for (const Case& c : cases) {
    External_AD = c.iface;
    Ticks(31);
    const size_t before = port->Writes().size();
    SetAOvolts(1, c.asked);
    ASSERT_EQ(port->Writes().size(), before + 1) << c.asked;
    EXPECT_EQ(port->Writes().back(), c.sent);
  }
}

TEST_F(AnalogOutputTest, DataTakerOutputOneOnly) {
  External_AD = ExternalADCode::DT80;
  SetAOvolts(2, 4.0f);  // before anything went out: no command carries output 1's volts
  EXPECT_EQ(port->Written(), "");
  Ticks(31);
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
  EXPECT_EQ(DataTakerAnalogCommand(40.0f), "VO=32767\r");
}

// An output whose script or feedback items the D-A menu offers reaches the interface:
// volts asked for on it go out on the line. Every interface is checked (the
// demonstration stands in for one and sends nothing by design).
TEST_F(AnalogOutputTest, EveryOutputTheMenuOffersReachesTheInterface) {
  constexpr int16_t kDAMenu = 5;
  rt::NewMenu(kDAMenu, "D-A");
  for (int16_t i = 1; i <= 8; ++i) rt::SetMenuItem(kDAMenu, i, "item");
  for (const int16_t iface : {1, 2, 3, 4, 5, 6, 7, 8, 9, 11}) {
    External_AD = iface;
    for (int16_t i = 1; i <= 8; ++i) rt::EnableMenuItem(kDAMenu, i, true);
    AOmenuAdjust();
    // Output 1's script is item 1; output 2's is item 4, its feedback items 2 and 5.
    const bool out1 = rt::MenuItemEnabled(kDAMenu, 1);
    const bool out2 =
        rt::MenuItemEnabled(kDAMenu, 4) || rt::MenuItemEnabled(kDAMenu, 2) || rt::MenuItemEnabled(kDAMenu, 5);
    EXPECT_EQ(rt::MenuItemEnabled(kDAMenu, 7), out1 || out2) << "scripts opened for interface " << iface;
    for (const auto& [out, offered] : {std::pair{int16_t{1}, out1}, std::pair{int16_t{2}, out2}}) {
      if (!offered) continue;
      Ticks(31);
      port->ReplyNext("ok");
      const std::size_t before = port->Writes().size();
      SetAOvolts(out, 0.25f * static_cast<float>(iface));  // new volts each time, within every range
      EXPECT_EQ(port->Writes().size(), before + 1) << "output " << out << " of interface " << iface;
      port->Discard();
    }
  }
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
