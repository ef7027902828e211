#include "calculators/sunrise_calc.h"

#include <algorithm>
#include <cmath>

#include "calculators/frame.h"
#include "calculators/state.h"
#include "kit/format.h"

namespace mv::calc {

namespace {

constexpr double kPi = 3.14159265358979323846;
double Rad(double degrees) {
  return degrees * kPi / 180.0;
}
double Deg(double radians) {
  return radians * 180.0 / kPi;
}

// The sun's declination (degrees) and the equation of time (minutes) by the NOAA
// solar equations, at a number of days after 1 January 2000, 12:00.
struct SolarPosition {
  double declination = 0, equationOfTime = 0;
};

SolarPosition SunAt(double days) {
  const double t = days / 36525.0;  // Julian centuries
  const double l0 = std::fmod(280.46646 + t * (36000.76983 + t * 0.0003032), 360.0);
  const double m = 357.52911 + t * (35999.05029 - 0.0001537 * t);
  const double e = 0.016708634 - t * (0.000042037 + 0.0000001267 * t);
  const double centre = std::sin(Rad(m)) * (1.914602 - t * (0.004817 + 0.000014 * t)) +
                        std::sin(Rad(2 * m)) * (0.019993 - 0.000101 * t) + std::sin(Rad(3 * m)) * 0.000289;
  const double node = 125.04 - 1934.136 * t;
  const double lambda = l0 + centre - 0.00569 - 0.00478 * std::sin(Rad(node));
  const double mean = 23 + (26 + (21.448 - t * (46.815 + t * (0.00059 - t * 0.001813))) / 60) / 60;
  const double obliquity = mean + 0.00256 * std::cos(Rad(node));
  SolarPosition p;
  p.declination = Deg(std::asin(std::sin(Rad(obliquity)) * std::sin(Rad(lambda))));
  const double y = std::pow(std::tan(Rad(obliquity / 2)), 2);
  p.equationOfTime = 4 * Deg(y * std::sin(2 * Rad(l0)) - 2 * e * std::sin(Rad(m)) +
                             4 * e * y * std::sin(Rad(m)) * std::cos(2 * Rad(l0)) -
                             0.5 * y * y * std::sin(4 * Rad(l0)) - 1.25 * e * e * std::sin(2 * Rad(m)));
  return p;
}

// Sunrise (side -1) or sunset (+1) of a day in local mean solar minutes after
// midnight, with the sun's position taken at the event's own time: from local noon,
// the time is worked out again at the time found until it settles. The upper limb
// at the horizon with refraction: 90.833 degrees from the zenith. None when the sun
// does not cross the horizon then; cosHourAngle tells which side it stays on
// (beyond 1 below, beyond -1 above).
struct SunEvent {
  double minutes = 0;
  double cosHourAngle = 0;
  bool happens() const { return cosHourAngle >= -1 && cosHourAngle <= 1; }
};

SunEvent EventOf(double noonDays, double lat, double lonWest, int side) {
  SunEvent e;
  double t = 720;
  for (int pass = 0; pass < 30; ++pass) {
    // Local mean time t is universal time t + 4 minutes per degree west.
    const SolarPosition p = SunAt(noonDays + (t - 720 + 4 * lonWest) / 1440.0);
    e.cosHourAngle = std::cos(Rad(90.833)) / (std::cos(Rad(lat)) * std::cos(Rad(p.declination))) -
                     std::tan(Rad(lat)) * std::tan(Rad(p.declination));
    const double hourAngle = Deg(std::acos(std::clamp(e.cosHourAngle, -1.0, 1.0)));
    const double next = 720 - p.equationOfTime + side * 4 * hourAngle;
    const bool settled = std::fabs(next - t) < 0.001;
    t = next;
    if (settled) break;
  }
  e.minutes = t;
  return e;
}

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

Str255 PolarText(bool summer, float lat) {
  if (summer) return Str255("24-hour sunlight ") + (lat > 0 ? "(Arctic summer)" : "(Antarctic summer)");
  return Str255("24-hour darkness ") + (lat > 0 ? "(Arctic winter)" : "(Antarctic winter)");
}

}  // namespace

SunDay ComputeSunDay(int32_t n, float lat, float lon, bool daylightSaving) {
  // Day n of a year in the middle of a leap-year cycle (2014), at local noon: days
  // after the epoch of the equations, 1 January 2000, 12:00.
  const double noonDays = std::clamp<int32_t>(n, -1000000, 1000000) + 5113;
  const SunEvent rise = EventOf(noonDays, lat, lon, -1), set = EventOf(noonDays, lat, lon, 1);
  SunDay day;
  float hr = 0, hs = 0, length = 0;
  if (rise.happens() && set.happens()) {
    const double shift = daylightSaving ? 60 : 0;
    // A time past midnight (near the polar circles) reads on the clock of its day.
    hr = static_cast<float>(std::fmod(rise.minutes + shift + 1440, 1440.0) / 60);
    hs = static_cast<float>(std::fmod(set.minutes + shift + 1440, 1440.0) / 60);
    length = static_cast<float>(std::clamp((set.minutes - rise.minutes) / 60, 0.0, 24.0));
  } else {
    // The sun stays on one side of the horizon: above it when the hour angle's
    // cosine lies beyond -1.
    const SunEvent& none = rise.happens() ? set : rise;
    day.polar = true;
    day.summer = none.cosHourAngle < -1;
  }
  day.sunriseHours = hr;
  day.sunsetHours = hs;
  if (day.polar) {
    day.sunsetText = PolarText(day.summer, lat);
    day.daylight = day.summer ? 24.0f : 0.0f;
    day.lengthText = " ";
    return day;
  }
  day.sunsetText = ClockText("Approximate local sunset time:  ", Split(hs));
  day.sunriseText = ClockText("Approximate local sunrise time:  ", Split(hr));
  const HoursMinutes len = Split(length);
  day.daylight = length;
  day.lengthText = NumberText(len.h) + " hours," + NumberText(len.m) + " minutes of daylight";

  // Solar noon halfway through the daylight, on the clock of the sunrise, so a sunset
  // moved past midnight still puts noon between the two.
  float noon = 60.0f * hr + 30.0f * length;
  if (noon >= 1440.0f) noon -= 1440.0f;
  if (noon > 0) {
    const auto q = static_cast<int32_t>(std::trunc(noon / 60.0f));
    const auto r = static_cast<int32_t>(std::trunc(noon - 60.0f * static_cast<float>(q)));
    day.noonText = Str255("Solar noon ~ ") + NumberText(q) + " :" + NumberText(r);
  }
  return day;
}

bool SunPlaceUsable() {
  return std::isfinite(latitude) && std::isfinite(longitude);
}

void ShowNoSunResult() {
  for (int16_t field : {kSunsetField, kDayLengthField, kSolarNoonField}) SetFieldText(field, "");
  ShowNoResult(kSunriseField, "the place is out of range");
}

float SunriseCalc(int16_t show, int32_t n, int16_t daylightSaving) {
  if (!SunPlaceUsable()) {
    // A place typed beyond any number: no times, and the sunrise line says why.
    JulianSunrise = JulianSunset = 0;
    if (show != 0) ShowNoSunResult();
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
