#include "calculators/metabolism.h"

#include <cmath>
#include <string>

#include "calculators/frame.h"
#include "calculators/metabolism_calc.h"
#include "calculators/metabolism_table.h"
#include "calculators/state.h"
#include "kit/builders.h"
#include "kit/format.h"
#include "kit/popups.h"
#include "kit/protocol.h"
#include "kit/state.h"
#include "kit/subscript.h"
#include "runtime/events.h"
#include "runtime/macroman.h"
#include "runtime/menus.h"
#include "runtime/windows.h"

namespace mv::calc {
namespace {

constexpr int16_t kCompute = 2, kDone = 3, kGrams = 30, kKilograms = 31, kUnits = 58, kHelp = 334,
                  kActivity = 330, kMlPerMin = 444, kLPerMin = 445, kWater = 666;
constexpr int16_t kHelpTopic = 160;
constexpr int16_t kCustomItem = 13;

// The window's own state; the program-wide values it keeps are in calculators/state.h.
struct Window {
  int16_t form = 0;
  int16_t list = kMainList;  // L
  int16_t item = 1;          // S
  int16_t unit = 1;          // U
  int16_t kg = 0;            // K
  int16_t useTyped = 1;      // T
  int16_t multiple = 1;      // k
  int16_t litres = 0;        // W
  bool customShown = false;
  float mr = 0;
};

// The whole-animal exponent b of the equation shown (its a is ValueOfA), and what
// the window last wrote into the coefficient and exponent fields. A field that still
// holds what was written is not read back: its text is rounded, and the equation
// would drift with every unit or mass change.
struct ShownEquation {
  float b = 0.751f;
  std::string coefficient, exponent;
  bool perMass = false;
};
ShownEquation shown;
// The mass, temperatures and Q10 a reopened window writes with the display's digits,
// held as they were remembered.
HeldValues held;

// The exponent field as the whole-animal b: what was typed or listed there, else b.
float ExponentOfField(int16_t unit) {
  if (rt::EditText(113) == shown.exponent) return shown.b;
  return WholeAnimalExponent(unit, FieldValue(113));
}

void Label(int16_t x, int16_t baseline, const std::string& utf8, double size = 12) {
  rt::DrawTextUtf8(x, baseline, utf8, KitFont(KestraneFont, size), RGBColor{0, 0, 0});
}

void Field(int16_t number, const Str255& text, Rect r, int16_t type, double size) {
  EFForeColor = 0;
  EFBackColor = 6;
  BUILDEF(number, text, r.left, r.top, r.right, r.bottom, type, 2);
  rt::SetEditFont(number, KitFont(KestraneFont, size));
}

void Radio(int16_t number, const char* title, int16_t x, int16_t y, bool on) {
  rt::NewControl(number, rt::ControlType::RadioButton, title,
                 {x, y, static_cast<int16_t>(x + 70), static_cast<int16_t>(y + 18)}, on ? 2 : 1);
}

void ShowTaxonPopup(int16_t list, int16_t item) {
  for (int16_t id = kMainList; id <= kMammalList; ++id) {
    if (rt::ControlExists(id)) rt::DisposeControl(id);
  }
  BuildTaxonList(list, kPopupMenu);
  rt::NewPopupControl(list, kPopupMenu, "", {15, 30, 330, 52}, item);
}

// The water popup and the oxygen label follow whether the fish list is shown.
void ShowWaterChoice() {
  if (rt::ControlExists(kWater)) rt::DisposeControl(kWater);
  // The flow panel exists only in the wider form of the window.
  if (rt::WindowContentRect(kCalculatorWindow).width() < 400) return;
  ClearArea(362, 84, 472, 102);
  if (FishMR != 0) {
    if (PartsPerThousand == 0) PartsPerThousand = 1;
    WaterConditionsPopup(kWaterPopupMenu);
    rt::NewPopupControl(kWater, kWaterPopupMenu, "", {360, 136, 565, 158},
                        WaterItemOfSalinity(PartsPerThousand));
    Label(365, 98, "  saturation is", 12);
  } else {
    Label(365, 98, "concentration is", 12);
  }
}

void BuildLeftPanel() {
  EmbossPrint(0, "Taxon and units", 14, 20, 22);
  BuildUnitsPopMenu(kUnitsPopupMenu);
  rt::NewPopupControl(kUnits, kUnitsPopupMenu, "", {15, 58, 330, 80}, 1);
  Label(20, 112, "MR = ", 16);
  Field(117, "", {75, 94, 260, 120}, 7, 16);
  BUILDBOX(73, 92, 262, 122);
  Field(111, ".002647", {4, 132, 132, 156}, 3, 12);
  Label(134, 150, "*", 16);
  Field(112, "1", {148, 132, 250, 156}, 3, 16);
  Field(113, ".75", {256, 124, 316, 144}, 3, 13);
  Label(15, 172, "coefficient ( 'a' value)       *       mass ");
  Label(262, 160, "exponent", 11);
  Label(20, 198, "mass units:");
  Radio(kGrams, "g", 110, 185, true);
  Radio(kKilograms, "Kg", 170, 185, false);
  BUILDBOX(10, 206, 333, 238);
  rt::SetTextFont(KitFont(KestraneFont, 12));
  rt::SetTextColor(RGBColor{0, 0, 0});
  DoSubscript(15, 227, "T", "b", ":", 3);
  Field(114, "20", {40, 212, 95, 232}, 3, 12);
  DoSubscript(105, 227, "T", "r", ":", 3);
  Field(115, "30", {130, 212, 185, 232}, 3, 12);
  DoSubscript(195, 227, "Q", "10", " = ", 3);
  Field(116, "2.2", {240, 212, 295, 232}, 3, 12);
  rt::NewControl(kHelp, rt::ControlType::PushButton, "?", {15, 250, 45, 272}, 1);
}

void BuildRightPanel() {
  EmbossPrint(0, "Activity", 14, 360, 22);
  Popup61(kActivityPopupMenu);
  rt::NewPopupControl(kActivity, kActivityPopupMenu, "", {360, 30, 565, 52}, 1);
  BUILDBOX(355, 62, 572, 130);
  Label(365, 80, "maximum change in oxygen");
  Field(108, "0.4", {475, 86, 530, 108}, 3, 12);
  Label(536, 102, "%");
  Radio(kMlPerMin, "ml/min", 365, 164, true);
  Radio(kLPerMin, "L/min", 465, 164, false);
  Label(365, 200, "Minimum flow rate is", 14);
  Field(109, " ", {365, 206, 565, 236}, 5, 20);
  BUILDBOX(363, 204, 567, 238);
}

void BuildButtons(int16_t form) {
  const int16_t x = form == 1 ? 400 : 170;
  rt::NewControl(kCompute, rt::ControlType::DefaultButton, "Compute",
                 {x, 250, static_cast<int16_t>(x + 80), 272}, 1);
  rt::NewControl(kDone, rt::ControlType::PushButton, "Done",
                 {static_cast<int16_t>(x + 90), 250, static_cast<int16_t>(x + 160), 272}, 1);
}

void SetFieldString(int16_t field, std::string_view text) {
  held.Forget(field);
  SetFieldText(field, Str255(text));
}

// A main-list equation or a group entry into the fields and ValueOfA.
void ApplyEquation(const Allometry& e, std::string_view defaultT) {
  SetFieldString(114, e.baseT.empty() ? defaultT : e.baseT);
  SetFieldString(115, e.realT.empty() ? defaultT : e.realT);
  SetFieldString(113, e.exponent);
  ValueOfA = e.a;
  if (!e.q10.empty()) SetFieldString(116, e.q10);
}

void Compute(Window& w, int16_t useTyped) {
  w.mr = BMRCALC(w.unit, useTyped, w.kg);
  if (w.form == 1) CalculateFlow(w.mr, 0, w.litres, w.multiple);
}

void ChooseMain(Window& w, int16_t i) {
  if (i == 1 || i == 3 || i == 4) {
    ApplyEquation(*MainEquation(i), "");
  } else if (i >= 6 && i <= 11) {
    FishMR = 0;
    w.list = static_cast<int16_t>(i + 46);
    if (w.list == kFishList) FishMR = 1;
    ShowTaxonPopup(w.list, 1);
    BMR_DATA(w.list, 1);
    w.item = 1;
  } else if (i == kCustomItem) {
    SetFieldPlain(111, CustomAllometry[1]);
    SetFieldPlain(113, CustomAllometry[2]);
    ValueOfA = CustomAllometry[1];
  } else {
    return;  // separators
  }
  if (i < 6 || i > 11) w.item = i;
  w.customShown = i == kCustomItem;
  Compute(w, 0);
  w.useTyped = 0;
}

void ChooseGroupItem(Window& w, int16_t list, int16_t item) {
  FishMR = list == kFishList ? 1 : 0;
  w.item = item;
  w.list = list;
  w.customShown = false;
  BMR_DATA(list, item);
  if (GroupEquation(list, item) || item == ReturnItemOf(list)) {
    Compute(w, 0);
    w.useTyped = 0;
  }
}

void ReturnToMainList(Window& w) {
  FishMR = 0;
  ShowTaxonPopup(kMainList, 1);
  BMR_DATA(w.list, w.item);
  ApplyEquation(*MainEquation(1), "");
  Compute(w, 0);
  ShowGeneralMENU = 0;
  // The main list is what the window shows now, and what it reopens on.
  w.list = kMainList;
  w.item = 1;
}

void SetRadioPair(int16_t on, int16_t off) {
  rt::SetControlState(on, 2);
  rt::SetControlState(off, 1);
}

bool OnButton(Window& w, int16_t button) {
  switch (button) {
    case kCompute:
      // The coefficient typed for the custom entry becomes the stored custom pair.
      Compute(w, 1);
      w.useTyped = 1;
      if (w.customShown) {
        CustomAllometry[1] = ValueOfA;
        CustomAllometry[2] = shown.b;
      }
      break;
    case kDone:
      return true;
    case kGrams:
      SetRadioPair(kGrams, kKilograms);
      w.kg = 0;
      Compute(w, w.useTyped);
      break;
    case kKilograms:
      SetRadioPair(kKilograms, kGrams);
      w.kg = 1;
      Compute(w, w.useTyped);
      break;
    case kUnits:
      w.unit = static_cast<int16_t>(rt::ControlValue(kUnits));
      LastMetabolismUNIT = w.unit;
      Compute(w, 1);
      w.useTyped = 1;
      break;
    case kActivity:
      w.multiple = ActivityMultiple(static_cast<int16_t>(rt::ControlValue(kActivity)));
      CalculateFlow(w.mr, 0, w.litres, w.multiple);
      break;
    case kMlPerMin:
    case kLPerMin:
      SetRadioPair(button, button == kMlPerMin ? kLPerMin : kMlPerMin);
      w.litres = button == kLPerMin ? 1 : 0;
      CalculateFlow(w.mr, 0, w.litres, w.multiple);
      break;
    case kWater:
      PartsPerThousand = SalinityOfWaterItem(static_cast<int16_t>(rt::ControlValue(kWater)));
      CalculateFlow(w.mr, 0, w.litres, w.multiple);
      break;
    case kHelp:
      ShowCalculatorHelp(kHelpTopic);
      rt::BringWindowForward(kCalculatorWindow);
      break;
    default:
      if (button == kMainList && rt::ControlExists(kMainList)) {
        ChooseMain(w, static_cast<int16_t>(rt::ControlValue(kMainList)));
      } else if (button > kMainList && button <= kMammalList && rt::ControlExists(button)) {
        ChooseGroupItem(w, button, static_cast<int16_t>(rt::ControlValue(button)));
      }
      break;
  }
  if (ShowGeneralMENU != 0) ReturnToMainList(w);
  return false;
}

// A value to reopen with; what is no number leaves the one remembered before.
void Remember(float& slot, float value) {
  if (std::isfinite(value)) slot = value;
}

void RememberOnClosing(const Window& w) {
  Remember(LastBaseTb, held.FloatValue(114));
  Remember(LastRealTB, held.FloatValue(115));
  Remember(LastExponent, ExponentOfField(w.unit));
  Remember(LastQ10, held.FloatValue(116));
  Remember(LastBodyMass, held.FloatValue(112));
  LastMassInKg = w.kg;
  LastMetabolismMENU = w.list;
  LastMetabolismSUBMENU = w.item;
}

void Open(Window& w) {
  const bool flow = w.form == 1;
  std::string title = "Resting Metabolism Estimates";
  if (flow) title += std::string(31, ' ') + "Minimum Flowrate";
  const int16_t left = flow ? 50 : 80, width = flow ? 579 : 343;
  OpenCalculatorWindow(title, left, 60, static_cast<int16_t>(left + width), 60 + 285);
  shown = ShownEquation{};
  held.Clear();
  BuildLeftPanel();
  if (flow) BuildRightPanel();
  BuildButtons(w.form);
  if (LastMetabolismMENU == 0) {
    w.list = kMainList;
    SetFieldString(112, "1");
    ApplyEquation(*MainEquation(1), "");
    ValueOfA = 0.002647f;
    FishMR = 0;
    ShowTaxonPopup(kMainList, 1);
  } else {
    held.ShowPlain(114, LastBaseTb);
    held.ShowPlain(115, LastRealTB);
    held.ShowPlain(116, LastQ10);
    held.ShowPlain(112, LastBodyMass);
    // The mass keeps the unit it was typed in: 2 kg must not come back as 2 g.
    w.kg = LastMassInKg != 0 ? 1 : 0;
    if (w.kg != 0) SetRadioPair(kKilograms, kGrams);
    // The remembered whole-animal exponent, shown in that form; the first computation
    // rewrites it for a per-mass unit.
    SetFieldPlain(113, LastExponent);
    shown.b = LastExponent;
    shown.exponent = rt::EditText(113);
    shown.perMass = false;
    w.list = LastMetabolismMENU;
    if (LastMetabolismSUBMENU == 0) LastMetabolismSUBMENU = 1;
    w.item = LastMetabolismSUBMENU;
    const bool group = w.list > kMainList && w.list <= kMammalList;
    if (!group) w.list = kMainList;
    FishMR = w.list == kFishList ? 1 : 0;
    ShowTaxonPopup(w.list, w.item);
  }
  // The label over the oxygen field (and the water popup for fish), first opening included.
  if (flow) ShowWaterChoice();
  if (LastMetabolismSUBMENU == 0) LastMetabolismSUBMENU = 1;
  if (LastMetabolismUNIT == 0) LastMetabolismUNIT = 1;
  w.unit = LastMetabolismUNIT;
  rt::SetControlValue(kUnits, w.unit);
  Compute(w, 0);
}

}  // namespace

float BMRCALC(int16_t unit, int16_t useTyped, int16_t kg) {
  rt::SetOutputWindow(kCalculatorWindow);
  float mass = held.FloatValue(112);
  if (kg != 0) mass = mass * 1000.0f;
  const bool perMass = IsPerMassUnit(unit);
  // The exponent: rewritten when typed in the other form or when the unit's form
  // changed. A typed exponent that is no number computes nothing and is kept as typed.
  bool rewrite = perMass != shown.perMass;
  float b = shown.b;
  if (rt::EditText(113) != shown.exponent) {
    const float typed = FieldValue(113);
    b = WholeAnimalExponent(unit, typed);
    if (std::isfinite(typed)) {
      shown.b = b;
      rewrite = ReadsAsPerMass(unit, typed) != perMass;
    }
  }
  if (std::isfinite(b)) {
    if (rewrite) SetFieldFormatter(113, ShownExponent(unit, shown.b));
    shown.exponent = rt::EditText(113);
    shown.perMass = perMass;
  }
  // A typed coefficient, in the unit shown, becomes the equation's; this also gives
  // the custom entry, which starts at 0, its first coefficient.
  const float coefficientFactor = UnitCoefficientFactor(unit);
  float a = ValueOfA;
  if (useTyped != 0 && rt::EditText(111) != shown.coefficient && coefficientFactor != 0.0f) {
    a = FieldValue(111) / coefficientFactor;
    if (std::isfinite(a)) ValueOfA = a;
  }
  const float factor = UnitFactor(unit, mass);
  BMRunitfact = factor;
  const float mr =
      RestingRate(a, 1.0f, mass, b, held.FloatValue(114), held.FloatValue(115), held.FloatValue(116));
  if (UsableResult(117, factor * mr, mass == 0 ? "the mass is 0" : kOutOfRangeReason))
    SetFieldFormatter(117, factor * mr);
  if (std::isfinite(a)) {
    SetFieldFormatter(111, ValueOfA * coefficientFactor);
    shown.coefficient = rt::EditText(111);
  }
  return mr;
}

void CalculateFlow(float mr, int16_t, int16_t flowUnits, int16_t multiple) {
  rt::SetOutputWindow(kCalculatorWindow);
  const float fall = FieldValue(108);
  const float flow = MinimumFlow(mr, multiple, fall, FishMR != 0, PartsPerThousand, flowUnits == 1);
  const char* why = !std::isfinite(mr) ? "no metabolic rate"
                    : fall == 0        ? "the change in oxygen is 0"
                                       : kOutOfRangeReason;
  if (UsableResult(109, flow, why)) SetFieldFormatter(109, flow);
  ActivateField(0);
}

void BMR_DATA(int16_t list, int16_t item) {
  rt::SetOutputWindow(kCalculatorWindow);
  ShowWaterChoice();
  if (list < kArthropodList || list > kMammalList) return;
  const std::string_view defaultT = DefaultTemperatureOf(list);
  SetFieldString(114, defaultT);
  SetFieldString(115, defaultT);
  if (const auto e = GroupEquation(list, item)) {
    ApplyEquation(*e, defaultT);
  } else if (item == ReturnItemOf(list)) {
    ShowGeneralMENU = 1;
  }
}

void METABOLISM(int16_t form) {
  Window w;
  w.form = form == 1 ? 1 : 0;
  Open(w);
  ActivateField(0);
  LoopRules rules;
  rules.defaultButton = kCompute;
  rules.doneButton = kDone;
  // The next opening starts from what the window showed.
  rules.beforeClose = [&w] { RememberOnClosing(w); };
  RunCalculatorLoop(rules, [&w](int16_t button) { return OnButton(w, button); });
  Action = 0;
  EventID = 0;
}

}  // namespace mv::calc
