#include "conversions/evaluate.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "control/state.h"
#include "conversions/gas_exchange.h"
#include "kit/state.h"
#include "setup/state.h"

namespace mv {
namespace {

// A result that is no finite number was not measured: it is stored, shown and
// counted as a failed reading.
float FiniteOrBad(float value) {
  return std::isfinite(value) ? value : kBadReading;
}

// a + b*x^c with the power, the product and the sum in double precision and one
// rounding to single precision at the end.
float PowerTerm(float a, float b, float x, float c) {
  return static_cast<float>(static_cast<double>(a) +
                            static_cast<double>(b) *
                                std::pow(static_cast<double>(x), static_cast<double>(c)));
}

// A conversion with no result (the logarithm of a reading of 0 or less, a division by
// a reading of 0, a fractional power of a negative reading) measured nothing either: a
// 0 there could not be told from a real 0. Inside a breakpoint record it spoils the
// whole value, as an overflow does.
constexpr float kNoResult = std::numeric_limits<float>::quiet_NaN();

bool ValidChannel(int16_t channel) {
  return channel >= 1 && channel <= 16;
}

}  // namespace

int16_t WholeCode(float stored) {
  if (!std::isfinite(stored)) return 0;
  const float t = std::trunc(stored);
  if (t < -32768.0f || t > 32767.0f) return 0;
  return static_cast<int16_t>(t);
}

float BreakpointEquation(int16_t kind, float a, float b, float c, float x, float g, float V) {
  float result = 0.0f;
  switch (kind) {
    case BreakpointKindCode::Linear:
      result = a + b * x;
      break;
    case BreakpointKindCode::Polynomial:
      result = a + b * x + c * (x * x);
      break;
    case BreakpointKindCode::Power:
      if (!(g > 0.0f)) return kNoResult;
      result = PowerTerm(a, b, x, c);
      break;
    case BreakpointKindCode::Reciprocal: {
      if (V == 0.0f) return kNoResult;
      // The breakpoint window offers no c for the reciprocal, so a stored c of 0
      // means "not given" and the equation is a + b/V.
      const float factor = c == 0.0f ? 1.0f : c;
      result = a + b * factor / V;
      break;
    }
    default:
      return 0.0f;
  }
  return result;
}

float EvaluateBreakpoint(const BreakpointRecord& r, float V) {
  const float initial = r[1] == 0.0f ? 0.0f : BreakpointEquation(WholeCode(r[2]), r[3], r[4], r[5], V, V, V);
  const bool below = V < r[0];
  const int on = below ? 6 : 11;  // on, kind, a, b, c follow in this order
  const int op = below ? 18 : 19;
  const int input = below ? 20 : 21;
  if (r[on] == 0.0f) return FiniteOrBad(initial);
  const float x = r[input] == 0.0f ? initial : V;
  const float g = below ? x : V;
  const float side = BreakpointEquation(WholeCode(r[on + 1]), r[on + 2], r[on + 3], r[on + 4], x, g, V);
  // An equation that overflowed spoils the whole value, whatever the operator.
  if (!std::isfinite(initial) || !std::isfinite(side)) return kBadReading;
  const float value = r[op] != 0.0f ? initial * side : initial + side;
  return FiniteOrBad(value);
}

ConvResult EvaluateThreeWay(const ThreeWayPolyRecord& p, float V) {
  const float scaled = V * p[6];
  const double x = scaled;
  const double sum = static_cast<double>(p[0]) + static_cast<double>(p[1]) * x +
                     static_cast<double>(p[2]) * x * x + static_cast<double>(p[3]) * x * x * x;
  const float value = static_cast<float>(sum * static_cast<double>(p[5]));
  return {FiniteOrBad(value), scaled};
}

ConvResult ConvertReading(int16_t type, float a, float b, float c, const BreakpointRecord& bp,
                          const ThreeWayPolyRecord& poly, int16_t asciiValue, float V) {
  if (type == ConversionTypeCode::Keyboard) return {static_cast<float>(asciiValue), V};
  if (V == kBadReading) return {kBadReading, V};
  float value = V;
  switch (type) {
    case ConversionTypeCode::Linear:
      value = a + b * V;
      break;
    case ConversionTypeCode::Polynomial:
      value = a + b * V + c * (V * V);
      break;
    case ConversionTypeCode::Power:
      if (V < 0.0f && c != std::trunc(c)) return {kBadReading, V};
      value = PowerTerm(a, b, V, c);
      break;
    case ConversionTypeCode::Breakpoint:
      value = EvaluateBreakpoint(bp, V);
      break;
    case ConversionTypeCode::ThreeWay:
      return EvaluateThreeWay(poly, V);
    case ConversionTypeCode::Logarithmic:
      if (!(V > 0.0f)) return {kBadReading, V};
      value = static_cast<float>(static_cast<double>(a) +
                                 static_cast<double>(b) * std::log10(static_cast<double>(V)));
      break;
    case ConversionTypeCode::Reciprocal:
      if (V == 0.0f) return {kBadReading, V};
      value = a + b / V;
      break;
    default:
      break;
  }
  return {FiniteOrBad(value), V};
}

void LoadWorkingCoefficients(int16_t channel) {
  if (!ValidChannel(channel)) {
    ConversionType = ConversionTypeCode::None;
    return;
  }
  ConversionType = WholeCode(ChannelVariables[0][channel]);
  aval = ChannelVariables[channel][2];
  bval = ChannelVariables[channel][3];
  exponent = ChannelVariables[channel][4];
}

float EvaluateConversion(int16_t channel, float V, int16_t asciiValue) {
  if (!ValidChannel(channel)) {
    v = V;
    return v;
  }
  const ConvResult r = ConvertReading(WholeCode(ChannelVariables[0][channel]), aval, bval, exponent,
                                      BreakpointArray[channel], polyarray[channel], asciiValue, V);
  if (WholeCode(ChannelVariables[0][channel]) == ConversionTypeCode::ThreeWay) volts = r.volts;
  v = r.value;
  return v;
}

ConversionsRun CurrentConversions() {
  ConversionsRun run;
  run.taken = true;
  run.channelCount = static_cast<int16_t>(std::clamp<int>(nChannels, 0, 16));
  for (int16_t n = 1; n <= 16; ++n) {
    const ChannelVariablesRecord& r = ChannelVariables[n];
    ChannelConversionOfRun& c = run.channels[n];
    c.typeCode = ChannelVariables[0][n];
    c.a = r[ChanField::A];
    c.b = r[ChanField::B];
    c.c = r[ChanField::C];
    c.input = r[ChanField::Input];
    c.averaged = r[ChanField::Averaged];
    c.label = RecordedChannelLabel(n);
  }
  KeepRunAsItEnded(run);
  run.threeWay = polyarray[0];
  run.externalAD = External_AD;
  run.demonstration = DemonstrationMODE;
  // Only a chart recording scans continuously: the scope modes' chart values are no scan
  // averages, whatever the Sample Averaging menu says.
  run.continuousScan = RecordingMODE == RecordingModeCode::Chart && PrefsArray[PrefsSlot::AverageAllChannels] != 0;
  return run;
}

bool RunConversionsInHand() {
  return ConversionsOfRun.taken && RecordingLoopRunning == 0;
}

void KeepRunAsItEnded(ConversionsRun& run) {
  for (int16_t n = 1; n <= 16; ++n) {
    const ChannelVariablesRecord& r = ChannelVariables[n];
    ChannelConversionOfRun& c = run.channels[n];
    c.plotMin = r[ChanField::PlotMin];
    c.plotMax = r[ChanField::PlotMax];
    c.stripHeight = r[ChanField::StripHeight];
    c.stripBottom = r[ChanField::StripBottom];
    c.alarms = alarmsArray[n];
  }
  run.chartInterval = ChartSampleInterval;
  run.chartSeconds = ChartIntervalInSeconds;
  run.scopeSeconds = ScopeIntervalInSeconds;
  run.scopeMax = ScopeMax;
}

ConversionsRun RunAsRecorded() {
  return RunConversionsInHand() ? ConversionsOfRun : CurrentConversions();
}

bool IsKeyboardChannel(int16_t channel) {
  if (!ValidChannel(channel)) return false;
  return WholeCode(ChannelVariables[0][channel]) == ConversionTypeCode::Keyboard ||
         ChannelVariables[channel][2] == -9999.0f;
}

bool IsThreeWayChannel(int16_t channel) {
  if (!ValidChannel(channel)) return false;
  return WholeCode(ChannelVariables[0][channel]) == ConversionTypeCode::ThreeWay ||
         ChannelVariables[channel][2] == 9999.0f;
}

}  // namespace mv
