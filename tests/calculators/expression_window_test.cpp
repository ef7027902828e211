// The expression evaluator window driven from the event pump as a user would.
#include "calculators/expression_window.h"

#include <gtest/gtest.h>

#include "kit/protocol.h"
#include "kit/state.h"
#include "math_driver.h"
#include "runtime/help.h"

namespace mv::calc {
namespace {

using namespace expression_item;
constexpr int16_t W = 8;

class ExpressionWindowTest : public test::math_calc::WindowTest {
 protected:
  static Step Expect(int16_t field, std::string text) {
    return Do([field, text] {
      rt::SetOutputWindow(W);
      EXPECT_EQ(rt::EditText(field), text) << "field " << field;
    });
  }
  static Step EvaluateState(int16_t state) {
    return Do([state] {
      rt::SetOutputWindow(W);
      EXPECT_EQ(rt::ControlState(kEvaluate), state);
    });
  }
};

TEST_F(ExpressionWindowTest, TheExampleChecksAndEvaluatesToSixteenPointZeroFive) {
  Drive({Until(W), EvaluateState(0), Expect(kMessage, ""), Expect(kX, "1"), Expect(kY, "2.01"),
         Expect(kFormula, "10*(x + y)/2.0 + sin( \xB9*0.5 ) `[ example ]`"), Click(W, kCheck),
         Expect(kMessage, kExpressionOkText), EvaluateState(1), Click(W, kEvaluate),
         Expect(kResult, " 16.05"), Shot(W, "w8-expression-evaluator.png"), Click(W, kDone)});
  Action = 0;
  EventID = 7;
  ExpressionEvaluator();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_EQ(Action, ActionCode::Redraw);
  EXPECT_EQ(EventID, 0);
}

TEST_F(ExpressionWindowTest, AFailedCheckShowsTheMessageAtTheFaultAndDimsEvaluate) {
  Drive({Until(W), Click(W, kCheck), EvaluateState(1), Click(W, kEvaluate), Type(W, kFormula, "x + z*2"),
         Click(W, kCheck), Expect(kMessage, "Name or symbol not recognisable"), Expect(kResult, ""),
         EvaluateState(0), Do([] {
           rt::SetOutputWindow(W);
           EXPECT_EQ(rt::FocusedEditField(), kFormula);
           EXPECT_EQ(rt::EditSelection(kFormula), std::make_pair(4, 4));
         }),
         Shot(W, "w8-expression-evaluator-error.png"), Click(W, kDone)});
  ExpressionEvaluator();
  EXPECT_TRUE(ScriptDone());
}

TEST_F(ExpressionWindowTest, EvaluateNeverShowsTheResultOfAFormulaNoLongerOnScreen) {
  Drive({Until(W), Click(W, kCheck), Type(W, kFormula, "x*100"), Click(W, kEvaluate),
         // The edited formula is checked again before it is run.
         Expect(kResult, " 100"), Expect(kMessage, kExpressionOkText), Type(W, kFormula, "not checked $"),
         Click(W, kEvaluate), Expect(kResult, ""), Expect(kMessage, "Name or symbol not recognisable"),
         EvaluateState(0), Type(W, kFormula, "x*2 + y"), Click(W, kCheck), Type(W, kX, "4"),
         Type(W, kY, "0.5"), Click(W, kEvaluate), Expect(kResult, " 8.5"), Type(W, kX, "abc"),
         Click(W, kEvaluate), Expect(kResult, " 0.5"), Type(W, kFormula, "1/x"), Click(W, kEvaluate),
         Expect(kResult, "no result: no number for this x and y"), Click(W, kHelp), Click(W, kDone)});
  ExpressionEvaluator();
  EXPECT_TRUE(ScriptDone());
  EXPECT_NE(rt::HelpPageShown().find("expEval.html"), std::string::npos);
}

TEST_F(ExpressionWindowTest, AFormulaTooLongIsRefusedWithTheCursorAtTheLimit) {
  Drive({Until(W), Type(W, kFormula, "x" + std::string(260, '+') + "1"), Click(W, kCheck),
         Expect(kMessage, "Expression too long"), EvaluateState(0), Do([] {
           rt::SetOutputWindow(W);
           EXPECT_EQ(rt::EditSelection(kFormula), std::make_pair(255, 255));
         }),
         Click(W, kDone)});
  ExpressionEvaluator();
  EXPECT_TRUE(ScriptDone());
}

TEST_F(ExpressionWindowTest, ActivationChangesNothingAndTheCloseBoxEndsIt) {
  Drive({Until(W), Do([] { doDIALOG(3, 8); }), Do([] { doDIALOG(3, -8); }),
         Do([] { EXPECT_TRUE(rt::WindowExists(W)); }), CloseBox(W)});
  ExpressionEvaluator();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_EQ(Action, ActionCode::Redraw);
}

}  // namespace
}  // namespace mv::calc
