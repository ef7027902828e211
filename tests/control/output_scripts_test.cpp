// The output scripts at run time on the virtual clock: holds, ramps, loops, marker
// starts and ends, with the volts written out by hand from the step table.
#include "control/output_scripts.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "acquisition/state.h"
#include "common/test_support.h"
#include "control/analog_output.h"
#include "control/state.h"
#include "devices/scripted_port.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "kit/state.h"
#include "runtime/clock.h"

namespace mv {
namespace {

struct Sent {
  int32_t tick;
  float v1, v2;
  bool operator==(const Sent&) const = default;
};

class OutputScriptsTest : public test::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    auto p = std::make_unique<ScriptedSerialPort>();
    port = p.get();
    InstallSerialPort(std::move(p));
    External_AD = ExternalADCode::SableUI2;  // carries both outputs' volts
  }
  void TearDown() override {
    CloseSerialPort();
    ProgramTest::TearDown();
  }
  static void AtTick(int64_t t) {
    rt::SetVirtualMicroseconds((static_cast<uint64_t>(t) * 1'000'000 + 59) / 60);
  }
  // Output `col` 1 or 4: steps of (volts, minutes, next).
  static void Script(int col, std::vector<std::array<float, 3>> steps) {
    AOscript[0][col] = static_cast<float>(steps.size());
    for (size_t r = 0; r < steps.size(); ++r)
      for (int c = 0; c < 3; ++c) AOscript[r + 1][col + c] = steps[r][static_cast<size_t>(c)];
  }
  // The Sable commands sent so far, decoded to volts (counts / 819).
  std::vector<Sent> Commands() const {
    std::vector<Sent> out;
    for (size_t i = 0; i < port->Writes().size(); ++i) {
      const std::string& w = port->Writes()[i];
      const auto u = [&](int k) { return static_cast<unsigned char>(w[static_cast<size_t>(k)]); };
      out.push_back({i < ticks.size() ? ticks[i] : -1, static_cast<float>(u(1) + 256 * u(2)) / 819.0f,
                     static_cast<float>(u(3) + 256 * u(4)) / 819.0f});
    }
    return out;
  }
  // Passes of the recording loop every tick from `from` to `to`, noting the tick of
  // each command.
  void Run(int64_t from, int64_t to) {
    for (int64_t t = from; t <= to; ++t) {
      AtTick(t);
      const size_t before = port->Writes().size();
      checkAOscript();
      if (port->Writes().size() > before) ticks.push_back(static_cast<int32_t>(t));
    }
  }
  void StartAt(int64_t t) {
    AtTick(t);
    StartOutputScripts();
    if (!port->Writes().empty()) ticks.push_back(static_cast<int32_t>(t));
  }
  ScriptedSerialPort* port = nullptr;
  std::vector<int32_t> ticks;
};

TEST_F(OutputScriptsTest, HoldStepsThenEndVolts) {
  AO1on = 1;
  AO1endMode = 1;
  AOscript[2][0] = 1.0f;
  Script(1, {{2, 1, 2}, {4, 2, 3}, {0, 1, 4}});
  StartAt(100);
  Run(101, 100 + 14'500);
  const std::vector<Sent> c = Commands();
  ASSERT_EQ(c.size(), 4u);
  EXPECT_EQ(c[0].tick, 100);
  EXPECT_EQ(c[1].tick, 100 + 3'601);
  EXPECT_EQ(c[2].tick, 100 + 10'802);
  EXPECT_EQ(c[3].tick, 100 + 14'403);
  EXPECT_NEAR(c[0].v1, 2.0f, 0.002f);
  EXPECT_NEAR(c[1].v1, 4.0f, 0.002f);
  EXPECT_NEAR(c[2].v1, 0.0f, 0.002f);
  EXPECT_NEAR(c[3].v1, 1.0f, 0.002f);
  EXPECT_EQ(DoAO1, 0);
}

TEST_F(OutputScriptsTest, RampRisesInHalfSecondCommands) {
  AO1on = 1;
  Script(1, {{2, 1, 2}, {4, -2, 3}});
  StartAt(100);
  Run(101, 100 + 3'601 + 7'200 + 5);
  const std::vector<Sent> c = Commands();
  // Start, then the ramp from 3,701 on: one command every 31 ticks.
  ASSERT_GT(c.size(), 200u);
  for (size_t i = 2; i < c.size(); ++i) {
    EXPECT_GE(c[i].tick - c[i - 1].tick, 31);
    const double f = (c[i].tick - (100.0 + 3'601)) / 7'200.0;
    if (f <= 1) {
      EXPECT_NEAR(c[i].v1, 2 + 2 * f, 0.002) << c[i].tick;
    }
  }
  EXPECT_NEAR(c.back().v1, 4.0f, 0.01f);
}

TEST_F(OutputScriptsTest, LoopRepeatsUntilItsMarker) {
  AO2on = 1;
  AO2endMode = 0;
  AOscript[10][0] = 3;  // ends at "q"
  Script(4, {{1, 1, 2}, {3, 1, 1}});
  StartAt(100);
  Run(101, 100 + 4 * 3'601);
  EXPECT_EQ(DoAO2, 1);
  EXPECT_EQ(Commands().size(), 5u);
  ScriptsAtEndMarker(3);
  Run(100 + 4 * 3'601 + 1, 100 + 8 * 3'601);
  EXPECT_EQ(DoAO2, 0);
  EXPECT_EQ(Commands().size(), 5u);  // end mode 0: the volts stay
}

TEST_F(OutputScriptsTest, FirstMarkerAndMarkerSStarts) {
  AO1on = AO2on = 1;
  AOscript[7][0] = 2;  // output 1 at the first marker
  AOscript[9][0] = 3;  // output 2 at each "s"
  Script(1, {{2, 10, 2}});
  Script(4, {{3, 10, 2}});
  StartAt(100);
  EXPECT_TRUE(Commands().empty());
  AtTick(200);
  ScriptsAtFirstMarker();  // a switch marker counts like any other
  EXPECT_EQ(DoAO1, 1);
  // A switch marker "S" does not start output 2; an "s" does.
  Nmarkers = 1;
  MarkersArray[1].code = 'S';
  Run(201, 300);
  EXPECT_EQ(DoAO2, 0);
  Nmarkers = 2;
  MarkersArray[2].code = 's';
  Run(301, 301);
  EXPECT_EQ(DoAO2, 1);
  const std::vector<Sent> c = Commands();
  ASSERT_EQ(c.size(), 2u);
  EXPECT_NEAR(c[1].v2, 3.0f, 0.002f);
}

TEST_F(OutputScriptsTest, MarkerStartLeavesTheOtherRunningScriptAlone) {
  // Output 1 runs from the first sample; an "s" for output 2 must not restart it.
  AO1on = AO2on = 1;
  AOscript[9][0] = 3;
  Script(1, {{1, 1, 2}, {2, 10, 3}});
  Script(4, {{3, 10, 2}});
  StartAt(100);
  Run(101, 100 + 3'700);
  EXPECT_EQ(AO1step, 2);
  Nmarkers = 1;
  MarkersArray[1].code = 's';
  Run(100 + 3'701, 100 + 3'701);
  EXPECT_EQ(AO1step, 2);
  EXPECT_EQ(DoAO2, 1);
}

TEST_F(OutputScriptsTest, StepNumberBelowOneEndsTheScript) {
  // Next step 0 would read the table's count row as a step.
  AO1on = 1;
  Script(1, {{2, 1, 0}});
  StartAt(100);
  Run(101, 100 + 3'700);
  EXPECT_EQ(DoAO1, 0);
  EXPECT_EQ(Commands().size(), 1u);
}

TEST_F(OutputScriptsTest, RampShorterThanATickGoesToItsEndVolts) {
  AO1on = 1;
  Script(1, {{2, 1, 2}, {4, 0, 3}});
  StartAt(100);
  Run(101, 100 + 3'601);
  const std::vector<Sent> c = Commands();
  ASSERT_EQ(c.size(), 2u);
  EXPECT_NEAR(c[1].v1, 4.0f, 0.002f);
}

TEST_F(OutputScriptsTest, EndMarkerFreezesTheFeedbackSchedule) {
  DoFeedback = FeedbackON = 1;
  FeedbackEndMode = 2;
  FdBkEndSetpoint = 21.5f;
  FdBkEndStateEntered = 1;
  StartAt(100);
  EXPECT_EQ(FdBkStep, 1);
  EXPECT_EQ(NextFeedbackTime, 100);
  AtTick(500);
  ScriptsAtEndMarker(2);
  EXPECT_EQ(NextFeedbackTime, kNeverTick);
  EXPECT_EQ(setpoint, 21.5f);
  EXPECT_EQ(NextFeedbackUpdateTime, 560);
}

TEST_F(OutputScriptsTest, EndVoltsAfterTheRunForMarkerXOnly) {
  AO1on = AO2on = 1;
  AOscript[7][0] = AOscript[9][0] = 2;  // neither starts before a marker
  AOscript[8][0] = 2;
  AOscript[10][0] = 3;
  AOscript[2][0] = 1.5f;
  AOscript[5][0] = 2.5f;
  AO1endMode = AO2endMode = 1;
  StartAt(100);
  AtTick(200);
  SetEndVoltsAfterRun();
  ASSERT_EQ(port->Writes().size(), 1u);
  EXPECT_NEAR(Commands()[0].v1, 1.5f, 0.002f);
  EXPECT_EQ(Commands()[0].v2, 0.0f);
}

// A script stopped at its marker "x" has sent its end volts: a second "x" and the end of
// the run send nothing more.
TEST_F(OutputScriptsTest, AScriptStoppedAtMarkerXSendsItsEndVoltsOnce) {
  AO1on = 1;
  AOscript[7][0] = 1;  // from the first sample
  AOscript[8][0] = 2;  // ends at "x"
  AOscript[2][0] = 1.5f;
  AO1endMode = 1;
  Script(1, {{3, 10, 1}});
  StartAt(100);
  AtTick(200);
  ScriptsAtEndMarker(2);
  AtTick(300);
  ScriptsAtEndMarker(2);
  AtTick(400);
  SetEndVoltsAfterRun();
  const std::vector<Sent> c = Commands();
  ASSERT_EQ(c.size(), 2u) << "the start volts and the end volts, once";
  EXPECT_NEAR(c[0].v1, 3.0f, 0.002f);
  EXPECT_NEAR(c[1].v1, 1.5f, 0.002f);
}

// "Keep Existing Voltage" is the user's choice for the end of the script, after the run
// as at its marker.
TEST_F(OutputScriptsTest, EndModeZeroKeepsTheOutputAfterTheRun) {
  AO1on = 1;
  AOscript[8][0] = 2;  // ends at "x"
  AOscript[2][0] = 4.0f;
  AO1endMode = 0;
  Script(1, {{2, 10, 2}});
  StartAt(100);
  AtTick(200);
  SetEndVoltsAfterRun();
  ASSERT_EQ(port->Writes().size(), 1u) << "the start volts only";
  EXPECT_NEAR(Commands()[0].v1, 2.0f, 0.002f);
  EXPECT_NEAR(AO1volts, 2.0f, 0.002f);
}

// A value asked for just before the run ends still reaches the output: the end of the
// run waits (boundedly) for the half-second gate instead of dropping it.
TEST_F(OutputScriptsTest, EndVoltsRightAfterACommandReachThePort) {
  AO1on = 1;
  AOscript[8][0] = 2;
  AOscript[2][0] = 1.0f;
  AO1endMode = 1;
  Script(1, {{3, 10, 2}});
  StartAt(100);
  AtTick(110);
  SetEndVoltsAfterRun();
  ASSERT_EQ(port->Writes().size(), 2u);
  EXPECT_NEAR(Commands()[1].v1, 1.0f, 0.002f);
  EXPECT_LE(rt::TickCount(), 100u + kAOUpdateGapTicks + 1 + 1);
}

}  // namespace
}  // namespace mv
