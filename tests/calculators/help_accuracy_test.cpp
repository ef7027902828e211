// The help pages of Altitude, Dissolved Oxygen and Minimum Flowrate state how far
// the formulas the program keeps lie from the references: the figures a page quotes
// are measured here, through the windows, against the published formulas (the 1976
// standard atmosphere; the oxygen solubility of Benson and Krause as fitted by
// Garcia and Gordon, 1992).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "calculators/altitude.h"
#include "calculators/dissolved_o2.h"
#include "calculators/metabolism.h"
#include "calculators/metabolism_table.h"
#include "calculators/state.h"
#include "common/help_page.h"
#include "conditions_driver.h"
#include "kit/format.h"

namespace mv::calc {
namespace {

// The 1976 standard atmosphere: pressure (torr) at a geopotential altitude (m), and
// the altitude of a pressure, troposphere and the isothermal layer above it.
double Us1976Torr(double metres) {
  if (metres <= 11000) return 760 * std::pow(1 - metres / 44330.8, 5.255876);
  return 760 * 0.22336 * std::exp(-(metres - 11000) / 6341.62);
}
double Us1976Metres(double torr) {
  const double ratio = torr / 760;
  if (ratio >= 0.22336) return 44330.8 * (1 - std::pow(ratio, 1 / 5.255876));
  return 11000 - 6341.62 * std::log(ratio / 0.22336);
}

// Oxygen in water in equilibrium with air at 760 torr, ml (STP) per litre, at t °C
// and a salinity in parts per thousand (Garcia and Gordon 1992, Benson-Krause fit).
double GarciaGordon(double t, double salinity) {
  const double ts = std::log((298.15 - t) / (273.15 + t));
  const double a[] = {2.00907, 3.22014, 4.05010, 4.94457, -0.256847, 3.88767};
  const double b[] = {-6.24523e-3, -7.37614e-3, -1.03410e-2, -8.17083e-3};
  double lnC = 0, salt = 0;
  for (int i = 5; i >= 0; --i) lnC = lnC * ts + a[i];
  for (int i = 3; i >= 0; --i) salt = salt * ts + b[i];
  return std::exp(lnC + salinity * salt - 4.88682e-7 * salinity * salinity);
}

class HelpAccuracyTest : public test::ConditionsCalcTest {
 protected:
  // Several entries typed in one step, as pasted.
  static Step Enter(std::vector<std::pair<int16_t, std::string>> entries) {
    return Do([entries] {
      for (const auto& [field, text] : entries) rt::SetEditText(field, text);
    });
  }
  // The number a page quotes under an id ("10,593" reads 10593) and its decimals.
  static void Quoted(int16_t topic, const char* id, double& value, int& decimals) {
    std::string text = test::HelpTopicExampleText(topic, id);
    text.erase(std::remove(text.begin(), text.end(), ','), text.end());
    ASSERT_TRUE(test::FirstNumberIn(text, value, decimals)) << id << " is quoted nowhere";
  }
  // The page quotes the measured figure as it rounds.
  static void ExpectQuotes(int16_t topic, const char* id, double measured) {
    double value = 0;
    int decimals = 0;
    Quoted(topic, id, value, decimals);
    EXPECT_NEAR(measured, value, 0.5 * std::pow(10.0, -decimals) + 1e-9) << id;
  }
  // The page gives a bound the measured figure keeps to.
  static void ExpectWithin(int16_t topic, const char* id, double measured) {
    double value = 0;
    int decimals = 0;
    Quoted(topic, id, value, decimals);
    EXPECT_LE(measured, value + 0.5 * std::pow(10.0, -decimals)) << id;
  }
};

TEST_F(HelpAccuracyTest, PagesStateHowFarTheFormulasLieFromTheReferences) {
  constexpr int16_t kAltitudePage = 180, kOxygenPage = 181, kMetabolismPage = 160;
  // Altitude from pressure, 742.5 down to 500 torr, and at 200 torr; pressure from
  // altitude up to 5000 m.
  double least = 1e9, most = -1e9, at200 = 0, pressureError = 0;
  std::vector<Step> steps;
  for (double torr = 742.5; torr >= 500; torr -= 10) {
    steps.push_back(Enter({{111, NumText(torr, 6).str()}}));
    steps.push_back(Click(1));
    steps.push_back(Do([torr, &least, &most] {
      const double low = Us1976Metres(torr) - Value(112);
      least = std::min(least, low);
      most = std::max(most, low);
    }));
  }
  steps.push_back(Type(111, "200"));
  steps.push_back(Click(1));
  steps.push_back(Do([&at200] { at200 = Value(112); }));
  for (int metres = 0; metres <= 5000; metres += 500) {
    steps.push_back(Enter({{112, std::to_string(metres)}}));
    steps.push_back(Click(2));
    steps.push_back(Do([metres, &pressureError] {
      const double reference = Us1976Torr(metres);
      pressureError = std::max(pressureError, std::fabs(Value(111) / reference - 1) * 100);
    }));
  }
  steps.push_back(Click(4));
  Run(ALTITUDE, steps);
  ExpectQuotes(kAltitudePage, "altitude-low-least", least);
  ExpectQuotes(kAltitudePage, "altitude-low-most", most);
  ExpectQuotes(kAltitudePage, "altitude-200", at200);
  ExpectQuotes(kAltitudePage, "altitude-200-reference", Us1976Metres(200));
  ExpectWithin(kAltitudePage, "altitude-pressure-bound", pressureError);

  // Dissolved oxygen in sea water at 20 and 37 °C, and in fresh water from 0 to 37 °C.
  double sea20 = 0, sea37 = 0, fresh = 0;
  steps.clear();
  auto measure = [&steps](double t, double salinity, double& into, bool keepLargest) {
    steps.push_back(Enter({{104, NumText(t).str()},
                           {106, "760"},
                           {107, "20.95"},
                           {108, NumText(salinity).str()},
                           {109, "100"}}));
    steps.push_back(Click(11));
    steps.push_back(Do([t, salinity, &into, keepLargest] {
      const double percent = (Value(103) / GarciaGordon(t, salinity) - 1) * 100;
      into = keepLargest ? std::max(into, std::fabs(percent)) : percent;
    }));
  };
  measure(20, 35, sea20, false);
  measure(37, 35, sea37, false);
  for (double t : {0, 5, 10, 15, 20, 25, 30, 37}) measure(t, 0, fresh, true);
  steps.push_back(Click(14));
  Run(DissolvedO2CALC, steps);
  ExpectQuotes(kOxygenPage, "do-sea-20", sea20);
  ExpectQuotes(kOxygenPage, "do-sea-37", sea37);
  ExpectWithin(kOxygenPage, "do-fresh-bound", fresh);

  // The fish minimum flow in fresh water at 20 and 30 °C: the flow the water's own
  // oxygen content needs, against the flow shown.
  for (const auto& [t, id] : {std::pair{20, "fish-flow-20"}, std::pair{30, "fish-flow-30"}}) {
    double times = 0;
    ResetCalculatorsState();  // the window opens on the main list
    Run([] { METABOLISM(1); },
        {Pick(kMainList, 7), Pick(kFishList, 1),
         Enter({{114, std::to_string(t)}, {115, std::to_string(t)}, {108, "0.4"}}), Click(2), Do([t, &times] {
           const double needed = Value(117) / (0.004 * GarciaGordon(t, 1) / 1000);
           times = needed / Value(109);
         }),
         Click(3)});
    ExpectQuotes(kMetabolismPage, id, times);
  }
}

}  // namespace
}  // namespace mv::calc
