#include "calculators/sunrise_calc.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

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

// Days from 1 January 2000 to 1 January of a year of the Gregorian calendar.
int64_t DaysBeforeYear(int64_t year) {
  // Whole days from 1 March of year 0 to 1 January of the year: 1 January falls in
  // the March-based year before.
  const auto daysFromCivil = [](int64_t y) {
    y -= 1;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + 306;  // 306: 1 March to 1 January
    return era * 146097 + doe;
  };
  return daysFromCivil(year) - daysFromCivil(2000);
}

// How far the sun's upper limb, refraction included, stands above the horizon
// (degrees; below 0 it is down) at local mean time `minutes` of the day whose local
// noon is noonDays, with the sun where it is at that moment.
double AboveHorizon(double noonDays, double lat, double lonWest, double minutes) {
  // Local mean time t is universal time t + 4 minutes per degree west.
  const SolarPosition p = SunAt(noonDays + (minutes - 720 + 4 * lonWest) / 1440.0);
  const double hourAngle = (minutes + p.equationOfTime - 720) / 4;
  const double sinAltitude = std::sin(Rad(lat)) * std::sin(Rad(p.declination)) +
                             std::cos(Rad(lat)) * std::cos(Rad(p.declination)) * std::cos(Rad(hourAngle));
  return Deg(std::asin(std::clamp(sinAltitude, -1.0, 1.0))) + 0.833;
}

// The moment the sun crosses the meridian, local mean minutes near `around` (720 for
// the day's transit, 0 or 1440 for the midnight one): the equation of time taken at
// the moment found, which settles at once, as it changes by seconds a day.
double MeridianMinutes(double noonDays, double lonWest, double around) {
  double t = around;
  for (int pass = 0; pass < 3; ++pass)
    t = around - SunAt(noonDays + (t - 720 + 4 * lonWest) / 1440.0).equationOfTime;
  return t;
}

// The sun's crossings of the horizon within the day (local mean minutes 0 to 1440),
// found from its altitude through the day rather than from the hour angle of one
// moment: near a pole the sun's own climb through the day outweighs its daily circle,
// and no hour angle settles. The altitude is looked at every few minutes and at both
// meridian crossings, where it turns, and each change of side is narrowed down by
// halving; the crossings alternate, from the side the sun is on at midnight.
constexpr double kScanStepMinutes = 5;

struct DayEvents {
  std::vector<double> rises, sets;
  bool upAtMidnight = false;
  double minutesUp = 0;
  double transit = 720;
};

DayEvents EventsOfDay(double noonDays, double lat, double lonWest) {
  DayEvents d;
  d.transit = MeridianMinutes(noonDays, lonWest, 720);
  std::vector<double> at;
  for (double t = 0; t < 1440; t += kScanStepMinutes) at.push_back(t);
  at.push_back(1440);
  for (const double t :
       {d.transit, MeridianMinutes(noonDays, lonWest, 0), MeridianMinutes(noonDays, lonWest, 1440)})
    if (t > 0 && t < 1440) at.push_back(t);
  std::sort(at.begin(), at.end());
  const auto up = [&](double t) { return AboveHorizon(noonDays, lat, lonWest, t) > 0; };
  d.upAtMidnight = up(0);
  bool upBefore = d.upAtMidnight;
  double from = 0;
  for (std::size_t i = 1; i < at.size(); ++i) {
    const bool upAfter = up(at[i]);
    if (upAfter == upBefore) continue;
    double lo = at[i - 1], hi = at[i];
    for (int pass = 0; pass < 40; ++pass) {
      const double mid = (lo + hi) / 2;
      (up(mid) == upBefore ? lo : hi) = mid;
    }
    const double t = (lo + hi) / 2;
    if (upBefore) d.minutesUp += t - from;
    (upAfter ? d.rises : d.sets).push_back(t);
    from = t;
    upBefore = upAfter;
  }
  if (upBefore) d.minutesUp += 1440 - from;
  return d;
}

// The sunrise and sunset a day shows: those around the transit (the last rise before
// it, the first set after it), else the day's one of each; on a day of three events
// the third, a night's end or start by a midnight, is left to the day it belongs to.
std::optional<double> ShownRise(const DayEvents& d) {
  if (d.rises.empty()) return std::nullopt;
  std::optional<double> shown;
  for (const double t : d.rises)
    if (t <= d.transit) shown = t;
  return shown ? shown : d.rises.front();
}
std::optional<double> ShownSet(const DayEvents& d) {
  for (const double t : d.sets)
    if (t >= d.transit) return t;
  if (d.sets.empty()) return std::nullopt;
  return d.sets.back();
}

struct HoursMinutes {
  int32_t h = 0, m = 0;
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

constexpr const char* kSunriseLabel = "Approximate local sunrise time:  ";
constexpr const char* kSunsetLabel = "Approximate local sunset time:  ";

// A local mean time in minutes as clock hours, moved by daylight saving.
float ClockHours(double minutes, double shift) {
  return static_cast<float>(std::fmod(minutes + shift + 1440, 1440.0) / 60);
}

Str255 NoonText(float noonMinutes) {
  if (!(noonMinutes > 0)) return "";
  const auto q = static_cast<int32_t>(std::trunc(noonMinutes / 60.0f));
  const auto r = static_cast<int32_t>(std::trunc(noonMinutes - 60.0f * static_cast<float>(q)));
  // A clock time, as the sunrise and sunset read: 12 : 01, never 12 : 1.
  return ClockText("Solar noon ~ ", HoursMinutes{q, r});
}

// A day on which the sun rises or sets but not both: the one event's time, and the
// other line saying it does not happen that day.
void OneEventDay(SunDay& day, std::optional<double> rise, std::optional<double> set, double shift) {
  if (rise) {
    day.sunriseHours = ClockHours(*rise, shift);
    day.sunsetHours = 24;
    day.sunriseText = ClockText(kSunriseLabel, Split(day.sunriseHours));
    day.sunsetText = "No sunset this day: the sun is still up at midnight";
  } else {
    day.sunriseHours = 0;
    day.sunsetHours = ClockHours(*set, shift);
    day.sunriseText = "No sunrise this day: the sun is up from midnight";
    day.sunsetText = ClockText(kSunsetLabel, Split(day.sunsetHours));
  }
}

}  // namespace

SunDay ComputeSunDay(int32_t n, float lat, float lon, bool daylightSaving, int32_t year) {
  // Day n of the year at local noon: days after the epoch of the equations, 1 January
  // 2000, 12:00.
  const double noonDays = static_cast<double>(DaysBeforeYear(std::clamp<int32_t>(year, -100000, 100000))) +
                          std::clamp<int32_t>(n, -1000000, 1000000) - 1;
  const DayEvents e = EventsOfDay(noonDays, lat, lon);
  const double shift = daylightSaving ? 60 : 0;
  SunDay day;
  if (e.rises.empty() && e.sets.empty()) {
    // The sun stays on one side of the horizon all day.
    day.polar = true;
    day.summer = e.upAtMidnight;
    day.sunsetText = PolarText(day.summer, lat);
    day.daylight = day.summer ? 24.0f : 0.0f;
    day.lengthText = " ";
    return day;
  }
  const float length = static_cast<float>(std::clamp(e.minutesUp / 60, 0.0, 24.0));
  const HoursMinutes len = Split(length);
  day.daylight = length;
  day.lengthText = NumberText(len.h) + " hours," + NumberText(len.m) + " minutes of daylight";
  // Solar noon: the sun's transit, whatever the sunrise and sunset around it.
  day.noonText = NoonText(ClockHours(e.transit, shift) * 60.0f);
  const std::optional<double> rise = ShownRise(e), set = ShownSet(e);
  if (!rise || !set) {
    OneEventDay(day, rise, set, shift);
    return day;
  }
  // A time past midnight (near the polar circles) reads on the clock of its day.
  day.sunriseHours = ClockHours(*rise, shift);
  day.sunsetHours = ClockHours(*set, shift);
  day.sunsetText = ClockText(kSunsetLabel, Split(day.sunsetHours));
  day.sunriseText = ClockText(kSunriseLabel, Split(day.sunriseHours));
  return day;
}

namespace {

// A number as typed: a whole number in full, others to the seven digits a place is
// held to (90.00001 is not written "90").
std::string Typed(double v) {
  if (std::fabs(v) < 1e15 && v == std::trunc(v)) return std::to_string(static_cast<long long>(v));
  char text[32];
  std::snprintf(text, sizeof text, "%.7g", v);
  return text;
}

}  // namespace

std::string SunYearProblem(double year) {
  const double whole = std::trunc(year);
  if (!std::isfinite(whole)) return "the year is no number";
  if (whole >= kSunFirstYear && whole <= kSunLastYear) return {};
  return "year " + Typed(whole) + " is outside " + std::to_string(kSunFirstYear) + " to " +
         std::to_string(kSunLastYear) + ", the years the sun's equations hold for";
}

std::string SunPlaceProblem(double lat, double lon) {
  if (!std::isfinite(lat) || !std::isfinite(lon)) return "the place is out of range";
  if (std::fabs(lat) > 90) return "latitude " + Typed(std::fabs(lat)) + " is beyond 90 degrees";
  if (std::fabs(lon) > 180) return "longitude " + Typed(std::fabs(lon)) + " is beyond 180 degrees";
  return {};
}

void ShowNoSunResult(const std::string& why) {
  for (int16_t field : {kSunsetField, kDayLengthField, kSolarNoonField}) SetFieldText(field, "");
  ShowNoResult(kSunriseField, why);
}

float SunriseCalc(int16_t show, int32_t n, int16_t daylightSaving, int32_t year) {
  std::string why = SunPlaceProblem(latitude, longitude);
  if (why.empty()) why = SunYearProblem(year);
  if (!why.empty()) {
    // No times for a place or year that is none: the sunrise line says why.
    JulianSunrise = JulianSunset = 0;
    if (show != 0) ShowNoSunResult(why);
    return 0;
  }
  const SunDay day = ComputeSunDay(n, latitude, longitude, daylightSaving != 0, year);
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
