// Whole-program fault runs against a simulated UI3 on a pseudo-terminal: the set-up
// file is launched, the interface and its port are chosen as a user does, and once
// the recording starts it runs on the virtual clock (the instrument still answers in
// real time), so minutes of recording at 1 s take a few seconds. Faults are switched
// on and off in the simulator at chosen samples; the recording is stopped with Escape,
// saved, and the dump tool decodes the file.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "acquisition/chart_loop.h"
#include "acquisition/state.h"
#include "common/test_support.h"
#include "devices/serial_port.h"
#include "drive/script.h"
#include "e2e/program_run_fixture.h"
#include "e2e/simulated_run_fixture.h"
#include "files/setup_file.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/sound.h"
#include "runtime/windows.h"
#include "shell/main_body.h"
#include "sim/sim.h"

namespace mv {
namespace {

namespace fs = std::filesystem;

// The UI3 answers input 1 with 1000 counts above zero on the +-5.12 V range.
const float kExpected = static_cast<float>(1000 / 6399.9);
constexpr double kBad = -99999;

// The values of channel block 1 as the dump tool prints them.
std::vector<double> ChannelValues(const std::string& dump) {
  std::smatch m;
  if (!std::regex_search(dump, m, std::regex(R"(samples of channel block 1 \(\d+ values\):([^\n]*))")))
    return {};
  std::vector<double> values;
  std::istringstream in(m[1].str());
  for (std::string v; in >> v;) values.push_back(std::stod(v));
  return values;
}

// The samples (as "sample+1") of the markers of one code.
std::vector<int> MarkedSamples(const std::string& dump, int code) {
  std::vector<int> samples;
  const std::regex marker(R"(marker \d+: sample\+1 (\d+) code (\d+))");
  for (std::sregex_iterator it(dump.begin(), dump.end(), marker), end; it != end; ++it)
    if (std::stoi((*it)[2].str()) == code) samples.push_back(std::stoi((*it)[1].str()));
  return samples;
}

class FaultRunE2E : public test::SimulatedRunTest {
 protected:
  void SetUp() override {
    SimulatedRunTest::SetUp();
    rt::SetSoundSink([this](const std::string& path) { sounds_.push_back(test::SoundFileName(path)); });
    SetControlLoopTap([this](const std::string& step) {
      log_.push_back(step);
      if (step == "run" && virtualRun_) rt::UseVirtualClock(true);
    });
  }
  void TearDown() override {
    SetSampleTimingTap(nullptr);
    rt::SetSoundSink(nullptr);
    SimulatedRunTest::TearDown();
  }

  void StartSimulator() {
    sim::Options o;
    o.kind = sim::Kind::UI3;
    StartSimulatorWith(o);
  }

  // One chart channel on input 1, a sample every `ticks` 60ths of a second.
  fs::path WriteSetup(int maxSamples, int ticks = 60) {
    SetupRecord setup;
    setup.recordingMode = RecordingModeCode::Chart;
    setup.channels = 1;
    setup.chartTicks = static_cast<int16_t>(ticks);
    setup.scopeTicks = 1;
    setup.scopeMax = 256;
    setup.maxSamples = maxSamples;
    auto& ch1 = setup.channelTable[1];
    ch1[ChanField::Gain] = 2;
    ch1[ChanField::Input] = 1;
    ch1[ChanField::B] = 1;
    ch1[ChanField::PlotMax] = 2 * kExpected;
    ch1[ChanField::PlotMin] = 0;
    ch1[ChanField::Averaged] = 1;
    EXPECT_EQ(SetupRecordProblem(setup), "");
    const fs::path file = documents_ / "fault.MVsetup";
    std::ofstream(file, std::ios::binary) << EncodeSetup(setup);
    return file;
  }

  // Launch, UI3 on the simulator's port, record until the sample tap presses Escape,
  // save to `data` from the options window, quit.
  std::string Script(const fs::path& setup, const fs::path& data) const {
    return "start " + setup.string() +
           "\nuntil 11 20\nclick-label 11 Reset\nuntil 21 20\npick 21 182 2\n"
           "click-label 21 Selection OK\nuntil 88\nclick-label 88 " +
           link_ +
           "\nclick-label 88 Selection OK\ngone 88\n"
           "until 104 30\nclick 104 203\ngone 104\n"
           "until 1\nuntil 112 60\nrelease Escape\n"
           "panel " +
           data.string() +
           "\nclick 112 2\nuntil 15\nclick 15 11\ngone 15\nuntil 2\nclick 112 6\nexpect-exit 0\n";
  }

  drive::ScriptResult Run(const std::string& script) {
    drive::ScriptRunner runner(script);
    auto result = runner.Run([](int argc, char** argv) { MainBody(argc, argv); });
    return result;
  }

  std::vector<std::string> sounds_;
  bool virtualRun_ = true;
};

// The process's processor time in seconds (all its threads).
double ProcessorSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}
double WallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The recording screen's serial-line status text.
std::string SerialLineStatus() {
  const int16_t previous = rt::OutputWindow();
  rt::SetOutputWindow(1);
  std::string text = rt::EditFieldExists(197) ? rt::EditText(197) : std::string();
  if (previous != 0) rt::SetOutputWindow(previous);
  return text;
}

// Two minutes at 1 s with the UI3 silent for 8 s in the middle: the run goes on, the
// silent samples are bad readings, the later ones right, and the saved file holds every
// sample. (Each silent reading waits out its 1 s time-out in real time, since the
// instrument could still answer, so a longer silence costs the test its length.)
TEST_F(FaultRunE2E, AUI3GoneSilentLeavesBadReadingsAndTheRunGoesOn) {
  constexpr int kSamples = 120, kSilentFrom = 50, kSilent = 8;
  ASSERT_NO_FATAL_FAILURE(StartSimulator());
  const fs::path setup = WriteSetup(1000);
  const fs::path data = documents_ / "silent.kstr";
  SetSampleTimingTap([this](double, double) {
    if (Sample == kSilentFrom) sim_->SetFault(sim::Fault::Silent, -1);
    if (Sample == kSilentFrom + kSilent) sim_->SetFault(sim::Fault::None, 0);
    if (Sample == kSamples) rt::SetKeyDown(rt::key::Escape, true);
  });
  const auto result = Run(Script(setup, data));
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);

  const std::string dump = test::DumpDataFile(data, "--values 5000 ");
  const std::vector<double> values = ChannelValues(dump);
  ASSERT_GE(values.size(), static_cast<size_t>(kSamples)) << dump;
  // The bad readings make one run of samples; every other sample is the instrument's.
  const auto firstBad = std::find(values.begin(), values.end(), kBad);
  ASSERT_NE(firstBad, values.end()) << dump;
  const auto afterBad = std::find_if(firstBad, values.end(), [](double v) { return v != kBad; });
  // After the silence the line stays unasked until a late reply could no longer come
  // (the late-reply window), which may fail the samples of a few more seconds.
  EXPECT_GE(afterBad - firstBad, kSilent);
  EXPECT_LE(afterBad - firstBad, kSilent + 4);
  EXPECT_NEAR(firstBad - values.begin(), kSilentFrom, 2);
  for (auto it = values.begin(); it != values.end(); ++it) {
    if (it >= firstBad && it < afterBad) continue;
    EXPECT_FLOAT_EQ(static_cast<float>(*it), kExpected) << "sample " << (it - values.begin());
  }
  // A schedule that the silence left far behind restarts with the resumed-sampling
  // marker at a sample of the gap, never elsewhere.
  for (const int marked : MarkedSamples(dump, 166)) {
    EXPECT_GE(marked, kSilentFrom) << dump;
    EXPECT_LE(marked, kSilentFrom + kSilent + 2) << dump;
  }
  // Each silent reading was reported by sound.
  EXPECT_GE(std::count_if(sounds_.begin(), sounds_.end(), [](const std::string& s) { return s != "beep"; }),
            kSilent);
}

}  // namespace
}  // namespace mv

namespace mv {
namespace {

// On the real clock, a sample every quarter second: the UI3's pseudo-terminal hangs up
// (the simulator closes it) and comes back a second later at the same path. The loss is
// shown on the recording screen while it lasts, the samples read meanwhile are bad
// readings, the wait costs no processor time, reading resumes once the port is back,
// and the stopped recording saves every sample.
TEST_F(FaultRunE2E, AHungUpPortIsReportedReadsBadAndResumesWhenItComesBack) {
  constexpr int kHangAt = 8, kBackAt = 14, kSamples = 40;
  virtualRun_ = false;
  ASSERT_NO_FATAL_FAILURE(StartSimulator());
  const fs::path setup = WriteSetup(1000, 15);
  const fs::path data = documents_ / "hung-up.kstr";
  double cpu0 = 0, wall0 = 0, cpuShare = -1;
  std::string shownWhileLost, shownAtTheEnd = "?";
  bool restarted = false;
  SetSampleTimingTap([&](double, double) {
    if (Sample == kHangAt) {
      sim_->Stop();
      cpu0 = ProcessorSeconds();
      wall0 = WallSeconds();
    }
    if (Sample == kBackAt) {
      cpuShare = (ProcessorSeconds() - cpu0) / (WallSeconds() - wall0);
      shownWhileLost = SerialLineStatus();
      rt::SaveWindowImage(1, Shot("w1-serial-port-lost.png"));
      std::string error;
      restarted = sim_->Start(&error);
    }
    if (Sample == kSamples) {
      shownAtTheEnd = SerialLineStatus();
      rt::SetKeyDown(rt::key::Escape, true);
    }
  });
  const auto result = Run(Script(setup, data));
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  ASSERT_TRUE(restarted);

  EXPECT_EQ(shownWhileLost, "Serial port lost: " + link_);
  EXPECT_EQ(shownAtTheEnd, "") << "the loss is no longer shown once the port is back";
  EXPECT_LT(cpuShare, 0.5) << "the hang-up is waited out, not spun on";

  const std::string dump = test::DumpDataFile(data, "--values 5000 ");
  const std::vector<double> values = ChannelValues(dump);
  ASSERT_GE(values.size(), static_cast<size_t>(kSamples)) << dump;
  // Good readings, one stretch of bad ones from the hang-up until the port is back,
  // then good readings again.
  const auto firstBad = std::find(values.begin(), values.end(), kBad);
  ASSERT_NE(firstBad, values.end()) << dump;
  const auto afterBad = std::find_if(firstBad, values.end(), [](double v) { return v != kBad; });
  EXPECT_NEAR(firstBad - values.begin(), kHangAt, 2) << dump;
  EXPECT_GE(afterBad - values.begin(), kBackAt - 1) << dump;
  EXPECT_LE(afterBad - values.begin(), kBackAt + 8) << "reading resumes within a reopening's second\n"
                                                    << dump;
  for (auto it = values.begin(); it != values.end(); ++it) {
    if (it >= firstBad && it < afterBad) continue;
    EXPECT_FLOAT_EQ(static_cast<float>(*it), kExpected) << "sample " << (it - values.begin());
  }
}

}  // namespace
}  // namespace mv
