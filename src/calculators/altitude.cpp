#include "calculators/altitude.h"

#include <cmath>
#include <limits>

#include "calculators/altitude_calc.h"
#include "calculators/conditions_layout.h"
#include "calculators/frame.h"
#include "files/state.h"
#include "kit/builders.h"
#include "kit/format.h"
#include "kit/sounds.h"
#include "kit/state.h"

namespace mv::calc {
namespace {

constexpr int16_t kPressure = 111, kAltitude = 112, kDescription = 213;
constexpr int16_t kAltFromPressure = 1, kPressureFromAlt = 2, kStorePressure = 3, kDone = 4, kHelp = 15;
constexpr int16_t kMetres = 5, kFeet = 6, kTorr = 7, kKPa = 8;
constexpr int16_t kHelpTopic = 180;
constexpr const char* kTorrPicture = "#####.#";
constexpr const char* kKPaPicture = "####.###";

struct AltitudeWindow {
  bool torr = true;
  bool feet = false;
  // The pressure and altitude the window wrote, held as computed or converted: their
  // texts are rounded to the pictures and never read back.
  HeldValues held;

  const char* Picture() const { return torr ? kTorrPicture : kKPaPicture; }

  // The altitude of the pressure entry; the picture follows the pressure unit.
  void AltitudeFromPressure() {
    const float p = held.FloatValue(kPressure);
    const float h = p > 0 ? AltitudeFromEntry(p, torr, feet) : std::numeric_limits<float>::quiet_NaN();
    if (UsableResult(kAltitude, h, "pressure not above 0")) {
      held.Show(kAltitude, h, PictureFormat(h, Picture()));
      upVipSOUND();
    }
    ActivateField(0);
  }

  void PressureFromAltitude() {
    const float p = PressureFromEntry(held.FloatValue(kAltitude), torr, feet);
    if (!UsableResult(kPressure, p, kOutOfRangeReason)) return;
    held.Show(kPressure, p, PictureFormat(p, Picture()));
    upVipSOUND();
  }

  void ChoosePressureUnit(bool toTorr) {
    if (toTorr == torr) return;
    torr = toTorr;
    SelectRadio(torr ? kTorr : kKPa, {kTorr, kKPa});
    const double pressure = held.Value(kPressure);
    const double converted = torr ? pressure * kTorrPerKPa : pressure / kTorrPerKPa;
    // What is no number stays as it stands; it is refused when used.
    if (std::isfinite(converted)) held.Show(kPressure, converted, PictureFormat(converted, Picture()));
  }

  void ChooseAltitudeUnit(bool toFeet) {
    if (toFeet == feet) return;
    feet = toFeet;
    SelectRadio(feet ? kFeet : kMetres, {kMetres, kFeet});
    const double altitude = held.Value(kAltitude);
    const double converted = feet ? altitude * kFeetPerMetre : altitude / kFeetPerMetre;
    if (std::isfinite(converted)) held.ShowPlain(kAltitude, converted);
    ActivateField(0);
  }

  void StorePressure() {
    float p = held.FloatValue(kPressure);
    if (!torr) p = static_cast<float>(p * kTorrPerKPa);
    // An empty or non-positive entry is no barometric pressure for the data file; nor
    // is one beyond what single precision holds in torr (5e37 kPa is no number there).
    if (!(p > 0) || !std::isfinite(p)) {
      zap();
      return;
    }
    BarometricPressure = p;
    wsst();
  }

  // Return computes from the field it was typed in: a pressure typed and entered
  // gives its altitude; anywhere else it stands for the default button.
  void OnReturn() {
    if (rt::FocusedEditField() == kPressure) {
      AltitudeFromPressure();
    } else {
      PressureFromAltitude();
    }
  }

  bool OnButton(int16_t button) {
    switch (button) {
      case kAltFromPressure:
        AltitudeFromPressure();
        break;
      case kPressureFromAlt:
        PressureFromAltitude();
        break;
      case kTorr:
      case kKPa:
        ChoosePressureUnit(button == kTorr);
        break;
      case kMetres:
      case kFeet:
        ChooseAltitudeUnit(button == kFeet);
        break;
      case kStorePressure:
        StorePressure();
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

void BuildLayout() {
  BUILDBOX2(7, 9, 367, 61);
  StyledField(kDescription,
              "Computes relationships between altitude (above sea level) and mean barometric "
              "pressure (not corrected for local weather-related fluctuations).",
              Rect{10, 12, 365, 59}, 7, 1, kBlackText, lightBlue, 12, false);
  DrawLabel(10, 93, "Pressure in", 13);
  RadioButton(kTorr, "torr", Rect{95, 79, 148, 97}, true);
  RadioButton(kKPa, "kPa:", Rect{150, 79, 205, 97}, false);
  DrawLabel(10, 123, "Altitude in", 13);
  RadioButton(kMetres, "Meters", Rect{85, 109, 152, 127}, true);
  RadioButton(kFeet, "Feet:", Rect{152, 109, 205, 127}, false);
  StyledField(kPressure, NumberText(BarometricPressure), Rect{210, 77, 370, 97}, 3, 2, kBlackText, lightBlue,
              14, true);
  StyledField(kAltitude, "", Rect{210, 107, 370, 127}, 3, 2, kBlackText, lightBlue, 14, true);
  PushButton(kAltFromPressure, "Compute Altitude from Pressure", Rect{20, 140, 360, 160});
  PushButton(kPressureFromAlt, "Compute Pressure from Altitude", Rect{20, 170, 360, 190}, true);
  PushButton(kStorePressure, "Store Pressure", Rect{20, 210, 140, 230});
  PushButton(kHelp, "?", Rect{150, 210, 190, 230});
  PushButton(kDone, "Done", Rect{270, 210, 360, 230});
}

}  // namespace

void ALTITUDE() {
  // Wider than the fields need for a number, so a result not computed can say why.
  OpenCalculatorWindow("Altitude and Pressure", 300, 100, 680, 340);
  BuildLayout();
  AltitudeWindow w;
  w.held.ShowPlain(kPressure, BarometricPressure);
  w.AltitudeFromPressure();
  LoopRules rules;
  rules.doneButton = kDone;
  rules.tabMovesFocus = true;
  rules.onReturn = [&w] { w.OnReturn(); };
  RunCalculatorLoop(rules, [&w](int16_t button) { return w.OnButton(button); });
}

}  // namespace mv::calc
