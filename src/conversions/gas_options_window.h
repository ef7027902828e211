// The gas-exchange options window (window 14, " Conversion Options, Channel n"):
// one channel's VO2, VCO2 or evaporative water loss computation, its response
// correction, whether the result is only shown or also stored, and its label.
// Every way out of the window stores what it shows (the Done step).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "conversions/gas_exchange.h"
#include "runtime/str255.h"

namespace mv {

constexpr int16_t kGasOptionsWindow = 14;

namespace GasOptionsControl {
// Toggle buttons of the three rows; check box, radio buttons and push buttons.
constexpr int16_t ComputeVO2 = 10, ComputeVCO2 = 20, ComputeEWL = 30;
constexpr int16_t Correction = 1, DisplayOnly = 2, DisplayAndSave = 3, ShowLabels = 4, Done = 40, Help = 50;
// Popups: cases (VO2, VCO2), units (EWL, VO2, VCO2), flow source (VO2, VCO2, EWL).
constexpr int16_t VO2Case = 140, VCO2Case = 141, EWLUnits = 142, VO2Units = 143, VCO2Units = 144,
                  VO2FlowSource = 145, VCO2FlowSource = 146, EWLFlowSource = 147;
// Edit fields.
constexpr int16_t Temperature = 5, Z = 101, VO2Flow = 102, VCO2Flow = 103, EWLFlow = 104, RQ = 110,
                  FiO2 = 111, FiCO2 = 112, Label = 120;
// The static line that says when the chosen case computes nothing, and the line that
// refuses a flow channel.
constexpr int16_t CaseNote = 130, FlowRefusal = 131;
}  // namespace GasOptionsControl

// The window for channel 1 to nChannels (at most 16); any other channel returns at
// once. Sets LastChanModified; on return the channel's record, label and menu
// items are written and Action is 5.
void ConversionOptions(int16_t channel);

// ---- rules -----------------------------------------------------------------------------------
// The window title before the blank the window builder puts at each end:
// "Conversion Options, Channel" + the number + ":    '" + the label without
// trailing blanks + "  '".
Str255 GasOptionsTitle(int16_t channel, std::string_view label);

// A click on a row's toggle (10, 20, 30): the row's computation, or none when it
// was already on. False for any other control.
bool ApplyGasToggle(GasExchangeRecord& record, int16_t toggle);

// The values the window shows for what is stored: RQ 0.85, Z 1 and FiO2 0.2095
// when 0 or less, FiCO2 0 when 0 or less.
struct GasShownValues {
  float rq, z, fio2, fico2;
};
GasShownValues GasShownValuesOf(const GasExchangeRecord& record);

// The item each popup shows for the record: the case valid for its row (1 when
// none), units 1 to 4 (2, no factor, otherwise), flow source 3 or 1.
int16_t GasPopupItem(const GasExchangeRecord& record, int16_t popup);

// The note shown while the VO2 row's case has no formula; empty otherwise.
Str255 GasCaseNote(int16_t vo2Case);

// Why the window cannot be left: the row that is on takes its flow from a channel
// (flow source 3) and the typed flow is no channel from 1 to nChannels. Empty when
// it can.
std::string GasFlowChannelRefusal(int16_t computation, int16_t flowSource, double typedFlow,
                                  int16_t nChannels);

}  // namespace mv
