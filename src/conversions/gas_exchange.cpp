#include "conversions/gas_exchange.h"

#include <cmath>
#include <optional>
#include <string>

#include "conversions/evaluate.h"
#include "kit/channel_labels.h"
#include "kit/format.h"

namespace mv {
namespace {

// Derived factors the window stores: a value that is no number is kept as 0, which
// the step then meets as a division by zero.
float Rounded(double value) {
  const auto f = static_cast<float>(value);
  return std::isfinite(f) ? f : 0.0f;
}

// Flow in ml/min: the constant of field 4, or the last value the run stored for the
// flow channel of field 4 (this sample's when that channel comes first in the scan,
// the sample before's, maybe of the period before, when it comes later). Nothing
// when the run has stored none yet.
std::optional<float> GasFlow(const GasExchangeRecord& r, const FlowReader& lastFlow) {
  if (WholeCode(r[GasField::FlowSource]) != kFlowFromChannel) return r[GasField::Flow];
  const int16_t flowChannel = WholeCode(r[GasField::Flow]);
  if (flowChannel < 1 || flowChannel > 16 || !lastFlow) return std::nullopt;
  return lastFlow(flowChannel);
}

// The gas formula on value (a percent difference); returns value unchanged when the
// case has no formula.
float GasFormula(const GasExchangeRecord& r, float value, const FlowReader& lastFlow) {
  const float d = static_cast<float>(static_cast<double>(value) * 0.01);
  const int16_t computation = WholeCode(r[GasField::Computation]);
  const int16_t gasCase = WholeCode(r[GasField::Case]);
  if (!GasComputesRate(r)) return value;
  const std::optional<float> flow = GasFlow(r, lastFlow);
  if (!flow || *flow == kBadReading) return kBadReading;
  const float F = *flow;
  float result = 0.0f;
  if (computation == GasComputationCode::VO2) {
    if (gasCase == 1) result = F * d / (1.0f - (r[GasField::FiO2] - d));
    if (gasCase == 2) result = F * d / r[GasField::OneMinusFiO2];
    if (gasCase == 4) result = F * d / r[GasField::VO2Divisor];
  } else if (computation == GasComputationCode::VCO2) {
    if (gasCase == 1) {
      result = F * d / r[GasField::VCO2Divisor];
    } else {
      result = F * d / (1.0f - (r[GasField::FiCO2] + d) * r[GasField::VCO2Factor]);
    }
  } else {
    result = F * d * r[GasField::VapourDensity];
  }
  return ApplyGasUnits(WholeCode(r[GasField::Units]), result);
}

}  // namespace

float ApplyGasUnits(int16_t units, float value) {
  switch (units) {
    case 1:
      return value * 1000.0f;
    case 3:
      return value * 60.0f;
    case 4:
      return static_cast<float>(static_cast<double>(value) * 0.06);
    default:
      return value;
  }
}

GasStepOutcome GasExchangeStep(GasExchangeRecord& r, float value, int32_t sample, const FlowReader& lastFlow) {
  GasStepOutcome out{value, false, value, false};
  const int16_t computation = WholeCode(r[GasField::Computation]);
  const bool computing = computation >= GasComputationCode::VO2 && computation <= GasComputationCode::EWL;
  const bool correcting = r[GasField::Correction] > 0.0f;
  if (!computing && !correcting) return out;
  out.save = (WholeCode(r[GasField::Save]) & 1) != 0;
  if (value == kBadReading) return out;

  float result = computing ? GasFormula(r, value, lastFlow) : value;
  if (result == kBadReading) {
    out.display = kBadReading;
    return out;
  }
  if (!std::isfinite(result)) {
    out.display = kBadReading;
    out.notANumber = true;
    return out;
  }
  if (correcting && sample > 0) {
    const float raw = result;
    const float previous = sample == 1 ? raw : r[GasField::Previous];
    r[GasField::Previous] = raw;
    // A Z of 0 or less is shown as 1 by the window; so it is applied.
    const float z = r[GasField::Z] > 0.0f ? r[GasField::Z] : 1.0f;
    result = previous + (raw - previous) / z;
    if (!std::isfinite(result)) {
      out.notANumber = true;
      result = kBadReading;
    }
  }
  out.display = result;
  return out;
}

float GasStoredValue(const GasStepOutcome& outcome, float finalValue, bool deviceZeroed) {
  return outcome.save || deviceZeroed ? finalValue : outcome.before;
}

float SaturationVapourDensity(float t) {
  const float T = static_cast<float>(static_cast<double>(t) + 273.16);
  const float x = static_cast<float>(373.16 / static_cast<double>(T));
  const float a = static_cast<float>(1.0 - 1.0 / static_cast<double>(x));
  const double b = static_cast<double>(x) - 1.0;
  float L = static_cast<float>(-7.90298 * b + 2.183653 * std::log(static_cast<double>(x)) -
                               1.3816e-08 * std::pow(10.0, 11.344 * static_cast<double>(a)));
  L = static_cast<float>(static_cast<double>(L) + 0.0081328 * (std::pow(10.0, -3.49149 * b) - 1.0) +
                         3.005695);
  const double e = std::pow(10.0, static_cast<double>(L));
  return Rounded(0.216632 * e / static_cast<double>(T));
}

float ValidGasCase(int16_t computation, float gasCase) {
  const int16_t c = WholeCode(gasCase);
  if (computation == GasComputationCode::VO2) return (c == 1 || c == 2 || c == 4 || c == 5) ? c : 1.0f;
  if (computation == GasComputationCode::VCO2) return (c == 1 || c == 2) ? c : 1.0f;
  return gasCase < 1.0f || !std::isfinite(gasCase) ? 1.0f : gasCase;
}

void ApplyGasOptionsDone(GasExchangeRecord& r, const GasOptionsInput& in) {
  const int16_t computation = WholeCode(r[GasField::Computation]);
  if (computation == GasComputationCode::EWL) r[GasField::Flow] = Rounded(in.ewlFlow);
  if (computation == GasComputationCode::VCO2) r[GasField::Flow] = Rounded(in.vco2Flow);
  if (computation == GasComputationCode::VO2) r[GasField::Flow] = Rounded(in.vo2Flow);
  if (r[GasField::Computation] > 0.0f) r[GasField::Case] = ValidGasCase(computation, r[GasField::Case]);

  // An RQ or Z of 0 or less would divide by zero; the window shows 0.85 and 1 for
  // them, so those are the values stored.
  const double rq = in.rq > 0.0 && std::isfinite(in.rq) ? in.rq : 0.85;
  const double z = in.z > 0.0 && std::isfinite(in.z) ? in.z : 1.0;
  r[GasField::RQ] = Rounded(rq);
  r[GasField::FiO2] = Rounded(in.fio2);
  r[GasField::OneMinusFiO2] = 1.0f - r[GasField::FiO2];
  r[GasField::FiCO2] = Rounded(in.fico2);
  r[GasField::Z] = Rounded(z);
  r[GasField::Temperature] = Rounded(in.temperature);
  r[GasField::VapourDensity] = SaturationVapourDensity(r[GasField::Temperature]);
  r[GasField::VO2Divisor] = Rounded(1.0 - (1.0 - rq) * in.fio2);
  r[GasField::VCO2Factor] = Rounded(1.0 - (1.0 - 1.0 / rq) * in.fico2);
  r[GasField::VCO2Divisor] = Rounded(1.0 - (1.0 + 1.0 / rq) * in.fico2);
}

bool GasComputesRate(const GasExchangeRecord& record) {
  const int16_t computation = WholeCode(record[GasField::Computation]);
  if (computation == GasComputationCode::VO2) {
    const int16_t gasCase = WholeCode(record[GasField::Case]);
    return gasCase == 1 || gasCase == 2 || gasCase == 4;
  }
  return computation == GasComputationCode::VCO2 || computation == GasComputationCode::EWL;
}

Str255 GasRateName(const GasExchangeRecord& record) {
  const int16_t computation = WholeCode(record[GasField::Computation]);
  const bool mass = computation == GasComputationCode::EWL;
  const char* name = computation == GasComputationCode::VO2    ? "VO2 "
                     : computation == GasComputationCode::VCO2 ? "VCO2 "
                     : mass                                    ? "EWL "
                                                               : nullptr;
  if (name == nullptr) return "";
  // The units factor of field 5 (any other code leaves ml/min or mg/min).
  const char* unit = nullptr;
  switch (WholeCode(record[GasField::Units])) {
    case 1:
      unit = mass ? "\xB5g/min" : "\xB5l/min";
      break;
    case 3:
      unit = mass ? "mg/hour" : "ml/hour";
      break;
    case 4:
      unit = mass ? "g/hour" : "L/hour";
      break;
    default:
      unit = mass ? "mg/min" : "ml/min";
      break;
  }
  return Str255(name) + unit;
}

Str255 RecordedChannelLabel(int16_t channel) {
  const Str255 field = ChannelLabelField(channel);
  if (channel < 1 || channel > 16) return field;
  const GasExchangeRecord& r = SpecialOpsArray[channel];
  const bool rateSaved = GasComputesRate(r) && (WholeCode(r[GasField::Save]) & 1) != 0;
  if (!rateSaved) return field;
  const std::string text = field.str();
  const std::size_t first = text.find_first_not_of(' ');
  const std::string typed =
      first == std::string::npos ? "" : text.substr(first, text.find_last_not_of(' ') - first + 1);
  if (!typed.empty() && typed != "volts") return field;
  Str255 rate = GasRateName(r);
  rate.resize(kLabelWidth, ' ');
  return rate;
}

Str255 ChannelMenuItemText(int16_t menu, int16_t channel, std::string_view label) {
  return Str255(menu == 100 ? "Ch." : "ch.") + NumText(channel) + ":  " + label;
}

}  // namespace mv
