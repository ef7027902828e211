#include "calculators/stp_flow.h"

#include <cmath>
#include <optional>

#include "calculators/conditions_layout.h"
#include "calculators/frame.h"
#include "calculators/stp_calc.h"
#include "files/state.h"
#include "kit/builders.h"
#include "kit/format.h"
#include "kit/sounds.h"
#include "kit/state.h"

namespace mv::calc {
namespace {

constexpr int16_t kResult = 111, kFlow = 112, kVolume = 113, kSeconds = 114, kBarometric = 115,
                  kInternal = 116, kMeterTemp = 117, kCalibTemp = 118;
constexpr int16_t kIndicated = 1, kCumulative = 2, kSCCM = 9, kSLPM = 10;
constexpr int16_t kAddToSum = 14, kShowAverage = 11, kHelp = 20, kStore = 12, kCompute = 15, kDone = 13;
constexpr int16_t kHelpTopic = 179;

struct Converter {
  bool cumulative = false;
  int16_t pressureUnit = kStpTorr;
  bool litres = false;
  float sum = 0;  // ml/min, whatever the result unit
  int16_t count = 0;
  bool averaging = false;
  // The result, the average and the experiment's conditions offered at opening, held
  // as computed or stored: the texts show them rounded to the display's digits, and
  // the rounding is never read back. A field the user types over is read as typed.
  HeldValues held;

  // The result in ml/min: what Add, the average and Store work with.
  float ResultInMlPerMin() const {
    const double shown = held.Value(kResult);
    return static_cast<float>(litres ? shown * 1000.0 : shown);
  }

  void Compute() {
    StpEntries e;
    e.flow = held.FloatValue(kFlow);
    e.volume = FieldValue(kVolume);
    e.seconds = FieldValue(kSeconds);
    e.barometric = held.FloatValue(kBarometric);
    e.internal = FieldValue(kInternal);
    e.meterTemp = held.FloatValue(kMeterTemp);
    e.calibTemp = FieldValue(kCalibTemp);
    e.pressureUnit = pressureUnit;
    e.cumulativeVolume = cumulative;
    e.litres = litres;
    const float stp = StpFlow(e);
    const char* why = cumulative && e.seconds == 0 ? "the elapsed time is 0" : kOutOfRangeReason;
    if (UsableResult(kResult, stp, why)) held.Show(kResult, stp, ReadoutText(stp));
    ActivateField(0);
  }

  // Any button but the average one shows the average button normal again and
  // recomputes; the averaging switch itself stays as it was.
  void Recompute() {
    rt::SetControlState(kShowAverage, 1);
    Compute();
  }

  // The result as a reading Add and Store can take, in ml/min: none when nothing was
  // computed (a blank, or the words of a flow not computed), nor when the number
  // shown or typed is beyond what single precision holds in ml/min (1e39, or 1e36 in
  // SLPM): an infinite flow would be averaged, or written into the data file.
  std::optional<float> Reading() const {
    if (!FieldHoldsNumber(kResult)) return std::nullopt;
    const float value = ResultInMlPerMin();
    if (!std::isfinite(value)) return std::nullopt;
    return value;
  }

  void AddToSum() {
    const std::optional<float> reading = Reading();
    // A reading that would carry the sum beyond single precision is refused too, so
    // the average stays a number.
    if (!reading || !std::isfinite(sum + *reading)) {
      zap();
      return;
    }
    ++count;
    sum += *reading;
  }

  // The average is the mean of the readings added and nothing else: a reading the user
  // never added (the one shown at opening, a "no result" read as 0) would pull it, and
  // Store would write it into the data file as the experiment's flow rate. With
  // nothing added the reading shown stands for itself, uncounted; with no reading
  // either there is nothing to show.
  void FlipAverage() {
    averaging = !averaging;
    if (!averaging) {
      Recompute();
      return;
    }
    if (count == 0) {
      if (!FieldHoldsNumber(kResult)) {
        averaging = false;
        ShowNoResult(kResult, "no flow added or shown to average");
        return;
      }
      held.ShowPlain(kResult, held.Value(kResult));
    } else {
      float average = sum / count;
      if (litres) average = static_cast<float>(average * 0.001);
      held.ShowPlain(kResult, average);
    }
    rt::SetControlState(kShowAverage, 2);
  }

  void Store() {
    const std::optional<float> value = Reading();
    // A blank, non-positive or infinite result is no flow rate; the data file would carry it.
    if (!value || !(*value > 0)) {
      zap();
      return;
    }
    flowrate = *value;
    BarometricPressure = 760.0f;
    flowtemp = 0.0f;
    FlowTempStored = true;
  }

  bool OnButton(int16_t button) {
    switch (button) {
      case kIndicated:
      case kCumulative:
        cumulative = button == kCumulative;
        SelectRadio(button, {kIndicated, kCumulative});
        Recompute();
        break;
      case kStpTorr:
      case kStpPSI:
      case kStpKPa:
      case kStpMmH2O:
        pressureUnit = button;
        SelectRadio(button, {kStpTorr, kStpPSI, kStpKPa, kStpMmH2O});
        Recompute();
        break;
      case kSCCM:
      case kSLPM:
        litres = button == kSLPM;
        SelectRadio(button, {kSCCM, kSLPM});
        Recompute();
        break;
      case kCompute:
        Recompute();
        break;
      case kAddToSum:
        AddToSum();
        break;
      case kShowAverage:
        FlipAverage();
        break;
      case kStore:
        Store();
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

Rect R(int16_t l, int16_t t, int16_t r, int16_t b) {
  return Rect{l, t, r, b};
}

void Entry(int16_t field, const Str255& text, Rect where) {
  StyledField(field, text, where, 3, 2, kBlackText, RGBColor{65535, 65535, 65535}, 12, true);
}

void BuildLayout(HeldValues& held) {
  DrawLabel(10, 27, "STP flow:", 18, true);
  StyledField(kResult, "", R(105, 9, 270, 31), 3, 2, kRedText, manila, 18, true);
  RadioButton(kSCCM, "SCCM", R(285, 5, 365, 21), true);
  RadioButton(kSLPM, "SLPM", R(285, 23, 365, 39), false);

  RadioButton(kIndicated, "Indicated Flowrate, ml/min:", R(10, 50, 232, 68), true);
  // A flow or pressure the experiment does not have yet is offered as 100 ml/min and
  // 760 torr; the experiment keeps its own until Store.
  const float flow = flowrate > 0 ? flowrate : 100.0f;
  Entry(kFlow, "", R(240, 49, 340, 68));
  held.Show(kFlow, flow, ReadoutText(flow));
  RadioButton(kCumulative, " Cumulative Volume,  in ml:", R(10, 76, 232, 94), false);
  Entry(kVolume, "1000", R(240, 75, 340, 94));
  DrawLabelRight(232, 115, "Elapsed Time in Seconds:", 13);
  Entry(kSeconds, "60", R(240, 101, 340, 120));

  DrawLabel(10, 147, "B.P.", 13);
  Entry(kBarometric, "", R(45, 133, 105, 152));
  held.ShowPlain(kBarometric, BarometricPressure > 0 ? BarometricPressure : 760.0f);
  DrawLabel(110, 147, "torr,  meter internal pressure:", 13);
  Entry(kInternal, "0", R(308, 133, 362, 152));
  DrawLabel(10, 177, "internal pressure:", 13);
  RadioButton(kStpTorr, "torr", R(125, 163, 178, 181), true);
  RadioButton(kStpPSI, "PSI", R(180, 163, 230, 181), false);
  RadioButton(kStpKPa, "KPa", R(232, 163, 284, 181), false);
  RadioButton(kStpMmH2O, "mm H2O", R(286, 163, 366, 181), false);

  DrawLabel(10, 208, "Meter temp.", 13);
  Entry(kMeterTemp, "", R(95, 194, 145, 213));
  held.ShowPlain(kMeterTemp, flowtemp);
  DrawMacLabel(148, 208, degC, 13);
  DrawLabel(170, 208, ";  calibrated for", 13);
  Entry(kCalibTemp, "0", R(280, 194, 330, 213));
  DrawMacLabel(333, 208, degC, 13);

  DoubleLINE(0, 372, 224);
  PushButton(kAddToSum, "Add to \xB7", R(20, 235, 130, 255));  // Mac Roman 0xB7: the sum sign
  PushButton(kShowAverage, "show Average", R(150, 235, 282, 255));
  PushButton(kHelp, "?", R(292, 235, 332, 255));
  PushButton(kStore, "Store", R(20, 265, 100, 285));
  PushButton(kCompute, "Compute", R(120, 265, 260, 285), true);
  PushButton(kDone, "Done", R(280, 265, 342, 285));
}

}  // namespace

void STPflowAdjust() {
  OpenCalculatorWindow("Flow System STP Converter", 100, 90, 472, 390);
  Converter c;
  BuildLayout(c.held);
  c.Compute();
  LoopRules rules;
  rules.defaultButton = kCompute;
  rules.doneButton = kDone;
  RunCalculatorLoop(rules, [&c](int16_t button) { return c.OnButton(button); });
}

}  // namespace mv::calc
