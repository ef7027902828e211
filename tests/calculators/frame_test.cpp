// The calculators' shared loop: which keys stand for the default button, and what
// ends the loop.
#include "calculators/frame.h"

#include <gtest/gtest.h>

#include "common/test_support.h"
#include "common/window_steps.h"
#include "kit/protocol.h"
#include "runtime/windows.h"

namespace mv::calc {
namespace {

constexpr int16_t kCompute = 3, kDone = 4;

class CalculatorFrameTest : public test::ProgramTest, public test::WindowSteps {
 protected:
  int RunWith(std::vector<Step> steps) {
    OpenCalculatorWindow("Frame", 50, 50, 250, 150);
    rt::NewControl(kCompute, rt::ControlType::DefaultButton, "Compute", Rect{10, 60, 90, 80}, 1);
    rt::NewControl(kDone, rt::ControlType::PushButton, "Done", Rect{110, 60, 190, 80}, 1);
    steps.insert(steps.begin(), Until(kCalculatorWindow));
    Drive(std::move(steps), [] { rt::CloseWindow(kCalculatorWindow); });
    int computed = 0;
    LoopRules rules;
    rules.defaultButton = kCompute;
    rules.doneButton = kDone;
    RunCalculatorLoop(rules, [&](int16_t button) {
      computed += button == kCompute ? 1 : 0;
      return false;
    });
    EXPECT_TRUE(ScriptDone());
    EXPECT_FALSE(rt::WindowExists(kCalculatorWindow));
    return computed;
  }
};

TEST_F(CalculatorFrameTest, OnlyReturnAndEnterStandForTheDefaultButton) {
  // A letter typed with no field active arrives as a key carrying its character.
  EXPECT_EQ(RunWith({Do([] { doDIALOG(16, 'x'); }), Do([] { doDIALOG(16, 13); }), Do([] { doDIALOG(16, 3); }),
                     Click(kCalculatorWindow, kDone)}),
            2);
}

TEST_F(CalculatorFrameTest, AChangeOfTheFrontWindowNeverEndsTheLoop) {
  // Window 8 losing the front (help read beside it, another program), another window
  // coming forward, window 8 coming back: the loop goes on to the next click.
  EXPECT_EQ(RunWith({Do([] { doDIALOG(18, -kCalculatorWindow); }), Do([] { doDIALOG(18, 1); }),
                     Do([] { doDIALOG(18, kCalculatorWindow); }), Do([] { doDIALOG(3, 2); }),
                     Click(kCalculatorWindow, kCompute), Click(kCalculatorWindow, kDone)}),
            1);
}

TEST_F(CalculatorFrameTest, OnlyItsOwnCloseBoxEndsTheLoop) {
  EXPECT_EQ(RunWith({Do([] { doDIALOG(4, 777); }), Click(kCalculatorWindow, kCompute),
                     CloseBox(kCalculatorWindow)}),
            1);
}

}  // namespace
}  // namespace mv::calc
