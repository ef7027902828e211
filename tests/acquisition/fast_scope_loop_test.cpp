// The fast scope in the oscilloscope loop: the demonstration block's phases and timed
// waits on the virtual clock, the keys taken during its waits, a logger block through a
// scripted port (a zero reading and the thermocouple smoothing), and a DT800 block
// from the simulator on a pseudo-terminal on the real clock.
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "acq_fixture.h"
#include "acquisition/fast_scope.h"
#include "acquisition/recording_keys.h"
#include "acquisition/scope_loop.h"
#include "common/dump_tool.h"
#include "devices/scripted_port.h"
#include "devices/serial_port.h"
#include "files/state.h"
#include "kit/builders.h"
#include "kit/protocol.h"
#include "sim/sim.h"

namespace mv::test {
namespace {

namespace fs = std::filesystem;

constexpr double kBad = -99999;

class FastScopeLoopTest : public AcqTest {
 protected:
  void SetUp() override {
    AcqTest::SetUp();
    documents_ = MakeTempDir("fast-scope-documents");
    setenv("MV_DOCUMENTS_DIR", documents_.c_str(), 1);
    fast_scope_hooks::Reset();
    fast_scope_hooks::HIGHSPEEDIO = [] { HIGHSPEEDIO(); };
    fast_scope_hooks::GETFAST = [] { return GETFAST(); };
    RecordingMODE = RecordingModeCode::Scope;
    PrefsArray[PrefsSlot::DT800FastScope] = 1;
    PrefsArray[PrefsSlot::WindowWidth] = 800;
    filestrings.rootName = "Scope";
    SetChannels(1);
    auto& ch1 = ChannelVariables[1];
    ch1[ChanField::PlotMax] = 2.5f;
    ch1[ChanField::PlotMin] = 0;
    ch1[ChanField::StripHeight] = 400;
    ch1[ChanField::StripBottom] = 451;
    BottomOfPlot = 450;
    ScopeMax = 2400;
    ScopeIntervalInSeconds = 0.0005;  // 72 ticks of recording
    scopeXfactor = 800.0f / 2400.0f;  // three points a pixel column
    // The demonstration's 301 to 2,100 mV land inside the plot: y = 449 - mV x 0.18.
    ScopeBase = 449;
    scd = 409.6f;
    ScopeCalibrationFactor = 0.18f * 409.6f;
    OpenAcquisitionWindow();
    rt::SetOutputWindow(1);
    rt::FillRect(0, 49, 800, 402, FastScopeBackground.red / 65535.0, FastScopeBackground.green / 65535.0,
                 FastScopeBackground.blue / 65535.0);
    begin_ = Tick();
    script = [this] { Look(); };
  }
  void TearDown() override {
    CloseSerialPort();
    if (sim_) sim_->Stop();
    fast_scope_hooks::Reset();
    unsetenv("MV_DOCUMENTS_DIR");
    fs::remove_all(documents_);
    AcqTest::TearDown();
  }

  static int64_t Tick() { return rt::TickCount(); }
  // What field 300 says now.
  static std::string Status() { return rt::EditFieldExists(300) ? rt::EditText(300) : std::string(); }
  std::set<fs::path> Files() const {
    std::set<fs::path> files;
    for (const auto& e : fs::recursive_directory_iterator(documents_))
      if (e.is_regular_file()) files.insert(e.path());
    return files;
  }
  int SavedFiles() const {
    int n = 0;
    for (const auto& e : fs::directory_iterator(documents_)) n += e.is_regular_file();
    return n;
  }

  // Called on every look the loop takes at the toolbar: notes each new status text
  // with its tick, numbers the blocks by their " SAMPLING..." and runs the test's step.
  void Look() {
    const std::string s = Status();
    if (phases.empty() || phases.back().second != s) {
      phases.emplace_back(Tick() - begin_, s);
      if (s == fast_phase::Sampling.text) {
        ++block;
        blockStart = Tick();
      }
    }
    if (rt::ControlExists(kProgressBarControl)) bar = std::max(bar, rt::ControlValue(kProgressBarControl));
    if (step) step(Tick() - blockStart);
  }
  // A key typed while the loop waits, as the event pump hands it over.
  static void Type(int code) { doDIALOG(ActionCode::Key, static_cast<int16_t>(code)); }

  void StartSim(const std::vector<std::string>& values) {
    rt::UseVirtualClock(false);
    sim::Options o;
    o.kind = sim::Kind::DT800;
    o.link = (documents_ / "port").string();
    o.burstValues = values;
    sim_ = std::make_unique<sim::Simulator>(o);
    std::string error;
    ASSERT_TRUE(sim_->Start(&error)) << error;
    const SerialOpenResult r = OpenSerialPortPath(o.link, 115200);
    ASSERT_TRUE(r.ok) << r.reason;
  }

  fs::path documents_;
  int64_t begin_ = 0, blockStart = 0;
  int block = 0, bar = 0;
  std::vector<std::pair<int64_t, std::string>> phases;
  std::function<void(int64_t sinceBlockStart)> step;
  std::unique_ptr<sim::Simulator> sim_;
};

TEST_F(FastScopeLoopTest, DemonstrationBlockShowsItsPhasesInOrderWithItsTimedWaits) {
  PrefsArray[PrefsSlot::SimulateBlockTransfer] = 1;  // 2400 / 6 = 400 ticks of download
  std::vector<std::string> shots;
  step = [&](int64_t) {
    const std::string s = Status();
    const std::string name = s == fast_phase::Sampling.text      ? "sampling"
                             : s == fast_phase::Processing.text  ? "processing"
                             : s == fast_phase::Downloading.text ? "downloading"
                                                                 : "";
    if (block == 2 && !name.empty() && std::find(shots.begin(), shots.end(), name) == shots.end()) {
      shots.push_back(name);
      EXPECT_TRUE(
          rt::SaveWindowImage(1, (TestOutputDir() / ("w1-fast-scope-demo-" + name + ".png")).string()));
    }
    if (block == 3) Hold({rt::key::Escape});
  };
  EXPECT_EQ(SCOPESCANNING(), 0);
  ASSERT_GE(phases.size(), 9u);
  const std::vector<std::string> order = {fast_phase::Sampling.text, fast_phase::Processing.text,
                                          fast_phase::Downloading.text, fast_phase::Transfer.text};
  for (size_t i = 0; i < 8; ++i) EXPECT_EQ(phases[i].second, order[i % 4]) << i;
  // Recording 72 ticks, processing 18, download 400; each wait ends on the tick after.
  const auto span = [&](size_t i) { return phases[i + 1].first - phases[i].first; };
  for (size_t first : {0u, 4u}) {
    EXPECT_NEAR(span(first), 73, 1) << first;
    EXPECT_NEAR(span(first + 1), 19, 1) << first;
    EXPECT_NEAR(span(first + 2), 401, 1) << first;
  }
  EXPECT_EQ(bar, 100) << "the transfer bar reaches the end of each wait";
  EXPECT_EQ(FastScopeCount, 3) << "one count a block, the stopped one too";
  EXPECT_EQ(shots.size(), 3u);
  EXPECT_TRUE(rt::SaveWindowImage(1, (TestOutputDir() / "w1-fast-scope-demo-bars.png").string()));
}

// The demonstration's block is drawn whatever the points a pixel column: at 750 or
// 1,000 points on 800 pixels each column holds one point, and its bar must still show.
TEST_F(FastScopeLoopTest, TheDemonstrationBlockIsDrawnAtEveryPointsAPixel) {
  for (const int32_t points : {2400, 1000, 750}) {
    SCOPED_TRACE(points);
    ScopeMax = points;
    scopeXfactor = 800.0f / static_cast<float>(points);
    rt::SetOutputWindow(1);
    rt::FillRect(0, 49, 800, 402, FastScopeBackground.red / 65535.0, FastScopeBackground.green / 65535.0,
                 FastScopeBackground.blue / 65535.0);
    const RGBColor background = rt::CanvasPixel(400, 300);
    block = 0;
    step = [&](int64_t) {
      if (block == 2) Hold({rt::key::Escape});
    };
    EXPECT_EQ(SCOPESCANNING(), 0);
    ReleaseAll();
    int drawn = 0;
    rt::SetOutputWindow(1);
    for (int x = 2; x < 700; ++x)
      for (int y = 50; y < 450; ++y) {
        const RGBColor c = rt::CanvasPixel(x, y);
        drawn += c.red != background.red || c.green != background.green || c.blue != background.blue;
      }
    EXPECT_GT(drawn, 600) << "a bar in every column of the trace";
    rt::SaveWindowImage(
        1, (TestOutputDir() / ("w1-fast-scope-demo-" + std::to_string(points) + ".png")).string());
  }
}

TEST_F(FastScopeLoopTest, EscapeDuringTheRecordingEndsTheBlockAtOnce) {
  step = [&](int64_t t) {
    if (t == 10) Hold({rt::key::Escape});
  };
  scopedata[1][5] = -7.0f;  // a block that ends unscaled leaves the sweep as it was
  EXPECT_EQ(SCOPESCANNING(), 0);
  EXPECT_LE(Tick() - begin_, 13) << "not the 72 ticks of the recording";
  EXPECT_EQ(FastScopeCount, 1);
  EXPECT_EQ(scopedata[1][5], -7.0f);
  for (const auto& p : phases) EXPECT_NE(p.second, fast_phase::Transfer.text);
}

TEST_F(FastScopeLoopTest, TypedKeysDuringTheWaitsActAfterTheBlock) {
  ASCIIvalue = 4;
  MaxSamples = 1000;
  std::vector<int16_t> seen;
  std::vector<int32_t> samples;
  // One key typed into each block's recording; its effect shows at the next block.
  // The last, a typed Escape, ends the run.
  const std::vector<int> keys = {'7',
                                 RecordingKeyCode::Up,
                                 RecordingKeyCode::Home,
                                 RecordingKeyCode::Left,
                                 RecordingKeyCode::Return,
                                 'x',
                                 'Q',
                                 RecordingKeyCode::Escape};
  int typedIn = 0;
  step = [&](int64_t t) {
    if (t == 0 && static_cast<int>(seen.size()) < block) {
      seen.push_back(ASCIIvalue);
      samples.push_back(MaxSamples);
    }
    if (t == 20 && typedIn < block && block <= static_cast<int>(keys.size())) {
      typedIn = block;
      Type(keys[block - 1]);
    }
  };
  EXPECT_EQ(SCOPESCANNING(), 0);
  EXPECT_EQ(seen, (std::vector<int16_t>{4, 7, 8, 0, -1, -1, -1, -1}));
  EXPECT_EQ(samples[5], 1800) << "Return adds a screen width of time";
  EXPECT_EQ(Count("X_Key_check"), 1);
  EXPECT_EQ(Count("Q_Key_check"), 1);
  EXPECT_EQ(block, 8) << "the typed Escape ended the run after its block";
  ASSERT_TRUE(rt::ControlExists(kProgressBarControl));
  // The added time builds the chart's capacity bar (up to 790 here); the scope's bar
  // counts percent.
  rt::SetControlValue(kProgressBarControl, 500);
  EXPECT_EQ(rt::ControlValue(kProgressBarControl), 100) << "after Return the transfer bar is back";
}

TEST_F(FastScopeLoopTest, TabSavesTheBlockAndAddsADigitMarker) {
  PrefsArray[PrefsSlot::Automarkers] = 1;
  step = [&](int64_t t) {
    if (block == 1 && t == 30) Hold({rt::key::Tab});
    if (block == 1 && t == 40) ReleaseAll();
    if (block == 2 && t == 5) Hold({rt::key::Tab});
    if (block == 2 && t == 8) ReleaseAll();
    if (block == 3) Hold({rt::key::Escape});
  };
  EXPECT_EQ(SCOPESCANNING(), 0);
  EXPECT_EQ(SavedFiles(), 2) << "one sweep saved per press";
  ASSERT_EQ(Nmarkers, 2);
  EXPECT_EQ(MarkersArray[1].code, '1');
  EXPECT_EQ(MarkersArray[2].code, '2');
}

// The label over the scope names the file the next Tab writes: after a save it names
// the next one at once, not only from the next block on.
TEST_F(FastScopeLoopTest, TheNextFileLabelChangesAsSoonAsTabSaves) {
  // The label's pixels: its text sits on y 45, above the plot.
  const auto label = [] {
    std::vector<uint64_t> px;
    rt::SetOutputWindow(1);
    for (int y = 33; y <= 48; ++y)
      for (int x = 350; x < 500; ++x) {
        const RGBColor c = rt::CanvasPixel(x, y);
        px.push_back(uint64_t{c.red} << 32 | uint64_t{c.green} << 16 | c.blue);
      }
    return px;
  };
  std::vector<uint64_t> beforeSave, afterSave, nextBlock;
  step = [&](int64_t t) {
    if (block == 2 && t == 2 && beforeSave.empty()) beforeSave = label();
    if (block == 2 && t == 5) Hold({rt::key::Tab});
    // Looked at while the save waits for Tab to come up.
    if (ScopeCount == 1 && afterSave.empty()) {
      afterSave = label();
      ReleaseAll();
    }
    if (block == 3 && t == 5 && nextBlock.empty()) nextBlock = label();
    if (block == 3 && t == 10) Hold({rt::key::Escape});
  };
  EXPECT_EQ(SCOPESCANNING(), 0);
  ASSERT_EQ(SavedFiles(), 1);
  ASSERT_FALSE(afterSave.empty());
  EXPECT_NE(beforeSave, nextBlock) << "the save moved the next name on";
  EXPECT_EQ(afterSave, nextBlock) << "the label named the next file as soon as the sweep was saved";
}

TEST_F(FastScopeLoopTest, DigitMarkersStopAfterSixHundredAndFortyMarkers) {
  PrefsArray[PrefsSlot::Automarkers] = 1;
  Nmarkers = 640;
  step = [&](int64_t t) {
    if (block == 1 && t == 5) Hold({rt::key::Tab});
    if (block == 1 && t == 8) ReleaseAll();
    if (block == 2) Hold({rt::key::Escape});
  };
  EXPECT_EQ(SCOPESCANNING(), 0);
  EXPECT_EQ(SavedFiles(), 1);
  EXPECT_EQ(Nmarkers, 640);
}

// A logger block through a scripted port: the DT800's start commands go unanswered,
// then each "X" gets its block.
class FastScopeLoggerTest : public FastScopeLoopTest {
 protected:
  void SetUp() override {
    FastScopeLoopTest::SetUp();
    DemonstrationMODE = 0;
    External_AD = ExternalADCode::DT800;
    auto p = std::make_unique<ScriptedSerialPort>();
    port = p.get();
    InstallSerialPort(std::move(p));
    for (int i = 0; i < 12; ++i) port->ReplyNext("");
    ScopeMax = 5;
    ScopeIntervalInSeconds = 0.002;  // 10 numbers, 2 a point
    DataTakerChannels[1] = {1, 0, 0, 0, 0};
  }
  // Runs blocks until the given number have been taken.
  void Run(int blocks) {
    step = [this, blocks](int64_t) {
      if (FastScopeCount >= blocks) Hold({rt::key::Escape});
    };
    EXPECT_EQ(SCOPESCANNING(), 0);
  }
  std::vector<float> Sweep() const { return {scopedata[1].begin() + 1, scopedata[1].begin() + 6}; }
  ScriptedSerialPort* port = nullptr;
};

TEST_F(FastScopeLoggerTest, AZeroTheLoggerSentIsStoredAsZero) {
  port->ReplyNext("1000,1000,2000,2000,3000,3000,4000,4000,5000,5000\r\n", 2);
  // Averages 1000, 0, 0, 4000, 6000: the zeros are the logger's readings, not lost
  // numbers to be made up from their neighbours.
  port->ReplyNext("1000,1001,0,0,-2,2,4000,4001,6000,6000\r\n", 2);
  Run(2);
  EXPECT_EQ(Sweep(), (std::vector<float>{1.0f, 0.0f, 0.0f, 4.0f, 6.0f}));
}

TEST_F(FastScopeLoggerTest, ThermocoupleIsSmoothedInDegreesAndScaledOnOutput) {
  DataTakerChannels[1] = {0, 0, 3, 0, 0};
  ChannelVariables[1][ChanField::A] = 1;
  ChannelVariables[1][ChanField::B] = 2;
  port->ReplyNext("30,30,99,99,60,60,90,90,10,10\r\n", 2);
  Run(1);
  // The running value t starts at position 1's own average and is smoothed with the
  // raw neighbours; each shown value is t x 2 + 1.
  double t = 30;
  std::vector<float> expected = {static_cast<float>(t * 2 + 1)};
  const double av[] = {30, 99, 60, 90, 10};
  for (int i = 1; i < 4; ++i) {
    t = (t + av[i - 1] + av[i + 1]) * 0.3333333;
    expected.push_back(static_cast<float>(t * 2 + 1));
  }
  expected.push_back(static_cast<float>(t * 2 + 1));
  EXPECT_EQ(Sweep(), expected);
}

// A number the logger sent garbled is no reading: the point holding it is -99999 in
// the saved sweep, neither averaged with the block's other numbers nor scaled, and no
// other point is made from it (a zero beside it is not mended with it).
TEST_F(FastScopeLoggerTest, ANumberThatDoesNotParseIsABadPointInTheSavedSweep) {
  struct Case {
    double interval;  // 2 numbers a point at 0.002 s, 1 at 0.001 s
    int16_t kind;     // 1 volts, 0 thermocouple
    const char* block;
    std::vector<double> sweep;  // empty: any value within the good numbers
  };
  const Case cases[] = {
      {0.002, 1, "1000,1000,abc,2000,3000,3000,4000,4000,5000,5000", {1.0, kBad, 3.0, 4.0, 5.0}},
      {0.001, 1, "1000,abc,0,4000,5000", {1.0, kBad, 0.0, 4.0, 5.0}},
      {0.001, 0, "30,abc,60,90,10", {}},
  };
  bool first = true;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.block);
    if (!first)
      for (int i = 0; i < 12; ++i) port->ReplyNext("");  // the DT800's start lines of the next run
    first = false;
    ScopeIntervalInSeconds = c.interval;
    DataTakerChannels[1] = {c.kind, 0, 3, 0, 0};
    port->ReplyNext(std::string(c.block) + "\r\n", 2);
    FastScopeCount = 0;
    Run(1);
    ReleaseAll();
    const std::set<fs::path> before = Files();
    SaveFastScopeSweep();
    std::vector<fs::path> made;
    for (const fs::path& f : Files())
      if (!before.count(f)) made.push_back(f);
    ASSERT_EQ(made.size(), 1u);
    const std::vector<double> saved =
        DumpedNumbers(DumpDataFile(made[0], "--scope --fast "), "samples of channel block 1");
    ASSERT_EQ(saved.size(), 6u) << "positions 0 to 5";
    for (std::size_t i = 1; i <= 5; ++i) {
      if (!c.sweep.empty()) {
        EXPECT_FLOAT_EQ(static_cast<float>(saved[i]), static_cast<float>(c.sweep[i - 1])) << i;
      } else if (i == 2) {
        EXPECT_EQ(saved[i], kBad);
      } else {
        EXPECT_GE(saved[i], 10.0) << i;
        EXPECT_LE(saved[i], 90.0) << i;
      }
    }
  }
}

TEST_F(FastScopeLoggerTest, SilentLoggerShowsNoReplyAndStopsTheRun) {
  const int64_t start = Tick();
  EXPECT_EQ(SCOPESCANNING(), 0);
  EXPECT_EQ(Status(), fast_phase::NoReply.text);
  EXPECT_LE(Tick() - start, static_cast<int64_t>(kFastReplyTicks) + 10);
}

TEST_F(FastScopeLoopTest, DT800BlockFromTheSimulatorGivesTheBlockAverages) {
  // Blocks of 4 numbers from the repeating 1000, 3000.5, 2000, 2001, 500 mV, each
  // partial sum truncated: 8001 / 4, 6500 / 4, 6501 / 4, 5501 / 4, 7501 / 4.
  ASSERT_NO_FATAL_FAILURE(StartSim({"1000", "3000.5", "2000", "2001", "500"}));
  DemonstrationMODE = 0;
  External_AD = ExternalADCode::DT800;
  DataTakerChannels[1] = {1, 0, 0, 0, 0};
  ScopeMax = 100;
  ScopeIntervalInSeconds = 0.004;  // 400 numbers, 4 a point, after 24 ticks of recording
  scopeXfactor = 8.0f;             // drawn one pixel a point
  ChannelVariables[1][ChanField::PlotMax] = 2.5f;
  ChannelVariables[1][ChanField::PlotMin] = 1.0f;
  BurstCommandString();
  step = [&](int64_t) {
    if (FastScopeCount >= 1) Hold({rt::key::Escape});
  };
  EXPECT_EQ(SCOPESCANNING(), 0);
  EXPECT_EQ(FastScopeCount, 2) << "the block taken and the one Escape stopped";
  const std::vector<float> expected = {2.0f, 1.625f, 1.625f, 1.375f, 1.875f};
  for (int i = 1; i <= 100; ++i) EXPECT_FLOAT_EQ(scopedata[1][i], expected[(i - 1) % 5]) << i;
  EXPECT_NE(sim_->Received().find("RX;BURST(400,2000) 1VNC\r"), std::string::npos) << sim_->Received();
  EXPECT_NE(sim_->Received().find("X\r"), std::string::npos);
  EXPECT_TRUE(rt::SaveWindowImage(1, (TestOutputDir() / "w1-fast-scope-dt800-block.png").string()));
}

}  // namespace
}  // namespace mv::test
