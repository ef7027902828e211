// Whole-program recordings through the simulated instruments, on the real clock, in
// which every stored cell must be a value the instrument sent for that channel or the
// bad-reading mark: two ADAM modules, one of which falls silent and then answers late;
// a Sable UI3 whose replies now and then come as garbage bursts longer than a reply,
// 16 channels at 1/60 s, the serial instrument's text among them; and a streaming
// instrument whose lines hold numbers in exponent form or an instrument's "no value".
// The dump tool decodes the files; each run prints its counts of cells.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <ostream>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "acquisition/chart_loop.h"
#include "acquisition/state.h"
#include "common/stored_times.h"
#include "common/test_support.h"
#include "control/state.h"
#include "drive/script.h"
#include "e2e/program_run_fixture.h"
#include "e2e/simulated_run_fixture.h"
#include "files/setup_file.h"
#include "files/state.h"
#include "kit/format.h"
#include "runtime/events.h"
#include "shell/control_loop.h"
#include "shell/main_body.h"
#include "sim/sim.h"

namespace mv {
namespace {

namespace fs = std::filesystem;
using SteadyClock = std::chrono::steady_clock;

constexpr double kBad = -99999;

struct Counts {
  int right = 0, bad = 0, wrong = 0;
};

class StoredValuesRunE2E : public test::SimulatedRunTest {
 protected:
  void TearDown() override {
    SetSampleTimingTap(nullptr);
    SimulatedRunTest::TearDown();
  }

  // A chart set-up of one channel per input (or stream field), `ticks` sixtieths of a
  // second apart.
  // With `switching`, periodic references through the devices (a 4050's outputs); `more`
  // changes the record further before it is written.
  fs::path WriteSetup(const std::vector<int>& inputs, int16_t ticks, int16_t averaged = 1, bool switching = false,
                      const std::function<void(SetupRecord&)>& more = nullptr) const {
    SetupRecord setup;
    if (switching) {
      setup.switchingMode = 5;
      setup.refint = 0.05f;
      setup.switchint = 0.1f;
      setup.refChan = 1;
      setup.refChan2 = 0;
    }
    setup.recordingMode = RecordingModeCode::Chart;
    setup.channels = static_cast<int16_t>(inputs.size());
    setup.chartTicks = ticks;
    setup.scopeTicks = 1;
    setup.scopeMax = 256;
    setup.maxSamples = 5000;
    for (size_t k = 1; k <= inputs.size(); ++k) {
      auto& ch = setup.channelTable[k];
      ch[ChanField::Gain] = 2;
      ch[ChanField::Input] = static_cast<float>(inputs[k - 1]);
      ch[ChanField::B] = 1;
      ch[ChanField::PlotMax] = 4;
      ch[ChanField::PlotMin] = -4;
      ch[ChanField::Averaged] = averaged;
    }
    if (more) more(setup);
    EXPECT_EQ(SetupRecordProblem(setup), "");
    const fs::path file = documents_ / "values.MVsetup";
    std::ofstream(file, std::ios::binary) << EncodeSetup(setup);
    return file;
  }

  // Connects through the device window, records until `stop` says so (or `during`, the
  // script's steps while the recording runs, stops it), saves and quits; with
  // `restarted`, records again after the save (the options window's Restart) until
  // `stop` says so once more, and saves that run there; `afterSave` are steps taken in
  // the options window after the first save.
  void Record(int16_t code, const fs::path& setup, const fs::path& data, const std::string& beforeSetup,
              std::function<bool()> stop, const std::string& during = "", const fs::path& restarted = {},
              const std::string& afterSave = "") {
    const std::string save = "\nclick 112 2\nuntil 15\nclick 15 11\ngone 15\nuntil 2\n";
    const std::string again =
        restarted.empty() ? "" : "click 112 1\nuntil 1\nuntil 112 90\nrelease Escape\npanel " + restarted.string() + save;
    SetSampleTimingTap([stop](double, double) {
      if (stop()) rt::SetKeyDown(rt::key::Escape, true);
    });
    const std::string script =
        "start " + setup.string() + "\nuntil 11 20\nclick-label 11 Reset\nuntil 21 20\npick 21 182 " +
        std::to_string(code) + "\nclick-label 21 Selection OK\nuntil 88\nclick-label 88 " + link_ +
        "\nclick-label 88 Selection OK\ngone 88\n" + beforeSetup +
        "until 104 30\nclick 104 203\ngone 104\n"
        "until 1\n" +
        during + "until 112 90\nrelease Escape\n" + "panel " + data.string() + save + afterSave + again +
        "click 112 6\nexpect-exit 0\n";
    drive::ScriptRunner runner(script);
    const auto result = runner.Run([](int argc, char** argv) { MainBody(argc, argv); });
    ASSERT_TRUE(result.ok) << drive::FormatFailure(result) << "\nreceived: " << sim_->Received().size()
                           << " bytes";
  }

  // Every cell of channel k is own[k] or the bad-reading mark.
  static Counts Check(const fs::path& data, const std::vector<double>& own, const std::string& run) {
    const std::string dump = test::DumpDataFile(data, "--values 100000 ");
    Counts n;
    for (size_t k = 1; k < own.size(); ++k) {
      const std::vector<double> values = test::BlockValues(dump, static_cast<int>(k));
      EXPECT_FALSE(values.empty()) << "channel " << k << "\n" << dump.substr(0, 2000);
      for (size_t i = 0; i < values.size(); ++i) {
        const float v = static_cast<float>(values[i]);
        if (v == static_cast<float>(kBad))
          ++n.bad;
        else if (v == static_cast<float>(own[k]))
          ++n.right;
        else
          ++n.wrong;
        EXPECT_TRUE(v == static_cast<float>(own[k]) || v == static_cast<float>(kBad))
            << run << ": channel " << k << " sample " << i + 1 << " holds " << v;
      }
    }
    std::printf("%s: %d cells right, %d -99999, %d wrong\n", run.c_str(), n.right, n.bad, n.wrong);
    return n;
  }

  // The value each channel holds at the end of the run, when the faults are long spent.
  static std::vector<double> LastValues(const fs::path& data, size_t channels) {
    const std::string dump = test::DumpDataFile(data, "--values 100000 ");
    std::vector<double> last(channels + 1, kBad);
    for (size_t k = 1; k <= channels; ++k) {
      const std::vector<double> values = test::BlockValues(dump, static_cast<int>(k));
      if (!values.empty()) last[k] = values.back();
    }
    return last;
  }
};

// Module 03 falls silent for 6 s, longer than a late-reply wait, then answers 0.4 s
// after its time-out until it is well again. Each module answers its own value (module 01's
// input 0: 1.0 V, module 03's: 3.0 V); neither may ever hold the other's. Its late replies
// rest it as its silence did, for up to half of the 14 s, so it is read again within
// the 12 s the run goes on once it is well.
TEST_F(StoredValuesRunE2E, AnADAMModuleSilentThenLateNeverPutsItsReplyOnTheOtherModule) {
  sim::Options o;
  o.kind = sim::Kind::ADAM;
  o.channelValues = true;
  o.baud = 9600;
  // Its late reply comes while the next request, to module 01, waits for its own reply,
  // which the instrument sends behind it.
  o.lateMs = 400;
  StartSimulatorWith(o);
  const fs::path data = documents_ / "adam.kstr";
  const fs::path setup = WriteSetup({1, 9}, 15);
  SteadyClock::time_point faultsFrom{};
  const double silentFor = 6, lateFor = 8, wellFor = 12;
  Record(8, setup, data, "", [&] {
    if (Sample == 4 && faultsFrom == SteadyClock::time_point{}) {
      faultsFrom = SteadyClock::now();
      sim_->AddFault({sim::Fault::Silent, 0, silentFor, -1, 3});
      sim_->AddFault({sim::Fault::Late, silentFor, lateFor, -1, 3});
    }
    return faultsFrom != SteadyClock::time_point{} &&
           SteadyClock::now() - faultsFrom > std::chrono::duration<double>(silentFor + lateFor + wellFor);
  });
  if (HasFatalFailure()) return;
  const Counts n = Check(data, {0, 1.0, 3.0}, "ADAM 01 and 03, 03 silent then late");
  const std::string received = sim_->Received();
  auto asked = [&received](const std::string& request) {
    int count = 0;
    for (size_t at = received.find(request); at != std::string::npos; at = received.find(request, at + 1))
      ++count;
    return count;
  };
  std::printf("requests received: module 01 %d, module 03 %d\n", asked("#010\r"), asked("#030\r"));
  EXPECT_GT(n.bad, 0) << "the silence reached the file";
  EXPECT_GT(n.right, n.bad);
  const std::vector<double> last = LastValues(data, 2);
  EXPECT_EQ(static_cast<float>(last[1]), 1.0f);
  EXPECT_EQ(static_cast<float>(last[2]), 3.0f) << "module 03 is read again once it is well";
}

// What the simulated ADAM modules answer on hardware input n: module AA's input i reads
// AA + i/10 V (inputs 1..8 are module 01's, 9..16 module 03's).
double AdamOwnValue(int input) {
  return (input < 9 ? 1.0 : 3.0) + ((input - 1) % 8) / 10.0;
}

// The value each channel of a set-up on these inputs must hold (channel 0 unused).
std::vector<double> AdamOwnValues(const std::vector<int>& inputs) {
  std::vector<double> own{0};
  for (int input : inputs) own.push_back(AdamOwnValue(input));
  return own;
}

// Modules answering each input its own value, on a line paced at 9,600 baud.
sim::Options AdamAnsweringOwnValues() {
  sim::Options o;
  o.kind = sim::Kind::ADAM;
  o.channelValues = true;
  o.baud = 9600;
  return o;
}

// A sample every quarter second; the modules fall silent for 2 s. A silence costs one
// late-reply wait, however many channels the silent module has: it is asked again, and
// read, within 3.5 s of the silence's end.
struct AdamSilence {
  const char* name;
  std::vector<int> inputs;
  int module;  // the silent module's address; -1: every module
};

void PrintTo(const AdamSilence& s, std::ostream* out) {
  *out << s.name;
}

const AdamSilence kAdamSilences[] = {
    {"FourChannelsOnA4017", {9, 10, 11, 12}, 3},
    {"SixteenChannels", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}, -1},
};

class AdamSilenceRunE2E : public StoredValuesRunE2E, public ::testing::WithParamInterface<AdamSilence> {};

TEST_P(AdamSilenceRunE2E, ASilentModuleIsAskedAgainOneLateReplyWaitAfterItsSilence) {
  const AdamSilence& run = GetParam();
  StartSimulatorWith(AdamAnsweringOwnValues());
  const fs::path data = documents_ / "adam.kstr";
  constexpr double kSilence = 2, kGiveUpAfter = 20;
  double silenceEnds = -1, readAgain = -1;
  const std::vector<double> own = AdamOwnValues(run.inputs);
  Record(8, WriteSetup(run.inputs, 15), data, "", [&] {
    const double now = GetCurrentTimeInSeconds();
    if (Sample == 4 && silenceEnds < 0) {
      sim_->AddFault({sim::Fault::Silent, 0, kSilence, -1, run.module});
      silenceEnds = now + kSilence;
    }
    bool allOwn = true;
    for (size_t k = 1; k < own.size(); ++k)
      allOwn &= ChartDataArray.Get(static_cast<int>(k), Sample - 1) == static_cast<float>(own[k]);
    if (silenceEnds > 0 && readAgain < 0 && now > silenceEnds && allOwn) readAgain = now - silenceEnds;
    return silenceEnds > 0 &&
           ((readAgain >= 0 && now > silenceEnds + readAgain + 2) || now > silenceEnds + kGiveUpAfter);
  });
  if (HasFatalFailure()) return;
  Check(data, own, std::string("ADAM, ") + run.name + ", a 2 s silence");
  std::printf("read again %.2f s after the silence's end\n", readAgain);
  EXPECT_GE(readAgain, 0) << "the module was read again";
  EXPECT_LE(readAgain, 3.5);
}

INSTANTIATE_TEST_SUITE_P(Modules, AdamSilenceRunE2E, ::testing::ValuesIn(kAdamSilences),
                         [](const ::testing::TestParamInfo<AdamSilence>& info) { return info.param.name; });

// The module falls silent for good and the run is stopped inside the gap that follows,
// after a key was typed in it: the file records the gap once (its pause-log line and its
// pause marker) at its last sample, and no marker stands beyond that sample.
TEST_F(StoredValuesRunE2E, ARunStoppedInsideAGapRecordsItAtItsLastSample) {
  StartSimulatorWith(AdamAnsweringOwnValues());
  const fs::path data = documents_ / "adam.kstr";
  const std::vector<int> inputs{9, 10, 11, 12};
  const std::vector<double> own = AdamOwnValues(inputs);
  Record(
      8, WriteSetup(inputs, 15), data, "",
      [&] {
        if (Sample == 4) sim_->SetFault(sim::Fault::Silent, -1);
        return false;
      },
      "wait 4\nhold a\nwait 0.4\nrelease a\nwait 1.5\nhold Escape\n");
  if (HasFatalFailure()) return;
  Check(data, own, "ADAM, stopped inside a gap");
  const std::string dump = test::DumpDataFile(data, "--values 100000 ");
  const auto samples = static_cast<int32_t>(test::BlockValues(dump, 1).size());
  const std::vector<test::LoggedGap> gaps = test::GapsInDump(dump);
  ASSERT_EQ(gaps.size(), 1u) << dump;
  EXPECT_EQ(gaps[0].before, samples) << "the gap follows the last sample";
  EXPECT_GE(gaps[0].seconds, 2.5);
  const std::vector<test::DumpedMarker> markers = test::MarkersInDump(dump);
  std::vector<int32_t> pauses, typed;
  for (const test::DumpedMarker& m : markers) {
    EXPECT_LT(m.sample, samples) << "code " << m.code << " stands beyond the last sample";
    (m.code == 166 ? pauses : typed).push_back(m.sample);
  }
  EXPECT_EQ(pauses, std::vector<int32_t>{samples - 1}) << "one pause marker, at the last sample";
  EXPECT_FALSE(typed.empty()) << "the key typed in the gap is kept";
}

// Two modules, nine channels at 1 s, the default "Last Sample Value": module 03 falls
// silent for 20 s while module 01 answers. Only the first failed reading of each silent
// channel is the copy of its last value the preference asks for; while the module stays
// silent its channels store -99999, never a flat, plausible value, and module 01's
// channels hold only their own values.
TEST_F(StoredValuesRunE2E, AModuleSilentWhileTheOtherAnswersStoresNoValueAfterItsFirstFailure) {
  StartSimulatorWith(AdamAnsweringOwnValues());
  const fs::path data = documents_ / "adam.kstr";
  const std::vector<int> inputs{1, 2, 3, 4, 9, 10, 11, 12, 13};
  const std::vector<double> own = AdamOwnValues(inputs);
  constexpr double kSilence = 20;
  double silenceEnds = -1;
  int32_t firstSilent = -1, lastSilent = -1;
  Record(8, WriteSetup(inputs, 60), data, "", [&] {
    const double now = GetCurrentTimeInSeconds();
    if (Sample == 3 && silenceEnds < 0) {
      sim_->AddFault({sim::Fault::Silent, 0, kSilence, -1, 3});
      silenceEnds = now + kSilence;
      firstSilent = Sample;
    }
    if (silenceEnds > 0 && lastSilent < 0 && now >= silenceEnds) lastSilent = Sample;
    return lastSilent >= 0 && Sample >= lastSilent + 5;
  });
  if (HasFatalFailure()) return;
  Check(data, own, "ADAM 01 and 03, 03 silent 20 s while 01 answers");
  const std::string dump = test::DumpDataFile(data, "--values 100000 ");
  // Module 01 keeps its pace: a silent module is rested between its windows, so only
  // the samples in those windows lose module 01's readings.
  const std::vector<double> answering = test::BlockValues(dump, 1);
  const auto during = static_cast<int>(lastSilent - firstSilent);
  const auto lost =
      static_cast<int>(std::count(answering.begin() + firstSilent, answering.begin() + lastSilent, kBad));
  std::printf("module 01 during the silence: %d samples stored, %d of them -99999\n", during, lost);
  EXPECT_GE(during - lost, 9) << "the silence costs module 01 only the silent module's windows";
  for (int k = 5; k <= 9; ++k) {
    const std::vector<double> values = test::BlockValues(dump, k);
    ASSERT_GT(static_cast<int32_t>(values.size()), lastSilent);
    int kept = 0, bad = 0;
    // The samples stored while the module was silent (one either side may hold a real
    // reading, taken before the silence began or after it ended).
    for (int32_t i = firstSilent + 1; i < lastSilent; ++i) (values[i] == kBad ? bad : kept) += 1;
    EXPECT_LE(kept, 2) << "channel " << k << ": " << kept << " values during the silence";
    EXPECT_GT(bad, 0) << "channel " << k;
    EXPECT_EQ(static_cast<float>(values.back()), static_cast<float>(own[k])) << "read again once well";
  }
}

// Rising inputs show what constant ones hide: every input of the modules rises 10 mV a
// second, so each reading tells when it was made, and a copy of the sample before is a
// repeated value. A cell is right when it is its own input's value at the time the file
// gives its sample (the pause log's gaps included), copied when it repeats the sample
// before, -99999, or else wrong.
struct RisingCells {
  int right = 0, bad = 0, copied = 0, wrong = 0;
};

constexpr double kAdamRise = 0.01;  // volts a second

// Cells of the channels listed (own: each channel's value at the ramp's origin).
RisingCells CheckRising(const std::string& dump, const std::vector<double>& own,
                        const std::vector<int>& channels, double interval) {
  const std::vector<test::LoggedGap> gaps = test::GapsInDump(dump);
  auto storedAt = [&gaps, interval](size_t i) {
    double t = static_cast<double>(i) * interval;
    for (const test::LoggedGap& g : gaps)
      if (g.before <= static_cast<int32_t>(i)) t += g.seconds;
    return t;
  };
  // The ramp began before the file's first sample: the offset is the same for every
  // reading, and most readings are right.
  std::vector<double> offsets;
  for (int k : channels) {
    const std::vector<double> values = test::BlockValues(dump, k);
    for (size_t i = 0; i < values.size(); ++i)
      if (values[i] != kBad) offsets.push_back((values[i] - own[k]) / kAdamRise - storedAt(i));
  }
  RisingCells n;
  if (offsets.empty()) return n;
  std::nth_element(offsets.begin(), offsets.begin() + static_cast<long>(offsets.size() / 2), offsets.end());
  const double offset = offsets[offsets.size() / 2];
  for (int k : channels) {
    const std::vector<double> values = test::BlockValues(dump, k);
    for (size_t i = 0; i < values.size(); ++i) {
      const double v = values[i];
      if (v == kBad)
        ++n.bad;
      else if (i > 0 && static_cast<float>(v) == static_cast<float>(values[i - 1]))
        ++n.copied;
      else if (std::fabs((v - own[k]) / kAdamRise - storedAt(i) - offset) > interval + 0.3)
        ++n.wrong;
      else
        ++n.right;
    }
  }
  return n;
}

// One module falls silent, or answers late, while the other answers every request.
struct AdamFault {
  const char* name;
  std::vector<std::string> modules;  // the models at addresses 01, 02, 03
  sim::Fault fault;
  int module;      // the faulty module's address
  double seconds;  // how long
  int lateMs;      // a late reply comes this long after the time-out
  bool keepLast;   // the bad-reading preference: "Last Sample Value" (else "'-99999'")
  double interval = 1;  // seconds
  std::vector<int> inputs = {1, 2, 3, 4, 9, 10, 11, 12, 13};
  int16_t averaged = 1;  // readings averaged in a sample (0: the last channel continuously)
  // The fault begins in a first run, which ends at sample 12 and is restarted from the
  // options window; the second run's file is checked.
  bool restarted = false;
  bool spikeFilter = false;  // on, ratio 2 on every channel (the Spike Filter window)
  bool switching = false;    // periodic references through the 4050
  // The answering module is stored in every sample due in the fault but those the
  // faulty module's late-reply waits hold, however the channels are ordered.
  bool everySample = false;
  int32_t faultAt = 3;  // the fault begins once this many samples are stored
};

void PrintTo(const AdamFault& f, std::ostream* out) {
  *out << f.name;
}

const std::vector<std::string> kTwoModules{"4019", "", "4017"}, kThreeModules{"4019", "4050", "4017"};
const AdamFault kAdamFaults[] = {
    {"TwoModules03Silent3sLastValue", kTwoModules, sim::Fault::Silent, 3, 3, 0, true},
    {"ThreeModules03Silent3sBadMark", kThreeModules, sim::Fault::Silent, 3, 3, 0, false},
    {"TwoModules03Silent20sBadMark", kTwoModules, sim::Fault::Silent, 3, 20, 0, false},
    {"ThreeModules03Silent20sLastValue", kThreeModules, sim::Fault::Silent, 3, 20, 0, true},
    {"TwoModules01Late30sBy300msLastValue", kTwoModules, sim::Fault::Late, 1, 30, 300, true},
    {"ThreeModules03Late30sBy1sBadMark", kThreeModules, sim::Fault::Late, 3, 30, 1000, false},
    {"ThreeModules01Late30sBy1sLastValue", kThreeModules, sim::Fault::Late, 1, 30, 1000, true},
    // 16 channels at 0.5 s on a 4018 and a 4019.
    {"SixteenChannelsAtHalfASecond03Silent20sLastValue", {"4018", "", "4019"}, sim::Fault::Silent, 3, 20, 0, true,
     0.5, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}},
    // The last channel (module 03's) averaged continuously over each interval.
    {"TwoModules01Silent20sContinuousAveragingLastValue", kTwoModules, sim::Fault::Silent, 1, 20, 0, true, 1,
     {1, 2, 3, 4, 9, 10, 11, 12, 13}, 0},
    // Silent from sample 3 of a first run, through its end and the options window's
    // Restart, into the second run, whose file is checked; the spike filter on (the first
    // reference of each of module 03's channels is its first reading once it answers).
    {"TwoModules03SilentAcrossRestartSpikeFilterLastValue", kTwoModules, sim::Fault::Silent, 3, 25, 0, true, 1,
     {1, 2, 3, 4, 9, 10, 11, 12, 13}, 1, true, true},
    // The 4050 switched every few seconds (periodic references) while module 03 is silent.
    {"ThreeModules03Silent20sSwitchingLastValue", kThreeModules, sim::Fault::Silent, 3, 20, 0, true, 1,
     {1, 2, 3, 4, 9, 10, 11, 12, 13}, 1, false, false, true},
    // A 4018 at 01 silent, its channels first or last in the set-up, at 1, 5 and 10 s
    // (each silence ends between two samples; at 5 and 10 s it begins after the first,
    // so that a run fits in a test's minute): the 4017 at 03 is asked first while 01 is
    // silent, and in the sample 01 falls silent it is asked once 01's wait is over when
    // the interval leaves room.
    {"Silent01First1sBadMark", {"4018", "", "4017"}, sim::Fault::Silent, 1, 20.5, 0, false, 1,
     {1, 2, 3, 4, 9, 10, 11, 12, 13}, 1, false, false, false, true},
    {"Silent01Last1sLastValue", {"4018", "", "4017"}, sim::Fault::Silent, 1, 20.5, 0, true, 1,
     {9, 10, 11, 12, 13, 1, 2, 3, 4}, 1, false, false, false, true},
    {"Silent01First5sLastValue", {"4018", "", "4017"}, sim::Fault::Silent, 1, 17, 0, true, 5,
     {1, 2, 3, 4, 9, 10, 11, 12, 13}, 1, false, false, false, true, 1},
    {"Silent01Last5sBadMark", {"4018", "", "4017"}, sim::Fault::Silent, 1, 17, 0, false, 5,
     {9, 10, 11, 12, 13, 1, 2, 3, 4}, 1, false, false, false, true, 1},
    {"Silent01First10sBadMark", {"4018", "", "4017"}, sim::Fault::Silent, 1, 15, 0, false, 10,
     {1, 2, 3, 4, 9, 10, 11, 12, 13}, 1, false, false, false, true, 1},
    {"Silent01Last10sLastValue", {"4018", "", "4017"}, sim::Fault::Silent, 1, 15, 0, true, 10,
     {9, 10, 11, 12, 13, 1, 2, 3, 4}, 1, false, false, false, true, 1},
};

class AdamFaultRunE2E : public StoredValuesRunE2E, public ::testing::WithParamInterface<AdamFault> {};

// Nine channels at 1 s: module 01's inputs 1-4, module 03's 9-13. The answering module
// keeps its pace: none of its cells is a copy or a value it did not read then, and a
// sample that could not ask it (the line held for the other module's reply) stores
// -99999 or is part of a recorded gap, whatever the preference. The faulty module's
// first failed reading is the only one the preference may copy; a module that keeps
// answering late is rested like a silent one, and the other is read in most samples.
TEST_P(AdamFaultRunE2E, TheAnsweringModuleStoresOnlyItsOwnReadingsAtItsPace) {
  const AdamFault& f = GetParam();
  sim::Options o = AdamAnsweringOwnValues();
  o.adamModules = f.modules;
  o.ramp = kAdamRise;
  if (f.lateMs > 0) o.lateMs = f.lateMs;
  StartSimulatorWith(o);
  const fs::path data = documents_ / "adam.kstr", first = documents_ / "adam first.kstr";
  const std::vector<int>& inputs = f.inputs;
  const std::vector<double> own = AdamOwnValues(inputs);
  const double kInterval = f.interval, kWellFor = 12;
  double faultEnds = -1;
  int32_t faultFrom = -1, faultTo = -1;
  size_t askedFrom = 0, askedTo = 0;
  int run = -1;
  auto startFault = [&] {
    askedFrom = sim_->Received().size();
    sim_->AddFault({f.fault, 0, f.seconds, -1, f.module});
    faultEnds = GetCurrentTimeInSeconds() + f.seconds;
    faultFrom = Sample;
  };
  SetControlLoopTap([&](const std::string& step) {
    // The second run's samples in the fault count from its first.
    if (step == "run" && ++run == 1) faultFrom = 0;
  });
  // The preferences' Acquire Data page: "'-99999'" (36) or "Last Sample Value" (37).
  const std::string preference = std::string("until 104 30\nmenu 2 21\nuntil 13\npick 13 500 3\nclick 13 ") +
                                 (f.keepLast ? "37" : "36") + "\nclick 13 220\ngone 13\n" +
                                 (f.spikeFilter ? "until 104 30\nmenu 4 12\nuntil 18\nclick 18 293\nclick 18 200\ngone 18\n" : "");
  Record(
      8, WriteSetup(inputs, static_cast<int16_t>(std::lround(f.interval * 60)), f.averaged, f.switching),
      f.restarted ? first : data, preference,
      [&] {
        const double now = GetCurrentTimeInSeconds();
        if (Sample == f.faultAt && faultEnds < 0) startFault();
        if (f.restarted && run == 0) return Sample >= 12;
        if (faultEnds > 0 && faultTo < 0 && now >= faultEnds) {
          faultTo = Sample;
          askedTo = sim_->Received().size();
        }
        return faultTo >= 0 && now >= faultEnds + kWellFor;
      },
      "", f.restarted ? data : fs::path());
  SetControlLoopTap(nullptr);
  if (HasFatalFailure()) return;
  EXPECT_EQ(PrefsArray[PrefsSlot::BadReadingKeepsLast], f.keepLast ? 1 : 0);
  const std::string dump = test::DumpDataFile(data, "--values 100000 ");
  // Inputs 1..8 are module 01's, 9..16 module 03's.
  std::vector<int> answeringChannels, faultyChannels;
  for (size_t k = 1; k <= inputs.size(); ++k)
    ((inputs[k - 1] < 9) == (f.module == 1) ? faultyChannels : answeringChannels)
        .push_back(static_cast<int>(k));
  const RisingCells answering = CheckRising(dump, own, answeringChannels, kInterval);
  const RisingCells faulty = CheckRising(dump, own, faultyChannels, kInterval);
  const std::string during = sim_->Received().substr(askedFrom, askedTo - askedFrom);
  auto asked = [&during](const char* module) {
    int count = 0;
    for (size_t at = during.find(module); at != std::string::npos; at = during.find(module, at + 1)) ++count;
    return count;
  };
  const std::vector<double> firstAnswering = test::BlockValues(dump, answeringChannels.front());
  int stood = 0;
  for (int32_t i = faultFrom; i < faultTo && i < static_cast<int32_t>(firstAnswering.size()); ++i)
    stood += firstAnswering[static_cast<size_t>(i)] != kBad;
  std::printf(
      "%s: answering module %d right, %d -99999, %d copied, %d wrong; faulty module %d right, %d -99999, "
      "%d copied, %d wrong; %d of %d samples in the fault read the answering module; asked in the fault: "
      "module 01 %d times, module 03 %d times\n",
      f.name, answering.right, answering.bad, answering.copied, answering.wrong, faulty.right, faulty.bad,
      faulty.copied, faulty.wrong, stood, faultTo - faultFrom, asked("#01"), asked("#03"));
  EXPECT_EQ(answering.copied, 0) << "a reading never asked for is never a copy";
  EXPECT_EQ(answering.wrong, 0) << "each stored at its own time, or its gap recorded";
  EXPECT_EQ(faulty.wrong, 0);
  EXPECT_LE(faulty.copied, f.keepLast ? static_cast<int>(faultyChannels.size()) : 0)
      << "only the first failure of each channel";
  EXPECT_GT(faulty.bad, 0) << "the fault reached the file";
  if (f.switching) {
    EXPECT_GT(asked("#02"), 0) << "the 4050 was switched in the fault";
  }
  if (f.seconds >= 20) {
    const double samples = f.restarted ? faultTo - faultFrom : f.seconds / kInterval;
    EXPECT_GE(stood, 0.4 * samples) << "the answering module keeps its pace";
  }
  if (f.everySample) {
    // Each time the silent module is asked in vain (its first input asked, and not its
    // second, in what the simulator received) the line is held for its time-out and the
    // late-reply wait (4 s): only samples due in that time that cannot wait it out may
    // lose the answering module (and one more, at 1 s, for a sample begun half a second
    // late on a busy machine); at 5 s and more, none. The samples due are those of the
    // silence, up to the one stored after its end.
    constexpr double kHeld = 4.0, kReply = 0.5;
    const bool roomy = kInterval >= kHeld + kReply;
    const std::string first = f.module == 1 ? "#010\r" : "#030\r",
                      second = f.module == 1 ? "#011\r" : "#031\r";
    int asks = 0;
    for (size_t at = during.find(first); at != std::string::npos; at = during.find(first, at + 1))
      asks += during.compare(at + first.size(), second.size(), second) != 0;
    const bool silentFirst = (inputs.front() < 9) == (f.module == 1);
    const int mayLose =
        roomy ? 0 : asks * (static_cast<int>(std::ceil(kHeld / kInterval)) - 1) + (silentFirst ? 1 : 0) + 1;
    const auto due = static_cast<int>(f.seconds / kInterval);
    int stored = 0;
    for (int32_t i = faultFrom; i + 1 < faultTo && i < static_cast<int32_t>(firstAnswering.size()); ++i)
      stored += firstAnswering[static_cast<size_t>(i)] != kBad;
    std::printf(
        "%s: the answering module stored in %d of %d samples due (%d may be held by %d asks in vain)\n",
        f.name, stored, due, mayLose, asks);
    EXPECT_GE(stored, due - mayLose) << "an answering module is stored in every sample its exchanges fit in";
    if (roomy) {
      EXPECT_EQ(answering.bad, 0);
    }
  }
  const std::vector<double> last = LastValues(data, inputs.size());
  for (size_t k = 1; k <= inputs.size(); ++k) EXPECT_NE(last[k], kBad) << "channel " << k << " read again once well";
}

INSTANTIATE_TEST_SUITE_P(Modules, AdamFaultRunE2E, ::testing::ValuesIn(kAdamFaults),
                         [](const ::testing::TestParamInfo<AdamFault>& info) { return info.param.name; });

// A DT800 at 115,200 baud with nothing wrong, six channels at 0.1 s: each reply's LF is
// that reply's own however it trails the CR, so no reading fails and no gap is recorded.
TEST_F(StoredValuesRunE2E, ADataTakerOnAGoodFastLineNeverFailsAReading) {
  sim::Options o;
  o.kind = sim::Kind::DT800;
  o.channelValues = true;
  o.baud = 115200;
  StartSimulatorWith(o);
  const fs::path data = documents_ / "dt800.kstr";
  Record(5, WriteChannelsSetup(6, 6, 1, -4), data, "", [] { return Sample >= 300; });
  if (HasFatalFailure()) return;
  const Counts n =
      Check(data, {0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6}, "DT800 at 115,200 baud, 6 channels at 0.1 s");
  EXPECT_EQ(n.bad, 0);
  EXPECT_EQ(test::GapsInDump(test::DumpDataFile(data)).size(), 0u);
}

// One interface the spike filter reads: its simulator, its item in the device window,
// its line's rate and the interval (sixtieths of a second).
struct SpikeRun {
  const char* name;
  sim::Kind kind;
  int16_t code;
  int baud;
  int16_t ticks;
  // What channel 1's reply in the third sample suffers; with `badMark` the preference is
  // "'-99999'" and the failed reading (a garbled reply whose re-read answers) is -99999.
  sim::Fault fault = sim::Fault::Spike;
  bool badMark = false;
  int32_t samples = 60;
};

void PrintTo(const SpikeRun& r, std::ostream* out) {
  *out << r.name;
}

const SpikeRun kSpikeRuns[] = {
    {"DT800At50ms", sim::Kind::DT800, 5, 115200, 3},
    {"ADAMAt250ms", sim::Kind::ADAM, 8, 9600, 15},
    {"DT800GarbledAt1sBadMark", sim::Kind::DT800, 5, 115200, 60, sim::Fault::Garbage, true, 8},
};

class SpikeFilterRunE2E : public StoredValuesRunE2E, public ::testing::WithParamInterface<SpikeRun> {};

// The spike filter on (ratio 2, set in the Spike Filter window), four channels (a
// DataTaker at 0.05 s, ADAM modules at 0.25 s) on inputs above 2 V that rise 10 mV a
// second, and a spike on channel 1 (a reply three times its input) in the first sample
// the filter judges; then Restart, every input 1 V higher, and the same spike. The filter compares only with readings of the run: nothing before a channel's
// first reading is read again, so neither run has a gap, and the spike is replaced by
// the reading before it, never by 0 or by the first run's reading.
TEST_P(SpikeFilterRunE2E, TheSpikeFilterComparesOnlyWithReadingsOfTheRun) {
  const SpikeRun& iface = GetParam();
  sim::Options o;
  o.kind = iface.kind;
  o.baud = iface.baud;
  o.ramp = 0.01;
  const double levels[2][5] = {{0, 2.1, 2.2, 2.3, 2.4}, {0, 3.1, 3.2, 3.3, 3.4}};
  for (int k = 1; k <= 4; ++k) o.values.push_back({k, levels[0][k]});
  StartSimulatorWith(o);
  const fs::path data = documents_ / "spikes.kstr", restarted = documents_ / "spikes restarted.kstr";
  const int32_t kSamples = iface.samples, kSpiked = 2;  // the third sample, the first one judged
  int run = -1;
  // The restarted run's inputs are set as it begins, before its first reading.
  SetControlLoopTap([&](const std::string& step) {
    if (step != "run") return;
    if (++run == 1)
      for (int k = 1; k <= 4; ++k) sim_->SetValue(k, levels[1][k]);
  });
  Record(
      iface.code, iface.kind == sim::Kind::ADAM ? WriteSetup({1, 2, 3, 4}, iface.ticks) : WriteChannelsSetup(4, iface.ticks, 1, -4), data,
      std::string("until 104 30\nmenu 4 12\nuntil 18\nclick 18 293\nclick 18 200\ngone 18\n") +
          (iface.badMark ? "menu 2 21\nuntil 13\npick 13 500 3\nclick 13 36\nclick 13 220\ngone 13\n" : ""),
      [&] {
        // The next reply is channel 1's in the sample read with Sample at kSpiked.
        if (Sample == kSpiked) sim_->AddFault({iface.fault, 0, -1, 1, -1});
        return Sample >= kSamples;
      },
      "", restarted);
  SetControlLoopTap(nullptr);
  if (HasFatalFailure()) return;
  ASSERT_EQ(run, 1) << "restarted once";
  for (int r = 0; r < 2; ++r) {
    const std::string dump = test::DumpDataFile(r == 0 ? data : restarted, "--values 100000 ");
    Counts n;
    for (int k = 1; k <= 4; ++k) {
      const std::vector<double> values = test::BlockValues(dump, k);
      EXPECT_GE(static_cast<int32_t>(values.size()), kSamples);
      for (size_t i = 0; i < values.size(); ++i) {
        // A reading of this run: its level and the rise since; the spike's place holds
        // the reading before it.
        const double rise = values[i] - levels[r][k];
        const bool repeats = i > 0 && values[i] == values[i - 1];
        const bool failed = iface.badMark && k == 1 && i == kSpiked;
        const bool own = failed ? values[i] == kBad
                                : rise >= 0 && rise < 0.3 && (!repeats || (k == 1 && i == kSpiked));
        if (values[i] == kBad)
          ++n.bad;
        else if (own)
          ++n.right;
        else
          ++n.wrong;
        EXPECT_TRUE(own) << "run " << r + 1 << ", channel " << k << ", sample " << i + 1 << " holds "
                         << values[i];
      }
    }
    std::printf("%s, spike filter on, run %d: %d cells right, %d -99999, %d copied or wrong\n",
                iface.name, r + 1, n.right, n.bad, n.wrong);
    EXPECT_EQ(n.bad, iface.badMark ? 1 : 0);
    if (iface.fault == sim::Fault::Spike) {
      EXPECT_NE(dump.find("chan 1:   1 spikes removed"), std::string::npos) << "run " << r + 1;
    }
    EXPECT_EQ(test::GapsInDump(dump).size(), 0u) << "run " << r + 1 << ": no gap";
  }
}

INSTANTIATE_TEST_SUITE_P(Interfaces, SpikeFilterRunE2E, ::testing::ValuesIn(kSpikeRuns),
                         [](const ::testing::TestParamInfo<SpikeRun>& info) { return info.param.name; });

// Eight ADAM channels at 0.1 s with nothing wrong: the range commands a run sends
// first, a sixteenth of a second each, go before the run times its first sweep and
// sets its first sample's due time, so the run begins on time, with no gap at its
// first sample.
TEST_F(StoredValuesRunE2E, AnADAMsRangeCommandsNeverLeaveAGapAtTheRunsFirstSample) {
  sim::Options o;
  o.kind = sim::Kind::ADAM;
  o.channelValues = true;
  StartSimulatorWith(o);
  const fs::path data = documents_ / "adam.kstr";
  const std::vector<int> inputs{1, 2, 3, 4, 5, 6, 7, 8};
  const std::vector<double> own = AdamOwnValues(inputs);
  Record(8, WriteSetup(inputs, 6), data, "", [] { return Sample >= 20; });
  if (HasFatalFailure()) return;
  Check(data, own, "ADAM, 8 channels at 0.1 s");
  const std::string dump = test::DumpDataFile(data);
  for (const test::LoggedGap& gap : test::GapsInDump(dump))
    EXPECT_NE(gap.before, 0) << "a gap of " << gap.seconds << " s before the first sample\n" << dump;
}

// A UI3 at 115,200 baud, 16 channels at 1/60 s: inputs 1 to 15 (8 analog inputs, the
// four T inputs, the counter, the further voltage input and the serial instrument's
// text) and input 1 again. For 8 s a reply comes as a garbage burst (three bytes more
// than its own) five times a second.
TEST_F(StoredValuesRunE2E, SableGarbageBurstsNeverLeaveAnotherChannelsValueInTheFile) {
  sim::Options o;
  o.kind = sim::Kind::UI3;
  o.baud = 115200;
  StartSimulatorWith(o);
  sim_->SetInstrumentLine("SN1,7.5");
  const fs::path data = documents_ / "sable.kstr";
  std::vector<int> inputs;
  for (int i = 1; i <= 15; ++i) inputs.push_back(i);
  inputs.push_back(1);
  const fs::path setup = WriteSetup(inputs, 1);
  SteadyClock::time_point faultsFrom{};
  constexpr double kBurstsFor = 8, kWellFor = 2;
  Record(2, setup, data, "", [&] {
    if (Sample == 20 && faultsFrom == SteadyClock::time_point{}) {
      faultsFrom = SteadyClock::now();
      for (double t = 0; t < kBurstsFor; t += 0.2) sim_->AddFault({sim::Fault::Garbage, t, 0.1, 1, -1});
    }
    return faultsFrom != SteadyClock::time_point{} &&
           SteadyClock::now() - faultsFrom > std::chrono::duration<double>(kBurstsFor + kWellFor);
  });
  if (HasFatalFailure()) return;
  // Each channel's true value is the one it reads once the bursts are over.
  const std::vector<double> own = LastValues(data, inputs.size());
  for (size_t k = 1; k <= inputs.size(); ++k)
    EXPECT_NE(own[k], kBad) << "channel " << k << " reads at the end";
  EXPECT_EQ(own[1], own[16]) << "the same input";
  const Counts n = Check(data, own, "UI3 16 channels at 1/60 s, garbage bursts");
  EXPECT_GT(n.bad, 0) << "the bursts reached the file";
}

// The streaming instrument's numbers as it writes them: exponent form is read whole, and
// a field of dashes or "N/A" is no value (-99999), never 0.
struct StreamLine {
  const char* name;
  const char* line;
  std::vector<double> own;  // channels 1..3 (element 0 unused)
};

void PrintTo(const StreamLine& l, std::ostream* out) {
  *out << l.name;
}

const StreamLine kStreamLines[] = {
    {"Exponents", "1.5e3,2.5E-1,3.5", {0, 1500, 0.25, 3.5}},
    {"NoValue", "---,-,N/A", {0, kBad, kBad, kBad}},
    // A field's number is the one at its start: digits in its unit are no part of it.
    {"UnitsWithDigits", "20.95 O2,21.5 m3/h,1 e3", {0, 20.95, 21.5, 1}},
    {"LabelFirst", "O2 20.95,T=21.5,+3.5e1 mV", {0, kBad, kBad, 35}},
};

class StreamValuesRunE2E : public StoredValuesRunE2E, public ::testing::WithParamInterface<StreamLine> {};

TEST_P(StreamValuesRunE2E, StreamedNumbersAreStoredAsTheInstrumentMeantThem) {
  const StreamLine& l = GetParam();
  sim::Options o;
  o.kind = sim::Kind::Stream;
  o.periodMs = 50;
  o.lines = {l.line};
  StartSimulatorWith(o);
  const fs::path data = documents_ / "stream.kstr";
  const fs::path setup = WriteSetup({1, 2, 3}, 15);
  Record(11, setup, data, "until 9 30\nclick-label 9 1/4 second\nclick-label 9 Selection OK\ngone 9\n",
         [] { return Sample >= 12; });
  if (HasFatalFailure()) return;
  const Counts n = Check(data, l.own, std::string("stream \"") + l.line + "\"");
  // No cell of a field with a number fails: the line is whole every time.
  const auto numbers =
      static_cast<int>(std::count_if(l.own.begin() + 1, l.own.end(), [](double v) { return v != kBad; }));
  EXPECT_GE(n.right, numbers * 12);
  EXPECT_GE(n.bad, (3 - numbers) * 12);
}

// A streaming instrument at 115,200 baud sends a line of six rising numbers every 20 ms
// through a 5 s pause: far more than the port holds, which keeps the lines of the
// pause's first seconds and loses the rest. The first sample after the resume stands
// on a line sent after it, never on one of those.
TEST_F(StoredValuesRunE2E, AStreamSampleAfterAPauseStandsOnALineSentAfterTheResume) {
  sim::Options o;
  o.kind = sim::Kind::Stream;
  o.periodMs = 20;
  o.baud = 115200;
  o.ramp = 1;
  o.lines = {"100.123456789,200.123456789,300.123456789,400.123456789,500.123456789,600.123456789"};
  StartSimulatorWith(o);
  const fs::path data = documents_ / "stream.kstr";
  constexpr double kPause = 5;
  Record(
      11, WriteSetup({1, 2, 3}, 15), data,
      "until 9 30\nclick-label 9 1/4 second\nclick-label 9 Selection OK\ngone 9\n",
      [] { return Sample >= 20; },
      "wait 2\nhold ctrl+p\nuntil 300 10\nrelease ctrl+p\nwait 5\nclick 300 51\ngone 300\n");
  if (HasFatalFailure()) return;
  const std::string dump = test::DumpDataFile(data, "--values 100000 ");
  const std::vector<double> values = test::BlockValues(dump, 1);
  const std::vector<test::LoggedGap> gaps = test::GapsInDump(dump);
  ASSERT_EQ(gaps.size(), 1u) << dump;
  const int32_t after = gaps[0].before;
  ASSERT_GT(after, 0);
  ASSERT_LT(after, static_cast<int32_t>(values.size()));
  EXPECT_GT(gaps[0].seconds, kPause - 0.5);
  // The inputs rise 1 a second: a line's value tells when it was sent. The pause began
  // after the sample before it, and its logged length ended at the resume.
  EXPECT_GE(values[after] - values[after - 1], gaps[0].seconds - 0.05)
      << "sample " << after << " holds a line sent " << gaps[0].seconds - (values[after] - values[after - 1])
      << " s before the resume";
}

INSTANTIATE_TEST_SUITE_P(Lines, StreamValuesRunE2E, ::testing::ValuesIn(kStreamLines),
                         [](const ::testing::TestParamInfo<StreamLine>& info) { return info.param.name; });

// The Sable export holds one interval and no pause log: its comment states every pause,
// gap and interval change. Sample k's time as its lines state them (the first interval,
// each change from its case, each pause or gap at its case), in either form.
std::vector<double> TimesByTheSableComment(const std::string& comment, double interval, std::size_t n) {
  std::multimap<long, std::pair<double, double>> events;  // case: seconds before it, interval from it
  const std::regex change(
      R"(CAUTION: old sample interval = (\S+) sec / new sample interval = (\S+) sec from case (\d+))"),
      gap(R"( (\S+) sec at case (\d+))"), first(R"(CAUTION: samples (\S+) sec apart, then)"),
      compact(R"( case (\d+): (?:\+(\S+) sec)?,?(?: (\S+) sec apart)?)");
  const auto number = [](const std::ssub_match& m) { return m.matched ? std::stod(m.str()) : 0.0; };
  std::smatch m;
  bool changed = false;
  for (std::size_t from = 0, cr; (cr = comment.find("\\r", from)) != std::string::npos; from = cr + 2) {
    const std::string line = comment.substr(from, cr - from);
    if (std::regex_match(line, m, change)) {
      if (!std::exchange(changed, true)) interval = number(m[1]);
      events.insert({std::stol(m[3]), {0, number(m[2])}});
    } else if (std::regex_match(line, m, gap)) {
      events.insert({std::stol(m[2]), {number(m[1]), 0}});
    } else if (std::regex_match(line, m, first)) {
      interval = number(m[1]);
    } else if (std::regex_match(line, m, compact)) {
      events.insert({std::stol(m[1]), {number(m[2]), number(m[3])}});
    }
  }
  std::vector<double> times;
  double base = 0;
  long baseCase = 0;
  auto e = events.begin();
  for (long k = 0; k < static_cast<long>(n); ++k) {
    for (; e != events.end() && e->first <= k; ++e) {
      base += static_cast<double>(e->first - baseCase) * interval + e->second.first;
      baseCase = e->first;
      if (e->second.second > 0) interval = e->second.second;
    }
    times.push_back(base + static_cast<double>(k - baseCase) * interval);
  }
  return times;
}

struct SableRun {
  const char* name;
  std::vector<int> pickedIntervals;  // the pause window's popup item picked in each pause (0: none)
  int silences;                      // 3 s silences of the instrument
};

void PrintTo(const SableRun& r, std::ostream* out) {
  *out << r.name;
}

const SableRun kSableRuns[] = {
    {"TwoPausesAndASilence", {0, 0}, 1},
    // 1/4 s, then 1/2 s, 1/10 s and 1 s: items 10, 8 and 11 of the popup.
    {"ThreeIntervalChangesAndTwoGaps", {10, 8, 11}, 2},
};

class SableExportRunE2E : public StoredValuesRunE2E, public ::testing::WithParamInterface<SableRun> {};

TEST_P(SableExportRunE2E, EachSampleStandsByTheCommentWhereTheChartFilePlacesIt) {
  const SableRun& run = GetParam();
  sim::Options o;
  o.kind = sim::Kind::Stream;
  o.periodMs = 50;
  o.lines = {"21.5 C, 40 %RH"};
  StartSimulatorWith(o);
  const fs::path chart = documents_ / "paused.kstr", sable = documents_ / "paused.KSSable";
  std::string during;
  for (int item : run.pickedIntervals)
    during += "wait 1\nhold ctrl+p\nuntil 300 10\nrelease ctrl+p\n" +
              (item > 0 ? "pick 300 250 " + std::to_string(item) + "\n" : std::string()) +
              "wait 1\nclick 300 51\ngone 300\n";
  // The first silence at sample 30, the second once every pause is logged; the run
  // stops 1.5 s after the last.
  int silences = 0;
  double silenceEnds = -1;
  Record(
      11, WriteSetup({1}, 15), chart,
      "until 9 30\nclick-label 9 1/4 second\nclick-label 9 Selection OK\ngone 9\n",
      [&] {
        const double now = GetCurrentTimeInSeconds();
        std::size_t pauses = 0;
        for (std::size_t at = 0;
             (at = CumulativePauseContainer.find("Acquisition paused", at)) != std::string::npos; ++at)
          ++pauses;
        const bool due = silences == 0 ? Sample >= 30 : pauses == run.pickedIntervals.size();
        if (silences < run.silences && due && now > silenceEnds + 1) {
          sim_->AddFault({sim::Fault::Silent, 0, 3});
          silenceEnds = now + 3;
          ++silences;
        }
        return silences == run.silences && pauses == run.pickedIntervals.size() && now > silenceEnds + 1.5;
      },
      during, {},
      "menu 1 5\npanel " + sable.string() + "\nclick 112 2\nuntil 15\nclick 15 11\ngone 15\nuntil 2\n");
  if (HasFatalFailure()) return;

  const std::string chartDump = test::DumpDataFile(chart, "--values 1000000 ");
  const std::vector<double> times = test::DumpedNumbers(chartDump, "sample times (s)");
  EXPECT_GE(test::GapsInDump(chartDump).size(), run.pickedIntervals.size() + run.silences) << chartDump;
  const std::string dump = test::DumpDataFile(sable);
  std::smatch m, interval;
  ASSERT_TRUE(std::regex_search(dump, m, std::regex("comment: '([^']*)'"))) << dump;
  ASSERT_TRUE(std::regex_search(dump, interval, std::regex(R"(interval \(s\): (\S+))"))) << dump;
  ASSERT_NE(dump.find("samples: " + std::to_string(times.size()) + "\n"), std::string::npos) << dump;
  const std::string comment = m[1].str();
  EXPECT_EQ(comment.find("no room"), std::string::npos) << "every sample timed: " << comment;
  const std::vector<double> said =
      TimesByTheSableComment(comment, ShortestDecimal(std::stof(interval[1].str())), times.size());
  double worst = 0;
  std::size_t off = 0;
  for (std::size_t k = 0; k < times.size(); ++k) {
    worst = std::max(worst, std::fabs(said[k] - times[k]));
    off += std::fabs(said[k] - times[k]) > 1e-4 ? 1 : 0;
  }
  EXPECT_EQ(off, 0u) << "samples the comment misplaces, by up to " << worst << " s: " << comment;
  std::printf("Sable comment: '%s'\n%zu samples, %zu off by more than 0.1 ms, worst %.6f s\n",
              comment.c_str(), times.size(), off, worst);
}

INSTANTIATE_TEST_SUITE_P(Runs, SableExportRunE2E, ::testing::ValuesIn(kSableRuns),
                         [](const ::testing::TestParamInfo<SableRun>& info) { return info.param.name; });

// Over-range alarms on every channel. An ADAM input is over range beyond the range the
// program set for it: the ±5 V it sets for an input with no range chosen ("R09") holds
// 3.0 V, the ±1 V range ("R04") does not hold 3.1 V. A streaming instrument's fields
// (21.5 °C, 40 %RH) are no volts and never over range.
struct OverRangeRun {
  const char* name;
  int16_t code;
  std::vector<int> inputs;
  std::vector<int16_t> sensorTypes;  // per channel (ADAM)
  std::vector<bool> overRange;       // per channel: whether its every sample is over range
  std::vector<std::string> rangeCommands = {};  // sent before the run
};

void PrintTo(const OverRangeRun& r, std::ostream* out) {
  *out << r.name;
}

const OverRangeRun kOverRangeRuns[] = {
    {"ADAM", 8, {9, 10}, {0, 1}, {false, true}, {"$037C0R09\r", "$037C1R04\r"}},
    {"Stream", 11, {1, 2}, {0, 0}, {false, false}},
};

class OverRangeRunE2E : public StoredValuesRunE2E, public ::testing::WithParamInterface<OverRangeRun> {};

TEST_P(OverRangeRunE2E, OnlyAReadingBeyondTheChannelsOwnRangeIsOverRange) {
  const OverRangeRun& run = GetParam();
  sim::Options o;
  if (run.code == 8) {
    o = AdamAnsweringOwnValues();
  } else {
    o.kind = sim::Kind::Stream;
    o.periodMs = 50;
    o.lines = {"21.5 C, 40 %RH"};
  }
  StartSimulatorWith(o);
  const fs::path data = documents_ / "over-range.kstr";
  const fs::path setup = WriteSetup(run.inputs, 15, 1, false, [&run](SetupRecord& r) {
    for (size_t k = 1; k <= run.inputs.size(); ++k) {
      r.sensorTypes[k] = run.sensorTypes[k - 1];
      r.alarms[k][AlarmField::AnyOn] = 1;
      r.alarms[k][AlarmField::OverRangeOn] = 1;
    }
  });
  const char* interval =
      run.code == 11 ? "until 9 30\nclick-label 9 1/4 second\nclick-label 9 Selection OK\ngone 9\n" : "";
  Record(run.code, setup, data, interval, [] { return Sample >= 10; });
  if (HasFatalFailure()) return;
  for (const std::string& command : run.rangeCommands)
    EXPECT_NE(sim_->Received().find(command), std::string::npos) << command;
  const std::string dump = test::DumpDataFile(data, "--values 100000 ");
  for (size_t k = 1; k <= run.inputs.size(); ++k) {
    const std::vector<double> values = test::BlockValues(dump, static_cast<int>(k));
    const auto stood = std::count_if(values.begin(), values.end(), [](double v) { return v != kBad; });
    ASSERT_GE(stood, 10) << dump;
    const float counted = alarmsArray[k][AlarmField::OverRangeCount];
    std::printf("%s channel %zu (%g): %g of %zu samples over range\n", run.name, k, values.back(), counted,
                values.size());
    if (run.overRange[k - 1])
      EXPECT_GE(counted, static_cast<float>(stood)) << "channel " << k;
    else
      EXPECT_EQ(counted, 0.0f) << "channel " << k << " reads " << values.back();
  }
}

INSTANTIATE_TEST_SUITE_P(Interfaces, OverRangeRunE2E, ::testing::ValuesIn(kOverRangeRuns),
                         [](const ::testing::TestParamInfo<OverRangeRun>& info) { return info.param.name; });

}  // namespace
}  // namespace mv
