// Whole-program recordings of three channels against simulated instruments whose
// every channel answers its own value, with a fault injected for a span of the run, on
// the real clock (a sample every quarter second): replies later than their time-out by
// 0.2 to 2 s, a silent span under averaging, ADC-1 garbage, a streaming instrument and
// a DataTaker that hang up and come back, garbled stream lines, the run's stop during a
// stream wait, a second opening of the port, and timed switches due while the port is
// lost. Every value the saved file holds must be its own channel's value or -99999.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <ostream>
#include <regex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "acquisition/chart_loop.h"
#include "acquisition/state.h"
#include "common/stored_times.h"
#include "common/test_support.h"
#include "control/device_outputs.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "drive/script.h"
#include "e2e/simulated_run_fixture.h"
#include "e2e/switching_commands.h"
#include "files/setup_file.h"
#include "files/state.h"
#include "kit/format.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/sound.h"
#include "runtime/windows.h"
#include "shell/main_body.h"
#include "sim/sim.h"

namespace mv {
namespace {

namespace fs = std::filesystem;

constexpr double kBad = -99999;
// Slow enough that a channel stays below the next one's value for a whole run, fast
// enough that every sample of a quarter second reads a higher value than the last.
constexpr double kRisingVoltsPerSecond = 0.0015;
constexpr int kChannels = 3;
constexpr const char* kStreamLine = "1.5,2.5,3.5";
constexpr const char* kStreamInterval =
    "until 9 30\nclick-label 9 1/4 second\nclick-label 9 Selection OK\ngone 9\n";

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// The interface's item in the device window's popup.
int16_t PopupItem(sim::Kind kind) {
  switch (kind) {
    case sim::Kind::UI2:
      return 1;
    case sim::Kind::ADAM:
      return 8;
    case sim::Kind::UI3:
      return 2;
    case sim::Kind::DT500:
      return 3;
    case sim::Kind::DT800:
      return 5;
    case sim::Kind::ADC1:
      return 9;
    default:
      return 11;
  }
}

// What channel k (input or field k) reads: a UI2's or UI3's word is 1000 x k counts above zero
// on the +-5.12 V range; a DataTaker's voltage channel answers k x 100 mV; the ADC-1
// converts input k to 1000 + 100 x k counts of its low gain (even inputs negative);
// channel k reads input k - 1 of the ADAM module at 01, 1 + (k - 1)/10 V; field k of the stream's line is
// k + 0.5.
float OwnValue(sim::Kind kind, int k) {
  switch (kind) {
    case sim::Kind::UI2:
    case sim::Kind::UI3:
      return static_cast<float>(1000.0 * k / 6399.9);
    case sim::Kind::DT500:
    case sim::Kind::DT800:
      return static_cast<float>(100.0 * k * 0.001);
    case sim::Kind::ADC1: {
      const sim::Adc1Reading r = sim::Adc1Simulated(k, false);
      return static_cast<float>((r.positive ? 1 : -1) * r.magnitude / 10000.0);
    }
    case sim::Kind::ADAM:
      return static_cast<float>(1 + (k - 1) / 10.0);
    default:
      return static_cast<float>(k + 0.5);
  }
}

class ReaderFaultRunE2E : public test::SimulatedRunTest {
 protected:
  void SetUp() override {
    SimulatedRunTest::SetUp();
    rt::SetSoundSink([this](const std::string& path) { sounds_.push_back(test::SoundFileName(path)); });
  }
  void TearDown() override {
    SetSampleTimingTap(nullptr);
    rt::SetSoundSink(nullptr);
    SimulatedRunTest::TearDown();
  }

  void Start(sim::Kind kind, int lateMs = 84, int baud = 0) {
    kind_ = kind;
    sim::Options o;
    o.kind = kind;
    o.baud = baud;
    o.channelValues = true;
    o.ramp = ramp_;
    o.periodMs = 50;
    o.lines = {kStreamLine};
    o.lateMs = lateMs;
    o.logPath = simLog_;
    o.logReadings = !simLog_.empty();
    StartSimulatorWith(o);
  }

  // Three chart channels on inputs (or fields) 1..3, a sample every ticks_ sixtieths of a
  // second.
  virtual fs::path WriteSetup(int averaged) const {
    return WriteChannelsSetup(kChannels, ticks_, averaged, -4, {1, 0, 0, 0, 0}, keepLast_);
  }

  // Launch, choose the interface and its port, record; `during` runs while the
  // recording does, which ends on Escape (held by the sample tap, or by `during`) or
  // Ctrl-Q; then save and quit.
  std::string Script(const fs::path& setup, const fs::path& data, const std::string& during) const {
    return "start " + setup.string() + "\nuntil 11 20\nclick-label 11 Reset\nuntil 21 20\npick 21 182 " +
           std::to_string(PopupItem(kind_)) + "\nclick-label 21 Selection OK\nuntil 88\nclick-label 88 " +
           link_ + "\nclick-label 88 Selection OK\ngone 88\n" +
           (kind_ == sim::Kind::Stream ? kStreamInterval : "") + "until 104 30\n" + panelsAtSetupOK_ +
           "click 104 203\ngone 104\n" + afterSetupOK_ + "until 1\n" + during + "until 112 60\n" + afterRun_ +
           "release Escape\npanel " + data.string() +
           "\nclick 112 2\nuntil 15\nclick 15 11\ngone 15\nuntil 2\nclick 112 6\nexpect-exit 0\n";
  }

  // Records with `tap` after every sample (Escape is held once it returns true) and
  // gives the saved values of each channel.
  std::array<std::vector<double>, kChannels + 1> Record(int averaged, std::function<bool()> tap,
                                                        const std::string& during = "") {
    const fs::path data = documents_ / "faults.kstr";
    SetSampleTimingTap([tap](double, double) {
      if (tap && tap()) rt::SetKeyDown(rt::key::Escape, true);
    });
    drive::ScriptRunner runner(Script(WriteSetup(averaged), data, during));
    const auto result = runner.Run([](int argc, char** argv) { MainBody(argc, argv); });
    EXPECT_TRUE(result.ok) << drive::FormatFailure(result) << "\nreceived: " << sim_->Received();
    output_ = result.output;
    std::array<std::vector<double>, kChannels + 1> values;
    if (!result.ok) return values;
    const std::string dump = test::DumpDataFile(data, "--values 5000 ");
    dump_ = dump;
    for (int k = 1; k <= kChannels; ++k) values[k] = test::BlockValues(dump, k);
    gaps_ = static_cast<int>(test::GapsInDump(dump).size());
    return values;
  }

  // Every value is its own channel's or -99999; gives how many were -99999, and prints
  // the run's count of cells right, -99999 and wrong.
  // With rising inputs (ramp_), every value is its own channel's or -99999, and above
  // the channel's value before it: one equal to it is a copy. Prints the run's count of
  // cells right, -99999, copied and wrong.
  // copiesHeld: the bad-reading preference keeps the last value, so a sample that read
  // nothing may repeat the one before.
  int BadCellsOfOwnValues(const std::array<std::vector<double>, kChannels + 1>& values, int from = 1,
                          bool copiesHeld = false) const {
    int bad = 0, right = 0, copied = 0, wrong = 0;
    for (int k = from; k <= kChannels; ++k) {
      SCOPED_TRACE("channel " + std::to_string(k));
      EXPECT_FALSE(values[k].empty());
      float before = kBad;
      for (size_t i = 0; i < values[k].size(); ++i) {
        const auto v = static_cast<float>(values[k][i]);
        if (v == kBad) {
          ++bad;
          continue;
        }
        const bool copy = ramp_ != 0 && v == before;
        const bool own = IsOwn(k, v) && (ramp_ == 0 || before == kBad || v > before);
        ++(copy ? copied : own ? right : wrong);
        EXPECT_TRUE(!copy || copiesHeld) << "sample " << i + 1 << " repeats the one before: " << v;
        EXPECT_TRUE(copy || own) << "sample " << i + 1 << ": " << v << " after " << before;
        before = v;
      }
    }
    std::printf("%s: %d cells right, %d -99999, %d copied, %d wrong\n",
                ::testing::UnitTest::GetInstance()->current_test_info()->name(), right, bad, copied, wrong);
    return bad;
  }

  // Channel k's own value: exactly it, or with rising inputs no further above it than
  // half the step to the next channel's.
  bool IsOwn(int k, float v) const {
    const float own = OwnValue(kind_, k);
    if (ramp_ == 0) return v == own;
    const float step = std::fabs(OwnValue(kind_, 2) - OwnValue(kind_, 1));
    return v >= own - 1e-3f && v < own + step / 2;
  }

  // Whether every channel of the sample just taken holds its own value.
  bool ReadWell() const {
    for (int k = 1; k <= kChannels; ++k)
      if (!IsOwn(k, ChartDataArray.Get(k, Sample - 1))) return false;
    return true;
  }

  // A fault over `spanSeconds` from the fourth sample; the run stops at the first sample
  // read well a second after the span.
  std::function<bool()> FaultSpanThenStop(sim::Fault fault, double spanSeconds) {
    auto spanEnd = std::make_shared<double>(0);
    return [this, fault, spanSeconds, spanEnd] {
      if (Sample == 4) {
        sim_->SetFaultSpan(fault, 0, spanSeconds);
        *spanEnd = Now() + spanSeconds;
      }
      return *spanEnd > 0 && Now() > *spanEnd + 1 && ReadWell();
    };
  }

  // The last sample of every channel was read well: the run recovered from the fault.
  void EndsWellRead(const std::array<std::vector<double>, kChannels + 1>& values) const {
    for (int k = 1; k <= kChannels; ++k)
      if (!values[k].empty()) {
        EXPECT_TRUE(IsOwn(k, static_cast<float>(values[k].back()))) << k << ": " << values[k].back();
      }
  }

  sim::Kind kind_ = sim::Kind::UI3;
  int16_t ticks_ = 15;
  // Every input rises by this much a second (volts), from the instrument's first request.
  double ramp_ = 0;
  bool keepLast_ = false;  // the bad-reading preference "Last Sample Value"
  std::vector<std::string> sounds_;
  int gaps_ = 0;                 // the gaps the saved file records: a silence's samples after its first
  std::string panelsAtSetupOK_;  // the answers to the panels "Setup OK" opens
  std::string afterSetupOK_;     // script lines for the windows it opens after them
  std::string afterRun_;         // script lines once the options window is up after the run
  std::string output_;           // what the driver said (listings)
  std::string dump_;             // the saved file, dumped
  std::string simLog_;           // the simulator's log of bytes and readings (empty: none)
};

struct LateRun {
  const char* name;
  sim::Kind kind;
  int lateMs[2];  // after the time-out, in the first span and in the second
  // A paced logger's line (0: bytes at once), and its sample interval in ticks. On a
  // paced line each span begins inside a sweep, after the request of channel 1 (first
  // span) or 2 (second) went out: the late request follows a reply whose LF is still
  // on the wire.
  int baud = 0;
  int16_t ticks = 15;
};

// A DataTaker exchange of channel 1 to 9 on a paced line: "NV" CR, then "N00.0" CR LF.
constexpr double kDataTakerExchangeBits = (3 + 7) * 10;

void PrintTo(const LateRun& run, std::ostream* out) {
  *out << run.name;
}

class LateReplyRunE2E : public ReaderFaultRunE2E, public ::testing::WithParamInterface<LateRun> {};

// Replies come later than the reader's time-out for a second and a half, twice: each
// would arrive during a later channel's exchange.
TEST_P(LateReplyRunE2E, ALateReplyIsNeverStoredOnAnotherChannel) {
  ASSERT_NO_FATAL_FAILURE(Start(GetParam().kind, 84, GetParam().baud));
  ticks_ = GetParam().ticks;
  // Each span begins once the run reads well again, after the late replies had their time.
  double spanEnd = 0;
  int spans = 0;
  const auto values = Record(1, [&] {
    const bool readingAgain = Now() > spanEnd + 2.5 && ReadWell();
    if (Sample >= 4 && spans < 2 && readingAgain) {
      const int baud = GetParam().baud;
      const double after = baud == 0 ? 0
                                     : TimeOfNextChartSample - GetCurrentTimeInSeconds() +
                                           (spans + 0.6) * kDataTakerExchangeBits / baud;
      sim_->SetLateMs(GetParam().lateMs[spans++]);
      sim_->SetFaultSpan(sim::Fault::Late, after, 1.5);
      spanEnd = Now() + after + 1.5;
      return false;
    }
    return spans == 2 && readingAgain;
  });
  EXPECT_GT(BadCellsOfOwnValues(values) + gaps_, 0) << "the late replies reached the readers";
  EndsWellRead(values);
}

// A logger's replies 1.1 s after their requests, on slow lines too, a sample a second:
// each reply's LF trails its CR by a byte's time and must never pass for a stray byte or
// cut short the wait for a reply still owed.
INSTANTIATE_TEST_SUITE_P(Readers, LateReplyRunE2E,
                         ::testing::Values(LateRun{"UI3", sim::Kind::UI3, {200, 2000}},
                                           LateRun{"DT800", sim::Kind::DT800, {300, 1300}},
                                           LateRun{"DT800At1200", sim::Kind::DT800, {600, 600}, 1200, 60},
                                           LateRun{"DT800At9600", sim::Kind::DT800, {600, 600}, 9600, 60},
                                           LateRun{"DT500At1200", sim::Kind::DT500, {600, 600}, 1200, 60},
                                           LateRun{"DT500At9600", sim::Kind::DT500, {600, 600}, 9600, 60}),
                         [](const ::testing::TestParamInfo<LateRun>& info) { return info.param.name; });

// Four readings averaged a sample, the UI3 silent for a second: a sample stores the mean
// of the readings that succeeded or -99999, never a mean with -99999 in it.
TEST_F(ReaderFaultRunE2E, AnAveragedSampleNeverAveragesAFailedReading) {
  ASSERT_NO_FATAL_FAILURE(Start(sim::Kind::UI3));
  const auto values = Record(4, FaultSpanThenStop(sim::Fault::Silent, 1.0));
  EXPECT_GT(BadCellsOfOwnValues(values) + gaps_, 0);
  EndsWellRead(values);
}

// Random bytes in place of the converter's replies: never a reading.
TEST_F(ReaderFaultRunE2E, ADC1GarbageIsNeverStoredAsAReading) {
  ASSERT_NO_FATAL_FAILURE(Start(sim::Kind::ADC1));
  const auto values = Record(1, FaultSpanThenStop(sim::Fault::Garbage, 1.5));
  EXPECT_GT(BadCellsOfOwnValues(values) + gaps_, 0);
  EndsWellRead(values);
}

// Every line garbled for two seconds: its pieces are no values (a sample whose newest
// line is garbled stores -99999).
TEST_F(ReaderFaultRunE2E, GarbledStreamLinesAreNeverStored) {
  ASSERT_NO_FATAL_FAILURE(Start(sim::Kind::Stream));
  const auto values = Record(1, FaultSpanThenStop(sim::Fault::Garbage, 2.0));
  EXPECT_GT(BadCellsOfOwnValues(values) + gaps_, 0);
  const std::string sent = sim_->Sent();
  EXPECT_TRUE(std::any_of(sent.begin(), sent.end(), [](char c) {
    return static_cast<unsigned char>(c) > 126;
  })) << "garbage was sent";
  EndsWellRead(values);
}

// The streaming instrument's terminal hangs up for longer than a line may take, and then
// a new one takes its link: the loss is shown, the samples meanwhile are -99999, the
// wait costs no processor time, and reading resumes.
TEST_F(ReaderFaultRunE2E, AStreamThatHangsUpIsNoticedAndReadAgainWhenItComesBack) {
  ramp_ = kRisingVoltsPerSecond;
  ASSERT_NO_FATAL_FAILURE(Start(sim::Kind::Stream));
  double hungUpAt = 0, cpuAt = 0, cpuShare = -1;
  std::string shownWhileLost;
  // While the line is lost no sample is stored (the silence is one gap): the failed
  // reads' sounds give the moment to look at the screen.
  const auto lookWhileLost = [&] {
    if (hungUpAt > 0 && cpuShare < 0 && Now() > hungUpAt + 4.5) {
      cpuShare = (ThreadCpuSeconds() - cpuAt) / (Now() - hungUpAt);
      rt::SetOutputWindow(1);
      shownWhileLost = rt::EditFieldExists(197) ? rt::EditText(197) : "";
      rt::SaveWindowImage(1, Shot("w1-stream-port-lost.png"));
    }
  };
  rt::SetSoundSink([&](const std::string& path) {
    sounds_.push_back(test::SoundFileName(path));
    lookWhileLost();
  });
  const auto values = Record(1, [&] {
    if (Sample == 4 && hungUpAt == 0) {
      sim_->SetFaultSpan(sim::Fault::HangUp, 0, 6.0);
      hungUpAt = Now();
      cpuAt = ThreadCpuSeconds();
    }
    lookWhileLost();
    return hungUpAt > 0 && Now() > hungUpAt + 6.5 && ReadWell();
  });
  EXPECT_EQ(shownWhileLost, "Serial port lost: " + link_);
  EXPECT_GE(cpuShare, 0);
  EXPECT_LT(cpuShare, 0.5) << "the hang-up is waited out, not spun on";
  EXPECT_GT(BadCellsOfOwnValues(values) + gaps_, 0);
  EndsWellRead(values);
}

// A second program opens the port a UI3 is recording from, at every sample from the
// fourth to the eighth, and would read what comes: each opening is refused with the
// port's name, and the recording goes on as if nothing had happened, every cell its own
// channel's value and no gap.
TEST_F(ReaderFaultRunE2E, ASecondOpeningOfTheRecordingsPortIsRefusedAndTheRecordingGoesOn) {
  ramp_ = kRisingVoltsPerSecond;
  ASSERT_NO_FATAL_FAILURE(Start(sim::Kind::UI3));
  PosixSerialPort second;
  std::vector<std::string> refusals;
  int taken = 0;
  const auto values = Record(1, [&] {
    if (second.IsOpen()) taken += static_cast<int>(second.ReadBytes(4096).size());
    if (Sample >= 4 && Sample <= 8 && !second.IsOpen()) {
      const SerialOpenResult r = second.Open(link_, 115200);
      if (!r.ok) refusals.push_back(r.reason);
    }
    return Sample >= 12;
  });
  second.Close();
  EXPECT_EQ(refusals.size(), 5u);
  for (const std::string& why : refusals)
    EXPECT_EQ(why.rfind(link_ + ": the port is in use by another program", 0), 0u) << why;
  EXPECT_EQ(taken, 0);
  EXPECT_EQ(BadCellsOfOwnValues(values), 0);
  EXPECT_EQ(gaps_, 0);
  EXPECT_GE(values[1].size(), 12u);
}

// The Recording Check window after a run says how long the run went without its port,
// the whole run's loss and only its own. A run that lost its line for 1.5 s is restarted
// and the second run keeps its line: the window says so after the first run, and
// nothing of it after the second. An automatic repeat run in periods of 16 samples
// that lost its line in its first period (once or twice), its last period read well:
// the window after the stop counts every period's loss.
struct LossCheck {
  const char* name;
  int period;                 // samples a repeat period holds; 0: one run, then restarted
  std::vector<int> lossesIn;  // the repeat periods (from 1) whose fifth sample loses the line
  double lostAtLeast, lostBelow;
};

void PrintTo(const LossCheck& row, std::ostream* out) {
  *out << row.name;
}

class LossCheckRunE2E : public ReaderFaultRunE2E, public ::testing::WithParamInterface<LossCheck> {};

TEST_P(LossCheckRunE2E, TheRecordingCheckStatesTheWholeRunsLossAndOnlyItsOwn) {
  const LossCheck& row = GetParam();
  ramp_ = kRisingVoltsPerSecond;
  ASSERT_NO_FATAL_FAILURE(Start(sim::Kind::UI3));
  afterRun_ =
      "until 33\nshot 33 " + Shot((std::string("w33-loss-") + row.name + ".png").c_str()) + "\nlist 33\n";
  if (row.period == 0) {
    afterRun_ += "release Escape\nclick 112 1\ngone 112\nuntil 112 120\nuntil 33\nlist 33\n";
  } else {
    RecordInPeriodsOf(row.period);
    // The root panel of the numbered files, cancelled: the base name in the documents folder.
    panelsAtSetupOK_ = "panel cancel\n";
    afterSetupOK_ = "until 15\nclick 15 11\ngone 15\n";
  }
  double hungUpAt = 0;
  std::size_t losses = 0;
  bool restarted = false;
  int32_t last = 0;
  const auto values = Record(1, [&] {
    restarted = restarted || (row.period == 0 && Sample < last);
    last = Sample;
    if (restarted) return Sample >= 12;
    const int period = row.period == 0 ? 1 : ScopeCount + 1;
    const std::size_t due = row.period == 0 ? 1 : row.lossesIn.size();
    if (losses < due && Sample >= 4 && (row.period == 0 || period == row.lossesIn[losses]) &&
        Now() > hungUpAt + 4.0) {
      sim_->SetFaultSpan(sim::Fault::HangUp, 0, 1.5);
      hungUpAt = Now();
      ++losses;
    }
    const bool lastPeriod = row.period == 0 || period > row.lossesIn.back();
    return losses == due && lastPeriod && Now() > hungUpAt + 4.0 && Sample >= 4 && ReadWell();
  });
  ASSERT_TRUE(row.period != 0 || restarted);
  const std::regex lost(R"(serial port lost for (\d+(\.\d)?) s)");
  const auto said =
      std::distance(std::sregex_iterator(output_.begin(), output_.end(), lost), std::sregex_iterator());
  std::smatch first;
  ASSERT_TRUE(std::regex_search(output_, first, lost)) << output_;
  std::printf("%s: \"%s\" after the %s, %ld times in all; %d periods saved\n",
              ::testing::UnitTest::GetInstance()->current_test_info()->name(), first[0].str().c_str(),
              row.period == 0 ? "first run" : "stop", static_cast<long>(said), ScopeCount);
  EXPECT_EQ(said, 1) << output_;
  EXPECT_GT(std::stod(first[1].str()), row.lostAtLeast);
  EXPECT_LT(std::stod(first[1].str()), row.lostBelow);
  EXPECT_EQ(BadCellsOfOwnValues(values), 0) << "the run (or period) last saved kept its line";
  EXPECT_EQ(gaps_, 0);
}

const LossCheck kLossChecks[] = {
    {"RestartedRun", 0, {}, 1.4, 3.5},
    {"RepeatRunLostInItsFirstPeriod", 16, {1}, 1.4, 3.5},
    {"RepeatRunLostInItsFirstTwoPeriods", 16, {1, 2}, 2.9, 7.0},
};

INSTANTIATE_TEST_SUITE_P(Runs, LossCheckRunE2E, ::testing::ValuesIn(kLossChecks),
                         [](const ::testing::TestParamInfo<LossCheck>& info) { return info.param.name; });

// A DataTaker's line hangs up between two samples and a new terminal takes its link 2 s
// later: the program opens it again inside the write of a reading's request, and that
// request's reply, answered in full on the new opening, is stored like every other one.
// Nothing is in flight at the hang-up, so every channel request the logger received was
// answered and is a stored value of its channel.
struct HangUpRow {
  const char* name;
  sim::Kind kind;
  int sample;           // the line hangs up after this sample
  const char* request;  // what a channel's request looks like ("": not counted)
  // Readings averaged a sample, on a line paced at `baud` (0: at once), a sample every
  // `ticks`; with `keepLast` ("Last Sample Value") the sample after the hang-up stores
  // each channel's copy of the sample before.
  int averaged = 1;
  int baud = 0;
  int16_t ticks = 15;
  bool keepLast = false;
};

void PrintTo(const HangUpRow& row, std::ostream* out) {
  *out << row.name;
}

class HangUpRunE2E : public ReaderFaultRunE2E, public ::testing::WithParamInterface<HangUpRow> {};

TEST_P(HangUpRunE2E, TheReplyToTheFirstRequestAfterTheLineComesBackIsStored) {
  const HangUpRow& row = GetParam();
  ramp_ = kRisingVoltsPerSecond;
  ticks_ = row.ticks;
  keepLast_ = row.keepLast;
  ASSERT_NO_FATAL_FAILURE(Start(row.kind, 84, row.baud));
  double hungUpAt = 0;
  int32_t lostAt = -1;  // the first sample after the hang-up
  std::string beforeRun;
  bool taken = false;
  // Sample 0: the line hangs up at the run's first channel request, the priming sweep's.
  std::atomic<bool> hungUp = false, done = false;
  std::thread watcher;
  if (row.sample == 0)
    watcher = std::thread([&] {
      const std::regex request(row.request);
      for (const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
           !done && std::chrono::steady_clock::now() < end;
           std::this_thread::sleep_for(std::chrono::microseconds(200)))
        if (std::regex_search(sim_->Received(), request)) {
          sim_->SetFaultSpan(sim::Fault::HangUp, 0, 2.0);
          hungUp = true;
          return;
        }
    });
  const auto values = Record(row.averaged, [&] {
    // The run's first sample taken (two may be taken in one pass).
    if (!taken) beforeRun = sim_->Received();
    taken = true;
    if ((row.sample == 0 ? hungUp.load() : Sample >= row.sample) && hungUpAt == 0) {
      if (row.sample != 0) sim_->SetFaultSpan(sim::Fault::HangUp, 0, 2.0);
      hungUpAt = Now();
      lostAt = Sample;
    }
    return hungUpAt > 0 && Now() > hungUpAt + 4.0 && ReadWell();
  });
  done = true;
  if (watcher.joinable()) watcher.join();
  ASSERT_TRUE(row.sample != 0 || hungUp);
  const int bad = BadCellsOfOwnValues(values, 1, row.keepLast);
  if (row.keepLast) {
    // The copy is the channel's last sample, the mean of its readings, never the last
    // single reading it averaged (one of a rising input's highest).
    for (int k = 1; k <= kChannels; ++k) {
      ASSERT_GT(static_cast<int32_t>(values[k].size()), lostAt);
      const auto before = static_cast<float>(values[k][lostAt - 1]),
                 copy = static_cast<float>(values[k][lostAt]);
      std::printf("%s: channel %d copied %.7g, the sample before %.7g\n",
                  ::testing::UnitTest::GetInstance()->current_test_info()->name(), k, copy, before);
      EXPECT_EQ(copy, before) << "channel " << k << "\n" << dump_;
    }
  }
  // A line lost in the priming sweep may be back before the first sample is due; one
  // lost between two samples far apart may cost only the copy checked above.
  if (row.sample > 0 && !row.keepLast) {
    EXPECT_GT(bad + gaps_, 0) << "the line was lost for a while";
  }
  EndsWellRead(values);
  if (*row.request == '\0') return;
  // The requests of the recording's samples, its first sample's on.
  const std::regex request(row.request);
  const auto requests = [&](const std::string& rx) {
    return std::distance(std::sregex_iterator(rx.begin(), rx.end(), request), std::sregex_iterator());
  };
  // The first sample's requests came before the tap looked: those of its cells read (a
  // line lost in the priming sweep fails that sample).
  long firstRead = 0;
  for (int k = 1; k <= kChannels; ++k) firstRead += !values[k].empty() && values[k][0] != kBad;
  const auto asked = requests(sim_->Received()) - requests(beforeRun) + firstRead;
  int stored = 0;
  for (int k = 1; k <= kChannels; ++k) stored += static_cast<int>(values[k].size());
  EXPECT_EQ(stored - bad, asked) << "every request answered is a stored reading\n" << dump_;
}

// DataTakers and an ADAM module (text replies), a UI3 (words); the line lost after the
// fourth sample, after the first, or in the priming sweep before it. On slow lines a
// channel's six readings of a rising input spread over a few counts, so a copy of the
// last single reading would differ from the sample before.
const HangUpRow kHangUps[] = {
    {"DT800", sim::Kind::DT800, 4, R"(\d+V(NC)?\r)"},
    {"DT500", sim::Kind::DT500, 4, R"(\d+V(NC)?\r)"},
    {"DT800AfterTheFirstSample", sim::Kind::DT800, 1, R"(\d+V(NC)?\r)"},
    {"DT800InThePrimingSweep", sim::Kind::DT800, 0, R"(\d+V(NC)?\r)"},
    {"ADAM", sim::Kind::ADAM, 4, R"(#01\d\r)"},
    {"UI3", sim::Kind::UI3, 4, ""},
    // Six readings averaged a sample on slow lines, "Last Sample Value".
    {"UI3AveragingSixLastSampleValue", sim::Kind::UI3, 4, "", 6, 300, 180, true},
    {"DT800AveragingSixLastSampleValue", sim::Kind::DT800, 4, "", 6, 1200, 120, true},
    {"ADAMAveragingSixLastSampleValue", sim::Kind::ADAM, 4, "", 6, 1200, 180, true},
};

INSTANTIATE_TEST_SUITE_P(Loggers, HangUpRunE2E, ::testing::ValuesIn(kHangUps),
                         [](const ::testing::TestParamInfo<HangUpRow>& info) { return info.param.name; });

// Timed switching on a UI2 and on an ADAM module with a 4050, a marker at every switch:
// the line hangs up for good 1.5 s into the run, after the first switch to the sample
// (1.2 s) and before the reference (2.4 s), the sample (3.6 s) and the reference (4.8 s)
// that follow, and the run stops at 6 s. The file holds a marker for each switch the
// instrument received and for no other, and the Recording Check window says how long
// the line was lost.
struct SwitchingLoss {
  const char* name;
  sim::Kind kind;
  struct Loss {
    int sample;      // from this sample on
    double seconds;  // for this long (negative: for good)
    // Else from the first sample after the instrument got this many switches of the run:
    // the line then goes between two switches, whatever the machine's load.
    int afterSwitches = 0;
  };
  std::vector<Loss> losses;
  const char* during;             // the driver's lines that end the run
  double lostAtLeast, lostBelow;  // what the Recording Check window may say, seconds
  bool keepLast = false;          // the bad-reading preference "Last Sample Value"
  bool twoDevices = false;        // channel 2 on device 3 (else on no device)
  bool zeroLink = false;          // channel 3 zero-linked to channel 1
  // Without `during`, the run ends at the first sample after the instrument got this many
  // switches of the run.
  int endAfterSwitches = 0;
};

void PrintTo(const SwitchingLoss& row, std::ostream* out) {
  *out << row.name;
}

class SwitchingHangUpRunE2E : public ReaderFaultRunE2E, public ::testing::WithParamInterface<SwitchingLoss> {
 protected:
  fs::path WriteSetup(int averaged) const override {
    SetupRecord setup;
    setup.recordingMode = RecordingModeCode::Chart;
    setup.channels = kChannels;
    setup.chartTicks = ticks_;
    setup.scopeTicks = 1;
    setup.scopeMax = 256;
    setup.maxSamples = 1000;
    // Periodic references: the sample after refint, the reference switchint later, and so on.
    setup.switchingMode = 5;
    setup.refint = 0.02f;
    setup.switchint = 0.02f;
    setup.refChan = 1;
    setup.prefSlots[PrefsSlot::MarkerAtSwitch] = 1;
    setup.prefSlots[PrefsSlot::BadReadingKeepsLast] = GetParam().keepLast ? 1 : 0;
    for (int k = 1; k <= kChannels; ++k) {
      auto& ch = setup.channelTable[k];
      ch[ChanField::Gain] = 2;
      ch[ChanField::Input] = static_cast<float>(k);
      ch[ChanField::B] = 1;
      ch[ChanField::PlotMax] = 4;
      ch[ChanField::PlotMin] = -4;
      ch[ChanField::Averaged] = static_cast<float>(averaged);
    }
    setup.channelTable[1][ChanField::Device] = 2;
    if (GetParam().twoDevices) setup.channelTable[2][ChanField::Device] = 3;
    if (GetParam().zeroLink) {
      setup.zeroLinks[0] = 1;
      setup.zeroLinks[3 * 1 + 1] = 3;
      setup.zeroLinks[3 * 3 + 2] = 1;
    }
    EXPECT_EQ(SetupRecordProblem(setup), "");
    const fs::path file = documents_ / "switching.MVsetup";
    std::ofstream(file, std::ios::binary) << EncodeSetup(setup);
    return file;
  }

  // The simulator's log: every byte it received, and each reading it sent with the bytes
  // received by then and its input.
  struct LoggedReading {
    size_t after;
    int input;
    double value;
  };
  std::pair<std::string, std::vector<LoggedReading>> SimulatorLog() const {
    std::ifstream in(simLog_);
    std::string rx;
    std::vector<LoggedReading> readings;
    for (std::string line; std::getline(in, line);) {
      std::vector<std::string_view> words;
      for (size_t at = 0; at < line.size();) {
        const size_t end = std::min(line.find(' ', at), line.size());
        words.emplace_back(line.data() + at, end - at);
        at = end + 1;
      }
      if (words.size() > 1 && words[1] == "rx") {
        for (size_t w = 2; w < words.size(); ++w) {
          unsigned byte = 0;
          std::from_chars(words[w].data(), words[w].data() + words[w].size(), byte, 16);
          rx += static_cast<char>(byte);
        }
      } else if (words.size() == 4 && words[1] == "rd") {
        LoggedReading r{rx.size(), 0, 0};
        std::from_chars(words[2].data(), words[2].data() + words[2].size(), r.input);
        std::from_chars(words[3].data(), words[3].data() + words[3].size(), r.value);
        readings.push_back(r);
      }
    }
    return {rx, readings};
  }
  // Half a sample's rise: a cell read in another sample is further off.
  static constexpr double kTolerance = kRisingVoltsPerSecond * 0.25 / 2;

  // Each switch marker stands at the sample its command went out before: the first
  // reading the simulator's log shows after the command (of a channel the sample stores
  // as read) is one of that sample's cells. The run's switches are the `sent` after the
  // first `before` the instrument got, in the order of the markers.
  void MarkersStandAtTheSampleTheirCommandsPreceded(
      const std::array<std::vector<double>, kChannels + 1>& values, size_t before, int sent) const {
    const auto [rx, readings] = SimulatorLog();
    std::vector<int32_t> markedAt;
    for (const test::DumpedMarker& m : test::MarkersInDump(dump_))
      if (m.code == 'S' || m.code == 'R') markedAt.push_back(m.sample);
    for (int j = 0; j < sent && j < static_cast<int>(markedAt.size()); ++j) {
      // The bytes received up to the end of the command: the shortest that decode to it.
      size_t lo = 0, hi = rx.size();
      while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        if (Switches(rx.substr(0, mid)).size() > before + j)
          hi = mid;
        else
          lo = mid + 1;
      }
      int readIn = -1;
      for (const auto& [after, input, v] : readings) {
        if (after < lo) continue;
        for (int k = 1; k <= kChannels && readIn < 0; ++k)
          for (size_t i = 0; i < values[k].size() && readIn < 0; ++i)  // a copy after it is not it
            if (std::fabs(values[k][i] - v) <= kTolerance) readIn = static_cast<int>(i);
        if (readIn >= 0) break;
      }
      std::printf("%s: switch %d marked at sample %d, its command before the readings of sample %d\n",
                  ::testing::UnitTest::GetInstance()->current_test_info()->name(), j + 1, markedAt[j] + 1,
                  readIn + 1);
      EXPECT_EQ(markedAt[j], readIn) << "switch " << j + 1 << "\n" << dump_;
    }
  }

  // Channels 1 and 2 (devices 2 and 3) are zeroed in a sample exactly while the device
  // the instrument had on when that sample was read (its last switch command before the
  // readings, in the log's order of bytes) is another than the reference and their own.
  void ZerosFollowTheDeviceTheInstrumentHad(
      const std::array<std::vector<double>, kChannels + 1>& values) const {
    const auto [rx, readings] = SimulatorLog();
    const auto device = [&](int16_t d) {
      return Switches(SableOutputCommand(PrefsArray[PrefsSlot::DigitalOutputCoding], d, 0, false)).at(0);
    };
    int checked = 0;
    for (const auto& [after, input, v] : readings) {
      if (input != 3) continue;  // channel 3, on no device, tells the sample
      const auto at = std::find_if(values[3].begin(), values[3].end(),
                                   [&](double cell) { return std::fabs(cell - v) <= kTolerance; });
      if (at == values[3].end()) continue;
      const auto i = static_cast<size_t>(at - values[3].begin());
      const std::vector<std::string> got = Switches(rx.substr(0, after));
      if (got.empty()) continue;
      ++checked;
      const std::string& on = got.back();
      for (const auto& [k, own] : {std::pair{1, device(2)}, std::pair{2, device(3)}}) {
        EXPECT_EQ(values[k][i] == 0, on != own && on != device(1))
            << "sample " << i + 1 << " channel " << k << " = " << values[k][i] << ", read after " << on
            << "\n"
            << dump_;
      }
    }
    EXPECT_GT(checked, 0);
  }

  // The switch commands received, decoded.
  std::vector<std::string> Switches(const std::string& rx) const {
    if (kind_ == sim::Kind::ADC1) return test::switching::Adc1Switches(rx);
    return kind_ == sim::Kind::ADAM ? test::switching::AdamSwitches(rx) : test::switching::SableSwitches(rx);
  }
};

TEST_P(SwitchingHangUpRunE2E, OnlySwitchesTheInstrumentGotAreMarked) {
  const SwitchingLoss& row = GetParam();
  ramp_ = kRisingVoltsPerSecond;
  simLog_ = (documents_ / "sim.log").string();
  ASSERT_NO_FATAL_FAILURE(Start(row.kind));
  afterRun_ = "until 33\nlist 33\n";
  std::string beforeRun, duringRun;
  size_t next = 0;
  double hungUpAt = 0;
  const auto values = Record(
      1,
      [&] {
        // The run's first sample taken (two may be taken in one pass).
        if (duringRun.empty()) beforeRun = sim_->Received();
        duringRun = sim_->Received();
        const auto got = static_cast<int>(Switches(duringRun).size() - Switches(beforeRun).size());
        if (next < row.losses.size()) {
          const SwitchingLoss::Loss& loss = row.losses[next];
          if (loss.afterSwitches > 0 ? got >= loss.afterSwitches : Sample >= loss.sample) {
            sim_->SetFaultSpan(sim::Fault::HangUp, 0, loss.seconds);
            if (hungUpAt == 0) hungUpAt = Now();
            ++next;
          }
        }
        return row.endAfterSwitches > 0 && next == row.losses.size() && got >= row.endAfterSwitches;
      },
      row.during);
  ASSERT_GT(hungUpAt, 0);
  // The switches the instrument got up to the run's last sample (the run's end sends the
  // reference, unmarked, once the line is back).
  const std::vector<std::string> got = Switches(duringRun);
  const auto sent = static_cast<int>(got.size() - Switches(beforeRun).size());
  std::string marked;
  for (const test::DumpedMarker& m : test::MarkersInDump(dump_))
    if (m.code == 'S' || m.code == 'R') marked += static_cast<char>(m.code);
  EXPECT_GE(sent, 1) << "the first switch to the sample went out";
  EXPECT_EQ(static_cast<int>(marked.size()), sent) << "a marker for each switch the instrument got\n"
                                                   << dump_;
  // In the order they went out: "R" for the reference (device 1), "S" for any other.
  const std::string reference =
      kind_ == sim::Kind::ADC1 ? test::switching::Adc1Devices({1})
      : kind_ == sim::Kind::ADAM
          ? Switches(Adam4050Command(1)).at(0)
          : Switches(SableOutputCommand(PrefsArray[PrefsSlot::DigitalOutputCoding], 1, 0, false)).at(0);
  std::string kinds;
  for (size_t i = Switches(beforeRun).size(); i < got.size(); ++i) kinds += got[i] == reference ? 'R' : 'S';
  EXPECT_EQ(marked, kinds);
  MarkersStandAtTheSampleTheirCommandsPreceded(values, Switches(beforeRun).size(), sent);
  if (row.twoDevices && !row.zeroLink) ZerosFollowTheDeviceTheInstrumentHad(values);
  std::printf("%s: %d switches sent in the run, %zu marked (%s)\n",
              ::testing::UnitTest::GetInstance()->current_test_info()->name(), sent, marked.size(),
              marked.c_str());
  // Channel 1 is device 2's (and, with two devices, channel 2 device 3's; with the link,
  // channel 3 follows channel 1's zero): zeroed while another device is on.
  BadCellsOfOwnValues(values, row.zeroLink ? 4 : row.twoDevices ? 3 : 2, row.keepLast);
  // A sample the lost line left with copies holds channel 1 (and a channel linked to it)
  // as the sample before stored it (or -99999, or the zero its device's switch gives): a
  // reading its zero stood in for was taken while another device was on, and is no
  // reading of device 2. A zero that repeats is no copy.
  int held = 0;
  for (size_t i = 1; i < values[1].size(); ++i) {
    bool copies = true, anyCopy = false;
    for (int k = 2; k <= (row.zeroLink ? 2 : kChannels); ++k) {
      const bool copy = i < values[k].size() && values[k][i] == values[k][i - 1] && values[k][i] != kBad &&
                        values[k][i] != 0;
      copies &= copy || (i < values[k].size() && values[k][i] == kBad);
      anyCopy |= copy;
    }
    if (!copies || !anyCopy) continue;
    ++held;
    for (const int k : {1, row.zeroLink ? 3 : 1}) {
      if (values[k][i] != kBad && values[k][i] != 0) {
        EXPECT_EQ(values[k][i], values[k][i - 1])
            << "sample " << i + 1 << ": channel " << k << " holds what it never stored\n"
            << dump_;
      }
    }
  }
  std::printf("%s: %d samples of copies\n", ::testing::UnitTest::GetInstance()->current_test_info()->name(), held);
  if (row.keepLast) {
    EXPECT_GE(held, 1) << "a sample was stored while the line was lost";
  }
  const std::smatch lost = [&] {
    std::smatch m;
    std::regex_search(output_, m, std::regex(R"(serial port lost for (\d+(\.\d)?) s)"));
    return m;
  }();
  ASSERT_FALSE(lost.empty()) << output_;
  std::printf("%s: \"%s\"\n", ::testing::UnitTest::GetInstance()->current_test_info()->name(),
              lost[0].str().c_str());
  EXPECT_GT(std::stod(lost[1].str()), row.lostAtLeast) << lost[0];
  EXPECT_LT(std::stod(lost[1].str()), row.lostBelow) << lost[0];
}

// The line hangs up for good 1.5 s into a 6 s run (lost from then to the run's end); or
// for 1.5 s twice, after the instrument got the run's first switch (1.2 s) and its fourth
// (4.8 s, the reference held back by the first loss counted), each loss ending when the
// program opens the line again (within a second of its return), the run ending after
// the sixth: the window gives the two together. Timed by the switches the instrument
// got, each loss falls between two switches however late the samples come.
const SwitchingLoss kSwitchingLosses[] = {
    {"UI2LostForGood", sim::Kind::UI2, {{6, -1}}, "wait 6\nhold Escape\n", 3.0, 6.0},
    {"ADAMLostForGood", sim::Kind::ADAM, {{6, -1}}, "wait 6\nhold Escape\n", 3.0, 6.0},
    {"UI2LostTwiceAndBack", sim::Kind::UI2, {{0, 1.5, 1}, {0, 1.5, 4}}, "", 3.0, 6.0, false, false, false, 6},
    {"ADAMLostTwiceAndBack",
     sim::Kind::ADAM,
     {{0, 1.5, 1}, {0, 1.5, 4}},
     "",
     3.0,
     6.0,
     false,
     false,
     false,
     6},
    // While the line is lost: Alt+3, then "-" and "+"; they go out, and are marked, once
    // it is back.
    {"UI2KeysWhileLost",
     sim::Kind::UI2,
     {{6, 3.0}},
     "wait 2\nhold alt+3\nwait 0.25\nrelease alt+3\nwait 0.4\nhold -\nwait 0.25\nrelease -\nwait 0.4\n"
     "hold =\nwait 0.25\nrelease =\nwait 5\nhold Escape\n",
     3.0,
     5.0},
    {"ADC1LostForGood", sim::Kind::ADC1, {{6, -1}}, "wait 6\nhold Escape\n", 3.0, 6.0},
    // Channels on devices 2 and 3, the line lost just before the switch from device 3 to
    // the reference (4.8 s): the sample after it stores copies, channel 1's never of the
    // reading its zero stood in for while device 3 was on.
    {"UI3LostAsTheReferenceIsDue", sim::Kind::UI3, {{19, 1.5}}, "wait 8\nhold Escape\n", 1.0, 3.0, true, true},
    // Lost for 3 s once device 3 is on (3.6 s), across the reference and device 2 due at
    // 4.8 s and 6 s: until they go out, samples are zeroed as device 3 leaves them.
    {"UI3LostAcrossTwoSwitches",
     sim::Kind::UI3,
     {{0, 3.0, 3}},
     "wait 10\nhold Escape\n",
     2.5,
     5.0,
     true,
     true},
    // The same with channel 3 zero-linked to channel 1: the copies the lost line leaves
    // hold neither channel's reading that the zero stood in for.
    {"UI3LinkedLostAsTheReferenceIsDue",
     sim::Kind::UI3,
     {{19, 1.5}},
     "wait 8\nhold Escape\n",
     1.0,
     3.0,
     true,
     true,
     true},
    {"ADC1KeysWhileLost",
     sim::Kind::ADC1,
     {{6, 3.0}},
     "wait 2\nhold alt+3\nwait 0.25\nrelease alt+3\nwait 0.4\nhold -\nwait 0.25\nrelease -\nwait 0.4\n"
     "hold =\nwait 0.25\nrelease =\nwait 5\nhold Escape\n",
     3.0,
     5.0},
    {"ADAMKeysWhileLost",
     sim::Kind::ADAM,
     {{6, 3.0}},
     "wait 2\nhold alt+3\nwait 0.25\nrelease alt+3\nwait 0.4\nhold -\nwait 0.25\nrelease -\nwait 0.4\n"
     "hold =\nwait 0.25\nrelease =\nwait 5\nhold Escape\n",
     3.0,
     5.0},
};

INSTANTIATE_TEST_SUITE_P(Interfaces, SwitchingHangUpRunE2E, ::testing::ValuesIn(kSwitchingLosses),
                         [](const ::testing::TestParamInfo<SwitchingLoss>& info) { return info.param.name; });

// The stream falls silent; the run's stop, asked for while the reader waits for a line,
// ends the wait: the read neither waits out its deadline nor buzzes as a failed one, and
// the run ends without the sample that was never read.
struct StopRun {
  const char* name;
  const char* during;
};

class StreamStopRunE2E : public ReaderFaultRunE2E, public ::testing::WithParamInterface<StopRun> {};

TEST_P(StreamStopRunE2E, TheRunsStopEndsAStreamWait) {
  ASSERT_NO_FATAL_FAILURE(Start(sim::Kind::Stream));
  SerialWarningBuzz = 1;
  const auto values = Record(
      1,
      [this] {
        if (Sample == 2) sim_->SetFault(sim::Fault::Silent, -1);
        return false;
      },
      GetParam().during);
  EXPECT_EQ(std::count(sounds_.begin(), sounds_.end(), "AlarmBUZZ.mp3"), 0)
      << "no stream wait ran to its deadline";
  EXPECT_EQ(BadCellsOfOwnValues(values), 0);
}

INSTANTIATE_TEST_SUITE_P(Stops, StreamStopRunE2E,
                         ::testing::Values(StopRun{"Escape", "wait 1.5\nhold Escape\n"},
                                           StopRun{"CtrlQ", "wait 1.5\nkey ctrl+q\n"}),
                         [](const ::testing::TestParamInfo<StopRun>& info) { return info.param.name; });

}  // namespace
}  // namespace mv
