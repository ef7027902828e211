// The DataTaker input-mode window: per channel a counter, a thermocouple of type T, J
// or K, volts or ohms, on a single-ended terminal or differential; and the counters'
// start value.
#pragma once
#include <cstdint>
#include <string>

#include "devices/state.h"

namespace mv {

constexpr int16_t kDataTakerInputsWindow = 100;
// Controls of row i: i counter, i + 20 / 40 / 60 type T / J / K, i + 80 / 100 / 120
// plus / minus / star terminal, i + 140 differential, i + 160 volts, i + 180 ohms;
// field 200 + i the label. 17 OK, 18 help, field 220 the counters' start.
constexpr int16_t kInputsOKButton = 17, kInputsHelpButton = 18, kCounterStartField = 220;
// The counters' start value the window accepts.
constexpr int32_t kMaxCounterStart = 1'000'000;

void DATATAKERSTATUS();

// The change a click on control `control` of row `row` makes to the row's record;
// false when the control is none of the row's buttons.
bool ApplyInputButton(DataTakerChannelsRecord& record, int16_t row, int16_t control);
// The name a blank or default label takes after a kind change ("" for none).
std::string KindName(const DataTakerChannelsRecord& record);

}  // namespace mv
