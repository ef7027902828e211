// Periodic references with two device groups on a Sable, on a simulated instrument on a
// pseudo-terminal: three hours of the recording loops' switching calls on the virtual
// clock, and the bytes the instrument received against a transcript written from the
// switching rules.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "common/test_support.h"
#include "control/device_outputs.h"
#include "control/state.h"
#include "control/switching.h"
#include "control/switching_schedule.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "setup/state.h"
#include "sim/sim.h"

namespace mv {
namespace {

struct Switch {
  int32_t tick;      // after the run's start tick t0
  std::string sent;  // the command's bytes
};

// One line per device: "o", the byte with bit d - 1 set for each device d on, CR.
std::string Lines(int group1, int group2) {
  return std::string{'o', static_cast<char>((1 << (group1 - 1)) | (1 << (group2 - 1))), '\r'};
}

// The received bytes of the instrument's log ("<microseconds> rx 6F 00 0D" lines), as
// upper-case hex pairs each led by a blank.
std::string ReceivedInLog(const std::filesystem::path& log) {
  std::ifstream in(log, std::ios::binary);
  const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string out;
  std::size_t at = 0;
  while (at < all.size()) {
    std::size_t eol = all.find('\n', at);
    if (eol == std::string::npos) eol = all.size();
    const std::string line = all.substr(at, eol - at);
    const std::size_t rx = line.find(" rx");
    if (rx != std::string::npos) out += line.substr(rx + 3);
    at = eol + 1;
  }
  return out;
}

std::string Hex(const std::string& bytes) {
  static const char* kDigits = "0123456789ABCDEF";
  std::string s;
  for (unsigned char c : bytes) {
    s += ' ';
    s += kDigits[c >> 4];
    s += kDigits[c & 15];
  }
  return s;
}

class SwitchingPtyTest : public test::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    dir = test::MakeTempDir("switching-pty");
    sim::Options o;
    o.kind = sim::Kind::UI2;
    o.link = (dir / "port").string();
    o.logPath = (dir / "sim.log").string();
    simulator = std::make_unique<sim::Simulator>(o);
    std::string error;
    ASSERT_TRUE(simulator->Start(&error)) << error;
    const SerialOpenResult r = OpenSerialPortPath(o.link, 115200);
    ASSERT_TRUE(r.ok) << r.reason;
  }
  void TearDown() override {
    CloseSerialPort();
    if (simulator) simulator->Stop();
    std::filesystem::remove_all(dir);
    ProgramTest::TearDown();
  }
  static void AtTick(uint64_t t) { rt::SetVirtualMicroseconds((t * 1'000'000 + 59) / 60); }

  std::filesystem::path dir;
  std::unique_ptr<sim::Simulator> simulator;
};

TEST_F(SwitchingPtyTest, PeriodicReferencesWithTwoGroupsForThreeHours) {
  External_AD = ExternalADCode::SableUI2;
  DemonstrationMODE = 0;
  PrefsArray[PrefsSlot::DigitalOutputCoding] = 0;  // one line per device
  PrefsArray[PrefsSlot::MarkerAtSwitch] = 1;
  SwitchingMode = 6;
  nGroups = 2;
  refint = 5;      // minutes at the reference
  switchint = 20;  // minutes at each sample pair
  RefChan = 1;
  RefChan2 = 5;
  nChannels = 4;
  ChannelVariables[1][ChanField::Device] = 2;
  ChannelVariables[2][ChanField::Device] = 3;
  ChannelVariables[3][ChanField::Device] = 6;
  ChannelVariables[4][ChanField::Device] = 7;
  ChartIntervalInSeconds = 1.0;
  MaxSamples = 3 * 3600;  // three hours of one-second samples

  // Before a run the reference goes on; then the run's clocks start 5 ticks later.
  const int32_t start = 1'000;
  AtTick(start);
  SWITCHTOREFERENCE();
  const int32_t t0 = start + 5;
  SwitchingAtRunStart(t0, true);
  std::vector<Switch> seen{{-5, "reference"}};
  const int32_t end = t0 + MaxSamples * 60;
  for (int32_t t = t0; t < end; ++t) {
    if (static_cast<int64_t>(rt::TickCount()) < t) AtTick(static_cast<uint64_t>(t));
    for (const SwitchMarker& m : SwitchingOnPass(t)) seen.push_back({t - t0, std::string(1, m.label)});
  }

  // The rules, for refint 5 and switchint 20 minutes (3,600 ticks a minute): the run
  // starts at the reference, lines 1 and 5 (the two groups' reference devices) in the
  // coding the user wired. After refint the first pair (lines 2 and 6) goes on;
  // switchint later the reference; refint after that the next pair (3 and 7), the
  // sweep wrapping round each group. The run's closing reference (due at t0 + 3 h x
  // 59.999 - 5 min) is superseded by the cycle's own times.
  std::vector<Switch> expected{{-5, "reference"}};
  std::string transcript = Lines(1, 5);
  const int32_t kRef = 5 * 3600, kSample = 20 * 3600;
  int pair = 0;
  for (int32_t at = kRef; at < MaxSamples * 60; at += kRef + kSample) {
    expected.push_back({at, "S"});
    transcript += pair % 2 == 0 ? Lines(2, 6) : Lines(3, 7);
    ++pair;
    if (at + kSample < MaxSamples * 60) {
      expected.push_back({at + kSample, "R"});
      transcript += Lines(1, 5);
    }
  }
  ASSERT_EQ(seen.size(), expected.size());
  for (std::size_t i = 0; i < seen.size(); ++i) {
    EXPECT_EQ(seen[i].tick, expected[i].tick) << "switch " << i;
    EXPECT_EQ(seen[i].sent, expected[i].sent) << "switch " << i;
  }
  // Every command has gone out; give the instrument's thread a moment to read the last.
  for (int i = 0; i < 200 && simulator->Received().size() < transcript.size(); ++i) SerialLine().Pause(5);
  EXPECT_EQ(simulator->Received(), transcript);
  EXPECT_EQ(ReceivedInLog(dir / "sim.log"), Hex(transcript)) << "the instrument's own log";
  EXPECT_EQ(PrefsArray[PrefsSlot::DigitalOutputCoding], 0) << "no switch rewrites the user's coding";
}

// The ADC-1 acknowledges its output byte with the byte, and an ADAM-4050 its output
// command with ">" CR, as the instruments do, at 9,600 baud: a switch takes its reply
// at once instead of waiting out the reply limit, and leaves nothing on the line.
TEST_F(SwitchingPtyTest, AdcAndAdamOutputsAreAcknowledgedAtOnce) {
  rt::UseVirtualClock(false);
  DemonstrationMODE = 0;
  for (const sim::Kind kind : {sim::Kind::ADC1, sim::Kind::ADAM}) {
    SCOPED_TRACE(sim::KindName(kind));
    CloseSerialPort();
    simulator->Stop();
    sim::Options o;
    o.kind = kind;
    o.baud = 9600;
    o.link = (dir / "outputs").string();
    simulator = std::make_unique<sim::Simulator>(o);
    std::string error;
    ASSERT_TRUE(simulator->Start(&error)) << error;
    ASSERT_TRUE(OpenSerialPortPath(o.link, 9600).ok);
    External_AD = kind == sim::Kind::ADC1 ? ExternalADCode::ADC1 : ExternalADCode::ADAM;
    DeviceSwitchArray.fill(0);
    DeviceSwitchArray[2] = DeviceSwitchArray[5] = 1;
    const auto start = std::chrono::steady_clock::now();
    if (kind == sim::Kind::ADC1)
      SWITCHDEVICE();
    else
      SwitchADAM4050(3);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250))
        << "the reply limit is 30 ticks (500 ms)";
    if (kind == sim::Kind::ADC1) {
      EXPECT_EQ(simulator->Received(), "\x52");
      EXPECT_EQ(chx, 0x52) << "the byte acknowledged";
    } else {
      EXPECT_EQ(simulator->Received(), "#020005\r");
    }
    SerialLine().Pause(20);
    EXPECT_EQ(SerialLine().BytesWaiting(), 0) << "the whole reply was taken";
  }
}

}  // namespace
}  // namespace mv
