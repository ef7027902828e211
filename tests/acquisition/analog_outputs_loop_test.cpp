// The analog outputs and the feedback on the real chart loop, on the virtual clock,
// with a UI3 on a scripted port: temperature input 1 reads a value the test sets as a
// function of time, and every output command the loop sends is decoded from the port.
#include <array>
#include <cmath>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "acq_fixture.h"
#include "control/analog_output.h"
#include "control/feedback.h"
#include "control/output_scripts.h"
#include "devices/scripted_port.h"
#include "devices/serial_port.h"

namespace mv::test {
namespace {

// A UI3 that answers every reading request with the temperature celsius(now) (a reply
// word of 5,000 + 1,000 x degrees) and stays silent while celsius gives no number. The
// output commands ("D" and four bytes) get no reply.
class TemperatureUI3 : public ScriptedSerialPort {
 public:
  explicit TemperatureUI3(std::function<double()> celsius) : celsius_(std::move(celsius)) {}
  bool Write(std::string_view bytes) override {
    if (bytes.size() == 6 && bytes[0] == 'D') sendTicks.push_back(rt::TickCount());
    if (bytes.size() == 1) {
      const double c = celsius_();
      if (std::isfinite(c)) {
        const auto w = static_cast<uint16_t>(std::lround(5000.0 + 1000.0 * c));
        ReplyNext(std::string{static_cast<char>(w & 0xFF), static_cast<char>(w >> 8)});
      }
    }
    return ScriptedSerialPort::Write(bytes);
  }
  std::vector<int64_t> sendTicks;  // the tick of each output command

 private:
  std::function<double()> celsius_;
};

struct Command {
  int64_t tick;  // from the run's start
  double v1, v2;
};

class AnalogOutputsLoopTest : public AcqTest {
 protected:
  void SetUp() override {
    AcqTest::SetUp();
    RecordingMODE = RecordingModeCode::Chart;
    SetChannels(1);
    ChannelVariables[1][ChanField::Input] = 9;  // temperature input 1, in degrees
    ChannelVariables[1][ChanField::PlotMax] = 40;
    TInputMode[1] = 0;
    ChartIntervalInSeconds = 1.0;
    MaxSamples = 100'000;
    DemonstrationMODE = 0;
    External_AD = ExternalADCode::SableUI3;
    StartChartSchedule();
    acq_hooks::checkAOscript = [] { checkAOscript(); };
    acq_hooks::checkFEEDBACKLoop = [] { checkFEEDBACKLoop(); };
    acq_hooks::PumpAOvolts = [] { PumpAOvolts(); };
    acq_hooks::X_Key_check = [] { ScriptsAtEndMarker(2); };
    acq_hooks::Q_Key_check = [] { ScriptsAtEndMarker(3); };
    t0 = Tick();
    auto p = std::make_unique<TemperatureUI3>([this] { return celsius(Tick() - t0); });
    port = p.get();
    InstallSerialPort(std::move(p));
  }
  void TearDown() override {
    CloseSerialPort();
    AcqTest::TearDown();
  }
  int64_t Tick() const { return static_cast<int64_t>(rt::TickCount()); }
  // Records from the run's start until `stopAt` ticks, with `marker` inserted at
  // `markerAt` (none when 0).
  void RecordUntil(int64_t stopAt, int32_t marker = 0, int64_t markerAt = 0) {
    StartOutputScripts();  // what the run's first screen does
    markerDone = false;
    script = [=, this] {
      const int64_t t = Tick() - t0;
      if (marker != 0 && t >= markerAt && !markerDone) {
        markerDone = true;
        InsertMarker(7, marker, kKeyMarkerTop);
      }
      if (t >= stopAt) Hold({rt::key::Escape});
    };
    EXPECT_EQ(Record(), RunEnd::StopKey);
  }
  // The output commands sent, decoded (counts / 819), each with its tick.
  std::vector<Command> Commands() const {
    std::vector<Command> out;
    size_t k = 0;
    for (const std::string& w : port->Writes()) {
      if (w.size() != 6 || w[0] != 'D') continue;
      const auto u = [&](int i) { return static_cast<unsigned char>(w[static_cast<size_t>(i)]); };
      out.push_back({port->sendTicks[k] - t0, (u(1) + 256 * u(2)) / 819.0, (u(3) + 256 * u(4)) / 819.0});
      ++k;
    }
    return out;
  }
  // Output 2's volts in force at tick t (from the run's start), or -1 before any.
  static double Output2At(const std::vector<Command>& c, int64_t t) {
    double v = -1;
    for (const Command& x : c)
      if (x.tick <= t) v = x.v2;
    return v;
  }
  static void Steps(int col, std::vector<std::array<float, 3>> steps) {
    AOscript[0][col] = static_cast<float>(steps.size());
    for (size_t r = 0; r < steps.size(); ++r)
      for (int c = 0; c < 3; ++c) AOscript[r + 1][col + c] = steps[r][static_cast<size_t>(c)];
  }

  std::function<double(int64_t)> celsius = [](int64_t) { return 20.0; };
  TemperatureUI3* port = nullptr;
  int64_t t0 = 0;
  bool markerDone = false;
};

// A ramp's last command leaves the gate closed when the hold step after it begins: the
// hold's volts wait for the gate instead of being dropped for the whole step.
TEST_F(AnalogOutputsLoopTest, HoldAfterARampReachesThePort) {
  AO1on = 1;
  AOscript[7][0] = 1;
  Steps(1, {{2, 0.5f, 2}, {4, -0.5f, 3}, {2, 10, 4}});  // hold 30 s, ramp 30 s, hold
  RecordUntil(3602 + 600);
  const std::vector<Command> c = Commands();
  ASSERT_FALSE(c.empty());
  EXPECT_NEAR(c.back().v1, 2.0, 0.002) << "10 s into the hold";
  bool inTime = false;
  for (const Command& x : c)
    if (x.tick >= 3600 && x.tick <= 3602 + kAOUpdateGapTicks + 2 && std::fabs(x.v1 - 2.0) < 0.002)
      inTime = true;
  EXPECT_TRUE(inTime) << "the hold's volts within one gate of its start";
}

// An "x" marker in the middle of a ramp: the end volts reach the port, and the ramp
// sends nothing after them.
TEST_F(AnalogOutputsLoopTest, EndVoltsAtAnXMarkerDuringARampReachThePort) {
  AO1on = 1;
  AOscript[7][0] = 1;
  AOscript[8][0] = 2;  // ends at "x"
  AOscript[2][0] = 0.5f;
  AO1endMode = 1;
  Steps(1, {{1, 0.1f, 2}, {5, -2, 3}});
  RecordUntil(2400, 'x', 1800);
  const std::vector<Command> c = Commands();
  ASSERT_FALSE(c.empty());
  EXPECT_NEAR(c.back().v1, 0.5, 0.002);
  EXPECT_GE(c.back().tick, 1800);
  EXPECT_LE(c.back().tick, 1800 + kAOUpdateGapTicks + 2);
}

// Both scripts start on the run's first pass: each output gets its step-1 volts.
TEST_F(AnalogOutputsLoopTest, TwoOutputsStartingOnOnePassBothGetTheirVolts) {
  AO1on = AO2on = 1;
  AOscript[7][0] = AOscript[9][0] = 1;
  Steps(1, {{1, 10, 2}});
  Steps(4, {{3, 10, 2}});
  RecordUntil(120);
  const std::vector<Command> c = Commands();
  ASSERT_FALSE(c.empty());
  EXPECT_NEAR(c.back().v1, 1.0, 0.002);
  EXPECT_NEAR(c.back().v2, 3.0, 0.002);
  EXPECT_LE(c.back().tick, kAOUpdateGapTicks + 2);
}

// The feedback schedule and its end state, each with what negative proportional
// feedback gives on output 2, worked out by hand from the step's setpoint, limits and
// range for the channel's temperature T (19 degrees at the start, rising 1 degree a
// minute).
struct FeedbackStage {
  const char* name;
  int64_t from, to;  // ticks well inside the stage, away from the update that starts it
  double (*volts)(double T);
};

double Clamp1(double u) {
  return u < -1 ? -1 : (u > 1 ? 1 : u);
}

const FeedbackStage kFourSteps[] = {
    // setpoint 20, 0..5 V, range 2: 2.5 - 2.5 x (T - 20) / 2
    {"step 1", 1300, 3000, [](double T) { return 2.5 - 1.25 * (T - 20); }},
    // setpoint 21, 1..4 V, range 1: 2.5 - 1.5 x (T - 21)
    {"step 2", 4900, 6600, [](double T) { return 2.5 - 1.5 * Clamp1(T - 21); }},
    // setpoint 22, range 0: below the setpoint, the top of 0..5 V
    {"step 3", 8500, 10200, [](double) { return 5.0; }},
    // setpoint 23, 2..3 V, range 4: 2.5 - 0.5 x (T - 23) / 4
    {"step 4", 12100, 13800, [](double T) { return 2.5 - 0.125 * (T - 23); }},
    // end state: setpoint 20, 0..5 V, range 1, T far above: the bottom
    {"end", 15800, 17500, [](double) { return 0.0; }},
};

void FourStepSchedule() {
  DoFeedback = FeedbackON = 1;
  FeedbackChan = 1;
  FeedbackUpdateInterval = 600;
  NegativeFEEDBACK = 1;
  FeedbackEndMode = 1;
  FdBkEndSetpoint = 20;
  FdBkEndRange = 1;
  FdBkEndMinV = 0;
  FdBkEndMaxV = 5;
  FdBkEndStateEntered = 1;
  // setpoint, min, max, range, minutes, next
  const float rows[4][6] = {
      {20, 0, 5, 2, 1, 2}, {21, 1, 4, 1, 1, 3}, {22, 0, 5, 0, 1, 4}, {23, 2, 3, 4, 1, 5}};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 6; ++c) FeedbackArray[r + 1][c + 1] = rows[r][c];
}

TEST_F(AnalogOutputsLoopTest, FeedbackFollowsAFourStepScheduleThroughTheSetpoints) {
  FourStepSchedule();
  celsius = [](int64_t t) { return 19.0 + static_cast<double>(t) / 3600.0; };
  RecordUntil(18'000);
  const std::vector<Command> c = Commands();
  for (const FeedbackStage& s : kFourSteps) {
    int updates = 0;
    for (const Command& x : c) {
      if (x.tick < s.from || x.tick > s.to) continue;
      ++updates;
      // The reading is the latest sample: taken at most one interval and a pass before.
      const double a = s.volts(19.0 + (x.tick - 62) / 3600.0), b = s.volts(19.0 + x.tick / 3600.0);
      EXPECT_GE(x.v2, std::min(a, b) - 0.003) << s.name << " at " << x.tick;
      EXPECT_LE(x.v2, std::max(a, b) + 0.003) << s.name << " at " << x.tick;
    }
    EXPECT_GE(updates, 2) << s.name << ": an update every 600 ticks";
  }
}

// Positive feedback moves the output the other way: towards the top limit as the
// channel rises above the setpoint.
TEST_F(AnalogOutputsLoopTest, PositiveFeedbackFollowsTheErrorUpwards) {
  FourStepSchedule();
  NegativeFEEDBACK = 0;
  celsius = [](int64_t t) { return 19.0 + static_cast<double>(t) / 3600.0; };
  RecordUntil(10'200);
  const std::vector<Command> c = Commands();
  const double at2400 = Output2At(c, 2400), at9600 = Output2At(c, 9600);
  // Step 1 near 2,400 ticks (T about 19.6): 2.5 + 1.25 x (T - 20), about 2.0 V.
  EXPECT_GT(at2400, 1.8);
  EXPECT_LT(at2400, 2.25);
  EXPECT_NEAR(at9600, 0.0, 0.002) << "step 3, below its setpoint with range 0: the bottom";
}

// How the schedule ends: end mode 1 after its last step; modes 2 and 3 hold the last
// step until their marker, which brings the end state in at once.
TEST_F(AnalogOutputsLoopTest, TheEndModes) {
  struct Case {
    int16_t mode;
    int32_t marker;
    int64_t endStateBy;  // the end state is on the output by this tick
  };
  const Case cases[] = {{1, 0, 2500}, {2, 'x', 4000}, {3, 'q', 4000}, {2, 'q', -1}};
  for (const Case& k : cases) {
    if (&k != cases) {  // a fresh program and port for each case
      TearDown();
      SetUp();
    }
    DoFeedback = FeedbackON = 1;
    FeedbackChan = 1;
    FeedbackUpdateInterval = 600;
    NegativeFEEDBACK = 1;
    FeedbackEndMode = k.mode;
    FdBkEndSetpoint = 25;  // far above the channel: the end state gives the top, 5 V
    FdBkEndRange = 1;
    FdBkEndMinV = 0;
    FdBkEndMaxV = 5;
    FdBkEndStateEntered = 1;
    const float row[6] = {20, 0, 5, 2, 0.5f, 2};  // 30 s at setpoint 20
    for (int i = 0; i < 6; ++i) FeedbackArray[1][i + 1] = row[i];
    RecordUntil(4700, k.marker, 4000);
    const std::vector<Command> c = Commands();
    // Until the end state: 2.5 - 1.25 x (T - 20) with T near 20, never the top.
    const int64_t before = k.endStateBy < 0 ? 4700 : (k.mode == 1 ? 1700 : 4000);
    EXPECT_GT(Output2At(c, before - 1), 2.0) << "mode " << k.mode;
    EXPECT_LT(Output2At(c, before - 1), 3.0) << "mode " << k.mode;
    if (k.endStateBy >= 0) {
      EXPECT_NEAR(Output2At(c, k.endStateBy), 5.0, 0.002) << "mode " << k.mode;
      EXPECT_NEAR(c.back().v2, 5.0, 0.002) << "mode " << k.mode << ": frozen";
    }
  }
}

// When the schedule ends, only an end state the user entered drives the output; without
// one the output keeps the last step's volts and no command goes out, so the window's
// start-up values (setpoint 20, 0 to 5 V) never run a pump or a heater to a rail. Every
// command lies within the limits in force: the step's, or the entered end state's. The
// channel reads 19 degrees at the start, rising a degree a minute.
struct FeedbackEndRow {
  const char* name;
  int16_t negative;
  std::vector<std::array<float, 5>> steps;  // setpoint, min volts, max volts, range, minutes
  bool endEntered;
  std::array<float, 4> end;  // setpoint, min volts, max volts, range
  int32_t marker;            // 0: the schedule halts after its last step; else at this marker
};

const FeedbackEndRow kFeedbackEndRows[] = {
    {"one step, negative", 1, {{20, 2, 3, 2, 0.5f}}, false, {}, 0},
    {"one step, positive", 0, {{20, 2, 3, 2, 0.5f}}, false, {}, 0},
    {"two steps, negative", 1, {{20, 2, 3, 2, 0.5f}, {20.5f, 1, 4, 1, 0.5f}}, false, {}, 0},
    {"two steps, positive", 0, {{20, 2, 3, 2, 0.5f}, {20.5f, 1, 4, 1, 0.5f}}, false, {}, 0},
    {"two steps, negative, halt at 'x'", 1, {{20, 2, 3, 2, 0.5f}, {20.5f, 1, 4, 1, 0.5f}}, false, {}, 'x'},
    {"one step, negative, end state entered", 1, {{20, 2, 3, 2, 0.5f}}, true, {22, 1, 1.5f, 1}, 0},
    {"two steps, positive, end state entered",
     0,
     {{20, 2, 3, 2, 0.5f}, {20.5f, 1, 4, 1, 0.5f}},
     true,
     {21, 0.5f, 4.5f, 3},
     0},
};

TEST_F(AnalogOutputsLoopTest, FeedbackAfterItsLastStepDrivesOnlyAnEnteredEndState) {
  for (const FeedbackEndRow& row : kFeedbackEndRows) {
    SCOPED_TRACE(row.name);
    if (&row != kFeedbackEndRows) {  // a fresh program and port for each row
      TearDown();
      SetUp();
    }
    DoFeedback = FeedbackON = 1;
    FeedbackChan = 1;
    FeedbackUpdateInterval = 60;
    NegativeFEEDBACK = row.negative;
    FeedbackEndMode = row.marker == 0 ? 1 : 2;
    if (row.endEntered) {
      FdBkEndSetpoint = row.end[0];
      FdBkEndMinV = row.end[1];
      FdBkEndMaxV = row.end[2];
      FdBkEndRange = row.end[3];
      FdBkEndStateEntered = 1;
    }
    // Where each step ends, in ticks from the run's start; a command within one update
    // and a gate of a boundary may carry either side's volts.
    std::vector<int64_t> ends;
    int64_t at = 0;
    for (size_t r = 0; r < row.steps.size(); ++r) {
      for (int c = 0; c < 5; ++c) FeedbackArray[r + 1][c + 1] = row.steps[r][static_cast<size_t>(c)];
      FeedbackArray[r + 1][6] = static_cast<float>(r + 2);
      at += static_cast<int64_t>(row.steps[r][4] * 3600);
      ends.push_back(at);
    }
    const int64_t slack = 60 + kAOUpdateGapTicks + 5, last = ends.back() + (row.marker ? 600 : 0);
    celsius = [](int64_t t) { return 19.0 + static_cast<double>(t) / 3600.0; };
    RecordUntil(last + 3600, row.marker, last);
    const std::vector<Command> c = Commands();
    const auto within = [](double v, float lo, float hi) { return v >= lo - 0.002 && v <= hi + 0.002; };
    int after = 0;
    for (const Command& x : c) {
      bool ok = false;
      for (size_t r = 0; r < row.steps.size(); ++r) {
        const int64_t from = r == 0 ? 0 : ends[r - 1] - slack,
                      to = (r + 1 == row.steps.size() ? last : ends[r]) + slack;
        if (x.tick >= from && x.tick <= to) ok = ok || within(x.v2, row.steps[r][1], row.steps[r][2]);
      }
      const bool ended = row.endEntered && within(x.v2, row.end[1], row.end[2]);
      if (x.tick >= last - slack) ok = ok || ended;
      if (x.tick > last + slack) {
        ++after;
        ok = ended;
      }
      EXPECT_TRUE(ok) << x.v2 << " V at " << x.tick;
    }
    ASSERT_FALSE(c.empty());
    if (row.endEntered)
      EXPECT_GT(after, 30) << "the end state drives the output on";
    else
      EXPECT_EQ(after, 0) << "the output keeps the last step's volts";
    std::cout << "[ feedback row ] " << row.name << ": " << c.size() << " commands, " << after
              << " after the last step\n";
  }
}

// While the regulated channel has no reading the output keeps its volts: no command
// goes out until readings come back.
TEST_F(AnalogOutputsLoopTest, AFailedReadingHoldsTheOutput) {
  FourStepSchedule();
  celsius = [](int64_t t) { return t >= 1300 && t < 3000 ? NAN : 19.5; };
  RecordUntil(4000);
  const std::vector<Command> c = Commands();
  const double held = Output2At(c, 1299);
  EXPECT_NEAR(held, 2.5 + 1.25 * 0.5, 0.003);  // 19.5 degrees under step 1
  for (const Command& x : c)
    if (x.tick >= 1300 + 62 + 30 && x.tick < 3000) ADD_FAILURE() << "a command at " << x.tick << ": " << x.v2;
  EXPECT_GT(c.back().tick, 3000) << "updates resume with the readings";
}

// A switched channel whose device is off reads what it does not stand for: it steers
// nothing, and the output keeps its volts.
TEST_F(AnalogOutputsLoopTest, AChannelWhoseDeviceIsOffDoesNotSteer) {
  for (int16_t on : {1, 2}) {  // the device on: another one, then the channel's own
    if (on != 1) {
      TearDown();
      SetUp();
    }
    FourStepSchedule();
    SwitchingMode = 1;  // keyboard switching
    ChannelVariables[1][ChanField::Device] = 2;
    OldChan = on;
    RefIsON = 0;
    RecordUntil(3000);
    EXPECT_EQ(Commands().empty(), on != 2) << "device " << on << " on";
  }
}

// A regulated channel the run does not record steers nothing either.
TEST_F(AnalogOutputsLoopTest, AChannelTheRunDoesNotRecordDoesNotSteer) {
  FourStepSchedule();
  FeedbackChan = static_cast<int16_t>(nChannels + 1);
  RecordUntil(3000);
  EXPECT_TRUE(Commands().empty());
}

}  // namespace
}  // namespace mv::test
