#include "conversions/gas_exchange.h"

#include <cmath>

#include "conversions/evaluate.h"
#include "kit/format.h"

namespace mv {
namespace {

float FiniteOrZero(float value) {
  return std::isfinite(value) ? value : 0.0f;
}

float Rounded(double value) {
  return FiniteOrZero(static_cast<float>(value));
}

// Flow in ml/min: the constant of field 4, or the stored value of the flow channel
// of field 4; a channel later in the scan has not been stored for this sample yet,
// so its previous column is read.
float GasFlow(int16_t channel, const GasExchangeRecord& r, int32_t sample, const StoredValueReader& stored,
              int32_t firstStoredColumn) {
  if (WholeCode(r[GasField::FlowSource]) != kFlowFromChannel) return r[GasField::Flow];
  const int16_t flowChannel = WholeCode(r[GasField::Flow]);
  if (flowChannel < 1 || flowChannel > 16 || !stored) return 0.0f;
  const int32_t column = flowChannel > channel ? sample - 1 : sample;
  if (column < 0 || column < firstStoredColumn) return 0.0f;
  return stored(flowChannel, column);
}

// The gas formula on value (a percent difference); returns value unchanged when the
// case has no formula.
float GasFormula(int16_t channel, const GasExchangeRecord& r, float value, int32_t sample,
                 const StoredValueReader& stored, int32_t firstStoredColumn) {
  const float d = static_cast<float>(static_cast<double>(value) * 0.01);
  const int16_t computation = WholeCode(r[GasField::Computation]);
  const int16_t gasCase = WholeCode(r[GasField::Case]);
  if (computation == GasComputationCode::VO2 && gasCase != 1 && gasCase != 2 && gasCase != 4) return value;
  const float F = GasFlow(channel, r, sample, stored, firstStoredColumn);
  if (F == kBadReading) return kBadReading;
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

GasStepOutcome GasExchangeStep(int16_t channel, GasExchangeRecord& r, float value, int32_t sample,
                               const StoredValueReader& stored, int32_t firstStoredColumn) {
  GasStepOutcome out{value, false, value};
  const int16_t computation = WholeCode(r[GasField::Computation]);
  const bool computing = computation >= GasComputationCode::VO2 && computation <= GasComputationCode::EWL;
  const bool correcting = r[GasField::Correction] > 0.0f;
  if (!computing && !correcting) return out;
  out.save = (WholeCode(r[GasField::Save]) & 1) != 0;
  if (value == kBadReading) return out;

  float result = computing ? GasFormula(channel, r, value, sample, stored, firstStoredColumn) : value;
  if (result == kBadReading) {
    out.display = kBadReading;
    return out;
  }
  result = FiniteOrZero(result);
  if (correcting && sample > 0) {
    const float raw = result;
    const float previous = sample == 1 ? raw : r[GasField::Previous];
    r[GasField::Previous] = raw;
    // A Z of 0 or less is shown as 1 by the window; so it is applied.
    const float z = r[GasField::Z] > 0.0f ? r[GasField::Z] : 1.0f;
    result = FiniteOrZero(previous + (raw - previous) / z);
  }
  out.display = result;
  return out;
}

float GasStoredValue(const GasStepOutcome& outcome, float finalValue) {
  if (outcome.save) return finalValue;
  return finalValue == 0.0f ? 0.0f : outcome.before;
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

Str255 ChannelMenuItemText(int16_t menu, int16_t channel, std::string_view label) {
  return Str255(menu == 100 ? "Ch." : "ch.") + NumText(channel) + ":  " + label;
}

}  // namespace mv
