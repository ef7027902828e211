// Approximate local sunrise, sunset, day length and solar noon of one day of the
// year at one place, by the NOAA solar equations with the sun's position taken at
// each event's own time, for a fixed year in the middle of a leap-year cycle. Times
// are local mean solar hours after midnight; no time zone enters.
#pragma once
#include <cstdint>

#include "runtime/str255.h"

namespace mv::calc {

struct SunDay {
  float daylight = 0;      // hours; exactly 24 without sunset, 0 without sunrise
  float sunriseHours = 0;  // clock hours (0 on a day without hour angle)
  float sunsetHours = 0;
  bool polar = false;   // the sun does not rise or does not set that day
  bool summer = false;  // with polar: 24-hour sunlight (else 24-hour darkness)
  Str255 sunriseText, sunsetText, lengthText, noonText;  // fields 5, 6, 7, 8
};

// lat positive north, lon positive west, degrees; n the day of the year.
SunDay ComputeSunDay(int32_t n, float lat, float lon, bool daylightSaving);

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
float SunriseCalc(int16_t show, int32_t n, int16_t daylightSaving);

}  // namespace mv::calc
