// A whole-program run with both analog outputs scripted on a simulated UI3: the scripts
// are typed in the D-A menu's windows, the recording runs on the virtual clock, and
// every command the program writes to the instrument is stamped with the program's tick.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "control/ao_script_file.h"
#include "devices/serial_port.h"
#include "drive/script.h"
#include "e2e/program_run_fixture.h"
#include "e2e/simulated_run_fixture.h"
#include "files/setup_file.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/menus.h"
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

// The instrument's own port, opened again by the test (the program's opening closed
// first, as a port is one program's alone), that notes the tick of each write.
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
    SetControlLoopTap([this](const std::string& step) { Step(step); });
  }

  // A control-loop step: the run's tick noted; from the run's preparation on, the virtual
  // clock and the stamping port (the program's own opening closed first: a port is one
  // program's alone).
  void Step(const std::string& step) {
    log_.push_back(step);
    if (step == "run") runTick_ = rt::TickCount();
    if (step != "run preparation") return;
    rt::UseVirtualClock(true);
    CloseSerialPort();
    auto port = std::make_unique<TickStampedPort>(writes_);
    const SerialOpenResult opened = port->Open(link_, 115200);
    EXPECT_TRUE(opened.ok) << opened.reason;
    InstallSerialPort(std::move(port));
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
    setup.dataTaker[1] = {1, 0, 0, 0, 0};  // a voltage input, on a DataTaker
    EXPECT_EQ(SetupRecordProblem(setup), "");
    const fs::path file = documents_ / "outputs.MVsetup";
    std::ofstream(file, std::ios::binary) << EncodeSetup(setup);
    return file;
  }

  std::vector<Stamped> writes_;
  uint64_t runTick_ = 0;
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

// ---- feedback runs as the window and the D-A menu's marks show ----------------------------

struct FeedbackStep {
  float setpoint, range, maxVolts, minVolts, minutes;
};
struct EndState {
  bool entered;
  float setpoint, range, maxVolts, minVolts;
};
struct FeedbackRow {
  const char* name;
  bool fromFile;  // loaded by "Open AO Data..." (the window never opens), else typed
  std::vector<FeedbackStep> steps;
  EndState end;
  const char* loopTo;           // typed into "Loop to Step:" and clicked; nullptr: left alone
  bool marked;                  // the D-A menu's feedback marks after the load or the window
  bool scheduleBefore = false;  // a file's: a one-step schedule typed in the window first
  // A file's: it holds only the end state {0, 1, 4.5, 4}; the steps are typed in the
  // window after it is loaded, and the whole is saved by "Save AO Data..." and loaded again.
  bool stepsTypedAfterLoadThenSavedAndReloaded = false;
  sim::Kind kind = sim::Kind::UI3;
  int interfaceItem = 2;  // in the External A/D Device window's popup
  // Output 2 runs a script of 4.5 V first, shut down in the feedback's warning; the
  // whole is saved by "Save AO Data..." and opened again before the run.
  bool scriptShutDownSavedAndReopened = false;
};

// Steps of 3 s each in a 20 s run, then the end state (end mode 1: after the last step).
// clang-format off
const FeedbackRow kFeedbackRows[] = {
    {"AFileWithStepsAndAnEndState", true, {{0, 1, 3, 2, 0.05f}, {0, 1, 1.5f, 1, 0.05f}}, {true, 0, 1, 4.5f, 4}, nullptr,
     true},
    {"AFileWithOnlyAnEndState", true, {}, {true, 0, 1, 4.5f, 4}, nullptr, false},
    {"AFileWithOnlyAnEndStateAfterASchedule", true, {}, {true, 0, 1, 4.5f, 4}, nullptr, false, true},
    {"LoopToStep0WithNoEndState", false, {{0, 1, 3, 2, 0.05f}}, {false, 0, 0, 0, 0}, "0", true},
    {"LoopToTheStepAfterTheLast", false, {{0, 1, 3, 2, 0.05f}, {0, 1, 1.5f, 1, 0.05f}}, {true, 0, 1, 4.5f, 4}, "3",
     true},
    {"AnEndStateOnlyFileThenTypedStepsSavedAndReloaded", true, {{0, 1, 3, 2, 0.05f}}, {false, 0, 0, 0, 0}, nullptr,
     true, false, true},
    // A DT800 has output 1 alone: the schedule is kept, not in force, and nothing is sent.
    {"AFileWithStepsOnADT800", true, {{0, 1, 3, 2, 0.05f}, {0, 1, 1.5f, 1, 0.05f}}, {true, 0, 1, 4.5f, 4}, nullptr,
     false, false, false, sim::Kind::DT800, 5},
    // One step of 2 to 3 V through the whole run.
    {"AScriptShutDownForFeedbackSavedAndReopened", false, {{0, 1, 3, 2, 0.4f}}, {false, 0, 0, 0, 0}, nullptr, true,
     false, false, sim::Kind::UI3, 2, true},
};
// clang-format on

class FeedbackRunE2E : public AnalogOutputRunE2E, public ::testing::WithParamInterface<FeedbackRow> {
 protected:
  // A number typed into a field of the feedback window, in place of what it held.
  static std::string Field(int field, double value) {
    std::ostringstream s;
    s << "type 788 " << field << " x\n";
    for (int i = 0; i < 14; ++i) s << "key Backspace\n";
    s << "type 788 " << field << " " << value << "\n";
    return s.str();
  }
  // The schedule in a file, as "Save AO Data..." would have written it.
  fs::path WriteScheduleFile(const FeedbackRow& row) const {
    AnalogOutputScriptFile f = CaptureAOscriptFile();
    for (size_t k = 0; k < row.steps.size(); ++k) {
      const FeedbackStep& st = row.steps[k];
      f.feedback[k + 1] = {
          0, st.setpoint, st.minVolts, st.maxVolts, st.range, st.minutes, static_cast<float>(k + 2)};
    }
    f.feedbackChan = 1;
    f.updateInterval = 30;
    f.endMode = 1;
    if (row.stepsTypedAfterLoadThenSavedAndReloaded) {
      f.feedback = {};
      f.endSetpoint = 0, f.endRange = 1, f.endMinV = 4, f.endMaxV = 4.5f;
    } else if (row.end.entered) {
      f.endSetpoint = row.end.setpoint;
      f.endRange = row.end.range;
      f.endMinV = row.end.minVolts;
      f.endMaxV = row.end.maxVolts;
    }
    const fs::path file = documents_ / "schedule.AOscr";
    std::ofstream(file, std::ios::binary) << EncodeAOscriptFile(f);
    return file;
  }
  // The window from the D-A menu: channel 1, the steps, the end state, the loop, Done.
  // With output 2's script on, the warning comes first and gives the output up.
  static std::string TypedSchedule(const FeedbackRow& row) {
    std::string s = "menu 5 2\nuntil 788 20\n";
    if (row.scriptShutDownSavedAndReopened)
      s += "click-label 788 Use it for Feedback Control\nclick-label 788 Selection OK\nuntil 788 20\n";
    s += "click 788 1\n";
    for (const FeedbackStep& st : row.steps)
      s += Field(120, st.setpoint) + Field(121, st.range) + Field(122, st.maxVolts) +
           Field(123, st.minVolts) + Field(124, st.minutes) + "click 788 25\n";
    if (row.end.entered)
      s += Field(120, row.end.setpoint) + Field(121, row.end.range) + Field(122, row.end.maxVolts) +
           Field(123, row.end.minVolts) + "click 788 24\n";
    if (row.loopTo)
      s += "type 788 128 x\nkey Backspace\nkey Backspace\ntype 788 128 " + std::string(row.loopTo) +
           "\nclick 788 30\n";
    return s + "click 788 33\ngone 788 20\n";
  }
};

// The output-1 commands a DataTaker received.
int VOCommands(const std::string& log) {
  int n = 0;
  for (std::size_t at = log.find("VO="); at != std::string::npos; at = log.find("VO=", at + 1)) ++n;
  return n;
}

// Every command to output 2 holds volts within the limits of the step in force at its
// tick (an update's room at each change), after the last step within the end state's,
// and none at all when the marks say feedback is off or the schedule ended with no end
// state.
TEST_P(FeedbackRunE2E, EveryOutputCommandIsWithinWhatTheWindowAndMarksShow) {
  const FeedbackRow& row = GetParam();
  sim::Options o;
  o.kind = row.kind;
  ASSERT_NO_FATAL_FAILURE(StartSimulatorWith(o));
  const fs::path setup = WriteSetup();
  FeedbackRow before = row;
  before.steps = {{0, 1, 3, 2, 0.05f}};
  before.end.entered = false;
  std::string schedule = row.fromFile ? (row.scheduleBefore ? TypedSchedule(before) : std::string()) +
                                            "panel " + WriteScheduleFile(row).string() + "\nmenu 5 7\n"
                                      : TypedSchedule(row);
  const std::string saved = (documents_ / "saved.AOscr").string();
  if (row.stepsTypedAfterLoadThenSavedAndReloaded)
    schedule += TypedSchedule(row) + "panel " + saved + "\nmenu 5 8\npanel " + saved + "\nmenu 5 7\n";
  if (row.scriptShutDownSavedAndReopened)
    schedule = "menu 5 4\nuntil 788\ntype 788 101 4.5\nclick 788 21\nclick 788 35\ngone 788\n" + schedule +
               "panel " + saved + "\nmenu 5 8\npanel " + saved + "\nmenu 5 7\n";
  const std::string script =
      "start " + setup.string() + "\nuntil 11 20\nclick-label 11 Reset\nuntil 21 20\npick 21 182 " +
      std::to_string(row.interfaceItem) + "\nclick-label 21 Selection OK\nuntil 88\nclick-label 88 " + link_ +
      "\nclick-label 88 Selection OK\ngone 88\nuntil 104 30\n" + schedule + "shot-menu 5 " +
      Shot((std::string("menu5-feedback-") + row.name + ".png").c_str()) +
      "\nclick 104 203\ngone 104\nuntil 112 60\nclick 112 6\nexpect-exit 0\n";
  bool marked = false, script2Marked = false;
  SetControlLoopTap([this, &marked, &script2Marked](const std::string& step) {
    if (step == "run") {
      marked = rt::MenuItemChecked(5, 2) && rt::MenuItemChecked(5, 5);
      script2Marked = rt::MenuItemChecked(5, 4);
    }
    Step(step);
  });
  drive::ScriptRunner runner(script);
  const auto result = runner.Run([](int argc, char** argv) { MainBody(argc, argv); });
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  EXPECT_EQ(marked, row.marked) << "the D-A menu's feedback marks as the run starts";
  EXPECT_FALSE(script2Marked) << "no output-2 script runs beside the feedback";
  EXPECT_EQ(sim_->Received().find("VO="), std::string::npos) << "nothing for output 1 in any row";

  // Each step's span in ticks from the run's start; the schedule's end.
  std::vector<uint64_t> from;
  uint64_t at = runTick_;
  for (const FeedbackStep& st : row.steps) from.push_back(at), at += static_cast<uint64_t>(st.minutes * 3600);
  const uint64_t room = 60;
  int commands = 0, within = 0, afterLast = 0;
  for (const Stamped& w : writes_) {
    if (w.bytes.size() != 6 || w.bytes[0] != 'D') continue;
    ++commands;
    const auto u = [&w](int i) { return static_cast<unsigned char>(w.bytes[static_cast<std::size_t>(i)]); };
    const double volts = (u(3) + 256 * u(4)) / 819.0;
    const auto inside = [volts](float lo, float hi) { return volts >= lo - 0.01 && volts <= hi + 0.01; };
    bool ok = false;
    for (size_t k = 0; k < row.steps.size(); ++k) {
      const uint64_t until = k + 1 < from.size() ? from[k + 1] : at;
      if (w.tick + room >= from[k] && w.tick <= until + room)
        ok = ok || inside(row.steps[k].minVolts, row.steps[k].maxVolts);
    }
    if (row.end.entered && w.tick + room >= at) ok = ok || inside(row.end.minVolts, row.end.maxVolts);
    if (w.tick > at + room) {
      ++afterLast;
      ok = row.end.entered && inside(row.end.minVolts, row.end.maxVolts);
    }
    within += ok ? 1 : 0;
    EXPECT_TRUE(ok) << volts << " V at tick " << w.tick - runTick_ << " of the run";
  }
  std::cout << "[ feedback row ] " << row.name << ": " << commands << " output commands, " << within
            << " within the step or end state in force, " << afterLast
            << " past the last step; simulator's log: " << sim_->Received().size() << " bytes, "
            << VOCommands(sim_->Received()) << " \"VO=\"\n";
  if (row.marked) {
    EXPECT_GT(commands, 0) << "the marks say feedback runs";
  } else {
    EXPECT_EQ(commands, 0) << "the marks say feedback is off";
  }
  if (row.marked && row.end.entered) {
    EXPECT_GT(afterLast, 0) << "the end state comes into force";
  }
}

void PrintTo(const FeedbackRow& row, std::ostream* os) {
  *os << row.name;
}

INSTANTIATE_TEST_SUITE_P(FeedbackRoads, FeedbackRunE2E, ::testing::ValuesIn(kFeedbackRows),
                         [](const ::testing::TestParamInfo<FeedbackRow>& info) { return info.param.name; });

}  // namespace
}  // namespace mv
