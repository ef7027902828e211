// Whole-program runs of three-channel recordings from a DataTaker, an ADAM module and a
// streaming instrument whose every channel answers its own value. In one recording the
// simulator's replies come late, in part, with a stale reply behind them, then as
// garbage, each for a few samples' replies; the saved file must never hold a value of
// another channel: each sample of a channel is that channel's value or a bad reading,
// and once the faults are spent the channel reads right again. The recording runs on the virtual clock
// (the instrument answers in real time); the dump tool decodes the file.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "acquisition/chart_loop.h"
#include "acquisition/state.h"
#include "common/test_support.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "drive/script.h"
#include "e2e/program_run_fixture.h"
#include "e2e/simulated_run_fixture.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "setup/state.h"
#include "shell/main_body.h"
#include "sim/sim.h"

namespace mv {
namespace {

namespace fs = std::filesystem;

constexpr double kBad = -99999;
constexpr int kChannels = 3;

struct KindRun {
  const char* name;
  sim::Kind kind;
  int16_t code;  // the interface's item in the device window's popup
  DataTakerChannelsRecord dataTaker;
  float values[kChannels + 1];  // what channels 1..3 (inputs or fields 1..3) answer
  const char* beforeSetup = "";
};

void PrintTo(const KindRun& run, std::ostream* out) {
  *out << run.name;
}

// With per-channel values a DataTaker's channel n answers n x 100 mV and the ADAM
// module at address 01 gives 1 + i/10 V on input i (inputs 1..3 are its inputs 0..2);
// the streaming instrument's line carries three distinct fields.
const KindRun kKinds[] = {
    {"DT500", sim::Kind::DT500, 3, {1, 0, 0, 0, 0}, {0, 0.1f, 0.2f, 0.3f}},
    {"DT800", sim::Kind::DT800, 5, {1, 0, 0, 0, 0}, {0, 0.1f, 0.2f, 0.3f}},
    {"ADAM", sim::Kind::ADAM, 8, {}, {0, 1.0f, 1.1f, 1.2f}},
    {"Stream",
     sim::Kind::Stream,
     11,
     {},
     {0, 1.5f, 2.5f, 3.5f},
     "until 9 30\nclick-label 9 1/4 second\nclick-label 9 Selection OK\ngone 9\n"},
};
constexpr const char* kStreamLine = "1.5,2.5,3.5";

// Each fault, switched on at the first sample for as many replies as the samples to the
// last one ask for.
struct FaultSpan {
  sim::Fault fault;
  int32_t from, to;
};
constexpr FaultSpan kSpans[] = {
    {sim::Fault::Late, 4, 6},
    {sim::Fault::Partial, 10, 12},
    {sim::Fault::Stale, 16, 18},
    {sim::Fault::Garbage, 22, 24},
};
constexpr int32_t kStopAt = 34;
// The last samples, read after every fault's replies were spent, must be right again.
constexpr int32_t kRightAtEnd = 3;

class WrongChannelRunE2E : public test::SimulatedRunTest, public ::testing::WithParamInterface<KindRun> {
 protected:
  void SetUp() override {
    SimulatedRunTest::SetUp();
    SetControlLoopTap([this](const std::string& step) {
      log_.push_back(step);
      if (step == "run") rt::UseVirtualClock(true);
    });
  }
  void TearDown() override {
    SetSampleTimingTap(nullptr);
    SimulatedRunTest::TearDown();
  }

  void StartSimulator(const KindRun& run) {
    sim::Options o;
    o.kind = run.kind;
    o.channelValues = true;
    o.periodMs = 50;
    o.lines = {kStreamLine};
    StartSimulatorWith(o);
  }

  // Three chart channels on inputs (or fields) 1..3, a sample a second.
  fs::path WriteSetup(const KindRun& run) const {
    return WriteChannelsSetup(kChannels, 60, 1, 0, run.dataTaker);
  }

  std::string Script(const KindRun& run, const fs::path& setup, const fs::path& data) const {
    return "start " + setup.string() + "\nuntil 11 20\nclick-label 11 Reset\nuntil 21 20\npick 21 182 " +
           std::to_string(run.code) + "\nclick-label 21 Selection OK\nuntil 88\nclick-label 88 " + link_ +
           "\nclick-label 88 Selection OK\ngone 88\n" + run.beforeSetup +
           "until 104 30\nclick 104 203\ngone 104\n"
           "until 1\nuntil 112 60\nrelease Escape\n"
           "panel " +
           data.string() +
           "\nclick 112 2\nuntil 15\nclick 15 11\ngone 15\nuntil 2\nclick 112 6\nexpect-exit 0\n";
  }
};

TEST_P(WrongChannelRunE2E, FaultyRepliesNeverPutAnotherChannelsValueInTheFile) {
  const KindRun& run = GetParam();
  ASSERT_NO_FATAL_FAILURE(StartSimulator(run));
  const fs::path setup = WriteSetup(run);
  const fs::path data = documents_ / (std::string(run.name) + "-channels.kstr");
  // Each fault lasts for the replies of its span's samples: samples in which every
  // reading fails may be no samples (a silent instrument's inside a gap), so the span
  // cannot be ended by a sample count.
  SetSampleTimingTap([this](double, double) {
    for (const FaultSpan& s : kSpans)
      if (Sample == s.from) sim_->SetFault(s.fault, kChannels * (s.to - s.from));
    if (Sample == kStopAt) rt::SetKeyDown(rt::key::Escape, true);
  });
  drive::ScriptRunner runner(Script(run, setup, data));
  const auto result = runner.Run([](int argc, char** argv) { MainBody(argc, argv); });
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result) << "\nreceived: " << sim_->Received();

  const std::string dump = test::DumpDataFile(data, "--values 5000 ");
  for (int k = 1; k <= kChannels; ++k) {
    SCOPED_TRACE("channel " + std::to_string(k));
    const std::vector<double> values = test::BlockValues(dump, k);
    ASSERT_GE(values.size(), static_cast<size_t>(kStopAt)) << dump;
    for (size_t i = 0; i < values.size(); ++i) {
      const float v = static_cast<float>(values[i]);
      EXPECT_TRUE(v == run.values[k] || v == kBad) << "sample " << i + 1 << ": " << v;
      if (i + kRightAtEnd >= values.size()) {
        EXPECT_FLOAT_EQ(v, run.values[k]) << "sample " << i + 1;
      }
    }
  }
  // A late reply to a request is waited out: the faults reached the reader.
  if (run.kind != sim::Kind::Stream) {
    const std::vector<double> first = test::BlockValues(dump, 1);
    EXPECT_GT(std::count(first.begin(), first.end(), kBad), 0) << dump;
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, WrongChannelRunE2E, ::testing::ValuesIn(kKinds),
                         [](const ::testing::TestParamInfo<KindRun>& info) { return info.param.name; });

}  // namespace
}  // namespace mv
