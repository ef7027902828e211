// Whole-program runs against a simulated instrument on a pseudo-terminal. The
// connection road runs on the real clock, as the instrument does; the simulator's link
// sits in the documents folder and is added to the port list, which offers it first.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "devices/serial_port.h"
#include "e2e/program_run_fixture.h"
#include "runtime/clock.h"
#include "sim/sim.h"

namespace mv::test {

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

  std::string link_;
  std::unique_ptr<sim::Simulator> sim_;
};

}  // namespace mv::test
