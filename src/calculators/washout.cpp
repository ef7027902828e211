#include "calculators/washout.h"

#include "calculators/conditions_layout.h"
#include "calculators/frame.h"
#include "calculators/washout_calc.h"
#include "files/state.h"
#include "kit/format.h"
#include "kit/popups.h"
#include "kit/state.h"

namespace mv::calc {
namespace {

constexpr int16_t kVolumeLabel = 1, kFlowLabel = 2, kResultLabel = 3, kPercentLabel = 4;
constexpr int16_t kVolume = 11, kFlow = 12, kTime = 13;
constexpr int16_t kPercentPopup = 100, kHelp = 18, kCompute = 19, kDone = 20;
constexpr int16_t kHelpTopic = 188;
constexpr int16_t kOpeningItem = 3;  // 67 %

void WashoutCalculations(int16_t percent) {
  SetFieldText(kResultLabel, NumberText(percent) + "% washout time:   ");
  const float flow = FieldValue(kFlow);
  const float minutes = WashoutMinutes(FieldValue(kVolume), flow, percent);
  if (UsableResult(kTime, minutes, flow == 0 ? "the flow rate is 0" : kOutOfRangeReason))
    SetFieldText(kTime, NumberText(minutes) + " min");
  ActivateField(0);
}

void Label(int16_t field, const Str255& text, int16_t top) {
  LabelField(field, text, Rect{10, top, 210, static_cast<int16_t>(top + 20)}, 3, 14);
}

void Entry(int16_t field, const Str255& text, int16_t top) {
  StyledField(field, text, Rect{215, top, 315, static_cast<int16_t>(top + 22)}, 3, 1, kBlackText,
              RGBColor{65535, 65535, 65535}, 14, false);
}

void BuildLayout() {
  DrawLabel(40, 32, "Chamber washout rate calculations", 20);
  Label(kVolumeLabel, "Chamber  volume (ml):  ", 52);
  Entry(kVolume, " 100", 50);
  Label(kFlowLabel, "Flow rate (ml/min):  ", 82);
  Entry(kFlow, NumberText(flowrate), 80);
  Label(kPercentLabel, "Washout percentage:  ", 112);
  Popup100(kPopupMenu);
  rt::NewPopupControl(kPercentPopup, kPopupMenu, "", Rect{215, 108, 315, 132}, kOpeningItem);
  LabelField(kResultLabel, "67% washout time :   ", Rect{10, 156, 210, 178}, 3, 14);
  StyledField(kTime, " ", Rect{215, 150, 405, 180}, 3, 1, kRedText, manila, 18, true);
  PushButton(kHelp, "?", Rect{20, 215, 60, 237});
  PushButton(kCompute, "Compute Washout", Rect{80, 215, 260, 237}, true);
  PushButton(kDone, "Done", Rect{300, 215, 400, 237});
}

}  // namespace

void ChamberWashout() {
  OpenCalculatorWindow("Mixing Kinetics", 105, 95, 525, 350);
  BuildLayout();
  int16_t percent = WashoutPercentOfItem(kOpeningItem);
  WashoutCalculations(percent);
  LoopRules rules;
  rules.defaultButton = kCompute;
  rules.doneButton = kDone;
  RunCalculatorLoop(rules, [&percent](int16_t button) {
    switch (button) {
      case kCompute:
        WashoutCalculations(percent);
        break;
      case kPercentPopup:
        percent = WashoutPercentOfItem(rt::ControlValue(kPercentPopup));
        WashoutCalculations(percent);
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
