// The expression evaluator: a formula in x and y is written, checked and
// evaluated for typed values of x and y, in window 8.
#pragma once
#include <cstdint>

namespace mv::calc {

// Item numbers of the window.
namespace expression_item {
constexpr int16_t kX = 101, kY = 102, kResult = 103, kFormula = 104, kMessage = 333;
constexpr int16_t kCheck = 141, kEvaluate = 142, kHelp = 150, kDone = 250;
}  // namespace expression_item

constexpr const char* kExpressionOkText = " No problems found.  Expression apparently is OK.";

// Modal until Done or the close box; leaves Action 5 and EventID 0.
void ExpressionEvaluator();

// The "Check Expression" and "Evaluate" buttons.
void DoEEvParse();
void DoEvaluate();

}  // namespace mv::calc
