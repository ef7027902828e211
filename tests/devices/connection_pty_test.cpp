// Every connection road against the instrument simulator on a pseudo-terminal, through
// the real termios port: the transcript of openings, rates and bytes, what the simulated
// instrument received, and the Connection Error window when it stays silent. Then the
// whole choice as a user makes it: device window, port window, animation, connection.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "connection_test_support.h"
#include "devices/connection.h"
#include "devices/state.h"
#include "kit/state.h"
#include "runtime/system.h"
#include "sim/sim.h"

namespace mv {
namespace {

using test::OpenMark;
using SteadyClock = std::chrono::steady_clock;

const std::string kDT800List =
    "RESET\rLOGOFF\rP11=60\rP46=80\rP60=50\rP32=7\r/R\r/k\r/h\r/e\r/o\r/k\r/y\r/u\r/c\r/n\r/m\r/v\r/z\r"
    "1DSO=0\r2DSO=0\r3DSO=0\r4DSO=0\r5DSO=0\r6DSO=0\r7DSO=0\r8DSO=0\rP47=5\r1SSPWR=1\r";

class PtyRoadTest : public test::ConnectionTest {
 protected:
  void SetUp() override {
    ConnectionTest::SetUp();
    dir = test::MakeTempDir("connect");
  }
  void TearDown() override {
    ConnectionTest::TearDown();
    SetExtraSerialPorts({});
    if (sim) sim->Stop();
    std::filesystem::remove_all(dir);
  }
  // Starts the simulated instrument; the port list is its link alone, logged.
  void Start(sim::Kind kind, sim::Fault fault = sim::Fault::None) {
    sim::Options o;
    o.kind = kind;
    o.faults = {{.fault = fault}};
    o.link = (dir / "instrument").string();
    link = o.link;
    sim = std::make_unique<sim::Simulator>(o);
    std::string error;
    ASSERT_TRUE(sim->Start(&error)) << error;
    SetPortLister([this] { return std::vector<std::string>{link}; });
    test::UseLoggedPosixLine(&wire);
    ActiveSerialPort = -1;
  }
  // What the instrument received, once `n` bytes have come (or 2 s have passed).
  std::string Received(size_t n) {
    const auto end = SteadyClock::now() + std::chrono::seconds(2);
    while (sim->Received().size() < n && SteadyClock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return sim->Received();
  }

  std::filesystem::path dir;
  std::string link;
  std::unique_ptr<sim::Simulator> sim;
  std::string wire;
};

TEST_F(PtyRoadTest, UI3) {
  Start(sim::Kind::UI3);
  External_AD = ExternalADCode::SableUI3;
  SetUpSerialPort();
  EXPECT_EQ(wire, OpenMark(115200) + "ee");
  EXPECT_EQ(Received(2), "ee");
  EXPECT_TRUE(LastConnection().confirmed);
  EXPECT_EQ(LastConnection().firmware, "301");
  EXPECT_EQ(PrefsArray[PrefsSlot::Range512], 1);
}

TEST_F(PtyRoadTest, UI2SwitchesTo115200) {
  Start(sim::Kind::UI2);
  External_AD = ExternalADCode::SableUI2;
  baudrate = 115200;
  SetUpSerialPort();
  EXPECT_EQ(wire, OpenMark(115200) + "f[close]" + OpenMark(115200) + "e");
  EXPECT_EQ(Received(2), "fe");
  EXPECT_EQ(LastConnection().firmware, "205");
  EXPECT_EQ(PrefsArray[PrefsSlot::Range512], 1);
}

TEST_F(PtyRoadTest, DT800AcceptsItsRateAndList) {
  Start(sim::Kind::DT800);
  External_AD = ExternalADCode::DT800;
  baudrate = 0;
  SetUpSerialPort();
  EXPECT_EQ(wire, OpenMark(57600) + "PH=115200\r[close]" + OpenMark(115200) + kDT800List);
  const std::string all = "PH=115200\r" + kDT800List;
  EXPECT_EQ(Received(all.size()), all);
  EXPECT_EQ(sim->Sent(), "") << "the lists are not answered";
}

TEST_F(PtyRoadTest, AdamIdentification) {
  Start(sim::Kind::ADAM);
  External_AD = ExternalADCode::ADAM;
  baudrate = 9600;
  SetUpSerialPort();
  const std::string requests = "$01M\r$01F\r$02M\r$02F\r$03M\r$03F\r";
  EXPECT_EQ(wire, OpenMark(9600) + requests);
  EXPECT_EQ(Received(requests.size()), requests);
  EXPECT_EQ(ADAM4050present, 1);
  EXPECT_EQ(PrefsArray[PrefsSlot::Adam16Inputs], 13);
  EXPECT_EQ(LastConnection().firmware, "A1.05");
}

TEST_F(PtyRoadTest, SilentInstrumentEndsInTheConnectionErrorWindowWithinItsBound) {
  Start(sim::Kind::UI3, sim::Fault::Silent);
  External_AD = ExternalADCode::SableUI3;
  test::WindowAnswer retry(kConnectionErrorWindow, 3);
  const uint32_t startTick = rt::TickCount();
  const auto startTime = SteadyClock::now();
  SetUpSerialPort();
  ASSERT_TRUE(retry.Clicked());
  EXPECT_LE(retry.SeenAtTick() - startTick, 2u * 60 + 4);
  EXPECT_LT(SteadyClock::now() - startTime, std::chrono::seconds(8));
  EXPECT_EQ(wire, OpenMark(115200) + "ee[close]");
  EXPECT_EQ(LastConnection().errorName, "UI2, UI3");
  EXPECT_EQ(PrefsArray[PrefsSlot::RedoInterface], 1);
}

TEST_F(PtyRoadTest, SimulatedLoggersAnswerChannelReads) {
  Start(sim::Kind::DT50);
  ASSERT_TRUE(OpenActivePort(9600).ok);
  SerialLine().Write("3V\r1:12-V\r7HSC\r5*TK\rCLEAR\r");
  const auto end = SteadyClock::now() + std::chrono::seconds(2);
  while (sim->Sent().size() < 26 && SteadyClock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(sim->Sent(), "1234.5\r\n1234.5\r\n42\r\n23.5\r\n");

  std::string error;
  auto options =
      sim::ParseCommandLine({"--kind", "adam", "--link", "/tmp/x", "--modules", "4019,-,4019"}, &error);
  ASSERT_TRUE(options) << error;
  EXPECT_EQ(options->adamModules, (std::vector<std::string>{"4019", "", "4019"}));
}

// ---- the whole choice, as a user makes it ------------------------------------------------------

class UserChoiceTest : public PtyRoadTest {
 protected:
  // The simulator's link is added to the platform's port list, where it comes last and so
  // is the port offered first.
  void StartListed(sim::Fault fault) {
    Start(sim::Kind::UI3, fault);
    SetPortLister(nullptr);
    SetLineOpener(nullptr);
    SetExtraSerialPorts({link});
    PrefsArray[PrefsSlot::InterfaceCode] = 0;
  }
  // The start-up's interface set-up: choose, then connect.
  void ChooseAndConnect() {
    ExternalADtype(0);
    ASSERT_TRUE(rt::WindowExists(kProgressWindow));
    rt::SaveWindowImage(kProgressWindow, (test::TestOutputDir() / "w251-animation.png").string());
    CHANGE_SERIAL_PORT();
  }
};

TEST_F(UserChoiceTest, SelectUI3ThenItsPortAndTheConnectionSeemsOK) {
  StartListed(sim::Fault::None);
  test::UserSteps user;
  user.Pick(21, 182, 2)
      .Shot(21, "w21-external-ad-device.png")
      .Click(21, 16)
      .Shot(88, "w88-serial-port.png")
      .Click(88, 20)
      .Start();
  ChooseAndConnect();
  EXPECT_TRUE(user.Done());
  EXPECT_EQ(External_AD, ExternalADCode::SableUI3);
  EXPECT_EQ(ActiveSerialPort, -static_cast<int16_t>(ListSerialPorts().size()));
  EXPECT_EQ(Received(2), "ee");
  EXPECT_TRUE(LastConnection().confirmed);
  EXPECT_EQ(LastConnection().firmware, "301");
  ASSERT_TRUE(rt::WindowExists(kProgressWindow));
  EXPECT_TRUE(
      rt::SaveWindowImage(kProgressWindow, (test::TestOutputDir() / "w251-connection-ok.png").string()));
  EXPECT_TRUE(SerialLine().IsOpen());
}

TEST_F(UserChoiceTest, SilentUI3ShowsTheConnectionErrorWindow) {
  StartListed(sim::Fault::Silent);
  test::UserSteps user;
  user.Pick(21, 182, 2)
      .Click(21, 16)
      .Click(88, 20)
      .Shot(kConnectionErrorWindow, "w1779-connection-error.png")
      .Shot(kProgressWindow, "w251-not-found.png")
      .Click(kConnectionErrorWindow, 1)
      .Start();
  ChooseAndConnect();
  EXPECT_TRUE(user.Done());
  EXPECT_EQ(LastConnection().errorName, "UI2, UI3");
  EXPECT_EQ(External_AD, ExternalADCode::Demonstration);
  EXPECT_EQ(DemonstrationMODE, 1);
  EXPECT_FALSE(rt::WindowExists(kProgressWindow));
}

}  // namespace
}  // namespace mv
