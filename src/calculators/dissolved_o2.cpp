#include "calculators/dissolved_o2.h"

#include "calculators/conditions_layout.h"
#include "calculators/frame.h"
#include "calculators/oxygen_calc.h"
#include "files/state.h"
#include "kit/format.h"
#include "kit/state.h"
#include "runtime/macroman.h"

namespace mv::calc {
namespace {

constexpr int16_t kNet = 101, kPerLitre = 103, kTemperature = 104, kVolume = 105, kPressure = 106,
                  kOxygen = 107, kSolutes = 108, kSaturation = 109;
constexpr int16_t kContent = 11, kNetOnly = 12, kHelp = 13, kDone = 14;
constexpr int16_t kHelpTopic = 181;
constexpr float kOpeningVolume = 10000.0f, kDefaultPressure = 760.0f, kDefaultTemperature = 10.0f;

// A result without the blank the number text keeps for a sign; a minus stays.
void ShowContent(int16_t field, float value) {
  if (!UsableResult(field, value, kOutOfRangeReason)) return;
  Str255 text = NumberText(value);
  if (!text.empty() && text[0] == ' ') text = text.mid(2);
  SetFieldText(field, text);
}

void Compute() {
  const float factor =
      PressureSaturationFactor(FieldValue(kSaturation), FieldValue(kPressure), FieldValue(kOxygen));
  // The salinity term takes the dissolved solutes in full, as the seawater tables do.
  const OxygenContent c =
      O2Content(FieldValue(kTemperature), FieldValue(kVolume), FieldValue(kSolutes), factor);
  ShowContent(kPerLitre, c.perLitre);
  ShowContent(kNet, c.net);
}

void Entry(int16_t field, const Str255& text, Rect where) {
  StyledField(field, text, where, 3, 2, kBlackText, lightBlue, 12, true);
}

void Result(int16_t field, Rect where) {
  StyledField(field, " ", where, 3, 2, kBlackText, manila, 16, true);
}

void BuildLayout() {
  DrawLabelRight(97, 29, MacRomanToUtf8(("temp. (" + degC + "):").str()), 13);
  // The window starts from the experiment's conditions: the flow temperature once
  // one was stored (0 °C is a temperature like any other), 10 °C before that, and
  // the pressure, or 760 torr when none is set.
  Entry(kTemperature, NumberText(FlowTempStored ? flowtemp : kDefaultTemperature), Rect{100, 17, 144, 32});
  DrawLabelRight(251, 29, "volume (ml):", 13);
  Entry(kVolume, NumberText(kOpeningVolume), Rect{254, 17, 335, 32});
  DrawLabelRight(97, 59, "B.P. (torr):", 13);
  Entry(kPressure, NumberText(BarometricPressure > 0 ? BarometricPressure : kDefaultPressure),
        Rect{100, 47, 144, 62});
  DrawSubscriptLabelRight(251, 59, "gas phase %O", "2", " :", 12);  // fits between the fields
  Entry(kOxygen, "20.95", Rect{255, 47, 335, 62});
  DrawLabelRight(236, 89, "dissolved solutes (parts/thousand):", 13);
  Entry(kSolutes, NumberText(2), Rect{240, 77, 310, 92});
  DrawLabelRight(236, 136, "% oxygen saturation:", 16);
  Entry(kSaturation, "100", Rect{240, 120, 320, 141});

  DrawSubscriptLabelRight(144, 178, "O", "2", " content/L:", 13);
  Result(kPerLitre, Rect{148, 163, 260, 183});
  DrawLabel(264, 178, "ml/L (STP)", 13);
  DrawSubscriptLabelRight(144, 208, "net O", "2", " content:", 13);
  Result(kNet, Rect{148, 193, 260, 213});
  DrawLabel(264, 208, "ml (STP)", 13);

  PushButton(kHelp, "?", Rect{8, 228, 38, 248});
  PushButton(kContent, "O2 Content", Rect{45, 228, 145, 248}, true);
  PushButton(kNetOnly, "Net O2 Only", Rect{152, 228, 262, 248});
  PushButton(kDone, "Done", Rect{271, 228, 361, 248});
}

}  // namespace

void DissolvedO2CALC() {
  OpenCalculatorWindow("Dissolved Oxygen Content of Water", 95, 95, 464, 354);
  BuildLayout();
  Compute();
  LoopRules rules;
  rules.defaultButton = kContent;
  rules.doneButton = kDone;
  RunCalculatorLoop(rules, [](int16_t button) {
    switch (button) {
      case kContent:
      case kNetOnly:
        Compute();
        ActivateField(0);
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
