// Every interface kind through the whole program against its simulator on a
// pseudo-terminal, on the real clock: a set-up file with one chart channel is launched,
// the interface is chosen in the External A/D Device window and its port in the port
// window, the connection road runs (switching rates, set-up lists, identification and
// firmware checks), a short chart recording is stopped with Escape and saved, and the
// dump tool decodes the file, whose every value must be the one the simulator sent.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <ostream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "common/test_support.h"
#include "devices/connection_road.h"
#include "devices/firmware_windows.h"
#include "devices/serial_port.h"
#include "drive/script.h"
#include "e2e/program_run_fixture.h"
#include "e2e/simulated_run_fixture.h"
#include "files/setup_file.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/windows.h"
#include "setup/state.h"
#include "shell/main_body.h"
#include "sim/sim.h"

namespace mv {
namespace {

namespace fs = std::filesystem;

struct InterfaceRun {
  const char* name;
  sim::Kind kind;
  int16_t code;  // the interface's item in the device window's popup
  float input;   // the channel's hardware input (or stream field)
  DataTakerChannelsRecord dataTaker;
  float expected;     // what the simulator's answer decodes to
  const char* shown;  // a text of the connection's progress window that says it was reached
  // Steps between the connection and the set-up window.
  const char* beforeSetup = "";
  // A streaming instrument's lines: sent in bursts of this many, each in two halves this
  // many milliseconds apart (0: whole).
  int burst = 1, splitMs = 0;
  int periodMs = 200;                    // between lines (or bursts)
  const char* line = "21.5 C, 40 %RH";   // field 2: 40
  // The first replies the instrument leaves unanswered.
  int silentReplies = 0;
};

void PrintTo(const InterfaceRun& run, std::ostream* out) {
  *out << run.name;
}

constexpr const char* kStreamInterval =
    "until 9 30\nclick-label 9 1/4 second\nclick-label 9 Selection OK\ngone 9\n";

// The UIs answer input 1 with the word 33768, 1000 counts above zero on the +-5.12 V
// range of 6399.9 counts per volt; the loggers answer a voltage channel with 1234.5 mV;
// the ADAM module's reading is ">+0.1234"; the ADC-1 converts input 1 to 1100 counts of
// its low gain; the streaming instrument's line is "21.5 C, 40 %RH" (field 2: 40).
const InterfaceRun kRuns[] = {
    {"UI2", sim::Kind::UI2, 1, 1, {}, static_cast<float>(1000 / 6399.9), "connection seems OK"},
    {"UI3", sim::Kind::UI3, 2, 1, {}, static_cast<float>(1000 / 6399.9), "connection seems OK"},
    {"DT500", sim::Kind::DT500, 3, 3, {1, 0, 0, 0, 0}, 1.2345f, "Connection seems OK"},
    {"DT50", sim::Kind::DT50, 4, 3, {1, 0, 0, 0, 0}, 1.2345f, "attempting to contact DataTaker..."},
    {"DT800", sim::Kind::DT800, 5, 3, {1, 0, 0, 0, 0}, 1.2345f, "Connection seems OK at 115.2 Kbaud"},
    {"DT80", sim::Kind::DT80, 6, 3, {1, 0, 0, 0, 0}, 1.2345f, "Connection seems OK at 115.2 Kbaud"},
    {"DT85", sim::Kind::DT85, 7, 3, {1, 0, 0, 0, 0}, 1.2345f, "Connection seems OK at 115.2 Kbaud"},
    // Both status requests at 57,600 baud go unanswered: the logger is retried at 115,200.
    {"DT800Retry",
     sim::Kind::DT800,
     5,
     3,
     {1, 0, 0, 0, 0},
     1.2345f,
     "* Connecting at 57.6 Kb failed, retry at 115.2 Kb...",
     "",
     1,
     0,
     200,
     "",
     2},
    {"ADAM", sim::Kind::ADAM, 8, 1, {}, 0.1234f, "ADAM module ID:    4019 at address 01"},
    {"ADC1", sim::Kind::ADC1, 9, 1, {}, 0.11f, "The ADC-1 should be communicating"},
    // A streaming set-up asks for its chart interval again.
    {"Stream", sim::Kind::Stream, 11, 2, {}, 40.0f, "", kStreamInterval},
    // Lines that come three at a time, each in two halves, are read whole.
    {"StreamSplitBursts", sim::Kind::Stream, 11, 2, {}, 40.0f, "", kStreamInterval, 3, 60},
    // A slow line cut in two, its halves 150 ms apart, is read whole: never half a line,
    // nor its rest as a line of its own.
    {"StreamSlowSplit",
     sim::Kind::Stream,
     11,
     2,
     {},
     3.75f,
     "",
     kStreamInterval,
     1,
     150,
     700,
     "12.50,3.75,7.25"},
};

// The values of channel block 1: "samples of channel block 1 (K values): v v v".
std::vector<double> ChannelValues(const std::string& dump) {
  std::smatch m;
  if (!std::regex_search(dump, m, std::regex(R"(samples of channel block 1 \(\d+ values\):([^\n]*))")))
    return {};
  std::vector<double> values;
  std::istringstream in(m[1].str());
  for (std::string v; in >> v;) values.push_back(std::stod(v));
  return values;
}

class InterfaceRunE2E : public test::SimulatedRunTest, public ::testing::WithParamInterface<InterfaceRun> {
 protected:
  void StartSimulator(const InterfaceRun& run) {
    sim::Options o;
    o.kind = run.kind;
    o.burst = run.burst;
    o.splitMs = run.splitMs;
    o.periodMs = run.periodMs;
    o.lines = {run.line};
    if (run.silentReplies > 0) o.faults = {{.fault = sim::Fault::Silent, .count = run.silentReplies}};
    o.logPath = (documents_ / "sim-bytes.log").string();
    StartSimulatorWith(o);
  }

  // One chart channel every quarter second, reading the run's input.
  fs::path WriteSetup(const InterfaceRun& run) {
    SetupRecord setup;
    setup.recordingMode = RecordingModeCode::Chart;
    setup.channels = 1;
    setup.chartTicks = 15;
    setup.scopeTicks = 1;
    setup.scopeMax = 256;
    setup.maxSamples = 1000;
    auto& ch1 = setup.channelTable[1];
    ch1[ChanField::Gain] = 2;
    ch1[ChanField::Input] = run.input;
    ch1[ChanField::B] = 1;
    // The trace runs across the middle of its strip.
    ch1[ChanField::PlotMax] = 2 * run.expected;
    ch1[ChanField::PlotMin] = 0;
    ch1[ChanField::Averaged] = 1;
    setup.dataTaker[1] = run.dataTaker;
    EXPECT_EQ(SetupRecordProblem(setup), "");
    const fs::path file = documents_ / "interface.MVsetup";
    std::ofstream(file, std::ios::binary) << EncodeSetup(setup);
    return file;
  }

  std::string Script(const InterfaceRun& run, const fs::path& setup, const fs::path& data) const {
    const std::string picture = std::string("w1-") + run.name + "-run.png";
    return "start " + setup.string() + "\nuntil 11 20\nclick-label 11 Reset\nuntil 21 20\npick 21 182 " +
           std::to_string(run.code) + "\nclick-label 21 Selection OK\nuntil 88\nclick-label 88 " + link_ +
           "\nclick-label 88 Selection OK\ngone 88\n" + run.beforeSetup +
           "until 104 30\nclick 104 203\ngone 104\n"
           "until 1\nwait 1.2\nshot 1 " +
           Shot(picture.c_str()) +
           "\nhold Escape\nuntil 112\nrelease Escape\n"
           "panel " +
           data.string() +
           "\nclick 112 2\nuntil 15\nclick 15 11\ngone 15\nuntil 2\nclick 112 6\nexpect-exit 0\n";
  }
};

TEST_P(InterfaceRunE2E, ConnectsRecordsAndSavesWhatTheSimulatorSent) {
  const InterfaceRun& run = GetParam();
  ASSERT_NO_FATAL_FAILURE(StartSimulator(run));
  const fs::path setup = WriteSetup(run);
  const fs::path data = documents_ / (std::string(run.name) + "-run.kstr");

  drive::ScriptRunner runner(Script(run, setup, data));
  const auto result = runner.Run([](int argc, char** argv) { MainBody(argc, argv); });
  std::string open;  // what was showing when a line failed
  for (int16_t n : rt::OpenWindows())
    open += " " + std::to_string(n) + " \"" + rt::WindowTitle(n).str() + "\"";
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result) << "windows:" << open
                         << "\nreceived: " << sim_->Received();

  const ConnectionRecord& connection = LastConnection();
  EXPECT_TRUE(connection.errorName.empty()) << connection.errorName << " not found";
  if (*run.shown) {
    std::string lines;
    for (const auto& l : connection.lines) lines += l + "\n";
    for (const auto& l : LastFirmwareTexts()) lines += l + "\n";
    EXPECT_NE(lines.find(run.shown), std::string::npos) << lines;
  }

  const std::string dump = test::DumpDataFile(data, "--values 5000 ");
  const std::vector<double> values = ChannelValues(dump);
  // (A streaming sample whose line has not come when Escape is pressed is not taken.)
  ASSERT_GE(values.size(), 2u) << dump;
  for (double v : values) EXPECT_FLOAT_EQ(static_cast<float>(v), run.expected) << dump;
}

// The header states the run's own interface and averaging: a stopped UI3 run saved
// before and after A-D > Test Mode and after each Sample Averaging item gives the same
// file each time (a chart file carries no save time).
class RunHeaderE2E : public InterfaceRunE2E {};

TEST_F(RunHeaderE2E, AStoppedRunSavedAfterTheADMenuChangedIsTheSameFile) {
  const InterfaceRun& run = kRuns[1];
  ASSERT_STREQ(run.name, "UI3");
  ASSERT_NO_FATAL_FAILURE(StartSimulator(run));
  const fs::path setup = WriteSetup(run);
  const auto save = [this](const char* name) {
    return "panel " + (documents_ / name).string() + "\nclick 112 2\nuntil 15\nclick 15 11\ngone 15\nuntil 2\n";
  };
  const std::vector<std::string> afterwards = {"", "menu 4 9\n", "menu 110 1\n", "menu 110 2\n", "menu 110 3\n"};
  std::string script = "start " + setup.string() + "\nuntil 11 20\nclick-label 11 Reset\nuntil 21 20\npick 21 182 " +
                       std::to_string(run.code) + "\nclick-label 21 Selection OK\nuntil 88\nclick-label 88 " +
                       link_ +
                       "\nclick-label 88 Selection OK\ngone 88\nuntil 104 30\nclick 104 203\ngone 104\n"
                       "until 1\nwait 1.2\nhold Escape\nuntil 112\nrelease Escape\n";
  for (std::size_t k = 0; k < afterwards.size(); ++k)
    script += afterwards[k] + save(("saved " + std::to_string(k) + ".kstr").c_str());
  script += "click 112 6\nexpect-exit 0\n";
  drive::ScriptRunner runner(script);
  const auto result = runner.Run([](int argc, char** argv) { MainBody(argc, argv); });
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);

  const std::string first = test::DumpDataFile(documents_ / "saved 0.kstr", "--values 5000 ");
  EXPECT_NE(first.find("interface code: 83"), std::string::npos) << first;
  const auto bytes = [this](std::size_t k) {
    std::ifstream in(documents_ / ("saved " + std::to_string(k) + ".kstr"), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const std::string before = bytes(0);
  ASSERT_FALSE(before.empty());
  for (std::size_t k = 1; k < afterwards.size(); ++k)
    EXPECT_TRUE(bytes(k) == before) << "after " << afterwards[k]
                                    << test::DumpDataFile(documents_ / ("saved " + std::to_string(k) + ".kstr"));
}

INSTANTIATE_TEST_SUITE_P(Kinds, InterfaceRunE2E, ::testing::ValuesIn(kRuns),
                         [](const ::testing::TestParamInfo<InterfaceRun>& info) { return info.param.name; });

}  // namespace
}  // namespace mv
