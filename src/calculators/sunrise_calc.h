// Approximate local sunrise, sunset, day length and solar noon of one day of a year
// at one place, by the NOAA solar equations with the sun's position taken at each
// event's own time. Times are local mean solar hours after midnight; no time zone
// enters. Without a year, a fixed one in the middle of a leap-year cycle (2014).
#pragma once
#include <cstdint>

#include "runtime/str255.h"

namespace mv::calc {

constexpr int32_t kSunFixedYear = 2014;

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

// True when the program-wide latitude and longitude are numbers.
bool SunPlaceUsable();
// The result fields of the current window when the place is no number: "no result: "
// and why in the sunrise line, the others empty, with the buzz.
void ShowNoSunResult();

// Computes day n at the program-wide latitude and longitude, leaves the clock hours
// in JulianSunrise and JulianSunset, writes the four texts into the current window
// when show is set, and returns the hours of daylight.
float SunriseCalc(int16_t show, int32_t n, int16_t daylightSaving, int32_t year = kSunFixedYear);

}  // namespace mv::calc
