// Whole-program runs against a simulated instrument on a pseudo-terminal. The
// connection road runs on the real clock, as the instrument does; the simulator's link
// sits in the documents folder and is added to the port list, which offers it first.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "devices/serial_port.h"
#include "e2e/program_run_fixture.h"
#include "files/setup_file.h"
#include "runtime/clock.h"
#include "sim/sim.h"

namespace mv::test {

// The values of one channel block as the dump tool prints them ("samples of channel
// block N (K values): v v v").
inline std::vector<double> BlockValues(const std::string& dump, int block) {
  std::smatch m;
  const std::regex re("samples of channel block " + std::to_string(block) + R"( \(\d+ values\):([^\n]*))");
  if (!std::regex_search(dump, m, re)) return {};
  std::vector<double> values;
  std::istringstream in(m[1].str());
  for (std::string v; in >> v;) values.push_back(std::stod(v));
  return values;
}

class SimulatedRunTest : public ProgramRunTest {
 protected:
  void SetUp() override {
    ProgramRunTest::SetUp();
    rt::UseVirtualClock(false);
  }
  void TearDown() override {
    CloseSerialPort();
    if (sim_) sim_->Stop();
    SetExtraSerialPorts({});
    ProgramRunTest::TearDown();
  }

  // Starts the simulator o describes (its link is set here) and offers its port.
  void StartSimulatorWith(sim::Options o) {
    o.link = (documents_ / "instrument").string();
    link_ = o.link;
    sim_ = std::make_unique<sim::Simulator>(o);
    std::string error;
    ASSERT_TRUE(sim_->Start(&error)) << error;
    SetExtraSerialPorts({link_});
  }

  // A chart set-up file of `channels` linear channels on inputs (or stream fields)
  // 1, 2, ..., plotted from plotMin to 4, each a DataTaker voltage input (or `dataTaker`);
  // a failed reading stores -99999, or with `keepLast` the channel's last sample.
  std::filesystem::path WriteChannelsSetup(int channels, int16_t ticks, int averaged, float plotMin,
                                           DataTakerChannelsRecord dataTaker = {1, 0, 0, 0, 0},
                                           bool keepLast = false) const {
    SetupRecord setup;
    setup.prefSlots[PrefsSlot::BadReadingKeepsLast] = keepLast ? 1 : 0;
    setup.recordingMode = RecordingModeCode::Chart;
    setup.channels = static_cast<int16_t>(channels);
    setup.chartTicks = ticks;
    setup.scopeTicks = 1;
    setup.scopeMax = 256;
    setup.maxSamples = 1000;
    for (int k = 1; k <= channels; ++k) {
      auto& ch = setup.channelTable[k];
      ch[ChanField::Gain] = 2;
      ch[ChanField::Input] = static_cast<float>(k);
      ch[ChanField::B] = 1;
      ch[ChanField::PlotMax] = 4;
      ch[ChanField::PlotMin] = plotMin;
      ch[ChanField::Averaged] = static_cast<float>(averaged);
      setup.dataTaker[k] = dataTaker;
    }
    EXPECT_EQ(SetupRecordProblem(setup), "");
    const std::filesystem::path file = documents_ / "channels.MVsetup";
    std::ofstream(file, std::ios::binary) << EncodeSetup(setup);
    return file;
  }

  std::string link_;
  std::unique_ptr<sim::Simulator> sim_;
};

}  // namespace mv::test
