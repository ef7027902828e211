// The switching set-up window (window 3): the switching pattern, the reference
// devices, the device each channel switches, the intervals, the output coding, the
// device groups, the marker at each switch and the zero links.
#pragma once
#include <cstdint>

#include "control/needs.h"

namespace mv {

// Opens the window and returns once it closed and its follow-up windows ran.
void ExternalDeviceControl();
// The click handler and the "Setup OK" gate of the open window.
void CHECKSWITCHBUTTON();
void CHECKSWITCHDATA();
// Labels and fields of the reference and sequence intervals the pattern uses.
void MakeIntervalFields();

// ---- rules ------------------------------------------------------------------------------
// The list entry that shows a pattern (short list in scope-plus-chart mode).
int16_t PatternListEntry(int16_t pattern, bool shortList);
// The item a chosen list entry stands for (180-190), 0 for none.
int16_t PatternItemForEntry(int16_t entry, bool shortList);
// The pattern after the two-group box changed it.
int16_t PatternAfterGroupToggle(int16_t pattern, bool scopeChart);
// "Setup OK" may be pressed.
bool SwitchSetupComplete(int16_t pattern, bool deviceChosen, float refint, float switchint, int16_t refChan,
                         int16_t refChan2);
// The pattern reads the reference interval (340) and the sequence interval (341).
bool UsesReferenceInterval(int16_t pattern);
bool UsesSequenceInterval(int16_t pattern);
// An interval the run can time: above 0 and short enough for the tick clock.
bool IntervalAccepted(double minutes);

}  // namespace mv
