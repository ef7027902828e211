#include "calculators/po2.h"

#include <cmath>

#include "calculators/conditions_layout.h"
#include "calculators/frame.h"
#include "calculators/oxygen_calc.h"
#include "files/state.h"
#include "kit/builders.h"
#include "kit/format.h"
#include "kit/state.h"
#include "runtime/macroman.h"
#include "setup/state.h"

namespace mv::calc {
namespace {

constexpr int16_t kPressure = 111, kTemperature = 112, kSaturation = 113, kVapour = 114, kOxygen = 115,
                  kPO2 = 116, kPO2Unit = 210, kVapourUnit = 211;
constexpr int16_t kTorr = 1, kKPa = 2, kCompute = 19, kDone = 20, kHelp = 21;
constexpr int16_t kHelpTopic = 181;
// The pressure offered when the experiment has none set.
constexpr float kDefaultPressure = 742.5f;

struct PO2Window {
  bool torr = true;
  // The pressure converted between the units and the vapour pressure computed, at
  // full precision: their shown texts are rounded (or cut) and never read back.
  HeldValues held;

  // Leaves the saturated vapour density in Kfloat, as the other windows expect of it.
  void VaporPressureCALC() {
    float density = 0;
    const float v = VapourPressure(FieldValue(kTemperature), FieldValue(kSaturation), torr, &density);
    Kfloat = density;
    if (UsableResult(kVapour, v, kOutOfRangeReason)) held.Show(kVapour, v, VapourPressureText(v));
    ActivateField(0);
  }

  void FigurePO2() {
    if (!FieldHoldsNumber(kVapour)) {
      ShowNoResult(kPO2, "no vapour pressure");
      return;
    }
    const float po2 =
        OxygenPartialPressure(held.Value(kPressure), held.Value(kVapour), FieldValue(kOxygen), torr);
    if (UsableResult(kPO2, po2, kOutOfRangeReason)) SetFieldFormatter(kPO2, po2);
    ActivateField(0);
  }

  void Compute() {
    VaporPressureCALC();
    FigurePO2();
  }

  void ChooseUnit(bool toTorr) {
    if (toTorr == torr) return;
    torr = toTorr;
    SelectRadio(torr ? kTorr : kKPa, {kTorr, kKPa});
    const Str255 unit = torr ? "torr" : "kPa";
    SetFieldText(kPO2Unit, unit);
    SetFieldText(kVapourUnit, unit);
    const double pressure = held.Value(kPressure);
    const double converted = torr ? pressure * kTorrPerKPaAtm : pressure * 101.325 / 760.0;
    if (std::isfinite(converted)) held.ShowPlain(kPressure, converted);
    Compute();
  }

  bool OnButton(int16_t button) {
    switch (button) {
      case kCompute:
        Compute();
        break;
      case kTorr:
      case kKPa:
        ChooseUnit(button == kTorr);
        break;
      case kHelp:
        ShowCalculatorHelp(kHelpTopic);
        break;
      default:
        break;
    }
    return false;
  }
};

void Entry(int16_t field, const Str255& text, Rect where) {
  StyledField(field, text, where, 3, 2, kBlackText, lightBlue, 14, true);
}

void Heading() {
  const Str255 text = "pO    estimation";
  const int16_t x = 95, y = 38;
  EmbossPrint(0, text, 30, x, y);
  const int gap = rt::TextWidth("pO", KitFont(KestraneFont, 30));
  EmbossPrint(0, "2", 24, static_cast<int16_t>(x + gap + 2), static_cast<int16_t>(y + 8));
}

void BuildLayout() {
  Heading();
  constexpr int16_t kLabelEnd = 190;
  DrawLabelRight(kLabelEnd, 70, "ambient pressure:", 13);
  DrawLabelRight(kLabelEnd, 100, MacRomanToUtf8(("ambient temperature (" + degC + "):").str()), 13);
  DrawSubscriptLabelRight(kLabelEnd, 130, "vapor phase H", "2", "O saturation:", 13);
  DrawLabel(258, 130, "%; = ", 13);
  DrawSubscriptLabelRight(kLabelEnd, 160, "gas phase %O", "2", " (dry gas):", 13);
  DrawSubscriptLabelRight(kLabelEnd, 200, "ambient pO", "2", " = ", 13);

  Entry(kPressure, NumberText(BarometricPressure > 0 ? BarometricPressure : kDefaultPressure),
        Rect{195, 55, 275, 75});
  RadioButton(kTorr, "torr", Rect{282, 56, 335, 74}, true);
  RadioButton(kKPa, "kPa", Rect{337, 56, 392, 74}, false);
  Entry(kTemperature, "37", Rect{195, 85, 275, 105});
  Entry(kSaturation, "100", Rect{195, 115, 255, 135});
  BUILDBOX(293, 114, 374, 136);
  StyledField(kVapour, "", Rect{294, 115, 373, 135}, 7, 2, kBlackText, VeryLightGray, 13, false);
  StyledField(kVapourUnit, "torr", Rect{377, 117, 418, 135}, 7, 1, kBlackText, rt::WindowBackgroundColor(),
              12, true);
  Entry(kOxygen, "20.95", Rect{195, 145, 275, 165});
  BUILDBOX(194, 182, 333, 208);
  StyledField(kPO2, "", Rect{195, 183, 332, 207}, 7, 2, kRedText, sunset, 18, true);
  StyledField(kPO2Unit, "torr", Rect{337, 188, 385, 207}, 7, 1, kBlackText, rt::WindowBackgroundColor(), 12,
              true);

  PushButton(kHelp, "?", Rect{40, 225, 80, 245});
  PushButton(kCompute, "Compute pO2", Rect{100, 225, 250, 245}, true);
  PushButton(kDone, "Done", Rect{280, 225, 400, 245});
}

}  // namespace

void PO2CALC() {
  OpenCalculatorWindow("Oxygen Partial Pressure", 105, 95, 525, 350);
  BuildLayout();
  PO2Window w;
  // The stored pressure as it is held, whatever digits its text shows.
  w.held.ShowPlain(kPressure, BarometricPressure > 0 ? BarometricPressure : kDefaultPressure);
  w.Compute();
  LoopRules rules;
  rules.defaultButton = kCompute;
  rules.doneButton = kDone;
  RunCalculatorLoop(rules, [&w](int16_t button) { return w.OnButton(button); });
}

}  // namespace mv::calc
