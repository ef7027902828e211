// Every connection road against the instrument simulator on a pseudo-terminal, through
// the real termios port: the transcript of openings, rates and bytes, what the simulated
// instrument received, and the Connection Error window when it stays silent. Then the
// whole choice as a user makes it: device window, port window, animation, connection.
#include <gtest/gtest.h>
#include <unistd.h>

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

// The port another program holds (here a second opening, with its own lock) is refused
// at the connection with a reason naming the port and its holder, and neither a byte
// is sent nor one the holder has not read yet taken away.
TEST_F(PtyRoadTest, APortAnotherProgramHoldsIsRefusedNamingItAndLeftAlone) {
  Start(sim::Kind::UI3);
  External_AD = ExternalADCode::SableUI3;
  PosixSerialPort first;
  ASSERT_TRUE(first.Open(link, 115200).ok);
  ASSERT_TRUE(first.Write("e"));
  const auto end = SteadyClock::now() + std::chrono::seconds(2);
  while (sim->Sent().size() < 4 && SteadyClock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_EQ(first.BytesWaiting(), static_cast<int>(sim->Sent().size()));

  test::WindowAnswer demo(kConnectionErrorWindow, 1);
  SetUpSerialPort();
  ASSERT_TRUE(demo.Clicked());
  EXPECT_EQ(LastConnection().errorName, "Sable UI3");
  const std::string& why = LastConnection().openError;
  EXPECT_EQ(why.rfind(link + ": the port is in use by another program (", 0), 0u) << why;
  EXPECT_NE(why.find("process " + std::to_string(getpid()) + ")"), std::string::npos) << why;
  EXPECT_EQ(wire, "") << "nothing was opened";
  EXPECT_EQ(sim->Received(), "e") << "nothing was sent on the holder's line";
  EXPECT_EQ(first.BytesWaiting(), static_cast<int>(sim->Sent().size())) << "its reply is still there";
  EXPECT_EQ(first.ReadBytes(64), sim->Sent());

  // Once the holder lets go, the port is the program's, for it alone.
  first.Close();
  EXPECT_TRUE(OpenActivePort(115200).ok);
  PosixSerialPort second;
  const SerialOpenResult refused = second.Open(link, 115200);
  EXPECT_FALSE(refused.ok);
  EXPECT_NE(refused.reason.find("in use by another program"), std::string::npos) << refused.reason;
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

// "Selection OK" on a port another program holds: the window says so and stays, and
// the user goes on in demonstration mode; nothing was opened or sent.
TEST_F(UserChoiceTest, APortAnotherProgramHoldsIsRefusedInThePortWindow) {
  StartListed(sim::Fault::None);
  PosixSerialPort first;
  ASSERT_TRUE(first.Open(link, 115200).ok);
  std::string shown;
  test::UserSteps user;
  user.Pick(21, 182, 2)
      .Click(21, 16)
      .Click(88, 20)
      .Check(88, [&] { shown = rt::EditFieldExists(23) ? rt::EditText(23) : ""; })
      .Shot(88, "w88-serial-port-in-use.png")
      .Click(88, 19)
      .Start();
  ExternalADtype(0);
  EXPECT_TRUE(user.Done());
  EXPECT_EQ(shown, PortInUseText(link, false));
  EXPECT_EQ(shown.rfind("This port is in use by another program (", 0), 0u) << shown;
  EXPECT_NE(shown.find("process " + std::to_string(getpid()) + ")"), std::string::npos) << shown;
  EXPECT_EQ(External_AD, ExternalADCode::Demonstration);
  EXPECT_EQ(sim->Received(), "");
  EXPECT_TRUE(first.IsOpen());
}

// The holder lets go while the window shows why: the same choice is then taken. The
// port is the program's from then on, and its own line never refuses it: the port
// window offered again with the same port, and the connection made again on it.
TEST_F(UserChoiceTest, APortLetGoIsTakenAndTheProgramsOwnLineNeverRefusesIt) {
  StartListed(sim::Fault::None);
  PosixSerialPort first;
  ASSERT_TRUE(first.Open(link, 115200).ok);
  std::string shown;
  test::UserSteps user;
  user.Pick(21, 182, 2)
      .Click(21, 16)
      .Click(88, 20)
      .Check(88, [&] { first.Close(); })
      .Click(88, 20)
      .Start();
  ChooseAndConnect();
  EXPECT_TRUE(user.Done());
  EXPECT_TRUE(LastConnection().confirmed);
  ASSERT_TRUE(SerialLine().IsOpen());

  test::UserSteps again;
  again.Check(88, [&] { shown = rt::EditFieldExists(23) ? rt::EditText(23) : ""; }).Click(88, 20).Start();
  ReconfigureSerialPort();
  EXPECT_TRUE(again.Done());
  EXPECT_EQ(shown, "") << "the program's own port";
  EXPECT_TRUE(SerialLine().IsOpen());
  CHANGE_SERIAL_PORT();
  EXPECT_TRUE(LastConnection().confirmed) << LastConnection().openError;
  EXPECT_FALSE(first.Open(link, 115200).ok) << "still the program's alone";
}

}  // namespace
}  // namespace mv
