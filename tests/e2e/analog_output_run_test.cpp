// A whole-program run with both analog outputs scripted on a simulated UI3: the scripts
// are typed in the D-A menu's windows, the recording runs on the virtual clock, and
// every command the program writes to the instrument is stamped with the program's tick.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "devices/serial_port.h"
#include "drive/script.h"
#include "e2e/program_run_fixture.h"
#include "e2e/simulated_run_fixture.h"
#include "files/setup_file.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "setup/state.h"
#include "shell/control_loop.h"
#include "shell/main_body.h"
#include "sim/sim.h"

namespace mv {
namespace {

namespace fs = std::filesystem;

struct Stamped {
  uint64_t tick;
  std::string bytes;
};

// The instrument's own port, opened again by the test, that notes the tick of each write.
class TickStampedPort : public PosixSerialPort {
 public:
  explicit TickStampedPort(std::vector<Stamped>& writes) : writes_(writes) {}
  bool Write(std::string_view bytes) override {
    writes_.push_back({rt::TickCount(), std::string(bytes)});
    return PosixSerialPort::Write(bytes);
  }

 private:
  std::vector<Stamped>& writes_;
};

class AnalogOutputRunE2E : public test::SimulatedRunTest {
 protected:
  void SetUp() override {
    SimulatedRunTest::SetUp();
    // From the run's preparation on, the program runs on the virtual clock and writes
    // through a port that stamps each command.
    SetControlLoopTap([this](const std::string& step) {
      log_.push_back(step);
      if (step != "run preparation") return;
      rt::UseVirtualClock(true);
      auto port = std::make_unique<TickStampedPort>(writes_);
      const SerialOpenResult opened = port->Open(link_, 115200);
      EXPECT_TRUE(opened.ok) << opened.reason;
      InstallSerialPort(std::move(port));
    });
  }

  // One chart channel every half second for 20 s; no switching.
  fs::path WriteSetup() {
    SetupRecord setup;
    setup.recordingMode = RecordingModeCode::Chart;
    setup.channels = 1;
    setup.chartTicks = 30;
    setup.scopeTicks = 1;
    setup.scopeMax = 256;
    setup.maxSamples = 40;
    auto& ch1 = setup.channelTable[1];
    ch1[ChanField::Gain] = 2;
    ch1[ChanField::Input] = 1;
    ch1[ChanField::B] = 1;
    ch1[ChanField::PlotMax] = 2;
    ch1[ChanField::Averaged] = 1;
    EXPECT_EQ(SetupRecordProblem(setup), "");
    const fs::path file = documents_ / "outputs.MVsetup";
    std::ofstream(file, std::ios::binary) << EncodeSetup(setup);
    return file;
  }

  std::vector<Stamped> writes_;
};

// Both scripts start at the first sample (1 V on output 1, 2 V on output 2, each held a
// minute). The first screen sends output 1's volts; output 2's first volts wait for the
// half-second gate like any other command, the run's start included.
TEST_F(AnalogOutputRunE2E, BothOutputsStartingTogetherKeepTheHalfSecondGate) {
  sim::Options o;
  o.kind = sim::Kind::UI3;
  ASSERT_NO_FATAL_FAILURE(StartSimulatorWith(o));
  const fs::path setup = WriteSetup();
  const std::string script =
      "start " + setup.string() +
      "\nuntil 11 20\nclick-label 11 Reset\nuntil 21 20\npick 21 182 2\nclick-label 21 Selection OK\n"
      "until 88\nclick-label 88 " +
      link_ +
      "\nclick-label 88 Selection OK\ngone 88\nuntil 104 30\n"
      "menu 5 1\nuntil 788\ntype 788 101 1\nclick 788 21\nclick 788 35\ngone 788\n"
      "menu 5 4\nuntil 788\ntype 788 101 2\nclick 788 21\nclick 788 35\ngone 788\n"
      "click 104 203\ngone 104\nuntil 112 60\nclick 112 6\nexpect-exit 0\n";
  drive::ScriptRunner runner(script);
  const auto result = runner.Run([](int argc, char** argv) { MainBody(argc, argv); });
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);

  struct Output {
    uint64_t tick;
    int counts1, counts2;
  };
  std::vector<Output> sent;
  for (const Stamped& w : writes_) {
    if (w.bytes.size() != 6 || w.bytes[0] != 'D') continue;
    const auto u = [&w](int i) { return static_cast<unsigned char>(w.bytes[static_cast<std::size_t>(i)]); };
    sent.push_back({w.tick, u(1) + 256 * u(2), u(3) + 256 * u(4)});
  }
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].counts1, 819) << "1 V";
  EXPECT_EQ(sent[1].counts1, 819);
  EXPECT_EQ(sent[1].counts2, 1638) << "2 V";
  EXPECT_GT(sent[1].tick - sent[0].tick, 30u) << "at most one command per 30 ticks";
}

}  // namespace
}  // namespace mv
