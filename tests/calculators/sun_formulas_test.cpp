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
#include "shell/kit/format.h"

namespace mv::calc {
namespace {

TEST(DayOfYear, MonthsLeapYearsAndUncheckedDays) {
  EXPECT_EQ(DayOfYearFor(1, 1, 2023), 1);
  EXPECT_EQ(DayOfYearFor(12, 31, 2023), 365);
  EXPECT_EQ(DayOfYearFor(12, 31, 2024), 366);
  EXPECT_EQ(DayOfYearFor(2, 29, 2024), 60);
  EXPECT_EQ(DayOfYearFor(3, 1, 2024), 61);
  EXPECT_EQ(DayOfYearFor(3, 1, 2023), 60);
  EXPECT_EQ(DayOfYearFor(3, 1, 2100), 61) << "every fourth year is a leap year";
  EXPECT_EQ(DayOfYearFor(3, 0, 0), 60) << "empty fields: year 0 is a leap year, day 0 adds nothing";
  EXPECT_EQ(DayOfYearFor(1, 32, 2023), 32);
  EXPECT_EQ(DayOfYearFor(2, -3, 2023), 28);
  EXPECT_EQ(DayOfYearFor(13, 5, 2023), 5) << "a month outside 2..12 counts as January";
  EXPECT_EQ(DayOfYearFor(4, 10.9, 2023), 100) << "the fraction of the sum is dropped";
  EXPECT_EQ(DayOfYearFor(4, 1e30, 2023), 0) << "an absurd day gives no undefined conversion";
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
  EXPECT_EQ(result(kSpeedPopup, 2, 10), 2.776397943496704f) << "the listed factor, not 1/3.6";
  EXPECT_EQ(result(kPressurePopup, 8, 1), 760.0f);
  EXPECT_EQ(result(kMassPopup, 19, 90), 956.2000122070312f);
  EXPECT_EQ(result(kMassPopup, 19, 30), 772.005126953125f);
  EXPECT_EQ(result(kMassPopup, 20, 0), 956.2000122070312f);
  EXPECT_EQ(result(kMassPopup, 20, 3000), 1085.215087890625f);
  EXPECT_EQ(result(kPressurePopup, 16, 0), 4.449521541595459f) << "0 degrees takes the below-zero branch";
  EXPECT_EQ(result(kPressurePopup, 16, 0.001f), 4.884669303894043f);
  EXPECT_EQ(result(kPressurePopup, 16, 25), 23.926639556884766f);
  EXPECT_EQ(result(kPressurePopup, 16, -10), 1.8901373147964478f);
  EXPECT_EQ(result(kPressurePopup, 17, 25), 23.173620223999023f);
  EXPECT_EQ(result(kPressurePopup, 17, -10), 2.0741255283355713f);
  EXPECT_FALSE(Convert(kEnergyPopup, 14, 1));
  EXPECT_FALSE(Convert(67, 1, 1));
}

TEST(UnitConversions, LabelsAreMacRomanWithTheirMisspellings) {
  const auto c = Convert(kEnergyPopup, 10, 0);
  EXPECT_EQ(c->from, "\xA1" "F");
  EXPECT_EQ(c->note, "\xA5 standard '5/9 X (\xA1" "F - 32)' conversion");
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

TEST(SunriseCalc, LondonWinterAndSummerForAnyLongitude) {
  for (float lon : {0.0f, 100.0f, -120.0f}) {
    const SunDay w = ComputeSunDay(355, 51.5f, lon, false);
    EXPECT_EQ(w.sunriseText, "Approximate local sunrise time:   8 : 01");
    EXPECT_EQ(w.sunsetText, "Approximate local sunset time:   15 : 51");
    EXPECT_EQ(w.lengthText, " 7 hours, 49 minutes of daylight");
    EXPECT_EQ(w.noonText, "Solar noon ~  11 : 56");
    EXPECT_EQ(w.sunriseHours, 8.02734375f);
    EXPECT_EQ(w.sunsetHours, 15.85546875f);
  }
  const SunDay s = ComputeSunDay(172, 51.5f, 0, false);
  EXPECT_EQ(s.sunriseText, "Approximate local sunrise time:   3 : 42");
  EXPECT_EQ(s.sunsetText, "Approximate local sunset time:   20 : 20");
  EXPECT_EQ(s.lengthText, " 16 hours, 38 minutes of daylight");
  EXPECT_EQ(s.noonText, "Solar noon ~  12 : 1");
}

TEST(SunriseCalc, DaylightSavingMovesBothTimesOneHour) {
  const SunDay plain = ComputeSunDay(172, 33.95f, 117.33f, false);
  const SunDay dst = ComputeSunDay(172, 33.95f, 117.33f, true);
  EXPECT_EQ(plain.sunriseText, "Approximate local sunrise time:   4 : 48");
  EXPECT_EQ(plain.sunsetText, "Approximate local sunset time:   19 : 13");
  EXPECT_EQ(plain.lengthText, " 14 hours, 24 minutes of daylight");
  EXPECT_EQ(dst.sunriseText, "Approximate local sunrise time:   5 : 48");
  EXPECT_EQ(dst.sunsetText, "Approximate local sunset time:   20 : 13");
  EXPECT_EQ(dst.sunriseHours, 5.81640625f);
  EXPECT_EQ(ComputeSunDay(1, 33.95f, 117.33f, false).sunriseText, "Approximate local sunrise time:   7 : 03");
  EXPECT_EQ(ComputeSunDay(1, 33.95f, 117.33f, false).noonText, "Solar noon ~  12 : 2");
}

TEST(SunriseCalc, SolarNoonStaysBetweenSunriseAndASunsetPastMidnight) {
  const SunDay d = ComputeSunDay(172, 65.5f, 0, true);
  EXPECT_EQ(d.sunsetText, "Approximate local sunset time:   0 : 26") << "brought back below 24";
  EXPECT_EQ(d.sunriseText, "Approximate local sunrise time:   1 : 35");
  EXPECT_EQ(d.lengthText, " 22 hours, 51 minutes of daylight");
  EXPECT_EQ(d.noonText, "Solar noon ~  13 : 1");
}

TEST(SunriseCalc, PolarDaysAndNightsHaveTextsAndNoNaN) {
  struct Case {
    float lat;
    int16_t n;
    const char* sunset;
    float daylight;
  };
  for (const Case& c : {Case{70, 172, "24-hour sunlight (Arctic summer)", 24}, Case{70, 355, "24-hour darkness (Arctic winter)", 0},
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
  EXPECT_EQ(SunCycleArray[172][1], 5.81640625f);
  EXPECT_EQ(SunCycleArray[172][2], 20.23046875f);
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
  EXPECT_EQ(SunCycleTitle(33.95f, 117.33f, 0, 0), "Annual sun cycle for  33.95\xA1 S;   117.33\xA1" "E");
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
