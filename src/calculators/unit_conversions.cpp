#include "calculators/unit_conversions.h"

#include <cmath>
#include <limits>
#include <span>

#include "runtime/macroman.h"

namespace mv::calc {

namespace {

enum class Rule : uint8_t {
  Mul,        // x * k, k double, result rounded to single
  Div,        // x / k, the same
  MulSingle,  // single-precision arithmetic throughout
  DivSingle,
  FahrenheitToCelsius,
  CelsiusToFahrenheit,
  CelsiusToKelvin,
  SunElevation,
  SunAltitude,
  VapourPressure,
  VapourDensity,
};

struct Row {
  const char* from;
  const char* to;
  int note;  // 0 none, else the note number
  Rule rule;
  double k;
};

const char* NoteText(int note) {
  switch (note) {
    case 1:
      return "• standard '5/9 X (°F - 32)' conversion";
    case 2:
      return "• standard '(9/5 X °C) + 32' conversion";
    case 3:
      return "• conversion factor differs slightly at other temperatures: for example, ~2.26 j/mg at 0 °C "
             "vs. ~2.45 j/mg at 37 °C";
    case 4:
      return "• STP = 0 °C, 760 torr (1.0 atmospheres)";
    case 5:
      return "• elevation = 90 ° when sun is directly overhead.          • Approximate clear sky sea level "
             "values (sunlight varies with season, altitude, humidity, etc.)";
    case 6:
      return "• based on solar constant of 1366 watts/square meter        • Approximate clear sky equatorial "
             "noon values (varies with latitude, season, sun elevation, humidity, etc.) ";
    case 7:
      return "• assumes 760 torr (1.0 atmospheres) = 10.0 meter water column";
    case 8:
      return "• separate approximations are used for temperatures above and below 0 °C";
    case 9:
      return "• This is for saturated air (100% relative humidity).      • Separate approximations are used "
             "for temperatures above and below 0 °C";
    case 10:
      return "• assumes 0 °C; higher temperature means lower water mass/KPa and vice versa -- does not check "
             "for saturation vapor pressure limits";
    case 11:
      return "• assumes 0 °C; higher temperature means lower water mass/torr and vice versa -- does not "
             "check "
             "for saturation vapor pressure limits";
    case 12:
      return "• conversion factor differs slightly at other temperatures: for example, ~0.539 cal/mg at 0 °C "
             "vs. ~0.584 cal/mg at 37 °C";
    default:
      return "";
  }
}

// The evaporated-water item converts to calories, as its menu label says.
constexpr Row kEnergy[] = {
    {"joules", "calories", 0, Rule::Div, 4.186},
    {"calories", "joules", 0, Rule::Mul, 4.186},
    {"watts", "kilojoules/day", 0, Rule::Mul, 86.4},
    {"watts", "kilocalories/day", 0, Rule::Mul, 20.6402},
    {"watts", "calories/min", 0, Rule::Mul, 14.3335},
    {"BTU/hr", "Kilowatts", 0, Rule::Mul, 0.0002931},
    {"BTU", "Kilojoules", 0, Rule::Mul, 1.055},
    {"horsepower", "Kilowatts", 0, Rule::Mul, 0.746},
    {"Kilowatts", "horsepower", 0, Rule::Mul, 1.34},
    {"°F", "°C", 1, Rule::FahrenheitToCelsius, 0},
    {"°C", "°F", 2, Rule::CelsiusToFahrenheit, 0},
    {"°C", "°K", 0, Rule::CelsiusToKelvin, 0},
    {"mg H₂O evap.", "calories (@ 37 °C)", 12, Rule::Mul, 0.584448},
};

constexpr Row kSpeed[] = {
    {"meters/sec", "kilometers/hour", 0, Rule::Mul, 3.6},
    {"kilometers/hour", "meters/sec", 0, Rule::Div, 3.6},
    {"miles per hour", "meters/sec", 0, Rule::Mul, 0.44704},
    {"rate/sec", "rate/hour", 0, Rule::MulSingle, 3600},
    {"rate/hour", "rate/sec", 0, Rule::DivSingle, 3600},
    {"rate/min", "rate/sec", 0, Rule::DivSingle, 60},
    {"knots", "km/hour", 0, Rule::Mul, 1.852},
    {"km/hour", "knots", 0, Rule::Div, 1.852},
    {"miles per hour", "knots", 0, Rule::Div, 1.150779},
    {"knots", "miles per hour", 0, Rule::Mul, 1.150779},
    {"miles per hour", "km/hour", 0, Rule::Mul, 1.60934},
    {"inches", "centimeters", 0, Rule::Mul, 2.54},
    {"centimeters", "feet", 0, Rule::Mul, 0.0328084},
    {"feet", "centimeters", 0, Rule::Div, 0.0328084},
    {"feet", "meters", 0, Rule::Mul, 0.3048},
    {"meters", "feet", 0, Rule::Div, 0.3048},
    {"miles", "kilometers", 0, Rule::Mul, 1.60934},
    {"kilometers", "miles", 0, Rule::Div, 1.60934},
    {"acres", "hectares", 0, Rule::Mul, 0.4046856},
    {"square miles", "acres", 0, Rule::MulSingle, 640},
    {"square miles", "hectares", 0, Rule::Mul, 258.9988},
    {"square miles", "squre kilometers", 0, Rule::Mul, 2.589988},
    {"square yards", "square meters", 0, Rule::Mul, 0.8361204},
    {"square feet", "squre meters", 0, Rule::Mul, 0.09290304},
    {"square inches", "square centimeters", 0, Rule::Mul, 6.452},
};

constexpr Row kMass[] = {
    {"pounds", "kilograms", 0, Rule::Mul, 0.453597},
    {"kilograms", "pounds", 0, Rule::Div, 0.453597},
    {"ounces", "grams", 0, Rule::Mul, 28.3498},
    {"grams", "ounces", 0, Rule::Mul, 0.0352736},
    {"U.S. ton", "kilograms", 0, Rule::Mul, 907.194},
    {"U.K. tonne", "kilograms", 0, Rule::Mul, 1016.057},
    {"carats (gem)", "grams", 0, Rule::Mul, 0.2},
    {"cubic feet", "cubic meter", 0, Rule::Mul, 0.0283163},
    {"cubic meters", "cubic feet", 0, Rule::Div, 0.0283163},
    {"cubic feet", "liters", 0, Rule::Mul, 28.3163},
    {"U.S. gallons", "liters", 0, Rule::Mul, 3.785412},
    {"US pint", "liters", 0, Rule::Mul, 0.473176},
    {"US quart", "liters", 0, Rule::Mul, 0.9463529},
    {"cup", "liters", 0, Rule::Mul, 0.24},
    {"barrels (oil)", "liters", 0, Rule::Mul, 158.9873},
    {"mmoles", "ml gas at STP", 4, Rule::Mul, 22.413},
    {"ml gas at STP", "mmoles", 4, Rule::Div, 22.413},
    {"footcandle", "lux", 0, Rule::Mul, 10.764},
    {"elevation (degrees)", "watts/square meter", 5, Rule::SunElevation, 0},
    {"altitude (meters) ", "watts/square meter", 6, Rule::SunAltitude, 0},
};

constexpr Row kPressure[] = {
    {"Torr", "kilopascals", 0, Rule::Mul, 0.1333224},
    {"P.S.I.", "torr", 0, Rule::Mul, 51.714933},
    {"torr", "P.S.I.", 0, Rule::Mul, 0.01933677},
    {"mm H₂O", "torr", 7, Rule::Mul, 0.076},
    {"kilopascals", "torr", 0, Rule::Mul, 7.500617},
    {"kilopascals", "atmospheres", 0, Rule::Mul, 0.00986923267},
    {"atmospheres", "kilopascals", 0, Rule::Mul, 101.325},
    {"atmospheres", "torr", 0, Rule::MulSingle, 760},
    {"atmospheres", "PSI", 0, Rule::Mul, 14.695949},
    {"bars", "torr", 0, Rule::Mul, 750.0617},
    {"torr", "bars", 0, Rule::Div, 750.0617},
    {"bars", "atmospheres", 0, Rule::Div, 1.01325},
    {"atmospheres", "bars", 0, Rule::Mul, 1.01325},
    {"P.S.I.", "bars", 0, Rule::Mul, 0.0689475729},
    {"bars", "P.S.I.", 0, Rule::Mul, 14.503774},
    {"°C", "torr H₂O, 100% RH", 8, Rule::VapourPressure, 0},
    {"°C", "g H₂O/cubic meter", 9, Rule::VapourDensity, 0},
    {"KPa H₂O vapor", "g H₂O/cubic meter", 10, Rule::Mul, 7.92568},
    {"KPa H₂O vapor", "% STP gas volume H₂O", 4, Rule::Mul, 0.986921},
    {"Torr H₂O vapor", "g H₂O/cubic meter", 11, Rule::Mul, 1.05693},
    {"Torr H₂O vapor", "% STP gas volume H₂O", 4, Rule::Mul, 0.1315789},
};

std::span<const Row> Category(int16_t popup) {
  switch (popup) {
    case kEnergyPopup:
      return kEnergy;
    case kSpeedPopup:
      return kSpeed;
    case kMassPopup:
      return kMass;
    case kPressurePopup:
      return kPressure;
    default:
      return {};
  }
}

float Apply(const Row& r, float x) {
  switch (r.rule) {
    case Rule::Mul:
      return static_cast<float>(x * r.k);
    case Rule::Div:
      return static_cast<float>(x / r.k);
    case Rule::MulSingle:
      return x * static_cast<float>(r.k);
    case Rule::DivSingle:
      return x / static_cast<float>(r.k);
    case Rule::FahrenheitToCelsius:
      return static_cast<float>((x - 32.0) * 0.55555555);
    case Rule::CelsiusToFahrenheit:
      return static_cast<float>(x * 1.8 + 32.0);
    case Rule::CelsiusToKelvin:
      return static_cast<float>(x + 273.15);
    case Rule::SunElevation:
      return SunlightByElevation(x);
    case Rule::SunAltitude:
      return SunlightByAltitude(x);
    case Rule::VapourPressure:
      return SaturationVapourPressure(x);
    case Rule::VapourDensity:
      return SaturationVapourDensity(x);
  }
  return 0;
}

// Mac Roman has the degree sign and the bullet but no subscript two.
std::string Label(const char* utf8) {
  constexpr std::string_view kSub2 = "₂";
  const std::string_view in(utf8);
  std::string s;
  for (std::size_t i = 0; i < in.size();) {
    if (in.substr(i, kSub2.size()) == kSub2) {
      s += '2';
      i += kSub2.size();
    } else {
      s += in[i++];
    }
  }
  return Utf8ToMacRoman(s);
}

}  // namespace

float SunlightByElevation(float elevationDegrees) {
  const float z = elevationDegrees - 90.0f;
  const double c = std::cos(z * 3.14159 / 180.0);
  // With the sun on or below the horizon the air mass has no real power: no sunlight.
  if (!(c > 0)) return 0.0f;
  const float m = static_cast<float>(std::pow(static_cast<float>(1.0 / c), 0.678));
  const float i = static_cast<float>(std::pow(0.7, m));
  return static_cast<float>(i * 1366.0);
}

float SunlightByAltitude(float metres) {
  const double q = std::pow(2.0, static_cast<float>(metres / 5500.0));
  return static_cast<float>(-1.0 / q * 409.8) + 1366.0f;
}

float SaturationVapourPressure(float t) {
  // One pair of equations from far below freezing to the critical point, meeting at
  // the triple point so the pressure runs on without a step: vapour over ice below
  // 0.01 C by the IAPWS sublimation equation (Wagner, Riethmann, Feistel & Harvey
  // 2011), over liquid water from 0.01 C by the saturation equation of Wagner & Pruss
  // (2002). Both give 611.657 Pa at the triple point.
  constexpr double kTriplePointK = 273.16, kTriplePointPa = 611.657;
  constexpr double kCriticalK = 647.096, kCriticalPa = 22.064e6;
  constexpr double kTorrPerPascal = 760.0 / 101325.0;
  const double kelvin = static_cast<double>(t) + 273.15;
  // At or below absolute zero there is no vapour; above the critical point no
  // saturation.
  if (!(kelvin > 0)) return 0.0f;
  if (kelvin > kCriticalK) return std::numeric_limits<float>::quiet_NaN();
  double pascals = 0;
  if (kelvin < kTriplePointK) {
    const double theta = kelvin / kTriplePointK;
    const double sum = -21.2144006 * std::pow(theta, 0.333333333e-2) +
                       27.3203819 * std::pow(theta, 1.20666667) - 6.1059813 * std::pow(theta, 1.70333333);
    pascals = kTriplePointPa * std::exp(sum / theta);
  } else {
    const double v = 1 - kelvin / kCriticalK;
    const double sum = -7.85951783 * v + 1.84408259 * std::pow(v, 1.5) - 11.7866497 * std::pow(v, 3) +
                       22.6807411 * std::pow(v, 3.5) - 15.9618719 * std::pow(v, 4) +
                       1.80122502 * std::pow(v, 7.5);
    pascals = kCriticalPa * std::exp(kCriticalK / kelvin * sum);
  }
  return static_cast<float>(pascals * kTorrPerPascal);
}

float SaturationVapourDensity(float t) {
  const double kelvin = t + 273.16;
  if (!(kelvin > 0)) return 0.0f;
  return static_cast<float>(SaturationVapourPressure(t) * 288.7763 / kelvin);
}

std::optional<Conversion> Convert(int16_t popup, int16_t item, float x) {
  const auto rows = Category(popup);
  if (item < 1 || static_cast<std::size_t>(item) > rows.size()) return std::nullopt;
  const Row& r = rows[static_cast<std::size_t>(item - 1)];
  return Conversion{Label(r.from), Label(r.to), Label(NoteText(r.note)), Apply(r, x)};
}

}  // namespace mv::calc
