// Whole-program switching runs against simulated instruments on pseudo-terminals: a
// set-up file is launched, the interface and its port are chosen as a user does, the
// switching window is opened from the set-up window and the output coding and devices
// are set there; the recording then runs on the virtual clock to its last sample (the
// instrument still answers in real time), and every switching command the simulator
// received is decoded into the lines it turned on and compared with the lines the user
// chose, switch by switch.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "control/state.h"
#include "drive/script.h"
#include "e2e/program_run_fixture.h"
#include "e2e/simulated_run_fixture.h"
#include "e2e/switching_commands.h"
#include "files/setup_file.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/windows.h"
#include "setup/state.h"
#include "shell/control_loop.h"
#include "shell/main_body.h"
#include "sim/sim.h"

namespace mv {
namespace {

using namespace test::switching;

namespace fs = std::filesystem;

// The switching set-up the set-up file carries.
struct Switching {
  int16_t pattern;
  float refint, switchint;  // minutes
  int16_t refChan, refChan2;
};

struct SwitchingRun {
  const char* name;
  sim::Kind kind;
  int16_t code;  // the interface's item in the device window's popup
  Switching switching;
  std::vector<float> devices;  // of channels 1, 2, ...
  int chartTicks, samples;     // the recording's sample interval and length
  // What the user does in the switching window ("%" stands for the screenshot's path).
  const char* window;
  const char* shot;
  std::vector<std::string> (*decode)(const std::string&);
  std::vector<std::string> expected;  // every switching command received, in order
  int16_t codingAfter;                // slot 3 when the program has ended
};

void PrintTo(const SwitchingRun& run, std::ostream* out) {
  *out << run.name;
}

// The program starts with the three-bit word (slot 3 = 1). Before the set-up window it
// switches to the reference in that coding; the user then opens the switching window
// from the set-up window and chooses one line per device. From there on each run
// below sends: the reference as the window closes, the reference at the run's start,
// the pattern's switches, the reference at the run's end, the reference again as the
// window (opened after the run to look at it) closes, and all off at Quit.
// clang-format off
const SwitchingRun kRuns[] = {
    // Reference at start and end, 4 minutes at 1 s: device 1 is the reference (line 1),
    // channel 1 samples device 2 from refint (1 min) until the last refint of the run.
    {"UI3StartAndEnd", sim::Kind::UI3, 2, {3, 1.0f, 0.0f, 1, 0}, {2}, 60, 240,
     "click 3 174\nshot 3 %\nclick 3 177\n", "w3-switching-ui3-start-and-end.png", SableSwitches,
     {SableWord(1), SableLines({1}), SableLines({1}), SableLines({2}), SableLines({1}), SableLines({1}),
      SableLines({1}), SableLines({})},
     0},
    // Periodic references with two groups, 7 minutes at 2 s: the set-up file's pattern
    // opened as its one-group partner under the word, so the user ticks two groups
    // again (which switches to the reference). References 1 and 5 go on together; the
    // pairs 2 with 6 and 3 with 7 take turns, refint 0.5 min between sample periods of
    // 1 min: samples at 0.5, 2, 3.5, 5 and 6.5 min, references between them.
    {"UI3PeriodicTwoGroups", sim::Kind::UI3, 2, {6, 0.5f, 1.0f, 1, 5}, {2, 3, 6, 7}, 120, 210,
     "click 3 174\nclick 3 176\nshot 3 %\nclick 3 177\n", "w3-switching-ui3-two-groups.png", SableSwitches,
     {SableWord(1), SableLines({1, 5}), SableLines({1, 5}), SableLines({1, 5}), SableLines({2, 6}),
      SableLines({1, 5}), SableLines({3, 7}), SableLines({1, 5}), SableLines({2, 6}), SableLines({1, 5}),
      SableLines({3, 7}), SableLines({1, 5}), SableLines({2, 6}), SableLines({1, 5}), SableLines({1, 5}),
      SableLines({})},
     0},
    // A DT500 (every line off at its connection) with a channel on device 6: one line per
    // device is chosen in the window, Setup OK refuses device 6 (the DT500 has lines 1 to
    // 4), and the user takes device 2. Line 2 is then the sample's, line 1 the reference's.
    {"DT500CodingChangedInTheWindow", sim::Kind::DT500, 3, {3, 1.0f, 0.0f, 1, 0}, {6}, 60, 240,
     "click 3 174\nshot 3 %\nclick 3 177\nclick 3 12\nclick 3 177\n",
     "w3-switching-dt500-after-coding-change.png", DataTakerSwitches,
     {DT500Lines({}), DT500Word(1), DT500Lines({1}), DT500Lines({1}), DT500Lines({2}), DT500Lines({1}),
      DT500Lines({1}), DT500Lines({1}), DT500Lines({})},
     0},
    // An ADC-1 with reference device 7 from the set-up file: a reference the program
    // refuses is never put out, so the valves stay as they were until the user's choice;
    // the window offers six reference devices and refuses 7 at Setup OK; the user takes 6.
    {"ADC1SixReferenceDevices", sim::Kind::ADC1, 9, {3, 1.0f, 0.0f, 7, 0}, {2}, 60, 240,
     "shot 3 %\nclick 3 177\nclick 3 6\nclick 3 177\n", "w3-switching-adc1-refused-reference.png",
     Adc1Switches,
     {Adc1Devices({6}), Adc1Devices({6}), Adc1Devices({2}), Adc1Devices({6}),
      Adc1Devices({6}), Adc1Devices({6}), Adc1Devices({})},
     1},
};
// clang-format on

class SwitchingRunE2E : public test::SimulatedRunTest, public ::testing::WithParamInterface<SwitchingRun> {
 protected:
  void SetUp() override {
    SimulatedRunTest::SetUp();
    // The recording runs on the virtual clock from its preparation on.
    SetControlLoopTap([this](const std::string& step) {
      log_.push_back(step);
      if (step == "run preparation") rt::UseVirtualClock(true);
    });
  }

  fs::path WriteSetup(const SwitchingRun& run) {
    SetupRecord setup;
    setup.recordingMode = RecordingModeCode::Chart;
    setup.channels = static_cast<int16_t>(run.devices.size());
    setup.chartTicks = static_cast<float>(run.chartTicks);
    setup.scopeTicks = 1;
    setup.scopeMax = 256;
    setup.maxSamples = run.samples;
    setup.switchingMode = run.switching.pattern;
    setup.refint = run.switching.refint;
    setup.switchint = run.switching.switchint;
    setup.refChan = run.switching.refChan;
    setup.refChan2 = run.switching.refChan2;
    for (std::size_t i = 0; i < run.devices.size(); ++i) {
      auto& ch = setup.channelTable[i + 1];
      ch[ChanField::Gain] = 2;
      ch[ChanField::Input] = run.kind == sim::Kind::DT500 ? 3 : 1;
      ch[ChanField::B] = 1;
      ch[ChanField::PlotMax] = 2;
      ch[ChanField::Averaged] = 1;
      ch[ChanField::Device] = run.devices[i];
      if (run.kind == sim::Kind::DT500) setup.dataTaker[i + 1] = {1, 0, 0, 0, 0};  // a voltage input
    }
    EXPECT_EQ(SetupRecordProblem(setup), "");
    const fs::path file = documents_ / "switching.MVsetup";
    std::ofstream(file, std::ios::binary) << EncodeSetup(setup);
    return file;
  }

  std::string Script(const SwitchingRun& run, const fs::path& setup) const {
    std::string window = run.window;
    window.replace(window.find('%'), 1, Shot(run.shot));
    return "start " + setup.string() + "\nuntil 11 20\nclick-label 11 Reset\nuntil 21 20\npick 21 182 " +
           std::to_string(run.code) + "\nclick-label 21 Selection OK\nuntil 88\nclick-label 88 " + link_ +
           "\nclick-label 88 Selection OK\ngone 88\nuntil 104 30\nclick 104 209\nuntil 3\n" + window +
           "gone 3\nclick 104 203\ngone 104\nuntil 112 120\n"
           // After the run the window opens as the user left it.
           "menu 2 19\nuntil 3\nshot 3 " +
           Shot((std::string("w3-switching-") + run.name + "-after-run.png").c_str()) +
           "\nclick 3 177\ngone 3\nclick 112 6\nexpect-exit 0\n";
  }
};

TEST_P(SwitchingRunE2E, TheLinesThatOpenAreTheLinesTheUserChose) {
  const SwitchingRun& run = GetParam();
  sim::Options o;
  o.kind = run.kind;
  ASSERT_NO_FATAL_FAILURE(StartSimulatorWith(o));
  const fs::path setup = WriteSetup(run);

  drive::ScriptRunner runner(Script(run, setup));
  const auto result = runner.Run([](int argc, char** argv) { MainBody(argc, argv); });
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result) << "\nreceived: " << sim_->Received();

  // Every command has gone out; the instrument's thread may still be reading the last,
  // whose first bytes alone may already decode.
  std::vector<std::string> seen;
  for (int i = 0; i < 600; ++i) {
    seen = run.decode(sim_->Received());
    if (seen == run.expected) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_EQ(seen, run.expected) << ::testing::PrintToString(sim_->Received());
  EXPECT_EQ(PrefsArray[PrefsSlot::DigitalOutputCoding], run.codingAfter) << "no switch rewrites the coding";
  EXPECT_EQ(SwitchingMode, run.switching.pattern) << "the pattern as the user left it";
}

INSTANTIATE_TEST_SUITE_P(Interfaces, SwitchingRunE2E, ::testing::ValuesIn(kRuns),
                         [](const ::testing::TestParamInfo<SwitchingRun>& info) { return info.param.name; });

}  // namespace
}  // namespace mv
