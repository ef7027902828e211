#include "calculators/altitude_simulation.h"

#include <cmath>

#include "calculators/altitude_calc.h"
#include "calculators/conditions_layout.h"
#include "calculators/frame.h"
#include "kit/builders.h"
#include "kit/format.h"
#include "kit/state.h"

namespace mv::calc {
namespace {

constexpr int16_t kConcentration = 101, kSimAltitude = 111, kSimPressure = 113, kMeasAltitude = 121,
                  kMeasPressure = 123, kRequired = 131, kDifference = 141, kKind = 143, kDescription = 213;
constexpr int16_t kFromAltitude = 1, kFromPressure = 2, kDone = 4, kHelp = 5;
constexpr int16_t kHelpTopic = 180;
constexpr const char* kPressurePicture = "####.#";
constexpr const char* kConcentrationPicture = "###.##";

void ShowRequired(float c, float measurementTorr) {
  const char* why = measurementTorr == 0 ? "pressure 0" : kOutOfRangeReason;
  if (UsableResult(kRequired, c, why)) SetFieldPicture(kRequired, c, kConcentrationPicture);
}

// The difference of the pressures as now shown, named by its sign.
void PressureDifference() {
  const float d = FieldValue(kSimPressure) - FieldValue(kMeasPressure);
  if (!UsableResult(kDifference, d, kOutOfRangeReason)) {
    SetFieldText(kKind, " ");
    return;
  }
  SetFieldText(kKind, d < 0 ? "(hypobaric)" : "(hyperbaric)");
  SetFieldPlain(kDifference, std::fabs(d));
}

void ComputeFromAltitude() {
  const float measured = StandardPressureTorr(FieldValue(kMeasAltitude));
  const float simulated = StandardPressureTorr(FieldValue(kSimAltitude));
  if (UsableResult(kMeasPressure, measured, kOutOfRangeReason))
    SetFieldPicture(kMeasPressure, measured, kPressurePicture);
  if (UsableResult(kSimPressure, simulated, kOutOfRangeReason))
    SetFieldPicture(kSimPressure, simulated, kPressurePicture);
  ShowRequired(RequiredConcentration(simulated, FieldValue(kConcentration), measured), measured);
  ActivateField(0);
  PressureDifference();
}

void ComputeFromPressure() {
  const float measured = FieldValue(kMeasPressure);
  ShowRequired(RequiredConcentration(FieldValue(kSimPressure), FieldValue(kConcentration), measured),
               measured);
  PressureDifference();
  ActivateField(0);
}

// A row label that leads a sentence (right-justified) or follows an entry.
void Words(int16_t field, const Str255& text, int16_t left, int16_t right, int16_t top,
           int16_t justification) {
  LabelField(field, text, Rect{left, static_cast<int16_t>(top + 2), right, static_cast<int16_t>(top + 22)},
             justification, 14);
}

void Input(int16_t field, const Str255& text, int16_t left, int16_t top) {
  StyledField(field, text, Rect{left, top, static_cast<int16_t>(left + 80), static_cast<int16_t>(top + 24)},
              3, 2, kBlueText, lightBlue, 16, true);
}

void Pressure(int16_t field, int16_t top) {
  StyledField(field, "750.5", Rect{405, top, 485, static_cast<int16_t>(top + 24)}, 3, 2, kBlackText,
              RGBColor{65535, 65535, 65535}, 16, true);
}

void Result(int16_t field, const Str255& text, int16_t top) {
  StyledField(field, text, Rect{335, top, 435, static_cast<int16_t>(top + 26)}, 3, 2, kRedText, manila, 18,
              true);
}

void BuildLayout() {
  BUILDBOX2(7, 8, 634, 66);
  StyledField(
      kDescription,
      "Computes gas concentrations needed to simulate concentrations at a different altitude or ambient "
      "pressure.  Assumes computed pressures are standard Barometric Pressure (i.e., no compensation for "
      "humidity or weather-related or other BP fluctuations).",
      Rect{10, 11, 632, 64}, 7, 1, kBlackText, lightBlue, 14, false);
  Words(100, "To replicate a gas concentration of", 10, 330, 80, 3);
  Input(kConcentration, "20.95", 335, 78);
  Words(102, "%", 420, 445, 80, 1);
  Words(110, "at a simulated altitude of", 10, 230, 110, 3);
  Input(kSimAltitude, "100", 235, 108);
  Words(112, "meters; = ", 320, 402, 110, 1);
  Pressure(kSimPressure, 108);
  Words(114, "torr", 490, 540, 110, 1);
  Words(120, "if the measurement altitude is", 10, 230, 140, 3);
  Input(kMeasAltitude, "100", 235, 138);
  Words(122, "meters; = ", 320, 402, 140, 1);
  Pressure(kMeasPressure, 138);
  Words(124, "torr", 490, 540, 140, 1);
  Words(130, "use a gas mixture with a concentration of", 10, 330, 180, 3);
  Result(kRequired, "20.95", 177);
  Words(132, "%", 440, 465, 180, 1);
  Words(140, "Or, use a pressure difference of", 10, 330, 210, 3);
  Result(kDifference, NumberText(750.5f - 750.5f), 207);
  Words(142, "torr", 440, 480, 210, 1);
  Words(kKind, "(hypo, hyperbaric)", 485, 635, 210, 1);
  PushButton(kFromAltitude, "Compute from Altitude", Rect{20, 260, 200, 280}, true);
  PushButton(kFromPressure, "Compute from Pressure", Rect{215, 260, 395, 280});
  PushButton(kHelp, "?", Rect{410, 260, 450, 280});
  PushButton(kDone, "Done", Rect{520, 260, 620, 280});
}

}  // namespace

void AltitudeSimulation() {
  OpenCalculatorWindow("Altitude Simulation Calculator", 180, 100, 822, 390);
  BuildLayout();
  ActivateField(kConcentration);
  LoopRules rules;
  rules.defaultButton = kFromAltitude;
  rules.doneButton = kDone;
  RunCalculatorLoop(rules, [](int16_t button) {
    switch (button) {
      case kFromAltitude:
        ComputeFromAltitude();
        break;
      case kFromPressure:
        ComputeFromPressure();
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
