// Sunrise, sunset and day length against the NOAA solar-calculator equations,
// written out here on their own (full-precision series in Julian centuries, with
// nutation and the equation of time), for the same calendar days; polar days and
// nights by where the sun stays; the day of the year by the Gregorian calendar.
#include <gtest/gtest.h>

#include <cmath>

#include "calculators/day_of_year.h"
#include "calculators/sunrise_calc.h"
#include "noaa_reference.h"

namespace mv::calc {
namespace {

using namespace test::noaa;

struct NoaaDay {
  double sunrise, sunset, daylight;  // local mean solar hours; hours
  double cosHourAngle;               // beyond 1: the sun stays down; beyond -1: up
};

// Day n of 2014 at latitude lat (north positive), local mean solar time, with the
// sun's position of local noon.
NoaaDay Noaa(int n, double lat, double lonWest) {
  const Position p = NoaaAt(JulianDay(n, 720, lonWest));
  const double cosHa = std::cos(Rad(90.833)) / (std::cos(Rad(lat)) * std::cos(Rad(p.declination))) -
                       std::tan(Rad(lat)) * std::tan(Rad(p.declination));
  const double ha = Deg(std::acos(cosHa));
  const double noon = 720 - p.equationOfTime;  // minutes
  return {(noon - 4 * ha) / 60, (noon + 4 * ha) / 60, 8 * ha / 60, cosHa};
}

double Minutes(double hours) {
  return hours * 60;
}

TEST(SunriseReference, LondonDayLengthsAgreeWithNoaaWithinThreeMinutes) {
  // Days around both equinoxes, where the day length changes fastest.
  for (int n : {60, 79, 91, 121, 244, 266, 274}) {
    const SunDay d = ComputeSunDay(static_cast<int16_t>(n), 51.5f, 0, false);
    const NoaaDay ref = Noaa(n, 51.5, 0);
    EXPECT_NEAR(Minutes(d.daylight), Minutes(ref.daylight), 3.0) << "day " << n;
  }
}

TEST(SunriseReference, SunriseAndSunsetAgreeWithNoaaWithinTwoMinutes) {
  struct Case {
    float lat, lonWest;
    int n;
  };
  for (const Case& c : {Case{33.95f, 117.33f, 1}, Case{33.95f, 117.33f, 172}, Case{-33.87f, -151.21f, 172},
                        Case{-33.87f, -151.21f, 355}, Case{51.5f, 0, 79}, Case{51.5f, 0, 266}}) {
    const SunDay d = ComputeSunDay(static_cast<int16_t>(c.n), c.lat, c.lonWest, false);
    const NoaaDay ref = Noaa(c.n, c.lat, c.lonWest);
    EXPECT_NEAR(Minutes(d.sunriseHours), Minutes(ref.sunrise), 2.0) << c.lat << " day " << c.n;
    EXPECT_NEAR(Minutes(d.sunsetHours), Minutes(ref.sunset), 2.0) << c.lat << " day " << c.n;
  }
}

// Near the equinoxes the sun at a pole stays below the horizon on the one side of
// the equinox and above it on the other, whatever season the date suggests: at
// 89.9 S the sun is up on days 79 and 268, which lie in the southern winter half of
// the year.
TEST(SunriseReference, PolarDayOrNightFollowsTheSunNotTheCalendar) {
  constexpr const char* kArcticDay = "24-hour sunlight (Arctic summer)";
  constexpr const char* kArcticNight = "24-hour darkness (Arctic winter)";
  constexpr const char* kAntarcticDay = "24-hour sunlight (Antarctic summer)";
  constexpr const char* kAntarcticNight = "24-hour darkness (Antarctic winter)";
  struct Case {
    float lat;
    int16_t n;
    const char* sunset;
    float daylight;
  };
  const Case cases[] = {
      {89.9f, 75, kArcticNight, 0},     {89.9f, 79, kArcticDay, 24},       {89.9f, 265, kArcticDay, 24},
      {89.9f, 269, kArcticNight, 0},    {-89.9f, 79, kAntarcticDay, 24},   {-89.9f, 80, kAntarcticDay, 24},
      {-89.9f, 83, kAntarcticNight, 0}, {-89.9f, 262, kAntarcticNight, 0}, {-89.9f, 268, kAntarcticDay, 24},
      {70, 172, kArcticDay, 24},        {70, 355, kArcticNight, 0},        {-70, 172, kAntarcticNight, 0},
      {-70, 355, kAntarcticDay, 24},
  };
  for (const Case& c : cases) {
    // The reference agrees with the table, and not narrowly.
    const double cosHa = Noaa(c.n, c.lat, 0).cosHourAngle;
    EXPECT_GT(std::fabs(cosHa), 1.1) << c.lat << " day " << c.n;
    EXPECT_EQ(cosHa < 0, c.daylight == 24) << c.lat << " day " << c.n;
    for (bool dst : {false, true}) {
      const SunDay d = ComputeSunDay(c.n, c.lat, 0, dst);
      EXPECT_TRUE(d.polar) << c.lat << " day " << c.n;
      EXPECT_EQ(d.sunsetText, c.sunset) << c.lat << " day " << c.n;
      EXPECT_EQ(d.daylight, c.daylight) << c.lat << " day " << c.n;
    }
  }
}

TEST(DayOfYear, GregorianLeapYears) {
  struct Case {
    int16_t month;
    double day, year;
    int32_t expected;
  };
  const Case cases[] = {
      {3, 1, 2100, 60},    {3, 1, 1900, 60},  {3, 1, 2200, 60}, {3, 1, 2300, 60}, {3, 1, 2000, 61},
      {3, 1, 2400, 61},    {3, 1, 0, 61},     {3, 1, 2024, 61}, {3, 1, 2023, 60}, {12, 31, 2100, 365},
      {12, 31, 2000, 366}, {2, 29, 2100, 60}, {3, 1, 2096, 61}, {3, 1, 2099, 60}, {3, 1, 2024.5, 61},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DayOfYearFor(c.month, c.day, c.year), c.expected) << c.month << "/" << c.day << "/" << c.year;
  }
}

TEST(DayOfYear, LargeTypedDaysAreCountedInFull) {
  EXPECT_EQ(DayOfYearFor(12, 40000, 2023), 334 + 40000) << "not wrapped at 16 bits";
  EXPECT_EQ(DayOfYearFor(1, -40000, 2023), -40000);
  EXPECT_EQ(DayOfYearFor(4, 1e30, 2023), 0);
}

}  // namespace
}  // namespace mv::calc
