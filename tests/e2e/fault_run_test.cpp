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
#include "common/stored_times.h"
#include "common/test_support.h"
#include "devices/serial_port.h"
#include "drive/script.h"
#include "e2e/program_run_fixture.h"
#include "e2e/simulated_run_fixture.h"
#include "files/setup_file.h"
#include "kit/format.h"
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

// Two minutes at 1 s with the UI3 silent for 8 s in the middle: the run goes on, and
// the silence is one gap: at most its first failed sample is stored (as a bad reading),
// the samples after it join the gap, which the file records once (one pause marker, one
// pause-log line) at about the silence's length; every other sample is the
// instrument's. (Each silent reading waits out its 1 s time-out in real time, since the
// instrument could still answer, so a longer silence costs the test its length.)
TEST_F(FaultRunE2E, AUI3GoneSilentIsOneGapAndTheRunGoesOn) {
  constexpr int kSamples = 120, kSilentFrom = 50;
  constexpr double kSilent = 8;
  ASSERT_NO_FATAL_FAILURE(StartSimulator());
  const fs::path setup = WriteSetup(1000);
  const fs::path data = documents_ / "silent.kstr";
  double silentAt = -1;
  int failedSounds = 0;
  // Each failed reading is reported by a sound: the silence ends there, when its time
  // has passed (no sample is stored to tell).
  rt::SetSoundSink([&](const std::string& path) {
    sounds_.push_back(test::SoundFileName(path));
    if (silentAt >= 0 && sounds_.back() != "beep") ++failedSounds;
    if (silentAt >= 0 && GetCurrentTimeInSeconds() >= silentAt + kSilent) sim_->SetFault(sim::Fault::None, 0);
  });
  SetSampleTimingTap([&](double, double) {
    if (Sample == kSilentFrom && silentAt < 0) {
      sim_->SetFault(sim::Fault::Silent, -1);
      silentAt = GetCurrentTimeInSeconds();
    }
    if (Sample == kSamples) rt::SetKeyDown(rt::key::Escape, true);
  });
  const auto result = Run(Script(setup, data));
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);

  const std::string dump = test::DumpDataFile(data, "--values 5000 ");
  const std::vector<double> values = ChannelValues(dump);
  ASSERT_GE(values.size(), static_cast<size_t>(kSamples)) << dump;
  EXPECT_LE(std::count(values.begin(), values.end(), kBad), 1) << "at most the silence's first failed sample";
  for (std::size_t i = 0; i < values.size(); ++i)
    if (values[i] != kBad) {
      EXPECT_FLOAT_EQ(static_cast<float>(values[i]), kExpected) << "sample " << i;
    }
  const std::vector<test::LoggedGap> gaps = test::GapsInDump(dump);
  ASSERT_EQ(gaps.size(), 1u) << dump;
  EXPECT_NEAR(gaps[0].before, kSilentFrom, 2);
  // The hole: the silence, and at most the quiet the line is given after it so that a
  // late reply is never taken for a reading, less the failed sample kept.
  EXPECT_GE(gaps[0].seconds, kSilent - 2);
  EXPECT_LE(gaps[0].seconds, kSilent + 3.5 + 2);
  EXPECT_EQ(MarkedSamples(dump, 166), std::vector<int>{gaps[0].before + 1});
  EXPECT_GE(failedSounds, 4) << "the silent readings were reported by sound";
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
TEST_F(FaultRunE2E, AHungUpPortIsReportedIsOneGapAndResumesWhenItComesBack) {
  constexpr int kHangAt = 8, kSamples = 40;
  constexpr double kLost = 1.5;  // seconds
  virtualRun_ = false;
  ASSERT_NO_FATAL_FAILURE(StartSimulator());
  const fs::path setup = WriteSetup(1000, 15);
  const fs::path data = documents_ / "hung-up.kstr";
  double cpu0 = 0, wall0 = -1, cpuShare = -1;
  std::string shownWhileLost, shownAtTheEnd = "?";
  bool restarted = false;
  // While the port is lost no sample is stored: the reads' failure sounds tell the time.
  const auto comeBackWhenDue = [&] {
    if (wall0 < 0 || restarted || WallSeconds() < wall0 + kLost) return;
    cpuShare = (ProcessorSeconds() - cpu0) / (WallSeconds() - wall0);
    shownWhileLost = SerialLineStatus();
    rt::SaveWindowImage(1, Shot("w1-serial-port-lost.png"));
    std::string error;
    restarted = sim_->Start(&error);
  };
  rt::SetSoundSink([&](const std::string& path) {
    sounds_.push_back(test::SoundFileName(path));
    comeBackWhenDue();
  });
  SetSampleTimingTap([&](double, double) {
    if (Sample == kHangAt && wall0 < 0) {
      sim_->Stop();
      cpu0 = ProcessorSeconds();
      wall0 = WallSeconds();
    }
    comeBackWhenDue();
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

  // A lost port is a silence: one gap, no copies of the last reading, every stored
  // value the instrument's (or the one failed sample the gap may keep).
  const std::string dump = test::DumpDataFile(data, "--values 5000 ");
  const std::vector<double> values = ChannelValues(dump);
  ASSERT_GE(values.size(), static_cast<size_t>(kSamples)) << dump;
  EXPECT_LE(std::count(values.begin(), values.end(), kBad), 1);
  for (std::size_t i = 0; i < values.size(); ++i)
    if (values[i] != kBad) {
      EXPECT_FLOAT_EQ(static_cast<float>(values[i]), kExpected) << "sample " << i;
    }
  const std::vector<test::LoggedGap> gaps = test::GapsInDump(dump);
  ASSERT_EQ(gaps.size(), 1u) << dump;
  EXPECT_NEAR(gaps[0].before, kHangAt, 2);
  EXPECT_GE(gaps[0].seconds, kLost - 0.5);
}

}  // namespace
}  // namespace mv
