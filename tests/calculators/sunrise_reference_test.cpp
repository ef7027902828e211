// Sunrise, sunset and day length against the NOAA solar-calculator equations,
// written out here on their own (full-precision series in Julian centuries, with
// nutation and the equation of time), for the same calendar days; polar days and
// nights by where the sun stays; the day of the year by the Gregorian calendar.
#include <gtest/gtest.h>

#include <cmath>

#include "calculators/day_of_year.h"
#include "calculators/sunrise_calc.h"

namespace mv::calc {
namespace {

constexpr double kPi = 3.14159265358979323846;
double Rad(double deg) {
  return deg * kPi / 180.0;
}
double Deg(double rad) {
  return rad * 180.0 / kPi;
}

struct NoaaDay {
  double sunrise, sunset, daylight;  // local mean solar hours; hours
  double cosHourAngle;               // beyond 1: the sun stays down; beyond -1: up
};

// Day n of 2014 (a year with no leap day before it in its cycle) at latitude lat
// (north positive), local mean solar time, longitude lonWest (west positive) only
// for the instant of local noon.
NoaaDay Noaa(int n, double lat, double lonWest) {
  const double jd = 2451545.0 + 5113 + n + lonWest / 360.0;  // 2014 day n, local noon
  const double t = (jd - 2451545.0) / 36525.0;
  const double l0 = std::fmod(280.46646 + t * (36000.76983 + t * 0.0003032), 360.0);
  const double m = 357.52911 + t * (35999.05029 - 0.0001537 * t);
  const double e = 0.016708634 - t * (0.000042037 + 0.0000001267 * t);
  const double c = std::sin(Rad(m)) * (1.914602 - t * (0.004817 + 0.000014 * t)) +
                   std::sin(Rad(2 * m)) * (0.019993 - 0.000101 * t) + std::sin(Rad(3 * m)) * 0.000289;
  const double omega = 125.04 - 1934.136 * t;
  const double lambda = l0 + c - 0.00569 - 0.00478 * std::sin(Rad(omega));
  const double eps0 = 23 + (26 + (21.448 - t * (46.815 + t * (0.00059 - t * 0.001813))) / 60) / 60;
  const double eps = eps0 + 0.00256 * std::cos(Rad(omega));
  const double decl = Deg(std::asin(std::sin(Rad(eps)) * std::sin(Rad(lambda))));
  const double y = std::pow(std::tan(Rad(eps / 2)), 2);
  const double eqTime = 4 * Deg(y * std::sin(2 * Rad(l0)) - 2 * e * std::sin(Rad(m)) +
                                4 * e * y * std::sin(Rad(m)) * std::cos(2 * Rad(l0)) -
                                0.5 * y * y * std::sin(4 * Rad(l0)) - 1.25 * e * e * std::sin(2 * Rad(m)));
  const double cosHa = std::cos(Rad(90.833)) / (std::cos(Rad(lat)) * std::cos(Rad(decl))) -
                       std::tan(Rad(lat)) * std::tan(Rad(decl));
  const double ha = Deg(std::acos(cosHa));
  const double noon = 720 - eqTime;  // minutes
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
