// The "Alarms" window, where the user sets each chart channel's alarm flags and
// limits and switches audible alarms on or off, with the rules it applies.
#pragma once
#include <cstdint>

#include "control/state.h"
#include "runtime/str255.h"

namespace mv {

constexpr int16_t kAlarmWindow = 5;

// Item numbers of the window.
namespace AlarmItem {
constexpr int16_t Lower = 100, LowerLimit = 200, Upper = 300, UpperLimit = 400, OverRange = 500, Clear = 600;
constexpr int16_t OK = 991, ClearAll = 992, Audible = 993, Help = 994;
}  // namespace AlarmItem

// A flag of a record counts as set when its integer part is not 0.
bool AlarmFlagSet(float flag);
// A click on a flag: a flag equal to 1 becomes 0, any other value 1.
float ToggledAlarmFlag(float flag);
// Field 0 settled from fields 1 to 3: 1 when any of them is set, else 0.
void SettleAnyAlarm(AlarmConditionsRecord& record);
// The first channel that has a row: 2 in scope-plus-chart mode (channel 1 is the
// scope channel), else 1.
int16_t FirstAlarmRow(int16_t recordingMode);
// "n: " and the channel's 30-character label slot, n with its sign blank.
Str255 AlarmRowTitle(int16_t channel);

// The window; nothing in oscilloscope mode.
void SETALARMS();

}  // namespace mv
