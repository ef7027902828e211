#include "calculators/sunrise_calc.h"

#include <algorithm>
#include <cmath>

#include "calculators/frame.h"
#include "calculators/state.h"
#include "kit/format.h"

namespace mv::calc {

namespace {

constexpr double kDegToRad = 0.017453292521666667;
constexpr double kTwoDegToRad = 0.034906585043333334;
constexpr double kRadToDeg = 57.295779507424825;
constexpr double kSinObliquity = 0.3979486313446856;
constexpr double kSinHorizon = -0.014485726140036712;

struct HoursMinutes {
  int32_t h = 0, m = 0;
  bool zero() const { return h == 0 && m == 0; }
};

HoursMinutes Split(float hours) {
  HoursMinutes t;
  t.h = static_cast<int32_t>(std::trunc(hours));
  t.m = static_cast<int32_t>(std::trunc((hours - static_cast<float>(t.h)) * 60.0f));
  return t;
}

Str255 ClockText(const char* prefix, HoursMinutes t) {
  Str255 s = Str255(prefix) + NumberText(t.h) + " :";
  if (t.m < 10) {
    const Str255 m = NumberText(t.m);
    s += " 0";
    s += m[m.size() - 1];
  } else {
    s += NumberText(t.m);
  }
  return s;
}

// The season of a day whose sunset reads 0:00 although the sun does cross the
// horizon: only a sunset within the minute after midnight gets there, which happens
// near a polar circle in its summer, so the date tells the season.
bool SummerByDate(int32_t n, float lat) {
  return lat > 0 ? (n >= 78 && n <= 268) : (n < 78 || n > 268);
}

Str255 PolarText(bool summer, float lat) {
  if (summer) return Str255("24-hour sunlight ") + (lat > 0 ? "(Arctic summer)" : "(Antarctic summer)");
  return Str255("24-hour darkness ") + (lat > 0 ? "(Arctic winter)" : "(Antarctic winter)");
}

}  // namespace

SunDay ComputeSunDay(int32_t n, float lat, float lon, bool daylightSaving) {
  const double w = lon / 360.0;
  // Days from the epoch of the formulas (1 January 2000, noon) to day 0 of a year in
  // the middle of a leap-year cycle: day n at noon is 5113 + n days later, which
  // keeps the sun's position within a few hours of the calendar in every year.
  const int32_t dayCount = std::clamp<int32_t>(n, -1000000, 1000000) + 5113;
  const float j0 = static_cast<float>(dayCount - w) + 0.5f;
  const float d = static_cast<float>(j0 + w);
  const float mean = static_cast<float>(std::fmod(static_cast<float>(0.98560028 * d + 357.5291), 360.0));
  float centre =
      static_cast<float>(1.9148 * std::sin(kDegToRad * mean) + 0.02 * std::sin(kTwoDegToRad * mean) +
                         0.0003 * std::sin(3 * kDegToRad * mean));
  if (centre > 360) centre -= 360.0f;
  if (centre < 0) centre += 360.0f;
  const float lambda =
      static_cast<float>(std::fmod(static_cast<float>(centre + (mean + 102.9372) + 180), 360.0));
  const double transitTerms = 0.0053 * std::sin(kDegToRad * mean) - 0.0069 * std::sin(kTwoDegToRad * lambda);
  const float transit = static_cast<float>(d + transitTerms);
  const float sinDecl = static_cast<float>(std::sin(kDegToRad * lambda) * kSinObliquity);
  const float decl = static_cast<float>(std::asin(sinDecl) * kRadToDeg);
  const float num = static_cast<float>(kSinHorizon - sinDecl * std::sin(kDegToRad * lat));
  const float x = static_cast<float>(num / (std::cos(kDegToRad * lat) * std::cos(kDegToRad * decl)));

  float hs = 0, hr = 0;
  // Outside -1..1 the sun never crosses the horizon that day: every time reads 0:00.
  if (x >= -1.0f && x <= 1.0f) {
    const float omega = static_cast<float>(std::acos(x) * kRadToDeg);
    const float js = static_cast<float>(static_cast<float>(j0 + (omega + lon) / 360.0f) + transitTerms);
    const float jr = transit - (js - transit);
    hs = static_cast<float>((js - std::nearbyint(static_cast<double>(js))) * 24.0);
    hr = static_cast<float>((jr - std::nearbyint(static_cast<double>(jr))) * 24.0);
    if (daylightSaving) {
      hs += 1.0f;
      hr += 1.0f;
    }
    if (hs < 0) hs += 24.0f;
    if (hs > 24) hs -= 24.0f;
  }

  SunDay day;
  day.sunriseHours = hr;
  day.sunsetHours = hs;
  const HoursMinutes set = Split(hs), rise = Split(hr);
  if (set.zero()) {
    day.polar = true;
    // Beyond -1..1 the sign of x says which side of the horizon the sun stays on
    // all day: above it (x < -1) or below it (x > 1), whatever the date.
    day.summer = x < -1.0f ? true : x > 1.0f ? false : SummerByDate(n, lat);
    day.sunsetText = PolarText(day.summer, lat);
  } else {
    day.sunsetText = ClockText("Approximate local sunset time:  ", set);
  }
  day.sunriseText = rise.zero() ? Str255() : ClockText("Approximate local sunrise time:  ", rise);

  const float length = hr > hs ? 24.0f - (hr - hs) : hs - hr;
  const HoursMinutes len = Split(length);
  if (len.zero()) {
    day.daylight = day.polar && day.summer ? 24.0f : 0.0f;
    day.lengthText = " ";
  } else {
    day.daylight = length;
    day.lengthText = NumberText(len.h) + " hours," + NumberText(len.m) + " minutes of daylight";
  }

  // Solar noon halfway through the daylight. Measured with the day length, not with
  // |sunset - sunrise|, so a sunset moved past midnight by daylight saving still
  // puts noon between the two.
  float noon = 60.0f * hr + 30.0f * length;
  if (noon >= 1440.0f) noon -= 1440.0f;
  if (noon > 0 && !day.polar) {
    const auto q = static_cast<int32_t>(std::trunc(noon / 60.0f));
    const auto r = static_cast<int32_t>(std::trunc(noon - 60.0f * static_cast<float>(q)));
    day.noonText = Str255("Solar noon ~ ") + NumberText(q) + " :" + NumberText(r);
  }
  return day;
}

float SunriseCalc(int16_t show, int32_t n, int16_t daylightSaving) {
  if (!std::isfinite(latitude) || !std::isfinite(longitude)) {
    // A place typed beyond any number: no times, and the sunrise line says why.
    JulianSunrise = JulianSunset = 0;
    if (show != 0) {
      for (int16_t field : {kSunsetField, kDayLengthField, kSolarNoonField}) SetFieldText(field, "");
      ShowNoResult(kSunriseField, "the place is out of range");
    }
    return 0;
  }
  const SunDay day = ComputeSunDay(n, latitude, longitude, daylightSaving != 0);
  JulianSunrise = day.sunriseHours;
  JulianSunset = day.sunsetHours;
  if (show != 0) {
    SetFieldText(kSunriseField, day.sunriseText);
    SetFieldText(kSunsetField, day.sunsetText);
    SetFieldText(kDayLengthField, day.lengthText);
    SetFieldText(kSolarNoonField, day.noonText);
  }
  return day.daylight;
}

}  // namespace mv::calc
