// The Sample Rate window's measured check against a simulated UI3 on a pseudo-terminal
// at 115,200 baud with 16 channels, on the real clock (the simulator answers in its own
// thread): an interval shorter than the interface's real sweeps is named with the sweep
// time and a longer interval is offered; one it keeps passes silently; a silent
// instrument does not hold the window up. A DT800 is timed in the mode the interval will
// read in (its high-speed mode below 0.1 s), on a scripted line.
#include <filesystem>
#include <memory>
#include <string>

#include "devices/needs.h"
#include "devices/scripted_port.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "dialog_steps.h"
#include "kit/format.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/windows.h"
#include "setup/channel_dialogs.h"
#include "setup/interval_rules.h"
#include "setup/state.h"
#include "sim/sim.h"

namespace mv {
namespace {

constexpr int16_t kWindow = kIntervalWindow;
constexpr int16_t kCautionField = 123, kUseKept = 202, kUseOther = 13, kOK = 14;
// A UI3 analog reading is a one-byte request and a two-byte reply, ten bits a byte at
// 115,200 baud: 16 of them cannot take less than this on the wire.
constexpr double kWireSeconds = 16 * 3 * 10 / 115200.0;

class IntervalSweepCheckTest : public test::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    rt::UseVirtualClock(false);
    // A failed reading ends the sample's beep, which the recording screen plays.
    services::StopSampleBeep = [] {};
    dir_ = test::MakeTempDir("sweep-check");
    PrefsArray[PrefsSlot::WindowWidth] = 700;
    RecordingMODE = RecordingModeCode::Chart;
    External_AD = ExternalADCode::SableUI3;
    DemonstrationMODE = 0;
    nChannels = 16;
    FirstChan = 1;
    MaxSamples = 3'600;
    for (int16_t k = 1; k <= 16; ++k) {
      ChannelVariables[k][ChanField::Input] = static_cast<float>((k - 1) % 8 + 1);
      ChannelVariables[k][ChanField::Averaged] = 1;
    }
  }
  void TearDown() override {
    CloseSerialPort();
    if (sim_) sim_->Stop();
    std::filesystem::remove_all(dir_);
    DialogTest::TearDown();
  }
  void StartUI3(std::vector<sim::FaultSpec> faults = {}) {
    sim::Options o;
    o.kind = sim::Kind::UI3;
    o.baud = 115200;
    o.faults = std::move(faults);
    o.link = (dir_ / "port").string();
    sim_ = std::make_unique<sim::Simulator>(o);
    std::string error;
    ASSERT_TRUE(sim_->Start(&error)) << error;
    const SerialOpenResult r = OpenSerialPortPath(o.link, 115200);
    ASSERT_TRUE(r.ok) << r.reason;
  }
  void OpenAt(double seconds, int16_t button) {
    OldChartSpeed = seconds;
    OldChartSpeedBut = button;
    ChartIntervalInSeconds = seconds;
  }

  std::filesystem::path dir_;
  std::unique_ptr<sim::Simulator> sim_;
};

// The sweep time the caution names, in seconds: "... 16 channels take 12.7 ms a sweep; ...".
double NamedSweepSeconds(const std::string& caution) {
  const auto at = caution.find("channels take");
  if (at == std::string::npos) return 0;
  return TextToNumber(caution.substr(at + 13)) / 1000.0;
}

struct Case {
  const char* name;
  double interval;
  int16_t button;
  bool named;
};

TEST_F(IntervalSweepCheckTest, AnIntervalTheInterfaceCannotKeepIsNamedWithItsMeasuredSweep) {
  const Case cases[] = {
      {"a hundredth, typed", 0.01, kUseOther, true},
      {"a tenth, the preset", 0.1, 6, false},
  };
  ASSERT_NO_FATAL_FAILURE(StartUI3());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sounds.clear();
    OpenAt(c.interval, c.button);
    double offered = 0;
    test::WindowDriver driver;
    driver.WaitFor(kWindow).Check([&] {
      ASSERT_EQ(rt::EditFieldExists(kCautionField), c.named);
      ASSERT_EQ(rt::ControlExists(kUseKept), c.named);
      if (!c.named) {
        EXPECT_EQ(Played("bzot.mp3"), 0)
            << "the usual speeds would warn here; the measured sweep keeps 0.1 s";
        return;
      }
      const std::string caution = rt::EditText(kCautionField);
      const double sweep = NamedSweepSeconds(caution);
      offered = TextToNumber(rt::ControlTitle(kUseKept).str().substr(3));
      std::printf("measured UI3 sweep of 16 channels at 115,200 baud: %s; offered %.3f s\n", caution.c_str(),
                  offered);
      EXPECT_GT(sweep, kWireSeconds) << caution;
      EXPECT_GE(offered, sweep * (1 + kSweepMarginFraction) - 0.0001) << caution;
      EXPECT_GE(offered, sweep + kSweepMarginSeconds - 0.0001) << caution;
      EXPECT_GT(offered, c.interval);
      EXPECT_EQ(Played("bzot.mp3"), 1);
    });
    if (c.named) {
      driver.Shot(kWindow, Shot("w9-interval-measured-caution.png")).Click(kWindow, kUseKept).Check([&] {
        EXPECT_EQ(SampleIntervalinSeconds, offered) << "the offered interval is taken as typed";
        EXPECT_EQ(rt::ControlState(kUseOther), 2);
        EXPECT_FALSE(rt::EditFieldExists(kCautionField)) << "the offered interval is kept: no caution";
        EXPECT_FALSE(rt::ControlExists(kUseKept));
      });
    }
    driver.Click(kWindow, kOK);
    RunVoid(driver, [] { GetSampleINTERVAL("Chart Channels"); });
    EXPECT_FALSE(rt::WindowExists(kWindow));
    EXPECT_EQ(OldChartSpeed, c.named ? offered : c.interval);
  }
}

TEST_F(IntervalSweepCheckTest, ASilentInstrumentDoesNotHoldTheWindowUp) {
  ASSERT_NO_FATAL_FAILURE(StartUI3({{.fault = sim::Fault::Silent}}));
  OpenAt(0.01, kUseOther);
  const double opened = GetCurrentTimeInSeconds();
  test::WindowDriver driver;
  driver.WaitFor(kWindow)
      .Check([&] {
        // One reply's time-out (a second) and the sweep's quiet wait, not one a channel.
        EXPECT_LT(GetCurrentTimeInSeconds() - opened, 3.0);
        EXPECT_FALSE(rt::EditFieldExists(kCautionField)) << "nothing measured";
        EXPECT_GE(Played("bzot.mp3"), 1) << "the usual speeds' caution stands";
      })
      .Click(kWindow, kOK);
  RunVoid(driver, [] { GetSampleINTERVAL("Chart Channels"); });
  EXPECT_FALSE(rt::WindowExists(kWindow));
}

// The window's check with and without an instrument to time: only a sweep that asked
// the instrument for every channel is timed. Before the channel set-up (no inputs yet)
// nothing is read, so nothing is timed and nothing offered: the usual speeds' caution
// stands, as it does with no instrument on the line.
TEST_F(IntervalSweepCheckTest, OnlyASweepThatReadTheChannelsIsTimedElseTheUsualSpeedsCautionStands) {
  struct Row {
    const char* name;
    bool instrument;
    bool inputsSet;
    bool measured;
  };
  const Row rows[] = {
      {"a UI3, its channels set up", true, true, true},
      {"a UI3, no channel's input set yet", true, false, false},
      {"no instrument on the line", false, true, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    if (row.instrument && !sim_) {
      ASSERT_NO_FATAL_FAILURE(StartUI3());
    }
    if (!row.instrument) CloseSerialPort();
    for (int16_t k = 1; k <= 16; ++k)
      ChannelVariables[k][ChanField::Input] = row.inputsSet ? static_cast<float>((k - 1) % 8 + 1) : 0.0f;
    sounds.clear();
    OpenAt(0.01, kUseOther);
    test::WindowDriver driver;
    driver.WaitFor(kWindow)
        .Check([&] {
          EXPECT_EQ(rt::EditFieldExists(kCautionField), row.measured);
          EXPECT_EQ(rt::ControlExists(kUseKept), row.measured)
              << "an interval is offered only from a timed sweep";
          if (row.measured) {
            EXPECT_GT(NamedSweepSeconds(rt::EditText(kCautionField)), kWireSeconds);
          }
          EXPECT_EQ(Played("bzot.mp3"), 1) << "one caution, measured or usual";
        })
        .Click(kWindow, kOK);
    RunVoid(driver, [] { GetSampleINTERVAL("Chart Channels"); });
    EXPECT_FALSE(rt::WindowExists(kWindow));
  }
}

// A DT800 on a scripted line (the virtual clock): a high-accuracy reading ("nV")
// answers at once, a high-speed one ("nVNC") a tick later, so the high-speed mode is
// the slower a sweep, as a real logger's can be.
class ScriptedDT800 : public ScriptedSerialPort {
 public:
  bool Write(std::string_view bytes) override {
    const bool reading = !bytes.empty() && bytes.front() >= '1' && bytes.front() <= '9';
    if (reading) ReplyNext("1234.5\r\n", bytes.find("VNC") != std::string_view::npos ? 1 : 0);
    ScriptedSerialPort::Write(bytes);
    return true;
  }
};

class DT800SweepCheckTest : public test::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    services::StopSampleBeep = [] {};
    PrefsArray[PrefsSlot::WindowWidth] = 700;
    RecordingMODE = RecordingModeCode::Chart;
    External_AD = ExternalADCode::DT800;
    DemonstrationMODE = 0;
    DT800FastAcquisitionMode = 0;
    nChannels = 16;
    FirstChan = 1;
    MaxSamples = 3'600;
    for (int16_t k = 1; k <= 16; ++k) {
      ChannelVariables[k][ChanField::Input] = static_cast<float>(k);
      ChannelVariables[k][ChanField::Averaged] = 1;
      DataTakerChannels[k] = {1, 0, 0, 0, 0};
    }
    InstallSerialPort(std::make_unique<ScriptedDT800>());
  }
  void TearDown() override {
    CloseSerialPort();
    DialogTest::TearDown();
  }
};

TEST_F(DT800SweepCheckTest, TheCheckTimesTheModeTheIntervalReadsInAndOffersAnIntervalTheRunKeeps) {
  // 0.081 s reads in the high-speed mode: 16 readings a tick apart, about 0.27 s a
  // sweep, which no interval below 0.1 s keeps. The offer is 0.1 s, in the
  // high-accuracy mode, whose readings answer at once.
  OldChartSpeed = ChartIntervalInSeconds = 0.081;
  OldChartSpeedBut = kUseOther;
  test::WindowDriver driver;
  driver.WaitFor(kWindow)
      .Check([&] {
        ASSERT_TRUE(rt::EditFieldExists(kCautionField)) << "the high-speed sweeps are timed";
        const double sweep = NamedSweepSeconds(rt::EditText(kCautionField));
        EXPECT_GT(sweep, 16 * 0.0166) << rt::EditText(kCautionField);
        EXPECT_EQ(rt::ControlTitle(kUseKept).str(), "Use 0.1 s");
        EXPECT_EQ(DT800FastAcquisitionMode, 0) << "the logger is left in its mode";
      })
      .Shot(kWindow, Shot("w9-interval-dt800-high-speed-caution.png"))
      .Click(kWindow, kUseKept)
      .Check([&] {
        EXPECT_EQ(SampleIntervalinSeconds, 0.1);
        EXPECT_FALSE(rt::EditFieldExists(kCautionField))
            << "0.1 s reads in the high-accuracy mode, which keeps it";
      })
      .Click(kWindow, kOK);
  RunVoid(driver, [] { GetSampleINTERVAL("Chart Channels"); });
  EXPECT_EQ(OldChartSpeed, 0.1);
  EXPECT_EQ(DT800FastAcquisitionMode, 0) << "the run reads in the mode the check timed";
}

}  // namespace
}  // namespace mv
