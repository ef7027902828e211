#include "calculators/q10.h"

#include "calculators/conditions_layout.h"
#include "calculators/frame.h"
#include "calculators/q10_calc.h"
#include "kit/builders.h"
#include "kit/format.h"
#include "kit/state.h"
#include "runtime/macroman.h"

namespace mv::calc {
namespace {

constexpr int16_t kDescription = 10, kQ10 = 111, kBaseTemp = 112, kAdjustedTemp = 113, kBaseValue = 114,
                  kAdjustedValue = 115;
constexpr int16_t kComputeAdjusted = 1, kComputeQ10 = 2, kDone = 3, kHelp = 4;
constexpr int16_t kHelpTopic = 182;

void SetFieldSize(int16_t field, double size, bool bold) {
  rt::FontSpec f = KitFont(KestraneFont, size);
  f.bold = bold;
  rt::SetEditFont(field, f);
}

void ComputeAdjusted() {
  const float q10 = FieldValue(kQ10);
  const auto rate =
      Q10AdjustedRate(FieldValue(kBaseTemp), FieldValue(kAdjustedTemp), q10, FieldValue(kBaseValue));
  SetFieldSize(kAdjustedValue, 20, true);
  if (!rate) {
    ShowNoResult(kAdjustedValue, q10 < 0 ? "Q10 below 0" : kOutOfRangeReason);
    return;
  }
  SetFieldPlain(kAdjustedValue, *rate);
}

// Why two rates give no Q10.
const char* NoQ10Reason(float baseTemp, float adjustedTemp, float baseRate, float adjustedRate) {
  if (adjustedTemp == baseTemp) return "equal temperatures";
  if (baseRate == 0) return "base value 0";
  if ((baseRate < 0) != (adjustedRate < 0)) return "signs differ";
  return kOutOfRangeReason;
}

void ComputeQ10() {
  const float t1 = FieldValue(kBaseTemp), t2 = FieldValue(kAdjustedTemp);
  const float r1 = FieldValue(kBaseValue), r2 = FieldValue(kAdjustedValue);
  const auto q10 = Q10FromRates(t1, t2, r1, r2);
  SetFieldSize(kQ10, 20, false);
  if (!q10) {
    ShowNoResult(kQ10, NoQ10Reason(t1, t2, r1, r2));
    return;
  }
  SetFieldPlain(kQ10, *q10);
}

void Entry(int16_t field, const Str255& text, Rect where) {
  StyledField(field, text, where, 3, 2, kRedText, manila, 18, true);
}

void BuildLayout() {
  const Str255 description = "Adjusts rate functions for effects of temperature using the Q10 rule," +
                             Str255(" or calculates Q10 from a rate change.    Q10 is the factorial") +
                             " rate change over a temperature difference (" + delta + "t) of 10 " + degC +
                             ".  The " + delta + "t can be positive or negative.";
  StyledField(kDescription, description, Rect{10, 8, 510, 62}, 7, 1, kBlackText, rt::WindowBackgroundColor(),
              13, false);
  DrawLabel(98, 102, "Q", 22, true);
  DrawLabel(115, 102, "10: ", 18, true);
  StyledField(kQ10, "2.20", Rect{150, 85, 290, 110}, 3, 2, kBlackText, lightBlue, 18, true);
  DrawMacLabelRight(148, 141, "     base temp  " + degC + " :", 14);
  Entry(kBaseTemp, "37", Rect{150, 124, 240, 146});
  DrawLabelRight(386, 141, "   base value:", 14);
  Entry(kBaseValue, "1", Rect{390, 124, 510, 146});
  DrawMacLabelRight(148, 175, "adjusted temp  " + degC + " :", 14);
  Entry(kAdjustedTemp, "39", Rect{150, 158, 240, 180});
  DrawLabelRight(386, 175, "adjusted value:", 16);
  Entry(kAdjustedValue, "1.1708", Rect{390, 157, 510, 181});
  PushButton(kHelp, "?", Rect{20, 205, 60, 225});
  PushButton(kComputeQ10, "Compute Q10", Rect{75, 205, 205, 225});
  PushButton(kComputeAdjusted, "Compute Adjusted Value", Rect{220, 205, 410, 225}, true);
  PushButton(kDone, "Done", Rect{425, 205, 505, 225});
}

}  // namespace

void Q10adjust() {
  OpenCalculatorWindow("Q10 Adjustment", 200, 100, 720, 340);
  BuildLayout();
  ActivateField(0);
  LoopRules rules;
  rules.defaultButton = kComputeAdjusted;
  rules.doneButton = kDone;
  rules.tabMovesFocus = true;
  RunCalculatorLoop(rules, [](int16_t button) {
    switch (button) {
      case kComputeAdjusted:
        ComputeAdjusted();
        break;
      case kComputeQ10:
        ComputeQ10();
        break;
      case kHelp:
        ShowCalculatorHelp(kHelpTopic);
        break;
      default:
        break;
    }
    return false;
  });
}

}  // namespace mv::calc
