// Two clicks queued together reach every window loop that takes readings while it
// waits: the loop's readings pump events too (an interface's reader while it waits for
// a reply, an idle reading that stops for a click), and a click must never be
// overwritten by the next one before the loop has read it.
#include <QAbstractButton>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "conversions/evaluate.h"
#include "devices/needs.h"
#include "devices/scripted_port.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "devices/stream_reader.h"
#include "dialog_steps.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/qt_bridge.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/calibration_window.h"
#include "setup/channel_check_window.h"
#include "setup/state.h"
#include "setup/stream_panel.h"

namespace mv {
namespace {

// A DataTaker reading as the serial readers take it: the events are pumped while the
// reply is awaited.
void PumpingReader(int16_t, int16_t) {
  rt::PumpEvents(0);
  rt::PumpEvents(0);
  volts = 0.5f + 0.001f * static_cast<float>(rt::Rnd(100));
}

std::string FieldText(int16_t window, int16_t field) {
  rt::SetOutputWindow(window);
  return rt::EditText(field);
}

int16_t StateIn(int16_t window, int16_t control) {
  rt::SetOutputWindow(window);
  return rt::ControlState(control);
}

struct LoopCase {
  const char* name;
  int16_t window;
  int16_t first, second;  // the two controls clicked together
  int16_t close;          // the control that ends the window afterwards
  std::function<void(ScriptedSerialPort&)> arrange;
  std::function<void()> open;  // runs the window's loop
  // Once the window is open: true when it shows what the clicks need (the port may be
  // given what the instrument sends).
  std::function<bool(ScriptedSerialPort&)> ready;
  std::function<bool()> bothTaken;
};

void PrintTo(const LoopCase& c, std::ostream* os) {
  *os << c.name;
}

void DataTaker(ScriptedSerialPort&) {
  External_AD = ExternalADCode::DT500;
  DemonstrationMODE = 0;
  services::ReadDataTaker500 = PumpingReader;
}

bool Settled(ScriptedSerialPort&) {
  static int passes = 0;
  return ++passes % 20 == 0;
}

bool StreamVariablesChosen() {
  return FieldText(kStreamPanelWindow, 143) == " 1" && FieldText(kStreamPanelWindow, 145) == " 2";
}

const LoopCase kCases[] = {
    {"DirectCalibration", kCalibrationWindow, CalibrationControl::GetVoltage, CalibrationControl::GetVoltage,
     test::WindowDriver::kCloseBox, DataTaker, [] { DIRECTCAL(2); }, Settled,
     // Two points: the line through them (or why there is none).
     [] {
       return FieldText(kCalibrationWindow, CalibrationControl::CountField).rfind(" 2 points;", 0) == 0;
     }},
    {"ConversionAndDisplayTest", kChannelCheckWindow, CheckButton::Half, CheckButton::Four, CheckButton::Done,
     DataTaker, [] { CHECKCHANNEL(2); }, Settled,
     [] {
       return StateIn(kChannelCheckWindow, CheckButton::Half) == 2 &&
              StateIn(kChannelCheckWindow, CheckButton::Four) == 2;
     }},
    {"StreamingPanelDemonstration", kStreamPanelWindow, 3, 5, 20,
     [](ScriptedSerialPort& port) {
       External_AD = ExternalADCode::SerialStream;
       DemonstrationMODE = 1;
       port.DeliverNow("!!!:Probe:1\r");
     },
     [] { StreamingSerialChannels(); }, Settled, StreamVariablesChosen},
    {"StreamingPanelInstrument", kStreamPanelWindow, 3, 5, 20,
     [](ScriptedSerialPort& port) {
       External_AD = ExternalADCode::SerialStream;
       DemonstrationMODE = 0;
     },
     [] { StreamingSerialChannels(); },
     [](ScriptedSerialPort& port) {
       if (FieldText(kStreamPanelWindow, 105) != " 5") {
         if (!port.BytesWaiting()) port.DeliverNow("1,2,3,4,5\r");
         return false;
       }
       // The next line comes in two parts: the clicks come while the panel reads it.
       port.DeliverNow("1,2,");
       port.DeliverAt(rt::TickCount() + 30, "3,4,5\r");
       return true;
     },
     StreamVariablesChosen},
};

class QueuedClicksTest : public test::DialogTest, public ::testing::WithParamInterface<LoopCase> {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    setenv("MV_CONFIG_DIR", test::MakeTempDir("queued-clicks").c_str(), 1);
    auto p = std::make_unique<ScriptedSerialPort>();
    port = p.get();
    InstallSerialPort(std::move(p));
    ResetStreamReader();
    rt::SeedRandom(3);
    RecordingMODE = RecordingModeCode::Chart;
    nChannels = 2;
    ChannelVariables[0][2] = ConversionTypeCode::Linear;
    ChannelVariables[2][ChanField::Input] = 3;
    ChannelVariables[2][ChanField::B] = 1;
    ChannelVariables[2][ChanField::PlotMax] = 1;
  }
  void TearDown() override {
    CloseSerialPort();
    DialogTest::TearDown();
  }
  ScriptedSerialPort* port = nullptr;
};

TEST_P(QueuedClicksTest, TwoClicksQueuedTogetherBothCount) {
  const LoopCase& c = GetParam();
  c.arrange(*port);
  test::WindowDriver d;
  d.WaitFor(c.window)
      // The loop settles into its readings first.
      .Then("ready", [&c, this] { return c.ready(*port); })
      .Then("two clicks",
            [&c] {
              for (int16_t control : {c.first, c.second}) {
                auto* b = qobject_cast<QAbstractButton*>(rt::bridge::ControlWidget(c.window, control));
                if (!b) return false;
                b->click();
              }
              return true;
            })
      // The second click may wait in the queue until the loop has read the first.
      .Then("taken", [&c, n = 0]() mutable { return c.bothTaken() || ++n > 100; })
      .Check([&c] { EXPECT_TRUE(c.bothTaken()) << "each click acted"; })
      .End(c.window, c.close);
  RunVoid(d, c.open);
  EXPECT_FALSE(rt::WindowExists(c.window));
}

INSTANTIATE_TEST_SUITE_P(EveryLoopThatReadsWhileItWaits, QueuedClicksTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<LoopCase>& info) { return info.param.name; });

}  // namespace
}  // namespace mv
