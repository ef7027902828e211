// The interfaces the simulator answers beyond channel reads, on a pseudo-terminal and
// the real clock: the DataTakers say who they are at start-up (a DT800 retried at
// 115,200 baud when its status stays silent, and the Connection Error window when it
// stays silent after the retry), pass their self-tests; the ADC-1 converts after its
// busy polls; a streaming instrument's split lines come in two pieces; a frozen
// instrument answers when it resumes; one ADAM module's faults follow each other while
// the others answer. The command line, control lines and schedules are read whole.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
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
#include "sim/responder.h"
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
    o.faults = {{.fault = fault, .count = faultCount}};
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
  user.Shot(kConnectionErrorWindow, "w1779-dt800-not-found.png").Click(kConnectionErrorWindow, 1).Start();
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

// Requests in a freeze are answered, in order, when it ends; the instrument then
// answers at once again.
TEST_F(SimulatedKindTest, AFrozenInstrumentAnswersEveryRequestWhenItResumes) {
  Start(sim::Kind::UI3);
  ASSERT_TRUE(OpenActivePort(115200).ok);
  SerialPort& port = SerialLine();
  sim->SetWord(0x80, 0x0201);
  sim->SetWord(0x81, 0x0403);
  sim->SetFaultSpan(sim::Fault::Freeze, 0, 0.4);
  const auto t0 = SteadyClock::now();
  ASSERT_TRUE(port.Write("\x80"));
  EXPECT_FALSE(port.AwaitBytes(1, std::chrono::milliseconds(200))) << "frozen";
  ASSERT_TRUE(port.Write("\x81"));
  ASSERT_TRUE(port.AwaitBytes(4, std::chrono::seconds(2)));
  EXPECT_GE(SteadyClock::now() - t0, std::chrono::milliseconds(390)) << "not before the freeze ends";
  EXPECT_EQ(port.ReadBytes(8), "\x01\x02\x03\x04");
  ASSERT_TRUE(port.Write("\x81"));
  ASSERT_TRUE(port.AwaitBytes(2, std::chrono::milliseconds(100)));
  EXPECT_EQ(port.ReadBytes(8), "\x03\x04");
}

// Module 03 silent, then late, from the command line's faults; module 01 answers at
// once all the while; each fault's start and end are in the log, and with the readings
// logged each reading and the fault that kept its reply from coming in time.
TEST_F(SimulatedKindTest, OneAdamModuleIsSilentThenLateWhileTheOtherAnswers) {
  sim::Options o;
  o.kind = sim::Kind::ADAM;
  o.channelValues = true;
  o.lateMs = 300;  // 800 ms after the request
  o.faults = {{.fault = sim::Fault::Silent, .after = 0, .seconds = 0.6, .module = 3},
              {.fault = sim::Fault::Late, .after = 0.6, .seconds = 5, .module = 3}};
  o.logPath = (dir / "sim.log").string();
  o.logReadings = true;
  Start(o);
  ASSERT_TRUE(OpenActivePort(9600).ok);
  SerialPort& port = SerialLine();
  const auto ask = [&port](const char* request, std::chrono::milliseconds within) {
    port.Discard();
    port.Write(request);
    return port.AwaitBytes(9, within) ? port.ReadBytes(16) : std::string();
  };
  EXPECT_EQ(ask("#030\r", std::chrono::milliseconds(550)), "") << "silent";
  EXPECT_EQ(ask("#010\r", std::chrono::milliseconds(100)), ">+1.0000\r");
  std::this_thread::sleep_for(std::chrono::milliseconds(200));  // into the late span
  EXPECT_EQ(ask("#031\r", std::chrono::milliseconds(550)), "") << "not within the time-out";
  EXPECT_TRUE(port.AwaitBytes(9, std::chrono::milliseconds(500))) << "late";
  EXPECT_EQ(port.ReadBytes(16), ">+3.1000\r");
  EXPECT_EQ(ask("#012\r", std::chrono::milliseconds(100)), ">+1.2000\r");
  std::ifstream in(o.logPath);
  const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (const char* event : {"-- fault silent (module 03) begins at ", "-- fault silent (module 03) ends at ",
                            "-- fault late (module 03) begins at "})
    EXPECT_NE(log.find(event), std::string::npos) << event;
  // Each reading in turn, the failed ones followed by their fault: silent, then 500 ms
  // of time-out and 300 more.
  std::size_t at = 0;
  for (const char* line : {" rd 9 3\n", " rf silent 0\n", " rd 1 1\n", " rd 10 3.1\n", " rf late 800\n",
                           " rd 3 1.2\n"}) {
    const std::size_t found = log.find(line, at);
    EXPECT_NE(found, std::string::npos) << line << " after " << at << " in\n" << log;
    if (found != std::string::npos) at = found;
  }
  EXPECT_EQ(log.find(" rf ", log.find(" rd 1 1\n")), log.find(" rf late")) << "module 01 answered in time";
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
  EXPECT_FALSE(logger->logReadings);
  auto logged = sim::ParseCommandLine({"--kind", "ui3", "--link", "/tmp/x", "--log", "/tmp/l", "--log-readings"}, &error);
  ASSERT_TRUE(logged) << error;
  EXPECT_TRUE(logged->logReadings);
  EXPECT_FALSE(sim::ParseCommandLine({"--kind", "adc1", "--link", "/tmp/x", "--busy", "-1"}, &error));
  EXPECT_NE(error.find("--busy"), std::string::npos) << error;
  auto dt800 = sim::ParseCommandLine({"--kind", "dt800", "--link", "/tmp/x", "--burst-tagged", "--burst-gap",
                                      "2:1603:1500", "--burst-gap", "3:0:-1", "--burst-gap", "4:80:300:40"},
                                     &error);
  ASSERT_TRUE(dt800) << error;
  EXPECT_TRUE(dt800->burstTagged);
  ASSERT_EQ(dt800->burstGaps.size(), 3u);
  EXPECT_EQ(dt800->burstGaps[0].burst, 2);
  EXPECT_EQ(dt800->burstGaps[0].byte, 1603);
  EXPECT_EQ(dt800->burstGaps[0].ms, 1500);
  EXPECT_EQ(dt800->burstGaps[1].ms, -1);
  EXPECT_EQ(dt800->burstGaps[0].lost, 0);
  EXPECT_EQ(dt800->burstGaps[2].ms, 300);
  EXPECT_EQ(dt800->burstGaps[2].lost, 40);
  EXPECT_EQ(dt800->burstTagStep, 100000);
  EXPECT_FALSE(dt800->burstTaggedInRange);
  auto inRange = sim::ParseCommandLine({"--kind", "dt800", "--link", "/tmp/x", "--burst-tagged-in-range"}, &error);
  ASSERT_TRUE(inRange) << error;
  EXPECT_TRUE(inRange->burstTaggedInRange);
  EXPECT_TRUE(dt800->burstFaults.empty());
  auto spoilt = sim::ParseCommandLine({"--kind", "dt800", "--link", "/tmp/x", "--burst-tag-step", "1000",
                                       "--burst-fault", "3:stale", "--burst-fault", "4:garbage"},
                                      &error);
  ASSERT_TRUE(spoilt) << error;
  EXPECT_EQ(spoilt->burstTagStep, 1000);
  ASSERT_EQ(spoilt->burstFaults.size(), 2u);
  EXPECT_EQ(spoilt->burstFaults[0].burst, 3);
  EXPECT_EQ(spoilt->burstFaults[0].fault, sim::Fault::Stale);
  EXPECT_EQ(spoilt->burstFaults[1].fault, sim::Fault::Garbage);
  for (const char* fault : {"0:stale", "3:silent", "3", "x:garbage"}) {
    EXPECT_FALSE(sim::ParseCommandLine({"--kind", "dt800", "--link", "/tmp/x", "--burst-fault", fault}, &error))
        << fault;
    EXPECT_NE(error.find("--burst-fault"), std::string::npos) << error;
  }
  EXPECT_FALSE(sim::ParseCommandLine({"--kind", "dt800", "--link", "/tmp/x", "--burst-tag-step", "0"}, &error));
  for (const char* gap : {"0:10:5", "2:10", "2:-1:5", "2:x:5", "2:10:5:-1", "2:10:5:x"}) {
    EXPECT_FALSE(sim::ParseCommandLine({"--kind", "dt800", "--link", "/tmp/x", "--burst-gap", gap}, &error))
        << gap;
    EXPECT_NE(error.find("--burst-gap"), std::string::npos) << error;
  }
}

TEST(SimulatorCommandLine, FaultSpansLateDelaysHangUpsAndInputValues) {
  std::string error;
  auto o = sim::ParseCommandLine(
      {"--kind", "ui3",         "--link",  "/tmp/x",    "--fault", "hangup",    "--fault-after",
       "2.5",    "--fault-for", "3",       "--late-ms", "1300",    "--slow-ms", "250",
       "--wrap", "-5.1:5.1",    "--value", "3=1.25",    "--value", "0=-21.5"},
      &error);
  ASSERT_TRUE(o) << error;
  ASSERT_EQ(o->faults.size(), 1u);
  EXPECT_EQ(o->faults[0].fault, sim::Fault::HangUp);
  EXPECT_EQ(o->faults[0].after, 2.5);
  EXPECT_EQ(o->faults[0].seconds, 3.0);
  EXPECT_EQ(o->lateMs, 1300);
  EXPECT_EQ(o->slowMs, 250);
  EXPECT_EQ(o->wrapLow, -5.1);
  EXPECT_EQ(o->wrapHigh, 5.1);
  EXPECT_EQ(o->values, (std::vector<std::pair<int, double>>{{3, 1.25}, {0, -21.5}}));
  const std::vector<std::string> wrong[] = {
      {"--kind", "ui3", "--link", "/tmp/x", "--fault", "hangup"},  // down for how long?
      {"--kind", "ui3", "--link", "/tmp/x", "--fault", "freeze"},
      {"--kind", "ui3", "--link", "/tmp/x", "--fault", "silent", "--fault-module", "03"},  // no modules
      {"--kind", "adam", "--link", "/tmp/x", "--fault", "hangup", "--fault-for", "1", "--fault-module", "3"},
      {"--kind", "ui3", "--link", "/tmp/x", "--fault-after", "-1"},
      {"--kind", "ui3", "--link", "/tmp/x", "--ramp", "fast"},
      {"--kind", "ui3", "--link", "/tmp/x", "--schedule", "/nonexistent/schedule"},
      {"--kind", "ui3", "--link", "/tmp/x", "--value", "3:1.25"},
      {"--kind", "ui3", "--link", "/tmp/x", "--value", "3=nan"},
      {"--kind", "ui3", "--link", "/tmp/x", "--wrap", "5:-5"},
      {"--kind", "ui3", "--link", "/tmp/x", "--wrap", "5"},
  };
  for (const auto& args : wrong) {
    error.clear();
    EXPECT_FALSE(sim::ParseCommandLine(args, &error)) << args.back();
    EXPECT_FALSE(error.empty());
  }
}

// An input given its own rate under --wrap is a sawtooth: it rises at that rate and
// reads from the low end again past the high end; the others rise at the common rate.
TEST(SimulatorInputs, AnInputWithItsOwnRateWrapsWithinTheGivenRange) {
  sim::Inputs inputs;
  inputs.SetCommonRate(0.01);
  inputs.SetWrap(-5, 5);
  inputs.SetRate(2, 4, true);  // given before the origin: rises from it
  const auto origin = sim::Clock::now();
  inputs.StartRamp(origin);
  const auto at = [&](double s) {
    return origin + std::chrono::microseconds(static_cast<long long>(s * 1e6));
  };
  EXPECT_NEAR(inputs.Of(2, 1, true, at(0.5)), 3, 1e-9);
  EXPECT_NEAR(inputs.Of(2, 1, true, at(1.5)), -3, 1e-9) << "past 5 it reads from -5 again";
  EXPECT_NEAR(inputs.Of(2, 1, true, at(6.5)), -3, 1e-9) << "every 2.5 s";
  EXPECT_NEAR(inputs.Of(1, 4.99, true, at(10)), 5.09, 1e-9) << "the common rate never wraps";
}

// Each --fault takes the --fault-* options after it; a module's faults follow each other.
TEST(SimulatorCommandLine, FaultsInTurnWithTheirOwnSpansAndModulesAndARamp) {
  std::string error;
  auto o = sim::ParseCommandLine(
      {"--kind",         "adam", "--link",        "/tmp/x", "--ramp",      "0.25", "--fault", "silent",
       "--fault-module", "03",   "--fault-after", "2",      "--fault-for", "6",    "--fault", "late",
       "--fault-module", "3",    "--fault-after", "8",      "--fault-for", "6",    "--fault", "freeze",
       "--fault-for",    "3",    "--fault-count", "5"},
      &error);
  ASSERT_TRUE(o) << error;
  EXPECT_EQ(o->ramp, 0.25);
  ASSERT_EQ(o->faults.size(), 3u);
  const sim::FaultSpec want[] = {
      {sim::Fault::Silent, 2, 6, -1, 3}, {sim::Fault::Late, 8, 6, -1, 3}, {sim::Fault::Freeze, 0, 3, 5, -1}};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(o->faults[i].fault, want[i].fault) << i;
    EXPECT_EQ(o->faults[i].after, want[i].after) << i;
    EXPECT_EQ(o->faults[i].seconds, want[i].seconds) << i;
    EXPECT_EQ(o->faults[i].count, want[i].count) << i;
    EXPECT_EQ(o->faults[i].module, want[i].module) << i;
  }
}

// Control lines, read alone or from a schedule, which is refused whole at its first
// wrong line.
TEST(SimulatorCommandLine, ControlLinesAndSchedules) {
  struct Case {
    const char* line;
    sim::Control::Verb verb;
    int input;
    double value;
    sim::Fault fault;
    double seconds;
    int count, module;
  };
  using V = sim::Control::Verb;
  using F = sim::Fault;
  const Case cases[] = {
      {"set 9 31.5", V::Set, 9, 31.5, F::None, -1, -1, -1},
      {"ramp 13 2", V::Ramp, 13, 2, F::None, -1, -1, -1},
      {"late 1300", V::Late, 0, 1300, F::None, -1, -1, -1},
      {"slow 300", V::Slow, 0, 300, F::None, -1, -1, -1},
      {"fault slow 12", V::Fault, 0, 0, F::Slow, 12, -1, -1},
      {"fault freeze 3", V::Fault, 0, 0, F::Freeze, 3, -1, -1},
      {"fault silent 6 module 03", V::Fault, 0, 0, F::Silent, 6, -1, 3},
      {"fault garbage 2.5 count 4 module 1", V::Fault, 0, 0, F::Garbage, 2.5, 4, 1},
      {"fault none", V::Fault, 0, 0, F::None, -1, -1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    std::string error;
    const std::optional<sim::Control> control = sim::ParseControl(c.line, &error);
    ASSERT_TRUE(control) << error;
    EXPECT_EQ(control->verb, c.verb);
    EXPECT_EQ(control->text, c.line);
    if (c.verb == V::Fault) {
      EXPECT_EQ(control->fault.fault, c.fault);
      EXPECT_EQ(control->fault.seconds, c.seconds);
      EXPECT_EQ(control->fault.count, c.count);
      EXPECT_EQ(control->fault.module, c.module);
    } else {
      EXPECT_EQ(control->input, c.input);
      EXPECT_EQ(control->value, c.value);
    }
  }
  for (const char* wrong : {"fault silent", "fault hangup 3 module 03", "fault melt 3", "fault late 3 count",
                            "set 3", "ramp x 1", "late -5", "slow -1", "reset"}) {
    std::string error;
    EXPECT_FALSE(sim::ParseControl(wrong, &error)) << wrong;
    EXPECT_FALSE(error.empty()) << wrong;
  }

  const auto dir = test::MakeTempDir("schedule");
  const auto path = (dir / "schedule").string();
  std::ofstream(path) << "# a silence, then late replies\n\n2 fault silent 6 module 03\n"
                         "8 late 500\n  8 fault late 6 module 03\n30.5 ramp 9 0.1\n";
  std::string error;
  const auto schedule = sim::ReadSchedule(path, &error);
  ASSERT_TRUE(schedule) << error;
  ASSERT_EQ(schedule->size(), 4u);
  EXPECT_EQ((*schedule)[2].at, 8.0);
  EXPECT_EQ((*schedule)[2].control.text, "fault late 6 module 03");
  EXPECT_EQ((*schedule)[3].at, 30.5);
  std::ofstream(path) << "1 set 3 1.5\nsoon fault silent 2\n";
  EXPECT_FALSE(sim::ReadSchedule(path, &error));
  EXPECT_NE(error.find("schedule:2:"), std::string::npos) << error;
  std::ofstream(path) << "1 set 3 1.5\n2 fault silent\n";
  EXPECT_FALSE(sim::ReadSchedule(path, &error));
  EXPECT_NE(error.find("schedule:2:"), std::string::npos) << error;
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace mv
