// The feedback schedule window with its warning, driven as a user would, the schedule
// rules, and the timing picture worked out by hand from the pixel rules.
#include "control/feedback_window.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "common/test_support.h"
#include "common/window_steps.h"
#include "control/feedback_diagram.h"
#include "control/state.h"
#include "devices/state.h"
#include "kit/state.h"
#include "runtime/menus.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv::test {
namespace {

using namespace FeedbackItem;
constexpr int16_t W = kFeedbackWindow;

class FeedbackWindowTest : public ProgramTest, public WindowSteps {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    setenv("MV_RESOURCES_DIR", SourcePath("resources").c_str(), 1);
    for (int16_t m = 1; m <= 6; ++m) rt::NewMenu(m, "menu");
    for (int16_t i = 1; i <= 8; ++i) rt::SetMenuItem(5, i, "item");
    MaximumChans = 16;
    nChannels = 3;
    datalabel = "O2 analyser                   CO2 analyser                  flow                          ";
  }
  void TearDown() override {
    rt::SetPumpHook(nullptr);
    if (rt::WindowExists(W)) rt::CloseWindow(W);
    unsetenv("MV_RESOURCES_DIR");
    ProgramTest::TearDown();
  }
  static Step UntilSchedule() {
    return [] {
      return rt::WindowExists(W) && rt::WindowTitle(W).str().find("Proportional") != std::string::npos;
    };
  }
  static void SetSchedule(std::initializer_list<std::array<float, 2>> steps) {
    int r = 0;
    for (const auto& s : steps) {
      ++r;
      FeedbackArray[r][1] = s[0];
      FeedbackArray[r][5] = s[1];
      FeedbackArray[r][6] = static_cast<float>(r + 1);
    }
  }
};

TEST_F(FeedbackWindowTest, KeepingOutputTwoForItsScriptOpensNoWindow) {
  AO2on = 1;
  Drive({Until(W), Click(W, KeepScript), Shot(W, "w788-feedback-warning.png"), Click(W, SelectionOK)});
  AnalogFEEDBACK();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_EQ(AO2on, 1);
  EXPECT_EQ(FeedbackON, 0);
}

// The close box answers nothing, so it never shuts the output script down, even with
// "Use it for Feedback Control" marked as the warning opens.
TEST_F(FeedbackWindowTest, ClosingTheWarningKeepsTheScriptAndOpensNoWindow) {
  AO2on = 1;
  Drive({Until(W), Do([] { EXPECT_EQ(rt::ControlState(UseForFeedback), 2); }), CloseBox(W)});
  AnalogFEEDBACK();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_EQ(AO2on, 1);
  EXPECT_EQ(FeedbackON, 0);
}

TEST_F(FeedbackWindowTest, StepsEnteredAndLoopedArmTheScheduleOnDone) {
  AO2on = 1;
  FeedbackArray[10][5] = 9.0f;  // a stale duration beyond the steps
  Drive({Until(W),
         Click(W, SelectionOK),
         UntilSchedule(),
         Click(W, Show),
         Do([] {
           EXPECT_EQ(Shown(W, SetpointField), 20);
           EXPECT_EQ(Shown(W, MinVoltsField), 0);
           EXPECT_EQ(Shown(W, MaxVoltsField), 5);
           EXPECT_EQ(Shown(W, RangeField), 1);
         }),
         Click(W, 2),
         Type(W, DurationField, "5"),
         Click(W, NewStep),
         Type(W, SetpointField, "18"),
         Click(W, NewStep),
         Type(W, SetpointField, "22"),
         Click(W, NewStep),
         Do([] { EXPECT_EQ(Shown(W, LoopField), 4); }),
         Type(W, LoopField, "1"),
         Click(W, LoopToStep),
         Do([] { EXPECT_EQ(TextOf(W, kFeedbackLoopField), " 15 min"); }),
         Pick(W, IntervalPopup, 2),
         Click(W, Positive),
         Shot(W, "w788-feedback.png"),
         Click(W, Done)});
  AnalogFEEDBACK();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_EQ(AO2on, 0) << "the script gave output 2 up";
  EXPECT_EQ(FeedbackChan, 2);
  EXPECT_EQ(FeedbackArray[2][1], 18.0f);
  EXPECT_EQ(FeedbackArray[3][5], 5.0f);
  EXPECT_EQ(FeedbackArray[3][6], 1.0f);
  EXPECT_EQ(FeedbackArray[10][5], 0.0f) << "durations of rows 4 to 40 cleared";
  EXPECT_EQ(FeedbackUpdateInterval, 30);
  EXPECT_EQ(NegativeFEEDBACK, 0);
  EXPECT_EQ(FeedbackON, 1);
  EXPECT_EQ(DoFeedback, 1);
  EXPECT_TRUE(rt::MenuItemChecked(5, 2)) << "the feedback items carry the mark";
  EXPECT_TRUE(rt::MenuItemChecked(5, 5));
  EXPECT_FALSE(rt::MenuItemChecked(5, 4)) << "output 2's script no longer runs";
}

// The window says which end state the schedule ends in: none until one is entered (the
// output then keeps the last step's volts), the values once entered, none again after
// Clear.
TEST_F(FeedbackWindowTest, TheWindowShowsTheEndStateInForce) {
  const std::string none = "end state: none, the last step holds";
  Drive({UntilSchedule(), Do([&] { EXPECT_EQ(TextOf(W, EndStateLine), none); }),
         Shot(W, "w788-feedback-no-end-state.png"), Type(W, SetpointField, "21.5"),
         Type(W, RangeField, "0.5"), Type(W, MinVoltsField, "1"), Type(W, MaxVoltsField, "3"),
         Click(W, EndState), Do([&] {
           EXPECT_EQ(FdBkEndStateEntered, 1);
           EXPECT_EQ(TextOf(W, EndStateLine), "end state: 21.5 \xB1 0.5, 1 to 3 V");
         }),
         Shot(W, "w788-feedback-end-state.png"), Click(W, Clear), Do([&] {
           EXPECT_EQ(FdBkEndStateEntered, 0);
           EXPECT_EQ(TextOf(W, EndStateLine), none);
         }),
         Click(W, Done)});
  AnalogFEEDBACK();
  EXPECT_TRUE(ScriptDone());
  EXPECT_EQ(FdBkEndSetpoint, 20.0f) << "Clear left no end state behind";
}

// Closing the schedule marks the D-A items that open it, and leaves each output
// script's item saying whether that script runs.
TEST_F(FeedbackWindowTest, ClosingMarksTheFeedbackItemsNotTheScriptItems) {
  struct Case {
    const char* name;
    bool scheduled;   // a schedule is there as the window opens
    int16_t clicked;  // what the user does before Done
    bool feedback;    // items 2 and 5 checked after
  };
  const Case cases[] = {
      {"a new step", false, NewStep, true},
      {"a schedule kept", true, Show, true},
      {"a schedule cleared", true, Clear, false},
      {"nothing entered", false, Show, false},
  };
  for (const Case& c : cases) {
    FeedbackArray = {};
    if (c.scheduled) SetSchedule({{20, 5}, {22, 5}});
    AO1on = 1;
    AO2on = 0;
    rt::CheckMenuItem(5, 1, true);
    rt::CheckMenuItem(5, 4, false);
    for (int16_t i : {2, 5}) rt::CheckMenuItem(5, i, !c.feedback);
    Drive({UntilSchedule(), Click(W, c.clicked), Click(W, Done)});
    AnalogFEEDBACK();
    EXPECT_TRUE(ScriptDone()) << c.name;
    EXPECT_EQ(rt::MenuItemChecked(5, 2), c.feedback) << c.name;
    EXPECT_EQ(rt::MenuItemChecked(5, 5), c.feedback) << c.name;
    EXPECT_TRUE(rt::MenuItemChecked(5, 1)) << c.name << ": output 1's script runs on";
    EXPECT_FALSE(rt::MenuItemChecked(5, 4)) << c.name << ": output 2 has no script";
  }
}

// Control volts the interface cannot give are refused when they are entered, with a
// line that says its range: 0 to 5 V on a UI3.
TEST_F(FeedbackWindowTest, ControlVoltsTheOutputCannotGiveAreRefused) {
  External_AD = ExternalADCode::SableUI3;
  FdBkEndMinV = 1.0f;
  const auto refusal = [] {
    rt::SetOutputWindow(W);
    return rt::EditFieldExists(RefusalLine) ? rt::EditText(RefusalLine) : std::string();
  };
  Drive({UntilSchedule(), Type(W, MinVoltsField, "-2"), Click(W, NewStep), Do([&] {
           EXPECT_EQ(refusal(), "-2 V refused: the Sable UI3 gives 0 to 5 V.");
           EXPECT_EQ(FeedbackStepCount(), 0);
         }),
         Shot(W, "w788-feedback-refused.png"), Click(W, EndState),
         Do([&] { EXPECT_NE(refusal(), "") << "nor as the end state"; }), Type(W, MinVoltsField, "0"),
         Type(W, MaxVoltsField, "7"), Click(W, NewStep),
         Do([&] { EXPECT_EQ(refusal(), "7 V refused: the Sable UI3 gives 0 to 5 V."); }),
         Type(W, MaxVoltsField, "4.5"), Click(W, NewStep), Do([&] { EXPECT_EQ(refusal(), ""); }),
         Click(W, Done)});
  AnalogFEEDBACK();
  EXPECT_TRUE(ScriptDone());
  EXPECT_EQ(FeedbackStepCount(), 1);
  EXPECT_EQ(FeedbackArray[1][3], 4.5f);
  EXPECT_EQ(FdBkEndMinV, 1.0f) << "the end state as it was";
}

TEST(FeedbackRules, CountStopsAtTheFirstStepWithoutDuration) {
  FeedbackArray = {};
  for (int r = 1; r <= 5; ++r) FeedbackArray[r][5] = 1.0f;
  FeedbackArray[3][5] = 0.0f;
  EXPECT_EQ(FeedbackStepCount(), 2);
  FeedbackArray[1][5] = 0.0f;
  EXPECT_EQ(FeedbackStepCount(), 0);
  for (int r = 1; r <= 100; ++r) FeedbackArray[r][5] = 1.0f;
  EXPECT_EQ(FeedbackStepCount(), 99);
  EXPECT_EQ(AddFeedbackStep(99, {}), 99) << "row 100 is the table's last";
  EXPECT_EQ(FeedbackIntervalItem(45), 3);
  EXPECT_EQ(FeedbackIntervalItem(1800), 6);
  EXPECT_EQ(DeleteFeedbackStep(3, 7), 3);
}

class FeedbackTimingTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    MaximumChans = 16;  // e = 78
    FeedbackArray = {};
    for (int r = 1; r <= 4; ++r) {
      FeedbackArray[r][1] = static_cast<float>(r);
      FeedbackArray[r][5] = 5.0f;
      FeedbackArray[r][6] = static_cast<float>(r + 1);
    }
  }
};

TEST_F(FeedbackTimingTest, TheLoopDurationRunsFromItsTargetToTheLastStep) {
  EXPECT_EQ(LayOutFeedbackTiming(4).loopText.str(), "no loop");
  FeedbackArray[4][6] = 2.0f;
  EXPECT_EQ(LayOutFeedbackTiming(4).loopText.str(), " 15 min");
  FeedbackArray[4][6] = 1.0f;
  const FeedbackTiming t = LayOutFeedbackTiming(4);
  EXPECT_EQ(t.loopText.str(), " 20 min");
  const DiagramLine& head = t.diagram.lines.back();
  EXPECT_EQ(head.x2, 63) << "a loop to step 1 lands just inside the panel";
  EXPECT_EQ(head.y2, 380 + 78) << "at step 1's setpoint, the smallest";
  FeedbackArray[4][6] = 4.0f;  // the last step loops on itself: the schedule never ends
  EXPECT_EQ(LayOutFeedbackTiming(4).loopText.str(), " 5 min");
  EXPECT_TRUE(LayOutFeedbackTiming(4).diagram.looped);
  FeedbackArray = {};
  FeedbackArray[1] = {0, 2, 1, 3, 1, 5, 1};  // one step, "Loop to Step: 1"
  EXPECT_EQ(LayOutFeedbackTiming(1).loopText.str(), " 5 min");
  EXPECT_FALSE(LayOutFeedbackTiming(0).drawn);
}

TEST_F(FeedbackTimingTest, SetpointsAcrossZeroDrawTheZeroLineAndStartThere) {
  FeedbackArray[1][1] = -2.0f;
  FeedbackArray[2][1] = 8.0f;
  const FeedbackTiming t = LayOutFeedbackTiming(2);
  ASSERT_FALSE(t.diagram.lines.empty());
  const DiagramLine& zero = t.diagram.lines.front();
  EXPECT_EQ(zero.y1, 285 + 78 + 76);
  EXPECT_EQ(zero.x2, 420);
  EXPECT_EQ(t.diagram.lines[2].y1, 285 + 78 + 76) << "step 1's line starts at the zero level";
  EXPECT_EQ(t.largest, 8.0f);
  EXPECT_EQ(t.smallest, -2.0f);

  for (int r = 1; r <= 4; ++r) FeedbackArray[r][1] = 7.0f;
  for (const DiagramLine& l : LayOutFeedbackTiming(4).diagram.lines)
    if (l.colour == RGBColor{0, 0, 0} && l.width == 2) {
      EXPECT_EQ(l.y2, 285 + 78);
    }
}

}  // namespace
}  // namespace mv::test
