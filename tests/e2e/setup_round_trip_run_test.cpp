// Set-up files through the whole program against a simulated UI3: the settings a set-up
// window holds are saved with "Save Setup File..." and come back at the next start as
// they were saved (a trigger on the extra A-D input with its input's number, the spike
// filter on with its thresholds), and a file whose values the program cannot use, or
// whose trigger watches an input the interface lacks, does not start a recording. The
// UI3 reads analog input n with the byte 127 + n: the trigger's reads show in what the
// simulator received before the first sample's.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "control/state.h"
#include "conversions/state.h"
#include "drive/script.h"
#include "e2e/program_run_fixture.h"
#include "e2e/simulated_run_fixture.h"
#include "files/needs.h"
#include "files/setup_file.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/menus.h"
#include "setup/state.h"
#include "shell/control_loop.h"
#include "shell/main_body.h"
#include "sim/sim.h"

namespace mv {
namespace {

namespace fs = std::filesystem;

constexpr char kInput1 = static_cast<char>(128), kInput3 = static_cast<char>(130),
               kInput4 = static_cast<char>(131);

class SetupRoundTripRunE2E : public test::SimulatedRunTest {
 protected:
  void SetUp() override {
    SimulatedRunTest::SetUp();
    files_hooks::ResetFilesHooks();
    Tap();
    sim::Options o;
    o.kind = sim::Kind::UI3;
    for (int k = 1; k <= 4; ++k) o.values.push_back({k, 1.1 * k});
    ASSERT_NO_FATAL_FAILURE(StartSimulatorWith(o));
  }

  // The notice hook holds this test: the next test must not find it installed.
  void TearDown() override {
    files_hooks::ResetFilesHooks();
    SimulatedRunTest::TearDown();
  }

  // The recording runs on the virtual clock; the connection road on the real one.
  void Tap() {
    SetControlLoopTap([this](const std::string& step) {
      log_.push_back(step);
      if (step == "run preparation") rt::UseVirtualClock(true);
    });
    auto notice = files_hooks::FileNotice;
    files_hooks::FileNotice = [this, notice](const std::string& title, const std::string& message) {
      notices_.push_back(message);
      notice(title, message);
    };
  }

  // A later start of the program: every program-wide value back at its start-up value.
  void StartAgain() {
    CloseSerialPort();
    test::ProgramTest::TearDown();
    test::ProgramTest::SetUp();
    commands::ResetCommandHooks();
    acq_hooks::ResetAcquisitionHooks();
    setup_hooks::ResetSetupHooks();
    rt::SetVirtualClockPace(kVirtualSecondsPerRealSecond);
    rt::UseVirtualClock(false);
    SetExtraSerialPorts({link_});
    files_hooks::ResetFilesHooks();  // one notice hook, not one wrapped in another
    Tap();
  }

  // Two channels on inputs 1 and 2, 40 samples of a quarter second.
  fs::path WriteTwoChannels(const std::function<void(SetupRecord&)>& change = nullptr) {
    SetupRecord setup;
    setup.recordingMode = RecordingModeCode::Chart;
    setup.channels = 2;
    setup.chartTicks = 15;
    setup.scopeTicks = 1;
    setup.scopeMax = 256;
    setup.maxSamples = 40;
    for (int k = 1; k <= 2; ++k) {
      auto& ch = setup.channelTable[k];
      ch[ChanField::Input] = static_cast<float>(k);
      ch[ChanField::B] = 1;
      ch[ChanField::PlotMax] = 8;
      ch[ChanField::Averaged] = 1;
    }
    if (change) change(setup);
    const fs::path file = documents_ / "made.MVsetup";
    std::ofstream(file, std::ios::binary) << EncodeSetup(setup);
    return file;
  }

  // The interface and its port, as a user chooses them after a set-up file.
  std::string ChooseTheUI3() const {
    return "until 21 20\npick 21 182 2\nclick-label 21 Selection OK\nuntil 88\nclick-label 88 " + link_ +
           "\nclick-label 88 Selection OK\ngone 88\nuntil 104 30\n";
  }
  // Setup OK, the recording to its end, and Quit without saving it (the set-up files
  // here do not ask for the warning before unsaved data is lost).
  static std::string RecordAndQuit() {
    return "click 104 203\ngone 104\nuntil 112 120\nclick 112 6\nexpect-exit 0\n";
  }

  drive::ScriptResult Run(const std::string& script) {
    return drive::ScriptRunner(script).Run([](int argc, char** argv) { MainBody(argc, argv); });
  }

  // Whether the trigger read `input`'s byte before the first sample read input 1, in what
  // the simulator received from `from` on.
  bool TriggerReadFirst(char input, std::size_t from) const {
    const std::string rx = sim_->Received().substr(from);
    const auto trigger = rx.find(input), sample = rx.find(kInput1);
    return trigger != std::string::npos && sample != std::string::npos && trigger < sample;
  }

  std::vector<std::string> notices_;
};

TEST_F(SetupRoundTripRunE2E, ATriggerOnTheExtraInputAndTheSpikeFilterComeBackAsSaved) {
  const fs::path made = WriteTwoChannels();
  const fs::path saved = documents_ / "saved.MVsetup";
  // The trigger on A-D input 3, to exceed 1 V; every channel filtered at 5; the set-up
  // saved from the set-up window, then recorded.
  const std::string first = "start " + made.string() + "\nuntil 11 20\nclick-label 11 Reset\n" +
                            ChooseTheUI3() +
                            "click 104 214\nuntil 6\nclick 6 21\nclick 6 17\ntype 6 102 3\ntype 6 101 1\n"
                            "click 6 18\nshot 6 " +
                            Shot("w6-trigger-extra-input.png") +
                            "\nclick 6 20\ngone 6\nmenu 4 12\nuntil 18\nclick 18 294\nclick 18 200\ngone 18\n"
                            "panel " +
                            saved.string() + "\nmenu 1 10\nwait 0.2\n" + RecordAndQuit();
  auto result = Run(first);
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result) << "\nreceived: " << sim_->Received();
  ASSERT_TRUE(fs::exists(saved));
  EXPECT_TRUE(TriggerReadFirst(kInput3, 0)) << ::testing::PrintToString(sim_->Received());

  StartAgain();
  const std::size_t before = sim_->Received().size();
  const std::string second = "start " + saved.string() + "\n" + ChooseTheUI3() + "list 104\nshot 104 " +
                             Shot("w104-setup-reopened-with-trigger.png") + "\n" + RecordAndQuit();
  result = Run(second);
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result) << "\nreceived: " << sim_->Received();
  EXPECT_TRUE(notices_.empty()) << notices_.front();
  EXPECT_EQ(TriggerON, 1);
  EXPECT_GT(TriggerChan, nChannels) << "still the extra input";
  EXPECT_EQ(ChannelVariables[16][ChanField::Input], 3.0f) << "its number came back with the file";
  EXPECT_TRUE(TriggerReadFirst(kInput3, before)) << ::testing::PrintToString(sim_->Received().substr(before));
  EXPECT_EQ(PrefsArray[PrefsSlot::SpikeFilterOn], 1) << "the filter is on, as when the set-up was saved";
  EXPECT_EQ(SpikeFilterArray[1], 5.0f);
  EXPECT_EQ(SpikeFilterArray[2], 5.0f);
  EXPECT_TRUE(rt::MenuItemChecked(4, 12));
}

// A file saved before the extra input's number was kept: the trigger names an input the
// UI3 lacks (0). The set-up window says so with the trigger window's line, and "Setup
// OK" refuses until an input is chosen; the run then waits on input 4.
TEST_F(SetupRoundTripRunE2E, ATriggerOnAnInputTheInterfaceLacksStartsNoRun) {
  const fs::path made = WriteTwoChannels([](SetupRecord& r) {
    r.triggerOn = 1;
    r.triggerChan = 16;
    r.triggerval = 1;
    r.extraTriggerInput = 0;
  });
  const std::string script = "start " + made.string() + "\nuntil 11 20\nclick-label 11 Reset\n" +
                             ChooseTheUI3() + "list 104\nshot 104 " +
                             Shot("w104-setup-trigger-input-missing.png") +
                             "\nclick 104 203\nwait 0.2\nlist 104\nclick 104 214\nuntil 6\ntype 6 102 4\n"
                             "click 6 20\ngone 6\n" +
                             RecordAndQuit();
  const auto result = Run(script);
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result) << "\nreceived: " << sim_->Received();
  EXPECT_NE(result.output.find("No A-D input 0 here: inputs 1-15 only."), std::string::npos) << result.output;
  EXPECT_TRUE(TriggerReadFirst(kInput4, 0)) << ::testing::PrintToString(sim_->Received());
  EXPECT_EQ(sim_->Received().find(kInput3), std::string::npos) << "no other input was read";
}

// A channel that averages -3 readings: the file is refused whole with the reason.
TEST_F(SetupRoundTripRunE2E, AnAveragingOutOfRangeIsRefusedWithTheReason) {
  const fs::path made = WriteTwoChannels([](SetupRecord& r) { r.channelTable[2][ChanField::Averaged] = -3; });
  const auto result = Run("start " + made.string() + "\nuntil 668 20\nshot 668 " +
                          Shot("w668-setup-averaging-refused.png") + "\nclick 668 1\ngone 668\n");
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  ASSERT_EQ(notices_.size(), 1u);
  EXPECT_EQ(notices_[0],
            "channel 2 averages -3 readings: a channel averages 1 reading or more, or 0 for continuous "
            "averaging");
  EXPECT_NE(ChannelVariables[2][ChanField::Averaged], -3.0f) << "nothing of the file was used";
}

}  // namespace
}  // namespace mv
