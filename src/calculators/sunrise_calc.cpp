#include "calculators/sunrise_calc.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <utility>
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

// Whether the sun's upper limb stands above the horizon (refraction included) at local
// mean time `minutes` of the day whose local noon is noonDays.
bool SunUpAt(double noonDays, double lat, double lonWest, double minutes) {
  const SolarPosition p = SunAt(noonDays + (minutes - 720 + 4 * lonWest) / 1440.0);
  const double hourAngle = (minutes + p.equationOfTime - 720) / 4;
  const double sinAltitude = std::sin(Rad(lat)) * std::sin(Rad(p.declination)) +
                             std::cos(Rad(lat)) * std::cos(Rad(p.declination)) * std::cos(Rad(hourAngle));
  return sinAltitude > std::sin(Rad(-0.833));
}

// The sunrise and sunset that fall within the day (local mean minutes 0 to 1440):
// the day's own, or where one of them has moved past a midnight, the one of the day
// before or after; and the minutes the sun is up that day.
struct DayEvents {
  std::optional<double> rise, set;
  double minutesUp = 0;
};

// Every event of one side (rise or set) of the day before, the day and the day after
// that falls within the day, the day's own first.
std::vector<double> EventsWithin(double noonDays, double lat, double lonWest, int side) {
  std::vector<double> found;
  for (const int k : {0, -1, 1}) {
    const SunEvent e = EventOf(noonDays + k, lat, lonWest, side);
    const double t = e.minutes + 1440.0 * k;
    if (e.happens() && t >= 0 && t < 1440) found.push_back(t);
  }
  return found;
}

// Near the polar circles a day can hold three events (a short night just after
// midnight and the next one starting before the day ends): the sun is up between
// them by the order they come in, from its side at midnight.
double MinutesUp(double noonDays, double lat, double lonWest, const std::vector<double>& rises,
                 const std::vector<double>& sets) {
  std::vector<std::pair<double, bool>> events;  // the time, and whether the sun is up after it
  for (const double t : rises) events.emplace_back(t, true);
  for (const double t : sets) events.emplace_back(t, false);
  std::sort(events.begin(), events.end());
  bool up = SunUpAt(noonDays, lat, lonWest, 0);
  double from = 0, minutes = 0;
  for (const auto& [t, upAfter] : events) {
    // An event that would not change the side (the same crossing found from two days)
    // counts once.
    if (upAfter == up) continue;
    if (up) minutes += t - from;
    up = upAfter;
    from = t;
  }
  if (up) minutes += 1440 - from;
  return minutes;
}

DayEvents EventsOfDay(double noonDays, double lat, double lonWest) {
  const std::vector<double> rises = EventsWithin(noonDays, lat, lonWest, -1);
  const std::vector<double> sets = EventsWithin(noonDays, lat, lonWest, 1);
  DayEvents d;
  if (!rises.empty()) d.rise = rises.front();
  if (!sets.empty()) d.set = sets.front();
  d.minutesUp = MinutesUp(noonDays, lat, lonWest, rises, sets);
  return d;
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
void OneEventDay(SunDay& day, const DayEvents& e, double noonDays, double lonWest, double shift) {
  if (e.rise) {
    day.sunriseHours = ClockHours(*e.rise, shift);
    day.sunsetHours = 24;
    day.sunriseText = ClockText(kSunriseLabel, Split(day.sunriseHours));
    day.sunsetText = "No sunset this day: the sun is still up at midnight";
  } else {
    day.sunriseHours = 0;
    day.sunsetHours = ClockHours(*e.set, shift);
    day.sunriseText = "No sunrise this day: the sun is up from midnight";
    day.sunsetText = ClockText(kSunsetLabel, Split(day.sunsetHours));
  }
  // Solar noon: when the sun stands highest, by the equation of time.
  const double noon = 720 - SunAt(noonDays + lonWest / 360.0).equationOfTime + shift;
  day.noonText = NoonText(static_cast<float>(std::fmod(noon, 1440.0)));
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
  if (!e.rise && !e.set) {
    // The sun stays on one side of the horizon all day.
    day.polar = true;
    day.summer = SunUpAt(noonDays, lat, lon, 720);
    day.sunsetText = PolarText(day.summer, lat);
    day.daylight = day.summer ? 24.0f : 0.0f;
    day.lengthText = " ";
    return day;
  }
  const float length = static_cast<float>(std::clamp(e.minutesUp / 60, 0.0, 24.0));
  const HoursMinutes len = Split(length);
  day.daylight = length;
  day.lengthText = NumberText(len.h) + " hours," + NumberText(len.m) + " minutes of daylight";
  if (!e.rise || !e.set) {
    OneEventDay(day, e, noonDays, lon, shift);
    return day;
  }
  // A time past midnight (near the polar circles) reads on the clock of its day.
  const float hr = ClockHours(*e.rise, shift), hs = ClockHours(*e.set, shift);
  day.sunriseHours = hr;
  day.sunsetHours = hs;
  day.sunsetText = ClockText(kSunsetLabel, Split(hs));
  day.sunriseText = ClockText(kSunriseLabel, Split(hr));
  // Solar noon halfway from the sunrise to the sunset shown, on the clock of the
  // sunrise, so a sunset moved past midnight still puts noon between the two (and a
  // third event of the day, a night's start or end near midnight, moves it not).
  const double span = *e.set >= *e.rise ? *e.set - *e.rise : *e.set + 1440 - *e.rise;
  float noon = 60.0f * hr + 30.0f * static_cast<float>(span / 60);
  if (noon >= 1440.0f) noon -= 1440.0f;
  day.noonText = NoonText(noon);
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
