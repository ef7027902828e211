#include "calculators/regression.h"

#include <cmath>
#include <limits>
#include <string>

#include "calculators/frame.h"
#include "calculators/regression_export.h"
#include "calculators/regression_plot.h"
#include "calculators/safe_file.h"
#include "calculators/state.h"
#include "conversions/state.h"
#include "kit/builders.h"
#include "kit/format.h"
#include "kit/protocol.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/panels.h"
#include "runtime/windows.h"

namespace mv::calc {
namespace {

constexpr int16_t kLinear = 1, kPolynomial = 2, kHelp = 3, kCalculate = 10, kPredictY = 11, kPredictX = 12,
                  kSave = 65, kDone = 66;
constexpr int16_t kHelpTopic = 191;
constexpr int16_t kEquation = 62, kSquare = 63, kCaution = 60, kLeftOut = 59;
constexpr int16_t kA = 51, kB = 56, kCLabel = 57, kC = 58, kX = 41, kY = 46;
constexpr int kRows = 20;

struct Window {
  int16_t model = kLinearModel;
  // The last fit's coefficients as computed; a, b and c also go to the program-wide
  // single-precision aval, bval and exponent.
  double a = 0, b = 0, c = 0;
  bool plotOpen = false;
  // The predictions, shown with the display's digits, held as computed: a predicted
  // X left in its field predicts Y from the X computed, not from its rounded text.
  HeldValues predictions;
};

void Text(int16_t number, const Str255& text, Rect r, int16_t justification, double size) {
  EFForeColor = 0;
  EFBackColor = 0;
  BUILDEF(number, text, r.left, r.top, r.right, r.bottom, 7, justification);
  rt::SetEditColors(number, RGBColor{0, 0, 0}, kThemeBackground);
  rt::SetEditFont(number, KitFont(KestraneFont, size));
}

void EntryField(int16_t number, const Str255& text, Rect r, int16_t fore, int16_t back, double size) {
  EFForeColor = fore;
  EFBackColor = back;
  BUILDEF(number, text, r.left, r.top, r.right, r.bottom, 3, 1);
  rt::SetEditFont(number, KitFont(KestraneFont, size));
  rt::SelectEditText(number, 0, 0);
}

// A blank row shows blank; a row that counted shows both its numbers as typed, 0
// included, so that a calculation after reopening reads the same values.
Str255 TableText(std::size_t row, double v) {
  return SimpleRegressionRowPresent[row] ? Str255(ExactText(v)) : Str255(" ");
}

void BuildTable() {
  Text(70, "X values", {300, 14, 395, 34}, 2, 14);
  Text(71, "Y values", {405, 14, 500, 34}, 2, 14);
  for (int16_t i = 1; i <= kRows; ++i) {
    const auto top = static_cast<int16_t>(40 + 22 * (i - 1));
    const auto bottom = static_cast<int16_t>(top + 20);
    const auto r = static_cast<std::size_t>(i);
    const auto& row = SimpleRegressionDataArray[r];
    Text(static_cast<int16_t>(300 + i), NumberText(i), {262, top, 295, bottom}, 3, 12);
    EntryField(static_cast<int16_t>(100 + i), TableText(r, row[2]), {300, top, 395, bottom}, 0, 6, 12);
    EntryField(static_cast<int16_t>(200 + i), TableText(r, row[1]), {405, top, 500, bottom}, 0, 6, 12);
  }
}

void BuildControls() {
  Text(kEquation, "Y = a + b * X", {5, 20, 215, 42}, 3, 16);
  Text(kSquare, "", {216, 12, 232, 28}, 1, 11);
  rt::NewControl(kLinear, rt::ControlType::RadioButton, " Linear model", {20, 55, 220, 73}, 2);
  rt::NewControl(kPolynomial, rt::ControlType::RadioButton, " 2-order polynomial", {20, 78, 220, 96}, 1);
  rt::NewControl(kCalculate, rt::ControlType::PushButton, "Calculate Regression", {20, 108, 230, 132}, 1);
  Text(50, "a value:", {5, 151, 80, 171}, 3, 12);
  EntryField(kA, " ", {85, 148, 240, 172}, 1, 1, 16);
  Text(55, "b value:", {5, 183, 80, 203}, 3, 12);
  EntryField(kB, " ", {85, 180, 240, 204}, 1, 1, 16);
  Text(40, "X:", {5, 253, 40, 273}, 3, 14);
  EntryField(kX, " ", {45, 250, 240, 274}, 3, 8, 16);
  Text(45, "Y:", {5, 285, 40, 305}, 3, 14);
  EntryField(kY, " ", {45, 282, 240, 306}, 2, 8, 16);
  rt::NewControl(kPredictY, rt::ControlType::PushButton, "Predict Y from X", {30, 318, 230, 342}, 0);
  rt::NewControl(kPredictX, rt::ControlType::PushButton, "Predict X from Y", {30, 348, 230, 372}, 0);
  Text(kCaution, " ", {2, 380, 258, 398}, 2, 10);
  Text(kLeftOut, " ", {2, 402, 258, 478}, 1, 12);
  rt::SetEditColors(kLeftOut, RGBColor{65535, 0, 0}, kThemeBackground);
  rt::NewControl(kHelp, rt::ControlType::PushButton, "?", {20, 488, 50, 510}, 1);
  rt::NewControl(kSave, rt::ControlType::PushButton, "Save Data\xC9", {140, 488, 250, 510}, 0);
  rt::NewControl(kDone, rt::ControlType::PushButton, "Done", {400, 488, 500, 510}, 1);
}

void ChooseLinear(Window& w) {
  rt::SetControlState(kLinear, 2);
  rt::SetControlState(kPolynomial, 1);
  SetFieldText(kEquation, " Y = a  + b * X");
  SetFieldText(kSquare, " ");
  SetFieldText(kCaution, " ");
  if (rt::EditFieldExists(kCLabel)) rt::DisposeEditField(kCLabel);
  if (rt::EditFieldExists(kC)) rt::DisposeEditField(kC);
  ActivateField(101);
  w.model = kLinearModel;
}

void ChoosePolynomial(Window& w) {
  rt::SetControlState(kPolynomial, 2);
  rt::SetControlState(kLinear, 1);
  SetFieldText(kEquation, "Y = a  + b * X  + c * X");
  SetFieldText(kSquare, "2");
  Text(kCLabel, "c value:", {5, 215, 80, 235}, 3, 12);
  EntryField(kC, " ", {85, 212, 240, 236}, 1, 1, 16);
  SetFieldText(kCaution, "Caution:  X from Y does not always work for polynomials");
  ActivateField(101);
  w.model = kPolynomialModel;
}

// A prediction is computed in double precision from the value typed and the fit; one
// without a value says why instead of showing a NaN or an infinity.
void ShowPrediction(Window& w, int16_t field, double v, const char* why) {
  if (UsableResult(field, v, why)) w.predictions.ShowPlain(field, v);
}

void PredictY(Window& w) {
  const double x = w.predictions.Value(kX);
  double y = w.a + w.b * x;
  if (w.model == kPolynomialModel) y += w.c * x * x;
  ShowPrediction(w, kY, y, kOutOfRangeReason);
}

// X from Y: the straight line inverted, or the positive root of the parabola. A
// parabola whose c is 0 is the straight line. A flat line (b = 0) or a Y the parabola
// never reaches (negative discriminant) has no X to show.
void PredictX(Window& w) {
  const double y = w.predictions.Value(kY);
  const double a = w.a, b = w.b, c = w.c;
  if (w.model == kPolynomialModel && c != 0.0) {
    const double discriminant = b * b - 4.0 * c * (a - y);
    ShowPrediction(w, kX, (std::sqrt(discriminant) - b) / (2.0 * c),
                   discriminant < 0 ? "the curve never reaches this Y" : kOutOfRangeReason);
  } else {
    ShowPrediction(w, kX, (y - a) / b, b == 0 ? "the line is flat" : kOutOfRangeReason);
  }
}

// What keeps one field of a row from giving its number, or nothing.
std::string EntryFault(const Entry& e, const char* name) {
  switch (e.kind) {
    case EntryKind::Blank:
      return std::string("no ") + name;
    case EntryKind::NotANumber:
      return std::string(name) + " is not a number";
    case EntryKind::TooLarge:
      return std::string(name) + " is too large";
    case EntryKind::Number:
      break;
  }
  return "";
}

// Why a row with text is left out of the fit; nothing for a point (two numbers) or a
// gap (two blanks).
std::string RowFault(const Entry& x, const Entry& y) {
  if (x.kind == EntryKind::Blank && y.kind == EntryKind::Blank) return "";
  std::string fx = EntryFault(x, "X"), fy = EntryFault(y, "Y");
  // Beside a field that is wrong, a blank one needs no word of its own.
  if (x.kind == EntryKind::Blank && !fy.empty()) fx.clear();
  if (y.kind == EntryKind::Blank && !fx.empty()) fy.clear();
  if (fx.empty()) return fy;
  if (fy.empty()) return fx;
  return fx + " and " + fy;
}

// Reads the table into SimpleRegressionDataArray: a row is a point only when both
// its fields hold numbers; a row with one number, or text that is no number, is left
// out and named in the message under the predictions. Returns the number of points.
int16_t ReadTable() {
  int16_t n = 0;
  std::string leftOut;
  for (int16_t i = 1; i <= kRows; ++i) {
    const auto r = static_cast<std::size_t>(i);
    const Entry x = ReadEntry(rt::EditText(static_cast<int16_t>(100 + i)));
    const Entry y = ReadEntry(rt::EditText(static_cast<int16_t>(200 + i)));
    const std::string fault = RowFault(x, y);
    const bool point = x.kind == EntryKind::Number && y.kind == EntryKind::Number && fault.empty();
    SimpleRegressionRowPresent[r] = point;
    SimpleRegressionDataArray[r][2] = point ? x.value : 0.0;
    SimpleRegressionDataArray[r][1] = point ? y.value : 0.0;
    if (point) ++n;
    if (!fault.empty())
      leftOut += (leftOut.empty() ? "Left out: row " : "; row ") + std::to_string(i) + ", " + fault;
  }
  SetFieldText(kLeftOut, leftOut.empty() ? Str255(" ") : Str255(leftOut + "."));
  return n;
}

// A table that gives no line: no coefficients to show or predict from, and the a
// field saying why, with the buzz. A plot of too few points is erased.
void ShowNoFit(Window& w, const std::string& why, bool erasePlot) {
  if (w.plotOpen && erasePlot) {
    rt::SetOutputWindow(kRegressionPlotWindow);
    ClearRegressionPlot(why);
    rt::FlushWindow();
    rt::SetOutputWindow(kCalculatorWindow);
  }
  SetFieldText(kB, " ");
  SetFieldText(kC, " ");
  ShowNoResult(kA, why);
  rt::SetControlState(kPredictY, 0);
  rt::SetControlState(kPredictX, 0);
}

void Calculate(Window& w) {
  // Blank rows are gaps, not (0, 0) points: the rows with two numbers are fitted in order.
  const int16_t n = ReadTable();
  if (n < 3) {
    ShowNoFit(w, n == 1 ? "1 point; 3 are needed" : std::to_string(n) + " points; 3 are needed", true);
    return;
  }
  rt::SetControlState(kSave, 1);
  if (!w.plotOpen) {
    BuildRegressionPlotWindow();
    // The plot stands beside the calculator, which stays the window the user works in.
    rt::BringWindowForward(kCalculatorWindow);
    w.plotOpen = true;
    rt::SetOutputWindow(kRegressionPlotWindow);
  } else {
    rt::SetOutputWindow(kRegressionPlotWindow);
    ClearArea(0, 0, 600, 380);
  }
  const std::string refusal = DRAWthisREGRESSION(w.model);
  rt::FlushWindow();
  rt::SetOutputWindow(kCalculatorWindow);
  if (!refusal.empty()) {
    // Nothing to predict from: the last fit's coefficients no longer match the table.
    ShowNoFit(w, refusal, false);
    return;
  }
  w.a = SimpleRegressionDataArray[1][0];
  w.b = SimpleRegressionDataArray[2][0];
  w.c = SimpleRegressionDataArray[3][0];
  SetFieldPlain(kA, w.a);
  SetFieldPlain(kB, w.b);
  SetFieldPlain(kC, w.c);
  rt::SetControlState(kPredictY, 1);
  rt::SetControlState(kPredictX, 1);
}

// The points of the last calculation; a failed write leaves the file as it was.
void Export() {
  const auto path = rt::SaveFilePanel("File for regression data", "Regression data.csv");
  if (!path) return;
  RegressionDataCFURL = *path;
  if (!WriteFileReplacing(*path, RegressionCsv())) rt::ReportError(-36);  // an I/O error
}

bool OnButton(Window& w, int16_t button) {
  switch (button) {
    case kLinear:
      ChooseLinear(w);
      break;
    case kPolynomial:
      ChoosePolynomial(w);
      break;
    case kHelp:
      ShowCalculatorHelp(kHelpTopic);
      break;
    case kCalculate:
      Calculate(w);
      break;
    case kPredictY:
      PredictY(w);
      break;
    case kPredictX:
      PredictX(w);
      break;
    case kSave:
      Export();
      break;
    case kDone:
      return true;
    default:
      break;
  }
  return false;
}

}  // namespace

void SimpleRegression() {
  OpenCalculatorWindow("Simple Regression ", 100, 80, 100 + 520, 80 + 520);
  BuildTable();
  BuildControls();
  ActivateField(101);
  Window w;
  // Return does nothing here; the plot window's close box closes only the plot.
  LoopRules rules;
  rules.doneButton = kDone;
  RunCalculatorLoop(rules, [&w](int16_t button) { return OnButton(w, button); });
  if (rt::WindowExists(kRegressionPlotWindow)) rt::CloseWindow(kRegressionPlotWindow);
}

}  // namespace mv::calc
