#include "calculators/closed_system.h"

#include <string>
#include <tuple>

#include "calculators/closed_system_calc.h"
#include "calculators/frame.h"
#include "kit/builders.h"
#include "kit/protocol.h"
#include "kit/state.h"
#include "kit/subscript.h"
#include "runtime/events.h"
#include "runtime/macroman.h"
#include "runtime/windows.h"

namespace mv::calc {
namespace {

constexpr int16_t kCalculate = 1, kDone = 2, kHelp = 3, kAbsorbed = 4, kUseCO2 = 5, kUseRQ = 6;
constexpr int16_t kHelpTopic = 140;

// A label in the display font, its right end at x (UTF-8: the subscript two is no Mac Roman character).
void RightLabel(int16_t xRight, int16_t baseline, const std::string& utf8, double size = 14) {
  const rt::FontSpec font = KitFont(KestraneFont, size);
  const int width = rt::TextWidth(Utf8ToMacRoman(utf8), font);
  rt::DrawTextUtf8(xRight - width, baseline, utf8, font, RGBColor{0, 0, 0});
}

void LeftLabel(int16_t x, int16_t baseline, const std::string& utf8, double size = 14) {
  rt::DrawTextUtf8(x, baseline, utf8, KitFont(KestraneFont, size), RGBColor{0, 0, 0});
}

void EntryField(int16_t number, const char* text, int16_t left, int16_t top, int16_t width) {
  EFForeColor = 1;
  EFBackColor = 1;
  BUILDEF(number, text, left, top, left + width, top + 22, 3, 2);
  rt::FontSpec f = KitFont(KestraneFont, 14);
  f.bold = true;
  rt::SetEditFont(number, f);
}

void ResultField(int16_t number, int16_t left, int16_t top, int16_t width) {
  EFForeColor = 2;
  EFBackColor = 8;
  BUILDEF(number, "1", left, top, left + width, top + 26, 3, 2);
  rt::FontSpec f = KitFont(KestraneFont, 18);
  f.bold = true;
  rt::SetEditFont(number, f);
}

struct Entry {
  int16_t field;
  const char* label;
  const char* text;
  int16_t labelRight, top;
};

void BuildLayout() {
  const rt::FontSpec heading = KitFont(KestraneFont, 18);
  const char* title = "Assumes chamber gas is dried before measurement";
  rt::DrawText((570 - rt::TextWidth(title, heading)) / 2, 28, title, heading, RGBColor{0, 0, 0});
  const Entry entries[] = {
      {112, "temperature (°C):", "20", 190, 42},
      {113, "pressure (torr):", "760", 440, 42},
      {114, "initial humidity (%):", "0", 190, 72},
      {111, "system volume (ml):", "1000", 440, 72},
      {115, "elapsed time     hours:", "1", 190, 102},
      {116, "minutes:", "22", 440, 102},
      {210, "Initial concentrations    FiO2: ", "20.95", 255, 148},
      {211, "FiCO₂: ", ".038", 465, 148},
      {117, "change in O₂ concentration (%): ", ".5", 300, 178},
      {118, "change in CO₂ concentration (%): ", ".5", 300, 208},
      {119, "RQ:", ".85", 440, 208},
  };
  for (const Entry& e : entries) {
    RightLabel(e.labelRight, e.top + 16, e.label);
    EntryField(e.field, e.text, e.labelRight + 5, e.top, 75);
  }
  LeftLabel(340, 164, "%");
  LeftLabel(550, 164, "%");
  DoubleLINE(10, 555, 135);
  DoubleLINE(10, 555, 241);

  BUILDBUTTON(kAbsorbed, 2, "For VO2, CO2 is Absorbed", 30, 252, 2, 0);
  BUILDBUTTON(kUseCO2, 2, "Use [CO2]", 290, 252, 3, 0);
  BUILDBUTTON(kUseRQ, 1, "Use RQ", 410, 252, 3, 0);

  rt::SetTextFont(KitFont(KestraneFont, 16));
  rt::SetTextColor(RGBColor{0, 0, 0});
  DoSubscript(12, 298, "VO", "2", " = ", 4);
  DoSubscript(12, 332, "VCO", "2", " = ", 4);
  ResultField(212, 78, 278, 150);
  ResultField(213, 292, 278, 175);
  ResultField(214, 78, 312, 150);
  ResultField(215, 292, 312, 175);
  LeftLabel(230, 297, " ml, or ");
  LeftLabel(470, 297, " ml/min");
  LeftLabel(230, 331, " ml, or ");
  LeftLabel(470, 331, " ml/min");

  rt::NewControl(kHelp, rt::ControlType::PushButton, "?", {20, 352, 50, 374}, 1);
  rt::NewControl(kCalculate, rt::ControlType::PushButton, "Calculate", {370, 352, 460, 374}, 1);
  rt::NewControl(kDone, rt::ControlType::PushButton, "Done", {470, 352, 555, 374}, 1);
}

// No fall of O2 or rise of CO2 to compute with: the field is empty, holds no number, or
// a change of 0 or the wrong way. The same test as the computation's, so the method
// marked is the one it computes by (a rise of O2 typed as -.5 computes VCO2 by the RQ,
// and "Use RQ" is what is marked).
bool NoChange(int16_t field) {
  return !(FieldValue(field) > 0.0f);
}

// The correction of VO2 the user chose, and the one marked and computed with. Without
// a fall of O2 or a rise of CO2 only the RQ correction is possible, so "Use RQ" is
// marked for as long as that lasts; once both changes are there again, the user's own
// choice is marked again. The choice is kept apart so that a field passing through 0
// while a number is typed (".6", "0.6") never changes it. Without a rise of CO2 the
// box cannot be changed, but it keeps showing its mark: while it is marked VO2 follows
// the absorbed rule (CO2 taken up in the chamber never rises), and two windows that
// look alike never compute by different rules.
struct Method {
  int16_t absorbed = 1;
  int16_t chosenRQ = 0;
  int16_t useRQ = 0;

  void ApplyEnablingRule() {
    rt::SetOutputWindow(kCalculatorWindow);
    const bool noCO2 = NoChange(118);
    useRQ = noCO2 || NoChange(117) ? 1 : chosenRQ;
    rt::SetControlState(kAbsorbed, absorbed == 1 ? 2 : 1);
    rt::SetControlState(kUseRQ, useRQ == 1 ? 2 : 1);
    rt::SetControlState(kUseCO2, useRQ == 1 ? 1 : 2);
    rt::SetControlDimmed(kAbsorbed, noCO2);
    rt::SetControlDimmed(kUseCO2, noCO2);
  }

  void Choose(int16_t rq) {
    chosenRQ = rq;
    ApplyEnablingRule();
  }

  // Computes by the method marked for the entries as they stand.
  void Calculate() {
    ApplyEnablingRule();
    ClosedSystemRespCalc(absorbed, useRQ);
  }
};

}  // namespace

void ClosedSystemRespCalc(int16_t absorbed, int16_t useRQ) {
  ClosedSystemInputs in;
  in.volume = FieldValue(111);
  in.temperature = FieldValue(112);
  in.pressure = FieldValue(113);
  in.humidity = FieldValue(114);
  in.hours = FieldValue(115);
  in.minutes = FieldValue(116);
  in.deltaO2 = FieldValue(117);
  in.deltaCO2 = FieldValue(118);
  in.rq = FieldValue(119);
  in.fiO2 = FieldValue(210);
  in.fiCO2 = FieldValue(211);
  const ClosedSystemResult r = ClosedSystemCompute(in, absorbed != 0, useRQ != 0);
  // A rate without elapsed time, or a zero denominator, is no number: the field says
  // so, with one refusal buzz for the lot.
  const char* perMinuteWhy = r.minutes == 0 ? "no elapsed time" : kOutOfRangeReason;
  const std::tuple<int16_t, float, const char*> results[] = {{212, r.vo2, kOutOfRangeReason},
                                                             {213, r.vo2PerMinute, perMinuteWhy},
                                                             {214, r.vco2, kOutOfRangeReason},
                                                             {215, r.vco2PerMinute, perMinuteWhy}};
  for (const auto& [field, value, why] : results) {
    if (UsableResult(field, value, why)) SetFieldFormatter(field, value);
  }
  ActivateField(0);
}

void ClosedSystemRespirometry() {
  OpenCalculatorWindow("Closed System Respirometry", 50, 100, 50 + 570, 100 + 388);
  BuildLayout();
  Method method;
  method.Calculate();
  // Return does nothing here: there is no default button.
  LoopRules rules;
  rules.doneButton = kDone;
  rules.afterPass = [&] { method.ApplyEnablingRule(); };
  RunCalculatorLoop(rules, [&](int16_t button) {
    switch (button) {
      case kCalculate:
        method.Calculate();
        break;
      case kHelp:
        rt::FlushEvents();
        ShowCalculatorHelp(kHelpTopic);
        break;
      case kAbsorbed:
        method.absorbed = method.absorbed == 1 ? 0 : 1;
        rt::SetControlState(kAbsorbed, method.absorbed == 1 ? 2 : 1);
        break;
      case kUseCO2:
        method.Choose(0);
        break;
      case kUseRQ:
        method.Choose(1);
        break;
      default:
        break;
    }
    return false;
  });
}

}  // namespace mv::calc
