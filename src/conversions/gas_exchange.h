// Gas exchange: the per-sample step that turns a converted % O2, % CO2 or % RH
// difference into VO2, VCO2 or evaporative water loss, with the units factor and
// the first-order response correction; and the factors the options window stores
// at Done.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "conversions/state.h"
#include "runtime/str255.h"

namespace mv {

namespace GasComputationCode {
constexpr int16_t None = 0, VO2 = 1, VCO2 = 2, EWL = 3;
}

// Field numbers of a GasExchangeRecord.
namespace GasField {
constexpr int Computation = 1, Case = 2, FlowSource = 3, Flow = 4, Units = 5, RQ = 6, Previous = 7,
              Correction = 8, Z = 9, Save = 10, FiO2 = 11, OneMinusFiO2 = 12, FiCO2 = 13, VO2Divisor = 14,
              VCO2Factor = 15, VCO2Divisor = 16, Temperature = 17, VapourDensity = 18;
}

constexpr int16_t kFlowFromChannel = 3;

// The last value the run in hand stored for a flow channel, whatever its sampling
// period; nothing when the run has stored none for it yet.
using FlowReader = std::function<std::optional<float>(int16_t flowChannel)>;

struct GasStepOutcome {
  float display;    // the value shown and plotted
  bool save;        // the store takes the display value ("Display & Save")
  float before;     // the converted value before the step
  bool notANumber;  // the rate or its correction overflowed: display is kBadReading
};

// The step with the channel's record, the converted value and the current chart
// column. The record's field 7 keeps the previous raw value. The flow of a flow
// channel is the last value the run stored for it (lastFlow); a flow channel outside
// 1 to 16, or one the run has not stored yet, gives no rate: kBadReading. So do a
// reading of kBadReading and a flow of kBadReading, leaving field 7 alone; a result
// that is no finite number is kBadReading too, with notANumber set.
GasStepOutcome GasExchangeStep(GasExchangeRecord& record, float value, int32_t sample,
                               const FlowReader& lastFlow);

// What the chart store receives: the displayed value when saved ("Display & Save");
// with "Display Only" the converted value before the step, whatever the rate, unless
// the channel was zeroed because its switched device was off (deviceZeroed): then
// the zero value shown.
float GasStoredValue(const GasStepOutcome& outcome, float finalValue, bool deviceZeroed);

// The units factor of field 5 applied to a result in ml/min or mg/min.
float ApplyGasUnits(int16_t units, float value);

// Saturation water vapour density (mg per ml of air) at t degrees Celsius.
float SaturationVapourDensity(float t);

// The numbers typed in the options window, read by the window from its fields.
struct GasOptionsInput {
  double vo2Flow = 0, vco2Flow = 0, ewlFlow = 0;
  double rq = 0, fio2 = 0, fico2 = 0, z = 0, temperature = 0;
};

// The Done step: flow of the active row, a case valid for the computation, RQ (0.85
// when 0 or less), FiO2 and its complement, FiCO2, Z (1 when 0 or less), the
// temperature and every derived factor.
void ApplyGasOptionsDone(GasExchangeRecord& record, const GasOptionsInput& input);

// A case valid for the computation: VO2 1, 2, 4 or 5; VCO2 1 or 2; 1 otherwise.
float ValidGasCase(int16_t computation, float gasCase);

// Whether the record's computation and case compute a rate: VO2 with "No CO2"
// (upstream or downstream) or "CO2 Present, Flowmeter Upstream", VCO2, EWL. Any other
// VO2 case passes the channel's value on unchanged.
bool GasComputesRate(const GasExchangeRecord& record);

// The rate a record computes and its unit, as a label names it: "VO2 ml/min",
// "VCO2 µl/min", "EWL mg/hour" (Mac Roman); empty when the record computes none.
Str255 GasRateName(const GasExchangeRecord& record);

// The label a channel's files and reports carry: the label the user gave it; but a
// channel that saves a computed rate ("Display & Save") and was given no label of its
// own (blank, or the "volts" a type button proposes) is labelled with its rate, so no
// file calls VO2 in ml/min "volts". A case that passes the value on unchanged keeps
// the channel's own label and unit: its values are no rate.
Str255 RecordedChannelLabel(int16_t channel);

// The item text of a channel in the per-channel menus: "Ch." for menu 100
// (conversion equations), "ch." for menu 120 (conversion options), then the channel
// number with its leading blank, ":  " and the label.
Str255 ChannelMenuItemText(int16_t menu, int16_t channel, std::string_view label);

}  // namespace mv
