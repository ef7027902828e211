// The interfaces the simulator answers beyond channel reads, on a pseudo-terminal and
// the real clock: the DataTakers say who they are at start-up (a DT800 retried at
// 115,200 baud when its status stays silent, and the Connection Error window when it
// stays silent after the retry), pass their self-tests; the ADC-1 converts after its
// busy polls; a streaming instrument's split lines come in two pieces.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "connection_test_support.h"
#include "devices/adc1_reader.h"
#include "devices/connection.h"
#include "devices/firmware_windows.h"
#include "devices/state.h"
#include "kit/state.h"
#include "setup/state.h"
#include "sim/sim.h"

namespace mv {
namespace {

using SteadyClock = std::chrono::steady_clock;
using test::OpenMark;

class SimulatedKindTest : public test::ConnectionTest {
 protected:
  void SetUp() override {
    ConnectionTest::SetUp();
    rt::UseVirtualClock(false);
    dir = test::MakeTempDir("kinds");
  }
  void TearDown() override {
    ConnectionTest::TearDown();
    if (sim) sim->Stop();
    std::filesystem::remove_all(dir);
  }
  void Start(sim::Options o) {
    o.link = (dir / "instrument").string();
    link = o.link;
    sim = std::make_unique<sim::Simulator>(o);
    std::string error;
    ASSERT_TRUE(sim->Start(&error)) << error;
    SetPortLister([this] { return std::vector<std::string>{link}; });
    test::UseLoggedPosixLine(&wire);
    ActiveSerialPort = -1;
  }
  void Start(sim::Kind kind, sim::Fault fault = sim::Fault::None, int faultCount = -1) {
    sim::Options o;
    o.kind = kind;
    o.fault = fault;
    o.faultCount = faultCount;
    Start(o);
  }
  std::string FirmwareTexts() const {
    std::string all;
    for (const auto& t : LastFirmwareTexts()) all += t + "\n";
    return all;
  }
  static int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
  }

  std::filesystem::path dir;
  std::string link, wire;
  std::unique_ptr<sim::Simulator> sim;
};

TEST_F(SimulatedKindTest, DT500AnswersItsFirmwareCheckAtStartUp) {
  Start(sim::Kind::DT500);
  External_AD = ExternalADCode::DT500;
  baudrate = 0;
  SetUpSerialPort();
  GetFirmware(1);
  EXPECT_EQ(LastConnection().errorName, "");
  EXPECT_NE(FirmwareTexts().find("Connection seems OK"), std::string::npos) << FirmwareTexts();
  EXPECT_NE(sim->Received().find("/U\rTEST0\r/u\r"), std::string::npos) << sim->Received();
  EXPECT_NE(sim->Sent().find("DT500 ROM V3.10 SIM\r\n"), std::string::npos);
  EXPECT_TRUE(
      rt::SaveWindowImage(kProgressWindow, (test::TestOutputDir() / "w251-dt500-firmware.png").string()));
}

TEST_F(SimulatedKindTest, DT800WhoseStatusStaysSilentIsRetriedAt115200) {
  // Both status requests of the first attempt go unanswered.
  Start(sim::Kind::DT800, sim::Fault::Silent, 2);
  External_AD = ExternalADCode::DT800;
  baudrate = 0;
  SetUpSerialPort();
  GetFirmware(1);
  EXPECT_EQ(LastConnection().errorName, "");
  const std::string texts = FirmwareTexts();
  EXPECT_NE(texts.find("* Connecting at 57.6 Kb failed, retry at 115.2 Kb..."), std::string::npos) << texts;
  EXPECT_NE(texts.find("Connection seems OK at 115.2 Kbaud"), std::string::npos) << texts;
  EXPECT_NE(texts.find("firmware:  dataTaker DT800 V6.14"), std::string::npos) << texts;
  // Opened at 57,600 and switched, then opened again at 115,200 for the retry and switched.
  EXPECT_EQ(wire.rfind(OpenMark(57600) + "PH=115200\r[close]" + OpenMark(115200), 0), 0u) << wire;
  EXPECT_EQ(Count(wire, OpenMark(57600)), 1) << wire;
  EXPECT_EQ(Count(wire, OpenMark(115200)), 3) << wire;
  EXPECT_EQ(Count(sim->Received(), "STATUS1\r"), 4);
  EXPECT_EQ(baudrate, 115200);
  EXPECT_TRUE(
      rt::SaveWindowImage(kProgressWindow, (test::TestOutputDir() / "w251-dt800-retry.png").string()));
}

TEST_F(SimulatedKindTest, DT800SilentAfterItsRetryEndsInTheConnectionErrorWindow) {
  Start(sim::Kind::DT800, sim::Fault::Silent);
  External_AD = ExternalADCode::DT800;
  baudrate = 0;
  test::UserSteps user;
  user.Shot(kConnectionErrorWindow, "w1776-dt800-not-found.png").Click(kConnectionErrorWindow, 1).Start();
  SetUpSerialPort();
  GetFirmware(1);
  EXPECT_TRUE(user.Done());
  EXPECT_EQ(LastConnection().errorName, "DT800");
  EXPECT_EQ(Count(sim->Received(), "STATUS1\r"), 4) << "two requests at each rate";
  EXPECT_EQ(External_AD, ExternalADCode::Demonstration) << "Proceed in DEMO Mode";
  EXPECT_EQ(DemonstrationMODE, 1);
}

TEST_F(SimulatedKindTest, DT80SelfTestsAllPass) {
  Start(sim::Kind::DT80);
  External_AD = ExternalADCode::DT80;
  ASSERT_TRUE(OpenActivePort(115200).ok);
  DataTakerDiagnostics();
  EXPECT_TRUE(LastFailedTests().empty());
  const std::string texts = FirmwareTexts();
  for (int n : {1, 14})
    EXPECT_NE(texts.find("TEST" + std::to_string(n) + " PASS"), std::string::npos) << texts;
  EXPECT_EQ(Count(sim->Received(), "TEST1\r"), 2) << "the first round only wakes the test engine";
  rt::CloseWindow(kFirmwareWindow);
}

TEST_F(SimulatedKindTest, ADC1ConvertsAfterItsBusyPollsAtEitherGain) {
  Start(sim::Kind::ADC1);
  External_AD = ExternalADCode::ADC1;
  ASSERT_TRUE(OpenActivePort(9600).ok);
  ChannelVariables[1][ChanField::Input] = 1;
  ChannelVariables[2][ChanField::Input] = 2;
  GainSet = 2;
  ReadADC1(1);
  EXPECT_FLOAT_EQ(volts, 0.11f);  // 1100 counts of 10,000 a volt, positive
  ReadADC1(2);
  EXPECT_FLOAT_EQ(volts, -0.12f);  // an even input reads negative
  GainSet = 3;
  ReadADC1(1);
  EXPECT_FLOAT_EQ(volts, 0.0042f);  // 2100 counts of 500,000 a volt
  // Start byte, two busy polls and the finished one, low byte; for each reading.
  const std::string polls = "\xA1\xA1\xA1\x91";
  EXPECT_EQ(sim->Received(), std::string(1, '\x00') + polls + "\x01" + polls + "\x11" + polls);
  EXPECT_TRUE(sounds.empty());
}

TEST_F(SimulatedKindTest, StreamLineSplitInTwoComesInTwoPieces) {
  sim::Options o;
  o.kind = sim::Kind::Stream;
  o.nameLine = "";
  o.periodMs = 300;
  o.splitMs = 150;
  o.lines = {"12.50,3.75,7.25"};
  Start(o);
  ASSERT_TRUE(OpenActivePort(1200).ok);
  SerialPort& port = SerialLine();
  const auto end = SteadyClock::now() + std::chrono::seconds(2);
  while (port.BytesWaiting() == 0 && SteadyClock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  const std::string first = port.ReadBytes(port.BytesWaiting());
  EXPECT_EQ(first, "12.50,3.") << "the first half, without its end";
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(first + port.ReadBytes(port.BytesWaiting()), "12.50,3.75,7.25\r");
}

TEST(SimulatorCommandLine, BusyPollsSplitLinesAndBursts) {
  std::string error;
  auto adc1 = sim::ParseCommandLine({"--kind", "adc1", "--link", "/tmp/x", "--busy", "5"}, &error);
  ASSERT_TRUE(adc1) << error;
  EXPECT_EQ(adc1->kind, sim::Kind::ADC1);
  EXPECT_EQ(adc1->adc1BusyPolls, 5);
  auto stream = sim::ParseCommandLine(
      {"--kind", "stream", "--link", "/tmp/x", "--split", "40", "--burst", "3"}, &error);
  ASSERT_TRUE(stream) << error;
  EXPECT_EQ(stream->splitMs, 40);
  EXPECT_EQ(stream->burst, 3);
  auto logger = sim::ParseCommandLine({"--kind", "dt500", "--link", "/tmp/x", "--channel-values"}, &error);
  ASSERT_TRUE(logger) << error;
  EXPECT_TRUE(logger->channelValues);
  EXPECT_FALSE(stream->channelValues);
  EXPECT_FALSE(sim::ParseCommandLine({"--kind", "adc1", "--link", "/tmp/x", "--busy", "-1"}, &error));
  EXPECT_NE(error.find("--busy"), std::string::npos) << error;
}

TEST(SimulatorCommandLine, FaultSpansLateDelaysHangUpsAndInputValues) {
  std::string error;
  auto o = sim::ParseCommandLine(
      {"--kind", "ui3", "--link", "/tmp/x", "--fault", "hangup", "--fault-after", "2.5", "--fault-for", "3",
       "--late-ms", "1300", "--value", "3=1.25", "--value", "0=-21.5"},
      &error);
  ASSERT_TRUE(o) << error;
  EXPECT_EQ(o->fault, sim::Fault::HangUp);
  EXPECT_EQ(o->faultAfter, 2.5);
  EXPECT_EQ(o->faultFor, 3.0);
  EXPECT_EQ(o->lateMs, 1300);
  EXPECT_EQ(o->values, (std::vector<std::pair<int, double>>{{3, 1.25}, {0, -21.5}}));
  const std::vector<std::string> wrong[] = {
      {"--kind", "ui3", "--link", "/tmp/x", "--fault", "hangup"},  // down for how long?
      {"--kind", "ui3", "--link", "/tmp/x", "--fault-after", "-1"},
      {"--kind", "ui3", "--link", "/tmp/x", "--value", "3:1.25"},
      {"--kind", "ui3", "--link", "/tmp/x", "--value", "3=nan"},
  };
  for (const auto& args : wrong) {
    error.clear();
    EXPECT_FALSE(sim::ParseCommandLine(args, &error)) << args.back();
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
}  // namespace mv
