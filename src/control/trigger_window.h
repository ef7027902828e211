// The "Set Trigger Conditions" window, which edits the trigger settings, with the
// rules it applies.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace mv {

constexpr int16_t kTriggerWindow = 6;

// Item numbers: channel radios 1..nChannels, the extra input's radio and fields.
namespace TriggerItem {
constexpr int16_t ExtraInput = 17, Exceed = 18, FallBelow = 19, OK = 20, Activate = 21, Help = 22;
constexpr int16_t LevelField = 101, InputField = 102;
}  // namespace TriggerItem

// TriggerChan for the extra A/D input: the number of the channel record it borrows.
constexpr int16_t kExtraTriggerInput = 16;

// The input gain implied by a trigger level: 1 from 2.5 in magnitude, then 2, 5,
// 10, 20 and 50, and 100 below 0.05.
int16_t TriggerGainForLevel(float level);
// The extra input's number from the typed value: truncated, then kept within 1..16.
int16_t TriggerInputFromTyped(double typed);
// The trigger channel the window starts with: anything outside 1..channels becomes
// 16, the extra input.
int16_t TriggerChannelShown(int16_t triggerChan, int16_t channels);
// Whether the extra input can be offered: it borrows channel record 16, so only
// while fewer than 16 channels are recorded.
bool ExtraTriggerInputAvailable(int16_t channels);

// The line that says the interface has no A-D input `input` (it has 1 to `inputs`).
std::string NoTriggerInputLine(int16_t input, int16_t inputs);
// While the trigger would watch the extra A-D input (a trigger channel outside 1 to
// nChannels) and the interface in use lacks the input kept for it, the trigger window's
// line that says so; nothing otherwise. A wait on such an input would test a reading that
// was never taken. Whether triggering is on is the caller's to ask.
std::optional<std::string> TriggerInputRefusal();

// The window; sets Action to 5 on return so the calling window redraws.
void TRIGGER();

}  // namespace mv
