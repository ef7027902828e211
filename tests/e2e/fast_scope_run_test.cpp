// The roads to the fast scope's block transfer through the whole program: a set-up
// file that carries the fast scope, launched in demonstration mode, records simulated
// blocks with their phases; a DT800 oscilloscope run below a sixtieth of a second takes
// its blocks from the simulated logger on a pseudo-terminal.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "acquisition/fast_scope.h"
#include "acquisition/scope_loop.h"
#include "acquisition/screen.h"
#include "acquisition/state.h"
#include "common/test_support.h"
#include "devices/needs.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "drive/script.h"
#include "e2e/program_run_fixture.h"
#include "files/setup_file.h"
#include "files/state.h"
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

  InstallServices();
  External_AD = ExternalADCode::DT800;
  DemonstrationMODE = 0;
  RecordingMODE = RecordingModeCode::Scope;
  nChannels = 1;
  ScopeMax = 256;
  ScopeIntervalInSeconds = 0.004;
  PrefsArray[PrefsSlot::DT800FastScope] = 0;
  auto& ch1 = ChannelVariables[1];
  ch1[ChanField::Input] = 2;
  ch1[ChanField::B] = 1;
  ch1[ChanField::PlotMax] = 5;
  ch1[ChanField::Averaged] = 1;
  DataTakerChannels[1] = {1, 0, 0, 0, 0};
  filestrings.rootName = "Scope";
  PrefsArray[PrefsSlot::WindowWidth] = 1024;
  PrefsArray[PrefsSlot::WindowHeight] = 600;
  SetChanParams(0, 0);  // the strips, as the set-up window leaves them
  DRAWSCREEN(1);
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

}  // namespace
}  // namespace mv
