// The trigger wait: a thin status strip (window 177) that says what it waits for,
// polls the trigger channel, shows its value in channel units, and returns when the
// level is crossed or the user intervenes.
#pragma once
#include <cstdint>

#include "runtime/str255.h"

namespace mv {

constexpr int16_t kTriggerStripWindow = 177;
// The result of a wait that ended by the trigger or by a click.
constexpr int16_t kTriggerFired = 999;

// 999 when the level was crossed or the user clicked; otherwise the character of the
// key that ended the wait (the caller reads space and Return).
int16_t RUNTRIGGER();

// ---- rules ------------------------------------------------------------------------------
// The record that holds the trigger channel's input and coefficients: the channel
// itself, or record 16 (the extra input) for any number outside 1..nChannels.
int16_t TriggerRecord(int16_t triggerChan, int16_t channels);
// The blue status text and the red instruction that follows it.
Str255 TriggerStatusText(int16_t triggerChan, int16_t channels, float extraInput, int16_t mode, float level);
Str255 TriggerInstructionText(int16_t recordingMode, int16_t sequence);
// The trigger channel's value in its units for a reading; three-way channels also
// rewrite the reading. a = -9999 (keyboard) gives the level itself.
float TriggerValue(int16_t record, bool extraInput, float a, float b, float c, float& reading, float level);
// Whether a value crosses the level: mode 0 reaches or exceeds it, any other mode falls
// to it or below. A failed reading never fires.
bool TriggerFires(int16_t mode, float value, float level, float reading);

}  // namespace mv
