// Day numbers, unit conversions, sunrise and sunset, the annual table and its export,
// and the world map's pointer mapping, against values worked out by hand or
// independently from the formulas.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "calculators/day_of_year.h"
#include "calculators/safe_file.h"
#include "calculators/state.h"
#include "calculators/sun_cycle_plot.h"
#include "calculators/sunrise_calc.h"
#include "calculators/unit_conversions.h"
#include "calculators/world_map.h"
#include "common/test_support.h"
#include "kit/format.h"

namespace mv::calc {
namespace {

TEST(DayOfYear, MonthsLeapYearsAndUncheckedDays) {
  EXPECT_EQ(DayOfYearFor(1, 1, 2023), 1);
  EXPECT_EQ(DayOfYearFor(12, 31, 2023), 365);
  EXPECT_EQ(DayOfYearFor(12, 31, 2024), 366);
  EXPECT_EQ(DayOfYearFor(2, 29, 2024), 60);
  EXPECT_EQ(DayOfYearFor(3, 1, 2024), 61);
  EXPECT_EQ(DayOfYearFor(3, 1, 2023), 60);
  EXPECT_EQ(DayOfYearFor(3, 1, 2100), 60) << "2100 is not a leap year";
  EXPECT_EQ(DayOfYearFor(3, 0, 0), 60) << "empty fields: year 0 is a leap year, day 0 adds nothing";
  EXPECT_EQ(DayOfYearFor(1, 32, 2023), 32);
  EXPECT_EQ(DayOfYearFor(2, -3, 2023), 28);
  EXPECT_EQ(DayOfYearFor(13, 5, 2023), 5) << "a month outside 2..12 counts as January";
  EXPECT_EQ(DayOfYearFor(4, 10.9, 2023), 100) << "the fraction of the sum is dropped";
  EXPECT_EQ(DayOfYearFor(4, 1e30, 2023), 0) << "an absurd day gives no undefined conversion";
}

// The windows give no day for a date the calendar does not have; the last day of each
// month, and 29 February of a leap year, are dates.
TEST(DayOfYear, ADateTheCalendarDoesNotHaveIsNamed) {
  const struct {
    int16_t month;
    double day, year;
    const char* problem;
  } rows[] = {{2, 29, 2000, ""},
              {2, 29, 2100, "29 February 2100 is not a date"},
              {2, 30, 2024, "30 February is not a date"},
              {6, 30, 2023, ""},
              {6, 31, 2023, "31 June is not a date"},
              {12, 31, 2023, ""},
              {12, 32, 2023, "32 December is not a date"},
              {3, -1, 2023, "-1 March is not a date"},
              {5, 15.9, 2023, ""}};
  for (const auto& r : rows)
    EXPECT_EQ(DateProblem(r.month, r.day, r.year), r.problem) << r.day << "/" << r.month;
}

TEST(DayOfYear, OpeningDateComesFromTheRecordingThenFromToday) {
  InitialDate d = InitialDateFrom("", "07/04/25");
  EXPECT_EQ(d.month, 7);
  EXPECT_EQ(d.day, "04");
  EXPECT_EQ(d.year, "2025");
  d = InitialDateFrom("03/15/24", "07/04/25");
  EXPECT_EQ(d.month, 3);
  EXPECT_EQ(d.day, "15");
  EXPECT_EQ(d.year, "2024");
  d = InitialDateFrom("00/15/24", "07/04/25");
  EXPECT_EQ(d.month, 7) << "a month of 0 is taken from today";
  EXPECT_EQ(d.day, "15");
  EXPECT_EQ(TodaysDate("13/02/26").month, 1);
}

TEST(UnitConversions, TablesAndFormulaRules) {
  auto result = [](int16_t popup, int16_t item, float x) { return Convert(popup, item, x)->result; };
  EXPECT_EQ(result(kEnergyPopup, 10, 212), 100.0f);
  EXPECT_EQ(result(kEnergyPopup, 11, 100), 212.0f);
  EXPECT_EQ(result(kEnergyPopup, 12, 0), 273.15f);
  EXPECT_EQ(result(kEnergyPopup, 1, 1), 0.23889154195785522f);
  EXPECT_EQ(result(kSpeedPopup, 10, 1), 1.1507790088653564f);
  EXPECT_EQ(result(kSpeedPopup, 9, 1.150779f), 1.0f);
  EXPECT_EQ(result(kSpeedPopup, 2, 100), static_cast<float>(100 / 3.6)) << "27.778, not 27.764";
  EXPECT_EQ(result(kPressurePopup, 8, 1), 760.0f);
  EXPECT_EQ(result(kMassPopup, 19, 90), 956.2000122070312f);
  EXPECT_EQ(result(kMassPopup, 19, 30), 772.005126953125f);
  EXPECT_EQ(result(kMassPopup, 20, 0), 956.2000122070312f);
  EXPECT_EQ(result(kMassPopup, 20, 3000), 1085.215087890625f);
  // Saturation density: the pressure by the ideal gas, 288.7763 g K per m3 and torr.
  EXPECT_NEAR(result(kPressurePopup, 17, 25), 23.7756 * 288.7763 / 298.16, 2e-4);
  EXPECT_NEAR(result(kPressurePopup, 17, -10), 1.94921 * 288.7763 / 263.16, 2e-5);
  EXPECT_FALSE(Convert(kEnergyPopup, 14, 1));
  EXPECT_FALSE(Convert(67, 1, 1));
}

// Every conversion of the four lists against the exact factor, derived here from the
// definitions of the units. A few listed factors are rounded further than five
// digits; their rows say by how much they may differ, and why.
namespace si {
constexpr double inch = 0.0254, foot = 0.3048, yard = 0.9144, mile = 1609.344, nauticalMile = 1852;
constexpr double pound = 0.45359237, ounce = pound / 16, grainGram = 0.2;  // carat: 200 mg
constexpr double usGallon = 231 * inch * inch * inch * 1000;               // litres
constexpr double atm = 101325, torr = atm / 760, psi = pound * 9.80665 / (inch * inch), bar = 1e5;
constexpr double calorieIT = 4.1868, btuIT = 1055.05585262, horsepower = 745.69987158;
constexpr double acre = 4046.8564224, hectare = 1e4;
constexpr double molarVolumeSTP = 22.413969;  // litres per mole at 0 C, 1 atm
constexpr double waterGramPerMole = 18.01528, gasConstant = 8.314462618, kelvin0 = 273.15;
constexpr double vapourGramPerM3PerKPa =
    1000 * waterGramPerMole / (gasConstant * kelvin0);  // ideal gas at 0 C
}  // namespace si

struct ConversionRow {
  int16_t popup, item;
  double x, expected, relTolerance;
};

constexpr double kExact = 2e-6;  // single precision
const ConversionRow kConversionRows[] = {
    // Energy and power; the calorie differs between its definitions (4.184 to 4.1868 J).
    {kEnergyPopup, 1, 1, 1 / si::calorieIT, 1e-3},
    {kEnergyPopup, 2, 1, si::calorieIT, 1e-3},
    {kEnergyPopup, 3, 1, 86400.0 / 1000, kExact},
    {kEnergyPopup, 4, 1, 86400.0 / 1000 / si::calorieIT, 1e-3},
    {kEnergyPopup, 5, 1, 60 / si::calorieIT, 1e-3},
    {kEnergyPopup, 6, 1, si::btuIT / 3600 / 1000, 2e-4},
    {kEnergyPopup, 7, 1, si::btuIT / 1000, 1e-4},
    {kEnergyPopup, 8, 1, si::horsepower / 1000, 1e-3},
    {kEnergyPopup, 9, 1, 1000 / si::horsepower, 1e-3},
    {kEnergyPopup, 10, 212, 100, kExact},
    {kEnergyPopup, 11, 100, 212, kExact},
    {kEnergyPopup, 12, 0, 273.15, kExact},
    // Latent heat of water, about 2.42 kJ/g near body temperature.
    {kEnergyPopup, 13, 1, 2.42 / 4.184, 2e-2},
    // Speed, length and area.
    {kSpeedPopup, 1, 1, 3.6, kExact},
    {kSpeedPopup, 2, 100, 100 / 3.6, kExact},
    {kSpeedPopup, 3, 1, si::mile / 3600, kExact},
    {kSpeedPopup, 4, 1, 3600, kExact},
    {kSpeedPopup, 5, 3600, 1, kExact},
    {kSpeedPopup, 6, 60, 1, kExact},
    {kSpeedPopup, 7, 1, si::nauticalMile / 1000, kExact},
    {kSpeedPopup, 8, 1, 1000 / si::nauticalMile, kExact},
    {kSpeedPopup, 9, 1, si::mile / si::nauticalMile, kExact},
    {kSpeedPopup, 10, 1, si::nauticalMile / si::mile, kExact},
    {kSpeedPopup, 11, 1, si::mile / 1000, 5e-6},
    {kSpeedPopup, 12, 1, si::inch * 100, kExact},
    {kSpeedPopup, 13, 1, 0.01 / si::foot, kExact},
    {kSpeedPopup, 14, 1, si::foot * 100, kExact},
    {kSpeedPopup, 15, 1, si::foot, kExact},
    {kSpeedPopup, 16, 1, 1 / si::foot, kExact},
    {kSpeedPopup, 17, 1, si::mile / 1000, 5e-6},
    {kSpeedPopup, 18, 1, 1000 / si::mile, 5e-6},
    {kSpeedPopup, 19, 1, si::acre / si::hectare, kExact},
    {kSpeedPopup, 20, 1, si::mile* si::mile / si::acre, kExact},
    {kSpeedPopup, 21, 1, si::mile* si::mile / si::hectare, kExact},
    {kSpeedPopup, 22, 1, si::mile* si::mile / 1e6, kExact},
    {kSpeedPopup, 23, 1, si::yard* si::yard, 1e-5},  // listed as 0.8361204
    {kSpeedPopup, 24, 1, si::foot* si::foot, kExact},
    {kSpeedPopup, 25, 1, si::inch* si::inch * 1e4, 1e-4},  // listed as 6.452
    // Mass, volume and light.
    {kMassPopup, 1, 1, si::pound, 2e-5},  // listed as 0.453597
    {kMassPopup, 2, 1, 1 / si::pound, 2e-5},
    {kMassPopup, 3, 1, si::ounce * 1000, 2e-5},
    {kMassPopup, 4, 1, 1 / (si::ounce * 1000), 2e-5},
    {kMassPopup, 5, 1, 2000 * si::pound, 2e-5},
    {kMassPopup, 6, 1, 2240 * si::pound, 2e-5},
    {kMassPopup, 7, 1, si::grainGram, kExact},
    {kMassPopup, 8, 1, si::foot* si::foot* si::foot, 3e-5},
    {kMassPopup, 9, 1, 1 / (si::foot * si::foot * si::foot), 3e-5},
    {kMassPopup, 10, 1, si::foot* si::foot* si::foot * 1000, 3e-5},
    {kMassPopup, 11, 1, si::usGallon, kExact},
    {kMassPopup, 12, 1, si::usGallon / 8, kExact},
    {kMassPopup, 13, 1, si::usGallon / 4, kExact},
    {kMassPopup, 14, 1, 0.24, kExact},  // the metric (nutrition-label) cup
    {kMassPopup, 15, 1, 42 * si::usGallon, kExact},
    {kMassPopup, 16, 1, si::molarVolumeSTP, 1e-4},
    {kMassPopup, 17, 1, 1 / si::molarVolumeSTP, 1e-4},
    {kMassPopup, 18, 1, 1 / (si::foot * si::foot), 2e-5},
    // Clear-sky sunlight at the zenith and at sea level: 0.7 of the solar constant, 1366 W/m2.
    {kMassPopup, 19, 90, 0.7 * 1366, kExact},
    {kMassPopup, 20, 0, 0.7 * 1366, kExact},
    // Pressure and water vapour.
    {kPressurePopup, 1, 1, si::torr / 1000, kExact},
    {kPressurePopup, 2, 1, si::psi / si::torr, kExact},
    {kPressurePopup, 3, 1, si::torr / si::psi, kExact},
    {kPressurePopup, 4, 1, 760.0 / 10000, kExact},  // by its note, 10 m of water column are 760 torr
    {kPressurePopup, 5, 1, 1000 / si::torr, kExact},
    {kPressurePopup, 6, 1, 1000 / si::atm, kExact},
    {kPressurePopup, 7, 1, si::atm / 1000, kExact},
    {kPressurePopup, 8, 1, 760, kExact},
    {kPressurePopup, 9, 1, si::atm / si::psi, kExact},
    {kPressurePopup, 10, 1, si::bar / si::torr, kExact},
    {kPressurePopup, 11, 1, si::torr / si::bar, kExact},
    {kPressurePopup, 12, 1, si::bar / si::atm, kExact},
    {kPressurePopup, 13, 1, si::atm / si::bar, kExact},
    {kPressurePopup, 14, 1, si::psi / si::bar, kExact},
    {kPressurePopup, 15, 1, si::bar / si::psi, kExact},
    {kPressurePopup, 16, 20, 17.5424, 1e-3},  // water-vapour table, torr
    {kPressurePopup, 17, 20, 17.3, 2e-3},     // g/m3 in saturated air
    {kPressurePopup, 18, 1, si::vapourGramPerM3PerKPa, 1e-3},
    {kPressurePopup, 19, 1, 100 * 1000 / si::atm, 5e-6},
    {kPressurePopup, 20, 1, si::vapourGramPerM3PerKPa* si::torr / 1000, 1e-3},
    {kPressurePopup, 21, 1, 100.0 / 760, kExact},
};

TEST(UnitConversions, EveryRowAgreesWithTheExactFactorOfItsUnits) {
  EXPECT_EQ(std::size(kConversionRows), 79u);
  for (const ConversionRow& r : kConversionRows) {
    const auto c = Convert(r.popup, r.item, static_cast<float>(r.x));
    ASSERT_TRUE(c) << r.popup << " item " << r.item;
    EXPECT_NEAR(c->result, r.expected, std::abs(r.expected) * r.relTolerance)
        << r.popup << " item " << r.item << ": " << c->from << " -> " << c->to;
  }
  // Each list ends where the table ends.
  for (const auto& [popup, rows] :
       {std::pair{kEnergyPopup, 13}, {kSpeedPopup, 25}, {kMassPopup, 20}, {kPressurePopup, 21}}) {
    EXPECT_FALSE(Convert(popup, static_cast<int16_t>(rows + 1), 1)) << popup;
  }
}

// Saturation vapour pressure against a water-vapour table (torr), and over ice at
// and below freezing (4.579 torr at 0 C, 1.950 at -10 C); then against the IAPWS
// equations evaluated on their own (over ice below the triple point, 0.01 C, over
// water from it), closely from 0 to 10 C, where cold-water work is done, and across
// 0.01 C without a step.
TEST(UnitConversions, SaturationVapourPressureAgreesWithTheTables) {
  const std::pair<float, double> water[] = {{5, 6.545},    {10, 9.2115},  {20, 17.5424}, {25, 23.7695},
                                            {30, 31.8439}, {40, 55.3651}, {50, 92.5876}, {100, 759.96}};
  for (const auto& [celsius, torr] : water) {
    EXPECT_NEAR(SaturationVapourPressure(celsius), torr, torr * 0.002) << celsius;
  }
  EXPECT_NEAR(SaturationVapourPressure(0), 4.579, 4.579 * 0.002);
  EXPECT_NEAR(SaturationVapourPressure(-10), 1.950, 1.950 * 0.002);
  const std::pair<float, double> iapws[] = {
      {-20, 0.774356}, {-10, 1.949214}, {0, 4.584028},   {0.01f, 4.587805}, {0.5f, 4.753725}, {5, 6.544515},
      {10, 9.211599},  {20, 17.545396}, {37, 47.121733}, {60, 149.61767},   {100, 760.69751}};
  for (const auto& [celsius, torr] : iapws) {
    EXPECT_NEAR(SaturationVapourPressure(celsius), torr, torr * 2e-6) << celsius;
  }
  EXPECT_NEAR(SaturationVapourPressure(0.0099f), SaturationVapourPressure(0.0101f), 1e-4) << "no step";
  EXPECT_TRUE(std::isnan(SaturationVapourPressure(374))) << "no saturation above the critical point";
}

TEST(UnitConversions, LabelsAreMacRomanWithTheirMisspellings) {
  const auto c = Convert(kEnergyPopup, 10, 0);
  EXPECT_EQ(c->from,
            "\xA1"
            "F");
  EXPECT_EQ(c->note,
            "\xA5 standard '5/9 X (\xA1"
            "F - 32)' conversion");
  EXPECT_EQ(Convert(kSpeedPopup, 22, 0)->to, "squre kilometers");
  EXPECT_EQ(Convert(kPressurePopup, 4, 0)->from, "mm H2O");
  EXPECT_EQ(Convert(kPressurePopup, 1, 0)->note, "");
}

TEST(UnitConversions, SunBelowTheHorizonGivesNoSunlightInsteadOfNaN) {
  EXPECT_EQ(SunlightByElevation(-10), 0.0f);
  EXPECT_EQ(SunlightByElevation(0), 0.0f);
  EXPECT_TRUE(std::isfinite(SaturationVapourPressure(-270)));
  EXPECT_TRUE(std::isfinite(SaturationVapourDensity(-273.16f)));
}

// The times themselves are checked against the NOAA equations in
// sunrise_reference_test.cpp; here, how they read.
TEST(SunriseCalc, LondonTextsForAnyLongitude) {
  const SunDay w = ComputeSunDay(355, 51.5f, 0, false);
  EXPECT_EQ(w.sunriseText, "Approximate local sunrise time:   8 : 03") << "minutes below 10 padded";
  EXPECT_EQ(w.sunsetText, "Approximate local sunset time:   15 : 52");
  EXPECT_EQ(w.lengthText, " 7 hours, 49 minutes of daylight");
  EXPECT_EQ(w.noonText, "Solar noon ~  11 : 58");
  for (float lon : {100.0f, -120.0f}) {
    const SunDay other = ComputeSunDay(355, 51.5f, lon, false);
    EXPECT_NEAR(other.sunriseHours, w.sunriseHours, 1 / 60.0) << "longitude moves the times by seconds";
    EXPECT_NEAR(other.sunsetHours, w.sunsetHours, 1 / 60.0);
  }
  const SunDay s = ComputeSunDay(172, 51.5f, 0, false);
  EXPECT_EQ(s.sunriseText, "Approximate local sunrise time:   3 : 42");
  EXPECT_EQ(s.sunsetText, "Approximate local sunset time:   20 : 20");
  EXPECT_EQ(s.lengthText, " 16 hours, 38 minutes of daylight");
  EXPECT_EQ(s.noonText, "Solar noon ~  12 : 01") << "noon minutes two digits, as every clock time";
}

TEST(SunriseCalc, DaylightSavingMovesBothTimesOneHour) {
  for (int16_t n : {1, 172, 300}) {
    const SunDay plain = ComputeSunDay(n, 33.95f, 117.33f, false);
    const SunDay dst = ComputeSunDay(n, 33.95f, 117.33f, true);
    EXPECT_FLOAT_EQ(dst.sunriseHours, plain.sunriseHours + 1.0f) << n;
    EXPECT_FLOAT_EQ(dst.sunsetHours, plain.sunsetHours + 1.0f) << n;
    EXPECT_EQ(dst.lengthText, plain.lengthText) << n;
  }
  const SunDay plain = ComputeSunDay(172, 33.95f, 117.33f, false);
  const SunDay dst = ComputeSunDay(172, 33.95f, 117.33f, true);
  EXPECT_EQ(plain.sunriseText, "Approximate local sunrise time:   4 : 49");
  EXPECT_EQ(plain.sunsetText, "Approximate local sunset time:   19 : 14");
  EXPECT_EQ(dst.sunriseText, "Approximate local sunrise time:   5 : 49");
  EXPECT_EQ(dst.sunsetText, "Approximate local sunset time:   20 : 14");
  EXPECT_EQ(dst.noonText, "Solar noon ~  13 : 01");
}

TEST(SunriseCalc, SolarNoonStaysBetweenSunriseAndASunsetPastMidnight) {
  const SunDay d = ComputeSunDay(172, 65.5f, 0, true);
  EXPECT_EQ(d.sunsetText, "Approximate local sunset time:   0 : 28") << "brought back below 24";
  EXPECT_EQ(d.sunriseText, "Approximate local sunrise time:   1 : 35");
  EXPECT_EQ(d.lengthText, " 22 hours, 53 minutes of daylight");
  EXPECT_EQ(d.noonText, "Solar noon ~  13 : 01") << "an hour after local noon, not at 3:00";
}

TEST(SunriseCalc, PolarDaysAndNightsHaveTextsAndNoNaN) {
  struct Case {
    float lat;
    int16_t n;
    const char* sunset;
    float daylight;
  };
  for (const Case& c : {Case{70, 172, "24-hour sunlight (Arctic summer)", 24},
                        Case{70, 355, "24-hour darkness (Arctic winter)", 0},
                        Case{-70, 172, "24-hour darkness (Antarctic winter)", 0},
                        Case{-70, 355, "24-hour sunlight (Antarctic summer)", 24},
                        Case{66, 172, "24-hour sunlight (Arctic summer)", 24}}) {
    for (bool dst : {false, true}) {
      const SunDay d = ComputeSunDay(c.n, c.lat, 0, dst);
      EXPECT_EQ(d.sunsetText, c.sunset) << c.lat << " " << c.n;
      EXPECT_EQ(d.sunriseText, "");
      EXPECT_EQ(d.lengthText, " ");
      EXPECT_EQ(d.noonText, "");
      EXPECT_EQ(d.daylight, c.daylight);
      EXPECT_EQ(d.sunriseHours, 0.0f);
      EXPECT_EQ(d.sunsetHours, 0.0f);
    }
  }
}

class SunCycleTest : public test::ProgramTest {};

TEST_F(SunCycleTest, AnnualTableStoresPolarDaysByTheirRules) {
  latitude = 70;
  longitude = 0;
  FillSunCycle(0);
  EXPECT_EQ(SunCycleArray[172], (std::array<float, 4>{24, 0, 24, 0}));
  EXPECT_EQ(SunCycleArray[355], (std::array<float, 4>{0, 24, 0, 0}));
  latitude = 33.95f;
  longitude = 117.33f;
  FillSunCycle(1);
  const SunDay june = ComputeSunDay(172, latitude, longitude, true);
  EXPECT_EQ(SunCycleArray[172],
            (std::array<float, 4>{june.daylight, june.sunriseHours, june.sunsetHours, 0}));
  EXPECT_EQ(SunCycleArray[0], (std::array<float, 4>{}));
  EXPECT_EQ(SunCycleArray[366], (std::array<float, 4>{}));
}

TEST_F(SunCycleTest, ExportBytesLineByLine) {
  for (int n = 1; n <= 365; ++n) SunCycleArray[n] = {12.5f, 6.25f, 18.75f, 0};
  SunCycleArray[172] = {24, 0, 24, 0};
  SunCycleArray[355] = {0, 24, 0, 0};
  const char* months[] = {"January", "February", "March",     "April",   "May",      "June",
                          "July",    "August",   "September", "October", "November", "December"};
  const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  std::string expected = "Annual sun cycle at  33.95 degrees S;  117.33 degrees E\r";
  expected += "Julian date,Month,Day,Sunrise time,Sunset time,Hours of daylight\r";
  int n = 0;
  for (int m = 0; m < 12; ++m) {
    for (int d = 1; d <= lengths[m]; ++d) {
      ++n;
      std::string times = " 6.25, 18.75, 12.5";
      if (n == 172) times = " 0, 24, 24";
      if (n == 355) times = " 24, 0, 0";
      expected += " " + std::to_string(n) + "," + months[m] + ", " + std::to_string(d) + "," + times + "\r";
    }
  }
  const std::string csv = SunCycleCsv(33.95f, 117.33f, 0, 0);
  EXPECT_EQ(csv, expected);
  EXPECT_NE(csv.find("\r 60,March, 1,"), std::string::npos);
  EXPECT_EQ(csv.substr(csv.size() - 37), " 365,December, 31, 6.25, 18.75, 12.5\r");
  EXPECT_EQ(SunCycleTitle(33.95f, 117.33f, 0, 0),
            "Annual sun cycle for  33.95\xA1 S;   117.33\xA1"
            "E");
  EXPECT_EQ(SunCycleTitle(51.5f, 0, 1, 1), "Annual sun cycle for  51.5\xA1 N,  0\xA1W");
}

TEST(SunCycleChart, Geometry) {
  EXPECT_EQ(DayX(1), 71);
  EXPECT_EQ(DayX(365), 617);
  EXPECT_EQ(HourY(0), 270);
  EXPECT_EQ(HourY(24), 30);
  EXPECT_EQ(HourY(6.25f), 207);
}

TEST(SafeFile, AFailedWriteLeavesTheOldFile) {
  const auto dir = test::MakeTempDir("sun-safe");
  const auto path = (dir / "data.csv").string();
  ASSERT_TRUE(WriteFileReplacing(path, "old\r"));
  ASSERT_TRUE(WriteFileReplacing(path, "new\r"));
  std::ifstream in(path, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "new\r");
  std::string reason;
  EXPECT_FALSE(WriteFileReplacing((dir / "missing" / "x.csv").string(), "x", &reason));
  EXPECT_FALSE(reason.empty());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1) << "no temporary file left";
  std::filesystem::remove_all(dir);
}

TEST(WorldMap, StandardMapReadouts) {
  auto lon = [](int x) { return LongitudeReadout(StandardMapReading(x, 100)).str(); };
  auto lat = [](int y) { return LatitudeReadout(StandardMapReading(100, y)).str(); };
  EXPECT_EQ(lon(0), "180.00\xA1 W");
  EXPECT_EQ(lon(540), "  0.00\xA1 W");
  EXPECT_EQ(lon(541), "  0.33\xA1 E");
  EXPECT_EQ(lon(1080), "180.00\xA1 E");
  EXPECT_EQ(lat(30), "90.00\xA1 N");
  EXPECT_EQ(lat(390), " 0.00\xA1 N");
  EXPECT_EQ(lat(391), " 0.25\xA1 S");
  EXPECT_EQ(lat(750), "90.00\xA1 S");
}

TEST(WorldMap, EnlargedMapAndZoomBox) {
  const int ox = -1000, oy = -375;
  MapReading r = EnlargedMapReading(ox + 5400 + 15, 30 + oy + 1350 + 15, ox, oy);
  EXPECT_EQ(r.longitude, 179.0f);
  EXPECT_EQ(r.west, 1) << "right of the 180 degree line reads west";
  EXPECT_EQ(r.latitude, 1.0f);
  EXPECT_EQ(r.north, 0);
  r = EnlargedMapReading(ox + 2700, 30 + oy, ox, oy);
  EXPECT_EQ(r.longitude, 0.0f);
  EXPECT_EQ(r.west, 0);
  EXPECT_EQ(r.latitude, 90.0f);
  EXPECT_EQ(EnlargedMapReading(ox + 2685, 100, ox, oy).west, 1);
  int16_t zx = 0, zy = 0;
  ZoomOrigin(100, 130, zx, zy);
  EXPECT_EQ(zx, -500);
  EXPECT_EQ(zy, -375);
  int x = -5, y = 600;
  ClampZoomCorner(x, y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 558);
  x = 950, y = 10;
  ClampZoomCorner(x, y);
  EXPECT_EQ(x, 900);
  EXPECT_EQ(y, 30);
}

}  // namespace
}  // namespace mv::calc
