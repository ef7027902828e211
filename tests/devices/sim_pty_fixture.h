// A simulated instrument on a pseudo-terminal, opened as the program's serial port,
// on the real clock (the simulator runs in its own thread). Sounds are noted in
// `sounds` as "name;" each.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "common/test_support.h"
#include "devices/acquisition_stand_ins.h"
#include "devices/serial_port.h"
#include "runtime/clock.h"
#include "runtime/sound.h"
#include "sim/sim.h"

namespace mv::test {

class SimPtyTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    rt::UseVirtualClock(false);
    dir = MakeTempDir("pty");
    rt::SetSoundSink([this](const std::string& path) { sounds += SoundFileName(path) + ";"; });
    acquisition.Install();
  }
  void TearDown() override {
    CloseSerialPort();
    if (sim) sim->Stop();
    std::filesystem::remove_all(dir);
    ProgramTest::TearDown();
  }
  void StartSim(sim::Kind kind, int baud = 115200) {
    sim::Options o;
    o.kind = kind;
    StartSim(o, baud);
  }
  void StartSim(sim::Options o, int baud = 115200) {
    o.link = (dir / "port").string();
    sim = std::make_unique<sim::Simulator>(o);
    std::string error;
    ASSERT_TRUE(sim->Start(&error)) << error;
    const SerialOpenResult r = OpenSerialPortPath(o.link, baud);
    ASSERT_TRUE(r.ok) << r.reason;
  }

  std::filesystem::path dir;
  std::unique_ptr<sim::Simulator> sim;
  std::string sounds;
  AcquisitionStandIns acquisition;
};

}  // namespace mv::test
