// Water vapour, oxygen partial pressure and dissolved oxygen: the formulas pinned
// against hand-worked values, and the two windows driven through their buttons.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "acquisition/state.h"
#include "calculators/dissolved_o2.h"
#include "calculators/number_text.h"
#include "calculators/oxygen_calc.h"
#include "calculators/po2.h"
#include "calculators/stp_flow.h"
#include "conditions_driver.h"
#include "files/data_file_model.h"
#include "files/state.h"
#include "kit/state.h"
#include "setup/state.h"

namespace mv::calc {
namespace {

double Poly(const double (&c)[6], double t) {
  double s = 0;
  for (int i = 5; i >= 0; --i) s = s * t + c[i];
  return s;
}
constexpr double kCold[6] = {0.0048364, 0.00033247, 9.9414e-6, 1.6383e-7, 1.5029e-9, 6.1512e-12};
constexpr double kWarm[6] = {0.0048207, 0.00033389, 1.058e-5, 1.4478e-7, 2.3182e-9, 6.7731e-12};

TEST(VapourPressure, FifthOrderFitWithTwoCoefficientSets) {
  EXPECT_NEAR(SaturatedVapourDensity(37), Poly(kWarm, 37), 1e-7);  // 0.04381 g/l
  EXPECT_NEAR(SaturatedVapourDensity(4), Poly(kCold, 4), 1e-8) << "4 degrees is still cold water";
  EXPECT_NEAR(SaturatedVapourDensity(4.01f), Poly(kWarm, 4.01), 1e-8);
  EXPECT_NEAR(SaturatedVapourDensity(0), 0.0048364, 1e-9);
  float k = 0;
  EXPECT_NEAR(VapourPressure(37, 100, true, &k), 310.15 * Poly(kWarm, 37) * 7.50062 * 0.4673615, 1e-3);
  EXPECT_NEAR(k, 0.0438065, 1e-6);
  EXPECT_NEAR(VapourPressure(37, 100, false), 47.627838 * 101.325 / 760, 1e-4);
  EXPECT_EQ(VapourPressure(37, 0, true), 0.0f);
  EXPECT_EQ(VapourPressure(37, -20, true), 0.0f) << "never negative";
}

TEST(VapourPressure, ShownTextIsCutToSevenCharactersButKeepsItsExponent) {
  EXPECT_EQ(VapourPressureText(47.627838f).str(), " 47.628");
  EXPECT_EQ(VapourPressureText(0.0123456f).str(), " 0.0123");
  EXPECT_EQ(VapourPressureText(0.0f).str(), " 0");
  const Str255 tiny = VapourPressureText(4.7627838e-7f);
  EXPECT_NEAR(TextToNumber(tiny), 4.7628e-7, 1e-11) << tiny.str() << ": a cut would read 4.7628";
}

TEST(OxygenPartialPressure, DryGasShareOfThePressureLeftByVapour) {
  EXPECT_NEAR(OxygenPartialPressure(742.5f, 47.628f, 20.95f, true), (742.5 - 47.628) * 0.2095, 1e-3);
  EXPECT_NEAR(OxygenPartialPressure(742.5f, 0, 20.95f, true), 155.55375, 1e-3);
  EXPECT_NEAR(OxygenPartialPressure(98.992f, 6.3499f, 20.95f, false), (98.992 - 6.3499) * 0.2095, 1e-4);
}

TEST(DissolvedOxygen, ContentPerLitreAndInTheVolume) {
  const float factor = PressureSaturationFactor(100, 760, 20.95f);
  EXPECT_FLOAT_EQ(factor, 1.0f);
  const OxygenContent c = O2Content(10, 10000, 1, factor);
  const double x = 2.028544 - 0.037973 * 10 - 0.4826 * 0.020751;
  EXPECT_NEAR(c.exponent, x, 1e-6);                       // 1.63880
  EXPECT_NEAR(c.perLitre, std::exp(x) + 2.793274, 1e-5);  // 7.942
  EXPECT_NEAR(c.net, (std::exp(x) + 2.793274) * 10, 1e-4);
  const OxygenContent half = O2Content(10, 10000, 1, PressureSaturationFactor(100, 380, 20.95f));
  EXPECT_FLOAT_EQ(half.perLitre, c.perLitre / 2);
  EXPECT_EQ(O2Content(10, 10000, 1, PressureSaturationFactor(0, 760, 20.95f)).net, 0.0f);
  // Sea water at 25 C, 80 % saturated at 745 torr: F = 0.8 * 745 / 760.
  const OxygenContent sea = O2Content(25, 500, 17.5f, PressureSaturationFactor(80, 745, 20.95f));
  EXPECT_NEAR(sea.perLitre,
              (std::exp(2.028544 - 0.037973 * 25 - 0.4826 * 0.020751 * 17.5) + 2.793274) * 0.8 * 745 / 760,
              1e-4);
}

// Solubility of oxygen from air at 101.325 kPa, EN 25 814 (ISO 5814), in mg/L, with
// the table's salinity correction in mg/L per g/kg; 1.429 mg of O2 per ml at STP.
TEST(DissolvedOxygen, AgreesWithTheEN25814TableInFreshBrackishAndSeaWater) {
  struct Row {
    float celsius;
    double freshMgPerL, perPpt;
  };
  const Row table[] = {{0, 14.62, 0.0875}, {10, 11.29, 0.0632}, {20, 9.09, 0.0475}, {30, 7.56, 0.0371}};
  for (const Row& r : table) {
    for (float ppt : {0.0f, 20.0f, 35.0f}) {
      // The table's linear correction runs out of the band in warm sea water only.
      if (r.celsius == 30 && ppt == 35) continue;
      const double reference = (r.freshMgPerL - ppt * r.perPpt) / 1.429;
      const double shown = O2Content(r.celsius, 1000, ppt, 1).perLitre;
      EXPECT_NEAR(shown, reference, reference * 0.025) << r.celsius << " C, " << ppt << " ppt";
    }
  }
  // Sea water at 20 C: 5.299 ml/L with the solutes in full (5.779 with half of them).
  EXPECT_NEAR(O2Content(20, 1000, 35, 1).perLitre, 5.299, 5e-4);
}

class PO2WindowTest : public test::ConditionsCalcTest {
 protected:
  static constexpr int16_t kPressure = 111, kTemperature = 112, kSaturation = 113, kVapour = 114, kPO2 = 116,
                           kPO2Unit = 210, kVapourUnit = 211;
  static constexpr int16_t kTorr = 1, kKPa = 2, kCompute = 19, kDone = 20, kHelp = 21;
};

TEST_F(PO2WindowTest, OpensAtBodyTemperatureAndTheExperimentsPressureAndLeavesItAlone) {
  BarometricPressure = 700;
  Run(PO2CALC, {Shot("w8-po2.png"), Do([] {
                  EXPECT_EQ(Text(kPressure), " 700");
                  EXPECT_EQ(Text(kVapour), " 47.628");
                  EXPECT_NEAR(Value(kPO2), (700 - 47.628) * 0.2095, 0.005);
                  EXPECT_EQ(Text(kPO2Unit), "torr");
                  EXPECT_NEAR(Kfloat, 0.0438065, 1e-6);
                }),
                Click(kHelp), Click(kDone)});
  EXPECT_EQ(BarometricPressure, 700.0f);
}

TEST_F(PO2WindowTest, KPaAndBackKeepTheResults) {
  BarometricPressure = 742.5;
  Run(PO2CALC, {Click(kKPa), Do([] {
                  EXPECT_EQ(Text(kPressure), " 98.992");
                  EXPECT_EQ(Text(kVapourUnit), "kPa");
                  EXPECT_EQ(Text(kPO2Unit), "kPa");
                  EXPECT_EQ(Text(kVapour), " 6.3499");
                  EXPECT_NEAR(Value(kPO2), (98.992 - 6.3499) * 0.2095, 1e-3);
                  EXPECT_EQ(State(kKPa), 2);
                }),
                Click(kTorr), Do([] {
                  EXPECT_EQ(Text(kPressure), " 742.5");
                  EXPECT_NEAR(Value(kPO2), 145.58, 0.005);
                  EXPECT_EQ(Text(kVapourUnit), "torr");
                }),
                Click(kDone)});
}

// The torr and kPa switch converts the pressure held, not its text rounded to the
// display's digits: there and back gives the pressure typed, and each pO2 is the one
// of the pressure typed, under Four, Five and Six digits.
TEST_F(PO2WindowTest, TorrToKPaAndBackConvertsThePressureTypedAtEveryDigitSetting) {
  const double vapour = VapourPressure(37, 100, true);  // torr, the Part's formula
  auto po2 = [vapour](double torr) { return (torr - vapour) * 0.2095; };
  int checked = 0;
  for (const int digits : {4, 5, 6}) {
    for (const char* typed : {"760", "742.5", "755.123"}) {
      SCOPED_TRACE(std::to_string(digits) + " digits, " + typed);
      const double torr = std::stod(typed), kPa = torr * 101.325 / 760;
      auto readAt7 = [](double want) { return Do([want] { EXPECT_NEAR(Value(kPO2), want, want * 2e-6); }); };
      auto setDigits = [](int d) { return Do([d] { SignificantFigures = static_cast<int16_t>(d); }); };
      Run(PO2CALC,
          {setDigits(digits), Type(kPressure, typed), Click(kKPa),
           Do([&] { EXPECT_EQ(Text(kPressure), NumberText(kPa, digits).str()); }), setDigits(7),
           Click(kCompute), readAt7(po2(torr) * 101.325 / 760), setDigits(digits), Click(kTorr),
           Do([&] { EXPECT_EQ(Text(kPressure), NumberText(torr, digits).str()) << "there and back"; }),
           setDigits(7), Click(kCompute), readAt7(po2(torr)), Click(kDone)});
      checked += 4;
    }
  }
  SignificantFigures = 5;
  EXPECT_EQ(checked, 36);
}

TEST_F(PO2WindowTest, DryAndNearlyDryGas) {
  BarometricPressure = 742.5;
  Run(PO2CALC, {Type(kSaturation, "0"), Return(kSaturation), Do([] {
                  EXPECT_EQ(Text(kVapour), " 0");
                  EXPECT_NEAR(Value(kPO2), 155.55, 0.01);
                }),
                Type(kSaturation, "0.000001"), Click(kCompute), Do([] {
                  EXPECT_NE(Text(kVapour).find('e'), std::string::npos) << Text(kVapour);
                  EXPECT_NEAR(Value(kPO2), 155.55, 0.01) << "not from a vapour pressure cut to 4.7628";
                }),
                Click(kDone)});
}

TEST_F(PO2WindowTest, AnOverflowingTemperatureShowsNeitherResult) {
  Run(PO2CALC, {Type(kTemperature, "1e12"), Click(kCompute), Do([this] {
                  EXPECT_EQ(Text(kVapour), "no result: out of range");
                  EXPECT_EQ(Text(kPO2), "no result: no vapour pressure");
                  EXPECT_EQ(CountPlayed("bzot.mp3"), 1);
                }),
                Click(kDone)});
}

class DissolvedO2WindowTest : public test::ConditionsCalcTest {
 protected:
  static constexpr int16_t kNet = 101, kPerLitre = 103, kTemperature = 104, kVolume = 105, kPressure = 106,
                           kSaturation = 109;
  static constexpr int16_t kContent = 11, kNetOnly = 12, kHelp = 13, kDone = 14;
};

// The solubility at the window's defaults, 2 ppt of solutes taken in full:
// 7.8909 ml/L (7.9423 with half the solutes).
double DefaultContentPerLitre() {
  return std::exp(2.028544 - 0.037973 * 10 - 0.4826 * 0.020751 * 2) + 2.793274;
}

TEST_F(DissolvedO2WindowTest, OpensWithPresetsAndComputesLeavingTheConditionsAlone) {
  flowtemp = 10;
  BarometricPressure = 0;
  tm = 3;
  Run(DissolvedO2CALC, {Shot("w8-dissolved-o2.png"), Do([] {
                          EXPECT_EQ(Text(kTemperature), " 10");
                          EXPECT_EQ(Text(kVolume), " 10000");
                          EXPECT_EQ(Text(kPressure), " 760");
                          EXPECT_NEAR(Value(kPerLitre), DefaultContentPerLitre(), 1e-4);
                          EXPECT_NEAR(Value(kNet), DefaultContentPerLitre() * 10, 1e-3);
                          EXPECT_NE(Text(kPerLitre).front(), ' ') << "no leading blank";
                        }),
                        Type(kPressure, "380"), Return(kPressure), Do([] {
                          EXPECT_NEAR(Value(kPerLitre), DefaultContentPerLitre() / 2, 1e-4);
                          EXPECT_NEAR(Value(kNet), DefaultContentPerLitre() * 5, 1e-3);
                          EXPECT_EQ(rt::FocusedEditField(), 0);
                        }),
                        Type(kSaturation, "0"), Click(kNetOnly), Do([] {
                          EXPECT_EQ(Text(kPerLitre), "0");
                          EXPECT_EQ(Text(kNet), "0");
                        }),
                        Click(kHelp), Click(kDone)});
  EXPECT_EQ(flowtemp, 10.0f);
  EXPECT_EQ(BarometricPressure, 0.0f);
  EXPECT_EQ(tm, 3.0f);
}

// Oxygen in fresh water at 760 torr, ml (STP) per litre, by Weiss (1970): T in
// kelvin, S the salinity in parts per thousand.
double WeissContent(double celsius, double salinity) {
  const double t = (celsius + 273.15) / 100;
  return std::exp(-173.4292 + 249.6339 / t + 143.3483 * std::log(t) - 21.8492 * t +
                  salinity * (-0.033096 + 0.014259 * t - 0.0017 * t * t));
}

// Both oxygen windows start from the experiment's stored conditions: the flow
// temperature once one was stored, 0 °C included, and the pressure when one is set.
// The content is then the solubility at that temperature (10.1 ml/L at 0 °C, not 7.8
// at 10 °C), within the 2 % this formula keeps in fresh water. A fresh program has
// stored no temperature: its start-up 0 is none, and the window opens at 10 °C.
TEST_F(DissolvedO2WindowTest, BothOxygenWindowsStartFromTheStoredConditions) {
  Run(DissolvedO2CALC, {Do([] {
                          EXPECT_EQ(Text(kTemperature), " 10");
                          EXPECT_NEAR(Value(kPerLitre), DefaultContentPerLitre(), 1e-3);
                        }),
                        Click(kDone)});
  // The flow converter's Store stores 0 degrees, which is then a temperature.
  Run(STPflowAdjust, {Click(12), Click(13)});
  Run(DissolvedO2CALC, {Do([] { EXPECT_EQ(Text(kTemperature), " 0"); }), Click(kDone)});
  struct Case {
    float flowtemp, pressure;
    const char *temperatureText, *pressureText, *po2PressureText;
    double torr;  // the pressure computed with
  };
  const Case cases[] = {
      {25, 700, " 25", " 700", " 700", 700},
      {0, 760, " 0", " 760", " 760", 760},
      {0, 0, " 0", " 760", " 742.5", 760},  // no pressure set
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.temperatureText);
    flowtemp = c.flowtemp;  // as the file information window stores them
    FlowTempStored = true;
    BarometricPressure = c.pressure;
    Run(DissolvedO2CALC, {Do([&c] {
                            EXPECT_EQ(Text(kTemperature), c.temperatureText);
                            EXPECT_EQ(Text(kPressure), c.pressureText);
                            const double reference = WeissContent(c.flowtemp, 2) * c.torr / 760;
                            EXPECT_NEAR(Value(kPerLitre), reference, reference * 0.02);
                          }),
                          Click(kDone)});
    Run(PO2CALC, {Do([&c] { EXPECT_EQ(Text(111), c.po2PressureText); }), Click(20)});
    EXPECT_EQ(flowtemp, c.flowtemp) << "opening changes no condition";
    EXPECT_EQ(BarometricPressure, c.pressure);
  }
}

TEST_F(DissolvedO2WindowTest, ANegativeContentKeepsItsMinusSign) {
  flowtemp = 10;
  Run(DissolvedO2CALC,
      {Type(kSaturation, "-50"), Click(kContent), Do([] {
         EXPECT_EQ(Text(kPerLitre).front(), '-');
         EXPECT_NEAR(Value(kPerLitre), -DefaultContentPerLitre() / 2, 1e-4);
         EXPECT_NEAR(Value(kNet), -DefaultContentPerLitre() * 5, 1e-3);
       }),
       Key(kSaturation, Qt::Key_Tab, "\t"),
       Do([] { EXPECT_EQ(rt::FocusedEditField(), kSaturation) << "Tab does nothing"; }), Click(kDone)});
}

}  // namespace
}  // namespace mv::calc
