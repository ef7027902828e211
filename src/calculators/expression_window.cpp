#include "calculators/expression_window.h"

#include <optional>
#include <string>

#include "calculators/expression.h"
#include "calculators/frame.h"
#include "kit/builders.h"
#include "kit/format.h"
#include "kit/state.h"
#include "runtime/windows.h"

namespace mv::calc {

namespace {

using namespace expression_item;

constexpr int16_t kHelpTopic = 193;
constexpr RGBColor kLabelColor{0, 0, 0};

// The code of the last successful check and the formula it was made from. Evaluate
// runs the code only while the formula on screen is still that text.
CompiledExpression lastChecked;
std::optional<std::string> lastCheckedText;

void Field(int16_t number, const Str255& text, Rect r, int16_t type, int16_t justification, int16_t fore,
           int16_t back) {
  EFForeColor = fore;
  EFBackColor = back;
  BUILDEF(number, text, r.left, r.top, r.right, r.bottom, type, justification);
}

void BuildFuncDefWind() {
  lastCheckedText.reset();
  OpenCalculatorWindow("Numeric Expression Evaluator", 200, 60, 602, 412);
  SetWindowBackground(LightGray, true);
  EmbossPrintAt(1, "write expression here:", 8, 32, 14);
  const rt::FontSpec label = KitFont(0, 14);
  rt::DrawText(5, 300, "x:", label, kLabelColor);
  rt::DrawText(190, 300, "y:", label, kLabelColor);
  rt::DrawText(7, 334, "result:", label, kLabelColor);

  const Str255 example = "10*(x + y)/2.0 + sin( " + piValue + "*0.5 ) `[ example ]`";
  Field(kFormula, example, Rect{6, 39, 397, 181}, 0, 1, 0, 1);  // black on light blue
  Field(kMessage, "", Rect{5, 189, 325, 207}, 7, 1, 0, 9);
  rt::SetEditFont(kMessage, KitFont(0, 12));
  rt::NewControl(kCheck, rt::ControlType::PushButton, "Check Expression", Rect{5, 220, 145, 242}, 1);
  rt::NewControl(kHelp, rt::ControlType::PushButton, "?", Rect{170, 220, 210, 242}, 1);
  rt::NewControl(kEvaluate, rt::ControlType::PushButton, "Evaluate", Rect{5, 250, 145, 272}, 0);
  Field(kX, "1", Rect{22, 288, 150, 305}, 3, 2, 0, 1);
  Field(kY, "2.01", Rect{212, 288, 340, 305}, 3, 2, 0, 1);
  Field(kResult, "", Rect{65, 320, 325, 339}, 7, 2, 2, 5);  // red on the sunset colour
  rt::NewControl(kDone, rt::ControlType::PushButton, "Done", Rect{340, 320, 395, 340}, 1);
  EFForeColor = 0;
  EFBackColor = 6;

  // The formula field has the focus with the insertion point at its end.
  rt::FocusEditField(kFormula);
  const int end = static_cast<int>(example.size());
  rt::SelectEditText(kFormula, end, end);
  rt::FlushWindow();
}

bool OnButton(int16_t button) {
  switch (button) {
    case kCheck:
      DoEEvParse();
      break;
    case kEvaluate:
      DoEvaluate();
      break;
    case kHelp:
      ShowCalculatorHelp(kHelpTopic);
      rt::BringWindowForward(kCalculatorWindow);
      break;
    default:
      break;
  }
  return false;
}

}  // namespace

void DoEEvParse() {
  SetFieldText(kMessage, "");
  rt::FocusEditField(kFormula);
  const std::string text = rt::EditFieldExists(kFormula) ? rt::EditText(kFormula) : std::string();
  SetFieldText(kResult, "");
  const ParseOutcome out = ParseText("x", "y", text);
  if (out.ok) {
    lastChecked = out.compiled;
    lastCheckedText = text;
    rt::SetControlState(kEvaluate, 1);
    SetFieldText(kMessage, kExpressionOkText);
  } else {
    lastCheckedText.reset();
    rt::SetControlState(kEvaluate, 0);
    SetFieldText(kMessage, out.message);
    rt::SelectEditText(kFormula, out.errorPosition, out.errorPosition);
  }
}

void DoEvaluate() {
  // A formula edited since its check is checked again first, so the result always
  // belongs to the formula on screen.
  const std::string text = rt::EditFieldExists(kFormula) ? rt::EditText(kFormula) : std::string();
  if (lastCheckedText != text) {
    DoEEvParse();
    if (lastCheckedText != text) return;
  }
  const double x = FieldValueDouble(kX);
  const double y = FieldValueDouble(kY);
  int16_t error = 0;
  const double result = Evaluate(lastChecked, x, y, error);
  rt::FontSpec font = KitFont(0, 14);
  font.bold = true;
  rt::SetEditFont(kResult, font);
  if (UsableResult(kResult, result, "no number for this x and y")) SetFieldText(kResult, NumberText(result));
}

void ExpressionEvaluator() {
  BuildFuncDefWind();
  LoopRules rules;
  rules.doneButton = kDone;
  RunCalculatorLoop(rules, OnButton);
  Action = ActionCode::Redraw;
  EventID = 0;
}

}  // namespace mv::calc
