// The calculators' number text, against texts written by hand: the program-wide
// significant digits, fixed notation from 2^-7 up to below 2^32, whole numbers
// below 2^32 in full, exponent notation outside.
#include "calculators/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "calculators/altitude.h"
#include "calculators/closed_system.h"
#include "calculators/metabolism.h"
#include "calculators/metabolism_table.h"
#include "calculators/po2.h"
#include "calculators/state.h"
#include "calculators/stp_flow.h"
#include "calculators/unit_conversions.h"
#include "common/test_support.h"
#include "conditions_driver.h"
#include "files/state.h"
#include "kit/format.h"
#include "kit/state.h"

namespace mv::calc {
namespace {

struct Case {
  double value;
  int digits;
  const char* text;
};

constexpr double kInf = std::numeric_limits<double>::infinity();

const Case kCases[] = {
    // Results that used to show the float's binary error.
    {0.1f, 5, " 0.1"},
    {0.07142389566f, 5, " 0.071424"},
    {0.661749959f, 5, " 0.66175"},
    {0.002646999899f, 5, " 2.647e-03"},
    // Rounding to the significant digits, trailing zeros dropped.
    {4.188789086135801, 5, " 4.1888"},
    {113.09733, 5, " 113.1"},
    {1.0986123, 5, " 1.0986"},
    {3.0000002f, 5, " 3"},
    {123456.7, 5, " 123460"},
    {99999.7, 5, " 100000"},
    {-0.52359877, 5, "-0.5236"},
    // Whole numbers below 2^32 in full.
    {1024, 5, " 1024"},
    {-4, 5, "-4"},
    {1234567, 5, " 1234567"},
    {4294967295.0, 5, " 4294967295"},
    // The edges of fixed notation.
    {0.0078125, 5, " 0.0078125"},
    {0.0078, 5, " 7.8e-03"},
    {4294967296.0, 5, " 4.295e+09"},
    {1.5e-9, 5, " 1.5e-09"},
    {6.02214076e23, 5, " 6.0221e+23"},
    {-0.000123456, 5, "-1.2346e-04"},
    {1e100, 5, " 1e+100"},
    // Other digit counts chosen in the View menu.
    {1.0986123, 4, " 1.099"},
    {1.0986123, 6, " 1.09861"},
    {0.07142389566f, 4, " 0.07142"},
    // Zero and what is no number.
    {0.0, 5, " 0"},
    {-0.0, 5, " 0"},
    {std::nan(""), 5, " NaN"},
    {kInf, 5, " Inf"},
    {-kInf, 5, "-Inf"},
};

class NumberTextTest : public test::ProgramTest {};

TEST_F(NumberTextTest, WritesEachValueAsTheUserReadsIt) {
  for (const Case& c : kCases) {
    SignificantFigures = static_cast<int16_t>(c.digits);
    EXPECT_EQ(NumberText(c.value).str(), c.text) << c.value << " with " << c.digits << " digits";
  }
  SignificantFigures = 5;
}

TEST_F(NumberTextTest, ReadoutFieldsKeepTheirShapeWithoutTheBinaryError) {
  SignificantFigures = 5;
  EXPECT_EQ(ReadoutText(0.1f).str(), " 0.1");                 // STP flow in SLPM
  EXPECT_EQ(ReadoutText(0.07142389566f).str(), " 0.071424");  // closed system VO2 per minute
  EXPECT_EQ(ReadoutText(0.002647f).str(), " 2.647e-03");      // the unicellular rate
  EXPECT_EQ(ReadoutText(2.9999999f).str(), " 3");             // near a whole value
  EXPECT_EQ(ReadoutText(12345.6f).str(), " 12346");
  EXPECT_EQ(ReadoutText(93.17406f).str(), " 93.174");  // the significant digits of the View menu
  EXPECT_EQ(ReadoutText(static_cast<float>(kInf)).str(), " Inf");
}

class ResultFieldTextTest : public test::ConditionsCalcTest {};

TEST_F(ResultFieldTextTest, StpFlowInLitresAndTheClosedSystemRateReadWithoutBinaryError) {
  // 100 ml/min at 760 torr and 0 degrees is 0.1 standard litres per minute.
  Run(STPflowAdjust, {Type(112, "100"), Type(115, "760"), Type(117, "0"), Click(10),
                      Do([] { EXPECT_EQ(Text(111), " 0.1"); }), Shot("w8-stp-flow-slpm.png"), Click(13)});
  // The closed system's opening entries: 0.071424 ml/min of oxygen.
  Run(ClosedSystemRespirometry,
      {Do([] { EXPECT_EQ(Text(213), " 0.071424"); }), Shot("w8-closed-system.png"), Click(2)});
}

// Every calculator result follows View > Significant Digits: the text under Four, Five
// and Six is the result read at seven digits, rounded to the setting.
TEST_F(ResultFieldTextTest, EveryCalculatorsResultFollowsTheSignificantDigits) {
  struct Case {
    const char* name;
    std::function<void()> calculator;
    std::vector<Step> produce;  // the steps that compute the result
    int16_t field, done;
  };
  const Case cases[] = {
      {"metabolic rate of a 2 kg mammal",
       [] { METABOLISM(0); },
       {Pick(kMainList, 11), Click(31), Type(112, "2"), Click(2)},
       117,
       3},
      {"joules to calories", [] { UnitCONVERT(); }, {Type(111, "7.3"), Click(119)}, 112, 120},
      {"pO2", [] { PO2CALC(); }, {Click(19)}, 116, 20},
      {"STP flow",
       [] { STPflowAdjust(); },
       {Type(112, "100"), Type(115, "760"), Type(117, "20"), Click(10)},
       111,
       13},
      {"closed-system rate", [] { ClosedSystemRespirometry(); }, {Click(1)}, 213, 2},
  };
  int checked = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string atSeven;
    auto produceAt = [&](int digits, std::function<void(const std::string&)> check) {
      std::vector<Step> steps{Do([digits] { SignificantFigures = static_cast<int16_t>(digits); })};
      steps.insert(steps.end(), c.produce.begin(), c.produce.end());
      steps.push_back(Do([&c, check] { check(Text(c.field)); }));
      steps.push_back(Click(c.done));
      ResetCalculatorsState();
      Run(c.calculator, steps);
    };
    produceAt(7, [&](const std::string& t) { atSeven = t; });
    for (const int digits : {4, 5, 6}) {
      produceAt(digits, [&](const std::string& t) {
        EXPECT_EQ(t, NumberText(TextToNumber(atSeven), digits).str()) << digits << " digits; " << atSeven;
      });
      ++checked;
    }
  }
  SignificantFigures = 5;
  EXPECT_EQ(checked, 15);
}

// A value a window converted or computed is held as it was: its text, rounded to the
// digits or a picture, is never read back, whether a unit is switched there and back,
// a result is used again or handed on.
TEST_F(ResultFieldTextTest, ConvertedValuesAreHeldNotReadBackFromTheirText) {
  SignificantFigures = 4;
  BarometricPressure = 760;
  // Altitude: 755.123 torr to kPa and back, then stored.
  Run(ALTITUDE,
      {Type(111, "755.123"), Click(8), Click(7),
       Do([] { EXPECT_EQ(Text(111), PictureFormat(755.123, "#####.#").str()); }), Click(3), Click(4)});
  EXPECT_FLOAT_EQ(BarometricPressure, 755.123f) << "the pressure typed, not 755.12 read back";
  // Altitude: 12345.67 m to feet and back gives the pressure of 12345.67 m.
  std::string direct;
  Run(ALTITUDE, {Click(8), Type(112, "12345.67"), Click(2), Do([&] { direct = Text(111); }), Click(4)});
  Run(ALTITUDE,
      {Click(8), Type(112, "12345.67"), Click(6), Click(5), Click(2),
       Do([&] { EXPECT_EQ(Text(111), direct) << "not the pressure of " << Text(112) << " m"; }), Click(4)});
  // Unit conversions: 7.3 joules in calories, swapped, back to joules.
  Run(UnitCONVERT, {Type(111, "7.3"), Click(119), Do([] { EXPECT_EQ(Text(112), " 1.744"); }), Click(118),
                    Do([] { SignificantFigures = 6; }), Pick(63, 2), Do([] { EXPECT_EQ(Text(112), " 7.3"); }),
                    Click(120)});
  SignificantFigures = 5;
}

}  // namespace
}  // namespace mv::calc
