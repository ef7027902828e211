// Approximate local sunrise, sunset, day length and solar noon of one day of a year
// at one place, by the NOAA solar equations: the sunrise and sunset where the sun's
// altitude, followed through the day, crosses the horizon; solar noon at its transit.
// Times are local mean solar hours after midnight; no time zone enters. Without a
// year, a fixed one in the middle of a leap-year cycle (2014).
#pragma once
#include <cstdint>
#include <string>

#include "runtime/str255.h"

namespace mv::calc {

constexpr int32_t kSunFixedYear = 2014;

// The years the equations hold for: their series for the sun's longitude, anomaly,
// orbit and the tilt of the earth's axis are polynomials in centuries from 2000, which
// NOAA gives as sufficiently accurate from -1000 to 3000 (the Gregorian calendar run
// backwards; year 0 is 1 BC). Far outside, the tilt they give is one the earth never
// reaches and the day lengths are impossible.
constexpr int32_t kSunFirstYear = -1000, kSunLastYear = 3000;
// Why a year typed (its fraction dropped) is none the equations hold for, as "year
// 99999 is outside -1000 to 3000, the years the sun's equations hold for"; empty for
// one they hold for.
std::string SunYearProblem(double year);
// Why a place (latitude positive north, longitude positive west, degrees) is none on
// the earth: a latitude beyond 90 either way or a longitude beyond 180, or one that
// is no number; empty for a place.
std::string SunPlaceProblem(double lat, double lon);

// On a day when the sun rises but does not set before midnight, the sunset hours are
// 24 and the sunset line says so; when it sets but did not rise since midnight, the
// sunrise hours are 0 and the sunrise line says so.
struct SunDay {
  float daylight = 0;      // hours; exactly 24 on a polar day, 0 in a polar night
  float sunriseHours = 0;  // clock hours (0 in a polar day or night)
  float sunsetHours = 0;
  bool polar = false;   // the sun does not rise or does not set that day
  bool summer = false;  // with polar: 24-hour sunlight (else 24-hour darkness)
  Str255 sunriseText, sunsetText, lengthText, noonText;  // fields 5, 6, 7, 8
};

// lat positive north, lon positive west, degrees; n the day of the year.
SunDay ComputeSunDay(int32_t n, float lat, float lon, bool daylightSaving, int32_t year = kSunFixedYear);

// Field numbers of the results in the sun-cycle window.
constexpr int16_t kSunriseField = 5, kSunsetField = 6, kDayLengthField = 7, kSolarNoonField = 8;

// The result fields of the current window when there are no times: "no result: "
// and why in the sunrise line, the others empty, with the buzz.
void ShowNoSunResult(const std::string& why);

// Computes day n at the program-wide latitude and longitude, leaves the clock hours
// in JulianSunrise and JulianSunset, writes the four texts into the current window
// when show is set, and returns the hours of daylight. A place or year that is none
// (SunPlaceProblem, SunYearProblem) gives no times: the hours are 0 and, when show is
// set, the sunrise line says why.
float SunriseCalc(int16_t show, int32_t n, int16_t daylightSaving, int32_t year = kSunFixedYear);

}  // namespace mv::calc
