// The DataTaker readers against the simulated loggers on a pseudo-terminal, on the real
// clock: one reading of each input kind, a silent logger, and the reset's wire text.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "acquisition/state.h"
#include "common/test_support.h"
#include "devices/datataker_lists.h"
#include "devices/datataker_reader.h"
#include "devices/line_step.h"
#include "devices/serial_port.h"
#include "devices/sim_pty_fixture.h"
#include "devices/state.h"
#include "runtime/clock.h"
#include "runtime/sound.h"
#include "setup/state.h"
#include "sim/sim.h"

namespace mv {
namespace {

class DataTakerPtyTest : public test::SimPtyTest {
 protected:
  float Read(bool dt800, int16_t channel, float input, DataTakerChannelsRecord record) {
    ChannelVariables[channel][1] = input;
    DataTakerChannels[channel] = record;
    if (dt800)
      ReadDataTaker800(channel, 1);
    else
      ReadDataTaker500(channel, 1);
    return volts;
  }
};

TEST_F(DataTakerPtyTest, OneReadingOfEachKindFromADT800) {
  StartSim(sim::Kind::DT800);
  External_AD = ExternalADCode::DT800;
  DT800FastAcquisitionMode = 1;
  // The simulator answers 1234.5 mV, 23.5 degrees, 100.0 ohms and 42 counts.
  EXPECT_EQ(Read(true, 1, 3, {1, 0, 0, 0, 0}), static_cast<float>(1234.5 * 0.001));
  EXPECT_EQ(Read(true, 2, 5, {0, 1, 3, 3, 0}), 23.5f);
  EXPECT_EQ(Read(true, 3, 6, {2, 0, 0, 1, 0}), 100.0f);
  EXPECT_EQ(Read(true, 4, 2, {1, 0, 0, 0, 1}), 42.0f);
  EXPECT_EQ(sim->Received(), "3VNC\r5*TK\r6 + R(2W)\r2C\r");
  EXPECT_TRUE(sounds.empty());
}

TEST_F(DataTakerPtyTest, ADT500SecondBankInputAndASilentLogger) {
  StartSim(sim::Kind::DT500);
  External_AD = ExternalADCode::DT500;
  EXPECT_EQ(Read(false, 1, 12, {1, 0, 0, 2, 0}), static_cast<float>(1234.5 * 0.001));
  EXPECT_EQ(sim->Received(), "1:12-V\r");
  SerialWarningBuzz = 1;
  sim->SetFault(sim::Fault::Silent, 1);
  EXPECT_EQ(Read(false, 1, 12, {1, 0, 0, 2, 0}), kBadReading);
  EXPECT_EQ(lastvoltage[1], kBadReading);
  EXPECT_EQ(sounds, "AlarmBUZZ.mp3;");
  // The logger is well again; once its reply can no longer come late, the next read is
  // its own.
  std::this_thread::sleep_for(kLateReplyWindow);
  EXPECT_EQ(Read(false, 1, 7, {1, 0, 0, 0, 1}), 42.0f);
}

TEST_F(DataTakerPtyTest, LateRepliesAreFailedReadsAndNotTakenLater) {
  StartSim(sim::Kind::DT800);
  External_AD = ExternalADCode::DT800;
  sim->SetFault(sim::Fault::Late, 1);
  EXPECT_EQ(Read(true, 1, 3, {0, 1, 2, 0, 0}), kBadReading);
  EXPECT_EQ(Read(true, 1, 3, {2, 0, 0, 0, 0}), 100.0f);
}

TEST_F(DataTakerPtyTest, ADT800BurstSendsNothingWhileItRecordsThenItsNumbersInMillivolts) {
  StartSim(sim::Kind::DT800);
  SerialPort& port = SerialLine();
  // 500 samples at rate 2000: half a second of recording before the first number.
  port.Write("RX;BURST(500,2000) 1VNC\r");
  const auto start = std::chrono::steady_clock::now();
  port.Write("X\r");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(port.BytesWaiting(), 0) << "nothing while the logger records";
  std::string text;
  while (text.size() < 500 * 5 && std::chrono::steady_clock::now() - start < std::chrono::seconds(5)) {
    if (const int n = port.BytesWaiting(); n > 0) text += port.ReadBytes(n);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  // The default values, in turn: 100, 300, 500, 700, 900, 700, 500, 300 mV.
  std::string expected;
  const char* values[] = {"100", "300", "500", "700", "900", "700", "500", "300"};
  for (int i = 0; i < 500; ++i) expected += std::string(values[i % 8]) + "\r\n";
  EXPECT_EQ(text, expected);
  EXPECT_EQ(sim->Received(), "RX;BURST(500,2000) 1VNC\rX\r");
}

TEST_F(DataTakerPtyTest, InRangeTaggedBurstsNameEachPlaceAndTheBlockWithinTenVolts) {
  sim::Options o;
  o.kind = sim::Kind::DT800;
  o.burstTaggedInRange = true;
  StartSim(o);
  SerialPort& port = SerialLine();
  // 999 numbers leave a stride of 20: burst n's k-th number is 20k + n - 10000 mV.
  ASSERT_EQ(sim::BurstTagStride(999), 20);
  ASSERT_EQ(sim::BurstTagStride(2048), 9);
  ASSERT_EQ(sim::BurstTagStride(8192), 2);
  port.Write("RX;BURST(999,10000) 1VNC\r");
  for (int n = 1; n <= 2; ++n) {
    port.Write("X\r");
    std::string expected;
    for (int k = 1; k <= 999; ++k) expected += std::to_string(20 * k + n - 10000) + "\r\n";
    std::string text;
    const auto start = std::chrono::steady_clock::now();
    while (text.size() < expected.size() && std::chrono::steady_clock::now() - start < std::chrono::seconds(5)) {
      if (const int got = port.BytesWaiting(); got > 0) text += port.ReadBytes(got);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(text, expected) << "burst " << n;
  }
}

}  // namespace
}  // namespace mv
