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
#include "control/zero_link_window.h"
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
  // The notice hook holds this fixture: the next test in the process must not call it.
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

// Zero links made in the switching window (row 1 to channel 3, which no device switches),
// then the box unticked, or dimmed by choosing "Reference at Start and End" and then the
// periodic references again: the links are gone with the box. Channel 3 is stored as
// read in every sample while channel 1 (device 2) is zeroed outside its device's
// periods, and the set-up file saved then carries no link, so the run from it reopened
// stores channel 3 as read as well.
struct ZeroLinkRoad {
  const char* name;
  sim::Kind kind;
  int16_t code;          // the interface's item in the device window's popup
  const char* offAgain;  // what turns the box off in Device Control
};

class ZeroLinkRoadRunE2E : public SetupRoundTripRunE2E, public ::testing::WithParamInterface<ZeroLinkRoad> {
 protected:
  std::string ChooseInterface(int16_t code) const {
    return "until 21 20\npick 21 182 " + std::to_string(code) + "\nclick-label 21 Selection OK\nuntil 88\n" +
           "click-label 88 " + link_ + "\nclick-label 88 Selection OK\ngone 88\nuntil 104 30\n";
  }
  // Setup OK, the recording to its end, saved to `data`, and Quit.
  static std::string RecordSaveAndQuit(const fs::path& data) {
    return "click 104 203\ngone 104\nuntil 112 120\npanel " + data.string() +
           "\nclick 112 2\nuntil 15\nclick 15 11\ngone 15\nuntil 2\nclick 112 6\nexpect-exit 0\n";
  }
  // The zero values stored in channel 3's cells, and the cells of channel 1 zeroed.
  static std::pair<int, int> Zeros(const fs::path& data) {
    const std::string dump = test::DumpDataFile(data, "--values 100000 ");
    const std::vector<double> linked = test::BlockValues(dump, 3), primary = test::BlockValues(dump, 1);
    EXPECT_GT(linked.size(), 100u) << dump;
    int zeros = 0, zeroedPrimary = 0;
    for (std::size_t i = 0; i < linked.size(); ++i) {
      if (linked[i] == 0.0) ++zeros;
      // Its own rising reading: input 3 at 3.3 V and more.
      else if (linked[i] < 3.2 || (i > 0 && linked[i] < linked[i - 1]))
        ADD_FAILURE() << "cell " << i << ": " << linked[i];
    }
    for (double v : primary) zeroedPrimary += v == 0.0 ? 1 : 0;
    return {zeros, zeroedPrimary};
  }
};

TEST_P(ZeroLinkRoadRunE2E, LinksShownOffZeroNoReading) {
  const ZeroLinkRoad& road = GetParam();
  // Each input its own value, rising: a reading stored for another channel shows.
  sim_->Stop();
  sim::Options o;
  o.kind = road.kind;
  for (int k = 1; k <= 4; ++k) o.values.push_back({k, 1.1 * k});
  o.ramp = 0.01;
  ASSERT_NO_FATAL_FAILURE(StartSimulatorWith(o));
  const fs::path made = WriteTwoChannels([](SetupRecord& r) {
    r.channels = 3;
    r.maxSamples = 140;
    r.channelTable[3] = r.channelTable[2];
    r.channelTable[3][ChanField::Input] = 3;
    r.channelTable[1][ChanField::Device] = 2;
    r.channelTable[2][ChanField::Device] = 3;
    for (int k = 1; k <= 3; ++k) r.dataTaker[k] = {1, 0, 0, 0, 0};
    r.switchingMode = 5;
    r.refint = 0.05f;
    r.switchint = 0.1f;
    r.refChan = 1;
  });
  const fs::path saved = documents_ / "unlinked.MVsetup", first = documents_ / "first.kstr",
                 second = documents_ / "second.kstr";
  const std::string script =
      "start " + made.string() + "\nuntil 11 20\nclick-label 11 Reset\n" + ChooseInterface(road.code) +
      "click 104 209\nuntil 3\nclick 3 179\nclick 3 177\nuntil 5\nclick 5 " +
      std::to_string(ZeroLinkButton(1, 3)) + "\nclick 5 " + std::to_string(kZeroLinkOK) +
      "\ngone 5\nclick 104 209\nuntil 3\n" + road.offAgain + "list 3\nclick 3 177\ngone 3\npanel " +
      saved.string() + "\nmenu 1 10\nwait 0.2\n" + RecordSaveAndQuit(first);
  auto result = Run(script);
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result) << "\nreceived: " << sim_->Received();
  EXPECT_NE(result.output.find("179 checkbox \"Extra Zero Links\" enabled"), std::string::npos)
      << "offered again, unticked: " << result.output;
  EXPECT_EQ(zerolink[3 * 1 + 1], 0) << "the link went with the box";
  const auto [zeros, zeroed] = Zeros(first);
  EXPECT_EQ(zeros, 0) << "zeros stored for channel 3's readings";
  EXPECT_GT(zeroed, 0) << "channel 1 is zeroed outside its device's periods";

  ASSERT_TRUE(fs::exists(saved));
  std::ifstream in(saved, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const ParsedSetup parsed = ParseSetup(bytes, CaptureSetup());
  ASSERT_TRUE(parsed.record) << parsed.reason;
  for (int w = 0; w < kZeroLinkWords; ++w) EXPECT_EQ(parsed.record->zeroLinks[w], 0) << "word " << w;

  StartAgain();
  result = Run("start " + saved.string() + "\n" + ChooseInterface(road.code) + RecordSaveAndQuit(second));
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result) << "\nreceived: " << sim_->Received();
  const auto [zerosAgain, zeroedAgain] = Zeros(second);
  EXPECT_EQ(zerosAgain, 0) << "zeros stored for channel 3's readings, the set-up reopened";
  EXPECT_GT(zeroedAgain, 0);
}

const ZeroLinkRoad kZeroLinkRoads[] = {
    {"UI3Unticked", sim::Kind::UI3, 2, "click 3 179\n"},
    {"UI3DimmedByAnotherPattern", sim::Kind::UI3, 2, "pick 3 181 4\nlist 3\npick 3 181 5\n"},
    {"DT800Unticked", sim::Kind::DT800, 5, "click 3 179\n"},
    {"DT800DimmedByAnotherPattern", sim::Kind::DT800, 5, "pick 3 181 4\nlist 3\npick 3 181 5\n"},
};

INSTANTIATE_TEST_SUITE_P(Roads, ZeroLinkRoadRunE2E, ::testing::ValuesIn(kZeroLinkRoads),
                         [](const ::testing::TestParamInfo<ZeroLinkRoad>& info) { return info.param.name; });

}  // namespace
}  // namespace mv
