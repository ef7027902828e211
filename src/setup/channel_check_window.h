// The conversion and display test window (window 6): one channel read live,
// averaged and converted as a recording would, with its equation, the value in
// large type and a scrolling trace within the channel's plot range.
#pragma once
#include <cstdint>

#include "conversions/state.h"
#include "kit/hook.h"
#include "runtime/str255.h"

namespace mv {

constexpr int16_t kChannelCheckWindow = 6;
constexpr int16_t kChannelCheckHelpTopic = 173;
namespace CheckButton {
constexpr int16_t Continuous = 541, Quarter = 542, Half = 543, Second = 544;
constexpr int16_t One = 545, Four = 546, Twenty = 547, Fifty = 548, Hundred = 549;
constexpr int16_t Done = 550, Help = 551;
}  // namespace CheckButton

// ---- rules ------------------------------------------------------------------------------------
// The equation line ("equation:  ...") of a conversion type with its coefficients
// and records.
Str255 ChannelEquationText(int16_t type, float a, float b, float c, const BreakpointRecord& breakpoint,
                           const ThreeWayPolyRecord& poly);
// The trace's y for a value within the plot range minimum..maximum: 240 at the
// minimum, 90 at the maximum, clamped to that band (also for a range of no height).
int16_t CheckTraceY(float value, float minimum, float maximum);
// Readings averaged when slot 48 holds none yet: 4 for the Sable interfaces, 10 in
// demonstration mode, 1 otherwise.
int16_t DefaultTestAveraging(int16_t interfaceCode);
// The averaging button that shows a count ("1" for a count none of them offers).
int16_t AveragingButtonFor(int16_t count);
// The update button that shows a refresh period ("Continuous" for other periods).
int16_t UpdateButtonFor(int16_t ticks);

// ---- the window -------------------------------------------------------------------------------
// The button handler: selects the clicked control alone in its group and applies
// it; 1 when "Done" was clicked.
int16_t ChannelCheckMouse();
void CHECKCHANNEL(int16_t channel);

}  // namespace mv
