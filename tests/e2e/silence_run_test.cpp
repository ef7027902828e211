// Whole-program recordings whose instrument falls silent and comes back. The set-up file
// is launched and the interface and its port chosen as a user does, against the
// simulator on a pseudo-terminal; once the recording starts the program runs on the
// virtual clock and the instrument goes on as a scripted one of the same protocol on
// that clock, so silences of many seconds cost no real time. The run is stopped with
// Escape and saved, and the file the dump tool decodes must keep every sample at the
// time it was read: its interval, and the gaps its pause log records (each with its
// pause marker), put every sample within max(one interval, 50 ms) of the moment the
// recording took it, with no burst of samples taken back to back after a silence.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <regex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "acquisition/chart_loop.h"
#include "acquisition/state.h"
#include "common/scripted_ui3.h"
#include "common/stored_times.h"
#include "common/test_support.h"
#include "devices/scripted_port.h"
#include "devices/serial_port.h"
#include "drive/script.h"
#include "e2e/simulated_run_fixture.h"
#include "files/setup_file.h"
#include "kit/format.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/windows.h"
#include "shell/main_body.h"
#include "sim/sim.h"

namespace mv {
namespace {

namespace fs = std::filesystem;

constexpr double kBad = -99999;

// Silent from `from` for `length` seconds of the recording.
struct Silence {
  double from, length;
};

struct SilenceRun {
  const char* name;
  sim::Kind kind;
  double interval;  // seconds
  std::vector<Silence> silences;
  double stopAt;  // seconds into the recording
  // Periodic references (channel 1 on device 2, reference 1, a marker at each switch):
  // minutes of each reference and sample period, and the switches that fall in a gap.
  float refint = 0, switchint = 0;
  const char* switchesInGaps = "";
};

void PrintTo(const SilenceRun& run, std::ostream* out) {
  *out << run.name;
}

// A streaming instrument sends its line every quarter second unless it is silent.
class ScriptedStream : public ScriptedSerialPort {
 public:
  explicit ScriptedStream(std::function<bool()> silent) : silent_(std::move(silent)) {}
  int BytesWaiting() override {
    Send();
    return ScriptedSerialPort::BytesWaiting();
  }
  std::string ReadBytes(int n) override {
    Send();
    return ScriptedSerialPort::ReadBytes(n);
  }

 private:
  void Send() {
    const double now = GetCurrentTimeInSeconds();
    if (next_ < 0) next_ = now;
    for (; next_ <= now; next_ += 0.25)
      if (!silent_()) DeliverNow("21.5 C, 40 %RH\r");
  }
  std::function<bool()> silent_;
  double next_ = -1;
};

// A switch command as the instrument got it: when, and "R" for the reference (the word
// of device 1, the coding a new installation starts with) or "S".
struct GotSwitch {
  double at;
  char code;
};

// The scripted UI3, keeping each switch command ("o", its byte, CR).
class SwitchedUI3 : public test::ScriptedUI3 {
 public:
  SwitchedUI3(std::function<bool()> silent, std::vector<GotSwitch>* switches)
      : ScriptedUI3(std::move(silent)), switches_(switches) {}
  bool Write(std::string_view bytes) override {
    if (bytes.size() == 3 && bytes[0] == 'o')
      switches_->push_back({GetCurrentTimeInSeconds(), bytes[1] == 0 ? 'R' : 'S'});
    return ScriptedUI3::Write(bytes);
  }

 private:
  std::vector<GotSwitch>* switches_;
};

// The switches a file's pause log says were made in its gaps: each marker and its
// seconds from the file's start.
std::vector<std::pair<char, double>> SwitchesInPauseLog(const std::string& dump) {
  std::vector<std::pair<char, double>> out;
  const std::regex line(R"re(switch "(.)" made at ([0-9.]+) sec from the file's start)re");
  for (std::sregex_iterator it(dump.begin(), dump.end(), line), end; it != end; ++it)
    out.emplace_back((*it)[1].str()[0], std::stod((*it)[2].str()));
  return out;
}

// The samples the markers of one code stand at (the dump prints sample + 1).
std::vector<int32_t> MarkedSamples(const std::string& dump, int code) {
  std::vector<int32_t> samples;
  const std::regex marker(R"(marker \d+: sample\+1 (\d+) code (\d+))");
  for (std::sregex_iterator it(dump.begin(), dump.end(), marker), end; it != end; ++it)
    if (std::stoi((*it)[2].str()) == code) samples.push_back(std::stoi((*it)[1].str()) - 1);
  return samples;
}

class SilenceRunE2E : public test::SimulatedRunTest, public ::testing::WithParamInterface<SilenceRun> {
 protected:
  void SetUp() override {
    SimulatedRunTest::SetUp();
    const SilenceRun& run = GetParam();
    SetControlLoopTap([this, &run](const std::string& step) {
      log_.push_back(step);
      if (step != "run") return;
      // The recording's clock and its instrument.
      rt::UseVirtualClock(true);
      start_ = GetCurrentTimeInSeconds();
      const auto silent = [this, &run] {
        const double t = GetCurrentTimeInSeconds() - start_;
        return std::any_of(run.silences.begin(), run.silences.end(),
                           [t](const Silence& s) { return t >= s.from && t < s.from + s.length; });
      };
      if (run.kind == sim::Kind::Stream)
        InstallSerialPort(std::make_unique<ScriptedStream>(silent));
      else
        InstallSerialPort(std::make_unique<SwitchedUI3>(silent, &switches_));  // 1000 counts above zero
    });
    SetSampleTimingTap([this, &run](double due, double taken) {
      dues_.push_back(due);
      taken_.push_back(taken);
      if (taken - start_ >= run.stopAt) rt::SetKeyDown(rt::key::Escape, true);
    });
  }
  void TearDown() override {
    SetSampleTimingTap(nullptr);
    rt::ClearKeyMap();
    SimulatedRunTest::TearDown();
  }

  fs::path WriteSetup(const SilenceRun& run) {
    SetupRecord setup;
    setup.recordingMode = RecordingModeCode::Chart;
    setup.channels = 1;
    setup.chartTicks = static_cast<int16_t>(run.interval * 60);
    setup.scopeTicks = 1;
    setup.scopeMax = 256;
    setup.maxSamples = 5000;
    auto& ch1 = setup.channelTable[1];
    ch1[ChanField::Gain] = 2;
    ch1[ChanField::Input] = run.kind == sim::Kind::Stream ? 2 : 1;
    ch1[ChanField::B] = 1;
    ch1[ChanField::PlotMax] = 50;
    ch1[ChanField::PlotMin] = 0;
    ch1[ChanField::Averaged] = 1;
    if (run.refint > 0) {
      setup.switchingMode = 5;
      setup.refint = run.refint;
      setup.switchint = run.switchint;
      setup.refChan = 1;
      setup.prefSlots[PrefsSlot::MarkerAtSwitch] = 1;
      ch1[ChanField::Device] = 2;
    }
    EXPECT_EQ(SetupRecordProblem(setup), "");
    const fs::path file = documents_ / "silence.MVsetup";
    std::ofstream(file, std::ios::binary) << EncodeSetup(setup);
    return file;
  }

  // Launch, the interface on the simulator's port, record until the tap presses
  // Escape, save to `data` from the options window, quit.
  std::string Script(const SilenceRun& run, const fs::path& setup, const fs::path& data) const {
    const bool stream = run.kind == sim::Kind::Stream;
    const std::string interval =
        stream ? "until 9 30\nclick-label 9 1 second\nclick-label 9 Selection OK\ngone 9\n" : "";
    return "start " + setup.string() + "\nuntil 11 20\nclick-label 11 Reset\nuntil 21 20\npick 21 182 " +
           (stream ? "11" : "2") + "\nclick-label 21 Selection OK\nuntil 88\nclick-label 88 " + link_ +
           "\nclick-label 88 Selection OK\ngone 88\n" + interval +
           "until 104 30\nclick 104 203\ngone 104\n"
           "until 1\nuntil 112 60\nrelease Escape\npanel " +
           data.string() +
           "\nclick 112 2\nuntil 15\nclick 15 11\ngone 15\nuntil 2\nclick 112 6\nexpect-exit 0\n";
  }

  double start_ = 0;
  std::vector<double> dues_, taken_;
  std::vector<GotSwitch> switches_;
};

TEST_P(SilenceRunE2E, EverySampleIsStoredWhenItWasReadAndEachGapIsMarked) {
  const SilenceRun& run = GetParam();
  sim::Options o;
  o.kind = run.kind;
  ASSERT_NO_FATAL_FAILURE(StartSimulatorWith(o));
  const fs::path data = documents_ / (std::string(run.name) + ".kstr");
  drive::ScriptRunner runner(Script(run, WriteSetup(run), data));
  const auto result = runner.Run([](int argc, char** argv) { MainBody(argc, argv); });
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);

  const std::string dump = test::DumpDataFile(data, "--values 100000 ");
  const std::vector<double> values = test::DumpedNumbers(dump, "samples of channel block 1");
  ASSERT_EQ(values.size(), taken_.size()) << "every sample taken is in the file";
  EXPECT_LE(std::count(values.begin(), values.end(), kBad), static_cast<long>(run.silences.size()))
      << "at most the first failed sample of each silence is kept";
  const double good = run.kind == sim::Kind::Stream ? 40.0 : static_cast<float>(1000 / 6399.9);
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (values[i] == kBad) continue;
    EXPECT_FLOAT_EQ(static_cast<float>(values[i]), static_cast<float>(good)) << i;
  }

  const std::size_t at = dump.find("interval (s): ");
  ASSERT_NE(at, std::string::npos) << dump;
  EXPECT_FLOAT_EQ(std::stof(dump.substr(at + 14)), static_cast<float>(run.interval));
  const std::vector<test::LoggedGap> gaps = test::GapsInDump(dump);
  const std::vector<int32_t> restarts = test::ScheduleRestarts(dues_, run.interval);
  std::vector<int32_t> logged;
  for (const test::LoggedGap& g : gaps) logged.push_back(g.before);
  EXPECT_EQ(logged, restarts) << "one pause-log line for each gap";
  EXPECT_EQ(MarkedSamples(dump, 166), restarts) << "one pause marker for each gap";
  // A silence is at most one gap, however many time-outs it holds (a short one at a long
  // interval may keep its schedule and be no gap at all).
  EXPECT_GE(gaps.size(), 1u);
  EXPECT_LE(gaps.size(), run.silences.size());
  test::ExpectStoredWhenRead(taken_, dues_.front(), run.interval, gaps);
  EXPECT_LE(test::LongestBurst(dues_, taken_), 2);

  // Each switch made in a silence: its marker at the gap's sample, and a pause-log line
  // after the gap's with the time the instrument got its command.
  std::string inGaps, marked;
  std::vector<std::pair<char, double>> expected;
  for (const GotSwitch& got : switches_) {
    const double t = got.at - start_;
    if (std::any_of(run.silences.begin(), run.silences.end(),
                    [t](const Silence& s) { return t >= s.from && t < s.from + s.length; }))
      expected.emplace_back(got.code, got.at - dues_.front());
  }
  const std::vector<std::pair<char, double>> said = SwitchesInPauseLog(dump);
  ASSERT_EQ(said.size(), expected.size()) << dump;
  for (std::size_t i = 0; i < said.size(); ++i) {
    inGaps += said[i].first;
    EXPECT_EQ(said[i].first, expected[i].first) << i;
    EXPECT_NEAR(said[i].second, expected[i].second, 1e-3) << i;
  }
  EXPECT_EQ(inGaps, run.switchesInGaps);
  for (const test::DumpedMarker& m : test::MarkersInDump(dump))
    if ((m.code == 'S' || m.code == 'R') && !restarts.empty() && m.sample == restarts.front())
      marked += static_cast<char>(m.code);
  EXPECT_EQ(marked, run.switchesInGaps) << "marked at the gap's sample";
}

const SilenceRun kRuns[] = {
    {"UI3Tenth", sim::Kind::UI3, 0.1, {{5, 1.5}, {15, 3}, {25, 10}, {45, 10}}, 65},
    {"UI3Second", sim::Kind::UI3, 1.0, {{5, 1.5}, {15, 3}, {25, 10}, {45, 10}}, 65},
    {"StreamSecond", sim::Kind::Stream, 1.0, {{10, 6}}, 30},
    // Periodic references: the sample at 30 s, the reference at 90 s, the sample at 120 s,
    // all in a silence of two minutes.
    {"UI3SwitchesInALongSilence", sim::Kind::UI3, 1.0, {{20, 120}}, 160, 0.5f, 1.0f, "SRS"},
};

INSTANTIATE_TEST_SUITE_P(Instruments, SilenceRunE2E, ::testing::ValuesIn(kRuns),
                         [](const ::testing::TestParamInfo<SilenceRun>& info) { return info.param.name; });

}  // namespace
}  // namespace mv
