// The NOAA solar-calculator equations written out on their own for the tests: the
// sun's declination and equation of time at a moment (full-precision series in Julian
// centuries, with nutation and aberration), its altitude, and the moments it crosses
// the horizon, found by halving an interval on that altitude.
#pragma once
#include <cmath>
#include <optional>
#include <vector>

namespace mv::test::noaa {

constexpr double kPi = 3.14159265358979323846;
inline double Rad(double deg) {
  return deg * kPi / 180.0;
}
inline double Deg(double rad) {
  return rad * 180.0 / kPi;
}

struct Position {
  double declination, equationOfTime;  // degrees; minutes
};

// The sun at a Julian day, by the NOAA equations.
inline Position NoaaAt(double jd) {
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
  return {decl, eqTime};
}

// Days from 1 January 2000 to 1 January of the year, counted year by year.
inline double DaysFrom2000(int year) {
  double days = 0;
  for (int y = 2000; y < year; ++y) days += (y % 4 == 0 && (y % 100 != 0 || y % 400 == 0)) ? 366 : 365;
  for (int y = year; y < 2000; ++y) days -= (y % 4 == 0 && (y % 100 != 0 || y % 400 == 0)) ? 366 : 365;
  return days;
}

// The Julian day of local mean time `minutes` on day n of the year (2014 unless
// said: a year with no leap day before it in its cycle), longitude lonWest (west
// positive).
inline double JulianDay(int n, double minutes, double lonWest, int year = 2014) {
  return 2451545.0 + DaysFrom2000(year) + (n - 1) + (minutes - 720) / 1440 + lonWest / 360.0;
}

// How far the sun's upper limb, refraction included, stands above the horizon at
// local mean time `minutes` (degrees; below 0 it is down).
inline double AboveHorizon(int n, double lat, double lonWest, double minutes, int year = 2014) {
  const Position p = NoaaAt(JulianDay(n, minutes, lonWest, year));
  const double hourAngle = (minutes + p.equationOfTime - 720) / 4;
  const double sinAltitude = std::sin(Rad(lat)) * std::sin(Rad(p.declination)) +
                             std::cos(Rad(lat)) * std::cos(Rad(p.declination)) * std::cos(Rad(hourAngle));
  return Deg(std::asin(sinAltitude)) + 0.833;
}

// The moment between from and to (minutes) where the sun crosses the horizon, by
// halving the interval; none when it is on the same side at both ends.
inline std::optional<double> Crossing(int n, double lat, double lonWest, double from, double to,
                                      int year = 2014) {
  const bool upAtStart = AboveHorizon(n, lat, lonWest, from, year) > 0;
  if (upAtStart == (AboveHorizon(n, lat, lonWest, to, year) > 0)) return std::nullopt;
  for (int i = 0; i < 50; ++i) {
    const double mid = (from + to) / 2;
    ((AboveHorizon(n, lat, lonWest, mid, year) > 0) == upAtStart ? from : to) = mid;
  }
  return (from + to) / 2;
}

// Every crossing of the horizon within the day, found on each two-minute step where
// the sun changes side, with the minutes it is up that day.
struct DayCrossings {
  std::vector<double> rises, sets;
  double minutesUp = 0;
};
inline DayCrossings CrossingsOf(int n, double lat, double lonWest, int year = 2014) {
  DayCrossings d;
  for (double t = 0; t < 1440; t += 2) {
    const bool upFrom = AboveHorizon(n, lat, lonWest, t, year) > 0;
    if (upFrom && AboveHorizon(n, lat, lonWest, t + 2, year) > 0) d.minutesUp += 2;
    if (const auto c = Crossing(n, lat, lonWest, t, t + 2, year)) {
      (upFrom ? d.sets : d.rises).push_back(*c);
      d.minutesUp += upFrom ? *c - t : t + 2 - *c;
    }
  }
  return d;
}

// A day's sunrise (before apparent noon, when the sun stands highest) and sunset
// (after it), and whether the sun is up at that noon.
struct Events {
  std::optional<double> rise, set;  // local mean minutes after midnight
  bool upAtNoon = false;
};
inline Events EventsOf(int n, double lat, double lonWest) {
  const double noon = 720 - NoaaAt(JulianDay(n, 720, lonWest)).equationOfTime;
  return {Crossing(n, lat, lonWest, 0, noon), Crossing(n, lat, lonWest, noon, 1440),
          AboveHorizon(n, lat, lonWest, noon) > 0};
}

}  // namespace mv::test::noaa
