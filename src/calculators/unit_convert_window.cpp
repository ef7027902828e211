// The "Unit Interconversions" window: a category by radio button, a conversion by
// popup, the value converted at once.
#include "calculators/frame.h"
#include "calculators/unit_conversions.h"
#include "kit/builders.h"
#include "kit/drawing.h"
#include "kit/format.h"
#include "kit/popups.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/windows.h"

namespace mv::calc {

namespace {

constexpr int16_t kInput = 111, kResult = 112, kFromLabel = 113, kToLabel = 114, kNote = 115;
constexpr int16_t kSwap = 118, kCompute = 119, kDone = 120, kFirstRadio = 121;
constexpr Rect kPopupRect{10, 78, 360, 98};

// The result as converted, behind its rounded text: "Swap Results" hands the value on,
// not the digits shown.
HeldValues held;

void BuildCategoryList(int16_t popup) {
  switch (popup) {
    case kEnergyPopup:
      Popup63(kPopupMenu);
      break;
    case kSpeedPopup:
      Popup64(kPopupMenu);
      break;
    case kMassPopup:
      popup65(kPopupMenu);
      break;
    default:
      Popup66(kPopupMenu);
      break;
  }
  rt::NewPopupControl(popup, kPopupMenu, "", kPopupRect, 1);
}

void Field(int16_t number, const Str255& text, Rect r, int16_t type, int16_t justification, double size,
           int16_t fore, int16_t back) {
  EFForeColor = fore;
  EFBackColor = back;
  BUILDEF(number, text, r.left, r.top, r.right, r.bottom, type, justification);
  rt::SetEditFont(number, KitFont(KestraneFont, size));
}

void BuildLayout() {
  OpenCalculatorWindow("Unit Interconversions", 60, 100, 720, 304);
  PlotCGrgb(1, 369, 10, 369, 194, DarkGray);
  PlotCG(1, 370, 10, 370, 194, 0);
  rt::DrawText(390, 30, "Unit category:", KitFont(KestraneFont, 16), RGBColor{0, 0, 65535});
  const char* names[4] = {"Energy, Power, Heat, Temperature", "Speed, Distance, Time, Area",
                          "Mass, Volume, Light Intensity", "Pressure, Water Vapor Density"};
  for (int16_t i = 0; i < 4; ++i) {
    const auto top = static_cast<int16_t>(45 + 30 * i);
    rt::NewControl(static_cast<int16_t>(kFirstRadio + i), rt::ControlType::RadioButton, names[i],
                   Rect{390, top, 650, static_cast<int16_t>(top + 20)}, i == 0 ? 2 : 1);
  }
  Field(kFromLabel, "joules", Rect{10, 15, 170, 33}, 7, 2, 12, 0, 6);
  Field(kToLabel, "cal", Rect{200, 15, 360, 33}, 7, 2, 12, 0, 6);
  Field(kInput, "1", Rect{10, 42, 170, 64}, 3, 2, 14, 1, 1);
  rt::DrawText(178, 59, "= ", KitFont(KestraneFont, 14), RGBColor{0, 0, 0});
  Field(kResult, ".23889", Rect{200, 42, 360, 64}, 3, 2, 14, 3, 4);
  Field(kNote, " ", Rect{10, 104, 360, 164}, 7, 1, 12, 0, 6);
  EFForeColor = 1;
  EFBackColor = 1;
  BuildCategoryList(kEnergyPopup);
  rt::NewControl(kSwap, rt::ControlType::PushButton, "Swap Results", Rect{10, 172, 130, 192}, 1);
  rt::NewControl(kCompute, rt::ControlType::DefaultButton, "Compute", Rect{145, 172, 245, 192}, 1);
  rt::NewControl(kDone, rt::ControlType::PushButton, "Done", Rect{260, 172, 350, 192}, 1);
}

}  // namespace

int16_t ConversionsCALCULATIONS(int16_t popup, int16_t item) {
  SetFieldText(kNote, " ");
  const float x = held.FloatValue(kInput);
  float result = 0;
  if (const auto c = Convert(popup, item, x)) {
    SetFieldText(kFromLabel, c->from);
    SetFieldText(kToLabel, c->to);
    if (!c->note.empty()) SetFieldText(kNote, c->note);
    result = c->result;
  }
  if (UsableResult(kResult, result, kOutOfRangeReason)) held.Show(kResult, result, ReadoutText(result));
  return 0;
}

int16_t UnitCONVERT() {
  BuildLayout();
  held.Clear();
  int16_t popup = kEnergyPopup;
  ActivateField(kInput);

  LoopRules rules;
  rules.defaultButton = kCompute;
  rules.doneButton = kDone;
  RunCalculatorLoop(rules, [&popup](int16_t button) {
    if (button >= kFirstRadio && button < kFirstRadio + 4) {
      const auto chosen = static_cast<int16_t>(kEnergyPopup + (button - kFirstRadio));
      rt::SetControlState(static_cast<int16_t>(kFirstRadio + (popup - kEnergyPopup)), 1);
      rt::SetControlState(button, 2);
      if (rt::ControlExists(popup)) rt::DisposeControl(popup);
      popup = chosen;
      BuildCategoryList(popup);
      ConversionsCALCULATIONS(popup, 1);
    } else if (button == popup) {
      ConversionsCALCULATIONS(popup, static_cast<int16_t>(rt::ControlValue(popup)));
      ActivateField(kInput);
    } else if (button == kCompute) {
      ConversionsCALCULATIONS(popup, static_cast<int16_t>(rt::ControlValue(popup)));
    } else if (button == kSwap) {
      // Only a number goes back into the entry, not the words of a result not computed.
      if (!FieldHoldsNumber(kResult)) {
        zap();
        return false;
      }
      held.Show(kInput, held.Value(kResult), rt::EditText(kResult));
      SetFieldText(kResult, "(swapped)");
    }
    return false;
  });
  return 0;
}

}  // namespace mv::calc
