// The roads to the fast scope's block transfer through the whole program: a set-up
// file that carries the fast scope, launched in demonstration mode, records simulated
// blocks with their phases; a DT800 oscilloscope run below a sixtieth of a second takes
// its blocks from the simulated logger on a pseudo-terminal; and the sweeps saved on
// every road (Tab, the save icon, a trigger), with the logger cut short by silences,
// hold at every point the logger's value in volts at its own position, or -99999.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "acquisition/fast_scope.h"
#include "acquisition/scope_loop.h"
#include "acquisition/screen.h"
#include "acquisition/state.h"
#include "acquisition/toolbar.h"
#include "common/dump_tool.h"
#include "common/test_support.h"
#include "control/state.h"
#include "devices/needs.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "drive/script.h"
#include "e2e/program_run_fixture.h"
#include "files/needs.h"
#include "files/setup_file.h"
#include "files/state.h"
#include "kit/builders.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/windows.h"
#include "setup/channel_table.h"
#include "setup/state.h"
#include "shell/control_loop.h"
#include "shell/main_body.h"
#include "shell/wiring.h"
#include "sim/sim.h"

namespace mv {
namespace {

namespace fs = std::filesystem;

// Notes each new text of status field 300 as the recording's toolbar reader runs.
class FastScopeRunE2E : public test::ProgramRunTest {
 protected:
  void WatchStatus() {
    auto real = services::ReadControlStrip;
    services::ReadControlStrip = [this, real] {
      const int16_t previous = rt::OutputWindow();
      if (rt::WindowExists(1)) {
        rt::SetOutputWindow(1);
        const std::string s = rt::EditFieldExists(300) ? rt::EditText(300) : std::string();
        if (!s.empty() && (phases.empty() || phases.back() != s)) phases.push_back(s);
        if (previous != 0 && rt::WindowExists(previous)) rt::SetOutputWindow(previous);
      }
      real();
    };
  }
  std::vector<std::string> phases;

  // A DT800 oscilloscope run of `points` points at `interval` on channel 1 (voltage
  // input 2, coefficients a and b), set as the set-up windows leave it.
  static void PrepareDT800Scope(int32_t points, double interval, float a, float b) {
    InstallServices();
    External_AD = ExternalADCode::DT800;
    DemonstrationMODE = 0;
    RecordingMODE = RecordingModeCode::Scope;
    nChannels = 1;
    ScopeMax = points;
    ScopeIntervalInSeconds = interval;
    PrefsArray[PrefsSlot::DT800FastScope] = 0;
    auto& ch1 = ChannelVariables[1];
    ch1[ChanField::Input] = 2;
    ch1[ChanField::A] = a;
    ch1[ChanField::B] = b;
    ch1[ChanField::PlotMax] = 5;
    ch1[ChanField::Averaged] = 1;
    DataTakerChannels[1] = {1, 0, 0, 0, 0};
    filestrings.rootName = "Scope";
    PrefsArray[PrefsSlot::WindowWidth] = 1024;
    PrefsArray[PrefsSlot::WindowHeight] = 600;
    SetChanParams(0, 0);  // the strips, as the set-up window leaves them
    DRAWSCREEN(1);
    MarkScopeTraceUnread();  // as the run begins
  }
};

TEST_F(FastScopeRunE2E, SetupFileWithTheFastScopeRecordsDemonstrationBlocks) {
  // One scope channel, 2,048 points at 0.5 ms, the fast scope on.
  SetupRecord setup;
  setup.recordingMode = RecordingModeCode::Scope;
  setup.channels = 1;
  setup.chartTicks = 60;  // a chart interval the program can record, though this is a scope run
  setup.scopeTicks = 0.03f;
  setup.scopeMax = 2048;
  setup.maxSamples = 1024;
  setup.prefSlots[PrefsSlot::DT800FastScope] = 1;
  auto& ch1 = setup.channelTable[1];
  ch1[ChanField::Input] = 1;
  ch1[ChanField::B] = 1;
  ch1[ChanField::PlotMax] = 5;
  ch1[ChanField::Averaged] = 1;
  const fs::path file = documents_ / "fast.MVsetup";
  std::ofstream(file, std::ios::binary) << EncodeSetup(setup);

  int32_t blocks = 0;
  SetControlLoopTap([&](const std::string& step) {
    log_.push_back(step);
    if (step == "run") WatchStatus();
    if (step == "options") blocks = FastScopeCount;
  });
  const std::string script =
      "start " + file.string() +
      "\nuntil 11 20\nclick-label 11 Reset\nuntil 21 20\nclick-label 21 Test/demonstration\n"
      "until 104 20\nclick 104 203\ngone 104\n"
      "panel " +
      (documents_ / "sweep").string() +
      "\nuntil 15\nclick 15 11\ngone 15\n"
      "until 1\nwait 1.5\nshot 1 " +
      Shot("w1-fast-scope-setup-file-run.png") +
      "\nhold Escape\nuntil 112\nrelease Escape\n"
      "click 112 6\nexpect-exit 0\n";
  drive::ScriptRunner runner(script);
  const auto result = runner.Run([](int argc, char** argv) { MainBody(argc, argv); });
  std::string open;  // what was showing when a line failed
  for (int16_t n : rt::OpenWindows())
    open += " " + std::to_string(n) + " \"" + rt::WindowTitle(n).str() + "\"";
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result) << "windows:" << open;
  EXPECT_GE(blocks, 2) << "demonstration blocks, not a real-time sweep";
  // Without the simulated download the download's text gives way to the transfer's
  // before the toolbar is read again.
  ASSERT_GE(phases.size(), 4u);
  const std::vector<std::string> order = {fast_phase::Sampling.text, fast_phase::Processing.text,
                                          fast_phase::Transfer.text, fast_phase::Sampling.text};
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(phases[i], order[i]) << i;
  EXPECT_TRUE(fs::exists(test::TestOutputDir() / "w1-fast-scope-setup-file-run.png"));
}

TEST_F(FastScopeRunE2E, DT800ScopeBelowASixtiethTakesBlocksFromTheSimulatedLogger) {
  rt::UseVirtualClock(false);
  sim::Options o;
  o.kind = sim::Kind::DT800;
  o.link = (documents_ / "dt800").string();
  o.burstValues = {"1500", "2500"};  // each point the average of 4: 2000 mV
  sim::Simulator logger(o);
  std::string error;
  ASSERT_TRUE(logger.Start(&error)) << error;
  ASSERT_TRUE(OpenSerialPortPath(o.link, 115200).ok);

  PrepareDT800Scope(256, 0.004, 0, 1);
  WatchStatus();
  rt::SetPumpHook([] {
    if (FastScopeCount >= 1) rt::SetKeyDown(rt::key::Escape, true);
  });
  RecordRun();
  rt::SetPumpHook(nullptr);
  rt::ClearKeyMap();

  EXPECT_EQ(PrefsArray[PrefsSlot::DT800FastScope], 1);
  const std::string received = logger.Received();
  EXPECT_NE(received.find("P48=50\rRX;BURST(1024,2000) 2VNC\r"), std::string::npos) << received;
  EXPECT_NE(received.find("X\r"), std::string::npos) << received;
  ASSERT_GE(FastScopeCount, 1);
  for (int i : {1, 128, 256}) EXPECT_FLOAT_EQ(scopedata[1][i], 2.0f) << i;
  const std::vector<std::string> order = {fast_phase::Sampling.text, fast_phase::LoggerProcessing.text,
                                          fast_phase::Downloading.text, fast_phase::Transfer.text};
  ASSERT_GE(phases.size(), 4u);
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(phases[i], order[i]) << i;
  EXPECT_TRUE(rt::SaveWindowImage(1, Shot("w1-fast-scope-dt800-run.png")));
  CloseSerialPort();
  logger.Stop();
}

// ---- every saved point is the logger's, at its own position ------------------------------

// What the user does in a block: Tab or the save icon while the logger records (the
// sweep on show is saved) or while the block downloads (the download ends there and the
// partial block is saved).
enum class When { Recording, Download };
enum class Press { Tab, Icon };
struct Act {
  int block;
  When when;
  Press press;
};
// A sweep the row must have saved: the block it holds and the points that hold the
// logger's value (-1: all of them; -2: some, fewer than all, as many as the cut left;
// -3: none, the block's places unknown; -4: any, as the timing of the line falls), and
// the one point the flow paused in, which holds none (0: no such point).
struct SavedSweep {
  int block;
  int32_t read = -1;
  int32_t hole = 0;
};
constexpr int32_t kSomeRead = -2;
constexpr int32_t kPlacesUnknown = -3;
constexpr int32_t kAnyRead = -4;

struct FastRow {
  const char* name;
  double interval;
  int32_t points;
  float a, b;
  std::vector<std::string> values;  // the logger's millivolts in turn; empty: tagged bursts
  std::vector<sim::Options::BurstGap> gaps;
  std::vector<sim::Options::BurstFault> faults;
  std::vector<Act> acts;
  int16_t triggerSaves;  // > 0: an armed trigger saves this many blocks when it fires
  int stopAt;            // Escape as this block begins
  std::vector<SavedSweep> saved;
  long tagStep = 1000;  // tagged bursts: burst n's k-th number is n x tagStep + k mV
  // > 0: the sweeps go into a folder of their own, which is gone from the start of block
  // folderGoneAt (a stick pulled out) until block folderBackAt begins; every sweep saved
  // meanwhile is lost, and the screen must say so.
  int folderGoneAt = 0, folderBackAt = 0;
};

// Tagged bursts: burst n's k-th number is n x 1000 + k mV (within the input's 10 V for
// the few blocks a row takes), "nkkk\r\n", 6 bytes each here; byte 6 x (k - 1) starts
// number k.
constexpr long NumberAt(int k) {
  return 6L * (k - 1);
}

// clang-format off
const FastRow kFastRows[] = {
    // name, interval, points, a, b, values, gaps, faults, acts, trigger saves, stop at, sweeps saved
    {"TabInConsecutiveBlocks", 0.001, 400, 0.5f, 2.0f, {}, {}, {},
     {{2, When::Recording, Press::Tab}, {3, When::Recording, Press::Tab}, {4, When::Recording, Press::Tab}},
     0, 5, {{1}, {2}, {3}}},
    {"TheSaveIcon", 0.0005, 600, -1.0f, 0.5f, {}, {}, {},
     {{2, When::Recording, Press::Icon}, {3, When::Recording, Press::Icon}, {4, When::Download, Press::Icon},
      {6, When::Recording, Press::Icon}},
     0, 7, {{1}, {2}, {4, kSomeRead}, {5}}},
    {"TabDuringTheDownload", 0.002, 300, 0.5f, 2.0f, {}, {}, {},
     {{2, When::Download, Press::Tab}, {4, When::Recording, Press::Tab}},
     0, 5, {{2, kSomeRead}, {3}}},
    {"ATrigger", 0.0005, 600, 0.5f, 2.0f, {}, {}, {},
     {{4, When::Recording, Press::Tab}},
     2, 5, {{1}, {2}, {3}}},
    // Block 2 stops after its 150th number for 1.5 s, past the program's time-out; the
    // rest then comes, ahead of block 3, and makes the count: the 150 stand.
    {"ABlockCutBySilence", 0.001, 400, 0.5f, 2.0f, {}, {{2, NumberAt(151), 1500}}, {},
     {{3, When::Recording, Press::Tab}, {4, When::Recording, Press::Tab}},
     0, 5, {{2, 150}, {3}}},
    // Block 2 stops inside its 201st number ("200" of "200201"), two numbers a point.
    {"ANumberCutBySilence", 0.002, 300, 0.5f, 2.0f, {}, {{2, NumberAt(201) + 3, 1500}}, {},
     {{3, When::Recording, Press::Tab}, {4, When::Recording, Press::Tab}},
     0, 5, {{2, 100}, {3}}},
    // Block 2 stops inside its 151st number for 0.3 s, shorter than the time-out, and
    // the 40 bytes due then are lost: the numbers after the silence join and stand at
    // other places, so the block holds the 150 before it.
    {"BytesLostInAShortSilence", 0.001, 400, 0.5f, 2.0f, {}, {{2, NumberAt(151) + 3, 300, 40}}, {},
     {{3, When::Recording, Press::Tab}, {4, When::Recording, Press::Tab}},
     0, 5, {{2, 150}, {3}}},
    // Block 2 begins 0.3 s late, its first 40 bytes lost: no number of it has a known
    // place.
    {"BytesLostAsABlockBegins", 0.001, 400, 0.5f, 2.0f, {}, {{2, 0, 300, 40}}, {},
     {{3, When::Recording, Press::Tab}, {4, When::Recording, Press::Tab}},
     0, 5, {{2, 0}, {3}}},
    // The same late start, and Tab cuts the block's download: what came has no known
    // place either.
    {"BytesLostAsABlockBeginsAndTabCutsItsDownload", 0.002, 300, 0.5f, 2.0f, {}, {{2, 0, 300, 40}}, {},
     {{2, When::Download, Press::Tab}, {4, When::Recording, Press::Tab}},
     0, 5, {{2, 0}, {3}}},
    // Block 2 holds its rest 2 s, then 5 s, after its 150th number: the rest comes in
    // the drain before block 3 (the 150 stand), or while block 3 records, or where
    // block 3 should begin; a block it touches holds no number. Block 4 is clean.
    {"AHoldOf2sAfterACut", 0.001, 400, 0.5f, 2.0f, {}, {{2, NumberAt(151), 2000}}, {},
     {{3, When::Recording, Press::Tab}, {4, When::Recording, Press::Tab}, {5, When::Recording, Press::Tab}},
     0, 6, {{2, kAnyRead}, {3, kAnyRead}, {4}}},
    {"AHoldOf5sAfterACut", 0.001, 400, 0.5f, 2.0f, {}, {{2, NumberAt(151), 5000}}, {},
     {{3, When::Recording, Press::Tab}, {4, When::Recording, Press::Tab}, {5, When::Recording, Press::Tab}},
     0, 6, {{2, kPlacesUnknown}, {3, kPlacesUnknown}, {4}}},
    // Tab cuts block 2's download; the logger holds the rest of it 2 s from its 300th
    // number and sends it while block 3 records, ahead of block 3 (1,200 numbers a block,
    // tagged 2000 apart). The save reads the rest until the line has been quiet a second:
    // the rest does not make the count in that time, so nothing shows the numbers read
    // stand at their places, and neither block holds a number.
    {"AHoldOf2sAfterATabCut", 0.002, 600, 0.5f, 2.0f, {}, {{2, NumberAt(301), 2000}}, {},
     {{2, When::Download, Press::Tab}, {4, When::Recording, Press::Tab}, {5, When::Recording, Press::Tab}},
     0, 6, {{2, kPlacesUnknown}, {3, kPlacesUnknown}, {4}}, 2000},
    // A 50 ms silence, too short to see, loses 36 bytes inside block 2's 41st number
    // ("204" joins "7" of the 47th: a number the input can read), then Tab cuts the
    // download: the rest read after the cut does not make the count, so no number read
    // has a known place.
    {"AShortUnseenSilenceThenATabCut", 0.002, 600, 0.5f, 2.0f, {}, {{2, NumberAt(41) + 3, 50, 36}}, {},
     {{2, When::Download, Press::Tab}, {4, When::Recording, Press::Tab}},
     0, 5, {{2, kPlacesUnknown}, {3}}, 2000},
    // Silences of 50 ms, too short to see, lose 40 bytes as block 2 begins and in its
    // middle: the count comes short, no rest follows, and no number has a known place.
    {"AShortUnseenSilenceAsABlockBegins", 0.001, 400, 0.5f, 2.0f, {}, {{2, 0, 50, 40}}, {},
     {{3, When::Recording, Press::Tab}, {4, When::Recording, Press::Tab}},
     0, 5, {{2, kPlacesUnknown}, {3}}},
    {"AShortUnseenSilenceMidBlock", 0.001, 400, 0.5f, 2.0f, {}, {{2, NumberAt(151) + 3, 50, 40}}, {},
     {{3, When::Recording, Press::Tab}, {4, When::Recording, Press::Tab}},
     0, 5, {{2, kPlacesUnknown}, {3}}},
    // A 0.3 s pause inside number 201 ("22" of "2201") loses its tail "01": the count
    // comes out whole, and the number the pause cut (point 101's first) is no number.
    {"ANumberTailLostInASeenPause", 0.002, 300, 0.5f, 2.0f, {}, {{2, NumberAt(201) + 2, 300, 2}}, {},
     {{3, When::Recording, Press::Tab}, {4, When::Recording, Press::Tab}},
     0, 5, {{2, 299, 101}, {3}}},
    // The logger repeats block 2's numbers ahead of block 3's, then garbles a stretch of
    // block 4: neither holds a number.
    {"AStaleAndAGarbledLogger", 0.001, 400, 0.5f, 2.0f, {}, {},
     {{3, sim::Fault::Stale}, {4, sim::Fault::Garbage}},
     {{4, When::Recording, Press::Tab}, {5, When::Recording, Press::Tab}, {6, When::Recording, Press::Tab}},
     0, 7, {{3, kPlacesUnknown}, {4, kPlacesUnknown}, {5}}},
    // Block 3 repeats block 2's numbers, falls silent 0.3 s, then sends its own: the
    // count was made of the repeat, and what follows the silence shows it.
    {"AStaleLoggerThatPausesBeforeItsOwnNumbers", 0.001, 400, 0.5f, 2.0f, {}, {{3, NumberAt(401), 300}},
     {{3, sim::Fault::Stale}},
     {{4, When::Recording, Press::Tab}, {5, When::Recording, Press::Tab}},
     0, 6, {{3, kPlacesUnknown}, {4}}},
    {"AZeroMillivoltReading", 0.001, 200, 0.0f, 1.0f, {"1000", "0", "-250", "0", "500"}, {}, {},
     {{2, When::Recording, Press::Tab}},
     0, 3, {{1}}},
    // The sweeps' folder is gone through blocks 4 and 5: the two sweeps Tab saves then
    // are lost and said; with the folder back, block 5 is saved as the third file.
    {"ASweepFolderGoneMidRun", 0.001, 400, 0.5f, 2.0f, {}, {}, {},
     {{2, When::Recording, Press::Tab}, {3, When::Recording, Press::Tab}, {4, When::Recording, Press::Tab},
      {5, When::Recording, Press::Tab}, {6, When::Recording, Press::Tab}},
     0, 7, {{1}, {2}, {5}}, 1000, 4, 6},
};
// clang-format on

// What the logger sent for point j (1-based) of a block, in millivolts: the mean of its
// m numbers, each partial sum truncated to a whole number, divided as whole numbers.
double LoggerMillivolts(const FastRow& row, int block, int32_t j) {
  const int m = row.interval > 0.001 ? static_cast<int>(std::lround(row.interval * 1000)) : 1;
  int64_t sum = 0;
  for (int i = 0; i < m; ++i) {
    const int64_t k = static_cast<int64_t>(j - 1) * m + i + 1;
    const double mv = row.values.empty()
                          ? static_cast<double>(block * row.tagStep + k)
                          : std::stod(row.values[static_cast<size_t>((k - 1) % row.values.size())]);
    sum = static_cast<int64_t>(std::trunc(static_cast<double>(sum) + mv));
  }
  return static_cast<double>(sum / m);
}

struct PointCount {
  int32_t right = 0, bad = 0, wrong = 0;
  int32_t firstBad = -1;  // the first position 1.. holding -99999
};

PointCount CountPoints(const FastRow& row, int block, const std::vector<double>& sweep) {
  PointCount c;
  for (size_t j = 0; j < sweep.size(); ++j) {
    if (sweep[j] == -99999.0) {
      ++c.bad;
      if (j > 0 && c.firstBad < 0) c.firstBad = static_cast<int32_t>(j);
      continue;
    }
    if (j == 0) {  // position 0 is never read
      ++c.wrong;
      continue;
    }
    const double volts = LoggerMillivolts(row, block, static_cast<int32_t>(j)) * 0.001 * row.b + row.a;
    const auto expected = static_cast<double>(static_cast<float>(volts));
    const bool right = std::fabs(sweep[j] - expected) <= 1e-6 * std::max(1.0, std::fabs(expected));
    (right ? c.right : c.wrong) += 1;
  }
  return c;
}

class FastScopeSavedPointsE2E : public FastScopeRunE2E, public ::testing::WithParamInterface<FastRow> {
 protected:
  // Presses what the row's acts name, each once, in the block and phase named: in the
  // middle of the logger's recording, or in the first half of the download (well before
  // its last number). A Tab stays down until the sweep is saved, as a finger does.
  void PressFor(const FastRow& row, std::vector<bool>& done, int& tabHeldFrom) {
    if (tabHeldFrom >= 0 && saves > tabHeldFrom) {
      rt::SetKeyDown(rt::key::Tab, false);
      tabHeldFrom = -1;
    }
    const int block = FastScopeCount + 1;
    if (row.folderGoneAt > 0) {
      const fs::path folder = documents_ / "stick", away = documents_ / "stick away";
      if (block >= row.folderGoneAt && block < row.folderBackAt && fs::exists(folder))
        fs::rename(folder, away);
      if (block >= row.folderBackAt && fs::exists(away)) fs::rename(away, folder);
    }
    rt::SetOutputWindow(1);
    const std::string status = rt::EditFieldExists(300) ? rt::EditText(300) : std::string();
    if (block >= row.stopAt && status == fast_phase::Sampling.text) rt::SetKeyDown(rt::key::Escape, true);
    if (status.rfind("partial block: ", 0) == 0 && !partialShot) {
      partialShot = true;
      rt::SaveWindowImage(1, Shot((std::string("w1-fast-scope-partial-") + row.name + ".png").c_str()));
    }
    const int bar = rt::ControlExists(kProgressBarControl) ? rt::ControlValue(kProgressBarControl) : 0;
    for (size_t i = 0; i < row.acts.size(); ++i) {
      const Act& a = row.acts[i];
      const bool now = a.when == When::Recording
                           ? status == fast_phase::Sampling.text && bar >= 10 && bar <= 90
                           : status == fast_phase::Downloading.text && bar <= 50;
      if (done[i] || a.block != block || !now || tabHeldFrom >= 0) continue;
      done[i] = true;
      if (a.press == Press::Tab) {
        rt::SetKeyDown(rt::key::Tab, true);
        tabHeldFrom = saves;
      } else {
        ApplyToolbarClick(45, 20);  // the scope toolbar's save icon
      }
    }
  }
  bool partialShot = false;
  int saves = 0;  // sweep saves tried, written or not
  // What field 198 of the screen showed right after each save that failed, and the
  // scope count then.
  std::vector<std::string> said;
  std::vector<int32_t> countWhenSaid;
};

TEST_P(FastScopeSavedPointsE2E, EverySavedPointIsTheLoggersValueInVoltsAtItsOwnPosition) {
  const FastRow& row = GetParam();
  rt::UseVirtualClock(false);
  sim::Options o;
  o.kind = sim::Kind::DT800;
  o.link = (documents_ / "dt800").string();
  o.burstTagged = row.values.empty();
  if (!row.values.empty()) o.burstValues = row.values;
  o.burstTagStep = row.tagStep;
  o.burstGaps = row.gaps;
  o.burstFaults = row.faults;
  sim::Simulator logger(o);
  std::string error;
  ASSERT_TRUE(logger.Start(&error)) << error;
  ASSERT_TRUE(OpenSerialPortPath(o.link, 115200).ok);
  if (row.triggerSaves > 0) {  // armed as the screen is drawn
    TriggerON = 1;
    TriggerSequence = 4;
    TriggerSaveCount = row.triggerSaves;
    TriggerChan = 1;
    TriggerMode = 0;
    triggerval = -1e6f;  // any reading fires it
  }
  PrepareDT800Scope(row.points, row.interval, row.a, row.b);
  const fs::path folder = row.folderGoneAt > 0 ? documents_ / "stick" : documents_;
  if (row.folderGoneAt > 0) {
    fs::create_directories(folder);
    ScopeFileCFURL = (folder / "Scope").string();  // the root panel's answer
  }
  auto show = files_hooks::ShowOnAcquisitionScreen;
  files_hooks::ShowOnAcquisitionScreen = [&, show](int16_t field, const std::string& text, bool failed) {
    show(field, text, failed);
    if (field == 198) ++saves;
    if (!failed) return;
    const int16_t previous = rt::OutputWindow();
    rt::SetOutputWindow(1);
    said.push_back(rt::EditFieldExists(198) ? rt::EditText(198) : "(no field)");
    countWhenSaid.push_back(ScopeCount);
    if (said.size() == 1) rt::SaveWindowImage(1, Shot("w1-fast-scope-sweep-not-saved.png"));
    if (previous != 0 && rt::WindowExists(previous)) rt::SetOutputWindow(previous);
  };
  std::vector<bool> done(row.acts.size(), false);
  int tabHeldFrom = -1;
  auto real = services::ReadControlStrip;
  services::ReadControlStrip = [&, real] {
    const int16_t previous = rt::OutputWindow();
    real();
    if (rt::WindowExists(1)) PressFor(row, done, tabHeldFrom);
    if (previous != 0 && rt::WindowExists(previous)) rt::SetOutputWindow(previous);
  };
  RecordRun();
  services::ReadControlStrip = real;
  rt::ClearKeyMap();
  CloseSerialPort();
  logger.Stop();
  EXPECT_TRUE(std::all_of(done.begin(), done.end(), [](bool d) { return d; })) << "every press was made";

  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(folder))
    if (e.is_regular_file()) files.push_back(e.path());
  // Scope1, Scope2, ... in the order saved.
  std::sort(files.begin(), files.end(), [](const fs::path& x, const fs::path& y) {
    const std::string a = x.filename().string(), b = y.filename().string();
    return a.size() != b.size() ? a.size() < b.size() : a < b;
  });
  ASSERT_EQ(files.size(), row.saved.size());
  // A sweep that was not saved is said at once on the screen, by its name and why, and
  // the next sweep takes that name: the files are numbered without a gap.
  const size_t lost = row.folderGoneAt > 0 ? row.acts.size() - row.saved.size() : 0;
  ASSERT_EQ(said.size(), lost);
  for (size_t k = 0; k < said.size(); ++k) {
    EXPECT_EQ(said[k], " 'Scope " + std::to_string(countWhenSaid[k] + 1) + "' not saved: folder not found ");
    EXPECT_EQ(countWhenSaid[k], 2) << "the label stays at the sweep lost";
  }
  for (size_t f = 0; f < files.size(); ++f)
    EXPECT_EQ(files[f].filename().string(), "Scope " + std::to_string(f + 1));
  int32_t right = 0, bad = 0, wrong = 0;
  std::vector<std::string> notes;  // per sweep: the points its note counts, "?" unknown
  for (size_t f = 0; f < files.size(); ++f) {
    const SavedSweep& want = row.saved[f];
    SCOPED_TRACE(files[f].filename().string() + ", block " + std::to_string(want.block));
    const std::string dump = test::DumpDataFile(files[f], "--scope --fast --values 100000 ");
    const std::vector<double> sweep = test::DumpedNumbers(dump, "samples of channel block 1");
    ASSERT_EQ(sweep.size(), static_cast<size_t>(row.points) + 1);
    const PointCount c = CountPoints(row, want.block, sweep);
    right += c.right;
    bad += c.bad;
    wrong += c.wrong;
    EXPECT_EQ(c.wrong, 0);
    // A partial block says how many points hold the logger's value, or that none has
    // a known place, at the head of its comment; every note is true.
    int32_t read = row.points;
    const std::string partial = "partial block: ";
    const size_t at = dump.find("header comment");
    const size_t said = dump.find(partial, at);
    const bool noted = said != std::string::npos && said < dump.find('\n', at);
    const bool unknown = noted && dump.compare(said + partial.size(), 14, "places unknown") == 0;
    if (unknown)
      read = 0;
    else if (noted)
      read = std::stoi(dump.substr(said + partial.size()));
    if (want.read == kSomeRead) {
      EXPECT_LT(read, row.points);
      EXPECT_GT(read, 0);
    } else if (want.read == kPlacesUnknown) {
      EXPECT_TRUE(unknown) << "partial block: places unknown";
    } else if (want.read != kAnyRead) {
      EXPECT_FALSE(unknown);
      EXPECT_EQ(read, want.read < 0 ? row.points : want.read);
    }
    if (!unknown) {
      const std::string note =
          partial + std::to_string(read) + " of " + std::to_string(row.points) + " points";
      EXPECT_EQ(dump.find(note) != std::string::npos, read < row.points) << note;
    }
    EXPECT_EQ(c.right, read) << "every point the note counts holds the logger's value, at its own position";
    EXPECT_EQ(c.bad, 1 + row.points - read) << "position 0 and the points that hold none";
    if (want.hole > 0) {
      EXPECT_EQ(c.firstBad, want.hole) << "the point the flow paused in";
    } else if (want.read != kAnyRead && !unknown) {
      EXPECT_EQ(c.firstBad, read < row.points ? read + 1 : -1) << "the points after the cut";
    }
    notes.push_back(unknown ? "?" : std::to_string(read));
  }
  std::cout << "[ fast-scope row ] " << row.name << ": " << files.size() << " sweeps, points right " << right
            << ", -99999 " << bad << ", wrong " << wrong << "; held per sweep:";
  for (const std::string& n : notes) std::cout << " " << n;
  std::cout << "; " << saves << " saves, " << said.size() << " said lost:";
  for (const std::string& t : said) std::cout << " \"" << t << "\"";
  std::cout << "\n";
  EXPECT_TRUE(rt::SaveWindowImage(1, Shot((std::string("w1-fast-scope-") + row.name + ".png").c_str())));
}

void PrintTo(const FastRow& row, std::ostream* os) {
  *os << row.name;
}

INSTANTIATE_TEST_SUITE_P(FastScopeRoads, FastScopeSavedPointsE2E, ::testing::ValuesIn(kFastRows),
                         [](const ::testing::TestParamInfo<FastRow>& info) { return info.param.name; });

}  // namespace
}  // namespace mv
